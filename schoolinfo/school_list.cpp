#include "school_list.h"

#include <stdexcept>
#include <string>
#include <vector>

#include "addin/text/item_split.h"
#include "addin/text/text_file.h"

namespace velmora {

namespace {

const struct {
  const char* name;
  int size;
} kFields[] = {{"lsgx", 500}, {"xxlb", 500},  {"dqdm", 20},  {"xxdm", 500},
               {"xxmc", 500}, {"pyszm", 500}, {"zgbm", 500}, {"dqmc", 500}};

}  // namespace

std::unique_ptr<forms::ClientDataSet> LoadSchoolList(std::string_view path) {
  auto table = std::make_unique<forms::ClientDataSet>("mydataset");
  for (const auto& field : kFields) table->AddFieldDef(field.name, field.size);
  table->CreateDataSet();
  for (const std::string& line : LoadLines(path)) {
    std::vector<std::string> items = SplitItems(line, ",", "*");
    constexpr std::size_t kFieldCount = std::size(kFields);
    if (items.size() < kFieldCount)
      throw std::out_of_range("List index out of bounds (" + std::to_string(items.size()) + ")");
    items.resize(kFieldCount);
    table->AppendRecord(items);
  }
  table->First();
  return table;
}

}  // namespace velmora
