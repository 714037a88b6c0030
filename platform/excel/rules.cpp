#include "excel/rules.h"

namespace excel {

std::string UnableToSet(const std::string& property, const std::string& cls) {
  return "Unable to set the " + property + " property of the " + cls + " class";
}

std::string MethodFailed(const std::string& method, const std::string& cls) {
  return method + " method of " + cls + " class failed";
}

bool ContentsHeld(const xlsx::Worksheet& sheet, const SheetSession& session, Actor actor) {
  if (!sheet.IsProtected()) return false;
  return actor == Actor::User || !session.user_interface_only;
}

namespace {
void CheckWritable(const xlsx::Worksheet& sheet, const SheetSession& session, int row, int column, Actor actor) {
  if (row < 1 || row > xlsx::kMaxRows || column < 1 || column > xlsx::kMaxColumns)
    throw ExcelError(kExcelError, kObjectDefinedMessage);
  if (ContentsHeld(sheet, session, actor) && sheet.Locked(row, column))
    throw ExcelError(kExcelError, actor == Actor::User ? kProtectedCellMessage : UnableToSet("Value", "Range"));
}

void CheckFormattable(const xlsx::Worksheet& sheet, const SheetSession& session, int row, int column,
                      const std::string& property, const std::string& cls) {
  if (row < 1 || row > xlsx::kMaxRows || column < 1 || column > xlsx::kMaxColumns)
    throw ExcelError(kExcelError, kObjectDefinedMessage);
  if (ContentsHeld(sheet, session, Actor::Automation)) throw ExcelError(kExcelError, UnableToSet(property, cls));
}
}  // namespace

void WriteValue(xlsx::Worksheet& sheet, const SheetSession& session, int row, int column, const xlsx::Value& value,
                Actor actor) {
  CheckWritable(sheet, session, row, column, actor);
  if (value.empty()) sheet.Clear(row, column);
  else sheet.SetValue(row, column, value);
}

void WriteText(xlsx::Worksheet& sheet, const SheetSession& session, int row, int column, const std::string& utf8,
               Actor actor) {
  CheckWritable(sheet, session, row, column, actor);
  if (utf8.empty()) {
    sheet.Clear(row, column);
    return;
  }
  if (sheet.IsTextFormat(row, column)) {
    sheet.SetValue(row, column, xlsx::Value::Text(utf8));
    return;
  }
  if (utf8.size() > 1 && utf8[0] == '=') {
    sheet.SetFormula(row, column, utf8.substr(1));
    return;
  }
  if (actor == Actor::User && utf8[0] == '\'') {
    sheet.SetValue(row, column, xlsx::Value::Text(utf8.substr(1)));
    return;
  }
  bool percent = false;
  xlsx::Value v = xlsx::ConvertTypedText(utf8, &percent);
  sheet.SetValue(row, column, v);
  if (percent && sheet.NumberFormat(row, column) == "General")
    sheet.SetNumberFormat(row, column, utf8.find('.') == std::string::npos ? "0%" : "0.00%");
}

void WriteLocked(xlsx::Worksheet& sheet, const SheetSession& session, int row, int column, bool locked) {
  CheckFormattable(sheet, session, row, column, "Locked", "Range");
  sheet.SetLocked(row, column, locked);
}

void WriteColorIndex(xlsx::Worksheet& sheet, const SheetSession& session, int row, int column, int color_index) {
  CheckFormattable(sheet, session, row, column, "ColorIndex", "Interior");
  if (!(color_index == xlsx::kColorIndexNone || (color_index >= 0 && color_index <= 56)))
    throw ExcelError(kExcelError, UnableToSet("ColorIndex", "Interior"));
  sheet.SetColorIndex(row, column, color_index);
}

void WriteNumberFormat(xlsx::Worksheet& sheet, const SheetSession& session, int row, int column,
                       const std::string& code) {
  CheckFormattable(sheet, session, row, column, "NumberFormat", "Range");
  sheet.SetNumberFormat(row, column, code.empty() ? "General" : code);
}

void Unprotect(xlsx::Worksheet& sheet, SheetSession& session, const std::string& password_utf8) {
  if (!sheet.IsProtected() && !sheet.protection().HasPassword()) return;
  if (!sheet.protection().Verify(password_utf8)) throw ExcelError(kExcelError, kWrongPasswordMessage);
  sheet.Unprotect();
  session.user_interface_only = false;
}

void Protect(xlsx::Worksheet& sheet, SheetSession& session, const std::string& password_utf8, bool drawing_objects,
             bool contents, bool scenarios, bool user_interface_only) {
  if (sheet.IsProtected() && sheet.protection().HasPassword() && !sheet.protection().Verify(password_utf8))
    throw ExcelError(kExcelError, MethodFailed("Protect", "Worksheet"));
  sheet.Protect(password_utf8, drawing_objects, contents, scenarios);
  session.user_interface_only = user_interface_only;
}

int EnableSelection(const xlsx::Worksheet& sheet) {
  const auto& p = sheet.protection();
  if (p.select_locked_cells && p.select_unlocked_cells) return xlsx::kColorIndexNone;  // xlNoSelection = -4142
  if (p.select_locked_cells) return 1;
  return 0;
}

void SetEnableSelection(xlsx::Worksheet& sheet, int value) {
  auto& p = sheet.protection();
  switch (value) {
    case 0: p.select_locked_cells = p.select_unlocked_cells = false; break;
    case 1: p.select_locked_cells = true; p.select_unlocked_cells = false; break;
    case -4142: p.select_locked_cells = p.select_unlocked_cells = true; break;
    default: throw ExcelError(kExcelError, UnableToSet("EnableSelection", "Worksheet"));
  }
}

void UserSelect(xlsx::Worksheet& sheet, int first_row, int first_col, int last_row, int last_col) {
  if (sheet.IsProtected()) {
    const auto& p = sheet.protection();
    for (int r = first_row; r <= last_row; ++r)
      for (int c = first_col; c <= last_col; ++c) {
        bool locked = sheet.Locked(r, c);
        if ((locked && p.select_locked_cells) || (!locked && p.select_unlocked_cells))
          throw ExcelError(kExcelError, kProtectedCellMessage);
      }
  }
  sheet.Select(first_row, first_col, last_row, last_col);
}

void UserType(xlsx::Workbook& book, xlsx::Worksheet& sheet, int row, int column, const std::string& utf8) {
  if (sheet.visibility() != xlsx::Visibility::Visible)
    throw std::invalid_argument("the sheet \"" + sheet.name() + "\" is hidden; a user cannot type into it.");
  WriteText(sheet, SheetSession{}, row, column, utf8, Actor::User);
  sheet.Select(row, column, row, column);
  book.SetActiveSheet(book.PositionOf(sheet));
}

namespace {
struct ErrorValue {
  int code;
  const char* text;
};
constexpr ErrorValue kErrors[] = {{2000, "#NULL!"}, {2007, "#DIV/0!"}, {2015, "#VALUE!"}, {2023, "#REF!"},
                                  {2029, "#NAME?"}, {2036, "#NUM!"},   {2042, "#N/A"}};
}  // namespace

int ErrorCode(const std::string& error_text) {
  for (const auto& e : kErrors)
    if (error_text == e.text) return e.code;
  return 0;
}

std::string ErrorText(int code) {
  for (const auto& e : kErrors)
    if (code == e.code) return e.text;
  return {};
}

}  // namespace excel
