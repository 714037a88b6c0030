#pragma once
// The supplementary notes of the print sheet: the lines that begin
// "补充资料：", written into column B of fixed rows of the print sheet
// (sheet 5), each a join of fixed texts and figures read from the data
// sheets. Which lines depends on the kind of base table. Texts are GBK.
#include <string>
#include <vector>

#include "addin/workbook/base_table.h"
#include "addin/workbook/excel_ops.h"

namespace velmora::tools {

// A figure of a note: worksheet w (Application.Worksheets[w]), row, column.
struct NoteCell {
  int worksheet;
  int row;
  int column;
};

// One line of a note: texts[0] + V(values[0]) + texts[1] + ... + texts[n],
// written into column B of row (texts are UTF-8 here, GBK when written).
struct NoteLine {
  int row;
  std::vector<std::string> texts;
  std::vector<NoteCell> values;
};

// The line table of a kind (empty for Kind::None).
const std::vector<NoteLine>& NoteLines(base_table::Kind kind);

// The cell's text with two blanks in front, or six blanks for an empty cell.
std::string ReadNoteValue(const workbook::Application& excel, int worksheet, int row, int column);

// The line as written (GBK).
std::string NoteText(const workbook::Application& excel, const NoteLine& line);

// Writes the notes of kind into the active workbook's print sheet: saves the
// workbook, unprotects the print sheet, writes every line and protects it
// again, also when a write fails (the error then goes on to the caller).
void WriteNotes(const workbook::Application& excel, base_table::Kind kind);

}  // namespace velmora::tools
