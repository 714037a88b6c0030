#include "validation/keyword_rewriting.h"

#include <functional>

#include "addin/text/string_ops.h"
#include "platform/regex/regex.h"
#include "platform/win/code_page.h"
#include "validation/school_codes.h"

namespace velmora {

namespace {

using regex::Options;

struct KeywordReference {
  const char* keyword;
  const char* pattern;
  std::string (*code)(const workbook::Application&);
};

const KeywordReference kKeywordReferences[] = {
    {"xxlbdm", R"(F1\(\w+\,XXLBDM\,\w+\))", GetXxlbDm},
    {"lsgxdm", R"(F1\(\w+\,LSGXDM\,\w+\))", GetLsgxDm},
    {"dqdm", R"(F1\(\w+\,DQDM\,\w+\))", GetDqDm},
    {"xxdm", R"(F1\(\w+\,XXDM\,\w+\))", GetXxdm},
};

std::string Outcome(bool value) { return value ? "True" : "False"; }

// The region-code middle tests.
std::string ReplaceMiddleTests(std::string expression, const workbook::Application& excel) {
  const std::vector<regex::Match> tests =
      regex::Regex(R"(F1\(\w+\,dqdm\,\w+\)\>=\w+\$)", Options::Caseless).FindAll(expression);
  if (tests.empty()) return expression;
  const std::string region = GetDqDm(excel);
  const regex::Regex value_pattern(R"(\>=\w+\$)");
  for (const regex::Match& test : tests) {
    const std::string value = GetStrBybeginendIndex(value_pattern.Find(test.text)->text, 3, 2);
    const bool equal = region.size() >= 6 && GetStrBybeginendIndex(region, 5, 3) == value;
    expression = regex::ReplaceAll(expression, R"(F1\(\w+\,dqdm\,\w+\)\>=)" + value + R"(\$)", Outcome(equal),
                                   Options::Caseless);
  }
  return expression;
}

// The prefix tests of the region code or, when there is none, of the school code.
std::string ReplacePrefixTests(std::string expression, const workbook::Application& excel) {
  std::string stem = R"(F1\(\w+\,dqdm\,\w+\)\==)";
  auto code = GetDqDm;
  std::vector<regex::Match> tests = regex::Regex(stem + R"(\w+\%)", Options::Caseless).FindAll(expression);
  if (tests.empty()) {
    stem = R"(F1\(\w+\,xxdm\,\w+\)\==)";
    code = GetXxdm;
    tests = regex::Regex(stem + R"(\w+\%)", Options::Caseless).FindAll(expression);
  }
  if (tests.empty()) return expression;
  const std::string code_text = code(excel);
  const regex::Regex value_pattern(R"(\==\b\w+\b\%)");
  for (const regex::Match& test : tests) {
    const std::string value = GetStrBybeginendIndex(value_pattern.Find(test.text)->text, 3, 2);
    const bool begins = code_text.size() >= value.size() && code_text.compare(0, value.size(), value) == 0;
    expression = regex::ReplaceAll(expression, stem + value + "%", Outcome(begins), Options::Caseless);
  }
  return expression;
}

bool ContainsIgnoringCase(std::string_view text, std::string_view part) {
  return win::AnsiUpperCase(text).find(win::AnsiUpperCase(part)) != std::string::npos;
}

}  // namespace

std::string ReplaceOtherKeyWords(std::string_view expression, std::string_view keyword,
                                 const workbook::Application& excel) {
  if (keyword == "%") return ReplacePrefixTests(std::string(expression), excel);
  if (keyword == "$") return ReplaceMiddleTests(std::string(expression), excel);
  for (const KeywordReference& reference : kKeywordReferences)
    if (keyword == reference.keyword)
      return regex::ReplaceAll(expression, reference.pattern, reference.code(excel), Options::Caseless);
  return std::string(expression);
}

std::string RewriteKeywords(std::string expression, const workbook::Application& excel) {
  for (const char* keyword : {"%", "$", "xxdm", "xxlbdm", "lsgxdm", "dqdm"})
    if (ContainsIgnoringCase(expression, keyword)) expression = ReplaceOtherKeyWords(expression, keyword, excel);
  return expression;
}

}  // namespace velmora
