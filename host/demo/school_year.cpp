#include "school_year.h"

#include <algorithm>
#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <regex>
#include <stdexcept>
#include <tuple>

#include "addin/workbook/base_table.h"
#include "addin/workbook/excel_ops.h"
#include "com/error_info.h"
#include "com/variant.h"
#include "excel/xlsx/model.h"
#include "figures.h"
#include "host/app/excel_host.h"
#include "platform/forms/scripted_driver.h"
#include "platform/win/code_page.h"

namespace velmora::demo {

School SampleSchool() {
  return {"11069", "2010_11069_41010200_基表1.xlsx", "jb1_mistakes", "jb1_clean"};
}

namespace {

constexpr char kPassed[] = "提示：交验全部通过！";
constexpr char kAddIn[] = "Velmora.MyOutLookAddIn";
constexpr char kPaper[] = "A4";
// Runs of the validation before the walk gives up correcting.
constexpr int kMaxRuns = 6;

// A cell of the workbook: sheet, row, column.
using CellKey = std::tuple<int, int, int>;
CellKey Key(const Figure& figure) { return {figure.sheet, figure.row, figure.column}; }

std::map<CellKey, std::string> ByCell(const std::vector<Figure>& figures) {
  std::map<CellKey, std::string> cells;
  for (const Figure& figure : figures) cells[Key(figure)] = figure.text;
  return cells;
}

// The cell a run stopped at, as its message names it: the rule's expression
// names the sheet ("JB1_2"), the message ends with the row and column
// ("…请检查填报的数据！18,4").
std::optional<CellKey> StopCell(const std::string& message) {
  static const std::regex sheet(R"(JB\d_(\d))");
  static const std::regex cell(R"((\d+),(\d+)\s*$)");
  std::smatch s, c;
  if (!std::regex_search(message, s, sheet) || !std::regex_search(message, c, cell))
    return std::nullopt;
  return CellKey{std::stoi(s[1]), std::stoi(c[1]), std::stoi(c[2])};
}

class YearWalk {
 public:
  YearWalk(const School& school, const std::string& folder, const std::string& data_dir,
           std::ostream& out)
      : school_(school),
        data_dir_(data_dir),
        return_path_(folder + "/" + school.return_name),
        preview_path_(folder + "/print-preview-" + kPaper + ".pdf"),
        out_(out),
        excel_(com::ComPtr<excel::_Application>(host_.Application())) {}

  WalkResult Run() {
    StartSpreadsheet();
    SetSchoolInformation();
    const std::map<CellKey, std::string> books = ByCell(ReadFigures(Sample(school_.books)));
    TypeTheFigures();
    bool passed = false;
    std::optional<CellKey> first_cell;
    for (int run = 1; run <= kMaxRuns && !passed; ++run) {
      std::vector<CellKey> pointed;
      passed = Validate(run, pointed, first_cell);
      if (!passed && !Correct(books, pointed)) break;
    }
    if (passed) {
      PrintPreview();
      if (first_cell) Explain(*first_cell);
    }
    Heading("leaving the spreadsheet");
    Book().Save();
    out_ << "  saved " << return_path_ << "\n";
    host_.Close();
    WalkResult result;
    result.passed = passed;
    result.files = {return_path_};
    if (std::filesystem::exists(preview_path_)) result.files.push_back(preview_path_);
    return result;
  }

 private:
  void Heading(const std::string& title) { out_ << "\n== " << ++step_ << ". " << title << "\n"; }

  // The user of one step: the answers given here, everything shown printed.
  std::shared_ptr<forms::ScriptedDriver> User(const std::string& answers) {
    auto user = forms::ScriptedDriver::FromText(answers);
    user->SetEcho([this](const std::string& line) { out_ << "  " << line << "\n"; });
    return user;
  }

  void Click(const std::string& tag) {
    out_ << "  click " << tag << "\n";
    if (!host_.CommandBars().Click(tag).found)
      throw std::runtime_error("the spreadsheet has no button \"" + tag +
                               "\" (has velmora install been run?)");
  }

  std::string Sample(const std::string& name) const {
    return data_dir_ + "samples/" + name + ".xlsx";
  }

  workbook::Workbook Book() const {
    std::optional<workbook::Workbook> book = excel_.ActiveWorkbook();
    if (!book) throw std::runtime_error("no workbook is open in the spreadsheet");
    return *book;
  }

  std::string SheetName(int sheet) const {
    return sheet >= 1 && sheet <= static_cast<int>(sheet_names_.size()) ? sheet_names_[sheet - 1]
                                                                        : std::to_string(sheet);
  }
  std::string Where(const CellKey& cell) const {
    return SheetName(std::get<0>(cell)) + "!" +
           xlsx::CellName(std::get<1>(cell), std::get<2>(cell));
  }
  std::string Selected() const {
    std::optional<workbook::Range> selection = excel_.Selection();
    if (!selection) return "nothing";
    return win::AnsiToUtf8(Book().ActiveSheet().Name()) + "!" +
           xlsx::CellName(static_cast<int>(selection->Row()),
                          static_cast<int>(selection->Column()));
  }
  std::string FirstSheetCell(base_table::CellAddress cell) const {
    return win::AnsiToUtf8(base_table::ReadCell(Book().Sheet(base_table::kFirstSheet), cell));
  }

  void StartSpreadsheet() {
    Heading("the spreadsheet starts with its add-ins");
    bool connected = false;
    for (const host::AddIn& addin : host_.AddIns()) {
      out_ << "  add-in " << addin.progid << (addin.object ? " connected" : ": " + addin.error)
           << "\n";
      connected |= addin.object && addin.progid == kAddIn;
    }
    if (!connected)
      throw std::runtime_error(std::string("the add-in ") + kAddIn +
                               " is not connected (has velmora install been run?)");
  }

  void SetSchoolInformation() {
    Heading("设置学校信息: the school picked from the list, its workbook made from the template");
    auto user = User("click btnXXSelect\nset edt1 " + school_.xxdm +
                     "\ndblclick xxdbgrd 1\nclick btnok\nsave " + return_path_ + "\n");
    {
      forms::ScriptedDriver::Install shown(user);
      Click("设置学校信息1");
    }
    for (const forms::FormRecord& form : user->Forms()) {
      if (form.shown.name != "xxinfo") continue;
      out_ << "  the school information confirmed with 设置完成:\n";
      for (const char* name :
           {"txtYear", "txtxxdm", "txtxxname", "txtdqdm", "txtdqmc", "cblsgx", "cbxxlb", "txtzgbm"})
        if (const forms::ControlView* control = form.last.Find(name))
          out_ << "    " << name << " \"" << control->text << "\"\n";
    }
    if (!std::filesystem::exists(return_path_) || !excel_.ActiveWorkbook())
      throw std::runtime_error("the school information dialog made no workbook at " + return_path_);
    // The locking is not saved by the dialog; the user saves.
    Book().Save();
    out_ << "  saved " << return_path_ << "\n"
         << "  A40 \"" << FirstSheetCell(base_table::kInfoStringCell) << "\"\n"
         << "  E40 \"" << FirstSheetCell(base_table::kTemplateNameCell) << "\"\n"
         << "  T40 \"" << FirstSheetCell(base_table::kYearCell) << "\"\n";
    ShowHeadersAndLocks();
  }

  // The header rows of the first sheet as written, and the cells whose
  // locking differs from the template's: the lock lists chosen for the school.
  void ShowHeadersAndLocks() {
    const auto book = xlsx::Workbook::Load(return_path_);
    const std::string kind = FirstSheetCell(base_table::kTemplateNameCell);
    const auto blank = xlsx::Workbook::Load(
        data_dir_ + win::AnsiToUtf8(base_table::TemplateFile(
                        base_table::KindOfTemplateName(win::Utf8ToAnsi(kind)))));
    sheet_names_.clear();
    for (int sheet = 1; sheet <= book->SheetCount(); ++sheet)
      sheet_names_.push_back(book->Sheet(sheet).name());
    const xlsx::Worksheet& first = book->Sheet(base_table::kFirstSheet);
    for (int row = 4; row <= 6; ++row) {
      out_ << "  row " << row << ":";
      for (int column = 1; column <= 20; ++column) {
        const xlsx::Value value = first.GetValue(row, column);
        if (value.type == xlsx::ValueType::Text && !value.text.empty())
          out_ << " " << xlsx::CellName(row, column) << " " << value.text;
      }
      out_ << "\n";
    }
    for (int sheet = 1; sheet <= base_table::kDataSheetCount && sheet <= blank->SheetCount();
         ++sheet) {
      std::string locked, unlocked;
      const xlsx::Worksheet& made = book->Sheet(sheet);
      const xlsx::Worksheet& from = blank->Sheet(sheet);
      for (const auto& [row, cells] : made.rows())
        for (const auto& [column, cell] : cells.cells)
          if (made.Locked(row, column) != from.Locked(row, column))
            (made.Locked(row, column) ? locked : unlocked) += " " + xlsx::CellName(row, column);
      if (!locked.empty()) {
        out_ << "  locked for this school on " << made.name() << ":" << locked << "\n";
        if (!locked_cell_) {
          int row = 0, column = 0;
          xlsx::ParseCellName(locked.substr(1, locked.find(' ', 1) - 1), row, column);
          locked_cell_ = CellKey{sheet, row, column};
        }
      }
      if (!unlocked.empty())
        out_ << "  unlocked for this school on " << made.name() << ":" << unlocked << "\n";
      out_ << "  " << made.name() << " " << (made.IsProtected() ? "protected" : "not protected")
           << "\n";
    }
  }

  // Typing happens on the saved file with the user's hands (the spreadsheet
  // stand-in takes the user's typing on a file, not on an open workbook): the
  // workbook is saved and closed, typed into, and opened again.
  template <class Typing>
  void OnTheFile(Typing typing) {
    workbook::Workbook book = Book();
    book.Save();
    workbook::Check(
        book.Get()->Close(com::Variant(false), com::Variant::Missing(), com::Variant::Missing()));
    typing();
    excel_.Open(win::Utf8ToAnsi(return_path_));
  }

  void TypeTheFigures() {
    Heading("the figures typed, from samples/" + school_.typed + ".xlsx");
    const std::vector<Figure> figures = ReadFigures(Sample(school_.typed));
    OnTheFile([&] {
      std::map<int, std::vector<TypingOutcome>> by_sheet;
      for (TypingOutcome& typed : TypeFigures(return_path_, figures))
        by_sheet[typed.figure.sheet].push_back(typed);
      for (const auto& [sheet, typed] : by_sheet) {
        out_ << "  " << SheetName(sheet) << ": " << typed.size() << " cells typed:";
        for (std::size_t i = 0; i < typed.size() && i < 6; ++i)
          out_ << " " << CellName(typed[i].figure) << " " << typed[i].figure.text;
        out_ << (typed.size() > 6 ? " …\n" : "\n");
        for (const TypingOutcome& refused : typed)
          if (!refused.refusal.empty())
            out_ << "  " << Where(Key(refused.figure)) << " refused: " << refused.refusal << "\n";
      }
      if (locked_cell_) {
        const auto& [sheet, row, column] = *locked_cell_;
        out_ << "  typing 1 into " << Where(*locked_cell_) << ", locked for this school:\n";
        for (const TypingOutcome& typed : TypeFigures(return_path_, {{sheet, row, column, "1"}}))
          out_ << "    "
               << (typed.refusal.empty() ? "taken" : "the spreadsheet says: " + typed.refusal)
               << "\n";
      }
      out_ << "  saved " << return_path_ << "\n";
    });
  }

  // One run of "校验"; the first failure is double-clicked. Collects the
  // cells the run points at (the first failure's, the one it stopped at).
  bool Validate(int run, std::vector<CellKey>& pointed, std::optional<CellKey>& first_cell) {
    Heading("校验, run " + std::to_string(run));
    auto user = User("dblclick DBGrid1 1\n");
    {
      forms::ScriptedDriver::Install shown(user);
      Click("校验1");
    }
    // Any other message than the one of a pass is an error that stopped the
    // run: the rules after it were not checked.
    bool said_passed = false, stopped = false;
    for (const ui::MessageBoxRecord& box : user->MessageBoxes()) {
      if (box.text == kPassed) {
        said_passed = true;
        continue;
      }
      stopped = true;
      if (std::optional<CellKey> stop = StopCell(box.text)) {
        out_ << "  the run stopped at " << Where(*stop) << "\n";
        pointed.push_back(*stop);
      }
    }
    const std::string flag = FirstSheetCell(base_table::kValidationFlagCell);
    out_ << "  B40 \"" << flag << "\"\n";
    if (said_passed && !stopped && flag == base_table::kValidationOk) return true;
    bool listed = false;
    for (const forms::FormRecord& form : user->Forms())
      if (const forms::ControlView* grid = form.shown.Find("DBGrid1");
          form.shown.name == "form2" && grid)
        listed |= !grid->grid.rows.empty();
    if (!listed) return false;

    const std::string list = win::AnsiToUtf8(
        base_table::ReadCell(Book().Sheet(base_table::kFirstSheet), base_table::kCellListCell));
    std::vector<CellKey> cells;
    for (const base_table::CellPosition& cell : base_table::ParseCellList(win::Utf8ToAnsi(list)))
      cells.push_back({cell.sheet, cell.row, cell.column});
    out_ << "  the first failure's cells (F40 \"" << list << "\"), marked:";
    for (const CellKey& cell : cells) out_ << " " << Where(cell);
    out_ << "\n  selected: " << Selected() << "\n";
    if (!first_cell && !cells.empty()) {
      first_cell = cells.front();
      SwitchThrough(cells.size());
    }
    pointed.insert(pointed.end(), cells.begin(), cells.end());
    return false;
  }

  void SwitchThrough(std::size_t cells) {
    Heading("切换单元格 through the cells of the failure");
    for (std::size_t i = 0; i < cells; ++i) {
      auto user = User("");
      forms::ScriptedDriver::Install shown(user);
      Click("切换单元格1");
      out_ << "  selected: " << Selected() << ", G40 \""
           << FirstSheetCell(base_table::kSwitchCounterCell) << "\"\n";
    }
  }

  // The cells pointed at whose figure differs from the school's books get
  // the books' figure. False when there is nothing to correct.
  bool Correct(const std::map<CellKey, std::string>& books, const std::vector<CellKey>& pointed) {
    Heading("the figures corrected from the school's books (samples/" + school_.books + ".xlsx)");
    const std::map<CellKey, std::string> typed = ByCell(ReadFigures(return_path_));
    std::vector<Figure> corrections;
    for (const CellKey& cell : pointed) {
      const auto right = books.find(cell);
      const auto now = typed.find(cell);
      const std::string want = right == books.end() ? "" : right->second;
      const std::string have = now == typed.end() ? "" : now->second;
      const Figure correction{std::get<0>(cell), std::get<1>(cell), std::get<2>(cell), want};
      if (want == have ||
          std::find(corrections.begin(), corrections.end(), correction) != corrections.end())
        continue;
      out_ << "  " << Where(cell) << ": \"" << have << "\" -> \"" << want << "\"\n";
      corrections.push_back(correction);
    }
    if (corrections.empty()) {
      out_ << "  nothing the validation points at differs from the books\n";
      return false;
    }
    OnTheFile([&] {
      for (const TypingOutcome& typed_again : TypeFigures(return_path_, corrections))
        if (!typed_again.refusal.empty())
          out_ << "  " << Where(Key(typed_again.figure)) << " refused: " << typed_again.refusal
               << "\n";
      out_ << "  saved " << return_path_ << "\n";
    });
    return true;
  }

  void PrintPreview() {
    Heading(std::string("基表打印 on ") + kPaper + " paper");
    auto user = User(std::string("pick cbb_PaperSize ") + kPaper + "\nclick btn_OK\n");
    user->SetPreviewPath(preview_path_);
    {
      forms::ScriptedDriver::Install shown(user);
      Click("基表打印1");
    }
    if (user->PrintPreviews().empty()) out_ << "  no print preview was shown\n";
  }

  void Explain(const CellKey& cell) {
    Heading("查看指标解释 on " + Where(cell));
    const auto& [sheet, row, column] = cell;
    const workbook::Worksheet target = Book().Sheet(sheet);
    target.Activate();
    target.Cell(row, column).Select();
    auto user = User("");
    forms::ScriptedDriver::Install shown(user);
    Click("查看指标解释1");
  }

  const School school_;
  const std::string data_dir_, return_path_, preview_path_;
  std::ostream& out_;
  host::ExcelHost host_;
  const workbook::Application excel_;
  std::vector<std::string> sheet_names_;  // UTF-8, of the school's workbook
  std::optional<CellKey> locked_cell_;    // one that the lock lists locked for the school
  int step_ = 0;
};

}  // namespace

WalkResult WalkSchoolYear(const School& school, const std::string& folder,
                          const std::string& data_dir, std::ostream& out) {
  try {
    return YearWalk(school, folder, data_dir, out).Run();
  } catch (const com::ComError& error) {
    // The add-in's hands on Excel describe failures in GBK.
    throw std::runtime_error(win::AnsiToUtf8(error.what()));
  }
}

}  // namespace velmora::demo
