// The command bars of the Office stand-in, through the interfaces an add-in
// uses and through the host's own handle.
#include <gtest/gtest.h>

#include "com/connection_point.h"
#include "com/error_info.h"
#include "com/object.h"
#include "excel/fault.h"
#include "office/command_bars.h"

namespace {

using com::ComPtr;
using com::Variant;

// A sink that records every Invoke and may set the cancel flag.
class RecordingSink final : public com::Object<com::IDispatch> {
 public:
  struct Call {
    com::DISPID id;
    unsigned args;
    com::VARTYPE first_type;
    com::VARTYPE second_type;
  };
  std::vector<Call> calls;
  bool set_cancel = false;

  com::HRESULT GetTypeInfoCount(unsigned* n) override { return *n = 0, com::S_OK; }
  com::HRESULT GetTypeInfo(unsigned, com::LCID, com::ITypeInfo**) override { return com::E_NOTIMPL; }
  com::HRESULT GetIDsOfNames(const com::IID&, com::OLECHAR**, unsigned, com::LCID, com::DISPID*) override {
    return com::E_NOTIMPL;
  }
  com::HRESULT Invoke(com::DISPID id, const com::IID&, com::LCID, com::WORD, com::DISPPARAMS* p, com::VARIANT*,
                      com::EXCEPINFO*, unsigned*) override {
    // Last-first: rgvarg[1] is the button, rgvarg[0] the cancel flag by reference.
    calls.push_back({id, p->cArgs, p->cArgs > 1 ? p->rgvarg[1].vt : com::VARTYPE{com::VT_EMPTY},
                     p->cArgs > 0 ? p->rgvarg[0].vt : com::VARTYPE{com::VT_EMPTY}});
    if (set_cancel && p->cArgs > 0 && p->rgvarg[0].vt == (com::VT_BYREF | com::VT_BOOL))
      *p->rgvarg[0].pboolVal = com::VARIANT_TRUE;
    return com::S_OK;
  }

 protected:
  void* QueryExtra(const com::IID& iid) override {
    return iid == Office::DIID__CommandBarButtonEvents ? static_cast<com::IDispatch*>(this) : nullptr;
  }
};

class CommandBarsTest : public ::testing::Test {
 protected:
  void TearDown() override { excel::fault::Clear(); }

  ComPtr<Office::CommandBar> Bar(const char16_t* name) {
    ComPtr<Office::CommandBar> bar;
    EXPECT_EQ(bars->get_Item(Variant(name), bar.Put()), com::S_OK);
    return bar;
  }
  static ComPtr<Office::CommandBarControls> Controls(Office::CommandBar* bar) {
    ComPtr<Office::CommandBarControls> controls;
    EXPECT_EQ(bar->get_Controls(controls.Put()), com::S_OK);
    return controls;
  }
  static ComPtr<Office::_CommandBarButton> AddButton(Office::CommandBarControls* controls, const char16_t* caption,
                                                     Variant before = Variant::Missing()) {
    ComPtr<Office::CommandBarControl> control;
    EXPECT_EQ(controls->Add(Variant(1), Variant::Missing(), Variant::Missing(), before, Variant(true), control.Put()),
              com::S_OK);
    ComPtr<Office::_CommandBarButton> button;
    EXPECT_EQ(control.As(&button), com::S_OK);
    button->put_Caption(com::Bstr(caption).Get());
    return button;
  }
  static com::DWORD Advise(Office::_CommandBarButton* button, com::IDispatch* sink) {
    auto container = com::QueryAs<com::IConnectionPointContainer>(button);
    ComPtr<com::IConnectionPoint> point;
    EXPECT_EQ(container->FindConnectionPoint(Office::DIID__CommandBarButtonEvents, point.Put()), com::S_OK);
    com::DWORD cookie = 0;
    EXPECT_EQ(point->Advise(sink, &cookie), com::S_OK);
    return cookie;
  }

  office::CommandBarsHost host;
  ComPtr<Office::CommandBars> bars = host.Bars();
};

TEST_F(CommandBarsTest, BuiltInBarsComeFirstWithTheWorksheetMenus) {
  auto views = host.View();
  ASSERT_GE(views.size(), 2u);
  EXPECT_EQ(views[0].name, "Worksheet Menu Bar");
  EXPECT_TRUE(views[0].menu_bar && views[0].visible && views[0].built_in);
  ASSERT_EQ(views[0].controls.size(), 9u);
  EXPECT_EQ(views[0].controls.front().caption, "文件(&F)");
  EXPECT_EQ(views[0].controls.back().caption, "帮助(&H)");

  // Found by name whatever the letter case, and by 1-based index.
  ComPtr<Office::CommandBar> by_name, by_index;
  EXPECT_EQ(bars->get_Item(Variant(u"worksheet menu BAR"), by_name.Put()), com::S_OK);
  EXPECT_EQ(bars->get_Item(Variant(1), by_index.Put()), com::S_OK);
  EXPECT_EQ(by_name.Get(), by_index.Get());
  std::int32_t count = 0;
  EXPECT_EQ(Controls(by_name.Get())->get_Count(&count), com::S_OK);
  EXPECT_EQ(count, 9);
}

TEST_F(CommandBarsTest, UnknownBarOrIndexFailsWithErrorInformation) {
  for (Variant index : {Variant(u"Kelvara"), Variant(0), Variant(999)}) {
    ComPtr<Office::CommandBar> bar;
    EXPECT_EQ(bars->get_Item(index, bar.Put()), com::E_INVALIDARG);
    EXPECT_FALSE(bar);
    ComPtr<com::IErrorInfo> info;
    ASSERT_EQ(com::GetErrorInfo(0, info.Put()), com::S_OK);
    com::Bstr description;
    info->GetDescription(description.Put());
    EXPECT_FALSE(description.Empty());
  }
}

TEST_F(CommandBarsTest, AddTakesItsArgumentsOrTheirDefaults) {
  ComPtr<Office::CommandBar> toolbar, plain;
  ASSERT_EQ(bars->Add(Variant(u"Kelvara"), Variant(1), Variant(false), Variant(true), toolbar.Put()), com::S_OK);
  ASSERT_EQ(bars->Add(Variant::Missing(), Variant::Missing(), Variant::Missing(), Variant::Missing(), plain.Put()),
            com::S_OK);
  std::int32_t position = 0;
  com::VARIANT_BOOL visible = com::VARIANT_TRUE;
  toolbar->get_Position(&position);
  toolbar->get_Visible(&visible);
  EXPECT_EQ(position, Office::msoBarTop);
  EXPECT_EQ(visible, com::VARIANT_FALSE);  // a new bar is hidden until shown
  auto views = host.View();
  EXPECT_EQ(views[views.size() - 2].name, "Kelvara");
  EXPECT_TRUE(views[views.size() - 2].temporary);
  EXPECT_FALSE(views.back().temporary);
  EXPECT_EQ(views.back().position, Office::msoBarFloating);

  // Two bars of one name may exist; Item finds the first.
  ComPtr<Office::CommandBar> second;
  ASSERT_EQ(bars->Add(Variant(u"Kelvara"), Variant(1), Variant(false), Variant(true), second.Put()), com::S_OK);
  EXPECT_EQ(Bar(u"Kelvara").Get(), toolbar.Get());
}

TEST_F(CommandBarsTest, ControlsGoBeforeTheGivenPositionOrAtTheEnd) {
  auto controls = Controls(Bar(u"Worksheet Menu Bar").Get());
  std::int32_t n = 0;
  controls->get_Count(&n);
  AddButton(controls.Get(), u"last", Variant(n + 1));
  AddButton(controls.Get(), u"first", Variant(1));
  AddButton(controls.Get(), u"end");  // Before omitted
  auto menus = host.View()[0].controls;
  ASSERT_EQ(menus.size(), 12u);
  EXPECT_EQ(menus[0].caption, "first");
  EXPECT_EQ(menus[10].caption, "last");
  EXPECT_EQ(menus[11].caption, "end");

  ComPtr<Office::CommandBarControl> refused;
  EXPECT_EQ(controls->Add(Variant(1), Variant::Missing(), Variant::Missing(), Variant(14), Variant(true), refused.Put()),
            com::E_INVALIDARG);
  EXPECT_EQ(controls->Add(Variant(4), Variant::Missing(), Variant::Missing(), Variant::Missing(), Variant(true),
                          refused.Put()),
            com::E_INVALIDARG);  // a kind of control this host does not make
  // Every argument omitted: a button at the end.
  ComPtr<Office::CommandBarControl> plain;
  ASSERT_EQ(controls->Add(Variant::Missing(), Variant::Missing(), Variant::Missing(), Variant::Missing(),
                          Variant::Missing(), plain.Put()),
            com::S_OK);
  std::int32_t type = 0, index = 0;
  plain->get_Type(&type);
  plain->get_Index(&index);
  EXPECT_EQ(type, Office::msoControlButton);
  EXPECT_EQ(index, 13);
}

TEST_F(CommandBarsTest, PopupsHoldControlsOfTheirOwn) {
  auto controls = Controls(Bar(u"Worksheet Menu Bar").Get());
  ComPtr<Office::CommandBarControl> control;
  ASSERT_EQ(controls->Add(Variant(10), Variant::Missing(), Variant::Missing(), Variant::Missing(), Variant(true),
                          control.Put()),
            com::S_OK);
  ComPtr<Office::CommandBarPopup> popup;
  ASSERT_EQ(control.As(&popup), com::S_OK);
  ComPtr<Office::_CommandBarButton> not_a_button;
  EXPECT_EQ(control.As(&not_a_button), com::E_NOINTERFACE);
  popup->put_Caption(com::Bstr(u"Menu").Get());
  ComPtr<Office::CommandBarControls> inner;
  ASSERT_EQ(popup->get_Controls(inner.Put()), com::S_OK);
  auto button = AddButton(inner.Get(), u"Entry");
  button->put_Tag(com::Bstr(u"Entry1").Get());
  auto views = host.View();
  const auto& menu = views[0].controls.back();
  EXPECT_EQ(menu.kind, office::ControlKind::Popup);
  ASSERT_EQ(menu.controls.size(), 1u);
  EXPECT_EQ(menu.controls[0].caption, "Entry");
  EXPECT_EQ(menu.controls[0].tag, "Entry1");
  EXPECT_TRUE(host.Click("Entry1").found);
}

TEST_F(CommandBarsTest, AClickReachesEveryAdvisedSinkWithTheButtonAndACancelFlag) {
  ComPtr<Office::CommandBar> toolbar;
  bars->Add(Variant(u"T"), Variant(1), Variant(false), Variant(true), toolbar.Put());
  toolbar->put_Visible(com::VARIANT_TRUE);
  auto button = AddButton(Controls(toolbar.Get()).Get(), u"Go");
  auto first = com::MakeObject<RecordingSink>();
  auto second = com::MakeObject<RecordingSink>();
  second->set_cancel = true;
  com::DWORD cookie = Advise(button.Get(), first.Get());
  Advise(button.Get(), second.Get());

  auto result = host.Click("Go");
  ASSERT_TRUE(result.found);
  EXPECT_EQ(result.path, "T > Go");
  EXPECT_EQ(result.sinks_called, 2u);
  EXPECT_TRUE(result.cancel);
  ASSERT_EQ(first->calls.size(), 1u);
  EXPECT_EQ(first->calls[0].id, 1);
  EXPECT_EQ(first->calls[0].args, 2u);
  EXPECT_EQ(first->calls[0].first_type, com::VT_DISPATCH);
  EXPECT_EQ(first->calls[0].second_type, com::VT_BYREF | com::VT_BOOL);

  auto container = com::QueryAs<com::IConnectionPointContainer>(button.Get());
  ComPtr<com::IConnectionPoint> point;
  container->FindConnectionPoint(Office::DIID__CommandBarButtonEvents, point.Put());
  EXPECT_EQ(point->Unadvise(cookie), com::S_OK);
  host.Click("Go");
  EXPECT_EQ(first->calls.size(), 1u);
  EXPECT_EQ(second->calls.size(), 2u);

  // Hidden buttons and bars cannot be clicked.
  button->put_Visible(com::VARIANT_FALSE);
  EXPECT_FALSE(host.Click("Go").found);
}

TEST_F(CommandBarsTest, ClosingRemovesTemporaryBarsAndControlsAndReleasesTheSinks) {
  ComPtr<Office::CommandBar> temporary, kept;
  bars->Add(Variant(u"Temp"), Variant(1), Variant(false), Variant(true), temporary.Put());
  bars->Add(Variant(u"Kept"), Variant(1), Variant(false), Variant(false), kept.Put());
  auto button = AddButton(Controls(temporary.Get()).Get(), u"Go");
  AddButton(Controls(Bar(u"Worksheet Menu Bar").Get()).Get(), u"Temporary entry");
  auto sink = com::MakeObject<RecordingSink>();
  Advise(button.Get(), sink.Get());
  EXPECT_EQ(sink->RefCount(), 2u);

  host.Close();
  EXPECT_EQ(sink->RefCount(), 1u);  // Office let go of it
  std::vector<std::string> names;
  for (const auto& bar : host.View()) names.push_back(bar.name);
  EXPECT_EQ(std::count(names.begin(), names.end(), "Temp"), 0);
  EXPECT_EQ(std::count(names.begin(), names.end(), "Kept"), 1);
  EXPECT_EQ(host.View()[0].controls.size(), 9u);
  EXPECT_EQ(office::ClickButton(button.Get()), true);  // still a button, but nobody listens
  EXPECT_EQ(sink->calls.size(), 0u);
}

TEST_F(CommandBarsTest, InjectedFaultsFailTheCallWithTheirTextAndChangeNothing) {
  excel::fault::Inject("CommandBars.Add", 1, static_cast<std::int32_t>(0x800A03EC), "Method 'Add' of object 'CommandBars' failed");
  ComPtr<Office::CommandBar> bar;
  std::size_t before = host.View().size();
  EXPECT_EQ(bars->Add(Variant(u"Kelvara"), Variant(1), Variant(false), Variant(true), bar.Put()),
            static_cast<com::HRESULT>(0x800A03EC));
  EXPECT_EQ(host.View().size(), before);
  ComPtr<com::IErrorInfo> info;
  ASSERT_EQ(com::GetErrorInfo(0, info.Put()), com::S_OK);
  com::Bstr description;
  info->GetDescription(description.Put());
  EXPECT_EQ(description.ToUtf8(), "Method 'Add' of object 'CommandBars' failed");

  // A button whose connection point cannot be found: no subscription, no error elsewhere.
  auto button = AddButton(Controls(Bar(u"Standard").Get()).Get(), u"Go");
  excel::fault::Inject("CommandBarButton.FindConnectionPoint", 1, com::E_FAIL, "no");
  auto container = com::QueryAs<com::IConnectionPointContainer>(button.Get());
  ComPtr<com::IConnectionPoint> point;
  EXPECT_EQ(container->FindConnectionPoint(Office::DIID__CommandBarButtonEvents, point.Put()), com::E_FAIL);
}

TEST_F(CommandBarsTest, LateBoundCallsGoThroughTheTypeInformation) {
  const com::OLECHAR* name = u"Count";
  com::DISPID id = -1;
  ASSERT_EQ(bars->GetIDsOfNames(com::IID_NULL, const_cast<com::OLECHAR**>(&name), 1, 0, &id), com::S_OK);
  com::DISPPARAMS none;
  Variant result;
  ASSERT_EQ(bars->Invoke(id, com::IID_NULL, 0, com::DISPATCH_PROPERTYGET, &none, result.Put(), nullptr, nullptr),
            com::S_OK);
  EXPECT_EQ(result.ToInt32(), static_cast<std::int32_t>(host.View().size()));
}

}  // namespace
