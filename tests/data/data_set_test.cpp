// The shipped data set of the 2010 return checked as a whole: the files the
// add-in reads from its module directory (in GBK, as shipped) against each
// other and against the template layouts.
#include <gtest/gtest.h>
#include <libxml/parser.h>
#include <libxml/tree.h>

#include <cstdlib>
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <regex>
#include <set>
#include <string>
#include <vector>

#include <unistd.h>

#include "addin/text/item_split.h"
#include "addin/text/string_ops.h"
#include "addin/text/text_file.h"
#include "layout.h"
#include "platform/win/code_page.h"
#ifdef VELMORA_DATA_TEMPLATES
#include "excel/xlsx/model.h"
#endif
#ifdef VELMORA_DATA_FORMS
#include "platform/forms/icon.h"
#include "platform/forms/xml_transform.h"
#endif

namespace {

using velmora::GetStrBybeginendIndex;
using velmora::SplitItems;
using velmora::data::CellKind;
using velmora::data::Layout;
using velmora::data::LayoutSheet;

std::string BinDir() {
  const char* dir = std::getenv("VELMORA_BIN_DIR");
  return dir ? dir : DATA_BIN_DIR;
}
std::string SourceDir() {
  const char* dir = std::getenv("VELMORA_SOURCE_DIR");
  return dir ? dir : DATA_SOURCE_DIR;
}
std::vector<std::string> Lines(const std::string& name) { return velmora::LoadLines(BinDir() + "/" + name); }
std::string Lower(std::string s) {
  for (char& c : s)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return s;
}
std::string Utf8(const std::string& gbk) { return win::AnsiToUtf8(gbk); }

const Layout& LayoutOf(int kind) {
  static std::map<int, Layout> layouts;
  auto it = layouts.find(kind);
  if (it == layouts.end())
    it = layouts.emplace(kind, velmora::data::ReadLayout(SourceDir() + "/data/templates/TANVIK" +
                                                         std::to_string(kind) + ".layout")).first;
  return it->second;
}

// A position-file lookup exactly as the validator does it: the first line
// that holds the sheet key and the indicator id anywhere, case ignored.
struct Lookup {
  std::string line;  // the matching line, empty when none
  std::string position;
};
Lookup LooseLookup(int kind, const std::string& a, const std::string& y, const std::string& z) {
  std::string key = GetStrBybeginendIndex(a, 3, 0);
  for (const std::string& line : Lines("d" + std::to_string(kind) + ".txt")) {
    if (Lower(line).find(Lower(key)) == std::string::npos || Lower(line).find(Lower(y)) == std::string::npos) continue;
    std::vector<std::string> items = SplitItems(line, "|", " ");
    std::string number = GetStrBybeginendIndex(key, 3, 0);
    if (z == "1") return {line, number + "," + items.at(2)};
    std::vector<std::string> rc = SplitItems(items.at(2), ",", " ");
    return {line, number + "," + std::to_string(std::stoi(rc.at(0)) + std::stoi(z) - 1) + "," + rc.at(1)};
  }
  return {};
}

struct Rule {
  int line_no;
  std::string message, kind, expression;  // expression: "-" already "_", framing kept
  std::vector<std::string> parts;         // the expression cut at "|"
};

std::vector<Rule> Rules(int kind) {
  std::vector<Rule> rules;
  int n = 0;
  for (const std::string& line : Lines(std::to_string(kind) + ".txt")) {
    ++n;
    std::vector<std::string> items = SplitItems(line, ",", " ");
    EXPECT_EQ(items.size(), 4u) << kind << ".txt line " << n;
    if (items.size() < 4) continue;
    const std::string& quoted = items[3];
    EXPECT_TRUE(quoted.size() > 2 && quoted.front() == '"' && quoted.back() == '"') << kind << ".txt line " << n;
    std::string expression = std::regex_replace(GetStrBybeginendIndex(quoted, 2, 2), std::regex("-"), "_");
    rules.push_back({n, items[0], items[2], expression, SplitItems(expression, "|", " ")});
  }
  return rules;
}

// The cell references of a rule; keyword references are not cells.
std::vector<std::smatch> References(const std::string& expression) {
  static const std::regex reference(R"(F1\(([A-Za-z0-9_]+),([A-Za-z0-9_]+),([A-Za-z0-9_]+)\))");
  std::vector<std::smatch> refs;
  for (auto it = std::sregex_iterator(expression.begin(), expression.end(), reference); it != std::sregex_iterator(); ++it) {
    std::string y = Lower((*it)[2]);
    if (y != "xxdm" && y != "xxlbdm" && y != "lsgxdm" && y != "dqdm") refs.push_back(*it);
  }
  return refs;
}

class EveryKind : public ::testing::TestWithParam<int> {};
INSTANTIATE_TEST_SUITE_P(Data, EveryKind, ::testing::Values(1, 2, 3));

TEST_P(EveryKind, RuleLinesHaveFourItemsAQuotedExpressionAndTheirFraming) {
  int kind = GetParam();
  std::vector<Rule> rules = Rules(kind);
  EXPECT_GE(rules.size(), 60u);
  int mandatory = 0, conditional = 0;
  for (const Rule& r : rules) {
    std::string where = std::to_string(kind) + ".txt line " + std::to_string(r.line_no);
    mandatory += r.kind == "1";
    EXPECT_TRUE(r.kind == "1" || r.kind == "0") << where;
    EXPECT_FALSE(r.message.empty()) << where;
    if (r.parts.size() == 2) {
      ++conditional;
      EXPECT_EQ(r.parts[0].substr(0, 5), "WHEN(") << where;
      EXPECT_EQ(r.parts[0].back(), ')') << where;
      EXPECT_EQ(r.parts[1].substr(0, 2), "=(") << where;
      EXPECT_EQ(r.parts[1].substr(r.parts[1].size() - 2), ");") << where;
    } else {
      ASSERT_EQ(r.parts.size(), 1u) << where;
      EXPECT_EQ(r.parts[0].substr(0, 2), "=(") << where;
      EXPECT_EQ(r.parts[0].back(), ')') << where;
    }
  }
  EXPECT_GT(mandatory, 0);
  EXPECT_LT(mandatory, static_cast<int>(rules.size()));
  EXPECT_GT(conditional, 0);
}

TEST_P(EveryKind, EveryReferenceResolvesToItsOwnLineAndAnOpenInputCell) {
  int kind = GetParam();
  const Layout& layout = LayoutOf(kind);
  for (const Rule& r : Rules(kind)) {
    for (const std::smatch& m : References(r.expression)) {
      std::string a = m[1], y = m[2], z = m[3];
      std::string where = std::to_string(kind) + ".txt line " + std::to_string(r.line_no) + " " + m.str();
      Lookup found = LooseLookup(kind, a, y, z);
      ASSERT_FALSE(found.line.empty()) << where << ": no position line";
      std::vector<std::string> items = SplitItems(found.line, "|", " ");
      // The line found loosely is the line of this very sheet and id.
      EXPECT_EQ(items[0], "J" + GetStrBybeginendIndex(a, 3, 0)) << where << " took " << Utf8(found.line);
      EXPECT_EQ(items[1], y) << where << " took " << Utf8(found.line);
      std::vector<std::string> pos = SplitItems(found.position, ",", " ");
      int sheet = std::stoi(pos.at(0)), row = std::stoi(pos.at(1)), column = std::stoi(pos.at(2));
      ASSERT_GE(sheet, 1);
      ASSERT_LE(sheet, 4);
      EXPECT_EQ(layout.sheets[sheet - 1].code, items[0]) << where;
      EXPECT_TRUE(layout.sheets[sheet - 1].IsOpen(row, column)) << where << " reads " << found.position;
    }
  }
}

TEST_P(EveryKind, RulesUseEveryFormOfTheRuleLanguage) {
  int kind = GetParam();
  std::set<std::string> forms;
  for (const Rule& r : Rules(kind)) {
    const std::string& e = r.expression;
    forms.insert(r.parts.size() == 2 ? "conditional" : "plain");
    for (const std::smatch& m : References(e))
      if (m[3] != "1") forms.insert("row shift");
    for (const char* kw : {"XXDM", "XXLBDM", "LSGXDM", "DQDM"})
      if (e.find(std::string(",") + kw + ",") != std::string::npos) forms.insert(kw);
    if (std::regex_search(e, std::regex(R"(F1\(\w+,dqdm,\w+\)==\w+%)"))) forms.insert("region prefix");
    if (std::regex_search(e, std::regex(R"(F1\(\w+,xxdm,\w+\)==\w+%)"))) forms.insert("school prefix");
    if (std::regex_search(e, std::regex(R"(F1\(\w+,dqdm,\w+\)>=\w+\$)"))) forms.insert("region middle");
    if (e.find("==") != std::string::npos) forms.insert("==");
    if (e.find("!=") != std::string::npos) forms.insert("!=");
    std::string action = r.parts.back();
    if (std::regex_search(action, std::regex(R"(\d+\.\d+)")) && action.find("==") != std::string::npos &&
        action.find(">=") == std::string::npos && action.find("<=") == std::string::npos)
      forms.insert("rounded decimals");
  }
  // An id written with "-" in the rule file (read as "_" by the validator).
  for (const std::string& line : Lines(std::to_string(kind) + ".txt"))
    if (std::regex_search(line, std::regex(R"(F1\(\w+,\w+-\w+,\w+\))"))) forms.insert("id with -");
  for (const char* form : {"conditional", "plain", "row shift", "XXDM", "XXLBDM", "LSGXDM", "DQDM", "region prefix",
                           "school prefix", "region middle", "==", "!=", "rounded decimals", "id with -"})
    EXPECT_TRUE(forms.count(form)) << kind << ".txt uses no " << form;
}

// The root element's children of an explanation file: id -> (name, explanation).
std::map<std::string, std::pair<std::string, std::string>> Explanations(const std::string& path) {
  std::map<std::string, std::pair<std::string, std::string>> out;
  xmlDoc* doc = xmlReadFile(path.c_str(), nullptr, XML_PARSE_NONET);
  if (!doc) return out;
  for (xmlNode* n = xmlDocGetRootElement(doc)->children; n; n = n->next) {
    if (n->type != XML_ELEMENT_NODE) continue;
    std::string name, text;
    for (xmlNode* c = n->children; c; c = c->next) {
      if (c->type != XML_ELEMENT_NODE) continue;
      xmlChar* content = xmlNodeGetContent(c);
      std::string value = reinterpret_cast<const char*>(content);
      xmlFree(content);
      if (std::string(reinterpret_cast<const char*>(c->name)) == "ZBMC") name = value;
      if (std::string(reinterpret_cast<const char*>(c->name)) == "ZBJS") text = value;
    }
    out[reinterpret_cast<const char*>(n->name)] = {name, text};
  }
  xmlFreeDoc(doc);
  return out;
}

TEST_P(EveryKind, PositionsNameInputCellsAndEveryIndicatorHasAnExplanation) {
  int kind = GetParam();
  const Layout& layout = LayoutOf(kind);
  std::map<std::string, std::set<std::string>> ids;  // sheet code -> ids
  std::set<std::string> places;
  for (const std::string& line : Lines("d" + std::to_string(kind) + ".txt")) {
    // Cut as the indicator command cuts it ("*" skipped) and as the validator does (blank).
    std::vector<std::string> items = SplitItems(line, "|", "*");
    ASSERT_GE(items.size(), 3u) << line;
    EXPECT_EQ(items, SplitItems(line, "|", " ")) << line;
    const LayoutSheet* sheet = layout.SheetByCode(items[0]);
    ASSERT_NE(sheet, nullptr) << line;
    std::vector<std::string> rc = SplitItems(items[2], ",", " ");
    ASSERT_EQ(rc.size(), 2u) << line;
    EXPECT_TRUE(sheet->IsInput(std::stoi(rc[0]), std::stoi(rc[1]))) << Utf8(line);
    EXPECT_TRUE(ids[items[0]].insert(items[1]).second) << "id twice: " << line;
    EXPECT_TRUE(places.insert(items[0] + "|" + items[2]).second) << "cell twice: " << line;
  }
  for (int s = 1; s <= 4; ++s) {
    std::string code = layout.sheets[s - 1].code;
    auto explained = Explanations(BinDir() + "/zbjs_xml/" + code + ".xml");
    ASSERT_FALSE(explained.empty()) << "zbjs_xml/" << code << ".xml";
    for (const std::string& id : ids[code]) {
      auto it = explained.find(id);
      ASSERT_NE(it, explained.end()) << code << " " << id << " has no explanation";
      EXPECT_FALSE(it->second.first.empty()) << code << " " << id;
      EXPECT_GT(it->second.second.size(), 20u) << code << " " << id;
    }
    EXPECT_EQ(explained.size(), ids[code].size()) << "zbjs_xml/" << code << ".xml explains ids the position file lacks";
  }
}

struct LockList {
  const char* file;
  int kind, mode;
};
const LockList kLockLists[] = {
    {"lsgxJ1-1.txt", 1, 0}, {"lsgxJ1-2.txt", 1, 0},
    {"lsgxJ2_2ywjyxzf_1.txt", 2, 0}, {"lsgxJ2_2jyxzsydwbtb_2.txt", 2, 0}, {"lsgxJ2_2jnygzbczl_4.txt", 2, 0},
    {"lsgxJ2_1wzbczl_3.txt", 2, 1}, {"lsgxJ2_1jnygzbczl_4.txt", 2, 1}, {"lsgxJ2_1snnygzbczl_5.txt", 2, 1},
    {"lsgxJ2_1dxxzxybczl_6.txt", 2, 1},
    {"_1J3_2_btywjyxzf.txt", 3, 0}, {"_2J3_2_lszydbtdfjyfj.txt", 3, 0}, {"_3J3_1_gdxxbczl.txt", 3, 1},
    {"_4J3_1_wzbczl.txt", 3, 1}, {"_5J3_1_jnygzbczl.txt", 3, 1}, {"_6J3_1_snnygzbczl.txt", 3, 1},
};

TEST(DataLockLists, EveryLineNamesAnInputCellThatItsModeCanSwitch) {
  for (const LockList& list : kLockLists) {
    const Layout& layout = LayoutOf(list.kind);
    std::vector<std::string> lines = Lines(list.file);
    EXPECT_FALSE(lines.empty()) << list.file;
    for (const std::string& line : lines) {
      std::vector<std::string> items = SplitItems(line, "|", " ");
      ASSERT_GE(items.size(), 3u) << list.file << ": " << Utf8(line);
      std::vector<std::string> rc = SplitItems(items[2], ",", " ");
      ASSERT_EQ(rc.size(), 2u) << list.file;
      int sheet = std::stoi(items[0].substr(3)), row = std::stoi(rc[0]), column = std::stoi(rc[1]);
      ASSERT_GE(sheet, 1);
      ASSERT_LE(sheet, 4);
      const LayoutSheet& ls = layout.sheets[sheet - 1];
      EXPECT_EQ(ls.code, items[0]) << list.file;
      // A locking list switches off open cells; an unlocking list opens cells the template keeps locked.
      const velmora::data::LayoutCell* cell = ls.Find(row, column);
      ASSERT_NE(cell, nullptr) << list.file << ": " << Utf8(line);
      EXPECT_EQ(cell->kind, list.mode == 0 ? CellKind::Input : CellKind::Switch) << list.file << ": " << Utf8(line);
    }
  }
}

// data/README.md's cell map lists every input cell with what reads it; it
// must stay true to the files.
std::set<int> ParseNumbers(const std::string& text) {
  std::set<int> out;
  for (const std::string& part : SplitItems(text, ",", " ")) {
    std::size_t dash = part.find("–");
    if (dash == std::string::npos) {
      out.insert(std::stoi(part));
    } else {
      for (int i = std::stoi(part.substr(0, dash)); i <= std::stoi(part.substr(dash + 3)); ++i) out.insert(i);
    }
  }
  return out;
}

TEST_P(EveryKind, TheReadmeCellMapAgreesWithTheFiles) {
  int kind = GetParam();
  const Layout& layout = LayoutOf(kind);
  // What the files say: the rules reading each cell, its indicator, the lists naming it.
  std::map<std::string, std::set<int>> readers;
  for (const Rule& r : Rules(kind))
    for (const std::smatch& m : References(r.expression)) {
      std::vector<std::string> pos = SplitItems(LooseLookup(kind, m[1], m[2], m[3]).position, ",", " ");
      ASSERT_EQ(pos.size(), 3u);
      readers["J" + std::to_string(kind) + "_" + pos[0] + " " +
              velmora::data::CellName(std::stoi(pos[1]), std::stoi(pos[2]))].insert(r.line_no);
    }
  std::map<std::string, std::string> indicators;
  for (const std::string& line : Lines("d" + std::to_string(kind) + ".txt")) {
    std::vector<std::string> items = SplitItems(line, "|", " ");
    std::vector<std::string> rc = SplitItems(items[2], ",", " ");
    indicators[items[0] + " " + velmora::data::CellName(std::stoi(rc[0]), std::stoi(rc[1]))] = items[1];
  }
  std::map<std::string, std::set<std::string>> lists;
  for (const LockList& list : kLockLists) {
    if (list.kind != kind) continue;
    for (const std::string& line : Lines(list.file)) {
      std::vector<std::string> items = SplitItems(line, "|", " ");
      std::vector<std::string> rc = SplitItems(items[2], ",", " ");
      lists[items[0] + " " + velmora::data::CellName(std::stoi(rc[0]), std::stoi(rc[1]))].insert(list.file);
    }
  }
  // What the map says.
  std::ifstream in(SourceDir() + "/data/README.md");
  std::string line, section, code;
  std::set<std::string> listed;
  while (std::getline(in, line)) {
    if (line.rfind("### Base table ", 0) == 0) section = line.substr(15, 1);
    if (line.rfind("#### ", 0) == 0) code = line.substr(5, 4);
    if (section != std::to_string(kind) || line.rfind("| ", 0) != 0 || code.empty()) continue;
    std::vector<std::string> cols;
    std::size_t start = 1;
    for (std::size_t bar; (bar = line.find(" |", start)) != std::string::npos; start = bar + 2)
      cols.push_back(line.substr(start + 1, bar - start - 1));
    if (cols.size() != 6 || cols[0] == "cell" || cols[0].rfind("---", 0) == 0) continue;
    std::string key = code + " " + cols[0];
    EXPECT_TRUE(listed.insert(key).second) << "listed twice: " << key;
    const LayoutSheet* sheet = layout.SheetByCode(code);
    ASSERT_NE(sheet, nullptr) << code;
    auto rc = velmora::data::ParseCell(cols[0]);
    ASSERT_TRUE(sheet->IsInput(rc.first, rc.second)) << key;
    EXPECT_EQ(cols[3], sheet->IsOpen(rc.first, rc.second) ? "open" : "switch") << key;
    EXPECT_EQ(cols[2], indicators.count(key) ? indicators[key] : "") << key;
    EXPECT_EQ(cols[4].empty() ? std::set<int>{} : ParseNumbers(cols[4]), readers[key]) << key;
    std::set<std::string> named;
    for (const std::string& item : SplitItems(cols[5], ",", " ")) named.insert(item.substr(1, item.size() - 2));
    EXPECT_EQ(named, lists[key]) << key;
  }
  for (int s = 0; s < 4; ++s) {
    for (const auto& [rc, cell] : layout.sheets[s].cells) {
      std::string key = layout.sheets[s].code + " " + velmora::data::CellName(rc.first, rc.second);
      if (layout.sheets[s].IsInput(rc.first, rc.second)) {
        EXPECT_TRUE(listed.count(key)) << "the cell map lacks " << key;
      }
    }
  }
}

// The cells the printed supplementary notes read (worksheet, row, column), and their rows on the print sheet.
struct Notes {
  int kind;
  std::vector<std::tuple<int, int, int>> cells;
  std::vector<int> print_rows;
};
const Notes kNotes[] = {
    {1, {{1, 24, 4}, {1, 25, 6}, {1, 25, 12}, {1, 25, 14}, {1, 26, 6}, {1, 26, 12}, {1, 26, 14}, {1, 27, 6}, {1, 27, 12},
         {1, 27, 14}, {1, 28, 6}, {1, 28, 12}, {1, 28, 14}, {1, 29, 5}, {1, 29, 12}, {1, 30, 8}, {2, 26, 6}, {2, 27, 9},
         {2, 27, 12}, {2, 28, 6}, {2, 28, 10}, {2, 29, 8}, {2, 29, 11}, {4, 19, 4}, {4, 19, 8}, {4, 19, 11}},
     {16, 17, 18, 19, 20, 32, 33, 34, 70}},
    {2, {{1, 24, 5}, {1, 25, 7}, {1, 25, 12}, {1, 26, 8}, {1, 26, 13}, {1, 27, 8}, {1, 27, 13}, {1, 28, 5}, {1, 28, 9},
         {1, 29, 11}, {2, 22, 6}, {2, 22, 10}, {2, 23, 5}, {2, 23, 9}, {2, 24, 9}, {4, 19, 4}, {4, 19, 8}, {4, 19, 11}},
     {16, 17, 18, 19, 20, 29, 30, 68}},
    {3, {{1, 24, 4}, {1, 25, 8}, {1, 25, 13}, {1, 25, 17}, {1, 26, 7}, {1, 26, 13}, {1, 26, 17}, {1, 27, 8}, {1, 27, 13},
         {1, 27, 17}, {1, 28, 7}, {1, 28, 13}, {1, 28, 17}, {1, 29, 7}, {1, 29, 14}, {1, 30, 7}, {1, 30, 14}, {1, 31, 9},
         {1, 31, 15}, {1, 32, 9}, {1, 32, 15}, {1, 33, 5}, {1, 33, 12}, {2, 22, 6}, {2, 23, 8}, {2, 24, 5}, {2, 24, 8},
         {2, 25, 7}, {4, 19, 4}, {4, 19, 8}, {4, 19, 11}},
     {16, 17, 18, 19, 20, 21, 22, 30, 31, 32, 68}},
};

TEST(DataNotes, NoteCellsAreInputCellsAndThePrintSheetHoldsTheNoteRows) {
  for (const Notes& n : kNotes) {
    const Layout& layout = LayoutOf(n.kind);
    for (auto [w, r, c] : n.cells) EXPECT_TRUE(layout.sheets[w - 1].IsInput(r, c)) << n.kind << ": " << w << "," << r << "," << c;
    ASSERT_EQ(layout.sheets.size(), 5u);
    const LayoutSheet& print = layout.sheets[4];
    EXPECT_TRUE(print.hidden);
    for (int row : n.print_rows) {
      const velmora::data::LayoutCell* cell = print.Find(row, 2);
      ASSERT_NE(cell, nullptr) << n.kind << " print row " << row;
      EXPECT_EQ(cell->kind, CellKind::Note) << n.kind << " print row " << row;
    }
  }
}

TEST(DataHeaders, HeaderCellsAndBookkeepingCellsSitWhereTheWritersPutThem) {
  // Per kind and sheet: the columns of school code, name, affiliation (row 4),
  // region code, region name, category (row 5), and the date (row 6, sheet 1).
  struct Header {
    int kind, sheet;
    const char* columns;
  } headers[] = {
      {1, 1, "CGNN"}, {1, 2, "CFK"}, {1, 3, "CGM"}, {1, 4, "CFK"}, {2, 1, "DHOO"}, {2, 2, "CFK"},
      {2, 3, "CGM"}, {2, 4, "CFK"}, {3, 1, "CIQQ"}, {3, 2, "CFJ"}, {3, 3, "CGK"}, {3, 4, "CFK"},
  };
  const char* roles4[] = {"xxdm", "xxmc", "lsgxmc"};
  const char* roles5[] = {"dqdm", "dqmc", "xxlbmc"};
  for (const Header& h : headers) {
    const LayoutSheet& sheet = LayoutOf(h.kind).sheets[h.sheet - 1];
    for (int i = 0; i < 3; ++i) {
      int column = h.columns[i] - 'A' + 1;
      for (auto [row, role] : {std::pair{4, roles4[i]}, std::pair{5, roles5[i]}}) {
        const velmora::data::LayoutCell* cell = sheet.Find(row, column);
        ASSERT_NE(cell, nullptr) << h.kind << "/" << h.sheet << " row " << row;
        EXPECT_EQ(cell->kind, CellKind::Header);
        EXPECT_EQ(cell->text, role);
        EXPECT_TRUE(cell->text_format);
      }
    }
    if (h.sheet == 1) {
      const velmora::data::LayoutCell* date = sheet.Find(6, h.columns[3] - 'A' + 1);
      ASSERT_NE(date, nullptr);
      EXPECT_EQ(date->text, "date");
      for (int column : {1, 2, 5, 20}) {
        const velmora::data::LayoutCell* book = sheet.Find(40, column);
        ASSERT_NE(book, nullptr) << h.kind << " row 40 column " << column;
        EXPECT_EQ(book->kind, CellKind::Book);
      }
    }
    EXPECT_NE(std::find(sheet.hidden_rows.begin(), sheet.hidden_rows.end(), 40), sheet.hidden_rows.end());
  }
  // The first selection after the information is written: C6:D6, D6:E6, C6:F6.
  for (auto [kind, first, last] : {std::tuple{1, 3, 4}, std::tuple{2, 4, 5}, std::tuple{3, 3, 6}})
    for (int c = first; c <= last; ++c) EXPECT_TRUE(LayoutOf(kind).sheets[0].IsOpen(6, c)) << kind;
  // Base table 1's locking selects D11 on every sheet it touches.
  for (int s = 0; s < 4; ++s) EXPECT_TRUE(LayoutOf(1).sheets[s].IsOpen(11, 4)) << "J1_" << s + 1;
}

// ------------------------------------------------------------------ code tables and schools
struct Table {
  std::vector<std::map<std::string, std::string>> rows;  // field -> value (UTF-8)
};

// Reads a code table through its transformation file: the row path from the
// root element, each field from an attribute ("@name") or a child element.
Table ReadCodeTable(const std::string& data, const std::string& transformation) {
  Table table;
  xmlDoc* xtr = xmlReadFile((BinDir() + "/" + transformation).c_str(), nullptr, XML_PARSE_NONET);
  xmlDoc* doc = xmlReadFile((BinDir() + "/" + data).c_str(), nullptr, XML_PARSE_NONET);
  EXPECT_TRUE(xtr && doc) << data;
  if (!xtr || !doc) return table;
  xmlNode* t = xmlDocGetRootElement(xtr);
  xmlChar* row_attr = xmlGetProp(t, BAD_CAST "row");
  std::vector<std::string> path = SplitItems(reinterpret_cast<const char*>(row_attr), "/", "");
  xmlFree(row_attr);
  std::vector<std::pair<std::string, std::string>> fields;
  for (xmlNode* f = t->children; f; f = f->next) {
    if (f->type != XML_ELEMENT_NODE) continue;
    xmlChar* name = xmlGetProp(f, BAD_CAST "name");
    xmlChar* source = xmlGetProp(f, BAD_CAST "source");
    fields.emplace_back(reinterpret_cast<const char*>(name), reinterpret_cast<const char*>(source));
    xmlFree(name);
    xmlFree(source);
  }
  xmlNode* root = xmlDocGetRootElement(doc);
  EXPECT_EQ(path.at(0), reinterpret_cast<const char*>(root->name)) << data;
  for (xmlNode* r = root->children; r; r = r->next) {
    if (r->type != XML_ELEMENT_NODE || path.at(1) != reinterpret_cast<const char*>(r->name)) continue;
    std::map<std::string, std::string> row;
    for (auto& [name, source] : fields) {
      xmlChar* value = nullptr;
      if (source[0] == '@') {
        value = xmlGetProp(r, BAD_CAST source.c_str() + 1);
      } else {
        for (xmlNode* c = r->children; c; c = c->next)
          if (c->type == XML_ELEMENT_NODE && source == reinterpret_cast<const char*>(c->name)) value = xmlNodeGetContent(c);
      }
      EXPECT_NE(value, nullptr) << data << " field " << name;
      if (value) row[name] = reinterpret_cast<const char*>(value);
      xmlFree(value);
    }
    table.rows.push_back(row);
  }
  xmlFreeDoc(doc);
  xmlFreeDoc(xtr);
  return table;
}

TEST(DataSchools, EverySchoolPassesTheRecordChecksAndIsClassifiedAndOffered) {
  Table lsgx = ReadCodeTable("lsgx.xml", "Tolsgx.xtr");
  Table xxlb = ReadCodeTable("xxlb.xml", "Toxxlb.xtr");
  Table combo = ReadCodeTable("xxlblsgx.xml", "Toxxlblsgx.xtr");
  ASSERT_FALSE(lsgx.rows.empty());
  ASSERT_FALSE(xxlb.rows.empty());
  ASSERT_FALSE(combo.rows.empty());
  auto affiliation_name = [&](const std::string& code) {
    for (auto& r : lsgx.rows)
      if (r["PLSGXDM"] == code) return r["PLSGXMC"];
    return std::string();
  };
  std::set<std::string> names_required = {"中央企业办学", "地方教育部门办学"};
  for (auto& r : lsgx.rows) names_required.erase(r["PLSGXMC"]);
  EXPECT_TRUE(names_required.empty());
  for (const char* code : {"212", "412", "413", "414", "415", "91", "92", "931", "932", "933", "934"}) {
    bool found = false;
    for (auto& r : xxlb.rows) found |= r["PLBDM"] == code;
    EXPECT_TRUE(found) << "category " << code;
  }

  std::set<std::string> kinds, codes, prefixes;
  std::vector<std::string> lines = Lines("xxinfo.txt");
  EXPECT_GE(lines.size(), 40u);
  for (const std::string& gbk : lines) {
    std::vector<std::string> it = SplitItems(gbk, ",", "*");
    ASSERT_GE(it.size(), 8u) << Utf8(gbk);
    std::string line = Utf8(gbk);
    const std::string &lsgxdm = it[0], &xxlbdm = it[1], &dqdm = it[2], &xxdm = it[3];
    // The record checks of the school information dialog.
    EXPECT_EQ(xxdm.size(), 5u) << line;
    EXPECT_EQ(dqdm.size(), 8u) << line;
    EXPECT_EQ(dqdm.find_first_not_of("0123456789"), std::string::npos) << line;
    for (int i : {4, 6, 7}) EXPECT_LE(it[i].size(), 50u) << line;
    EXPECT_LE(it[2].size(), 20u) << line;
    EXPECT_TRUE(codes.insert(xxdm).second) << "school code twice: " << line;
    std::string first(1, xxdm[0]), name = affiliation_name(lsgxdm);
    ASSERT_FALSE(name.empty()) << line;
    // Rule A: the affiliation is offered for this school code and region.
    std::vector<std::string> offered;
    if (dqdm.rfind("6553", 0) == 0) {
      offered = {"中央企业办学"};
    } else if (dqdm.rfind("232701", 0) == 0) {
      offered = {"中央企业办学", "地方教育部门办学"};
    } else {
      for (auto& r : combo.rows)
        if (r["PXXDMSW"] == first) offered.push_back(r["PLSGXMC"]);
    }
    EXPECT_NE(std::find(offered.begin(), offered.end(), name), offered.end()) << line;
    // Rule B: the category is offered for that affiliation.
    bool special = dqdm.rfind("6553", 0) == 0 || dqdm.rfind("232701", 0) == 0 || dqdm.rfind("232700", 0) == 0;
    bool category_offered = false;
    for (auto& r : combo.rows) {
      if (r["PLSGXMC"] != name || r["PXXDMSW"] != first || r["PXXLBDM"] != xxlbdm) continue;
      if ((first == "9" || first == "8") && r["PLSGXDM"] == "14") category_offered |= special;
      else if (r["PXXLBDM"] != "212") category_offered = true;
      else category_offered |= r["PLSGXDM"] != "14" || special;
    }
    EXPECT_TRUE(category_offered) << line;
    // Rule C: the base table.
    char s = xxdm[0], a = lsgxdm.size() > 1 ? lsgxdm[1] : ' ';
    kinds.insert((s == '1' || s == '5') && (a == '1' || a == '2') ? "1" : (a == '4' || a == '5') ? "3" : "2");
    for (const char* p : {"6553", "232701", "232700"})
      if (dqdm.rfind(p, 0) == 0) prefixes.insert(p);
  }
  EXPECT_EQ(kinds, (std::set<std::string>{"1", "2", "3"}));
  EXPECT_EQ(prefixes.size(), 3u);
}

TEST(DataFiles, TextFilesShipInGbkWithCrLfAndAnIconBesideThem) {
  namespace fs = std::filesystem;
  int files = 0;
  for (const auto& entry : fs::recursive_directory_iterator(SourceDir() + "/data/text")) {
    if (!entry.is_regular_file()) continue;
    fs::path rel = fs::relative(entry.path(), SourceDir() + "/data/text");
    std::string shipped = BinDir() + "/" + rel.string();
    ASSERT_TRUE(fs::exists(shipped)) << rel;
    std::ifstream in(shipped, std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(bytes.find("\n"), bytes.find("\r\n") + 1) << rel;
    EXPECT_EQ(std::count(bytes.begin(), bytes.end(), '\n'), std::count(bytes.begin(), bytes.end(), '\r')) << rel;
    EXPECT_EQ(win::Utf8ToAnsi(win::AnsiToUtf8(bytes)), bytes) << rel << " is not GBK";
    ++files;
  }
  EXPECT_GE(files, 40);
  std::ifstream icon(BinDir() + "/App.ico", std::ios::binary);
  char head[6] = {};
  icon.read(head, 6);
  EXPECT_EQ(std::string(head, 6), std::string("\0\0\1\0\1\0", 6));
}

#ifdef VELMORA_DATA_FORMS
// The form library's own readers take the shipped files as the dialogs will:
// the code tables through their transformation files, the icon.
TEST(DataFiles, TheFormLibraryReadsTheCodeTablesAndTheIcon) {
  struct {
    const char *data, *transformation;
    std::vector<std::string> fields;
  } tables[] = {
      {"lsgx.xml", "Tolsgx.xtr", {"PLSGXDM", "PLSGXMC"}},
      {"xxlb.xml", "Toxxlb.xtr", {"PLBDM", "PLBMC", "PSTARTWITH"}},
      {"xxlblsgx.xml", "Toxxlblsgx.xtr", {"PLSGXDM", "PXXLBDM", "PLSGXMC", "PLBMC", "PXXDMSW"}},
  };
  for (auto& t : tables) {
    Table ours = ReadCodeTable(t.data, t.transformation);
    auto set = forms::TransformXmlFile(BinDir() + "/" + t.data, BinDir() + "/" + t.transformation);
    ASSERT_EQ(set->RecordCount(), static_cast<int>(ours.rows.size())) << t.data;
    set->First();
    for (auto& row : ours.rows) {
      for (const std::string& field : t.fields)
        EXPECT_EQ(Utf8(set->FieldByName(field).AsString()), row[field]) << t.data << " " << field;
      set->Next();
    }
  }
  forms::Icon icon;
  icon.LoadFromFile(BinDir() + "/App.ico");
  ASSERT_EQ(icon.Images().size(), 1u);
  EXPECT_EQ(icon.Images()[0].width, 32);
  EXPECT_EQ(icon.Images()[0].bit_count, 32);
}
#endif

#ifdef VELMORA_DATA_TEMPLATES
TEST_P(EveryKind, TemplateIsProtectedWithThePasswordAndMatchesItsLayout) {
  int kind = GetParam();
  const Layout& layout = LayoutOf(kind);
  auto book = xlsx::Workbook::Load(BinDir() + "/TANVIK" + std::to_string(kind));
  ASSERT_EQ(book->SheetCount(), 5);
  for (int s = 1; s <= 5; ++s) {
    const xlsx::Worksheet& sheet = book->Sheet(s);
    const LayoutSheet& ls = layout.sheets[s - 1];
    EXPECT_TRUE(sheet.IsProtected());
    EXPECT_TRUE(sheet.protection().Verify("Kq7vXr42ZpmLt"));
    EXPECT_FALSE(sheet.protection().Verify("wrong"));
    EXPECT_TRUE(sheet.protection().select_locked_cells) << "only unlocked cells selectable";
    EXPECT_EQ(sheet.visibility(), s == 5 ? xlsx::Visibility::Hidden : xlsx::Visibility::Visible);
    if (s < 5) {
      EXPECT_EQ(sheet.GetValue(40, 10).text, "J" + std::to_string(kind) + "_" + std::to_string(s));
      EXPECT_TRUE(sheet.RowHidden(40));
    }
    for (const auto& [rc, cell] : ls.cells) {
      bool unlocked = cell.kind == CellKind::Input || cell.kind == CellKind::Book;
      EXPECT_EQ(sheet.Locked(rc.first, rc.second), !unlocked) << "TANVIK" << kind << " " << ls.code << " " << xlsx::CellName(rc.first, rc.second);
      if (cell.text_format) {
        EXPECT_TRUE(sheet.IsTextFormat(rc.first, rc.second));
      }
    }
  }
}

// LibreOffice opens a template as the school will: protected by the password,
// the print sheet hidden, the input cells open. Its own save of the template
// must still say so. Skipped where LibreOffice is not installed.
TEST_P(EveryKind, TemplateOpensInLibreOfficeProtectedWithThePrintSheetHidden) {
  namespace fs = std::filesystem;
  if (std::system("command -v soffice >/dev/null 2>&1") != 0) GTEST_SKIP() << "LibreOffice is not installed";
  int kind = GetParam();
  fs::path dir = fs::temp_directory_path() / ("velmora_data_lo_" + std::to_string(kind) + "_" + std::to_string(::getpid()));
  fs::remove_all(dir);
  fs::create_directories(dir / "out");
  fs::copy_file(BinDir() + "/TANVIK" + std::to_string(kind), dir / "template.xlsx");
  std::string command = "cd '" + dir.string() + "' && soffice -env:UserInstallation=file://" + dir.string() +
                        "/profile --headless --convert-to 'xlsx:Calc MS Excel 2007 XML' --outdir out template.xlsx"
                        " >/dev/null 2>&1";
  ASSERT_EQ(std::system(command.c_str()), 0);
  auto book = xlsx::Workbook::Load((dir / "out" / "template.xlsx").string());
  const Layout& layout = LayoutOf(kind);
  ASSERT_EQ(book->SheetCount(), 5);
  for (int s = 1; s <= 5; ++s) {
    const xlsx::Worksheet& sheet = book->Sheet(s);
    EXPECT_TRUE(sheet.IsProtected()) << s;
    EXPECT_TRUE(sheet.protection().Verify("Kq7vXr42ZpmLt")) << s;
    EXPECT_TRUE(sheet.protection().select_locked_cells) << s;
    EXPECT_EQ(sheet.visibility() == xlsx::Visibility::Visible, s != 5) << s;
    for (const auto& [rc, cell] : layout.sheets[s - 1].cells) {
      if (cell.kind == CellKind::Input) {
        EXPECT_FALSE(sheet.Locked(rc.first, rc.second)) << s << " " << xlsx::CellName(rc.first, rc.second);
      }
    }
  }
  fs::remove_all(dir);
}

TEST_P(EveryKind, SamplesOpenWithTheSchoolWrittenIn) {
  int kind = GetParam();
  for (const char* which : {"clean", "mistakes"}) {
    auto book = xlsx::Workbook::Load(BinDir() + "/samples/jb" + std::to_string(kind) + "_" + which + ".xlsx");
    EXPECT_EQ(book->Sheet(1).GetValue(40, 1).text.substr(0, 5), "2010|");
    EXPECT_EQ(book->Sheet(1).GetValue(40, 5).text, LayoutOf(kind).template_name);
    EXPECT_EQ(book->Sheet(1).GetValue(40, 20).text, "2010");
  }
}
#endif

}  // namespace
