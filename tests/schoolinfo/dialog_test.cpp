// The school information dialog and the school list dialog: start-up, the
// input filters and change handlers, the picker with its filter and record
// predicate, taking over a school, and "设置完成" end to end over the
// spreadsheet stand-in, played by the scripted driver.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>

#include "addin/text/item_split.h"
#include "addin/text/text_file.h"
#include "addin/workbook/base_table.h"
#include "excel/xlsx/model.h"
#include "fixture.h"
#include "platform/forms/class_registry.h"
#include "platform/forms/error.h"
#include "platform/forms/scripted_driver.h"
#include "platform/ui/recording_driver.h"
#include "platform/win/path.h"
#include "schoolinfo/school_info_forms.h"
#include "schoolinfo/tform5.h"
#include "schoolinfo/txxinfo.h"

using namespace velmora;
using schooltest::G;
using schooltest::U;

namespace {

std::vector<std::string> Utf8(const std::vector<std::string>& gbk) {
  std::vector<std::string> out;
  for (const auto& s : gbk) out.push_back(U(s));
  return out;
}

class Dialog : public schooltest::SchoolDir {
 protected:
  void SetUp() override {
    SchoolDir::SetUp();
    ui_ = std::make_shared<ui::RecordingDriver>();
    installed_.emplace(ui_);
  }
  void TearDown() override {
    installed_.reset();
    SchoolDir::TearDown();
  }
  std::unique_ptr<Txxinfo> Create() { return forms::CreateForm<Txxinfo>(Environment()); }
  // Shows a new dialog played by the answers; the driver keeps what it saw.
  std::shared_ptr<forms::ScriptedDriver> Play(const std::string& answers) {
    auto driver = forms::ScriptedDriver::FromText(answers);
    forms::ScriptedDriver::Install installed(driver);
    auto form = Create();
    form->ShowModal();
    return driver;
  }
  std::vector<std::string> Boxes() const {
    std::vector<std::string> texts;
    for (const auto& box : ui_->MessageBoxes()) texts.push_back(box.text);
    return texts;
  }
  std::vector<std::string> Column(const Txxinfo& form, const char* field) {
    std::vector<std::string> values;
    forms::ClientDataSet* list = form.SchoolList();
    if (!list) return values;
    for (list->First(); !list->Eof(); list->Next())
      values.push_back(list->FieldByName(field).AsString());
    return values;
  }
  std::vector<std::string> ListLines() { return LoadLines(PathOf("xxinfo.txt")); }

  std::shared_ptr<ui::RecordingDriver> ui_;
  std::optional<ui::ScopedDriver> installed_;
};

const std::vector<std::string> kEveryAffiliation = {
    "中央教育部门办学", "中央其他部门办学", "中央企业办学", "地方教育部门办学",
    "地方其他部门办学", "地方企业办学",     "民办"};

}  // namespace

TEST_F(Dialog, StartsEmptyWithTheFullTables) {
  schooltest::WriteBytes(PathOf("info.txt"),
                         "2010|11010800|11|111|10011|x|y|z\r\n");  // no workbook: not read
  auto form = Create();
  EXPECT_EQ(U(form->Caption), "设置学校信息");
  EXPECT_EQ(form->ClientWidth, 390);
  EXPECT_EQ(form->ClientHeight, 398);
  EXPECT_EQ(form->BorderStyle, forms::BorderStyle::Single);
  EXPECT_EQ(form->Position, forms::Position::ScreenCenter);
  EXPECT_FALSE(form->Icon.Empty());
  EXPECT_EQ(form->txtYear.Text(), "2010");
  EXPECT_TRUE(form->txtYear.ReadOnly);
  for (forms::Edit* e :
       {&form->txtxxdm, &form->txtxxname, &form->txtdqdm, &form->txtdqmc, &form->txtzgbm})
    EXPECT_EQ(e->Text(), "") << e->Name();
  EXPECT_EQ(Utf8(form->cblsgx.Items()), kEveryAffiliation);
  EXPECT_EQ(form->cbxxlb.Items().size(), 27u);  // every category
  EXPECT_EQ(form->cblsgx.ItemIndex(), -1);
  EXPECT_FALSE(form->pnl1.Visible);
  EXPECT_TRUE(form->xxdbgrd.AlwaysShowVerticalScrollBar);
  EXPECT_TRUE(Boxes().empty());
  // Limits of the boxes.
  EXPECT_EQ(form->txtYear.MaxLength, 4);
  EXPECT_EQ(form->txtxxdm.MaxLength, 5);
  EXPECT_EQ(form->txtxxname.MaxLength, 50);
  EXPECT_EQ(form->txtdqdm.MaxLength, 8);
  EXPECT_EQ(form->edt1.MaxLength, 5);
  EXPECT_EQ(form->edt2.MaxLength, 8);
}

TEST_F(Dialog, AMissingIconStopsStartUpAfterTheMessage) {
  std::remove(PathOf("App.ico").c_str());
  auto form = Create();
  ASSERT_EQ(Boxes().size(), 1u);
  EXPECT_NE(Boxes()[0].find("App.ico"), std::string::npos) << Boxes()[0];
  EXPECT_TRUE(form->cblsgx.Items().empty());
  EXPECT_TRUE(form->cbxxlb.Items().empty());
}

TEST_F(Dialog, StartsFromA40OfTheActiveWorkbook) {
  schooltest::WriteBytes(PathOf("info.txt"), "2010|11010800|11|111|10011|x|y|z\r\n");
  struct Case {
    const char* a40;  // empty: info.txt
    const char* xxdm;
    const char* lsgx;
    const char* xxlb;
    const char* xxmc;
    const char* zgbm;
    const char* dqmc;
  } cases[] = {
      {"2010|61011300|21|111|10712|秦川大学|陕西省教育厅|陕西省西安市雁塔区", "10712",
       "地方教育部门办学", "大学", "秦川大学", "陕西省教育厅", "陕西省西安市雁塔区"},
      {"2010|61011300|21|111|10712| 秦川大学 |陕西省教育厅|", "10712", "地方教育部门办学", "大学",
       "秦川大学", "陕西省教育厅", ""},
      // an affiliation the rules do not offer for this school code: nothing selected, no categories
      {"2010|61011300|11|611|60001|某小学|某局|某区", "60001", "", "", "某小学", "某局", "某区"},
      {"", "10011", "中央教育部门办学", "大学", "x", "y", "z"},
  };
  int n = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.a40);
    workbook::Workbook book = OpenTemplateCopy(1, "s" + std::to_string(n++) + ".xls");
    base_table::WriteCell(book.Sheet(1), base_table::kInfoStringCell, G(c.a40));
    auto form = Create();
    EXPECT_TRUE(Boxes().empty());
    EXPECT_EQ(form->txtxxdm.Text(), c.xxdm);
    EXPECT_EQ(U(form->cblsgx.Text()), c.lsgx);
    EXPECT_EQ(U(form->cbxxlb.Text()), c.xxlb);
    EXPECT_EQ(U(form->txtxxname.Text()), c.xxmc);
    EXPECT_EQ(U(form->txtzgbm.Text()), c.zgbm);
    EXPECT_EQ(U(form->txtdqmc.Text()), c.dqmc);
    if (std::string(c.lsgx).empty()) {
      EXPECT_TRUE(form->cbxxlb.Items().empty());
    }
  }
  // Five items cannot be read back: the error is shown, start-up stops.
  workbook::Workbook book = OpenTemplateCopy(1, "five.xls");
  base_table::WriteCell(book.Sheet(1), base_table::kInfoStringCell, "2010|11010800|11|111|10011");
  auto form = Create();
  ASSERT_EQ(Boxes().size(), 1u);
  EXPECT_TRUE(form->pnl1.Visible);  // the step after InitXXinfo did not run
}

TEST_F(Dialog, InputFiltersAndChangeHandlers) {
  auto form = Create();
  form->txtdqdm.UserType("1a1.b0", true);
  EXPECT_EQ(form->txtdqdm.Text(), "11.0");  // letters discarded, "." accepted
  form->txtdqdm.UserType(G("区"), false);
  EXPECT_EQ(form->txtdqdm.Text(), "11.0");  // a Chinese character too
  form->txtxxname.UserType("abc", true);
  EXPECT_EQ(form->txtxxname.Text(), "abc");  // no filter there

  // Rule A follows the school code and the region code as they change.
  form->txtdqdm.UserType("11010800", true);
  form->txtxxdm.UserType("3", true);
  EXPECT_EQ(Utf8(form->cblsgx.Items()),
            (std::vector<std::string>{"地方教育部门办学", "中央企业办学", "地方企业办学", "民办"}));
  form->cblsgx.UserPick(0);
  EXPECT_EQ(U(form->cblsgx.Text()), "地方教育部门办学");
  EXPECT_FALSE(form->cbxxlb.Items().empty());  // rule B on the choice
  form->txtdqdm.UserType("65530001", true);
  EXPECT_EQ(Utf8(form->cblsgx.Items()), (std::vector<std::string>{"中央企业办学"}));
  EXPECT_EQ(form->cblsgx.ItemIndex(), -1);  // the selection is cleared
  form->txtxxdm.UserType("", true);
  // an empty school code: every affiliation of the combination table, in its order
  EXPECT_EQ(Utf8(form->cblsgx.Items()),
            (std::vector<std::string>{"中央教育部门办学", "中央其他部门办学", "地方教育部门办学",
                                      "地方其他部门办学", "中央企业办学", "地方企业办学", "民办"}));
}

TEST_F(Dialog, PickerFilterAndRecordPredicate) {
  auto form = Create();
  form->btnXXSelect.Click();
  EXPECT_TRUE(form->pnl1.Visible);
  const std::vector<std::string> lines = ListLines();
  ASSERT_EQ(form->SchoolList()->RecordCount(), static_cast<int>(lines.size()));

  // Expected rows: those of the list whose field begins with the text.
  const auto beginning = [&](std::size_t item, const std::string& text) {
    std::vector<std::string> codes;
    for (const auto& line : lines) {
      auto items = SplitItems(line, ",", "*");
      if (items[item].rfind(text, 0) == 0) codes.push_back(items[3]);
    }
    return codes;
  };
  struct Case {
    const char* edt1;
    const char* edt2;
    std::vector<std::string> xxdm;
  } cases[] = {
      {"12", "", beginning(3, "12")},
      {"", "6553", beginning(2, "6553")},
      {"  ", "", {}},  // only blanks: no expression, but the predicate refuses every row
      {"", "  ", {}},
      {"1", "1101",
       [&] {  // both: the expression needs both, the predicate one of them
         std::vector<std::string> codes;
         for (const auto& line : lines) {
           auto items = SplitItems(line, ",", "*");
           if (items[3].rfind("1", 0) == 0 && items[2].rfind("1101", 0) == 0)
             codes.push_back(items[3]);
         }
         return codes;
       }()},
      {"", "", beginning(3, "")},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string("'") + c.edt1 + "' '" + c.edt2 + "'");
    form->edt1.UserType(c.edt1, true);
    form->edt2.UserType(c.edt2, true);
    form->FilterXX();  // the key-up of an empty text typed over an empty box fires nothing
    EXPECT_EQ(Column(*form, "xxdm"), c.xxdm);
  }
  EXPECT_FALSE(beginning(3, "12").empty());
  EXPECT_FALSE(beginning(2, "6553").empty());

  // A quote makes the expression invalid: the error goes to the handler's
  // caller (the modal loop shows it), the grid shows the whole list.
  form->edt1.UserType("1", true);
  EXPECT_THROW(form->edt1.UserType("'", false), forms::Error);
  EXPECT_FALSE(form->SchoolList()->Filtered());
  EXPECT_EQ(form->SchoolList()->RecordCount(), static_cast<int>(lines.size()));

  // Re-opening the picker shows the whole list again, the boxes keep their texts.
  form->edt1.UserType("12", true);
  EXPECT_LT(form->SchoolList()->RecordCount(), static_cast<int>(lines.size()));
  form->btnReturn.Click();
  EXPECT_FALSE(form->pnl1.Visible);
  form->btnXXSelect.Click();
  EXPECT_EQ(form->SchoolList()->RecordCount(), static_cast<int>(lines.size()));
  EXPECT_EQ(form->edt1.Text(), "12");
}

TEST_F(Dialog, PickingASchoolTakesItsValuesOver) {
  auto form = Create();
  form->btnXXSelect.Click();
  form->edt1.UserType("10712", true);
  ASSERT_EQ(form->SchoolList()->RecordCount(), 1);
  form->xxdbgrd.UserDoubleClick(1);
  EXPECT_FALSE(form->pnl1.Visible);
  EXPECT_EQ(form->txtxxdm.Text(), "10712");
  EXPECT_EQ(form->txtdqdm.Text(), "61011300");
  EXPECT_EQ(U(form->txtxxname.Text()), "秦川大学");
  EXPECT_EQ(U(form->txtdqmc.Text()), "陕西省西安市雁塔区");
  EXPECT_EQ(U(form->txtzgbm.Text()), "陕西省教育厅");
  EXPECT_EQ(U(form->cblsgx.Text()), "地方教育部门办学");
  EXPECT_EQ(U(form->cbxxlb.Text()), "大学");
  EXPECT_EQ(U(form->GetWhichJiBiao()), "基表1.xls");

  // The mouse wheel moves the current row and is consumed.
  form->btnXXSelect.Click();
  forms::ClientDataSet* list = form->SchoolList();
  EXPECT_EQ(list->RecNo(), 1);
  form->xxdbgrd.Perform(forms::MouseWheelMessage(-120));
  EXPECT_EQ(list->RecNo(), 2);
  form->xxdbgrd.Perform(forms::MouseWheelMessage(120));
  EXPECT_EQ(list->RecNo(), 1);

  // An empty grid: a double click takes nothing over.
  form->edt1.UserType("99", true);
  ASSERT_EQ(list->RecordCount(), 0);
  form->xxdbgrd.UserDoubleClick(0);
  EXPECT_TRUE(form->pnl1.Visible);
  EXPECT_EQ(form->txtxxdm.Text(), "10712");
}

TEST_F(Dialog, AMissingSchoolListIsShownAndTheGridKeepsItsRows) {
  auto driver =
      forms::ScriptedDriver::FromText("click btnXXSelect\nclick btnReturn\nclick btnXXSelect\n");
  forms::ScriptedDriver::Install installed(driver);
  auto form = Create();
  const int rows = [&] {
    form->btnXXSelect.Click();
    return form->SchoolList()->RecordCount();
  }();
  form->btnReturn.Click();
  WriteGbk("xxinfo.txt", "11,111,11010800,10011,京华大学\r\n");
  form->ShowModal();
  ASSERT_EQ(driver->MessageBoxes().size(), 2u);  // each click on a malformed list
  EXPECT_EQ(form->SchoolList()->RecordCount(), rows);
  EXPECT_TRUE(form->pnl1.Visible);
}

TEST_F(Dialog, SchoolListDialog) {
  auto form5 = forms::CreateForm<TForm5>(Environment());
  EXPECT_EQ(U(form5->Caption), "学校信息");
  EXPECT_EQ(form5->ClientWidth, 371);
  EXPECT_EQ(form5->ClientHeight, 538);
  EXPECT_EQ(form5->SchoolList()->RecordCount(), static_cast<int>(ListLines().size()));
  std::remove(PathOf("xxinfo.txt").c_str());
  auto empty = forms::CreateForm<TForm5>(Environment());
  EXPECT_EQ(empty->SchoolList(), nullptr);
  EXPECT_EQ(Boxes().size(), 1u);
}

TEST_F(Dialog, RegisteredForTheFormDispatch) {
  RegisterSchoolInfoForms(Environment());
  RegisterSchoolInfoForms(Environment());  // again: nothing changes
  const forms::ComponentClass* xxinfo = forms::FindClass("TXXINFO");
  ASSERT_TRUE(xxinfo);
  EXPECT_TRUE(xxinfo->is_form);
  auto form = forms::CreateForm(*xxinfo);
  ASSERT_TRUE(form);
  EXPECT_EQ(U(form->Caption), "设置学校信息");
  EXPECT_FALSE(static_cast<Txxinfo&>(*form).cblsgx.Items().empty());  // the environment reached it
  ASSERT_TRUE(forms::FindClass("TForm5"));
  UnregisterSchoolInfoForms();
  EXPECT_FALSE(forms::FindClass("Txxinfo"));
  EXPECT_FALSE(forms::FindClass("TForm5"));
}

// ---------------------------------------------------------------- "设置完成"

namespace {

const char kSchool[] =
    "set txtdqdm 61011300\n"
    "set txtxxdm 10712\n"
    "pick cblsgx 地方教育部门办学\n"
    "pick cbxxlb 大学\n"
    "set txtxxname 秦川大学\n"
    "set txtdqmc 陕西省西安市雁塔区\n"
    "set txtzgbm 陕西省教育厅\n";

}  // namespace

TEST_F(Dialog, ConfirmingWithNoWorkbookCreatesOneFromTheTemplate) {
  const std::string target = dir() + "out/2010_10712_61011300_基表1.xls";
  std::filesystem::create_directories(dir() + "out");
  auto driver = Play(std::string(kSchool) + "click btnok\nsave " + target + "\n");
  ASSERT_EQ(driver->SaveDialogs().size(), 1u);
  const forms::SaveDialogRequest& request = driver->SaveDialogs()[0].request;
  EXPECT_EQ(request.title, "选择基表存放路径");
  EXPECT_EQ(request.filter, "*.XLS|*.XLS");
  EXPECT_EQ(request.default_ext, "XLS");
  EXPECT_EQ(request.file_name, "2010_10712_61011300_基表1.xls");
  ASSERT_EQ(driver->Forms().size(), 1u);
  EXPECT_FALSE(driver->Forms()[0].unanswered);  // closed by "设置完成"
  EXPECT_TRUE(driver->MessageBoxes().empty());

  std::optional<workbook::Workbook> book = app().ActiveWorkbook();
  ASSERT_TRUE(book);
  EXPECT_EQ(U(book->FullName()), target);
  workbook::Worksheet first = book->Sheet(1);
  const std::string info = G("2010|61011300|21|111|10712|秦川大学|陕西省教育厅|陕西省西安市雁塔区");
  EXPECT_EQ(base_table::ReadCell(first, base_table::kInfoStringCell), info);
  EXPECT_EQ(U(base_table::ReadCell(first, base_table::kTemplateNameCell)), "基表1.xls");
  EXPECT_EQ(base_table::ReadCell(first, base_table::kYearCell), "2010");
  EXPECT_EQ(first.Text(4, 3), "10712");
  EXPECT_EQ(U(first.Text(4, 14)), "地方教育部门办学");
  EXPECT_EQ(first.Text(6, 14), "2010-9-15");
  EXPECT_EQ(schooltest::ReadBytes(PathOf("info.txt")), info + "\r\n");
  for (int n = 1; n <= book->SheetCount(); ++n) EXPECT_TRUE(book->Sheet(n).ProtectContents()) << n;
  // Opening the dialog again starts from A40 of the new workbook.
  auto again = Create();
  EXPECT_EQ(again->txtxxdm.Text(), "10712");
  EXPECT_EQ(U(again->cbxxlb.Text()), "大学");
  EXPECT_TRUE(again->CheckIsEdit());
}

TEST_F(Dialog, AnExistingFileIsReplacedOnlyWhenTheUserSaysSo) {
  const std::string target = dir() + "return.xls";
  schooltest::WriteBytes(target, "a school's filled-in return");
  // No: back in the dialog, nothing changed.
  auto declined = Play(std::string(kSchool) + "click btnok\nsave " + target + "\nbox no\n");
  ASSERT_EQ(declined->MessageBoxes().size(), 1u);
  EXPECT_NE(declined->MessageBoxes()[0].text.find("已存在"), std::string::npos);
  EXPECT_EQ(schooltest::ReadBytes(target), "a school's filled-in return");
  EXPECT_FALSE(app().ActiveWorkbook());
  EXPECT_TRUE(declined->Forms()[0].unanswered);  // still open afterwards
  // Yes: replaced by the template copy and written.
  auto replaced = Play(std::string(kSchool) + "click btnok\nsave " + target + "\nbox yes\n");
  EXPECT_FALSE(replaced->Forms()[0].unanswered);
  EXPECT_NO_THROW(xlsx::Workbook::Load(target));
  ASSERT_TRUE(app().ActiveWorkbook());
}

TEST_F(Dialog, AFailedCopyIsShownAndTheDialogStaysOpen) {
  std::remove(PathOf("TANVIK1").c_str());
  auto driver = Play(std::string(kSchool) + "click btnok\nsave " + dir() + "x.xls\n");
  ASSERT_EQ(driver->MessageBoxes().size(), 1u);
  EXPECT_NE(driver->MessageBoxes()[0].text.find("TANVIK1"), std::string::npos)
      << driver->MessageBoxes()[0].text;
  EXPECT_TRUE(driver->Forms()[0].unanswered);
  EXPECT_FALSE(win::FileExists(dir() + "x.xls"));
  // A copy that cannot be opened: "打开工作簿失败！", nothing written.
  schooltest::WriteBytes(PathOf("TANVIK1"), "no workbook");
  auto broken = Play(std::string(kSchool) + "click btnok\nsave " + dir() + "y.xls\n");
  ASSERT_EQ(broken->MessageBoxes().size(), 1u);
  EXPECT_EQ(broken->MessageBoxes()[0].text, "打开工作簿失败！");
  EXPECT_TRUE(broken->Forms()[0].unanswered);
  EXPECT_FALSE(win::FileExists(PathOf("info.txt")));
}

TEST_F(Dialog, CheckInfoAndCancellingKeepTheDialogOpen) {
  auto missing_name = Play("set txtdqdm 61011300\nset txtxxdm 10712\nclick btnok\n");
  ASSERT_EQ(missing_name->MessageBoxes().size(), 1u);
  EXPECT_EQ(missing_name->MessageBoxes()[0].text, "学校名称不允许为空！");
  EXPECT_TRUE(missing_name->SaveDialogs().empty());
  auto bar = Play(std::string(kSchool) + "set txtzgbm 陕西|教育厅\nclick btnok\n");
  ASSERT_EQ(bar->MessageBoxes().size(), 1u);
  EXPECT_EQ(bar->MessageBoxes()[0].text, "主管部门不能包含|或引号！");
  auto cancelled = Play(std::string(kSchool) + "click btnok\ncancel\n");
  EXPECT_EQ(cancelled->SaveDialogs().size(), 1u);
  EXPECT_TRUE(cancelled->MessageBoxes().empty());
  EXPECT_TRUE(cancelled->Forms()[0].unanswered);
  EXPECT_FALSE(app().ActiveWorkbook());
}

TEST_F(Dialog, TheOpenWorkbookIsRewrittenOnlyForItsOwnKind) {
  workbook::Workbook open = OpenTemplateCopy(2, "jb2.xls");
  const std::string info2 = "2010|61011300|21|611|60001|x|y|z";
  base_table::WriteCell(open.Sheet(1), base_table::kInfoStringCell, info2);
  base_table::WriteCell(open.Sheet(1), base_table::kTemplateNameCell,
                        base_table::TemplateName(base_table::Kind::Two));
  base_table::WriteCell(open.Sheet(1), base_table::kYearCell, "2010");
  open.Save();
  const std::string before = schooltest::ReadBytes(PathOf("jb2.xls"));
  // The values call for base table 1: a new workbook, the open one untouched.
  auto other = Play(
      "set txtxxname 秦川大学\nset txtzgbm 陕西省教育厅\n"
      "set txtxxdm 10712\npick cblsgx 地方教育部门办学\n"
      "pick cbxxlb 大学\nclick btnok\nsave " +
      dir() + "new.xls\n");
  ASSERT_EQ(other->SaveDialogs().size(), 1u);
  EXPECT_EQ(schooltest::ReadBytes(PathOf("jb2.xls")), before);
  EXPECT_EQ(base_table::ReadCell(open.Sheet(1), base_table::kInfoStringCell), info2);
  EXPECT_EQ(
      U(base_table::ReadCell(app().ActiveWorkbook()->Sheet(1), base_table::kTemplateNameCell)),
      "基表1.xls");
  // Back on the base table 2: the same kind is rewritten in place, no save dialog.
  open.Get()->Activate();
  auto same = Play("set txtxxname 新名称\nclick btnok\n");
  EXPECT_TRUE(same->SaveDialogs().empty());
  EXPECT_FALSE(same->Forms()[0].unanswered);
  EXPECT_EQ(U(open.Sheet(1).Text(4, 8)), "新名称");
  EXPECT_EQ(U(base_table::ReadCell(open.Sheet(1), base_table::kInfoStringCell)),
            "2010|61011300|21|611|60001|新名称|y|z");
}

TEST_F(Dialog, APickedSchoolWhoseAffiliationIsNotOfferedLeavesItUnselected) {
  WriteGbk("xxinfo.txt", "11,611,61011300,60001,某小学,MXX,某局,某区\r\n");
  auto form = Create();
  form->btnXXSelect.Click();
  form->xxdbgrd.UserDoubleClick(1);
  EXPECT_EQ(form->txtxxdm.Text(), "60001");
  EXPECT_EQ(Utf8(form->cblsgx.Items()),
            (std::vector<std::string>{"地方教育部门办学", "中央企业办学", "地方企业办学", "民办"}));
  EXPECT_EQ(form->cblsgx.ItemIndex(), -1);
  EXPECT_TRUE(form->cbxxlb.Items().empty());
  EXPECT_EQ(U(form->txtzgbm.Text()), "某局");
}
