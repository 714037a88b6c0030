#pragma once
// The school information record, its text form (the information string) and
// the rules a record must satisfy before it is used. Texts are GBK.
//
// The information string is the eight values joined by "|", no escaping:
//   0 year | 1 region code | 2 affiliation code | 3 category code |
//   4 school code | 5 school name | 6 supervising department | 7 region name
#include <optional>
#include <string>
#include <string_view>

namespace velmora {

// The eight values as the dialog holds them: affiliation and category by
// their names (the drop-downs' texts), everything else as typed.
struct XXInfoRecord {
  std::string year = "2010";
  std::string xxdm;  // school code
  std::string xxmc;  // school name
  std::string dqdm;  // region code
  std::string dqmc;  // region name
  std::string lsgx;  // affiliation name
  std::string xxlb;  // category name
  std::string zgbm;  // supervising department
};

// The information string of the record, with the affiliation and category
// codes looked up by the caller. Values go in untrimmed.
std::string InfoString(const XXInfoRecord& record, std::string_view lsgxdm,
                       std::string_view xxlbdm);

// What reading an information string back gives the dialog; every value trimmed.
struct StoredInfo {
  std::string dqdm, xxdm, lsgxdm, xxlbdm, xxmc, zgbm, dqmc;
};

// Cuts the string at "|" with "." skipped at the start of an item. No items:
// nothing. Items 1 to 5 are read (fewer than six items raise
// std::out_of_range, the list's index error); item 6 only when there are
// more than six items, item 7 only when there are exactly eight.
std::optional<StoredInfo> ReadInfoString(std::string_view info);

// The tests of a record before it is used, in order: the message (GBK) of
// the first that fails, or nothing when the record is usable. A year that is
// no decimal integer raises ConversionError. A typed value holding "|" or a
// quote is refused too: it would corrupt the information string.
std::optional<std::string> CheckInfoMessage(const XXInfoRecord& record);

}  // namespace velmora
