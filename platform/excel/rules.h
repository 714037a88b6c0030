#pragma once
// Excel's rules over the workbook model, shared by the object model and the
// command line: how an assigned or typed text becomes a value, what a
// protected sheet refuses, passwords, selection. A refusal throws
// excel::ExcelError carrying the HRESULT and Excel's description.
#include <cstdint>
#include <stdexcept>
#include <string>

#include "excel/xlsx/model.h"

namespace excel {

// Excel's automation failure (run-time error 1004).
inline constexpr std::int32_t kExcelError = static_cast<std::int32_t>(0x800A03EC);
inline constexpr std::int32_t kBadIndex = static_cast<std::int32_t>(0x8002000B);  // DISP_E_BADINDEX
inline constexpr std::int32_t kTypeMismatch = static_cast<std::int32_t>(0x80020005);

class ExcelError : public std::runtime_error {
 public:
  ExcelError(std::int32_t hr, const std::string& description) : std::runtime_error(description), hr_(hr) {}
  std::int32_t hr() const { return hr_; }

 private:
  std::int32_t hr_;
};

// Who acts: a program through automation, or the user's hands. Protection
// with UserInterfaceOnly lets programs through; the user is always held.
enum class Actor { Automation, User };

// Excel's descriptions.
inline constexpr const char* kProtectedCellMessage =
    "The cell or chart you're trying to change is on a protected sheet. To make a change, unprotect the sheet. "
    "You might be requested to enter a password.";
inline constexpr const char* kWrongPasswordMessage =
    "The password you supplied is not correct. Verify that the CAPS LOCK key is off and be sure to use the "
    "correct capitalization.";
inline constexpr const char* kObjectDefinedMessage = "Application-defined or object-defined error";
// "Unable to set the Value property of the Range class"
std::string UnableToSet(const std::string& property, const std::string& cls);
// "Select method of Range class failed"
std::string MethodFailed(const std::string& method, const std::string& cls);

// The per-session state Excel keeps beside a sheet (not saved with it).
struct SheetSession {
  bool user_interface_only = false;
};

// True when the sheet's protection holds back the actor from changing cells.
bool ContentsHeld(const xlsx::Worksheet& sheet, const SheetSession& session, Actor actor);

// Writes a text as Excel does on assignment or typing: a numeric text becomes
// a number (not in a cell formatted "@", which keeps the text), "" empties
// the cell, "=..." becomes a formula. Refused on a locked cell of a protected
// sheet with kProtectedCellMessage (user) or "Unable to set the Value
// property of the Range class" (automation).
void WriteText(xlsx::Worksheet& sheet, const SheetSession& session, int row, int column, const std::string& utf8,
               Actor actor);
// Writes a value as it is (number, Boolean, error, empty), with the same refusal.
void WriteValue(xlsx::Worksheet& sheet, const SheetSession& session, int row, int column, const xlsx::Value& value,
                Actor actor);
// Locked, fill and number format of a cell: refused on any cell of a protected sheet.
void WriteLocked(xlsx::Worksheet& sheet, const SheetSession& session, int row, int column, bool locked);
void WriteColorIndex(xlsx::Worksheet& sheet, const SheetSession& session, int row, int column, int color_index);
void WriteNumberFormat(xlsx::Worksheet& sheet, const SheetSession& session, int row, int column,
                       const std::string& code);

// Unprotect with a password; a wrong one is refused (kWrongPasswordMessage).
// An unprotected sheet accepts any password.
void Unprotect(xlsx::Worksheet& sheet, SheetSession& session, const std::string& password_utf8);
// Protect with the options; a sheet already protected under another password is refused.
void Protect(xlsx::Worksheet& sheet, SheetSession& session, const std::string& password_utf8, bool drawing_objects,
             bool contents, bool scenarios, bool user_interface_only);

// Typing into a cell of a workbook file with the user's hands, as in the
// spreadsheet program: the text is written as WriteText writes it for the
// user (a file keeps no session state, so the protection alone holds), the
// cell becomes the sheet's selection and the sheet the active one. A hidden
// sheet cannot be typed into (std::invalid_argument); a refused cell raises
// ExcelError with the program's message.
void UserType(xlsx::Workbook& book, xlsx::Worksheet& sheet, int row, int column, const std::string& utf8);

// EnableSelection: 0 no restrictions, 1 unlocked cells only, -4142 none.
int EnableSelection(const xlsx::Worksheet& sheet);
void SetEnableSelection(xlsx::Worksheet& sheet, int value);
// A selection made with the user's hands: refused where the sheet's
// protection does not let the user select those cells.
void UserSelect(xlsx::Worksheet& sheet, int first_row, int first_col, int last_row, int last_col);

// Excel's error values as the VARIANT error codes of automation (xlErrDiv0 2007, ...).
int ErrorCode(const std::string& error_text);          // 0 when unknown
std::string ErrorText(int code);                        // "" when unknown

}  // namespace excel
