#pragma once
// The in-memory workbook of the spreadsheet stand-in, read from and written to
// Office Open XML (.xlsx) packages. Texts are UTF-8. Rows, columns and sheet
// positions are 1-based. Whatever the model does not understand (fonts,
// borders, conditional formats, drawings, defined names, other parts, ...)
// is kept as read and written back unchanged.
//
// Usable on its own (no COM): the template generator builds workbooks with it.
//
//   auto book = xlsx::Workbook::Create();
//   auto& sheet = book->AddSheet("封面");
//   sheet.SetValue(1, 1, xlsx::Value::Text("0050"));
//   sheet.SetLocked(4, 3, false);
//   sheet.SetColorIndex(4, 3, 15);
//   sheet.SetNumberFormat(4, 3, "@");
//   sheet.SetColumnWidth(1, 3, 12.5);
//   sheet.AddMerge("A1:D1");
//   sheet.SetRowHidden(40, true);
//   sheet.Protect("Kq7vXr42ZpmLt");
//   book->Save("TANVIK1");
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace xlsx {

// ---------------------------------------------------------------- errors
enum class ErrorKind {
  NotFound,    // the file does not exist
  Io,          // reading or writing failed (permissions, disk full, ...)
  NotPackage,  // not a zip package at all, or a damaged one
  Legacy,      // an Excel 97-2003 binary workbook (or an encrypted one)
  Malformed,   // a part is malformed XML or misses what a workbook needs
  TooLarge,    // sizes beyond the reader's bounds (zip bomb)
  Invalid,     // a call with an argument the model refuses
};

class Error : public std::runtime_error {
 public:
  Error(ErrorKind kind, const std::string& what) : std::runtime_error(what), kind_(kind) {}
  ErrorKind kind() const { return kind_; }

 private:
  ErrorKind kind_;
};

// ---------------------------------------------------------------- cell refs
std::string ColumnName(int column);                 // 1 -> "A", 27 -> "AA"
std::string CellName(int row, int column);          // (1, 1) -> "A1"
// "B12" or "$B$12" -> (12, 2); false for anything else.
bool ParseCellName(std::string_view text, int& row, int& column);
constexpr int kMaxRows = 1048576;
constexpr int kMaxColumns = 16384;

// ---------------------------------------------------------------- values
enum class ValueType { Empty, Text, Number, Boolean, Error };

struct Value {
  ValueType type = ValueType::Empty;
  std::string text;  // Text: the text; Error: "#DIV/0!" etc.
  double number = 0;
  bool boolean = false;

  static Value Text(std::string t) { Value v; v.type = ValueType::Text; v.text = std::move(t); return v; }
  static Value Number(double n) { Value v; v.type = ValueType::Number; v.number = n; return v; }
  static Value Bool(bool b) { Value v; v.type = ValueType::Boolean; v.boolean = b; return v; }
  static Value Err(std::string e) { Value v; v.type = ValueType::Error; v.text = std::move(e); return v; }
  bool empty() const { return type == ValueType::Empty; }
  bool operator==(const Value& o) const;
};

// Excel's general decimal form of a number: up to 15 significant digits,
// no thousands separator, "." decimal point, exponent form outside 1e-9..1e15.
std::string GeneralNumberText(double number);

// Excel's conversion of a typed or assigned text (US conventions): a numeric
// text becomes a number ("0050" -> 50, "1,234.5" -> 1234.5, "12%" -> 0.12,
// "(5)" -> -5, "1e3" -> 1000), "TRUE"/"FALSE" a Boolean, anything else stays
// text. percent is set when the text ended with "%".
Value ConvertTypedText(std::string_view text, bool* percent = nullptr);

// ---------------------------------------------------------------- palette
// The standard 56-colour palette of Excel (colour index 1..56), as 0xRRGGBB.
std::uint32_t PaletteColor(int color_index);
// The colour index whose palette colour is nearest (exact matches: the lowest index).
int NearestColorIndex(std::uint32_t rgb);
constexpr int kColorIndexNone = -4142;       // xlColorIndexNone: no fill
constexpr int kColorIndexAutomatic = -4105;  // xlColorIndexAutomatic

// ---------------------------------------------------------------- cells
struct Cell {
  Value value;               // for a formula: its cached value
  std::string formula;       // without "="; empty when none
  std::string formula_attrs; // raw attributes of <f> (t="shared" si="0" ...), kept
  bool has_formula = false;  // an <f> element (shared formulas may have empty text)
  int style = 0;             // index into the workbook's cell formats
  std::string rich;          // raw inner XML of a rich-text string, kept while the text is unchanged
  std::string extra_attrs;   // other raw attributes of <c> (cm, vm, ph), kept
};

struct Row {
  std::map<int, Cell> cells;  // by column
  std::optional<double> height;
  bool custom_height = false;
  bool hidden = false;
  std::optional<int> style;   // s with customFormat
  std::string extra_attrs;    // other raw attributes (outlineLevel, thickBot, x14ac:dyDescent, ...)
};

struct ColumnRange {
  int first = 1, last = 1;
  std::optional<double> width;
  bool custom_width = false;
  bool hidden = false;
  int style = 0;
  std::string extra_attrs;
};

enum class Visibility { Visible, Hidden, VeryHidden };

// Sheet protection as the file holds it. The Boolean restrictions read like
// the file's attributes: true means the action is NOT allowed.
struct Protection {
  bool sheet = false;  // protected (Contents)
  bool objects = false, scenarios = false;
  bool format_cells = true, format_columns = true, format_rows = true;
  bool insert_columns = true, insert_rows = true, insert_hyperlinks = true;
  bool delete_columns = true, delete_rows = true;
  bool select_locked_cells = false, select_unlocked_cells = false;
  bool sort = true, auto_filter = true, pivot_tables = true;
  std::string legacy_hash;  // "CBEB": 4 hex digits, empty when none
  std::string algorithm_name, hash_value, salt_value;  // the hashed form, base64
  std::uint32_t spin_count = 0;

  bool HasPassword() const { return !legacy_hash.empty() || !hash_value.empty(); }
  // True when the password opens this protection (no password: any password,
  // as Excel, including the empty one).
  bool Verify(std::string_view password_utf8) const;
};

// Excel's 16-bit password verifier of a sheet password ("test" -> 0xCBEB).
std::uint16_t LegacyPasswordHash(std::u16string_view password);
// The hashed form: base64 of the iterated SHA-512 of salt + UTF-16LE password.
std::string Sha512PasswordHash(std::u16string_view password, const std::string& salt_base64,
                               std::uint32_t spin_count);

enum class Orientation { Default, Portrait, Landscape };

struct PageSetup {
  int paper_size = 0;  // 0: not set (the program's default); 8 A3, 9 A4
  int scale = 100;     // Zoom
  Orientation orientation = Orientation::Default;
  bool center_horizontally = false, center_vertically = false;
  bool fit_to_page = false;  // sheetPr/pageSetUpPr fitToPage: the scale is then not used
};

class Workbook;
class Worksheet;

// ---------------------------------------------------------------- styles
// The cell formats (cellXfs) of a workbook, kept as read. A change of one
// property yields the index of a format equal in all else (found or added).
class Styles {
 public:
  ~Styles();
  int Count() const;
  bool Locked(int xf) const;
  int ColorIndex(int xf) const;          // -4142 when no fill
  std::string NumberFormat(int xf) const;  // "General", "@", "0.00", ...
  bool IsTextFormat(int xf) const;       // "@"
  int WithLocked(int xf, bool locked);
  int WithColorIndex(int xf, int color_index);  // 1..56, 0 or -4142
  int WithNumberFormat(int xf, const std::string& code);

  struct Impl;
  std::unique_ptr<Impl> impl;
};

// ---------------------------------------------------------------- sheet
class Worksheet {
 public:
  ~Worksheet();
  Workbook& workbook() const { return *book_; }
  const std::string& name() const { return name_; }
  void SetName(const std::string& name);  // Invalid on a bad or duplicate name
  Visibility visibility() const { return visibility_; }
  void SetVisibility(Visibility v) { visibility_ = v; Touch(); }
  // A chart sheet or dialog sheet: kept as it is, with no cells.
  bool IsWorksheet() const { return !opaque_; }

  // Cells. Find returns null for a cell that is not stored.
  const Cell* Find(int row, int column) const;
  Cell& At(int row, int column);  // created (with the row's or column's format) if absent
  Value GetValue(int row, int column) const;
  void SetValue(int row, int column, Value value);   // drops a formula
  void SetFormula(int row, int column, std::string formula, Value cached = {});
  void Clear(int row, int column);  // value and formula (format kept)
  // The format in force at a cell: its own, else its row's, else its column's.
  int StyleAt(int row, int column) const;
  void SetStyle(int row, int column, int xf);

  bool Locked(int row, int column) const;
  void SetLocked(int row, int column, bool locked);
  int ColorIndex(int row, int column) const;
  void SetColorIndex(int row, int column, int color_index);
  std::string NumberFormat(int row, int column) const;
  void SetNumberFormat(int row, int column, const std::string& code);
  bool IsTextFormat(int row, int column) const;

  // Rows and columns.
  const std::map<int, Row>& rows() const { return rows_; }
  Row& RowAt(int row);
  void SetRowHeight(int row, double points);
  void SetRowHidden(int row, bool hidden);
  bool RowHidden(int row) const;
  const std::vector<ColumnRange>& columns() const { return cols_; }
  void SetColumnWidth(int first, int last, double width);  // in characters, as Excel's <col width>
  std::optional<double> ColumnWidth(int column) const;
  void SetColumnHidden(int first, int last, bool hidden);
  void SetColumnStyle(int first, int last, int xf);

  // Merged cells, as "A1:B2".
  const std::vector<std::string>& merges() const { return merges_; }
  void AddMerge(const std::string& range);

  // Used range: false when the sheet has no stored cell.
  bool UsedRange(int& first_row, int& first_col, int& last_row, int& last_col) const;

  // Protection. Protect stores the legacy hash of the password (as Excel 2003
  // and LibreOffice read it) and the options; Unprotect clears it.
  Protection& protection() { Touch(); return protection_; }
  const Protection& protection() const { return protection_; }
  bool IsProtected() const { return protection_.sheet; }
  void Protect(std::string_view password_utf8, bool drawing_objects = false, bool contents = true,
               bool scenarios = true);
  // Keeps which cells may be selected (EnableSelection), as Excel does.
  void Unprotect();

  // Selection: the active cell and the selected ranges ("A1" or "A1:B2 D4").
  int active_row() const { return active_row_; }
  int active_column() const { return active_col_; }
  const std::string& selection() const { return selection_; }
  void Select(int first_row, int first_col, int last_row, int last_col);
  void SetActiveCell(int row, int column);

  PageSetup& page_setup() { Touch(); return page_setup_; }
  const PageSetup& page_setup() const { return page_setup_; }

  struct Impl;  // what is kept of the sheet's XML

 private:
  friend class Workbook;
  friend struct Io;
  explicit Worksheet(Workbook* book);
  void Touch();

  Workbook* book_;
  std::string name_;
  Visibility visibility_ = Visibility::Visible;
  bool opaque_ = false;
  std::map<int, Row> rows_;
  std::vector<ColumnRange> cols_;
  std::vector<std::string> merges_;
  Protection protection_;
  PageSetup page_setup_;
  int active_row_ = 1, active_col_ = 1;
  std::string selection_ = "A1";
  std::unique_ptr<Impl> impl_;
};

// ---------------------------------------------------------------- workbook
struct Limits {
  std::uint64_t max_file_size = 256u << 20;     // bytes on disk
  std::uint64_t max_part_size = 64u << 20;      // one uncompressed part
  std::uint64_t max_total_size = 256u << 20;    // all parts uncompressed
  std::uint32_t max_parts = 10000;
  std::uint32_t max_ratio = 1000;               // uncompressed : compressed, parts over 1 MiB
};

class Workbook {
 public:
  ~Workbook();
  Workbook(const Workbook&) = delete;
  Workbook& operator=(const Workbook&) = delete;

  // A new, empty workbook (no sheets).
  static std::unique_ptr<Workbook> Create();
  // Reads a package; throws Error with a description and touches nothing.
  static std::unique_ptr<Workbook> Load(const std::string& path, const Limits& limits = {});
  static std::unique_ptr<Workbook> LoadFromMemory(std::string_view bytes, const std::string& name,
                                                  const Limits& limits = {});
  // Writes a temporary file beside path and renames it over path; a file
  // there keeps its permissions. Throws Error (Io) and leaves path untouched.
  void Save(const std::string& path) const;
  std::string SaveToMemory() const;

  int SheetCount() const { return static_cast<int>(sheets_.size()); }
  Worksheet& Sheet(int position);  // 1-based; Invalid when out of range
  const Worksheet& Sheet(int position) const;
  Worksheet* FindSheet(std::string_view name);
  int PositionOf(const Worksheet& sheet) const;  // 1-based
  Worksheet& AddSheet(const std::string& name);  // appended
  int active_sheet() const { return active_sheet_; }  // 1-based, 0 when no sheet
  void SetActiveSheet(int position);

  Styles& styles() { return styles_; }
  const Styles& styles() const { return styles_; }

  struct Impl;  // the parts kept from the package
  Impl& impl() const { return *impl_; }

 private:
  friend struct Io;
  friend class Worksheet;
  Workbook();

  std::vector<std::unique_ptr<Worksheet>> sheets_;
  int active_sheet_ = 0;
  Styles styles_;
  std::unique_ptr<Impl> impl_;
};

}  // namespace xlsx
