#pragma once
// The code tables (affiliations, school categories and their combinations)
// and the classification rules that decide which affiliations and
// categories a school is offered and which base table it fills in.
//
// Every call reads its table afresh from the data file and its
// transformation file in the module directory and walks it from the first
// row to the last; nothing is cached. A missing or unreadable file raises
// forms::Error. Texts are GBK; lookups give the empty text when nothing is
// found.
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/forms/client_dataset.h"

namespace velmora {

class CodeTables {
 public:
  explicit CodeTables(std::string module_dir) : dir_(std::move(module_dir)) {}

  // PLSGXDM, PLSGXMC from "lsgx.xml" through "Tolsgx.xtr".
  std::unique_ptr<forms::ClientDataSet> GetLsgx() const;
  // PLBDM, PLBMC, PSTARTWITH from "xxlb.xml" through "Toxxlb.xtr".
  std::unique_ptr<forms::ClientDataSet> GetXxlb() const;
  // PLSGXDM, PXXLBDM, PLSGXMC, PLBMC, PXXDMSW from "xxlblsgx.xml" through "Toxxlblsgx.xtr".
  std::unique_ptr<forms::ClientDataSet> GetXxlbLsgx() const;

  // Affiliation table, first row, exact comparison.
  std::string GetLsgxdmByName(std::string_view name) const;
  std::string GetLsgxnameByDm(std::string_view code) const;
  // Category table, first row whose trimmed value equals the argument.
  std::string GetXxlbdmByName(std::string_view name) const;
  std::string GetXxlbnameByDm(std::string_view code) const;
  // Combination table, last row with the code.
  std::string Getlsgxmcbylsgxdm(std::string_view code) const;
  std::string Getxxlbmcbyxxlbdm(std::string_view code) const;

  // What Setlsgx offers: every affiliation name in table order, repeats included.
  std::vector<std::string> LsgxNames() const;
  // What Setxxlb offers: every category name, or with a start only those
  // whose PSTARTWITH equals it.
  std::vector<std::string> XxlbNames(std::string_view start) const;

  // Rule A: the affiliations offered for a school code beginning with first
  // (empty for an empty code) in the region code box's text dqdm.
  std::vector<std::string> LsgxChoices(std::string_view first, std::string_view dqdm) const;
  // Rule B: the categories offered for the affiliation name, first and dqdm.
  std::vector<std::string> XxlbChoices(std::string_view lsgx_name, std::string_view first,
                                       std::string_view dqdm) const;
  // Rule C: the template name, "基表1.xls", "基表2.xls" or "基表3.xls", for
  // the school code and the affiliation name chosen; never empty.
  std::string GetWhichJiBiao(std::string_view xxdm, std::string_view lsgx_name) const;

 private:
  std::unique_ptr<forms::ClientDataSet> Load(const char* data_file,
                                             const char* transformation_file) const;
  std::string dir_;
};

// A region code that lifts rule B's restrictions: the box holds at least 4
// characters and its text, leading blanks removed, begins with "6553",
// "232701" or "232700".
bool IsSpecialRegion(std::string_view dqdm);

}  // namespace velmora
