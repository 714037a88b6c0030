#include "school_record.h"

#include <iterator>
#include <stdexcept>
#include <vector>

#include "addin/text/conversions.h"
#include "addin/text/item_split.h"
#include "gbk.h"

namespace velmora {

using schoolinfo::G;

std::string InfoString(const XXInfoRecord& r, std::string_view lsgxdm, std::string_view xxlbdm) {
  const std::string_view items[] = {r.year, r.dqdm, lsgxdm, xxlbdm, r.xxdm, r.xxmc, r.zgbm, r.dqmc};
  std::string info(items[0]);
  for (std::size_t i = 1; i < std::size(items); ++i) (info += '|') += items[i];
  return info;
}

namespace {

const std::string& Item(const std::vector<std::string>& items, std::size_t index) {
  if (index >= items.size())
    throw std::out_of_range("List index out of bounds (" + std::to_string(index) + ")");
  return items[index];
}

}  // namespace

std::optional<StoredInfo> ReadInfoString(std::string_view info) {
  const std::vector<std::string> items = SplitItems(info, "|", ".");
  if (items.empty()) return std::nullopt;
  StoredInfo stored;
  stored.dqdm = Trim(Item(items, 1));
  stored.xxdm = Trim(Item(items, 4));
  stored.lsgxdm = Trim(Item(items, 2));
  stored.xxlbdm = Trim(Item(items, 3));
  stored.xxmc = Trim(Item(items, 5));
  if (items.size() > 6) stored.zgbm = Trim(items[6]);
  if (items.size() == 8) stored.dqmc = Trim(items[7]);
  return stored;
}

namespace {

bool CorruptsInfoString(std::string_view value) {
  return schoolinfo::HoldsChar(value, '|') || schoolinfo::HoldsChar(value, '\'') ||
         schoolinfo::HoldsChar(value, '"');
}

}  // namespace

std::optional<std::string> CheckInfoMessage(const XXInfoRecord& r) {
  const std::string year = Trim(r.year), xxdm = Trim(r.xxdm), xxmc = Trim(r.xxmc),
                    dqdm = Trim(r.dqdm), lsgx = Trim(r.lsgx), xxlb = Trim(r.xxlb),
                    zgbm = Trim(r.zgbm);
  if (year.empty()) return G("填报年份不允许为空！");
  if (TextToInt(year) <= 2008) return G("填报年份应大于2008！");
  if (xxdm.empty()) return G("学校代码不允许为空！");
  if (xxdm.size() != 5) return G("学校代码长度应为5位！");
  if (xxmc.empty()) return G("学校名称不允许为空！");
  if (dqdm.empty()) return G("地区代码不允许为空！");
  if (dqdm.size() != 8) return G("地区代码长度应为8位！");
  if (lsgx.empty()) return G("隶属关系不允许为空！");
  if (xxlb.empty()) return G("学校类别不允许为空！");
  if (zgbm.empty()) return G("主管部门不允许为空！");
  // A "|" would shift the items after it, a quote swallow the separators
  // after it, when the information string is read back.
  const struct {
    const std::string& value;
    const char* field;
  } typed[] = {{r.year, "填报年份"}, {r.xxdm, "学校代码"}, {r.xxmc, "学校名称"},
               {r.dqdm, "地区代码"}, {r.dqmc, "地区名称"}, {r.zgbm, "主管部门"}};
  for (const auto& t : typed)
    if (CorruptsInfoString(t.value)) return G(std::string(t.field) + "不能包含|或引号！");
  return std::nullopt;
}

}  // namespace velmora
