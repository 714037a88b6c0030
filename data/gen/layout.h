#pragma once
// The layout file of a workbook template (data/templates/TANVIK<n>.layout):
// one directive a line, read into a plain description of the workbook that
// the template generator writes and the data tests check against.
// Texts are UTF-8. Rows and columns are 1-based. See data/README.md.
#include <map>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace velmora::data {

enum class CellKind {
  Text,     // a label: locked
  Header,   // filled by the school-information writer: locked, Text format
  Input,    // an open input cell: unlocked
  Switch,   // an input cell locked in the template; a lock list unlocks it
  Book,     // a bookkeeping cell of row 40: unlocked, Text format
  Formula,  // a formula of the print sheet: locked
  Note,     // a supplementary-note row of the print sheet (column B): locked, Text format
};

struct LayoutCell {
  CellKind kind = CellKind::Text;
  std::string text;  // label text, header role, or formula (without "=")
  bool text_format = false;
};

struct ColumnWidth {
  int first = 1, last = 1;
  double width = 0;
};

struct LayoutSheet {
  std::string code;  // "J1_1" ...; "-" for the print sheet
  std::string name;
  bool hidden = false;
  int paper_size = 9;  // 8 A3, 9 A4
  bool landscape = true;
  std::map<std::pair<int, int>, LayoutCell> cells;  // by (row, column)
  std::vector<std::string> merges;                  // "A1:P1"
  std::vector<ColumnWidth> widths;
  std::vector<int> hidden_rows;

  const LayoutCell* Find(int row, int column) const;
  // Open or switchable input cell.
  bool IsInput(int row, int column) const;
  bool IsOpen(int row, int column) const;
};

struct Layout {
  std::string file;           // "TANVIK1"
  std::string template_name;  // "基表1.xls"
  std::string password;
  std::vector<LayoutSheet> sheets;  // in workbook order

  // The data sheet with this code, or null.
  const LayoutSheet* SheetByCode(const std::string& code) const;
};

// Reads a layout file; throws std::runtime_error naming the file and line.
Layout ReadLayout(const std::string& path);

// The words of a directive line; a word in double quotes may hold blanks and
// is marked quoted (the quotes are not part of it).
struct Word {
  std::string text;
  bool quoted = false;
};
std::vector<Word> SplitWords(const std::string& line);

// "B12" -> (12, 2); "A1:C2" -> every cell of the rectangle. Throw on anything else.
std::pair<int, int> ParseCell(const std::string& ref);
std::vector<std::pair<int, int>> ParseRange(const std::string& range);
// (12, 2) -> "B12".
std::string CellName(int row, int column);

}  // namespace velmora::data
