// The validate command: the save before any check, the A40 test, the
// protection of the first sheet, the second save and the dialog; and a fault
// sweep over it and the double-click.
#include "platform/forms/scripted_driver.h"
#include "validation/form2.h"
#include "validation/validate_command.h"
#include "validation_fixture.h"

namespace velmora::testing {
namespace {

class ValidateCommand : public ValidationTest {
 protected:
  // Runs the command; true when it opened the dialog.
  bool Run() {
    bool opened = false;
    ValidateWorkbook(Excel(), [&] { opened = true; });
    return opened;
  }
};

TEST_F(ValidateCommand, OnlyA2010BaseTableReachesTheDialog) {
  struct Case {
    const char* a40;
    bool opens;
  } cases[] = {
      {kInfoString, true},
      {"2010", true},
      {"", false},
      {"   ", false},
      {"2009|41010200|21|112|11069|x", false},
      {"  2010|41010200|21|112|11069|x", false},
      {"201", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.a40);
    ModelSheet(1).SetValue(40, 1, xlsx::Value::Text(c.a40));
    Open();
    excel::fault::Clear();
    EXPECT_EQ(Run(), c.opens);
    EXPECT_EQ(excel::fault::Calls("Workbook.Save"), c.opens ? 2 : 1);
    EXPECT_EQ(excel::fault::Calls("Worksheet.Protect"), c.opens ? 1 : 0);
    EXPECT_TRUE(Book().Sheet(1).ProtectContents());
    book_.reset();
    excel_.reset();
  }
  EXPECT_TRUE(Boxes().empty());
}

TEST_F(ValidateCommand, NoWorkbookDoesNothing) {
  excel_.emplace(excel::CreateApplication());
  EXPECT_FALSE(Run());
  EXPECT_EQ(excel::fault::Calls("Workbook.Save"), 0);
}

TEST_F(ValidateCommand, TheFirstSheetEntersValidationWithTheStandardProtection) {
  ModelSheet(1).Unprotect();
  ModelSheet(1).Protect(kPassword, /*drawing_objects*/ true, /*contents*/ true, /*scenarios*/ false);
  Open();
  ASSERT_TRUE(Run());
  const auto saved = Saved();
  const xlsx::Protection& protection = saved->Sheet(1).protection();
  EXPECT_TRUE(protection.sheet);
  EXPECT_TRUE(protection.Verify(kPassword));
  EXPECT_FALSE(protection.objects);
  EXPECT_TRUE(protection.scenarios);

  ModelSheet(1).Unprotect();  // unprotected by hand
  Open();
  ASSERT_TRUE(Run());
  EXPECT_TRUE(Saved()->Sheet(1).protection().sheet);
}

TEST_F(ValidateCommand, AnotherPasswordStopsWithExcelsError) {
  ModelSheet(1).Unprotect();
  ModelSheet(1).Protect("another");
  Open();
  EXPECT_THROW(Run(), com::ComError);
  EXPECT_TRUE(Book().Sheet(1).ProtectContents());
}

// Every Excel call of the command, then of a double-click on a failed rule,
// failing in turn: the error reaches the caller or is shown, every sheet is
// protected again, and the file stays readable.
TEST_F(ValidateCommand, FaultSweepLeavesEverySheetProtected) {
  WriteFile("d1.txt", {"J1_1|A01|12,5", "J1_2|B01|8,3"});
  WriteFile("1.txt", {"强制规则,1-002,1,\"=(F1(JB1_1,A01,1)==F1(JB1_2,B01,1))\""});
  std::ofstream(dir_ + "/App.ico", std::ios::binary)
      << std::string("\0\0\1\0\1\0\1\1\0\0\1\0\x20\0\x30\0\0\0\x16\0\0\0", 22) << std::string(0x30, '\0');
  Input(1, 12, 5, 5);
  Input(2, 8, 3, 7);
  auto run_all = [&] {
    auto driver = forms::ScriptedDriver::FromText("dblclick DBGrid1 1\n");
    forms::ScriptedDriver::Install installed(driver);
    ValidateWorkbook(Excel(), [&] { forms::CreateForm<TForm2>([this] { return Context(); })->ShowModal(); });
    return driver;
  };
  Open();
  excel::fault::Clear();
  run_all();
  const int calls = excel::fault::Calls();
  ASSERT_GT(calls, 20);
  for (int k = 1; k <= calls; ++k) {
    SCOPED_TRACE("call " + std::to_string(k));
    Open();
    excel::fault::Clear();
    excel::fault::Inject("*", k, static_cast<std::int32_t>(0x800A03EC), "injected failure");
    bool shown = false;
    try {
      auto driver = run_all();
      // Shown in a box: Excel's text, or the validator's own message for a
      // cell it could not read.
      shown = !driver->MessageBoxes().empty();
    } catch (const com::ComError& e) {
      shown = std::string(e.what()) == "injected failure";  // reaches the button's sink
    }
    EXPECT_EQ(excel::fault::Fired(), 1);
    EXPECT_TRUE(shown);
    excel::fault::Clear();
    for (int n = 1; n <= 5; ++n) EXPECT_TRUE(Book().Sheet(n).ProtectContents()) << "sheet " << n;
    EXPECT_NO_THROW(Saved());
    book_.reset();
    excel_.reset();
  }
}

}  // namespace
}  // namespace velmora::testing
