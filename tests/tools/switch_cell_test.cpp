// Cell switching: the walk through F40 by the counter G40, locked cells
// skipped, the errors shown and the first sheet protected again on every path.
#include "tools/switch_cell.h"

#include "tools_fixture.h"

namespace velmora::testing {
namespace {

struct Selected {
  long sheet, row, column;
  bool operator==(const Selected&) const = default;
};
std::ostream& operator<<(std::ostream& out, const Selected& s) {
  return out << s.sheet << "," << s.row << "," << s.column;
}

class SwitchCellTest : public ToolsTest {
 protected:
  // F40 and G40 as the validation dialog leaves them; the listed cells open.
  void List(const std::string& f40, const std::string& g40 = "") {
    ModelSheet(1).SetValue(40, 6, xlsx::Value::Text(f40));
    if (!g40.empty()) ModelSheet(1).SetValue(40, 7, xlsx::Value::Text(g40));
    for (const auto& p : {Selected{1, 10, 3}, Selected{1, 12, 3}, Selected{2, 8, 4}})
      ModelSheet(p.sheet).SetLocked(p.row, p.column, false);
  }
  Selected Selection() const {
    const workbook::Range cell = *Excel().Selection();
    return {Excel().ActiveWorkbook()->ActiveSheet().Index(), cell.Row(), cell.Column()};
  }
  std::string Counter() const { return base_table::ReadCell(book_->Sheet(1), base_table::kSwitchCounterCell); }
};

constexpr char kThree[] = "1,10,3|1,12,3|2,8,4";

struct WalkCase {
  const char* name;
  std::vector<Selected> locked;
  std::string g40;
  std::vector<Selected> selected;  // after each run
  std::vector<std::string> counters;
};

TEST_F(SwitchCellTest, RunsWalkTheListByTheCounterAndSkipLockedCells) {
  const std::vector<WalkCase> cases = {
      {"three open entries cycle", {}, "", {{1, 10, 3}, {1, 12, 3}, {2, 8, 4}, {1, 10, 3}}, {"0", "1", "2", "3"}},
      {"a locked middle entry is skipped in the same run", {{1, 12, 3}}, "", {{1, 10, 3}, {2, 8, 4}, {1, 10, 3}},
       {"0", "2", "3"}},
      {"the counter continues from G40", {}, "4", {{2, 8, 4}, {1, 10, 3}}, {"5", "6"}},
  };
  for (const WalkCase& c : cases) {
    SCOPED_TRACE(c.name);
    TearDown();
    SetUp();
    List(kThree, c.g40);
    for (const Selected& p : c.locked) ModelSheet(p.sheet).SetLocked(p.row, p.column, true);
    Open();
    for (std::size_t run = 0; run < c.selected.size(); ++run) {
      tools::SwitchCell(Excel(), 0);
      EXPECT_EQ(Selection(), c.selected[run]) << "run " << run + 1;
      EXPECT_EQ(Counter(), c.counters[run]) << "run " << run + 1;
      EXPECT_TRUE(book_->Sheet(1).ProtectContents());
    }
    EXPECT_TRUE(Boxes().empty());
  }
}

TEST_F(SwitchCellTest, ASingleLockedEntryTakesTwoStepsAndSelectsNothing) {
  ModelSheet(1).SetValue(40, 6, xlsx::Value::Text("2,8,4"));
  Open();
  tools::SwitchCell(Excel(), 0);
  EXPECT_EQ(Counter(), "1");
  EXPECT_EQ(Selection(), (Selected{2, 1, 1}));
  tools::SwitchCell(Excel(), 0);
  EXPECT_EQ(Counter(), "3");
  EXPECT_TRUE(Boxes().empty());
  EXPECT_TRUE(AllProtected());
}

TEST_F(SwitchCellTest, EveryStepSavesBeforeItWritesTheCounter) {
  List(kThree);
  Open();
  tools::SwitchCell(Excel(), 0);
  tools::SwitchCell(Excel(), 0);
  // the second run saved the counter of the first; its own is unsaved
  EXPECT_EQ(Saved()->Sheet(1).GetValue(40, 7), xlsx::Value::Number(0));
}

TEST_F(SwitchCellTest, AnEmptyListSavesAndDoesNothingElse) {
  Open();
  tools::SwitchCell(Excel(), 0);
  EXPECT_EQ(Counter(), "");
  EXPECT_TRUE(Boxes().empty());
  EXPECT_EQ(Selection(), (Selected{1, 1, 1}));
}

struct ErrorCase {
  const char* name;
  std::string f40, g40;
  std::string message;  // UTF-8; empty: any
};

// Each error is shown and the step stops with nothing selected; the first
// sheet is protected again all the same.
TEST_F(SwitchCellTest, AStepsErrorIsShownAndTheFirstSheetProtectedAgain) {
  const std::vector<ErrorCase> cases = {
      {"G40 not a number", kThree, "abc", "'abc' is not a valid integer value"},
      {"only separators", "||", "", "Division by zero"},
      {"an entry with two numbers", "1,10", "", ""},
      {"an entry number that is no integer", "1,x,3", "", "'x' is not a valid integer value"},
      {"a sheet outside the workbook", "9,1,1", "", ""},
      {"a row out of range", "1,0,3", "", ""},
  };
  for (const ErrorCase& c : cases) {
    SCOPED_TRACE(c.name);
    TearDown();
    SetUp();
    List(c.f40, c.g40);
    Open();
    tools::SwitchCell(Excel(), 0);
    ASSERT_EQ(Boxes().size(), 1u);
    if (!c.message.empty()) {
      EXPECT_EQ(Boxes()[0], c.message);
    }
    EXPECT_EQ(Selection().row, 1);
    EXPECT_TRUE(AllProtected());
  }
}

TEST_F(SwitchCellTest, EntriesAreTakenModuloTheirCountAndIgnoreBlanks) {
  List(" 1,10,3| 1, 12,3");
  Open();
  EXPECT_EQ(tools::GetSwitchEntry(Excel(), 0), "1,10,3");
  EXPECT_EQ(tools::GetSwitchEntry(Excel(), 3), "1, 12,3");
}

// Each call of the stand-in failing in turn: the error is shown, the file
// stays readable and every sheet ends protected.
TEST_F(SwitchCellTest, FaultSweep) {
  List(kThree);
  ModelSheet(1).SetLocked(12, 3, true);
  Open();
  const auto reset = [&] {
    base_table::UnprotectedSheet guard(book_->Sheet(1));
    base_table::WriteCell(book_->Sheet(1), base_table::kSwitchCounterCell, "0");
    guard.Protect();
  };
  reset();  // the next run skips the locked cell: two steps
  excel::fault::Clear();
  tools::SwitchCell(Excel(), 0);
  const int calls = excel::fault::Calls();
  ASSERT_GT(calls, 5);
  for (int k = 1; k <= calls; ++k) {
    SCOPED_TRACE("call " + std::to_string(k) + " fails");
    reset();
    ui_->Clear();
    excel::fault::Clear();
    excel::fault::Inject("*", k, static_cast<std::int32_t>(0x800A03EC), "injected fault");
    tools::SwitchCell(Excel(), 0);
    const bool fired = excel::fault::Fired() > 0;
    excel::fault::Clear();
    if (fired) {
      EXPECT_EQ(Boxes(), std::vector<std::string>{"injected fault"});
    }
    EXPECT_TRUE(AllProtected());
    EXPECT_NO_THROW(Saved());
  }
}

}  // namespace
}  // namespace velmora::testing
