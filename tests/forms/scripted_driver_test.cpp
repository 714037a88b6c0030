// The scripted driver: it answers forms, save dialogs and message boxes from
// the answers, and records what the user saw.
#include <gtest/gtest.h>

#include "platform/forms/answers.h"
#include "platform/forms/client_dataset.h"
#include "platform/forms/combo_box.h"
#include "platform/forms/controls.h"
#include "platform/forms/db_grid.h"
#include "platform/forms/edit.h"
#include "platform/forms/form.h"
#include "platform/forms/save_dialog.h"
#include "platform/forms/scripted_driver.h"
#include "platform/win/message_box.h"
#include "test_support.h"

namespace forms {
namespace {

using testing::G;
using testing::TempDir;

// A small school dialog: codes, an affiliation list, a picker panel with a
// grid, OK and Cancel.
class TSchool : public Form {
 public:
  TSchool() : Form("school") {
    Caption = G("设置学校信息");
    ClientWidth = 390;
    ClientHeight = 398;
    txtxxdm.MaxLength = 5;
    txtdqdm.OnKeyPress = [](Component&, char& key) {
      if (!((key >= '0' && key <= '9') || key == '.' || key == '\b')) key = '\0';
    };
    cblsgx.SetItems({G("中央部门办学"), G("地方教育部门办学")});
    cblsgx.OnChange = [this](Component&) { log.push_back("lsgx " + cblsgx.Text()); };
    btnok.Caption = G("设置完成");
    btnok.Default = true;
    btnok.OnClick = [this](Component&) {
      if (txtxxdm.Text().size() != 5) {
        win::MessageBox(G("学校代码长度应为5位！"), G("提示"));
        return;
      }
      SaveDialog dialog;
      dialog.Title = G("选择基表存放路径");
      dialog.Filter = "*.XLS|*.XLS";
      dialog.DefaultExt = "XLS";
      dialog.FileName = "2010_" + txtxxdm.Text() + G("_基表1.xls");
      dialog.OverwritePrompt = true;
      if (dialog.Execute()) {
        saved = dialog.FileName;
        Close();
      }
    };
    btnCancel.Caption = G("取消");
    btnCancel.Cancel = true;
    btnCancel.OnClick = [this](Component&) { Close(); };
    btnXXSelect.OnClick = [this](Component&) { pnl1.Visible = true; };
    pnl1.Align = Align::Client;
    pnl1.Visible = false;
    list.AddFieldDef("xxdm", 5);
    list.AddFieldDef("xxmc", 50);
    list.CreateDataSet();
    list.AppendRecord({"10001", G("北京大学")});
    list.AppendRecord({"12046", G("石河子大学")});
    source.DataSet = &list;
    xxdbgrd.DataSource = &source;
    xxdbgrd.Columns = {{"xxdm", G("学校代码"), 56, true, true, nullptr}, {"xxmc", G("学校名称"), 241, true, true, nullptr}};
    xxdbgrd.OnDblClick = [this](Component&) {
      pnl1.Visible = false;
      txtxxdm.SetText(list.FieldByName("xxdm").AsString());
    };
  }

  Edit& txtxxdm = Add<Edit>("txtxxdm");
  Edit& txtdqdm = Add<Edit>("txtdqdm");
  ComboBox& cblsgx = Add<ComboBox>("cblsgx");
  Button& btnok = Add<Button>("btnok");
  Button& btnCancel = Add<Button>("btnCancel");
  Button& btnXXSelect = Add<Button>("btnXXSelect");
  Panel& pnl1 = Add<Panel>("pnl1");
  ClientDataSet& list = Add<ClientDataSet>("mydataset");
  DataSource& source = Add<DataSource>("source");
  DBGrid& xxdbgrd = Add<DBGrid>("xxdbgrd", &pnl1);
  std::vector<std::string> log;
  std::string saved;
};

// Runs the school dialog with the answers; the driver is kept for asserting.
struct SchoolRun {
  explicit SchoolRun(std::string_view answers) : driver(ScriptedDriver::FromText(answers)) {
    ScriptedDriver::Install installed(driver);
    result = form.ShowModal();
  }
  std::shared_ptr<ScriptedDriver> driver;
  TSchool form;
  ModalResult result = mrNone;
};

TEST(FormsScriptedDriver, AnswersTheFormAndRecordsWhatTheUserSaw) {
  TempDir dir;
  std::string target = dir.Path("school");
  SchoolRun run("set txtdqdm 6553a0.1\n"
          "pick cblsgx 地方教育部门办学\n"
          "click btnXXSelect\n"
          "dblclick xxdbgrd 2\n"
          "click btnok\n"
          "save " + target + "\n");
  EXPECT_EQ(run.form.txtdqdm.Text(), "65530.1");
  EXPECT_EQ(run.form.txtxxdm.Text(), "12046");
  EXPECT_EQ(run.form.log, std::vector<std::string>{"lsgx " + G("地方教育部门办学")});
  EXPECT_EQ(run.form.saved, target + ".XLS");  // the default extension added
  EXPECT_EQ(run.driver->PendingAnswers(), 0u);

  ASSERT_EQ(run.driver->Forms().size(), 1u);
  const FormRecord& record = run.driver->Forms()[0];
  EXPECT_EQ(record.shown.caption, "设置学校信息");
  EXPECT_FALSE(record.shown.Find("xxdbgrd")->showing);  // the picker was hidden at first
  EXPECT_EQ(record.shown.Find("cblsgx")->items, (std::vector<std::string>{"中央部门办学", "地方教育部门办学"}));
  ASSERT_EQ(record.shown.Find("xxdbgrd")->grid.rows.size(), 2u);
  EXPECT_EQ(record.shown.Find("xxdbgrd")->grid.rows[1][1].text, "石河子大学");
  EXPECT_EQ(record.steps.size(), 5u);
  EXPECT_FALSE(record.unanswered);
  EXPECT_EQ(record.last.Find("txtxxdm")->text, "12046");

  ASSERT_EQ(run.driver->SaveDialogs().size(), 1u);
  const SaveDialogRecord& save = run.driver->SaveDialogs()[0];
  EXPECT_EQ(save.request.title, "选择基表存放路径");
  EXPECT_EQ(save.request.file_name, "2010_12046_基表1.xls");
  EXPECT_EQ(save.request.default_ext, "XLS");
}

TEST(FormsScriptedDriver, AFormWithNoAnswerLeftIsClosedWithItsCancelButtonAndReported) {
  SchoolRun run("set txtxxdm 12345\n");
  EXPECT_EQ(run.result, mrCancel);
  const FormRecord& record = run.driver->Forms()[0];
  EXPECT_TRUE(record.unanswered);
  EXPECT_EQ(record.steps.back().answer, "(click btnCancel)");
  bool reported = false;
  for (const std::string& line : run.driver->Log()) {
    reported |= line.find("no answer left for form school") != std::string::npos;
  }
  EXPECT_TRUE(reported);
}

TEST(FormsScriptedDriver, WithoutAReachableCancelButtonTheCloseBoxCloses) {
  auto driver = ScriptedDriver::FromText("");
  ScriptedDriver::Install installed(driver);
  TSchool form;
  form.btnCancel.OnClick = nullptr;  // a cancel button that does not close
  EXPECT_EQ(form.ShowModal(), mrCancel);
  const FormRecord& record = driver->Forms()[0];
  ASSERT_EQ(record.steps.size(), 2u);
  EXPECT_EQ(record.steps[0].answer, "(click btnCancel)");
  EXPECT_EQ(record.steps[1].answer, "(close)");
}

TEST(FormsScriptedDriver, AnswersTheUserCannotGiveAreReportedAndSkipped) {
  SchoolRun run("set nosuch 1\n"
          "pick cblsgx 不存在的办学\n"
          "dblclick xxdbgrd 1\n"  // the picker is hidden
          "set txtxxdm 123456789\n"
          "close\n");
  const FormRecord& record = run.driver->Forms()[0];
  ASSERT_EQ(record.steps.size(), 5u);
  EXPECT_NE(record.steps[0].refused.find("no control nosuch"), std::string::npos);
  EXPECT_NE(record.steps[1].refused.find("offers no item"), std::string::npos);
  EXPECT_NE(record.steps[2].refused.find("not visible"), std::string::npos);
  EXPECT_EQ(record.steps[3].refused, "");
  EXPECT_EQ(run.form.txtxxdm.Text(), "12345");  // MaxLength held
  EXPECT_EQ(run.form.cblsgx.ItemIndex(), -1);
  EXPECT_FALSE(record.unanswered);
}

TEST(FormsScriptedDriver, AnswersMessageBoxesInTurnAndClosesUnansweredOnes) {
  SchoolRun run("set txtxxdm 12\n"
          "click btnok\n"
          "box ok\n"
          "click btnok\n"  // the second box has no answer: closed with OK
          "close\n");
  ASSERT_EQ(run.driver->MessageBoxes().size(), 2u);
  EXPECT_EQ(run.driver->MessageBoxes()[0].text, "学校代码长度应为5位！");
  EXPECT_EQ(run.driver->MessageBoxes()[0].caption, "提示");
  EXPECT_EQ(run.driver->MessageBoxes()[1].answer, ui::Answer::Ok);
  EXPECT_EQ(run.driver->PendingAnswers(), 0u);
}

TEST(FormsScriptedDriver, CancellingTheSaveDialogLeavesTheFormOpen) {
  SchoolRun run("set txtxxdm 12345\nclick btnok\ncancel\nclick btnok\nclose\n");
  EXPECT_EQ(run.form.saved, "");
  ASSERT_EQ(run.driver->SaveDialogs().size(), 2u);  // the second had no answer: cancelled
  EXPECT_FALSE(run.driver->SaveDialogs()[0].answer);
  EXPECT_FALSE(run.driver->SaveDialogs()[1].answer);
  EXPECT_EQ(run.result, mrCancel);
}

// Choosing an existing file asks before replacing it; "no" returns to the
// save dialog, which takes the next answer.
TEST(FormsScriptedDriver, ReplacingAnExistingFileIsAsked) {
  TempDir dir;
  std::string existing = dir.Write("old.XLS", "a school's filled-in return");
  std::string fresh = dir.Path("new.XLS");
  SchoolRun run("set txtxxdm 12345\nclick btnok\nsave " + existing + "\nbox no\nsave " + fresh + "\n");
  EXPECT_EQ(run.form.saved, fresh);
  ASSERT_EQ(run.driver->MessageBoxes().size(), 1u);
  EXPECT_EQ(run.driver->MessageBoxes()[0].text, existing + " 已存在。\n要替换它吗？");
  EXPECT_EQ(run.driver->MessageBoxes()[0].buttons, ui::Buttons::YesNo);
  EXPECT_EQ(run.driver->SaveDialogs().size(), 2u);

  SchoolRun replace("set txtxxdm 12345\nclick btnok\nsave " + existing + "\nbox yes\n");
  EXPECT_EQ(replace.form.saved, existing);

  SchoolRun unanswered("set txtxxdm 12345\nclick btnok\nsave " + existing + "\n");
  EXPECT_EQ(unanswered.form.saved, "");  // the box closed with No, the dialog with cancel
  EXPECT_EQ(unanswered.driver->MessageBoxes()[0].answer, ui::Answer::No);
}

TEST(FormsScriptedDriver, TheLogShowsTheFormItsAnswersAndTheBoxesInOrder) {
  std::vector<std::string> echoed;
  auto driver = ScriptedDriver::FromText("set txtxxdm 12\nclick btnok\nclose\n");
  driver->SetEcho([&](const std::string& line) { echoed.push_back(line); });
  {
    ScriptedDriver::Install installed(driver);
    TSchool form;
    form.ShowModal();
  }
  EXPECT_EQ(echoed, driver->Log());
  std::string log;
  for (const std::string& line : driver->Log()) log += line + "\n";
  for (const char* part : {"form school \"设置学校信息\" shown:", "  form school \"设置学校信息\" 390x398",
                           "    edit txtxxdm \"\" [max 5 bytes]", "    button btnok \"设置完成\" [default]",
                           "    panel pnl1 [hidden] [covers the client area]", "      grid xxdbgrd [hidden]",
                           "        columns: \"学校代码\" \"学校名称\"", "        (2 rows)",
                           "> set txtxxdm 12", "> click btnok", "message box [提示] 学校代码长度应为5位！ (Ok)",
                           "  closed unanswered: OK", "> close", "form school \"设置学校信息\" closed, modal result 2"}) {
    EXPECT_NE(log.find(part), std::string::npos) << part << "\nin\n" << log;
  }
  EXPECT_LT(log.find("> click btnok"), log.find("message box"));
}

// Escape clicks the cancel button and Enter the default one; a form that has
// neither ignores both keys.
TEST(FormsScriptedDriver, EnterAndEscapeClickTheDefaultAndCancelButtons) {
  SchoolRun run("set txtxxdm 12\nkey enter\nbox ok\nkey escape\n");
  EXPECT_EQ(run.driver->MessageBoxes().size(), 1u);  // Enter clicked btnok
  EXPECT_FALSE(run.driver->Forms()[0].unanswered);   // Escape clicked btnCancel, which closed it

  auto driver = ScriptedDriver::FromText("key escape\nkey enter\n");
  ScriptedDriver::Install installed(driver);
  TSchool form;
  form.btnok.Default = form.btnCancel.Cancel = false;
  form.ShowModal();
  EXPECT_TRUE(driver->Forms()[0].unanswered);  // still open after both keys: closed with the close box
  EXPECT_EQ(driver->Forms()[0].steps.back().answer, "(close)");
}

TEST(FormsScriptedDriver, TheProposedNameIsTakenInTheInitialFolder) {
  TempDir dir;
  auto driver = ScriptedDriver::FromText("save\nsave other.xls\nsave /elsewhere/x\n");
  ScriptedDriver::Install installed(driver);
  SaveDialog dialog;
  dialog.DefaultExt = "XLS";
  dialog.InitialDir = dir.Path("");
  dialog.FileName = G("2010_12345_11010800_基表1");
  ASSERT_TRUE(dialog.Execute());
  EXPECT_EQ(dialog.FileName, win::Utf8ToAnsi(dir.Path("")) + G("2010_12345_11010800_基表1.XLS"));
  ASSERT_TRUE(dialog.Execute());
  EXPECT_EQ(dialog.FileName, win::Utf8ToAnsi(dir.Path("")) + "other.xls");
  ASSERT_TRUE(dialog.Execute());
  EXPECT_EQ(dialog.FileName, "/elsewhere/x.XLS");
  EXPECT_FALSE(dialog.Execute());  // no answer left
}

TEST(FormsAnswers, ParsesEveryKindOfLine) {
  auto answers = ParseAnswers(
      "# a comment\n\n  set edt1 \"  12 \"\r\ntype txt a b\npick cb 地方\nclick btnok\ndblclick g 2\ndblclick g\n"
      "wheel g -120\nclose\nsave /tmp/x.xls\nsave\ncancel\nbox yes\nset edt2\nkey escape\n");
  ASSERT_EQ(answers.size(), 14u);
  EXPECT_TRUE(answers[13].ForForm());
  EXPECT_EQ(answers[0].text, "  12 ");
  EXPECT_EQ(answers[0].line, 3);
  EXPECT_EQ(answers[1].text, "a b");
  EXPECT_EQ(answers[4].number, 2);
  EXPECT_EQ(answers[5].number, 0);
  EXPECT_EQ(answers[6].number, -120);
  EXPECT_TRUE(answers[8].ForSaveDialog());
  EXPECT_EQ(answers[9].text, "");
  EXPECT_TRUE(answers[11].ForMessageBox());
  EXPECT_EQ(answers[12].text, "");
}

TEST(FormsAnswers, RefusesLinesThatAreNoAnswer) {
  for (const char* line : {"press btnok", "click", "click a b", "dblclick g x", "dblclick g 0", "wheel g",
                           "box maybe", "close now", "set", "key tab", "key"}) {
    EXPECT_THROW(ParseAnswers(line), std::invalid_argument) << line;
  }
}

}  // namespace
}  // namespace forms
