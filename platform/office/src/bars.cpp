// CommandBars and CommandBar: the application's bars, built-in ones first.
#include "call.h"
#include "controls.h"

namespace office::detail {

BarObject::BarObject(std::u16string name_in, std::int32_t position_in, bool menu_bar_in, bool temporary_in,
                     bool built_in_in, bool visible_in)
    : AutoObject(ClassFor(Office::CommandBar::iid)),
      name(std::move(name_in)),
      position(position_in),
      menu_bar(menu_bar_in),
      temporary(temporary_in),
      built_in(built_in_in),
      visible(visible_in),
      controls(com::MakeObject<ControlsObject>()) {}

com::HRESULT BarObject::get_Name(com::BSTR* out) {
  return Call("CommandBar.Name.get", Office::CommandBar::iid, [&] {
    if (!out) return com::E_POINTER;
    *out = com::Bstr(name).Detach();
    return com::S_OK;
  });
}

com::HRESULT BarObject::put_Name(com::BSTR value) {
  return Call("CommandBar.Name.put", Office::CommandBar::iid, [&] {
    if (built_in) InvalidArgument(u"The name of a built-in command bar cannot be changed");
    name = std::u16string(com::BstrView(value));
    return com::S_OK;
  });
}

com::HRESULT BarObject::get_Visible(com::VARIANT_BOOL* out) {
  return Call("CommandBar.Visible.get", Office::CommandBar::iid, [&] {
    if (!out) return com::E_POINTER;
    *out = visible ? com::VARIANT_TRUE : com::VARIANT_FALSE;
    return com::S_OK;
  });
}

com::HRESULT BarObject::put_Visible(com::VARIANT_BOOL value) {
  return Call("CommandBar.Visible.put", Office::CommandBar::iid, [&] {
    visible = value != com::VARIANT_FALSE;
    return com::S_OK;
  });
}

com::HRESULT BarObject::get_Position(std::int32_t* out) {
  return Call("CommandBar.Position.get", Office::CommandBar::iid, [&] {
    if (!out) return com::E_POINTER;
    *out = position;
    return com::S_OK;
  });
}

com::HRESULT BarObject::put_Position(std::int32_t value) {
  return Call("CommandBar.Position.put", Office::CommandBar::iid, [&] {
    if (value < Office::msoBarLeft || value > Office::msoBarMenuBar || value == Office::msoBarPopup)
      InvalidArgument(u"Invalid procedure call or argument");
    position = value;
    return com::S_OK;
  });
}

com::HRESULT BarObject::get_Controls(Office::CommandBarControls** out) {
  return Call("CommandBar.Controls.get", Office::CommandBar::iid, [&] {
    if (!out) return com::E_POINTER;
    *out = controls.Get();
    controls->AddRef();
    return com::S_OK;
  });
}

com::HRESULT BarObject::get_BuiltIn(com::VARIANT_BOOL* out) {
  return Call("CommandBar.BuiltIn.get", Office::CommandBar::iid, [&] {
    if (!out) return com::E_POINTER;
    *out = built_in ? com::VARIANT_TRUE : com::VARIANT_FALSE;
    return com::S_OK;
  });
}

com::HRESULT BarObject::get_Index(std::int32_t* out) {
  return Call("CommandBar.Index.get", Office::CommandBar::iid, [&] {
    if (!out) return com::E_POINTER;
    *out = index;
    return com::S_OK;
  });
}

namespace {

// The top-level menus of the worksheet menu bar, as the Chinese edition shows them.
constexpr const char16_t* kWorksheetMenus[] = {u"文件(&F)", u"编辑(&E)", u"视图(&V)", u"插入(&I)", u"格式(&O)",
                                              u"工具(&T)", u"数据(&D)", u"窗口(&W)", u"帮助(&H)"};
constexpr const char16_t* kChartMenus[] = {u"文件(&F)", u"编辑(&E)", u"视图(&V)", u"插入(&I)", u"格式(&O)",
                                          u"工具(&T)", u"图表(&C)", u"窗口(&W)", u"帮助(&H)"};

}  // namespace

BarsObject::BarsObject() : AutoObject(ClassFor(Office::CommandBars::iid)) {
  auto& sheet = AddBar(com::MakeObject<BarObject>(u"Worksheet Menu Bar", Office::msoBarTop, true, false, true, true));
  for (const char16_t* menu : kWorksheetMenus) sheet.controls->AddBuiltIn(Office::msoControlPopup, menu);
  auto& chart = AddBar(com::MakeObject<BarObject>(u"Chart Menu Bar", Office::msoBarTop, true, false, true, false));
  for (const char16_t* menu : kChartMenus) chart.controls->AddBuiltIn(Office::msoControlPopup, menu);
  auto& standard = AddBar(com::MakeObject<BarObject>(u"Standard", Office::msoBarTop, false, false, true, true));
  for (const char16_t* button : {u"新建", u"打开", u"保存", u"打印", u"打印预览"})
    standard.controls->AddBuiltIn(Office::msoControlButton, button);
  auto& formatting = AddBar(com::MakeObject<BarObject>(u"Formatting", Office::msoBarTop, false, false, true, true));
  for (const char16_t* button : {u"加粗", u"倾斜", u"下划线"})
    formatting.controls->AddBuiltIn(Office::msoControlButton, button);
}

BarObject& BarsObject::AddBar(com::ComPtr<BarObject> bar) {
  bars_.push_back(std::move(bar));
  bars_.back()->index = static_cast<std::int32_t>(bars_.size());
  return *bars_.back();
}

com::HRESULT BarsObject::get_Item(com::VARIANT Index, Office::CommandBar** bar) {
  return Call("CommandBars.Item.get", Office::CommandBars::iid, [&] {
    if (!bar) return com::E_POINTER;
    *bar = nullptr;
    com::Variant index;
    com::VariantCopyInd(&index, &Index);
    if (index.Type() == com::VT_BSTR) {
      for (const auto& b : bars_)
        if (SameNameNoCase(b->name, com::BstrView(index.bstrVal))) return com::ComPtr<Office::CommandBar>(b.Get()).CopyTo(bar);
      InvalidArgument(u"Invalid procedure call or argument");
    }
    std::int32_t n = OptionalArgument(index, com::VT_I4).value_or(com::Variant(0)).lVal;
    if (n < 1 || n > static_cast<std::int32_t>(bars_.size())) InvalidArgument(u"Invalid procedure call or argument");
    return com::ComPtr<Office::CommandBar>(bars_[n - 1].Get()).CopyTo(bar);
  });
}

com::HRESULT BarsObject::get_Count(std::int32_t* count) {
  return Call("CommandBars.Count.get", Office::CommandBars::iid, [&] {
    if (!count) return com::E_POINTER;
    *count = static_cast<std::int32_t>(bars_.size());
    return com::S_OK;
  });
}

com::HRESULT BarsObject::Add(com::VARIANT Name, com::VARIANT Position, com::VARIANT MenuBar, com::VARIANT Temporary,
                             Office::CommandBar** bar) {
  return Call("CommandBars.Add", Office::CommandBars::iid, [&] {
    if (!bar) return com::E_POINTER;
    *bar = nullptr;
    std::u16string name = u"Custom " + win::Utf8ToWide(std::to_string(bars_.size() + 1));
    if (auto n = OptionalArgument(Name, com::VT_BSTR)) name = std::u16string(com::BstrView(n->bstrVal));
    std::int32_t position = Office::msoBarFloating;
    if (auto p = OptionalArgument(Position, com::VT_I4)) {
      position = p->lVal;
      if (position < Office::msoBarLeft || position > Office::msoBarMenuBar)
        InvalidArgument(u"Invalid procedure call or argument");
    }
    bool menu_bar = false, temporary = false;
    if (auto m = OptionalArgument(MenuBar, com::VT_BOOL)) menu_bar = m->boolVal != com::VARIANT_FALSE;
    if (auto t = OptionalArgument(Temporary, com::VT_BOOL)) temporary = t->boolVal != com::VARIANT_FALSE;
    // Several bars may bear one name; Item finds the first.
    auto& added = AddBar(com::MakeObject<BarObject>(std::move(name), position, menu_bar, temporary, false, false));
    return com::ComPtr<Office::CommandBar>(&added).CopyTo(bar);
  });
}

void BarsObject::Close() {
  std::vector<com::ComPtr<BarObject>> kept;
  for (auto& bar : bars_) {
    bar->controls->Close();
    if (!bar->temporary) kept.push_back(bar);
  }
  bars_.swap(kept);
  for (std::size_t i = 0; i < bars_.size(); ++i) bars_[i]->index = static_cast<std::int32_t>(i + 1);
}

}  // namespace office::detail
