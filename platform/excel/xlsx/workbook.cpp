// The workbook model: sheets, cells, rows, columns, merges, protection.
#include <libxml/parser.h>

#include <algorithm>
#include <cctype>
#include <cstdio>

#include "excel/xlsx/book_impl.h"
#include "excel/xlsx/styles_impl.h"

namespace xlsx {

namespace {
void CheckCell(int row, int column) {
  if (row < 1 || row > kMaxRows || column < 1 || column > kMaxColumns)
    throw Error(ErrorKind::Invalid, "Cell (" + std::to_string(row) + ", " + std::to_string(column) +
                                        ") lies outside the sheet.");
}

std::string Lower(std::string_view s) {
  std::string out(s);
  for (auto& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return out;
}

std::size_t Utf8Length(std::string_view s) {
  std::size_t n = 0;
  for (unsigned char c : s)
    if ((c & 0xC0) != 0x80) ++n;
  return n;
}
}  // namespace

// ---------------------------------------------------------------- Worksheet

Worksheet::Worksheet(Workbook* book) : book_(book), impl_(std::make_unique<Impl>()) {}
Worksheet::~Worksheet() = default;
void Worksheet::Touch() { impl_->dirty = true; }

void Worksheet::SetName(const std::string& name) {
  if (name.empty() || Utf8Length(name) > 31 || name.find_first_of(":\\/?*[]") != std::string::npos ||
      name.front() == '\'' || name.back() == '\'')
    throw Error(ErrorKind::Invalid, "'" + name + "' is not a valid sheet name.");
  for (int i = 1; i <= book_->SheetCount(); ++i) {
    const Worksheet& other = book_->Sheet(i);
    if (&other != this && Lower(other.name()) == Lower(name))
      throw Error(ErrorKind::Invalid, "A sheet named '" + name + "' already exists.");
  }
  name_ = name;
  Touch();
}

const Cell* Worksheet::Find(int row, int column) const {
  auto r = rows_.find(row);
  if (r == rows_.end()) return nullptr;
  auto c = r->second.cells.find(column);
  return c == r->second.cells.end() ? nullptr : &c->second;
}

int Worksheet::StyleAt(int row, int column) const {
  auto r = rows_.find(row);
  if (r != rows_.end()) {
    auto c = r->second.cells.find(column);
    if (c != r->second.cells.end()) return c->second.style;
    if (r->second.style) return *r->second.style;
  }
  for (const auto& col : cols_)
    if (column >= col.first && column <= col.last) return col.style;
  return 0;
}

Cell& Worksheet::At(int row, int column) {
  CheckCell(row, column);
  Row& r = rows_[row];
  auto it = r.cells.find(column);
  if (it != r.cells.end()) return it->second;
  int style = StyleAt(row, column);
  Cell& cell = r.cells[column];
  cell.style = style;
  Touch();
  return cell;
}

Value Worksheet::GetValue(int row, int column) const {
  const Cell* c = Find(row, column);
  return c ? c->value : Value{};
}

void Worksheet::SetValue(int row, int column, Value value) {
  Cell& c = At(row, column);
  if (c.has_formula) book_->impl_->formulas_changed = true;
  if (!(c.value == value)) c.rich.clear();
  c.value = std::move(value);
  c.formula.clear();
  c.formula_attrs.clear();
  c.has_formula = false;
  Touch();
}

void Worksheet::SetFormula(int row, int column, std::string formula, Value cached) {
  Cell& c = At(row, column);
  if (!formula.empty() && formula.front() == '=') formula.erase(0, 1);
  c.formula = std::move(formula);
  c.formula_attrs.clear();
  c.has_formula = true;
  c.value = std::move(cached);
  c.rich.clear();
  book_->impl_->formulas_changed = true;
  Touch();
}

void Worksheet::Clear(int row, int column) {
  auto r = rows_.find(row);
  if (r == rows_.end()) return;
  auto c = r->second.cells.find(column);
  if (c == r->second.cells.end()) return;
  if (c->second.has_formula) book_->impl_->formulas_changed = true;
  c->second.value = Value{};
  c->second.formula.clear();
  c->second.formula_attrs.clear();
  c->second.has_formula = false;
  c->second.rich.clear();
  Touch();
}

void Worksheet::SetStyle(int row, int column, int xf) {
  if (xf < 0 || xf >= book_->styles().Count()) throw Error(ErrorKind::Invalid, "No cell format " + std::to_string(xf) + ".");
  At(row, column).style = xf;
}

bool Worksheet::Locked(int row, int column) const { return book_->styles().Locked(StyleAt(row, column)); }
void Worksheet::SetLocked(int row, int column, bool locked) {
  Cell& c = At(row, column);
  c.style = book_->styles().WithLocked(c.style, locked);
}
int Worksheet::ColorIndex(int row, int column) const { return book_->styles().ColorIndex(StyleAt(row, column)); }
void Worksheet::SetColorIndex(int row, int column, int color_index) {
  Cell& c = At(row, column);
  c.style = book_->styles().WithColorIndex(c.style, color_index);
}
std::string Worksheet::NumberFormat(int row, int column) const {
  return book_->styles().NumberFormat(StyleAt(row, column));
}
void Worksheet::SetNumberFormat(int row, int column, const std::string& code) {
  Cell& c = At(row, column);
  c.style = book_->styles().WithNumberFormat(c.style, code);
}
bool Worksheet::IsTextFormat(int row, int column) const { return book_->styles().IsTextFormat(StyleAt(row, column)); }

Row& Worksheet::RowAt(int row) {
  CheckCell(row, 1);
  Touch();
  return rows_[row];
}
void Worksheet::SetRowHeight(int row, double points) {
  if (points < 0 || points > 409.5) throw Error(ErrorKind::Invalid, "A row height must lie between 0 and 409.5 points.");
  Row& r = RowAt(row);
  r.height = points;
  r.custom_height = true;
}
void Worksheet::SetRowHidden(int row, bool hidden) { RowAt(row).hidden = hidden; }
bool Worksheet::RowHidden(int row) const {
  auto r = rows_.find(row);
  return r != rows_.end() && r->second.hidden;
}

namespace {
// Splits the column ranges so that first..last is covered by ranges of its own.
std::vector<ColumnRange*> CoverColumns(std::vector<ColumnRange>& cols, int first, int last) {
  std::vector<ColumnRange> out;
  for (const auto& c : cols) {
    if (c.last < first || c.first > last) {
      out.push_back(c);
      continue;
    }
    if (c.first < first) {
      ColumnRange left = c;
      left.last = first - 1;
      out.push_back(left);
    }
    ColumnRange mid = c;
    mid.first = std::max(c.first, first);
    mid.last = std::min(c.last, last);
    out.push_back(mid);
    if (c.last > last) {
      ColumnRange right = c;
      right.first = last + 1;
      out.push_back(right);
    }
  }
  // Gaps inside first..last.
  std::sort(out.begin(), out.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
  std::vector<ColumnRange> filled;
  int next = first;
  for (const auto& c : out) {
    if (c.first >= first && c.first > next && next <= last) {
      ColumnRange gap;
      gap.first = next;
      gap.last = std::min(c.first - 1, last);
      filled.push_back(gap);
    }
    filled.push_back(c);
    if (c.last >= next) next = c.last + 1;
  }
  if (next <= last) {
    ColumnRange gap;
    gap.first = next;
    gap.last = last;
    filled.push_back(gap);
  }
  std::sort(filled.begin(), filled.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
  cols = std::move(filled);
  std::vector<ColumnRange*> covered;
  for (auto& c : cols)
    if (c.first >= first && c.last <= last) covered.push_back(&c);
  return covered;
}

void CheckColumns(int first, int last) {
  if (first < 1 || last < first || last > kMaxColumns) throw Error(ErrorKind::Invalid, "Bad column range.");
}
}  // namespace

void Worksheet::SetColumnWidth(int first, int last, double width) {
  CheckColumns(first, last);
  if (width < 0 || width > 255) throw Error(ErrorKind::Invalid, "A column width must lie between 0 and 255.");
  for (auto* c : CoverColumns(cols_, first, last)) {
    c->width = width;
    c->custom_width = true;
  }
  Touch();
}
std::optional<double> Worksheet::ColumnWidth(int column) const {
  for (const auto& c : cols_)
    if (column >= c.first && column <= c.last) return c.width;
  return std::nullopt;
}
void Worksheet::SetColumnHidden(int first, int last, bool hidden) {
  CheckColumns(first, last);
  for (auto* c : CoverColumns(cols_, first, last)) c->hidden = hidden;
  Touch();
}
void Worksheet::SetColumnStyle(int first, int last, int xf) {
  CheckColumns(first, last);
  for (auto* c : CoverColumns(cols_, first, last)) c->style = xf;
  Touch();
}

void Worksheet::AddMerge(const std::string& range) {
  auto colon = range.find(':');
  int r1, c1, r2, c2;
  if (colon == std::string::npos || !ParseCellName(range.substr(0, colon), r1, c1) ||
      !ParseCellName(range.substr(colon + 1), r2, c2) || r2 < r1 || c2 < c1)
    throw Error(ErrorKind::Invalid, "'" + range + "' is not a range of cells.");
  merges_.push_back(CellName(r1, c1) + ":" + CellName(r2, c2));
  Touch();
}

bool Worksheet::UsedRange(int& first_row, int& first_col, int& last_row, int& last_col) const {
  bool any = false;
  for (const auto& [r, row] : rows_) {
    if (row.cells.empty()) continue;
    int lo = row.cells.begin()->first, hi = row.cells.rbegin()->first;
    if (!any) {
      first_row = last_row = r;
      first_col = lo;
      last_col = hi;
      any = true;
    } else {
      last_row = r;
      first_col = std::min(first_col, lo);
      last_col = std::max(last_col, hi);
    }
  }
  return any;
}

void Worksheet::Protect(std::string_view password_utf8, bool drawing_objects, bool contents, bool scenarios) {
  Protection p;
  p.sheet = contents;
  p.objects = drawing_objects;
  p.scenarios = scenarios;
  p.select_locked_cells = protection_.select_locked_cells;
  p.select_unlocked_cells = protection_.select_unlocked_cells;
  if (!password_utf8.empty()) {
    char hex[8];
    std::snprintf(hex, sizeof hex, "%04X", LegacyPasswordHash(Utf8ToUtf16(password_utf8)));
    p.legacy_hash = hex;
  }
  protection_ = p;
  Touch();
}

void Worksheet::Unprotect() {
  Protection p;
  p.select_locked_cells = protection_.select_locked_cells;
  p.select_unlocked_cells = protection_.select_unlocked_cells;
  protection_ = p;
  Touch();
}

void Worksheet::Select(int first_row, int first_col, int last_row, int last_col) {
  CheckCell(first_row, first_col);
  CheckCell(last_row, last_col);
  if (last_row < first_row) std::swap(first_row, last_row);
  if (last_col < first_col) std::swap(first_col, last_col);
  active_row_ = first_row;
  active_col_ = first_col;
  selection_ = CellName(first_row, first_col);
  if (last_row != first_row || last_col != first_col) selection_ += ":" + CellName(last_row, last_col);
  Touch();
}

void Worksheet::SetActiveCell(int row, int column) {
  CheckCell(row, column);
  active_row_ = row;
  active_col_ = column;
  Touch();
}

// ---------------------------------------------------------------- Workbook

namespace {
const char kNewWorkbook[] =
    "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
    "<workbook xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\" "
    "xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\">"
    "<bookViews><workbookView activeTab=\"0\"/></bookViews><sheets/><calcPr calcId=\"0\"/></workbook>";
const char kNewWorkbookRels[] =
    "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
    "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
    "<Relationship Id=\"rId1\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/styles\" "
    "Target=\"styles.xml\"/></Relationships>";
const char kNewContentTypes[] =
    "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
    "<Types xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\">"
    "<Default Extension=\"rels\" ContentType=\"application/vnd.openxmlformats-package.relationships+xml\"/>"
    "<Default Extension=\"xml\" ContentType=\"application/xml\"/>"
    "<Override PartName=\"/xl/workbook.xml\" "
    "ContentType=\"application/vnd.openxmlformats-officedocument.spreadsheetml.sheet.main+xml\"/>"
    "<Override PartName=\"/xl/styles.xml\" "
    "ContentType=\"application/vnd.openxmlformats-officedocument.spreadsheetml.styles+xml\"/></Types>";
const char kNewRootRels[] =
    "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
    "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
    "<Relationship Id=\"rId1\" "
    "Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/officeDocument\" "
    "Target=\"xl/workbook.xml\"/></Relationships>";
}  // namespace

Workbook::Workbook() : impl_(std::make_unique<Impl>()) {}
Workbook::~Workbook() {
  sheets_.clear();
}

std::unique_ptr<Workbook> Workbook::Create() {
  std::unique_ptr<Workbook> book(new Workbook());
  auto& impl = *book->impl_;
  impl.name = "Book1";
  impl.parts.emplace_back("[Content_Types].xml", kNewContentTypes);
  impl.parts.emplace_back("_rels/.rels", kNewRootRels);
  impl.parts.emplace_back("xl/workbook.xml", kNewWorkbook);
  impl.parts.emplace_back("xl/_rels/workbook.xml.rels", kNewWorkbookRels);
  impl.workbook_doc = ParseXml(kNewWorkbook, "xl/workbook.xml");
  impl.workbook_rels = ParseXml(kNewWorkbookRels, "xl/_rels/workbook.xml.rels");
  impl.content_types = ParseXml(kNewContentTypes, "[Content_Types].xml");
  book->styles_.impl = NewDefaultStyles();
  impl.parts.emplace_back("xl/styles.xml", book->styles_.impl->raw);
  return book;
}

Worksheet& Workbook::Sheet(int position) {
  if (position < 1 || position > SheetCount())
    throw Error(ErrorKind::Invalid, "The workbook has no sheet " + std::to_string(position) + ".");
  return *sheets_[static_cast<std::size_t>(position - 1)];
}
const Worksheet& Workbook::Sheet(int position) const { return const_cast<Workbook*>(this)->Sheet(position); }

Worksheet* Workbook::FindSheet(std::string_view name) {
  for (auto& s : sheets_)
    if (Lower(s->name()) == Lower(name)) return s.get();
  return nullptr;
}

int Workbook::PositionOf(const Worksheet& sheet) const {
  for (std::size_t i = 0; i < sheets_.size(); ++i)
    if (sheets_[i].get() == &sheet) return static_cast<int>(i + 1);
  return 0;
}

Worksheet& Workbook::AddSheet(const std::string& name) {
  std::unique_ptr<Worksheet> sheet(new Worksheet(this));
  sheets_.push_back(std::move(sheet));
  Worksheet& s = *sheets_.back();
  try {
    s.SetName(name);
  } catch (...) {
    sheets_.pop_back();
    throw;
  }
  int id = 1;
  for (auto& other : sheets_)
    if (other.get() != &s) id = std::max(id, std::atoi(other->impl_->sheet_id.c_str()) + 1);
  s.impl_->sheet_id = std::to_string(id);
  for (int n = 1;; ++n) {
    std::string part = "xl/worksheets/sheet" + std::to_string(n) + ".xml";
    bool used = false;
    for (auto& other : sheets_) used = used || other->impl_->part == part;
    for (auto& p : impl_->parts) used = used || p.first == part;
    if (!used) {
      s.impl_->part = part;
      break;
    }
  }
  if (active_sheet_ == 0) active_sheet_ = 1;
  return s;
}

void Workbook::SetActiveSheet(int position) {
  Sheet(position);
  active_sheet_ = position;
}

}  // namespace xlsx
