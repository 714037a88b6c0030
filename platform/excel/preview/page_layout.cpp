#include "excel/preview/page_layout.h"

#include <algorithm>
#include <cmath>

namespace excel::preview {

namespace {

constexpr double kPointsPerPixel = 0.75;  // 72 points, 96 pixels an inch
constexpr int kDigitPixels = 7;
constexpr double kStandardColumnPixels = 64;
constexpr double kStandardRowPoints = 13.5;

bool ColumnHidden(const xlsx::Worksheet& sheet, int column) {
  for (const xlsx::ColumnRange& range : sheet.columns())
    if (range.first <= column && column <= range.last) return range.hidden;
  return false;
}

// Columns (or rows) first..last cut into bands that fit length each (at
// least one column a band): the first of every band and last + 1.
std::vector<int> Bands(const std::vector<double>& edges, int first, double length) {
  std::vector<int> starts{first};
  const int count = static_cast<int>(edges.size()) - 1;
  int band_start = 0;
  for (int i = 1; i < count; ++i) {
    if (edges[i + 1] - edges[band_start] > length + 1e-6) {
      starts.push_back(first + i);
      band_start = i;
    }
  }
  starts.push_back(first + count);
  return starts;
}

}  // namespace

Size PaperOf(int paper_size) {
  switch (paper_size) {
    case 1: return {612, 792};    // Letter
    case 5: return {612, 1008};   // Legal
    case 8: return {842, 1191};   // A3
    case 11: return {420, 595};   // A5
    case 13: return {516, 729};   // B5 (JIS)
    default: return {595, 842};   // A4
  }
}

double ColumnPoints(const xlsx::Worksheet& sheet, int column) {
  if (ColumnHidden(sheet, column)) return 0;
  const std::optional<double> width = sheet.ColumnWidth(column);
  if (!width) return kStandardColumnPixels * kPointsPerPixel;
  const double pixels = std::trunc((256 * *width + std::trunc(128.0 / kDigitPixels)) / 256 * kDigitPixels);
  return std::max(0.0, pixels) * kPointsPerPixel;
}

double RowPoints(const xlsx::Worksheet& sheet, int row) {
  if (sheet.RowHidden(row)) return 0;
  const auto found = sheet.rows().find(row);
  if (found != sheet.rows().end() && found->second.height) return std::max(0.0, *found->second.height);
  return kStandardRowPoints;
}

std::vector<Area> MergedAreas(const xlsx::Worksheet& sheet) {
  std::vector<Area> areas;
  for (const std::string& merge : sheet.merges()) {
    const std::size_t colon = merge.find(':');
    if (colon == std::string::npos) continue;
    Area a{};
    if (!xlsx::ParseCellName(std::string_view(merge).substr(0, colon), a.first_row, a.first_column) ||
        !xlsx::ParseCellName(std::string_view(merge).substr(colon + 1), a.last_row, a.last_column))
      continue;
    if (a.first_row > a.last_row) std::swap(a.first_row, a.last_row);
    if (a.first_column > a.last_column) std::swap(a.first_column, a.last_column);
    areas.push_back(a);
  }
  return areas;
}

PageLayout LayOut(const xlsx::Worksheet& sheet) {
  PageLayout layout;
  const xlsx::PageSetup& setup = sheet.page_setup();
  layout.paper = PaperOf(setup.paper_size);
  if (setup.orientation == xlsx::Orientation::Landscape) std::swap(layout.paper.width, layout.paper.height);
  const double printable_width = layout.paper.width - layout.margins.left - layout.margins.right;
  const double printable_height = layout.paper.height - layout.margins.top - layout.margins.bottom;

  int r1 = 1, c1 = 1, r2 = 0, c2 = 0;
  if (sheet.UsedRange(r1, c1, r2, c2)) {
    for (const Area& merge : MergedAreas(sheet)) {
      r1 = std::min(r1, merge.first_row), c1 = std::min(c1, merge.first_column);
      r2 = std::max(r2, merge.last_row), c2 = std::max(c2, merge.last_column);
    }
  } else {
    r1 = c1 = 1, r2 = c2 = 0;
  }
  layout.first_row = r1, layout.first_column = c1, layout.last_row = r2, layout.last_column = c2;
  layout.column_x.push_back(0);
  for (int c = c1; c <= c2; ++c) layout.column_x.push_back(layout.column_x.back() + ColumnPoints(sheet, c));
  layout.row_y.push_back(0);
  for (int r = r1; r <= r2; ++r) layout.row_y.push_back(layout.row_y.back() + RowPoints(sheet, r));
  const double width = layout.column_x.back(), height = layout.row_y.back();

  if (setup.fit_to_page) {
    layout.scale = 1;
    if (width > 0) layout.scale = std::min(layout.scale, printable_width / width);
    if (height > 0) layout.scale = std::min(layout.scale, printable_height / height);
    layout.scale = std::max(layout.scale, 0.1);
  } else {
    layout.scale = std::clamp(setup.scale, 10, 400) / 100.0;
  }
  if (r2 < r1 || c2 < c1) {
    layout.pages.push_back({r1, r1 - 1, c1, c1 - 1, layout.margins.left, layout.margins.top});
    return layout;
  }

  const std::vector<int> column_bands = Bands(layout.column_x, c1, printable_width / layout.scale);
  const std::vector<int> row_bands = Bands(layout.row_y, r1, printable_height / layout.scale);
  for (std::size_t across = 0; across + 1 < column_bands.size(); ++across) {
    for (std::size_t down = 0; down + 1 < row_bands.size(); ++down) {
      Page page{row_bands[down], row_bands[down + 1] - 1, column_bands[across], column_bands[across + 1] - 1, 0, 0};
      const double band_width = (layout.X(page.last_column + 1) - layout.X(page.first_column)) * layout.scale;
      const double band_height = (layout.Y(page.last_row + 1) - layout.Y(page.first_row)) * layout.scale;
      page.left = layout.margins.left;
      page.top = layout.margins.top;
      if (setup.center_horizontally) page.left += std::max(0.0, printable_width - band_width) / 2;
      if (setup.center_vertically) page.top += std::max(0.0, printable_height - band_height) / 2;
      layout.pages.push_back(page);
    }
  }
  return layout;
}

}  // namespace excel::preview
