// The school information record: its information string, reading it back,
// the checks, "info.txt" and the school list.
#include <gtest/gtest.h>

#include "addin/text/conversions.h"
#include "addin/text/text_file.h"
#include "addin/workbook/base_table.h"
#include "fixture.h"
#include "schoolinfo/info_file.h"
#include "schoolinfo/school_list.h"
#include "schoolinfo/school_record.h"

using namespace velmora;
using schooltest::G;
using schooltest::U;

namespace {

XXInfoRecord Usable() {
  XXInfoRecord r;
  r.xxdm = "10011";
  r.xxmc = G("京华大学");
  r.dqdm = "11010800";
  r.dqmc = G("北京市海淀区");
  r.lsgx = G("中央教育部门办学");
  r.xxlb = G("大学");
  r.zgbm = G("教育部");
  return r;
}

}  // namespace

TEST(InfoString, EightValuesJoinedByBarsUntrimmed) {
  XXInfoRecord r = Usable();
  r.xxmc = G(" 京华大学 ");
  EXPECT_EQ(U(InfoString(r, "11", "111")),
            "2010|11010800|11|111|10011| 京华大学 |教育部|北京市海淀区");
  r.dqmc.clear();
  EXPECT_EQ(U(InfoString(r, "11", "111")), "2010|11010800|11|111|10011| 京华大学 |教育部|");
}

TEST(InfoString, ReadsBackByTheNumberOfItems) {
  struct Case {
    const char* info;
    bool reads;  // false: fetching item 5 fails
    const char* xxmc;
    const char* zgbm;
    const char* dqmc;
  } cases[] = {
      // eight items: every value
      {"2010|11010800|11|111|10011|京华大学|教育部|北京市海淀区", true, "京华大学", "教育部",
       "北京市海淀区"},
      // seven items (region name empty): an empty region name
      {"2010|11010800|11|111|10011|京华大学|教育部|", true, "京华大学", "教育部", ""},
      // six items: no supervising department either
      {"2010|11010800|11|111|10011|京华大学", true, "京华大学", "", ""},
      // five items: item 5 is missing
      {"2010|11010800|11|111|10011", false, "", "", ""},
      // a double quote in the name swallows the separators after it: six items
      {"2010|11010800|11|111|10011|京华\"大学|教育部|北京市海淀区", true,
       "京华\"大学|教育部|北京市海淀区", "", ""},
      // a leading "." is lost, blanks are trimmed
      {"2010|11010800|11|111|10011|.京华大学 |  教育部|北京", true, "京华大学", "教育部", "北京"},
      // an empty item is dropped: the region name moves up into the department
      {"2010|11010800|11|111|10011|京华大学||北京", true, "京华大学", "北京", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.info);
    if (!c.reads) {
      EXPECT_THROW(ReadInfoString(G(c.info)), std::out_of_range);
      continue;
    }
    std::optional<StoredInfo> s = ReadInfoString(G(c.info));
    ASSERT_TRUE(s);
    EXPECT_EQ(s->dqdm, "11010800");
    EXPECT_EQ(s->lsgxdm, "11");
    EXPECT_EQ(s->xxlbdm, "111");
    EXPECT_EQ(s->xxdm, "10011");
    EXPECT_EQ(U(s->xxmc), c.xxmc);
    EXPECT_EQ(U(s->zgbm), c.zgbm);
    EXPECT_EQ(U(s->dqmc), c.dqmc);
  }
  EXPECT_FALSE(ReadInfoString(""));
  EXPECT_FALSE(ReadInfoString("||.|"));
}

TEST(CheckInfo, TheTenTestsInOrderAndTheCorruptingCharacters) {
  struct Case {
    void (*change)(XXInfoRecord&);
    const char* message;  // nullptr: usable
  } cases[] = {
      {[](XXInfoRecord&) {}, nullptr},
      {[](XXInfoRecord& r) {
         r = XXInfoRecord{};
         r.year = " ";
       },
       "填报年份不允许为空！"},
      {[](XXInfoRecord& r) {
         r.year = "2008";
         r.xxdm.clear();
       },
       "填报年份应大于2008！"},
      {[](XXInfoRecord& r) { r.year = "2009"; }, nullptr},
      {[](XXInfoRecord& r) {
         r.xxdm = "  ";
         r.xxmc.clear();
       },
       "学校代码不允许为空！"},
      {[](XXInfoRecord& r) { r.xxdm = "1001"; }, "学校代码长度应为5位！"},
      {[](XXInfoRecord& r) { r.xxdm = " 10011 "; }, nullptr},  // trimmed before the length test
      {[](XXInfoRecord& r) {
         r.xxmc = " ";
         r.dqdm.clear();
       },
       "学校名称不允许为空！"},
      {[](XXInfoRecord& r) {
         r.dqdm.clear();
         r.lsgx.clear();
       },
       "地区代码不允许为空！"},
      {[](XXInfoRecord& r) { r.dqdm = "1101080"; }, "地区代码长度应为8位！"},
      {[](XXInfoRecord& r) {
         r.lsgx.clear();
         r.xxlb.clear();
       },
       "隶属关系不允许为空！"},
      {[](XXInfoRecord& r) {
         r.xxlb.clear();
         r.zgbm.clear();
       },
       "学校类别不允许为空！"},
      {[](XXInfoRecord& r) { r.zgbm = "\t"; }, "主管部门不允许为空！"},
      {[](XXInfoRecord& r) { r.dqmc.clear(); }, nullptr},  // the region name is optional
      // values that would corrupt the information string
      {[](XXInfoRecord& r) { r.xxmc = G("京华|大学"); }, "学校名称不能包含|或引号！"},
      {[](XXInfoRecord& r) { r.xxmc = G("京华\"大学"); }, "学校名称不能包含|或引号！"},
      {[](XXInfoRecord& r) { r.zgbm = G("教育'部"); }, "主管部门不能包含|或引号！"},
      {[](XXInfoRecord& r) { r.dqmc = "|"; }, "地区名称不能包含|或引号！"},
      {[](XXInfoRecord& r) { r.xxdm = "1|011"; }, "学校代码不能包含|或引号！"},
      {[](XXInfoRecord& r) { r.dqdm = "1101'800"; }, "地区代码不能包含|或引号！"},
      // a double-byte character whose second byte is the code of "|" is no bar
      {[](XXInfoRecord& r) { r.xxmc = "\xD8\x7C"; }, nullptr},
  };
  for (const Case& c : cases) {
    XXInfoRecord r = Usable();
    c.change(r);
    std::optional<std::string> message = CheckInfoMessage(r);
    SCOPED_TRACE(U(r.xxmc) + " / " + r.year + " / " + r.xxdm);
    if (c.message)
      EXPECT_EQ(U(message.value_or("(usable)")), c.message);
    else
      EXPECT_FALSE(message) << U(*message);
  }
  XXInfoRecord dotted = Usable();
  dotted.year = "2010.";
  EXPECT_THROW(CheckInfoMessage(dotted), ConversionError);
}

class InfoFile : public schooltest::SchoolDir {};

TEST_F(InfoFile, IsRewrittenAsOneCrLfLine) {
  schooltest::WriteBytes(PathOf("info.txt"), "old one\r\nold two\r\n");
  SaveInfoFile(dir(), G("2010|11010800|11|111|10011|京华大学|教育部|北京"));
  EXPECT_EQ(schooltest::ReadBytes(PathOf("info.txt")),
            G("2010|11010800|11|111|10011|京华大学|教育部|北京") + "\r\n");
  std::remove(PathOf("info.txt").c_str());
  SaveInfoFile(dir(), "x");
  EXPECT_EQ(schooltest::ReadBytes(PathOf("info.txt")), "x\r\n");
}

TEST_F(InfoFile, GetXXInfoTakesA40FirstThenTheFile) {
  schooltest::WriteBytes(PathOf("info.txt"), "from|the|file\r\nsecond\r\n");
  // No Excel, or Excel with no workbook: empty, whatever the file holds.
  EXPECT_EQ(GetXXInfo(std::nullopt, dir()), "");
  EXPECT_EQ(GetXXInfo(app(), dir()), "");
  // A workbook with an empty A40: the file's first line.
  workbook::Workbook book = OpenTemplateCopy(2);
  EXPECT_EQ(GetXXInfo(app(), dir()), "from|the|file");
  // A40 not empty (untrimmed): A40.
  base_table::WriteCell(book.Sheet(1), base_table::kInfoStringCell, " ");
  EXPECT_EQ(GetXXInfo(app(), dir()), " ");
  base_table::WriteCell(book.Sheet(1), base_table::kInfoStringCell, "2010|a40");
  EXPECT_EQ(GetXXInfo(app(), dir()), "2010|a40");
  // A40 empty and the file missing or empty: empty.
  base_table::WriteCell(book.Sheet(1), base_table::kInfoStringCell, "");
  schooltest::WriteBytes(PathOf("info.txt"), "");
  EXPECT_EQ(GetXXInfo(app(), dir()), "");
  std::remove(PathOf("info.txt").c_str());
  EXPECT_EQ(GetXXInfo(app(), dir()), "");
}

class SchoolList : public schooltest::SchoolDir {};

TEST_F(SchoolList, TheShippedListLoadsInFileOrder) {
  auto table = LoadSchoolList(PathOf("xxinfo.txt"));
  EXPECT_EQ(table->RecordCount(), static_cast<int>(LoadLines(PathOf("xxinfo.txt")).size()));
  EXPECT_EQ(table->RecNo(), 1);
  EXPECT_EQ(table->FieldByName("xxdm").AsString(), "10011");
  EXPECT_EQ(U(table->FieldByName("dqmc").AsString()), "北京市海淀区");
  const struct {
    const char* name;
    int size;
  } sizes[] = {{"lsgx", 500}, {"xxlb", 500},  {"dqdm", 20},  {"xxdm", 500},
               {"xxmc", 500}, {"pyszm", 500}, {"zgbm", 500}, {"dqmc", 500}};
  ASSERT_EQ(table->Fields().size(), 8u);
  for (std::size_t i = 0; i < 8; ++i) {
    EXPECT_EQ(table->Fields()[i]->FieldName(), sizes[i].name);
    EXPECT_EQ(table->Fields()[i]->Size(), sizes[i].size);
  }
}

TEST_F(SchoolList, LinesOfEveryShape) {
  struct Case {
    const char* line;
    bool loads;
    const char* dqdm;  // what the field holds
    const char* dqmc;
  } cases[] = {
      {"11,111,11010800,10011,京华大学,JHDX,教育部,北京市海淀区", true, "11010800", "北京市海淀区"},
      {"11,111,11010800,10011,京华大学,JHDX,教育部,北京,extra,more", true, "11010800",
       "北京"},  // ninth ignored
      {"*11,*111,**11010800,10011,京华大学,JHDX,教育部,北京", true, "11010800",
       "北京"},  // "*" skipped
      {"11,111,123456789012345678901234,10011,京华大学,JHDX,教育部,北京", true,
       "12345678901234567890", "北京"},
      {",111,11010800,10011,京华大学,JHDX,教育部,北京", false, "",
       ""},  // empty first field: seven items
      {"11,111,11010800,10011,京华大学,JHDX,教育部", false, "", ""},  // seven items
      {"", false, "", ""},                                            // an empty line
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.line);
    WriteGbk("xxinfo.txt",
             std::string("11,111,11010800,10011,京华大学,JHDX,教育部,北京\r\n") + c.line + "\r\n");
    if (!c.loads) {
      EXPECT_THROW(LoadSchoolList(PathOf("xxinfo.txt")), std::out_of_range);
      continue;
    }
    auto table = LoadSchoolList(PathOf("xxinfo.txt"));
    ASSERT_EQ(table->RecordCount(), 2);
    table->Last();
    EXPECT_EQ(table->FieldByName("dqdm").AsString(), c.dqdm);
    EXPECT_EQ(U(table->FieldByName("dqmc").AsString()), c.dqmc);
  }
  std::remove(PathOf("xxinfo.txt").c_str());
  EXPECT_THROW(LoadSchoolList(PathOf("xxinfo.txt")), FileError);
}
