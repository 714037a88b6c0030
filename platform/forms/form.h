#pragma once
// A form: a dialog window as a headless model. It owns its components by
// name, fires OnCreate/OnShow/OnClose, and is shown modally through the form
// driver the host has plugged in (form_driver.h): ShowModal returns when the
// driver has closed the form.
//
// Closing follows the platform. Close() from a handler of a modal form sets
// ModalResult to mrCancel; setting ModalResult to anything but mrNone ends the
// showing once the current handler has returned (OnClose may still keep the
// form open). PostClose() queues a close request that the modal loop handles
// when it next gets control, so a form may ask, while it is being created, to
// be closed right after it has been shown.
#include <memory>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

#include "component.h"
#include "events.h"
#include "icon.h"

namespace forms {

using ModalResult = int;
inline constexpr ModalResult mrNone = 0;
inline constexpr ModalResult mrOk = 1;
inline constexpr ModalResult mrCancel = 2;
inline constexpr ModalResult mrAbort = 3;
inline constexpr ModalResult mrRetry = 4;
inline constexpr ModalResult mrIgnore = 5;
inline constexpr ModalResult mrYes = 6;
inline constexpr ModalResult mrNo = 7;

enum class BorderStyle { None, Single, Sizeable, Dialog, ToolWindow, SizeToolWin };
// The system menu carries the close box.
enum BorderIcon : unsigned { biSystemMenu = 1, biMinimize = 2, biMaximize = 4, biHelp = 8 };
enum class Position { Designed, Default, ScreenCenter, DesktopCenter, MainFormCenter, OwnerFormCenter };
// What closing does with the form; OnClose may change it, caNone keeps it open.
enum class CloseAction { caNone, caHide, caFree, caMinimize };
using CloseEvent = std::function<void(Component& sender, CloseAction& action)>;

class ModalSession;

class Form : public Component {
 public:
  explicit Form(std::string name);
  ~Form() override;

  std::string Caption;
  int Left = 0, Top = 0;
  int ClientWidth = 0, ClientHeight = 0;
  forms::BorderStyle BorderStyle = forms::BorderStyle::Sizeable;
  // The buttons of the title bar (BorderIcon flags).
  unsigned BorderIcons = biSystemMenu | biMinimize | biMaximize;
  forms::Position Position = forms::Position::Designed;
  forms::Icon Icon;
  forms::Font Font;
  bool ShowHint = false;

  NotifyEvent OnCreate;
  NotifyEvent OnShow;
  CloseEvent OnClose;

  // Creates a component owned by the form. A control lies on parent (a panel
  // or group box of this form) or, without one, on the form itself. Names are
  // unique within the form (ASCII case-insensitive); an empty name is allowed
  // for components nobody looks up.
  template <class C>
  C& Add(std::string name, Control* parent = nullptr) {
    static_assert(std::is_base_of_v<Component, C>);
    auto component = std::make_unique<C>(std::move(name));
    C& result = *component;
    Adopt(std::move(component), parent);
    return result;
  }

  // The component of that name, or null; ASCII case-insensitive.
  Component* FindComponent(std::string_view name) const;
  const std::vector<std::unique_ptr<Component>>& Components() const { return components_; }
  // The controls, in the order they were created.
  std::vector<Control*> Controls() const;

  // Fires OnCreate. The class registry and CreateForm call it once the form
  // is constructed (a derived class binds its handlers in its constructor).
  void AfterConstruction();

  // Shows the form modally through the current form driver and returns its
  // modal result once the driver has closed it. A form already being shown
  // cannot be shown again (std::logic_error).
  ModalResult ShowModal();
  bool Modal() const { return modal_; }

  ModalResult GetModalResult() const { return modal_result_; }
  void SetModalResult(ModalResult result) { modal_result_ = result; }

  // Closing as the platform does (see the top of this file).
  void Close();
  void PostClose();

 private:
  friend class ModalSession;
  void Adopt(std::unique_ptr<Component> component, Control* parent);
  // What the modal loop does between two inputs: handles the posted close
  // requests, then ends the showing if the modal result is set and OnClose
  // agrees. False once the form has closed.
  bool ProcessMessages();

  std::vector<std::unique_ptr<Component>> components_;
  int posted_closes_ = 0;  // close requests posted and not handled yet
  ModalResult modal_result_ = mrNone;
  bool modal_ = false;
  bool created_ = false;
};

// Constructs a form and fires its OnCreate, as the platform creates a form.
template <class F, class... Args>
std::unique_ptr<F> CreateForm(Args&&... args) {
  static_assert(std::is_base_of_v<Form, F>);
  auto form = std::make_unique<F>(std::forward<Args>(args)...);
  form->AfterConstruction();
  return form;
}

// ASCII case-insensitive comparison of equal-length names.
bool SameName(std::string_view a, std::string_view b);

}  // namespace forms
