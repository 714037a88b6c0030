#include "module_values.h"

#include "platform/forms/application.h"
#include "platform/win/code_page.h"

namespace velmora {

com::ComPtr<excel::_Application> ExcelApp;
std::string gPaperSize;
std::string gIndicatorCode;
std::string gIndicatorName;
std::string gIndicatorExplanation;

void ReleaseModuleValues() {
  ExcelApp = nullptr;
  gPaperSize.clear();
  gIndicatorCode.clear();
  gIndicatorName.clear();
  gIndicatorExplanation.clear();
}

std::string Gbk(std::string_view utf8) { return win::Utf8ToAnsi(utf8); }

void ShowErrorText(const std::exception& error) { forms::ShowException(error); }

}  // namespace velmora
