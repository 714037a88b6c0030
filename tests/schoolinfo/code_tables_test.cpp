// The code tables and the classification rules A, B and C, over the shipped
// tables and over small tables that show the first-row and last-row rules.
#include <gtest/gtest.h>

#include "fixture.h"
#include "platform/forms/error.h"
#include "schoolinfo/code_tables.h"

using namespace velmora;
using schooltest::G;
using schooltest::U;

namespace {

std::vector<std::string> Utf8(const std::vector<std::string>& gbk) {
  std::vector<std::string> out;
  for (const auto& s : gbk) out.push_back(U(s));
  return out;
}

using Names = std::vector<std::string>;

const Names kEveryCombinationAffiliation = {"中央教育部门办学",
                                            "中央其他部门办学",
                                            "地方教育部门办学",
                                            "地方其他部门办学",
                                            "中央企业办学",
                                            "地方企业办学",
                                            "民办"};
const Names kSchoolCode3 = {"地方教育部门办学", "中央企业办学", "地方企业办学", "民办"};

class Rules : public schooltest::SchoolDir {};

}  // namespace

TEST_F(Rules, RuleAAffiliationChoices) {
  CodeTables tables(dir());
  struct Case {
    const char* first;
    const char* dqdm;
    Names offered;
  } cases[] = {
      {"", "", kEveryCombinationAffiliation},          // empty school code: every affiliation once
      {"", "65530001", kEveryCombinationAffiliation},  // ... whatever the region
      {"3", "65530001", {"中央企业办学"}},  // 6553: the single central-enterprise affiliation
      {"9", "6553", {"中央企业办学"}},      // four characters are enough
      {"3", "655", kSchoolCode3},           // three are not
      {"3", " 6553000", kSchoolCode3},      // the box's text as typed, blanks included
      {"1", "2327010", {"中央企业办学", "地方教育部门办学"}},  // 232701 with seven characters
      {"1", "232701", {"中央企业办学", "地方教育部门办学"}},
      {"1", "23270", kEveryCombinationAffiliation},     // five characters never trigger 232701
      {"1", "23270012", kEveryCombinationAffiliation},  // 232700 is no case of rule A
      {"3", "11010800", kSchoolCode3},
      {"4", "11010800", {}},  // no combination row for this first character
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.first) + " / " + c.dqdm);
    EXPECT_EQ(Utf8(tables.LsgxChoices(c.first, c.dqdm)), c.offered);
  }
}

TEST_F(Rules, RuleBCategoryChoices) {
  CodeTables tables(dir());
  struct Case {
    const char* lsgx;
    const char* first;
    const char* dqdm;
    Names offered;
  } cases[] = {
      // school code 8 or 9 with an affiliation of code 14: only in a special region
      {"中央企业办学", "8", "23270012", {"幼儿园"}},
      {"中央企业办学", "8", "11010800", {}},
      {"中央企业办学", "9", "  655301", {"教育事业单位"}},  // leading blanks removed for the prefix
      {"中央企业办学", "9", "655", {}},  // fewer than four characters: not special
      {"中央企业办学", "9", "23270112", {"教育事业单位"}},
      {"地方企业办学", "8", "11010800", {"幼儿园"}},  // code 24: no restriction
      // category 212 with an affiliation other than 14: any region of four characters or more
      {"地方其他部门办学", "2", "1101", {"中等专业学校", "技工学校"}},
      {"地方其他部门办学", "2", "110", {"中等专业学校"}},
      {"地方其他部门办学", "2", "", {"中等专业学校"}},
      // category 212 with affiliation 14: only in a special region
      {"中央企业办学", "2", "11010800", {}},
      {"中央企业办学", "2", "23270000", {"技工学校"}},
      {"中央企业办学", "2", "232", {}},
      // an empty school code: every candidate of the affiliation, no test refuses
      {"中央企业办学",
       "",
       "",
       {"高等职业学校", "职工高等学校", "技工学校", "完全中学", "初级中学", "九年一贯制学校",
        "小学", "幼儿园", "教育事业单位"}},
      {"没有这个隶属关系", "3", "11010800", {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.lsgx) + " / " + c.first + " / " + c.dqdm);
    EXPECT_EQ(Utf8(tables.XxlbChoices(G(c.lsgx), c.first, c.dqdm)), c.offered);
  }
  EXPECT_TRUE(IsSpecialRegion(" 6553"));
  EXPECT_FALSE(IsSpecialRegion(" 655"));
  EXPECT_FALSE(IsSpecialRegion("1232700"));
}

TEST_F(Rules, RuleCTemplateName) {
  CodeTables tables(dir());
  struct Case {
    const char* xxdm;
    const char* lsgx;
    const char* template_name;
  } cases[] = {
      {"51234", "中央其他部门办学", "基表1.xls"},  // 5 with second character 2
      {"10011", "中央教育部门办学", "基表1.xls"},
      {" 10011", "地方教育部门办学", "基表1.xls"},  // the school code is trimmed
      {"31234", "中央其他部门办学", "基表2.xls"},   // 3 with the same affiliation
      {"10011", "中央企业办学", "基表3.xls"},       // second character 4: base table 3 for any code
      {"60011", "地方企业办学", "基表3.xls"},
      {"10011", "民办", "基表3.xls"},  // 35: second character 5
      {"10011", "", "基表2.xls"},      // no affiliation chosen
      {"", "地方教育部门办学", "基表2.xls"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.xxdm) + " / " + c.lsgx);
    EXPECT_EQ(U(tables.GetWhichJiBiao(c.xxdm, G(c.lsgx))), c.template_name);
  }
}

TEST_F(Rules, LookupsTakeTheFirstOrTheLastRow) {
  WriteGbk("lsgx.xml",
           "<?xml version=\"1.0\" encoding=\"GBK\"?><LSGX>"
           "<ROW DM=\"11\" MC=\"甲\"/><ROW DM=\"11\" MC=\"乙\"/><ROW DM=\"12\" MC=\"甲\"/><ROW "
           "DM=\"13\" MC=\" 丙\"/>"
           "</LSGX>");
  WriteGbk("xxlb.xml",
           "<?xml version=\"1.0\" encoding=\"GBK\"?><XXLB>"
           "<ROW DM=\" 111 \" MC=\" 大学 \" SW=\"1\"/><ROW DM=\"111\" MC=\"学院\" SW=\"1\"/>"
           "<ROW DM=\"611\" MC=\"小学\" SW=\"6\"/></XXLB>");
  WriteGbk("xxlblsgx.xml",
           "<?xml version=\"1.0\" encoding=\"GBK\"?><XXLBLSGX>"
           "<DZ><LSGXDM>11</LSGXDM><XXLBDM>111</XXLBDM><LSGXMC>甲</LSGXMC><XXLBMC>大学</"
           "XXLBMC><XXDMSW>1</XXDMSW></DZ>"
           "<DZ><LSGXDM>11</LSGXDM><XXLBDM>112</XXLBDM><LSGXMC>乙</LSGXMC><XXLBMC>学院</"
           "XXLBMC><XXDMSW>1</XXDMSW></DZ>"
           "<DZ><LSGXDM>21</LSGXDM><XXLBDM>111</XXLBDM><LSGXMC>丙</LSGXMC><XXLBMC>高校</"
           "XXLBMC><XXDMSW>1</XXDMSW></DZ>"
           "<DZ><LSGXDM>11</LSGXDM><XXLBDM>113</XXLBDM><LSGXMC>甲</LSGXMC><XXLBMC>独立学院</"
           "XXLBMC><XXDMSW>1</XXDMSW></DZ>"
           "</XXLBLSGX>");
  CodeTables tables(dir());
  struct Case {
    const char* what;
    std::string found;
    const char* expected;
  } cases[] = {
      // affiliation table: first row, exact
      {"GetLsgxdmByName 甲", tables.GetLsgxdmByName(G("甲")), "11"},
      {"GetLsgxdmByName 丙 (table value not trimmed)", tables.GetLsgxdmByName(G("丙")), ""},
      {"GetLsgxnameByDm 11", tables.GetLsgxnameByDm("11"), "甲"},
      {"GetLsgxnameByDm 99", tables.GetLsgxnameByDm("99"), ""},
      // category table: first row whose trimmed value equals the argument
      {"GetXxlbdmByName 大学", tables.GetXxlbdmByName(G("大学")), " 111 "},
      {"GetXxlbdmByName ' 大学 ' (argument not trimmed)", tables.GetXxlbdmByName(G(" 大学 ")), ""},
      {"GetXxlbnameByDm 111", tables.GetXxlbnameByDm("111"), " 大学 "},
      // combination table: last row
      {"Getlsgxmcbylsgxdm 11", tables.Getlsgxmcbylsgxdm("11"), "甲"},
      {"Getlsgxmcbylsgxdm 21", tables.Getlsgxmcbylsgxdm("21"), "丙"},
      {"Getxxlbmcbyxxlbdm 111", tables.Getxxlbmcbyxxlbdm("111"), "高校"},
      {"Getxxlbmcbyxxlbdm 999", tables.Getxxlbmcbyxxlbdm("999"), ""},
  };
  for (const Case& c : cases) EXPECT_EQ(U(c.found), c.expected) << c.what;
  // Setlsgx keeps repeats; rule A offers a name once.
  EXPECT_EQ(Utf8(tables.LsgxNames()), (Names{"甲", "乙", "甲", " 丙"}));
  EXPECT_EQ(Utf8(tables.LsgxChoices("1", "11010800")), (Names{"甲", "乙", "丙"}));
  EXPECT_EQ(Utf8(tables.XxlbNames("")), (Names{" 大学 ", "学院", "小学"}));
  EXPECT_EQ(Utf8(tables.XxlbNames("6")), (Names{"小学"}));

  // An empty combination table offers nothing, not even in a special region.
  WriteGbk("xxlblsgx.xml", "<?xml version=\"1.0\" encoding=\"GBK\"?><XXLBLSGX></XXLBLSGX>");
  EXPECT_EQ(tables.LsgxChoices("3", "65530001"), Names{});
  EXPECT_EQ(tables.LsgxChoices("", ""), Names{});
}

TEST_F(Rules, MissingFilesRaiseOnEveryCall) {
  CodeTables tables(dir());
  EXPECT_EQ(U(tables.GetLsgxnameByDm("21")), "地方教育部门办学");
  std::remove(PathOf("Tolsgx.xtr").c_str());
  EXPECT_THROW(tables.GetLsgxnameByDm("21"), forms::Error);  // read afresh: nothing cached
  std::remove(PathOf("xxlblsgx.xml").c_str());
  EXPECT_THROW(tables.LsgxChoices("1", ""), forms::Error);
  schooltest::WriteBytes(PathOf("xxlb.xml"), "not xml");
  EXPECT_THROW(tables.XxlbNames(""), forms::Error);
}
