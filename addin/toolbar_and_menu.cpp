// Construction of the toolbar "Kelvara" and the menu "Vostrel软件", strictly
// in this order; every step is one call of the host's command bars, and the
// first failure ends the construction (OnConnection shows it).
#include "addin/workbook/excel_ops.h"
#include "excel_command_bars.h"
#include "module_values.h"
#include "my_outlook_addin.h"

namespace velmora {

namespace {

constexpr std::int32_t kControlButton = 1;         // msoControlButton
constexpr std::int32_t kControlPopup = 10;         // msoControlPopup
constexpr std::int32_t kBarTop = 1;                // msoBarTop
constexpr std::int32_t kButtonIconAndCaption = 3;  // msoButtonIconAndCaption

// Every number a 32-bit integer variant, every flag a boolean, every text a string.
com::Variant Number(std::int32_t value) { return com::Variant(value); }
com::Variant Flag(bool value) { return com::Variant(value); }
com::Variant Text(std::string_view utf8) { return com::Variant::FromAnsi(Gbk(utf8)); }
com::Variant Omitted() { return com::Variant::Missing(); }

void Check(com::HRESULT hr) { workbook::Check(hr); }

template <class I, class From>
com::ComPtr<I> Query(const com::ComPtr<From>& from) {
  com::ComPtr<I> to;
  Check(from.As(&to));
  return to;
}

}  // namespace

// The maker's other product, described by the dialog TFrmZDYBBCX.
inline constexpr const char* kProductName = "自定义报表查询";

struct TMyOutLookAddIn::Entry {
  std::string caption;  // UTF-8
  std::string tag;
  Handler handler;
  const char* handler_name;
};

void TMyOutLookAddIn::AddButton(Office::CommandBarControls* controls, const Entry& entry) {
  com::ComPtr<Office::CommandBarControl> control;
  Check(controls->Add(Number(kControlButton), Omitted(), Omitted(), Omitted(), Flag(true), control.Put()));
  auto button = Query<Office::_CommandBarButton>(control);
  Check(button->put_Style(kButtonIconAndCaption));
  Check(button->put_Caption(com::Bstr::FromAnsi(Gbk(entry.caption)).Get()));
  Check(button->put_Tag(com::Bstr::FromAnsi(Gbk(entry.tag)).Get()));
  FSinks.push_back(std::make_unique<TCommandbarbutton>(nullptr));
  FButtonSink = FSinks.back().get();
  FButtonSink->OnClick = [this, handler = entry.handler](Office::_CommandBarButton* ctrl, com::VARIANT_BOOL& cancel) {
    (this->*handler)(ctrl, cancel);
  };
  FButtonSink->HandlerName = entry.handler_name;
  FButtonSink->ConnectTo(button.Get());
}

void TMyOutLookAddIn::BuildToolbarAndMenu() {
  const Entry toolbar_buttons[] = {
      {"校验", "校验1", &TMyOutLookAddIn::ValidateClick, "ValidateClick"},
      {"切换单元格", "切换单元格1", &TMyOutLookAddIn::SwitchCellClick, "SwitchCellClick"},
      {"基表打印", "基表打印1", &TMyOutLookAddIn::PrintBaseTableClick, "PrintBaseTableClick"},
      {"查看指标解释", "查看指标解释1", &TMyOutLookAddIn::ShowIndicatorClick, "ShowIndicatorClick"},
  };
  const Entry submenu_entries[] = {
      {"设置学校信息", "设置学校信息1", &TMyOutLookAddIn::SchoolInfoClick, "SchoolInfoClick"},
      {"校验", "校验11", &TMyOutLookAddIn::ValidateClick, "ValidateClick"},
      {"切换单元格", "切换单元格11", &TMyOutLookAddIn::SwitchCellClick, "SwitchCellClick"},
      {"基表打印", "基表打印11", &TMyOutLookAddIn::PrintBaseTableClick, "PrintBaseTableClick"},
      {"查看指标解释", "查看指标解释11", &TMyOutLookAddIn::ShowIndicatorClick, "ShowIndicatorClick"},
      {"关于", "关于11", &TMyOutLookAddIn::AboutClick, "AboutClick"},
  };
  const Entry product_entry{kProductName, std::string(kProductName) + "11", &TMyOutLookAddIn::ProductInfoClick,
                            "ProductInfoClick"};

  // 1. The command bars of the application.
  com::ComPtr<Office::CommandBars> bars = CommandBarsOf(ExcelApp.Get());

  // 2. The toolbar, docked at the top, temporary.
  com::ComPtr<Office::CommandBar> toolbar;
  Check(bars->Add(Text("Kelvara"), Number(kBarTop), Flag(false), Flag(true), toolbar.Put()));

  // 3. Its four buttons, the toolbar made visible after each.
  for (const Entry& entry : toolbar_buttons) {
    com::ComPtr<Office::CommandBarControls> controls;
    Check(toolbar->get_Controls(controls.Put()));
    AddButton(controls.Get(), entry);
    Check(toolbar->put_Visible(com::VARIANT_TRUE));
  }

  // 4. How many entries the worksheet menu bar has.
  com::ComPtr<Office::CommandBar> menu_bar;
  Check(bars->get_Item(Text("Worksheet Menu Bar"), menu_bar.Put()));
  com::ComPtr<Office::CommandBarControls> menu_bar_controls;
  Check(menu_bar->get_Controls(menu_bar_controls.Put()));
  std::int32_t count = 0;
  Check(menu_bar_controls->get_Count(&count));

  // 5. The menu after the last of them.
  menu_bar = nullptr;
  Check(bars->get_Item(Text("Worksheet Menu Bar"), menu_bar.Put()));
  menu_bar_controls = nullptr;
  Check(menu_bar->get_Controls(menu_bar_controls.Put()));
  com::ComPtr<Office::CommandBarControl> control;
  Check(menu_bar_controls->Add(Number(kControlPopup), Omitted(), Omitted(), Number(count + 1), Flag(true), control.Put()));
  auto menu = Query<Office::CommandBarPopup>(control);
  Check(menu->put_Caption(com::Bstr::FromAnsi(Gbk("Vostrel软件")).Get()));

  // 6. The submenu, first in the menu.
  com::ComPtr<Office::CommandBarControls> menu_controls;
  Check(menu->get_Controls(menu_controls.Put()));
  control = nullptr;
  Check(menu_controls->Add(Number(kControlPopup), Omitted(), Omitted(), Omitted(), Flag(true), control.Put()));
  auto submenu = Query<Office::CommandBarPopup>(control);
  Check(submenu->put_Caption(com::Bstr::FromAnsi(Gbk("Kelvara填报2010")).Get()));

  // 7. The six entries of the submenu.
  for (const Entry& entry : submenu_entries) {
    com::ComPtr<Office::CommandBarControls> controls;
    Check(submenu->get_Controls(controls.Put()));
    AddButton(controls.Get(), entry);
  }

  // 8. The product entry, after the submenu.
  menu_controls = nullptr;
  Check(menu->get_Controls(menu_controls.Put()));
  AddButton(menu_controls.Get(), product_entry);
}

}  // namespace velmora
