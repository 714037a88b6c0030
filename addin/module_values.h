#pragma once
// The module-wide values of the add-in library, shared by the add-in object,
// the commands and the dialogs (all run inside this one loaded library).
#include <string>
#include <string_view>

#include "com/com_ptr.h"
#include "excel/com/excel.h"

namespace velmora {

// The current spreadsheet application: set by OnConnection, never cleared at
// disconnection, released when the library unloads.
extern com::ComPtr<excel::_Application> ExcelApp;

// What the print command tells its dialog: the paper size chosen.
extern std::string gPaperSize;
// What the indicator-explanation command tells its dialog.
extern std::string gIndicatorCode;
extern std::string gIndicatorName;
extern std::string gIndicatorExplanation;

// The library unloads: ExcelApp released, the shared texts emptied.
void ReleaseModuleValues();

// A GBK text from a UTF-8 one: the texts of this library are written in
// UTF-8 in its sources and held in GBK.
std::string Gbk(std::string_view utf8);

// The error's own text in a plain message box (the outermost guard of a
// handler, a dialog step or a connection).
void ShowErrorText(const std::exception& error);

}  // namespace velmora
