// The client dataset: field sizes, the cursor, filters, the record filter
// event and the index.
#include <gtest/gtest.h>

#include "platform/forms/client_dataset.h"
#include "platform/forms/error.h"
#include "test_support.h"

namespace forms {
namespace {

using testing::G;

// The school list: dqdm, xxdm, xxmc.
class FormsSchoolList : public ::testing::Test {
 protected:
  void SetUp() override {
    list.AddFieldDef("dqdm", 20);
    list.AddFieldDef("xxdm", 500);
    list.AddFieldDef("xxmc", 500);
    list.CreateDataSet();
    list.AppendRecord({"11010800", "10001", G("北京大学")});
    list.AppendRecord({"65530000", "12046", G("石河子大学")});
    list.AppendRecord({"11010800", "12345", G("Aschool")});
    list.AppendRecord({"23270100", "51234", G("aschool")});
  }

  // The xxdm of every record of the view, in order.
  std::vector<std::string> Codes() {
    std::vector<std::string> codes;
    for (list.First(); !list.Eof(); list.Next()) codes.push_back(list.FieldByName("xxdm").AsString());
    return codes;
  }

  ClientDataSet list{"mydataset"};
};

struct FilterCase {
  const char* filter;  // UTF-8
  std::vector<std::string> codes;
  friend void PrintTo(const FilterCase& c, std::ostream* out) { *out << c.filter; }
};

class FormsDataSetFilter : public FormsSchoolList, public ::testing::WithParamInterface<FilterCase> {};

TEST_P(FormsDataSetFilter, ShowsTheRecordsTheExpressionAccepts) {
  list.SetFilter(G(GetParam().filter));
  list.SetFiltered(true);
  EXPECT_EQ(Codes(), GetParam().codes);
  EXPECT_EQ(list.RecordCount(), static_cast<int>(GetParam().codes.size()));
}

INSTANTIATE_TEST_SUITE_P(
    Forms, FormsDataSetFilter,
    ::testing::Values(FilterCase{"", {"10001", "12046", "12345", "51234"}},
                      FilterCase{"xxdm = '12*'", {"12046", "12345"}},
                      FilterCase{"dqdm = '6553*'", {"12046"}},
                      FilterCase{"xxdm = '12*' and dqdm = '1101*'", {"12345"}},
                      FilterCase{"XXDM='1*'AND dqdm='11010800'", {"10001", "12345"}},
                      FilterCase{"xxdm = '12345'", {"12345"}},
                      FilterCase{"xxdm = '1234'", {}},       // no "*": the whole value
                      FilterCase{"xxdm = '*'", {"10001", "12046", "12345", "51234"}},
                      FilterCase{"xxmc = 'A*'", {"12345"}},  // case-sensitive
                      FilterCase{"xxmc = '石河*'", {"12046"}},
                      FilterCase{"[xxdm] = '5*'", {"51234"}},
                      FilterCase{"xxdm = '   *'", {}}));

// An invalid expression fails when filtering is switched on, and filtering
// stays off: the whole list shows.
class FormsInvalidFilter : public FormsSchoolList, public ::testing::WithParamInterface<const char*> {};

TEST_P(FormsInvalidFilter, RaisesAndLeavesTheListUnfiltered) {
  list.SetFilter(GetParam());
  EXPECT_THROW(list.SetFiltered(true), Error);
  EXPECT_FALSE(list.Filtered());
  EXPECT_EQ(list.RecordCount(), 4);
}

INSTANTIATE_TEST_SUITE_P(Forms, FormsInvalidFilter,
                         ::testing::Values("xxdm = '1'2*'",             // a quote in the box
                                           "xxdm = '12*' and dqdm = '6'553*'", "xxdm = '12",
                                           "xxdm '12*'", "xxdm = 12", "xxdm = '1*' or dqdm = '2*'",
                                           "xxdm = '1*' and", "nosuchfield = '1*'", "= '1'"));

TEST_F(FormsSchoolList, AQuoteWrittenTwiceIsAQuote) {
  list.AppendRecord({"1", "O'Neil", "x"});
  list.SetFilter("xxdm = 'O''N*'");
  list.SetFiltered(true);
  EXPECT_EQ(Codes(), std::vector<std::string>{"O'Neil"});
}

TEST_F(FormsSchoolList, AnInvalidExpressionSetWhileFilteringKeepsThePreviousOne) {
  list.SetFilter("xxdm = '12*'");
  list.SetFiltered(true);
  EXPECT_THROW(list.SetFilter("xxdm = '1'2*'"), Error);
  EXPECT_EQ(list.Filter(), "xxdm = '12*'");
  EXPECT_EQ(Codes(), (std::vector<std::string>{"12046", "12345"}));
}

TEST_F(FormsSchoolList, OnFilterRecordSeesEachRecordAndCombinesWithTheExpression) {
  std::vector<std::string> asked;
  list.OnFilterRecord = [&](ClientDataSet& data_set, bool& accept) {
    asked.push_back(data_set.FieldByName("xxdm").AsString());
    accept = data_set.FieldByName("dqdm").AsString().find("0800") != std::string::npos;
  };
  list.SetFiltered(true);  // the empty expression: the event alone decides
  EXPECT_EQ(asked, (std::vector<std::string>{"10001", "12046", "12345", "51234"}));
  EXPECT_EQ(Codes(), (std::vector<std::string>{"10001", "12345"}));

  list.SetFilter("xxdm = '12*'");  // both must accept
  EXPECT_EQ(Codes(), std::vector<std::string>{"12345"});

  list.SetFiltered(false);  // the event only counts while filtering
  EXPECT_EQ(Codes().size(), 4u);
}

TEST_F(FormsSchoolList, AnIndexSortsByByteOrderAndKeepsTheAppendingOrderAmongEquals) {
  list.SetIndexFieldNames("dqdm");
  EXPECT_EQ(Codes(), (std::vector<std::string>{"10001", "12345", "51234", "12046"}));
  list.SetIndexFieldNames("dqdm;xxmc");
  list.First();
  EXPECT_EQ(list.FieldByName("xxmc").AsString(), "Aschool");
  list.SetIndexFieldNames("");
  EXPECT_EQ(Codes(), (std::vector<std::string>{"10001", "12046", "12345", "51234"}));
  EXPECT_THROW(list.SetIndexFieldNames("nosuchfield"), Error);
}

TEST_F(FormsSchoolList, RecordsAppendedUnderAnIndexAndAFilterGoWhereARebuildPutsThem) {
  list.SetIndexFieldNames("dqdm");
  list.SetFilter("xxdm = '1*'");
  list.SetFiltered(true);
  list.AppendRecord({"11010800", "19999", "x"});
  EXPECT_EQ(list.FieldByName("xxdm").AsString(), "19999");  // the new record is current
  list.AppendRecord({"00000000", "18888", "x"});
  list.AppendRecord({"65530000", "27777", "x"});  // filtered out
  list.AppendRecord({"23270100", "16666", "x"});
  const std::vector<std::string> expected{"18888", "10001", "12345", "19999", "16666", "12046"};
  EXPECT_EQ(Codes(), expected);
  list.SetIndexFieldNames("dqdm");  // sorted again from scratch
  EXPECT_EQ(Codes(), expected);
}

TEST(FormsClientDataSet, TheResultListSortsMandatoryRowsFirst) {
  ClientDataSet results;
  results.AddFieldDef(G("校验类型"), 20);
  results.AddFieldDef(G("提示信息"), 500);
  results.CreateDataSet();
  results.SetIndexFieldNames(G("校验类型"));  // set before the rows: they go in sorted
  for (const char* row : {"提示|h1", "强制|m1", "提示|h2", "强制|m2"}) {
    std::string text = row;
    std::size_t bar = text.find('|');
    results.AppendRecord({G(text.substr(0, bar)), text.substr(bar + 1)});
  }
  std::vector<std::string> order;
  for (results.First(); !results.Eof(); results.Next()) order.push_back(results.Fields()[1]->AsString());
  EXPECT_EQ(order, (std::vector<std::string>{"m1", "m2", "h1", "h2"}));
}

// A value longer than its field is cut to the size in bytes, never inside a
// double-byte character.
struct CutCase {
  int size;
  const char* value;     // UTF-8
  const char* expected;  // UTF-8
  friend void PrintTo(const CutCase& c, std::ostream* out) { *out << c.size << " bytes, " << c.value; }
};

class FormsFieldCut : public ::testing::TestWithParam<CutCase> {};

TEST_P(FormsFieldCut, CutsAtACharacterBoundary) {
  ClientDataSet data_set;
  data_set.AddFieldDef("f", GetParam().size);
  data_set.CreateDataSet();
  data_set.AppendRecord({G(GetParam().value)});
  EXPECT_EQ(data_set.FieldByName("F").AsString(), G(GetParam().expected));
}

INSTANTIATE_TEST_SUITE_P(Forms, FormsFieldCut,
                         ::testing::Values(CutCase{20, "12345678901234567890123", "12345678901234567890"},
                                           CutCase{4, "强制", "强制"}, CutCase{3, "强制", "强"},
                                           CutCase{5, "a强制", "a强制"}, CutCase{4, "a强制", "a强"},
                                           CutCase{1, "强", ""}, CutCase{3, "ab", "ab"}));

TEST(FormsClientDataSet, CursorEdges) {
  ClientDataSet data_set;
  data_set.AddFieldDef("n", 10);
  data_set.CreateDataSet();
  data_set.First();
  EXPECT_TRUE(data_set.Eof());
  EXPECT_TRUE(data_set.Bof());
  EXPECT_EQ(data_set.RecNo(), 0);
  EXPECT_TRUE(data_set.FieldByName("n").IsNull());

  data_set.AppendRecord({"1"});
  data_set.AppendRecord({"2"});
  data_set.AppendRecord({"3"});
  EXPECT_EQ(data_set.RecNo(), 3);  // the posted record is current
  data_set.Last();
  EXPECT_TRUE(data_set.Eof());
  EXPECT_EQ(data_set.FieldByName("n").AsString(), "3");
  data_set.Prior();
  EXPECT_EQ(data_set.FieldByName("n").AsString(), "2");
  data_set.Next();
  data_set.Next();
  EXPECT_TRUE(data_set.Eof());
  EXPECT_EQ(data_set.FieldByName("n").AsString(), "3");  // stays on the last record
  data_set.SetRecNo(1);
  EXPECT_EQ(data_set.FieldByName("n").AsString(), "1");
  EXPECT_EQ(data_set.RecordCount(), 3);
}

TEST(FormsClientDataSet, AppendAndPost) {
  ClientDataSet data_set;
  data_set.AddFieldDef("a", 10);
  data_set.AddFieldDef("b", 10);
  EXPECT_THROW(data_set.First(), Error);  // not open yet
  data_set.CreateDataSet();
  EXPECT_THROW(data_set.FieldByName("a").SetAsString("x"), Error);  // not editing

  data_set.Append();
  data_set.FieldByName("a").SetAsString("x");
  EXPECT_EQ(data_set.FieldByName("a").AsString(), "x");  // the new record shows while it is edited
  EXPECT_EQ(data_set.RecordCount(), 0);
  data_set.Cancel();
  EXPECT_EQ(data_set.RecordCount(), 0);

  data_set.Append();
  data_set.FieldByName("a").SetAsString("y");
  data_set.First();  // moving posts
  EXPECT_EQ(data_set.RecordCount(), 1);
  EXPECT_EQ(data_set.FieldByName("a").AsString(), "y");
  EXPECT_TRUE(data_set.FieldByName("b").IsNull());

  data_set.Edit();
  data_set.FieldByName("b").SetAsString("z");
  data_set.Post();
  EXPECT_EQ(data_set.FieldByName("b").AsString(), "z");
  EXPECT_EQ(data_set.RecordCount(), 1);
  EXPECT_THROW(data_set.FieldByName("c"), Error);
}

TEST(FormsClientDataSet, FilteringSwitchedOnBeforeOpeningAppliesOnceOpen) {
  ClientDataSet data_set;
  data_set.AddFieldDef("a", 10);
  data_set.SetFilter("a = 'x*'");
  data_set.SetFiltered(true);
  data_set.CreateDataSet();
  data_set.AppendRecord({"xy"});
  data_set.AppendRecord({"yx"});
  EXPECT_EQ(data_set.RecordCount(), 1);
}

}  // namespace
}  // namespace forms
