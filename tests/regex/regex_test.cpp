#include "platform/regex/regex.h"

#include <gtest/gtest.h>

#include <clocale>
#include <string>

namespace {

using regex::Options;
using regex::Regex;
using namespace std::string_literals;

struct ReplaceCase {
  const char* pattern;
  Options options;
  std::string subject;
  const char* replacement;
  std::string expected;
};

TEST(Regex, ReplaceAllAsTheRuleRewritingUsesIt) {
  const ReplaceCase cases[] = {
      // "-" to "_" everywhere, and back; the comparison operators.
      {"-", Options::Default, "F1(JB1-1,A01,1)-F1(JB1-1,A02,1)>=0", "_",
       "F1(JB1_1,A01,1)_F1(JB1_1,A02,1)>=0"},
      {"_", Options::Default, "5_7_2", "-", "5-7-2"},
      {"==", Options::Default, "5+7==12", "=", "5+7=12"},
      {"!=", Options::Default, "1!=2 And 3!=4", "<>", "1<>2 And 3<>4"},
      // Keyword references, letter case ignored, become the school's codes.
      {R"(F1\(\w+\,XXDM\,\w+\))", Options::Caseless,
       "F1(JB1_1,xxdm,1)==12345 Or f1(JB1_1,XXDM,1)==1", "12345", "12345==12345 Or 12345==1"},
      {R"(F1\(\w+\,XXLBDM\,\w+\))", Options::Caseless, "F1(JB1_1,xxlbdm,1)==211", "211",
       "211==211"},
      // Letter case respected without the caseless option.
      {R"(F1\(\w+\,XXDM\,\w+\))", Options::Default, "F1(JB1_1,xxdm,1)==1", "12345",
       "F1(JB1_1,xxdm,1)==1"},
      // The search goes on after the inserted text, never into it.
      {"a", Options::Default, "aaa", "aa", "aaaaaa"},
      {"==", Options::Default, "a====b", "=", "a==b"},
      {"ab", Options::Default, "abb", "a", "ab"},
      // Replacements are inserted as they are.
      {"x", Options::Default, "x-x", "$1\\0", "$1\\0-$1\\0"},
      // Empty matches insert once per position.
      {"z*", Options::Default, "ab", "-", "-a-b-"},
      {"q", Options::Default, "no match", "!", "no match"},
      {"b", Options::Default, "a\0b"s, "c", "a\0c"s},
  };
  for (const ReplaceCase& c : cases) {
    EXPECT_EQ(Regex(c.pattern, c.options).ReplaceAll(c.subject, c.replacement), c.expected)
        << c.pattern << " in " << c.subject;
    EXPECT_EQ(regex::ReplaceAll(c.subject, c.pattern, c.replacement, c.options), c.expected);
  }
}

TEST(Regex, FindAllGivesEveryReferenceLeftToRight) {
  const Regex reference(R"(F1\(\w+\,\w+\,\w+\))");
  const std::string expression =
      "F1(JB1_1,A01,1)+F1(JB1_1,A02,1)==F1(JB1_1,A01,1) And f1(JB1_1,A03,1)>0";
  std::vector<regex::Match> found = reference.FindAll(expression);
  ASSERT_EQ(found.size(), 3u);  // the small f1 is no reference
  EXPECT_EQ(found[0].text, "F1(JB1_1,A01,1)");
  EXPECT_EQ(found[0].offset, 0u);
  EXPECT_EQ(found[1].text, "F1(JB1_1,A02,1)");
  EXPECT_EQ(found[1].offset, 16u);
  EXPECT_EQ(found[2].text, "F1(JB1_1,A01,1)");  // written twice, found twice
  EXPECT_EQ(found[2].length, 15u);

  EXPECT_EQ(reference.FindAll(expression, 1).size(), 2u);  // from a start position
  EXPECT_EQ(reference.FindAll(expression, expression.size()).size(), 0u);
  EXPECT_FALSE(reference.Find(expression, expression.size() + 1).has_value());

  // The caseless keyword pattern matches both spellings.
  const Regex keyword(R"(F1\(\w+\,XXDM\,\w+\))", Options::Caseless);
  EXPECT_EQ(keyword.FindAll("F1(JB1_1,xxdm,1)==1 Or F1(JB1_1,XXDM,1)==2").size(), 2u);
}

TEST(Regex, ThePatternsOfTheKeywordTests) {
  struct Case {
    const char* pattern;
    Options options;
    const char* subject;
    const char* match;  // null: no match
  };
  const Case cases[] = {
      {R"(F1\(\w+\,dqdm\,\w+\)\>=\w+\$)", Options::Caseless, "F1(JB1_1,DQDM,1)>=02$ And 1=1",
       "F1(JB1_1,DQDM,1)>=02$"},
      {R"(\>=\w+\$)", Options::Default, "F1(JB1_1,dqdm,1)>=02$", ">=02$"},
      {R"(F1\(\w+\,xxdm\,\w+\)\==\w+\%)", Options::Caseless, "F1(JB1_1,xxdm,1)==12%",
       "F1(JB1_1,xxdm,1)==12%"},
      {R"(\==\b\w+\b\%)", Options::Default, "F1(JB1_1,xxdm,1)==123456%", "==123456%"},
      {R"(\d+\.{1}\d+)", Options::Default, "12.5=12.4", "12.5"},
      {R"(\d+\.{1}\d+)", Options::Default, "12=12", nullptr},
      // "\w" takes no byte of a double-byte character (here 表, B1 ED).
      {R"(F1\(\w+\,\w+\,\w+\))", Options::Default, "F1(\xB1\xED,A01,1)", nullptr},
  };
  for (const Case& c : cases) {
    std::optional<regex::Match> match = Regex(c.pattern, c.options).Find(c.subject);
    if (c.match == nullptr) {
      EXPECT_FALSE(match.has_value()) << c.pattern << " in " << c.subject;
    } else {
      ASSERT_TRUE(match.has_value()) << c.pattern << " in " << c.subject;
      EXPECT_EQ(match->text, c.match);
    }
  }
}

TEST(Regex, TablesOfAUtf8LocaleKeepWordCharactersAscii) {
  const std::string previous = std::setlocale(LC_CTYPE, nullptr);
  ASSERT_NE(std::setlocale(LC_CTYPE, "C.UTF-8"), nullptr);
  const Regex word(R"(^\w+$)");
  const Regex caseless("XXDM", Options::Caseless);
  std::setlocale(LC_CTYPE, previous.c_str());
  EXPECT_TRUE(word.IsMatch("JB1_1"));
  EXPECT_FALSE(word.IsMatch("\xB1\xED"));  // 表
  EXPECT_FALSE(word.IsMatch("\xE9"));
  EXPECT_TRUE(caseless.IsMatch("f1(jb1_1,xxdm,1)"));
}

TEST(Regex, CaptureGroups) {
  std::optional<regex::Match> match =
      Regex(R"(F1\((\w+),(\w+),(x)?(\w+)\))").Find("=F1(JB1_1,A01,1)");
  ASSERT_TRUE(match.has_value());
  EXPECT_EQ(match->offset, 1u);
  EXPECT_EQ(match->groups, (std::vector<std::string>{"JB1_1", "A01", "", "1"}));
}

TEST(Regex, CompileErrorsCarryPcreMessageAndOffset) {
  struct Case {
    const char* pattern;
    std::size_t offset;
  };
  const Case cases[] = {{R"(F1(\w+)", 6}, {"a)", 1}, {"[a", 2}, {R"(x\)", 2}};
  for (const Case& c : cases) {
    try {
      Regex r(c.pattern);
      ADD_FAILURE() << c.pattern << " compiled";
    } catch (const regex::CompileError& e) {
      EXPECT_FALSE(e.Message().empty());
      EXPECT_EQ(e.Pattern(), c.pattern);
      if (c.offset != 0) {
        EXPECT_EQ(e.Offset(), c.offset) << c.pattern << ": " << e.what();
      }
      EXPECT_NE(std::string(e.what()).find(e.Message()), std::string::npos);
    }
  }
  try {
    Regex r("a)");
  } catch (const regex::CompileError& e) {
    EXPECT_EQ(e.Message(), "unmatched closing parenthesis");
  }
}

}  // namespace
