#include "form.h"

#include <stdexcept>

#include "application.h"
#include "error.h"
#include "form_driver.h"
#include "modal_session.h"

namespace forms {

bool SameName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    char x = a[i], y = b[i];
    if (x >= 'a' && x <= 'z') x = static_cast<char>(x - 'a' + 'A');
    if (y >= 'a' && y <= 'z') y = static_cast<char>(y - 'a' + 'A');
    if (x != y) return false;
  }
  return true;
}

Form::Form(std::string name) : Component(std::move(name)) {}
Form::~Form() = default;

void Form::Adopt(std::unique_ptr<Component> component, Control* parent) {
  if (!component->Name().empty() && FindComponent(component->Name()) != nullptr) {
    throw Error("A component named " + component->Name() + " already exists");
  }
  auto* control = dynamic_cast<Control*>(component.get());
  if (parent != nullptr && (parent->Owner() != this || control == nullptr)) {
    throw std::logic_error("only a control of this form can lie on a control of this form");
  }
  component->owner_ = this;
  if (control != nullptr) control->parent_ = parent;
  components_.push_back(std::move(component));
}

Component* Form::FindComponent(std::string_view name) const {
  if (name.empty()) return nullptr;
  for (const auto& component : components_) {
    if (SameName(component->Name(), name)) return component.get();
  }
  return nullptr;
}

std::vector<Control*> Form::Controls() const {
  std::vector<Control*> controls;
  for (const auto& component : components_) {
    if (auto* control = dynamic_cast<Control*>(component.get())) controls.push_back(control);
  }
  return controls;
}

void Form::AfterConstruction() {
  if (created_) return;
  created_ = true;
  if (OnCreate) OnCreate(*this);
}

void Form::Close() {
  if (modal_) {
    modal_result_ = mrCancel;
    return;
  }
  CloseAction action = CloseAction::caHide;
  if (OnClose) OnClose(*this, action);
}

void Form::PostClose() { ++posted_closes_; }

bool Form::ProcessMessages() {
  try {
    for (; posted_closes_ > 0; --posted_closes_) Close();
    if (modal_result_ == mrNone) return true;
    CloseAction action = CloseAction::caHide;
    if (OnClose) OnClose(*this, action);
    if (action != CloseAction::caNone) return false;
    modal_result_ = mrNone;
  } catch (const std::exception& error) {  // an error in OnClose keeps the form open
    modal_result_ = mrNone;
    ShowException(error);
  }
  return true;
}

ModalResult Form::ShowModal() {
  if (modal_) throw std::logic_error("Cannot make a visible window modal");
  modal_ = true;
  modal_result_ = mrNone;
  struct EndOfShowing {
    Form& form;
    ~EndOfShowing() {
      form.modal_ = false;
      form.posted_closes_ = 0;
    }
  } end{*this};

  if (OnShow) OnShow(*this);
  ModalSession session(*this);
  CurrentFormDriver().ShowModal(session);
  if (session.Open()) {
    session.CloseBox();
    if (session.Open()) modal_result_ = mrCancel;  // OnClose refused even the close box: the showing ends anyway
  }
  return modal_result_;
}

}  // namespace forms
