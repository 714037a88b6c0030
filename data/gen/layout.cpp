#include "layout.h"

#include <fstream>
#include <sstream>
#include <stdexcept>

namespace velmora::data {

namespace {

int ColumnNumber(const std::string& letters) {
  int n = 0;
  for (char ch : letters) {
    if (ch < 'A' || ch > 'Z') throw std::runtime_error("bad column " + letters);
    n = n * 26 + (ch - 'A' + 1);
  }
  return n;
}

void Require(const std::vector<std::string>& w, std::size_t n) {
  if (w.size() != n) throw std::runtime_error("directive '" + w[0] + "' takes " + std::to_string(n - 1) + " arguments");
}

}  // namespace

std::vector<Word> SplitWords(const std::string& line) {
  std::vector<Word> words;
  std::size_t i = 0;
  while (i < line.size()) {
    if (line[i] == ' ' || line[i] == '\t') {
      ++i;
    } else if (line[i] == '"') {
      std::size_t end = line.find('"', i + 1);
      if (end == std::string::npos) throw std::runtime_error("unclosed quote");
      words.push_back({line.substr(i + 1, end - i - 1), true});
      i = end + 1;
    } else {
      std::size_t end = line.find_first_of(" \t", i);
      if (end == std::string::npos) end = line.size();
      words.push_back({line.substr(i, end - i), false});
      i = end;
    }
  }
  return words;
}

std::pair<int, int> ParseCell(const std::string& ref) {
  std::size_t i = 0;
  while (i < ref.size() && ref[i] >= 'A' && ref[i] <= 'Z') ++i;
  if (i == 0 || i == ref.size()) throw std::runtime_error("bad cell " + ref);
  int row = 0;
  for (std::size_t j = i; j < ref.size(); ++j) {
    if (ref[j] < '0' || ref[j] > '9') throw std::runtime_error("bad cell " + ref);
    row = row * 10 + (ref[j] - '0');
  }
  if (row < 1) throw std::runtime_error("bad cell " + ref);
  return {row, ColumnNumber(ref.substr(0, i))};
}

std::vector<std::pair<int, int>> ParseRange(const std::string& range) {
  std::size_t colon = range.find(':');
  auto first = ParseCell(range.substr(0, colon));
  auto last = colon == std::string::npos ? first : ParseCell(range.substr(colon + 1));
  if (last.first < first.first || last.second < first.second) throw std::runtime_error("bad range " + range);
  std::vector<std::pair<int, int>> cells;
  for (int r = first.first; r <= last.first; ++r)
    for (int c = first.second; c <= last.second; ++c) cells.emplace_back(r, c);
  return cells;
}

std::string CellName(int row, int column) {
  std::string letters;
  for (int n = column; n > 0; n = (n - 1) / 26) letters.insert(letters.begin(), static_cast<char>('A' + (n - 1) % 26));
  return letters + std::to_string(row);
}

const LayoutCell* LayoutSheet::Find(int row, int column) const {
  auto it = cells.find({row, column});
  return it == cells.end() ? nullptr : &it->second;
}

bool LayoutSheet::IsInput(int row, int column) const {
  const LayoutCell* cell = Find(row, column);
  return cell && (cell->kind == CellKind::Input || cell->kind == CellKind::Switch);
}

bool LayoutSheet::IsOpen(int row, int column) const {
  const LayoutCell* cell = Find(row, column);
  return cell && cell->kind == CellKind::Input;
}

const LayoutSheet* Layout::SheetByCode(const std::string& code) const {
  for (const LayoutSheet& sheet : sheets)
    if (sheet.code == code) return &sheet;
  return nullptr;
}

Layout ReadLayout(const std::string& path) {
  std::ifstream in(path);
  if (!in) throw std::runtime_error(path + ": cannot be read");
  Layout layout;
  std::string line;
  int line_no = 0;
  auto sheet = [&]() -> LayoutSheet& {
    if (layout.sheets.empty()) throw std::runtime_error("a cell directive before the first 'sheet'");
    return layout.sheets.back();
  };
  auto place = [&](const std::string& range, LayoutCell cell) {
    for (auto rc : ParseRange(range)) {
      auto [it, fresh] = sheet().cells.emplace(rc, cell);
      if (!fresh) throw std::runtime_error("cell " + range + " is laid out twice");
    }
  };
  while (std::getline(in, line)) {
    ++line_no;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    try {
      std::vector<std::string> w;
      for (Word& word : SplitWords(line)) w.push_back(std::move(word.text));
      if (w.empty() || w[0][0] == '#') continue;
      const std::string& d = w[0];
      if (d == "template") {
        Require(w, 3);
        layout.file = w[1];
        layout.template_name = w[2];
      } else if (d == "password") {
        Require(w, 2);
        layout.password = w[1];
      } else if (d == "sheet") {
        if (w.size() != 3 && !(w.size() == 4 && w[3] == "hidden")) throw std::runtime_error("sheet CODE NAME [hidden]");
        LayoutSheet s;
        s.code = w[1];
        s.name = w[2];
        s.hidden = w.size() == 4;
        layout.sheets.push_back(std::move(s));
      } else if (d == "width") {
        Require(w, 3);
        std::size_t colon = w[1].find(':');
        ColumnWidth cw;
        cw.first = ColumnNumber(w[1].substr(0, colon));
        cw.last = colon == std::string::npos ? cw.first : ColumnNumber(w[1].substr(colon + 1));
        cw.width = std::stod(w[2]);
        sheet().widths.push_back(cw);
      } else if (d == "page") {
        Require(w, 3);
        if (w[1] != "A3" && w[1] != "A4") throw std::runtime_error("page A3|A4 landscape|portrait");
        sheet().paper_size = w[1] == "A3" ? 8 : 9;
        sheet().landscape = w[2] == "landscape";
      } else if (d == "text") {
        Require(w, 3);
        place(w[1], {CellKind::Text, w[2], false});
      } else if (d == "header") {
        Require(w, 3);
        place(w[1], {CellKind::Header, w[2], true});
      } else if (d == "input") {
        Require(w, 2);
        place(w[1], {CellKind::Input, "", false});
      } else if (d == "switch") {
        Require(w, 2);
        place(w[1], {CellKind::Switch, "", false});
      } else if (d == "book") {
        Require(w, 2);
        place(w[1], {CellKind::Book, "", true});
      } else if (d == "formula") {
        Require(w, 3);
        place(w[1], {CellKind::Formula, w[2], false});
      } else if (d == "note") {
        Require(w, 2);
        place(w[1], {CellKind::Note, "", true});
      } else if (d == "format") {
        Require(w, 3);
        if (w[2] != "text") throw std::runtime_error("format CELL text");
        for (auto rc : ParseRange(w[1])) {
          auto it = sheet().cells.find(rc);
          if (it == sheet().cells.end()) throw std::runtime_error("format of a cell not laid out: " + w[1]);
          it->second.text_format = true;
        }
      } else if (d == "merge") {
        Require(w, 2);
        ParseRange(w[1]);
        sheet().merges.push_back(w[1]);
      } else if (d == "hide") {
        Require(w, 2);
        sheet().hidden_rows.push_back(std::stoi(w[1]));
      } else {
        throw std::runtime_error("unknown directive '" + d + "'");
      }
    } catch (const std::exception& e) {
      throw std::runtime_error(path + ":" + std::to_string(line_no) + ": " + e.what());
    }
  }
  if (layout.file.empty() || layout.password.empty() || layout.sheets.empty())
    throw std::runtime_error(path + ": needs 'template', 'password' and at least one 'sheet'");
  return layout;
}

}  // namespace velmora::data
