// Forms: creation, the modal showing through the driver, closing (posted and
// from a handler), errors reaching the modal loop, the grid's drawing and
// messages, and the class registry of the form dispatch.
#include <gtest/gtest.h>

#include "platform/forms/class_registry.h"
#include "platform/forms/client_dataset.h"
#include "platform/forms/controls.h"
#include "platform/forms/db_grid.h"
#include "platform/forms/edit.h"
#include "platform/forms/error.h"
#include "platform/forms/form.h"
#include "platform/forms/form_driver.h"
#include "platform/forms/modal_session.h"
#include "platform/forms/save_dialog.h"
#include "platform/ui/recording_driver.h"
#include "test_support.h"

namespace forms {
namespace {

using testing::G;

// A driver that plays the user with a function of the test.
class FunctionDriver : public FormDriver {
 public:
  explicit FunctionDriver(std::function<void(ModalSession&)> play) : play_(std::move(play)) {}
  void ShowModal(ModalSession& session) override {
    ++shown;
    play_(session);
  }
  std::optional<std::string> ExecuteSaveDialog(const SaveDialogRequest&) override { return std::nullopt; }
  int shown = 0;

 private:
  std::function<void(ModalSession&)> play_;
};

// A dialog with the parts the tests need, handlers bound as methods.
class TTestDialog : public Form {
 public:
  TTestDialog() : Form("TestDialog") {
    Caption = G("测试");
    ClientWidth = 276;
    ClientHeight = 144;
    OnCreate = Bind(*this, &TTestDialog::FormCreate);
    OnClose = Bind(*this, &TTestDialog::FormClose);
    btn_OK.OnClick = Bind(*this, &TTestDialog::btn_OKClick);
  }

  void FormCreate(Component&) {
    ++creates;
    if (post_close_on_create) PostClose();
  }
  void FormClose(Component&, CloseAction& action) {
    ++closes;
    if (keep_open) action = CloseAction::caNone;
  }
  void btn_OKClick(Component&) {
    events.push_back("click");
    if (close_on_click) PostClose();
    if (throw_on_click) throw Error(G("出错了"));
    events.push_back("handler returned");
  }

  Button& btn_OK = Add<Button>("btn_OK");
  Edit& txt = Add<Edit>("txt");
  int creates = 0, closes = 0;
  bool post_close_on_create = false, close_on_click = false, throw_on_click = false, keep_open = false;
  std::vector<std::string> events;
};

class FormsModal : public ::testing::Test {
 protected:
  std::shared_ptr<ui::RecordingDriver> boxes = std::make_shared<ui::RecordingDriver>();
  ui::ScopedDriver box_driver{boxes};
};

TEST_F(FormsModal, ACloseRequestPostedWhileCreatingClosesTheFormRightAfterItIsShown) {
  auto driver = std::make_shared<FunctionDriver>([](ModalSession& session) {
    EXPECT_EQ(session.View().caption, "测试");  // the driver saw it
    EXPECT_FALSE(session.Open());              // then it closed
  });
  ScopedFormDriver installed(driver);
  auto form = std::make_unique<TTestDialog>();
  form->post_close_on_create = true;
  form->AfterConstruction();
  EXPECT_EQ(form->ShowModal(), mrCancel);
  EXPECT_EQ(driver->shown, 1);
  EXPECT_EQ(form->closes, 1);
}

TEST_F(FormsModal, ACloseFromAHandlerTakesEffectOnceTheHandlerHasReturned) {
  auto form = CreateForm<TTestDialog>();
  form->close_on_click = true;
  bool open_during_handler = false;
  form->btn_OK.OnClick = [&](Component& sender) {
    form->btn_OKClick(sender);
    open_during_handler = form->Modal() && form->closes == 0;
  };
  ScopedFormDriver installed(std::make_shared<FunctionDriver>([](ModalSession& session) {
    session.Click("BTN_ok");
    EXPECT_FALSE(session.Open());
  }));
  form->ShowModal();
  EXPECT_TRUE(open_during_handler);
  EXPECT_EQ(form->events, (std::vector<std::string>{"click", "handler returned"}));
  EXPECT_EQ(form->closes, 1);
}

TEST_F(FormsModal, ModalResultOfAButtonAndOnCloseThatKeepsTheFormOpen) {
  auto form = CreateForm<TTestDialog>();
  form->btn_OK.ModalResult = mrOk;
  form->keep_open = true;
  ScopedFormDriver installed(std::make_shared<FunctionDriver>([&](ModalSession& session) {
    session.Click("btn_OK");
    EXPECT_TRUE(session.Open());  // OnClose said no
    EXPECT_EQ(form->GetModalResult(), mrNone);
    form->keep_open = false;
    session.Click("btn_OK");
    EXPECT_FALSE(session.Open());
  }));
  EXPECT_EQ(form->ShowModal(), mrOk);
  EXPECT_EQ(form->closes, 2);
}

TEST_F(FormsModal, AFormTheDriverLeavesOpenIsClosedWithItsCloseBox) {
  auto form = CreateForm<TTestDialog>();
  ScopedFormDriver installed(std::make_shared<FunctionDriver>([](ModalSession&) {}));
  EXPECT_EQ(form->ShowModal(), mrCancel);
  EXPECT_EQ(form->closes, 1);
  EXPECT_FALSE(form->Modal());
  EXPECT_EQ(form->ShowModal(), mrCancel);  // and can be shown again
}

TEST_F(FormsModal, AnErrorEscapingAHandlerIsShownAndTheFormGoesOn) {
  auto form = CreateForm<TTestDialog>();
  form->throw_on_click = true;
  ScopedFormDriver installed(std::make_shared<FunctionDriver>([](ModalSession& session) {
    session.Click("btn_OK");
    EXPECT_TRUE(session.Open());
    session.SetText("txt", "still here");
  }));
  form->ShowModal();
  ASSERT_EQ(boxes->MessageBoxes().size(), 1u);
  EXPECT_EQ(boxes->MessageBoxes()[0].text, "出错了");
  EXPECT_EQ(form->txt.Text(), "still here");
}

TEST_F(FormsModal, TheProgramsOwnErrorsTravelToTheCaller) {
  auto form = std::make_unique<TTestDialog>();
  form->OnCreate = [](Component&) { throw Error("start-up failed"); };
  EXPECT_THROW(form->AfterConstruction(), Error);
  EXPECT_TRUE(boxes->MessageBoxes().empty());
}

TEST_F(FormsModal, InputTheUserCannotGiveIsRefused) {
  auto form = CreateForm<TTestDialog>();
  auto& panel = form->Add<Panel>("pnl1");
  panel.Align = Align::Client;
  auto& hidden = form->Add<Edit>("edt1", &panel);
  panel.Visible = false;
  form->btn_OK.Enabled = false;
  EXPECT_EQ(panel.BoundsRect(), (Rect{0, 0, 276, 144}));  // the panel covers the client area
  ScopedFormDriver installed(std::make_shared<FunctionDriver>([](ModalSession& session) {
    EXPECT_THROW(session.SetText("edt1", "1"), InputRefused);      // on the hidden panel
    EXPECT_THROW(session.Click("btn_OK"), InputRefused);           // disabled
    EXPECT_THROW(session.Click("nosuchbutton"), InputRefused);
    EXPECT_THROW(session.Click("txt"), InputRefused);              // not a button
    EXPECT_THROW(session.Pick("txt", "x"), InputRefused);
    session.CloseBox();
    EXPECT_THROW(session.SetText("txt", "1"), InputRefused);       // closed
  }));
  form->ShowModal();
  EXPECT_EQ(hidden.Text(), "");
}

// The picker's filter box: every key released sets the filter; a quote in the
// box makes it unreadable, which is shown, and the grid then shows everything.
TEST_F(FormsModal, AFilterThatCannotBeReadIsShownAndTheGridShowsEverything) {
  Form form("picker");
  auto& edt1 = form.Add<Edit>("edt1");
  auto& list = form.Add<ClientDataSet>("mydataset");
  auto& source = form.Add<DataSource>("source");
  auto& grid = form.Add<DBGrid>("xxdbgrd");
  list.AddFieldDef("xxdm", 5);
  list.CreateDataSet();
  for (const char* code : {"10001", "12046", "12345"}) list.AppendRecord({code});
  source.DataSet = &list;
  grid.DataSource = &source;
  edt1.OnKeyUp = [&](Component&, std::uint16_t&, unsigned) {
    list.SetFiltered(false);
    list.SetFilter("xxdm = '" + edt1.Text() + "*'");
    list.SetFiltered(true);
  };
  std::vector<std::size_t> rows;
  ScopedFormDriver installed(std::make_shared<FunctionDriver>([&](ModalSession& session) {
    session.SetText("edt1", "12");
    rows.push_back(session.View().Find("xxdbgrd")->grid.rows.size());
    session.Type("edt1", "'");
    rows.push_back(session.View().Find("xxdbgrd")->grid.rows.size());
  }));
  form.ShowModal();
  EXPECT_EQ(rows, (std::vector<std::size_t>{2, 3}));
  ASSERT_EQ(boxes->MessageBoxes().size(), 1u);
  EXPECT_NE(boxes->MessageBoxes()[0].text.find("Invalid filter expression"), std::string::npos);
}

TEST_F(FormsModal, AFormBeingShownCannotBeShownAgain) {
  auto form = CreateForm<TTestDialog>();
  ScopedFormDriver installed(std::make_shared<FunctionDriver>([&](ModalSession&) {
    EXPECT_THROW(form->ShowModal(), std::logic_error);
  }));
  form->ShowModal();
}

TEST_F(FormsModal, ComponentNamesAreUniqueWithinAForm) {
  TTestDialog form;
  EXPECT_THROW(form.Add<Edit>("TXT"), Error);
  EXPECT_EQ(form.FindComponent("Btn_Ok"), &form.btn_OK);
  EXPECT_EQ(form.FindComponent("btn_OK2"), nullptr);
}

// The validation dialog's grid: a drawing handler that paints the mandatory
// type red, the wheel moving the current row, a double-click on a row.
class FormsResultGrid : public FormsModal {
 protected:
  void SetUp() override {
    results.AddFieldDef(G("校验类型"), 20);
    results.AddFieldDef(G("提示信息"), 500);
    results.AddFieldDef("CellInfo", 500);
    results.CreateDataSet();
    results.AppendRecord({G("强制"), G("规则一"), "1,2,3"});
    results.AppendRecord({G("提示"), G("规则二"), ""});
    results.AppendRecord({G("强制"), G("规则三"), "2,4,5"});
    results.First();
    source.DataSet = &results;
    grid.DataSource = &source;
    grid.Columns = {{G("校验类型"), "", 60, true, true, nullptr}, {G("提示信息"), "", 800, true, true, nullptr},
                    {"CellInfo", "", 0, false, true, nullptr}};
  }

  Form form{"form2"};
  ClientDataSet& results = form.Add<ClientDataSet>("results");
  DataSource& source = form.Add<DataSource>("DataSource1");
  DBGrid& grid = form.Add<DBGrid>("DBGrid1");
};

TEST_F(FormsResultGrid, DrawingHandlerColoursTheMandatoryCellsRed) {
  grid.OnDrawColumnCell = [this](Component&, const Rect& rect, int data_col, Column& column, unsigned state) {
    if (column.Field != nullptr && !column.Field->IsNull() && column.Field->AsString() == G("强制")) {
      grid.Canvas.Font.Color = RGB(255, 0, 0);
      grid.DefaultDrawColumnCell(rect, data_col, column, state);
    }
  };
  results.SetRecNo(2);
  GridView view = Describe(form).Find("DBGrid1")->grid;
  EXPECT_EQ(view.titles, (std::vector<std::string>{"校验类型", "提示信息"}));  // the hidden column is not shown
  ASSERT_EQ(view.rows.size(), 3u);
  EXPECT_EQ(view.rows[0][0], (GridCellView{"强制", clRed}));
  EXPECT_EQ(view.rows[0][1], (GridCellView{"规则一", clBlack}));
  EXPECT_EQ(view.rows[1][0], (GridCellView{"提示", clBlack}));
  EXPECT_EQ(view.rows[2][0].font_color, clRed);
  EXPECT_EQ(view.current_row, 1);
  EXPECT_EQ(results.RecNo(), 2);  // drawing leaves the current record alone
}

TEST_F(FormsResultGrid, AWindowProcedureCanTakeTheMouseWheelAndPassTheRestOn) {
  int passed_on = 0;
  WindowProcedure previous = grid.WindowProc;
  grid.WindowProc = [&, previous](Message& message) {
    if (message.Msg == WM_MOUSEWHEEL) {
      WheelDelta(message) < 0 ? results.Next() : results.Prior();
      message.Result = 1;
      return;
    }
    ++passed_on;
    previous(message);
  };
  EXPECT_EQ(grid.Perform(MouseWheelMessage(-120)), 1);
  EXPECT_EQ(results.RecNo(), 2);
  grid.Perform(MouseWheelMessage(-120));
  grid.Perform(MouseWheelMessage(120));
  EXPECT_EQ(results.RecNo(), 2);
  grid.Perform(Message{0x0201});
  EXPECT_EQ(passed_on, 1);
}

TEST_F(FormsResultGrid, ADoubleClickOnARowMakesItCurrentFirst) {
  std::string clicked;
  grid.OnDblClick = [&](Component&) { clicked = results.FieldByName("CellInfo").AsString(); };
  ScopedFormDriver installed(std::make_shared<FunctionDriver>([](ModalSession& session) {
    EXPECT_THROW(session.DoubleClick("DBGrid1", 4), InputRefused);
    session.DoubleClick("DBGrid1", 3);
    session.Wheel("DBGrid1", -120);  // the grid's own handling does nothing with it
  }));
  form.ShowModal();
  EXPECT_EQ(clicked, "2,4,5");
  EXPECT_EQ(results.RecNo(), 3);
}

// The class registry of the form dispatch.
class TNotAForm : public Component {};
class TOther : public Form {
 public:
  TOther() : Form("Other") {}
};

class FormsRegistry : public ::testing::Test {
 protected:
  void TearDown() override {
    for (const char* name : {"TTestDialog", "TNotAForm"}) UnregisterClass(name);
  }
};

TEST_F(FormsRegistry, LooksUpByCaseInsensitiveEqualLengthNames) {
  RegisterClass<TTestDialog>("TTestDialog");
  for (const char* name : {"TTestDialog", "TTESTDIALOG", "ttestdialog", "TtEsTdIaLoG"}) {
    EXPECT_NE(FindClass(name), nullptr) << name;
  }
  for (const char* name : {"", "T", "TTestDialog2", "TTestDialo", " TTestDialog"}) {
    EXPECT_EQ(FindClass(name), nullptr) << name;
  }
}

TEST_F(FormsRegistry, RegisteringTwiceChangesNothingAndAnotherClassUnderTheNameIsRefused) {
  RegisterClass<TTestDialog>("TTestDialog");
  const ComponentClass* first = FindClass("TTestDialog");
  auto count = RegisteredClassNames().size();
  RegisterClass<TTestDialog>("ttestdialog");
  EXPECT_EQ(FindClass("TTestDialog"), first);
  EXPECT_EQ(RegisteredClassNames().size(), count);
  EXPECT_THROW(RegisterClass<TOther>("TTestDialog"), Error);
}

TEST_F(FormsRegistry, CreatesAFormWithOnCreateFiredAndRefusesAClassThatIsNoForm) {
  RegisterClass<TTestDialog>("TTestDialog");
  RegisterClass<TNotAForm>("TNotAForm");
  std::unique_ptr<Form> form = CreateForm(*FindClass("TTestDialog"));
  ASSERT_NE(form, nullptr);
  EXPECT_EQ(static_cast<TTestDialog&>(*form).creates, 1);
  EXPECT_EQ(CreateForm(*FindClass("TNotAForm")), nullptr);
}

}  // namespace
}  // namespace forms
