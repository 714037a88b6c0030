#include "build.h"

#include <fstream>
#include <map>
#include <sstream>
#include <stdexcept>
#include <vector>

namespace velmora::data {

namespace {

constexpr int kBookRow = 40;
constexpr int kCodeColumn = 10;  // J40: the sheet code
constexpr int kGrey = 15;        // the fill of a cell locked for the school
constexpr double kPrintRowPoints = 12;  // the print sheet's rows (the standard row is 13.5)

void Protect(xlsx::Worksheet& sheet, const std::string& password) {
  // The standard options: DrawingObjects false, Contents true, Scenarios true;
  // then only unlocked cells can be selected.
  sheet.Protect(password, false, true, true);
  sheet.protection().select_locked_cells = true;
}

std::vector<std::string> Split(const std::string& text, char separator) {
  std::vector<std::string> items;
  std::string item;
  std::istringstream in(text);
  while (std::getline(in, item, separator)) {
    std::size_t start = item.find_first_not_of(' ');
    if (start != std::string::npos) items.push_back(item.substr(start));
  }
  return items;
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error(path + ": cannot be read");
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

struct Figures {
  std::string info, names, date;
  std::vector<std::pair<std::string, int>> locks;  // list file, mode
  // sheet code -> (row, column) -> value word
  std::map<std::string, std::map<std::pair<int, int>, Word>> cells;
};

void ReadFigures(const std::string& path, Figures& f) {
  std::istringstream in(ReadFile(path));
  std::string line, sheet;
  int line_no = 0;
  while (std::getline(in, line)) {
    ++line_no;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    try {
      std::vector<Word> w = SplitWords(line);
      if (w.empty() || w[0].text[0] == '#') continue;
      const std::string& d = w[0].text;
      if (d == "base") {
        std::string dir = path.substr(0, path.find_last_of('/') + 1);
        ReadFigures(dir + w.at(1).text, f);
      } else if (d == "template") {
      } else if (d == "info") {
        f.info = w.at(1).text;
      } else if (d == "names") {
        f.names = w.at(1).text;
      } else if (d == "date") {
        f.date = w.at(1).text;
      } else if (d == "lock") {
        f.locks.emplace_back(w.at(1).text, std::stoi(w.at(2).text));
      } else if (d == "sheet") {
        sheet = w.at(1).text;
      } else {
        if (sheet.empty()) throw std::runtime_error("a figure before the first 'sheet'");
        auto [row, column] = ParseCell(d);
        for (std::size_t i = 1; i < w.size(); ++i, ++column)
          if (w[i].quoted || w[i].text != ".") f.cells[sheet][{row, column}] = w[i];
      }
    } catch (const std::exception& e) {
      throw std::runtime_error(path + ":" + std::to_string(line_no) + ": " + e.what());
    }
  }
}

int SheetNumber(const std::string& code) { return std::stoi(code.substr(3)); }

}  // namespace

std::unique_ptr<xlsx::Workbook> BuildTemplate(const Layout& layout) {
  auto book = xlsx::Workbook::Create();
  for (const LayoutSheet& ls : layout.sheets) {
    xlsx::Worksheet& sheet = book->AddSheet(ls.name);
    for (const ColumnWidth& w : ls.widths) sheet.SetColumnWidth(w.first, w.last, w.width);
    for (const auto& [rc, cell] : ls.cells) {
      auto [row, column] = rc;
      switch (cell.kind) {
        case CellKind::Text:
          sheet.SetValue(row, column, xlsx::Value::Text(cell.text));
          break;
        case CellKind::Formula:
          sheet.SetFormula(row, column, cell.text);
          break;
        case CellKind::Input:
        case CellKind::Book:
          sheet.SetLocked(row, column, false);
          break;
        case CellKind::Switch:
          sheet.SetLocked(row, column, true);
          sheet.SetColorIndex(row, column, kGrey);
          break;
        case CellKind::Header:
        case CellKind::Note:
          sheet.SetLocked(row, column, true);
          break;
      }
      if (cell.text_format) sheet.SetNumberFormat(row, column, "@");
    }
    for (const std::string& range : ls.merges) sheet.AddMerge(range);
    if (ls.code != "-") {
      sheet.SetValue(kBookRow, kCodeColumn, xlsx::Value::Text(ls.code));
      sheet.SetNumberFormat(kBookRow, kCodeColumn, "@");
    }
    for (int row : ls.hidden_rows) sheet.SetRowHidden(row, true);
    xlsx::PageSetup& page = sheet.page_setup();
    page.paper_size = ls.paper_size;
    page.orientation = ls.landscape ? xlsx::Orientation::Landscape : xlsx::Orientation::Portrait;
    page.center_horizontally = page.center_vertically = true;
    // A data sheet prints on one page; the print sheet's zoom is set when it is
    // printed, and its rows are low enough for the digest to fit one A4 page
    // at the zoom of A4 (55 %) within the default margins.
    page.fit_to_page = ls.code != "-";
    if (ls.code == "-" && !ls.cells.empty())
      for (int row = 1; row <= ls.cells.rbegin()->first.first; ++row) sheet.SetRowHeight(row, kPrintRowPoints);
    if (ls.hidden) sheet.SetVisibility(xlsx::Visibility::Hidden);
    // The first input cell is where a school starts typing.
    for (const auto& [rc, cell] : ls.cells)
      if (cell.kind == CellKind::Input) {
        sheet.SetActiveCell(rc.first, rc.second);
        sheet.Select(rc.first, rc.second, rc.first, rc.second);
        break;
      }
    Protect(sheet, layout.password);
  }
  book->SetActiveSheet(1);
  return book;
}

std::unique_ptr<xlsx::Workbook> BuildSample(const Layout& layout, const std::string& figures_path,
                                            const std::string& text_dir) {
  Figures f;
  ReadFigures(figures_path, f);
  std::vector<std::string> info = Split(f.info, '|');
  std::vector<std::string> names = Split(f.names, '|');
  if (info.size() != 8 || names.size() != 2)
    throw std::runtime_error(figures_path + ": 'info' needs eight items and 'names' two");
  auto book = BuildTemplate(layout);

  // What the school-information writer leaves: row 40 and the header cells.
  xlsx::Worksheet& first = book->Sheet(1);
  first.SetValue(kBookRow, 1, xlsx::Value::Text(f.info));
  first.SetValue(kBookRow, 5, xlsx::Value::Text(layout.template_name));
  first.SetValue(kBookRow, 20, xlsx::Value::Text(info[0]));
  const std::map<std::string, std::string> roles = {
      {"xxdm", info[4]}, {"xxmc", info[5]}, {"lsgxmc", names[0]}, {"dqdm", info[1]},
      {"dqmc", info[7]}, {"xxlbmc", names[1]}, {"date", f.date}};
  for (std::size_t i = 0; i < layout.sheets.size(); ++i)
    for (const auto& [rc, cell] : layout.sheets[i].cells)
      if (cell.kind == CellKind::Header)
        book->Sheet(static_cast<int>(i) + 1).SetValue(rc.first, rc.second, xlsx::Value::Text(roles.at(cell.text)));

  // The lock lists chosen for the school. Base table 1 also clears the fill of D11.
  const bool table1 = layout.template_name == "基表1.xls";
  for (const auto& [list, mode] : f.locks) {
    std::istringstream lines(ReadFile(text_dir + "/" + list));
    std::string line;
    while (std::getline(lines, line)) {
      if (!line.empty() && line.back() == '\r') line.pop_back();
      std::vector<std::string> items = Split(line, '|');
      if (items.size() < 3) throw std::runtime_error(list + ": short line " + line);
      std::vector<std::string> rc = Split(items[2], ',');
      xlsx::Worksheet& sheet = book->Sheet(SheetNumber(items[0]));
      int row = std::stoi(rc.at(0)), column = std::stoi(rc.at(1));
      sheet.SetLocked(row, column, mode == 0);
      sheet.SetColorIndex(row, column, mode == 0 ? kGrey : 0);
      if (table1) sheet.SetColorIndex(11, 4, 0);
    }
  }

  for (const auto& [code, cells] : f.cells) {
    const LayoutSheet* ls = layout.SheetByCode(code);
    if (!ls) throw std::runtime_error(figures_path + ": no sheet " + code);
    xlsx::Worksheet& sheet = book->Sheet(SheetNumber(code));
    for (const auto& [rc, word] : cells) {
      std::string where = code + " " + xlsx::CellName(rc.first, rc.second);
      if (!ls->IsInput(rc.first, rc.second)) throw std::runtime_error(figures_path + ": " + where + " is no input cell");
      if (sheet.Locked(rc.first, rc.second)) throw std::runtime_error(figures_path + ": " + where + " is locked for this school");
      if (word.quoted)
        sheet.SetValue(rc.first, rc.second, xlsx::Value::Text(word.text));
      else
        sheet.SetValue(rc.first, rc.second, xlsx::Value::Number(std::stod(word.text)));
    }
  }
  return book;
}

}  // namespace velmora::data
