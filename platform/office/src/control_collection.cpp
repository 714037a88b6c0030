// CommandBarControls: the controls of a bar or of a pop-up, in order.
#include "call.h"
#include "controls.h"

namespace office::detail {

ControlsObject::ControlsObject() : AutoObject(ClassFor(Office::CommandBarControls::iid)) {}

com::HRESULT ControlsObject::get_Item(com::VARIANT Index, Office::CommandBarControl** control) {
  return Call("CommandBarControls.Item.get", Office::CommandBarControls::iid, [&] {
    if (!control) return com::E_POINTER;
    *control = nullptr;
    com::Variant index;
    com::VariantCopyInd(&index, &Index);
    if (index.Type() == com::VT_BSTR) {
      for (const auto& item : items_)
        if (SameNameNoCase(ImplOf(item.Get())->state.caption, com::BstrView(index.bstrVal)))
          return item.CopyTo(control);
      InvalidArgument(u"Invalid procedure call or argument");
    }
    std::int32_t n = OptionalArgument(index, com::VT_I4).value_or(com::Variant(0)).lVal;
    if (n < 1 || n > static_cast<std::int32_t>(items_.size())) InvalidArgument(u"Invalid procedure call or argument");
    return items_[n - 1].CopyTo(control);
  });
}

com::HRESULT ControlsObject::get_Count(std::int32_t* count) {
  return Call("CommandBarControls.Count.get", Office::CommandBarControls::iid, [&] {
    if (!count) return com::E_POINTER;
    *count = static_cast<std::int32_t>(items_.size());
    return com::S_OK;
  });
}

com::HRESULT ControlsObject::Add(com::VARIANT Type, com::VARIANT /*Id*/, com::VARIANT /*Parameter*/, com::VARIANT Before,
                                 com::VARIANT Temporary, Office::CommandBarControl** control) {
  return Call("CommandBarControls.Add", Office::CommandBarControls::iid, [&] {
    if (!control) return com::E_POINTER;
    *control = nullptr;
    std::int32_t type = Office::msoControlButton;
    if (auto t = OptionalArgument(Type, com::VT_I4)) type = t->lVal;
    std::size_t position = items_.size();
    if (auto b = OptionalArgument(Before, com::VT_I4)) {
      if (b->lVal < 1 || b->lVal > static_cast<std::int32_t>(items_.size()) + 1)
        InvalidArgument(u"Invalid procedure call or argument");
      position = static_cast<std::size_t>(b->lVal - 1);
    }
    bool temporary = false;
    if (auto t = OptionalArgument(Temporary, com::VT_BOOL)) temporary = t->boolVal != com::VARIANT_FALSE;

    com::ComPtr<Office::CommandBarControl> added;
    ControlImpl* impl = nullptr;
    if (type == Office::msoControlButton) {
      auto button = com::MakeObject<ButtonObject>();
      impl = button.Get();
      added = button->Interface();
    } else if (type == Office::msoControlPopup) {
      auto popup = com::MakeObject<PopupObject>();
      impl = popup.Get();
      added = popup->Interface();
    } else {
      InvalidArgument(u"Invalid procedure call or argument");
    }
    impl->state.temporary = temporary;
    impl->parent = this;
    items_.insert(items_.begin() + static_cast<std::ptrdiff_t>(position), added);
    return added.CopyTo(control);
  });
}

void ControlsObject::AddBuiltIn(std::int32_t type, std::u16string caption) {
  // Built-in controls come from the host itself, never from a fault.
  com::ComPtr<Office::CommandBarControl> added;
  ControlImpl* impl = nullptr;
  if (type == Office::msoControlPopup) {
    auto popup = com::MakeObject<PopupObject>();
    impl = popup.Get();
    added = popup->Interface();
  } else {
    auto button = com::MakeObject<ButtonObject>();
    impl = button.Get();
    added = button->Interface();
  }
  impl->state.caption = std::move(caption);
  impl->state.built_in = true;
  impl->parent = this;
  items_.push_back(added);
}

std::int32_t ControlsObject::IndexOf(const ControlImpl* control) const {
  for (std::size_t i = 0; i < items_.size(); ++i)
    if (ImplOf(items_[i].Get()) == control) return static_cast<std::int32_t>(i + 1);
  return 0;
}

void ControlsObject::Close() {
  std::vector<com::ComPtr<Office::CommandBarControl>> kept;
  for (auto& item : items_) {
    ControlImpl* impl = ImplOf(item.Get());
    impl->Close();
    if (impl->state.temporary)
      impl->parent = nullptr;
    else
      kept.push_back(item);
  }
  items_.swap(kept);
}

}  // namespace office::detail
