#include "code_tables.h"

#include <algorithm>
#include <functional>

#include "addin/text/conversions.h"
#include "addin/workbook/base_table.h"
#include "gbk.h"
#include "platform/forms/xml_transform.h"

namespace velmora {

using schoolinfo::G;

std::unique_ptr<forms::ClientDataSet> CodeTables::Load(const char* data_file,
                                                       const char* transformation_file) const {
  return forms::TransformXmlFile(dir_ + data_file, dir_ + transformation_file);
}

std::unique_ptr<forms::ClientDataSet> CodeTables::GetLsgx() const {
  return Load("lsgx.xml", "Tolsgx.xtr");
}
std::unique_ptr<forms::ClientDataSet> CodeTables::GetXxlb() const {
  return Load("xxlb.xml", "Toxxlb.xtr");
}
std::unique_ptr<forms::ClientDataSet> CodeTables::GetXxlbLsgx() const {
  return Load("xxlblsgx.xml", "Toxxlblsgx.xtr");
}

namespace {

// Calls visit for every row of the table, first to last.
void ForEachRow(forms::ClientDataSet& table, const std::function<void()>& visit) {
  for (table.First(); !table.Eof(); table.Next()) visit();
}

std::string Field(const forms::ClientDataSet& table, const char* name) {
  return table.FieldByName(name).AsString();
}

// The result field of the first (or the last) row whose key field, trimmed
// when asked, equals the key.
std::string Lookup(forms::ClientDataSet& table, const char* key_field, std::string_view key,
                   bool trim, const char* result_field, bool last) {
  std::string found;
  bool any = false;
  ForEachRow(table, [&] {
    if (any && !last) return;
    std::string value = Field(table, key_field);
    if ((trim ? Trim(value) : value) == key) {
      found = Field(table, result_field);
      any = true;
    }
  });
  return found;
}

void AddOnce(std::vector<std::string>& items, std::string item) {
  if (std::find(items.begin(), items.end(), item) == items.end()) items.push_back(std::move(item));
}

bool BeginsWith(std::string_view text, std::string_view prefix) {
  return text.substr(0, prefix.size()) == prefix;
}

std::string_view TrimLeft(std::string_view text) {
  std::size_t pos = 0;
  while (pos < text.size() && static_cast<unsigned char>(text[pos]) <= ' ') ++pos;
  return text.substr(pos);
}

}  // namespace

std::string CodeTables::GetLsgxdmByName(std::string_view name) const {
  return Lookup(*GetLsgx(), "PLSGXMC", name, false, "PLSGXDM", false);
}
std::string CodeTables::GetLsgxnameByDm(std::string_view code) const {
  return Lookup(*GetLsgx(), "PLSGXDM", code, false, "PLSGXMC", false);
}
std::string CodeTables::GetXxlbdmByName(std::string_view name) const {
  return Lookup(*GetXxlb(), "PLBMC", name, true, "PLBDM", false);
}
std::string CodeTables::GetXxlbnameByDm(std::string_view code) const {
  return Lookup(*GetXxlb(), "PLBDM", code, true, "PLBMC", false);
}
std::string CodeTables::Getlsgxmcbylsgxdm(std::string_view code) const {
  return Lookup(*GetXxlbLsgx(), "PLSGXDM", code, false, "PLSGXMC", true);
}
std::string CodeTables::Getxxlbmcbyxxlbdm(std::string_view code) const {
  return Lookup(*GetXxlbLsgx(), "PXXLBDM", code, false, "PLBMC", true);
}

std::vector<std::string> CodeTables::LsgxNames() const {
  auto table = GetLsgx();
  std::vector<std::string> names;
  ForEachRow(*table, [&] { names.push_back(Field(*table, "PLSGXMC")); });
  return names;
}

std::vector<std::string> CodeTables::XxlbNames(std::string_view start) const {
  auto table = GetXxlb();
  std::vector<std::string> names;
  ForEachRow(*table, [&] {
    if (start.empty() || Field(*table, "PSTARTWITH") == start)
      names.push_back(Field(*table, "PLBMC"));
  });
  return names;
}

std::vector<std::string> CodeTables::LsgxChoices(std::string_view first,
                                                 std::string_view dqdm) const {
  auto table = GetXxlbLsgx();
  std::vector<std::string> names;
  if (first.empty()) {
    ForEachRow(*table, [&] { AddOnce(names, Field(*table, "PLSGXMC")); });
    return names;
  }
  const std::string central_enterprise = G("中央企业办学");
  if (table->RecordCount() > 0) {
    if (dqdm.size() > 3 && BeginsWith(dqdm, "6553")) return {central_enterprise};
    if (dqdm.size() > 5 && BeginsWith(dqdm, "232701"))
      return {central_enterprise, G("地方教育部门办学")};
  }
  ForEachRow(*table, [&] {
    if (Field(*table, "PXXDMSW") == first) AddOnce(names, Field(*table, "PLSGXMC"));
  });
  return names;
}

bool IsSpecialRegion(std::string_view dqdm) {
  if (dqdm.size() < 4) return false;
  std::string_view code = TrimLeft(dqdm);
  return BeginsWith(code, "6553") || BeginsWith(code, "232701") || BeginsWith(code, "232700");
}

std::vector<std::string> CodeTables::XxlbChoices(std::string_view lsgx_name, std::string_view first,
                                                 std::string_view dqdm) const {
  auto table = GetXxlbLsgx();
  const bool special = IsSpecialRegion(dqdm);
  std::vector<std::string> names;
  ForEachRow(*table, [&] {
    if (Field(*table, "PLSGXMC") != lsgx_name) return;
    if (!first.empty() && Field(*table, "PXXDMSW") != first) return;
    const std::string lsgxdm = Field(*table, "PLSGXDM");
    bool offered;
    if (first.empty())
      offered = true;
    else if ((first == "9" || first == "8") && lsgxdm == "14")
      offered = special;
    else if (Field(*table, "PXXLBDM") != "212")
      offered = true;
    else  // category 212
      offered = dqdm.size() >= 4 && (lsgxdm != "14" || special);
    if (offered) AddOnce(names, Field(*table, "PLBMC"));
  });
  return names;
}

std::string CodeTables::GetWhichJiBiao(std::string_view xxdm, std::string_view lsgx_name) const {
  const std::string s = Trim(xxdm).substr(0, 1);
  const std::string lsgxdm = Trim(GetLsgxdmByName(lsgx_name));
  const std::string a = lsgxdm.size() >= 2 ? lsgxdm.substr(1, 1) : std::string();
  using base_table::Kind;
  if ((s == "1" || s == "5") && (a == "1" || a == "2")) return base_table::TemplateName(Kind::One);
  if (a == "4" || a == "5") return base_table::TemplateName(Kind::Three);
  return base_table::TemplateName(Kind::Two);
}

}  // namespace velmora
