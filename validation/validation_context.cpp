#include "validation/validation_context.h"

#include <stdexcept>

#include "com/error_info.h"
#include "platform/win/code_page.h"

namespace velmora {

workbook::Application ApplicationOf(com::IDispatch* excel_app) {
  com::ComPtr<excel::_Application> app;
  const com::HRESULT hr = excel_app ? excel_app->QueryInterface(excel::_Application::iid, app.PutVoid())
                                    : com::E_POINTER;
  if (com::FAILED(hr)) throw com::ComError(hr, u"The spreadsheet application is not available");
  return workbook::Application(app);
}

workbook::Workbook ActiveWorkbookOf(const workbook::Application& excel) {
  std::optional<workbook::Workbook> book = excel.ActiveWorkbook();
  if (!book) throw std::runtime_error(Gbk("没有打开的工作簿"));
  return *book;
}

std::string Gbk(const char* utf8) { return win::Utf8ToAnsi(utf8); }

}  // namespace velmora
