// The add-in object on connection: the toolbar and the menu it builds, which
// handler each entry reaches, what a failure leaves, and disconnection.
// The object is made by the class factory of the add-in's own code linked
// into this test; the application is the spreadsheet stand-in's with the
// Office command bars attached.
#include <gtest/gtest.h>

#include <map>

#include "addin/addin_module.h"
#include "addin/module_values.h"
#include "addin/my_outlook_addin.h"
#include "addin/click_observer.h"
#include "addin_designer_tlb.h"
#include "addin_test_support.h"
#include "excel/fault.h"
#include "platform/forms/scripted_driver.h"

namespace {

using namespace addin_test;
using AddInDesignerObjects::IDTExtensibility2;
using com::ComPtr;

class AddInObjectTest : public ::testing::Test {
 protected:
  void SetUp() override {
    UseFreshRegistry();
    ASSERT_EQ(RegisterDesignerLibrary(), com::S_OK);
    ASSERT_TRUE(velmora::InitializeModule(win::GetModuleFileName(static_cast<win::HMODULE>(nullptr))));
    velmora::SetClickObserver([this](std::string_view handler) { handlers[std::string(handler)]++; });
  }
  void TearDown() override {
    excel::fault::Clear();
    velmora::SetClickObserver(nullptr);
    velmora::FinalizeModule();
  }

  ComPtr<IDTExtensibility2> NewAddIn() {
    ComPtr<IDTExtensibility2> addin;
    EXPECT_EQ(velmora::AddInFactory()->CreateInstance(nullptr, IDTExtensibility2::iid, addin.PutVoid()), com::S_OK);
    return addin;
  }
  com::HRESULT Connect(IDTExtensibility2* addin) {
    return addin->OnConnection(app.Get(), AddInDesignerObjects::ext_cm_Startup, nullptr, nullptr);
  }
  std::vector<office::BarView> BarsNamed(const std::string& name) {
    std::vector<office::BarView> found;
    for (auto& bar : bars.View())
      if (bar.name == name) found.push_back(bar);
    return found;
  }
  office::ControlView MenuBarEntry(std::size_t from_end = 0) {
    auto views = bars.View();
    return views[0].controls[views[0].controls.size() - 1 - from_end];
  }
  std::size_t Clicks(const std::string& tag) { return bars.Click(tag).sinks_called; }

  office::CommandBarsHost bars;
  ComPtr<excel::_Application> app = NewApplication(bars);
  std::shared_ptr<forms::ScriptedDriver> driver = std::make_shared<forms::ScriptedDriver>();
  forms::ScriptedDriver::Install installed{driver};
  std::map<std::string, int> handlers;  // clicks each handler was reached by
};

struct Expected {
  const char* caption;
  const char* tag;
};
constexpr Expected kToolbar[] = {
    {"校验", "校验1"}, {"切换单元格", "切换单元格1"}, {"基表打印", "基表打印1"}, {"查看指标解释", "查看指标解释1"}};
constexpr Expected kSubmenu[] = {{"设置学校信息", "设置学校信息1"}, {"校验", "校验11"},
                                 {"切换单元格", "切换单元格11"},   {"基表打印", "基表打印11"},
                                 {"查看指标解释", "查看指标解释11"}, {"关于", "关于11"}};

TEST_F(AddInObjectTest, ConnectionBuildsTheToolbarAndTheMenuInOrder) {
  auto addin = NewAddIn();
  EXPECT_EQ(Connect(addin.Get()), com::S_OK);
  EXPECT_TRUE(driver->MessageBoxes().empty());
  EXPECT_EQ(velmora::ExcelApp.Get(), app.Get());

  auto toolbars = BarsNamed("Kelvara");
  ASSERT_EQ(toolbars.size(), 1u);
  const auto& toolbar = toolbars[0];
  EXPECT_EQ(toolbar.position, Office::msoBarTop);
  EXPECT_TRUE(toolbar.visible);
  EXPECT_TRUE(toolbar.temporary);
  EXPECT_FALSE(toolbar.menu_bar);
  ASSERT_EQ(toolbar.controls.size(), 4u);
  for (std::size_t i = 0; i < 4; ++i) {
    const auto& button = toolbar.controls[i];
    EXPECT_EQ(button.kind, office::ControlKind::Button);
    EXPECT_EQ(button.caption, kToolbar[i].caption);
    EXPECT_EQ(button.tag, kToolbar[i].tag);
    EXPECT_EQ(button.style, Office::msoButtonIconAndCaption);
    EXPECT_TRUE(button.visible && button.temporary);
    EXPECT_EQ(button.sinks, 1u);
  }

  // The menu is the last entry of the worksheet menu bar, after its nine menus.
  auto menus = bars.View()[0].controls;
  ASSERT_EQ(menus.size(), 10u);
  const auto& menu = menus.back();
  EXPECT_EQ(menu.kind, office::ControlKind::Popup);
  EXPECT_EQ(menu.caption, "Vostrel软件");
  EXPECT_EQ(menu.tag, "");
  EXPECT_TRUE(menu.temporary);
  ASSERT_EQ(menu.controls.size(), 2u);
  const auto& submenu = menu.controls[0];
  EXPECT_EQ(submenu.kind, office::ControlKind::Popup);
  EXPECT_EQ(submenu.caption, "Kelvara填报2010");
  EXPECT_EQ(submenu.tag, "");
  ASSERT_EQ(submenu.controls.size(), 6u);
  for (std::size_t i = 0; i < 6; ++i) {
    EXPECT_EQ(submenu.controls[i].caption, kSubmenu[i].caption);
    EXPECT_EQ(submenu.controls[i].tag, kSubmenu[i].tag);
    EXPECT_EQ(submenu.controls[i].style, Office::msoButtonIconAndCaption);
    EXPECT_EQ(submenu.controls[i].sinks, 1u);
  }
  const auto& product = menu.controls[1];
  EXPECT_EQ(product.kind, office::ControlKind::Button);
  EXPECT_FALSE(product.caption.empty());
  EXPECT_EQ(product.tag, product.caption + "11");
  EXPECT_EQ(product.sinks, 1u);
}

TEST_F(AddInObjectTest, ToolbarButtonAndMenuEntryReachTheirSharedHandlerOncePerClick) {
  auto addin = NewAddIn();
  Connect(addin.Get());
  struct Case {
    const char* toolbar_tag;
    const char* menu_tag;
    const char* handler;
  };
  for (const Case& c : {Case{"校验1", "校验11", "ValidateClick"}, Case{"切换单元格1", "切换单元格11", "SwitchCellClick"},
                        Case{"基表打印1", "基表打印11", "PrintBaseTableClick"},
                        Case{"查看指标解释1", "查看指标解释11", "ShowIndicatorClick"}}) {
    SCOPED_TRACE(c.handler);
    handlers.clear();
    EXPECT_EQ(Clicks(c.toolbar_tag), 1u);
    EXPECT_EQ(handlers, (std::map<std::string, int>{{c.handler, 1}}));
    EXPECT_EQ(Clicks(c.menu_tag), 1u);
    EXPECT_EQ(handlers, (std::map<std::string, int>{{c.handler, 2}}));
  }
  // The menu's own entries.
  handlers.clear();
  Clicks("设置学校信息1");
  Clicks("关于11");
  Clicks(MenuBarEntry().controls[1].tag);
  EXPECT_EQ(handlers, (std::map<std::string, int>{{"SchoolInfoClick", 1}, {"AboutClick", 1}, {"ProductInfoClick", 1}}));
}

TEST_F(AddInObjectTest, AFailedToolbarRequestLeavesNothingAndIsShownOnce) {
  excel::fault::Inject("CommandBars.Add", 1, static_cast<std::int32_t>(0x800A03EC), "无法添加工具栏");
  auto addin = NewAddIn();
  EXPECT_EQ(Connect(addin.Get()), com::S_OK);
  EXPECT_TRUE(BarsNamed("Kelvara").empty());
  EXPECT_EQ(bars.View()[0].controls.size(), 9u);
  EXPECT_TRUE(velmora::TCommandbarbutton::LiveSinks().empty());
  ASSERT_EQ(driver->MessageBoxes().size(), 1u);
  EXPECT_EQ(driver->MessageBoxes()[0].text, "无法添加工具栏");
  EXPECT_EQ(driver->MessageBoxes()[0].buttons, ui::Buttons::Ok);
  // Disconnecting an add-in that made no sink does not fail.
  EXPECT_EQ(addin->OnDisconnection(AddInDesignerObjects::ext_dm_UserClosed, nullptr), com::S_OK);
}

TEST_F(AddInObjectTest, AFailureAtTheMenuBarLeavesTheFourWorkingButtons) {
  excel::fault::Inject("CommandBars.Item.get", 1, static_cast<std::int32_t>(0x800A03EC), "找不到菜单栏");
  auto addin = NewAddIn();
  EXPECT_EQ(Connect(addin.Get()), com::S_OK);
  ASSERT_EQ(BarsNamed("Kelvara").size(), 1u);
  EXPECT_EQ(BarsNamed("Kelvara")[0].controls.size(), 4u);
  EXPECT_EQ(bars.View()[0].controls.size(), 9u);
  ASSERT_EQ(driver->MessageBoxes().size(), 1u);
  EXPECT_EQ(driver->MessageBoxes()[0].text, "找不到菜单栏");
  for (const auto& b : kToolbar) EXPECT_EQ(Clicks(b.tag), 1u) << b.tag;
  EXPECT_EQ(handlers.size(), 4u);
}

// Failing each call of the construction in turn: the construction stops at
// that call, one message box tells, and the host keeps the add-in.
TEST_F(AddInObjectTest, EveryFailingStepEndsTheConstructionThere) {
  {
    auto probe = NewAddIn();
    excel::fault::Clear();
    Connect(probe.Get());
  }
  const std::vector<std::string> trace = excel::fault::Trace();
  ASSERT_GT(trace.size(), 50u);
  for (std::size_t k = 1; k <= trace.size(); ++k) {
    SCOPED_TRACE(trace[k - 1]);
    office::CommandBarsHost fresh;
    auto fresh_app = NewApplication(fresh);
    auto local = std::make_shared<forms::ScriptedDriver>();
    forms::ScriptedDriver::Install install(local);
    excel::fault::Clear();
    excel::fault::Inject("*", static_cast<int>(k), com::E_FAIL, "step failed");
    auto addin = NewAddIn();
    EXPECT_EQ(addin->OnConnection(fresh_app.Get(), AddInDesignerObjects::ext_cm_Startup, nullptr, nullptr), com::S_OK);
    if (trace[k - 1] == "CommandBarButton.FindConnectionPoint") {
      // A subscription that cannot be made is silent: that button's sink never fires.
      EXPECT_TRUE(local->MessageBoxes().empty());
      continue;
    }
    EXPECT_EQ(excel::fault::Calls(), static_cast<int>(k));
    ASSERT_EQ(local->MessageBoxes().size(), 1u);
    EXPECT_EQ(local->MessageBoxes()[0].text, "step failed");
  }
}

TEST_F(AddInObjectTest, AfterDisconnectionTheLastEntryNoLongerReacts) {
  auto addin = NewAddIn();
  Connect(addin.Get());
  std::string product_tag = MenuBarEntry().controls[1].tag;
  EXPECT_EQ(addin->OnDisconnection(AddInDesignerObjects::ext_dm_UserClosed, nullptr), com::S_OK);
  EXPECT_EQ(Clicks(product_tag), 0u);
  EXPECT_EQ(MenuBarEntry().controls[1].sinks, 0u);
  for (const auto& b : kToolbar) EXPECT_EQ(Clicks(b.tag), 1u);
  EXPECT_EQ(Clicks("校验11"), 1u);
  EXPECT_EQ(velmora::ExcelApp.Get(), app.Get());
  EXPECT_FALSE(BarsNamed("Kelvara").empty());  // the toolbar and menu stay
  // A second disconnection has no sink left to free.
  EXPECT_EQ(addin->OnDisconnection(AddInDesignerObjects::ext_dm_UserClosed, nullptr), com::S_OK);
  EXPECT_EQ(velmora::TCommandbarbutton::LiveSinks().size(), 10u);
}

TEST_F(AddInObjectTest, ASecondConnectionBuildsASecondToolbarAndMenu) {
  auto first = NewAddIn();
  Connect(first.Get());
  first->OnDisconnection(AddInDesignerObjects::ext_dm_UserClosed, nullptr);
  auto second = NewAddIn();
  EXPECT_EQ(Connect(second.Get()), com::S_OK);
  EXPECT_EQ(BarsNamed("Kelvara").size(), 2u);
  auto menus = bars.View()[0].controls;
  ASSERT_EQ(menus.size(), 11u);
  EXPECT_EQ(menus[9].caption, "Vostrel软件");
  EXPECT_EQ(menus[10].caption, "Vostrel软件");
  EXPECT_TRUE(driver->MessageBoxes().empty());
}

TEST_F(AddInObjectTest, TheOtherNotificationsChangeNothingInAnyState) {
  auto addin = NewAddIn();
  auto notify = [&] {
    EXPECT_EQ(addin->OnAddInsUpdate(nullptr), com::S_OK);
    EXPECT_EQ(addin->OnStartupComplete(nullptr), com::S_OK);
    EXPECT_EQ(addin->OnBeginShutdown(nullptr), com::S_OK);
  };
  auto tree = [&] {
    std::string all;
    for (const auto& bar : bars.View()) {
      all += bar.name + ";";
      for (const auto& c : bar.controls) all += c.caption + "," + std::to_string(c.sinks) + ";";
    }
    return all;
  };
  std::string before = tree();
  notify();
  EXPECT_EQ(tree(), before);
  Connect(addin.Get());
  std::string connected = tree();
  notify();
  EXPECT_EQ(tree(), connected);
  addin->OnDisconnection(AddInDesignerObjects::ext_dm_UserClosed, nullptr);
  std::string disconnected = tree();
  notify();
  EXPECT_EQ(tree(), disconnected);
  EXPECT_TRUE(driver->MessageBoxes().empty());
}

TEST_F(AddInObjectTest, OnceTheObjectIsGoneNoClickReachesIt) {
  long objects_before = com::ModuleObjectCount();
  {
    auto addin = NewAddIn();
    Connect(addin.Get());
    EXPECT_GT(com::ModuleObjectCount(), objects_before);
  }
  EXPECT_TRUE(velmora::TCommandbarbutton::LiveSinks().empty());
  EXPECT_EQ(Clicks("校验1"), 0u);
  EXPECT_TRUE(handlers.empty());
  EXPECT_EQ(com::ModuleObjectCount(), objects_before);  // nothing keeps the library from unloading
}

TEST_F(AddInObjectTest, TheObjectAnswersItsInterfaces) {
  auto addin = NewAddIn();
  for (const com::IID& iid : {com::IUnknown::iid, com::IDispatch::iid, com::ISupportErrorInfo::iid,
                              com::IProvideClassInfo::iid, IDTExtensibility2::iid}) {
    ComPtr<com::IUnknown> answer;
    EXPECT_EQ(addin->QueryInterface(iid, answer.PutVoid()), com::S_OK) << com::GuidToString(iid);
  }
  // Late bound, through the type information of IDTExtensibility2.
  const com::OLECHAR* name = u"OnStartupComplete";
  com::DISPID id = 0;
  ASSERT_EQ(addin->GetIDsOfNames(com::IID_NULL, const_cast<com::OLECHAR**>(&name), 1, 0, &id), com::S_OK);
  EXPECT_EQ(id, 4);
}

}  // namespace

namespace {

TEST_F(AddInObjectTest, UnloadingReleasesTheApplicationAndEmptiesTheSharedTexts) {
  auto addin = NewAddIn();
  Connect(addin.Get());
  velmora::gPaperSize = "A3";
  velmora::gIndicatorCode = "1001";
  velmora::gIndicatorName = "name";
  velmora::gIndicatorExplanation = "text";
  com::ULONG held = app->AddRef() - 1;
  app->Release();
  velmora::FinalizeModule();
  EXPECT_FALSE(velmora::ExcelApp);
  EXPECT_EQ(app->AddRef() - 1, held - 1);
  app->Release();
  EXPECT_TRUE(velmora::gPaperSize.empty() && velmora::gIndicatorCode.empty() && velmora::gIndicatorName.empty() &&
              velmora::gIndicatorExplanation.empty());
  EXPECT_FALSE(velmora::AddInFactory());
  ASSERT_TRUE(velmora::InitializeModule(win::GetModuleFileName(static_cast<win::HMODULE>(nullptr))));  // for TearDown
}

}  // namespace
