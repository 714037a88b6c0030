#include "office/command_bars.h"

#include "controls.h"
#include "platform/win/code_page.h"

namespace office {

using namespace detail;

namespace {

ControlView ViewOf(Office::CommandBarControl* control) {
  ControlImpl* impl = ImplOf(control);
  ControlView view;
  view.caption = win::WideToUtf8(impl->state.caption);
  view.tag = win::WideToUtf8(impl->state.tag);
  view.visible = impl->state.visible;
  view.temporary = impl->state.temporary;
  view.built_in = impl->state.built_in;
  view.identity = impl->Identity();
  if (ButtonObject* button = impl->AsButton()) {
    view.kind = ControlKind::Button;
    view.style = button->style;
    view.sinks = button->SinkCount();
  } else {
    view.kind = ControlKind::Popup;
  }
  if (ControlsObject* children = impl->Children())
    for (const auto& child : children->Items()) view.controls.push_back(ViewOf(child.Get()));
  return view;
}

// The first visible button below controls whose tag (first pass) or caption
// (second pass) is text; path gets the captions on the way.
ButtonObject* FindButton(const ControlsObject& controls, const std::u16string& text, bool by_tag, std::string* path) {
  for (const auto& item : controls.Items()) {
    ControlImpl* impl = ImplOf(item.Get());
    if (!impl->state.visible) continue;
    if (ButtonObject* button = impl->AsButton()) {
      if ((by_tag ? impl->state.tag : impl->state.caption) == text) {
        *path += win::WideToUtf8(impl->state.caption);
        return button;
      }
    } else if (ControlsObject* children = impl->Children()) {
      std::string below = *path + win::WideToUtf8(impl->state.caption) + " > ";
      if (ButtonObject* found = FindButton(*children, text, by_tag, &below)) {
        *path = below;
        return found;
      }
    }
  }
  return nullptr;
}

}  // namespace

struct CommandBarsHost::Impl {
  com::ComPtr<BarsObject> bars = com::MakeObject<BarsObject>();
};

CommandBarsHost::CommandBarsHost() : impl_(std::make_unique<Impl>()) {}

CommandBarsHost::~CommandBarsHost() { Close(); }

com::ComPtr<Office::CommandBars> CommandBarsHost::Bars() const { return impl_->bars.Get(); }

std::vector<BarView> CommandBarsHost::View() const {
  std::vector<BarView> views;
  for (const auto& bar : impl_->bars->Items()) {
    BarView view;
    view.name = win::WideToUtf8(bar->name);
    view.position = bar->position;
    view.visible = bar->visible;
    view.menu_bar = bar->menu_bar;
    view.built_in = bar->built_in;
    view.temporary = bar->temporary;
    for (const auto& control : bar->controls->Items()) view.controls.push_back(ViewOf(control.Get()));
    views.push_back(std::move(view));
  }
  return views;
}

ClickResult CommandBarsHost::Click(const std::string& caption_or_tag) {
  ClickResult result;
  std::u16string text = win::Utf8ToWide(caption_or_tag);
  for (bool by_tag : {true, false}) {
    for (const auto& bar : impl_->bars->Items()) {
      if (!bar->visible) continue;
      std::string path = win::WideToUtf8(bar->name) + " > ";
      if (ButtonObject* button = FindButton(*bar->controls, text, by_tag, &path)) {
        com::ComPtr<com::IUnknown> hold(button->Identity());  // a handler may not free it under us
        result.found = true;
        result.path = path;
        result.sinks_called = button->Click(&result.cancel);
        return result;
      }
    }
  }
  return result;
}

void CommandBarsHost::Close() {
  if (impl_) impl_->bars->Close();
}

bool ClickButton(com::IUnknown* control, ClickResult* result) {
  ControlImpl* impl = ImplOf(control);
  ButtonObject* button = impl ? impl->AsButton() : nullptr;
  if (!button) return false;
  com::ComPtr<com::IUnknown> hold(button->Identity());
  ClickResult local;
  local.found = true;
  local.path = win::WideToUtf8(impl->state.caption);
  local.sinks_called = button->Click(&local.cancel);
  if (result) *result = local;
  return true;
}

}  // namespace office
