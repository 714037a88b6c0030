#include "controls.h"

namespace office::detail {

ControlImpl* ImplOf(com::IUnknown* control) {
  if (!control) return nullptr;
  void* found = nullptr;
  if (com::FAILED(control->QueryInterface(kControlImplIid, &found)) || !found) return nullptr;
  auto* impl = static_cast<ControlImpl*>(found);
  impl->Identity()->Release();  // the caller's own reference keeps it alive
  return impl;
}

ButtonObject::ButtonObject()
    : ControlObject("CommandBarButton"),
      clicks_(std::make_unique<com::EventSource>(static_cast<com::IConnectionPointContainer*>(this),
                                                 Office::DIID__CommandBarButtonEvents)) {}

com::HRESULT ButtonObject::get_Style(std::int32_t* style_out) {
  return Call("CommandBarButton.Style.get", Office::_CommandBarButton::iid, [&] {
    if (!style_out) return com::E_POINTER;
    *style_out = style;
    return com::S_OK;
  });
}

com::HRESULT ButtonObject::put_Style(std::int32_t value) {
  return Call("CommandBarButton.Style.put", Office::_CommandBarButton::iid, [&] {
    if (value < Office::msoButtonAutomatic || value > Office::msoButtonIconAndCaption)
      InvalidArgument(u"Invalid procedure call or argument");
    style = value;
    return com::S_OK;
  });
}

com::HRESULT ButtonObject::EnumConnectionPoints(com::IEnumConnectionPoints** points) {
  if (points) *points = nullptr;
  return com::E_NOTIMPL;
}

com::HRESULT ButtonObject::FindConnectionPoint(const com::IID& iid, com::IConnectionPoint** point) {
  if (!point) return com::E_POINTER;
  *point = nullptr;
  std::int32_t code = 0;
  std::string description;
  if (excel::fault::Check("CommandBarButton.FindConnectionPoint", code, description)) return code;
  if (!clicks_) return com::CONNECT_E_NOCONNECTION;
  return com::FindConnectionPointIn({clicks_.get()}, iid, point);
}

std::size_t ButtonObject::Click(bool* cancel) {
  com::VARIANT_BOOL flag = com::VARIANT_FALSE;
  std::size_t called = 0;
  if (clicks_) {
    std::vector<com::Variant> args{com::Variant(static_cast<com::IDispatch*>(static_cast<Office::_CommandBarButton*>(this))),
                                   com::Variant::ByRef(com::VT_BOOL, &flag)};
    called = clicks_->Fire(1, args);
  }
  if (cancel) *cancel = flag != com::VARIANT_FALSE;
  return called;
}

void ButtonObject::Close() { clicks_.reset(); }

PopupObject::PopupObject() : ControlObject("CommandBarPopup"), controls_(com::MakeObject<ControlsObject>()) {}

com::HRESULT PopupObject::get_Controls(Office::CommandBarControls** controls) {
  return Call("CommandBarPopup.Controls.get", Office::CommandBarPopup::iid, [&] {
    if (!controls) return com::E_POINTER;
    *controls = controls_.Get();
    controls_->AddRef();
    return com::S_OK;
  });
}

void PopupObject::Close() { controls_->Close(); }

}  // namespace office::detail
