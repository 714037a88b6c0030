#pragma once
// Where a worksheet's cells land on paper when it is printed: the printed
// area (the used range, widened over the merged cells that reach beyond it),
// the columns' and rows' sizes in points, the paper of the page set-up in its
// orientation, the scale (Zoom, or what fits one page), and the pages the
// area is cut into (down, then over), each placed between the margins and
// centred when the page set-up asks for it.
#include <vector>

#include "excel/xlsx/model.h"

namespace excel::preview {

struct Size {
  double width = 0, height = 0;  // points
};

// The paper of a PaperSize number, upright: 8 A3, 9 A4, 1 Letter, 5 Legal,
// 11 A5, ...; A4 for 0 (not set) and for numbers not known here.
Size PaperOf(int paper_size);

// The margins a sheet prints with when none are set (0.7 inch left and
// right, 0.75 inch top and bottom).
struct Margins {
  double left = 50.4, right = 50.4, top = 54, bottom = 54;
};

// A column's width from the file's width in characters of the standard
// font's digit (7 pixels at 96 dpi, plus the padding the file's width already
// holds); no width: the standard column of 64 pixels. In points.
double ColumnPoints(const xlsx::Worksheet& sheet, int column);
// A row's height: its own, else the standard row of the 11-point font
// (13.5 points); 0 for a hidden row.
double RowPoints(const xlsx::Worksheet& sheet, int row);

struct Page {
  int first_row = 1, last_row = 0, first_column = 1, last_column = 0;
  double left = 0, top = 0;  // where the top-left corner of (first_row, first_column) lands, in points
};

struct PageLayout {
  Size paper;          // as it lies: landscape is wider than high
  Margins margins;
  double scale = 1;    // printed size / size on the sheet
  int first_row = 1, first_column = 1, last_row = 0, last_column = 0;  // the printed area; empty when last < first
  std::vector<double> column_x;  // edges of the area's columns from its left, unscaled; one more than the columns
  std::vector<double> row_y;     // the same for the rows from its top
  std::vector<Page> pages;       // at least one (a sheet with nothing on it prints one empty page)

  // The left and top edges of a column or row of the area, unscaled, from the
  // area's corner (column last_column + 1 gives the right edge of the last).
  double X(int column) const { return column_x[column - first_column]; }
  double Y(int row) const { return row_y[row - first_row]; }
};

PageLayout LayOut(const xlsx::Worksheet& sheet);

// The merged ranges of the sheet as rows and columns.
struct Area {
  int first_row, first_column, last_row, last_column;
};
std::vector<Area> MergedAreas(const xlsx::Worksheet& sheet);

}  // namespace excel::preview
