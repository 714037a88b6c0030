#include "validation/validation_context.h"

#include <stdexcept>

#include "platform/win/code_page.h"

namespace velmora {

workbook::Workbook ActiveWorkbookOf(const workbook::Application& excel) {
  std::optional<workbook::Workbook> book = excel.ActiveWorkbook();
  if (!book) throw std::runtime_error(Gbk("没有打开的工作簿"));
  return *book;
}

std::string Gbk(const char* utf8) { return win::Utf8ToAnsi(utf8); }

}  // namespace velmora
