#include "validation/result_list.h"

#include <limits>

#include "validation/rule_file.h"
#include "validation/validation_context.h"

namespace velmora {

const std::string& TypeField() {
  static const std::string name = Gbk("校验类型");
  return name;
}

const std::string& MessageField() {
  static const std::string name = Gbk("提示信息");
  return name;
}

std::unique_ptr<forms::ClientDataSet> CreateResultDataSet() {
  auto results = std::make_unique<forms::ClientDataSet>();
  results->AddFieldDef(TypeField(), kTypeFieldSize);
  results->AddFieldDef(MessageField(), kMessageFieldSize);
  results->AddFieldDef(kCellInfoField, std::numeric_limits<int>::max());
  results->CreateDataSet();
  return results;
}

void AddResultRow(std::string_view type_text, std::string_view message, std::string_view cell_list,
                  forms::ClientDataSet& results) {
  results.Append();
  results.FieldByName(TypeField()).SetAsString(type_text);
  results.FieldByName(MessageField()).SetAsString(message);
  results.FieldByName(kCellInfoField).SetAsString(cell_list);
  results.Post();
}

void SortByType(forms::ClientDataSet& results) { results.SetIndexFieldNames(TypeField()); }

bool CheckIsValidated(forms::ClientDataSet& results) {
  forms::Field& type = results.FieldByName(TypeField());
  for (results.First(); !results.Eof(); results.Next())
    if (type.AsString() == MandatoryType()) return false;
  return true;
}

}  // namespace velmora
