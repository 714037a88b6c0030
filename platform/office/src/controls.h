#pragma once
// The two kinds of control: a button (with its Click event) and a pop-up
// (a menu or submenu holding controls of its own).
#include <memory>
#include <string>

#include "call.h"
#include "objects.h"

namespace office::detail {

// The members every control shares, over the control's own interface I.
// Name is the operation prefix of the fault injection ("CommandBarButton").
template <class I, class... Others>
class ControlObject : public com::AutoObject<I, Others...>, public ControlImpl {
 public:
  explicit ControlObject(const char* name) : com::AutoObject<I, Others...>(ClassFor(I::iid)), name_(name) {}

  com::HRESULT get_Caption(com::BSTR* caption) override {
    return Call(Op(".Caption.get"), I::iid, [&] { return Text(state.caption, caption); });
  }
  com::HRESULT put_Caption(com::BSTR caption) override {
    return Call(Op(".Caption.put"), I::iid, [&] {
      state.caption = std::u16string(com::BstrView(caption));
      return com::S_OK;
    });
  }
  com::HRESULT get_Tag(com::BSTR* tag) override {
    return Call(Op(".Tag.get"), I::iid, [&] { return Text(state.tag, tag); });
  }
  com::HRESULT put_Tag(com::BSTR tag) override {
    return Call(Op(".Tag.put"), I::iid, [&] {
      state.tag = std::u16string(com::BstrView(tag));
      return com::S_OK;
    });
  }
  com::HRESULT get_Visible(com::VARIANT_BOOL* visible) override {
    return Call(Op(".Visible.get"), I::iid, [&] {
      if (!visible) return com::E_POINTER;
      *visible = state.visible ? com::VARIANT_TRUE : com::VARIANT_FALSE;
      return com::S_OK;
    });
  }
  com::HRESULT put_Visible(com::VARIANT_BOOL visible) override {
    return Call(Op(".Visible.put"), I::iid, [&] {
      state.visible = visible != com::VARIANT_FALSE;
      return com::S_OK;
    });
  }
  com::HRESULT get_Type(std::int32_t* type) override {
    return Call(Op(".Type.get"), I::iid, [&] {
      if (!type) return com::E_POINTER;
      *type = Type();
      return com::S_OK;
    });
  }
  com::HRESULT get_Index(std::int32_t* index) override;
  com::HRESULT Execute() override;

  com::IUnknown* Identity() override { return this->Unknown(); }
  Office::CommandBarControl* Interface() override { return static_cast<I*>(this); }

 protected:
  void* QueryExtra(const com::IID& iid) override {
    return iid == kControlImplIid ? static_cast<ControlImpl*>(this) : nullptr;
  }
  std::string Op(const char* member) const { return std::string(name_) + member; }
  static com::HRESULT Text(const std::u16string& text, com::BSTR* out) {
    if (!out) return com::E_POINTER;
    *out = com::Bstr(text).Detach();
    return com::S_OK;
  }

 private:
  const char* name_;
};

class ButtonObject final : public ControlObject<Office::_CommandBarButton, com::IConnectionPointContainer> {
 public:
  ButtonObject();

  com::HRESULT get_Style(std::int32_t* style) override;
  com::HRESULT put_Style(std::int32_t style) override;
  com::HRESULT EnumConnectionPoints(com::IEnumConnectionPoints** points) override;
  com::HRESULT FindConnectionPoint(const com::IID& iid, com::IConnectionPoint** point) override;

  std::int32_t Type() const override { return Office::msoControlButton; }
  ButtonObject* AsButton() override { return this; }
  void Close() override;

  // A user's click: Invoke(DISPID 1, button, cancel flag by reference) on
  // every advised sink. Returns how many were called; *cancel is the flag as
  // it came back.
  std::size_t Click(bool* cancel);
  std::size_t SinkCount() const { return clicks_ ? clicks_->SinkCount() : 0; }
  std::int32_t style = Office::msoButtonAutomatic;

 private:
  std::unique_ptr<com::EventSource> clicks_;  // gone once Office has closed
};

class PopupObject final : public ControlObject<Office::CommandBarPopup> {
 public:
  PopupObject();
  com::HRESULT get_Controls(Office::CommandBarControls** controls) override;

  std::int32_t Type() const override { return Office::msoControlPopup; }
  ControlsObject* Children() override { return controls_.Get(); }
  void Close() override;

 private:
  com::ComPtr<ControlsObject> controls_;
};

template <class I, class... Others>
com::HRESULT ControlObject<I, Others...>::get_Index(std::int32_t* index) {
  return Call(Op(".Index.get"), I::iid, [&] {
    if (!index) return com::E_POINTER;
    *index = parent ? parent->IndexOf(this) : 0;
    return com::S_OK;
  });
}

template <class I, class... Others>
com::HRESULT ControlObject<I, Others...>::Execute() {
  return Call(Op(".Execute"), I::iid, [&] {
    if (ButtonObject* button = AsButton()) {
      bool cancel = false;
      button->Click(&cancel);
    }
    return com::S_OK;
  });
}

}  // namespace office::detail
