#pragma once
// The figures of a return as a school types them: read from a workbook's
// data sheets, and typed into a workbook file with the user's hands, as
// `velmora type` does: Excel's conversion of a typed text, and a locked cell
// of a protected sheet refusing with the spreadsheet's message.
#include <string>
#include <vector>

namespace velmora::demo {

// One typed cell. Texts are UTF-8.
struct Figure {
  int sheet = 0;  // 1-based worksheet
  int row = 0;
  int column = 0;
  std::string text;  // as typed: a number in its general form, or the text
  bool operator==(const Figure&) const = default;
};

// "G10".
std::string CellName(const Figure& figure);

// What a school typed into its return: every input cell (unlocked, no
// formula) of the four data sheets above the bookkeeping row that holds a
// number or a text. Raises xlsx::Error when the file cannot be read.
std::vector<Figure> ReadFigures(const std::string& path);

struct TypingOutcome {
  Figure figure;
  std::string refusal;  // the spreadsheet's message; empty when the cell took it
};

// Types the figures into the workbook at path, in order, and saves it once
// when a cell took its figure (the file stays as it was when none did); the
// last cell typed is left selected on its sheet. A refused cell is
// reported and skipped, as a user who sees the message goes on with the
// next. Raises on a file that cannot be read or written.
std::vector<TypingOutcome> TypeFigures(const std::string& path, const std::vector<Figure>& figures);

}  // namespace velmora::demo
