#pragma once
// What a printed cell shows: its value as text (a number in its general
// form, TRUE/FALSE, the error's name) and where the text sits across the
// cell by default (text left, numbers right, Booleans and errors centred).
//
// Nothing is calculated here, but a formula that is one reference to a cell
// ("'基本情况'!H10", "C4", "$B$2") shows the value of that cell, so that a
// print sheet made of such formulas prints its figures (a reference to an
// empty cell shows 0, as it does in the spreadsheet); any other formula
// shows its cached value.
#include <string>

#include "excel/xlsx/model.h"

namespace excel::preview {

enum class Align { Left, Center, Right };

struct CellText {
  std::string text;  // UTF-8
  Align align = Align::Left;
};

CellText DisplayedText(const xlsx::Worksheet& sheet, int row, int column);

}  // namespace excel::preview
