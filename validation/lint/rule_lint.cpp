#include "validation/lint/rule_lint.h"

#include <algorithm>
#include <optional>
#include <set>
#include <utility>

#include "addin/text/conversions.h"
#include "addin/text/item_split.h"
#include "addin/text/string_ops.h"
#include "addin/text/text_file.h"
#include "addin/workbook/base_table.h"
#include "com/error_info.h"
#include "platform/regex/regex.h"
#include "platform/win/code_page.h"
#include "platform/win/path.h"
#include "validation/cell_position.h"
#include "validation/expression_evaluation.h"
#include "validation/keyword_rewriting.h"
#include "validation/lint/known_names.h"
#include "validation/lint/parse_check.h"
#include "validation/lint/template_workbook.h"
#include "validation/rule_file.h"
#include "validation/script_engine.h"

namespace velmora::lint {

namespace {

// What every reference stands for in the expression handed to the engine.
constexpr char kSampleValue[] = "1";

bool EqualNoCase(std::string_view a, std::string_view b) { return win::AnsiUpperCase(a) == win::AnsiUpperCase(b); }
bool ContainsNoCase(std::string_view text, std::string_view part) {
  return win::AnsiUpperCase(text).find(win::AnsiUpperCase(part)) != std::string::npos;
}

std::string Quoted(std::string_view text) { return "\"" + std::string(text) + "\""; }

// The 1-based number of the line that starts at offset (CR LF, a lone CR and
// a lone LF each end a line).
std::size_t LineNumberAt(std::string_view text, std::size_t offset) {
  std::size_t number = 1;
  for (std::size_t i = 0; i < offset; ++i)
    if (text[i] == '\n' || (text[i] == '\r' && (i + 1 >= text.size() || text[i + 1] != '\n'))) ++number;
  return number;
}

// A line of the position file that holds a reference's sheet key and id.
struct Candidate {
  std::size_t line = 0;
  std::string code, id;  // items 0 and 1
  std::string shown;     // items 0 to 2, as "J1_1|A10|8,3"
};

// The rule file and position file of one table, its template, and what the
// lint of its lines has found.
class TableLint {
 public:
  TableLint(std::string directory, std::string table, std::string positions, const TemplateWorkbook& book,
            ScriptEngines& engines, std::vector<Finding>& findings)
      : directory_(std::move(directory)), table_(std::move(table)), positions_(std::move(positions)),
        position_file_(PositionFileName(table_)), book_(book), engines_(engines), findings_(findings) {}

  // Lints one line; true when it holds a rule (a blank line does not).
  bool Line(const std::string& text, std::size_t number) {
    line_ = number;
    seen_.clear();
    std::optional<RuleLine> rule;
    try {
      rule = ParseRuleLine(text);
    } catch (const ListIndexError&) {
      Add(FindingKind::Items, "the line cuts at \",\" into " + std::to_string(SplitItems(text, ",", " ").size()) +
                                  " item(s), not message, number, kind and \"expression\" (two commas in a row count "
                                  "as one): the validator stops the run here");
      return true;
    }
    if (!rule) return false;
    const std::string item = SplitItems(text, ",", " ")[3];
    if (item.size() < 2 || item.front() != '"' || item.back() != '"') {
      // Everything after would be about a text the author did not write.
      Add(FindingKind::Quotes, "the expression item " + item +
                                   " is not enclosed in double quotes: a comma in it ends the item, and its first "
                                   "and last byte are dropped as if they were the quotes");
      return true;
    }
    if (!Framing(rule->expression)) return true;
    const RuleParts parts = SplitRule(rule->expression);
    if (parts.condition) Part("condition", *parts.condition);
    Part("action", parts.action);
    return true;
  }

 private:
  void Add(FindingKind kind, std::string explanation) {
    if (!seen_.emplace(kind, explanation).second) return;  // the same reference written twice
    findings_.push_back({RuleFileName(table_), line_, kind, std::move(explanation)});
  }

  // The framing bytes of one item, which the validator drops unexamined.
  void Expect(const char* part, const std::string& item, std::string_view before, std::string_view after) {
    if (item.size() >= before.size() + after.size() && EqualNoCase(item.substr(0, before.size()), before) &&
        item.compare(item.size() - after.size(), after.size(), after) == 0)
      return;
    const std::size_t front = std::min(before.size(), item.size());
    const std::size_t back = std::min(after.size(), item.size());
    Add(FindingKind::Framing, std::string("the ") + part + " item " + Quoted(item) + " should begin with " +
                                  Quoted(before) + " and end with " + Quoted(after) + ": the validator drops " +
                                  Quoted(item.substr(0, front)) + " and " + Quoted(item.substr(item.size() - back)) +
                                  " without looking at them");
  }

  // The framing of the expression; false when it holds nothing to evaluate.
  bool Framing(const std::string& expression) {
    const std::vector<std::string> items = SplitItems(expression, "|", " ");
    if (items.empty()) {
      Add(FindingKind::Framing, "the expression is empty: the validator stops the run here");
      return false;
    }
    if (items.size() == 2) {
      Expect("condition", items[0], "WHEN(", ")");
      Expect("action", items[1], "=(", ");");
      return true;
    }
    if (items.size() > 2)
      Add(FindingKind::Framing, "the expression cuts at \"|\" into " + std::to_string(items.size()) +
                                    " items: the validator reads a plain rule whose action is the first item; the "
                                    "rest is never evaluated");
    Expect("action", items[0], "=(", ")");
    return true;
  }

  // A condition or an action, rewritten as the validator rewrites it with
  // every reference standing for the sample value.
  void Part(const char* name, const std::string& text) {
    std::string rewritten = RewriteKeywords(text, book_.excel());
    const std::vector<regex::Match> references = regex::Regex(kCellReferencePattern).FindAll(rewritten);
    for (const regex::Match& reference : references) Reference(reference.text);
    for (const regex::Match& reference : references) rewritten = rp(rewritten, reference.text, kSampleValue);
    rewritten = regex::Regex("==").ReplaceAll(rewritten, "=");
    rewritten = regex::Regex("_").ReplaceAll(rewritten, "-");
    rewritten = regex::Regex("!=").ReplaceAll(rewritten, "<>");
    rewritten = ParseInt(rewritten, engines_);
    if (const std::optional<std::string> error = CompilationError(engines_, rewritten)) {
      Add(FindingKind::Syntax, std::string("the ") + name + " as the script engine gets it, " + Quoted(rewritten) +
                                   " (every reference " + kSampleValue +
                                   "), does not parse: " + *error + "; the rule passes whatever the figures");
      return;
    }
    if (const std::vector<std::string> unknown = UnknownNames(rewritten); !unknown.empty()) {
      std::string names;
      for (const std::string& n : unknown) names += (names.empty() ? "" : ", ") + Quoted(n);
      Add(FindingKind::UnknownName, std::string("the ") + name + " as the script engine gets it, " +
                                        Quoted(rewritten) + ", holds " + names +
                                        ": no cell reference (those are written \"F1(\") and no name the engine "
                                        "knows; Empty in a comparison, an error when called");
    }
  }

  void Reference(const std::string& reference) {
    const std::vector<std::string> parts = SplitItems(GetStrBybeginendIndex(reference, 4, 2), ",", " ");
    const std::string& sheet = ItemAt(parts, 0);
    const std::string& id = ItemAt(parts, 1);
    const std::string key = GetStrBybeginendIndex(sheet, 3, 1);
    std::string position;
    try {
      position = getCellPosition(table_, sheet, id, ItemAt(parts, 2), directory_);
    } catch (const FileError&) {
      throw;
    } catch (const std::exception& error) {
      Add(FindingKind::BadPosition, reference + ": " + error.what() + ": the validator stops the run here");
      return;
    }
    if (position.empty()) {
      Add(FindingKind::NoPosition, reference + ": no line of " + position_file_ + " holds both the sheet key " +
                                       Quoted(key) + " and the indicator " + Quoted(id) +
                                       ": the validator stops the run here");
      return;
    }
    LooseMatch(reference, key, id);
    const std::vector<std::string> cell = SplitItems(position, ",", " ");
    int numbers[3];
    try {
      for (int i = 0; i < 3; ++i) numbers[i] = TextToInt(ItemAt(cell, static_cast<std::size_t>(i)));
    } catch (const std::exception& error) {
      Add(FindingKind::BadPosition, reference + " gives the cell position " + Quoted(position) + ": " +
                                        error.what() + ": the validator stops the run here");
      return;
    }
    if (const std::optional<std::string> why = book_.WhyNotInput(numbers[0], numbers[1], numbers[2]))
      Add(FindingKind::NotInput, reference + " reads " + Quoted(position) + ": " + *why);
  }

  // Reports the line the lookup takes when it is not the indicator's own:
  // the sheet key or the id was found inside something longer.
  void LooseMatch(const std::string& reference, const std::string& key, const std::string& id) {
    std::vector<Candidate> candidates;
    ForEachLineWith(positions_, key, id, [&](std::string_view line) {
      const std::vector<std::string> items = SplitItems(line, "|", " ");
      Candidate candidate;
      candidate.line = LineNumberAt(positions_, static_cast<std::size_t>(line.data() - positions_.data()));
      for (std::size_t i = 0; i < std::min<std::size_t>(items.size(), 3); ++i)
        candidate.shown += (i ? "|" : "") + items[i];
      if (!items.empty()) candidate.code = items[0];
      if (items.size() > 1) candidate.id = items[1];
      candidates.push_back(std::move(candidate));
      return true;
    });
    const auto own = [&](const Candidate& c) {
      return EqualNoCase(c.id, id) && EqualNoCase(GetStrBybeginendIndex(c.code, 2, 1), key);
    };
    if (candidates.empty() || own(candidates.front())) return;
    const Candidate& winner = candidates.front();
    std::vector<std::string> why;
    if (!EqualNoCase(winner.id, id))
      why.push_back(ContainsNoCase(winner.id, id) ? Quoted(id) + " occurs inside its longer id " + Quoted(winner.id)
                                                  : Quoted(id) + " occurs in it outside its id " + Quoted(winner.id));
    if (!EqualNoCase(GetStrBybeginendIndex(winner.code, 2, 1), key))
      why.push_back(ContainsNoCase(winner.code, key)
                        ? "the sheet key " + Quoted(key) + " occurs inside its sheet code " + Quoted(winner.code)
                        : "the sheet key " + Quoted(key) + " occurs in it outside its sheet code " +
                              Quoted(winner.code));
    const auto own_line = std::find_if(candidates.begin(), candidates.end(), own);
    const std::string place = position_file_ + ":" + std::to_string(winner.line);
    std::string explanation = reference + " resolves to " + place + " " + Quoted(winner.shown) + ", because " +
                              why.front() + (why.size() > 1 ? " and " + why.back() : "") + "; ";
    if (own_line != candidates.end())
      explanation += "the indicator's own line " + position_file_ + ":" + std::to_string(own_line->line) +
                     " comes later, and the first line holding both, letter case ignored, wins";
    else
      explanation += "the indicator has no line of its own, and the first line holding both, letter case ignored, "
                     "is taken";
    Add(FindingKind::LooseMatch, std::move(explanation));
  }

  std::string directory_, table_, positions_, position_file_;
  const TemplateWorkbook& book_;
  ScriptEngines& engines_;
  std::vector<Finding>& findings_;
  std::size_t line_ = 0;
  std::set<std::pair<FindingKind, std::string>> seen_;
};

// Fails with LintError when the script engine cannot be created.
void RequireEngine(ScriptEngines& engines) {
  try {
    engines.New();
  } catch (const com::ComError& error) {
    throw LintError(std::string("the script engine MSScriptControl.ScriptControl cannot be created: ") + error.what() +
                    " (velmora install registers it)");
  }
}

}  // namespace

LintReport LintRuleSet(const std::string& directory) {
  LintReport report;
  ScriptEngines engines;
  for (int number = 1; number <= 3; ++number) {
    const std::string table = std::to_string(number);
    const std::string rule_file = RuleFileName(table);
    if (!win::FileExists(directory + rule_file)) continue;
    if (report.files.empty()) RequireEngine(engines);
    std::string positions;
    if (!win::ReadFile(directory + PositionFileName(table), positions))
      throw LintError(PositionFileName(table) + " cannot be read beside " + rule_file);
    const std::string template_file = base_table::TemplateFile(static_cast<base_table::Kind>(number));
    std::optional<TemplateWorkbook> book;
    try {
      book.emplace(directory + template_file);
    } catch (const com::ComError& error) {
      throw LintError("the template " + template_file + " of " + rule_file + " cannot be opened: " + error.what());
    }
    std::vector<std::string> lines;
    try {
      lines = LoadLines(directory + rule_file);
    } catch (const FileError& error) {
      throw LintError(error.what());
    }
    report.files.push_back(rule_file);
    TableLint lint(directory, table, std::move(positions), *book, engines, report.findings);
    for (std::size_t i = 0; i < lines.size(); ++i)
      if (lint.Line(lines[i], i + 1)) ++report.rules;
  }
  if (report.files.empty()) throw LintError("no rule file (1.txt, 2.txt, 3.txt) in " + directory);
  return report;
}

}  // namespace velmora::lint
