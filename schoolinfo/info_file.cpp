#include "info_file.h"

#include "addin/text/text_file.h"
#include "addin/workbook/base_table.h"
#include "platform/win/path.h"

namespace velmora {

std::string GetXXInfo(const std::optional<workbook::Application>& excel,
                      const std::string& module_dir) {
  if (!excel) return {};
  std::optional<workbook::Workbook> book = excel->ActiveWorkbook();
  if (!book) return {};
  std::string a40 =
      base_table::ReadCell(book->Sheet(base_table::kFirstSheet), base_table::kInfoStringCell);
  if (!a40.empty()) return a40;
  const std::string path = module_dir + kInfoFileName;
  if (!win::FileExists(path)) return {};
  std::vector<std::string> lines = LoadLines(path);
  return lines.empty() ? std::string() : lines.front();
}

void SaveInfoFile(const std::string& module_dir, std::string_view info) {
  SaveLines(module_dir + kInfoFileName, {std::string(info)});
}

}  // namespace velmora
