#include "modal_session.h"

#include "application.h"
#include "client_dataset.h"
#include "combo_box.h"
#include "controls.h"
#include "db_grid.h"
#include "edit.h"
#include "form.h"
#include "platform/win/code_page.h"

namespace forms {

FormView ModalSession::View() const { return Describe(form_); }

bool ModalSession::Open() {
  if (open_) open_ = form_.ProcessMessages();
  return open_;
}

template <class C>
C& ModalSession::Reach(std::string_view control) const {
  std::string name(control);
  if (!open_) throw InputRefused("the form is closed");
  Component* component = form_.FindComponent(control);
  if (component == nullptr) throw InputRefused("the form has no control " + name);
  auto* target = dynamic_cast<C*>(component);
  auto* shown = dynamic_cast<Control*>(component);
  if (target == nullptr || shown == nullptr) throw InputRefused(name + " cannot take this input");
  if (!shown->Showing()) throw InputRefused(name + " is not visible");
  if (!shown->Reachable()) throw InputRefused(name + " is disabled");
  return *target;
}

template <class Input>
void ModalSession::Dispatch(Input input) {
  try {
    input();
  } catch (const std::exception& error) {
    ShowException(error);
  }
  Open();
}

void ModalSession::SetText(std::string_view control, std::string_view text) {
  Edit& edit = Reach<Edit>(control);
  Dispatch([&] { edit.UserType(win::Utf8ToAnsi(text), true); });
}

void ModalSession::Type(std::string_view control, std::string_view text) {
  Edit& edit = Reach<Edit>(control);
  Dispatch([&] { edit.UserType(win::Utf8ToAnsi(text), false); });
}

void ModalSession::Pick(std::string_view control, std::string_view item) {
  ComboBox& combo = Reach<ComboBox>(control);
  int index = combo.IndexOf(win::Utf8ToAnsi(item));
  if (index < 0) throw InputRefused(std::string(control) + " offers no item \"" + std::string(item) + "\"");
  Dispatch([&] { combo.UserPick(index); });
}

void ModalSession::Click(std::string_view control) {
  Button& button = Reach<Button>(control);
  Dispatch([&] { button.Click(); });
}

void ModalSession::DoubleClick(std::string_view control, int row) {
  DBGrid& grid = Reach<DBGrid>(control);
  ClientDataSet* data_set = grid.DataSet();
  int rows = data_set == nullptr ? 0 : data_set->RecordCount();
  if (row < 0 || row > rows) {
    throw InputRefused(std::string(control) + " shows no row " + std::to_string(row) + " (it shows " +
                       std::to_string(rows) + ")");
  }
  Dispatch([&] { grid.UserDoubleClick(row); });
}

void ModalSession::Wheel(std::string_view control, int delta) {
  DBGrid& grid = Reach<DBGrid>(control);
  Dispatch([&] { grid.Perform(MouseWheelMessage(static_cast<short>(delta))); });
}

void ModalSession::CloseBox() {
  if (!open_) throw InputRefused("the form is closed");
  Dispatch([&] { form_.Close(); });
}

namespace {

Button* FindButton(const Form& form, bool Button::*flag) {
  for (Control* control : form.Controls()) {
    auto* button = dynamic_cast<Button*>(control);
    if (button != nullptr && button->*flag && button->Showing() && button->Reachable()) return button;
  }
  return nullptr;
}

}  // namespace

Button* ModalSession::DefaultButton() const { return FindButton(form_, &Button::Default); }
Button* ModalSession::CancelButton() const { return FindButton(form_, &Button::Cancel); }

void ModalSession::PressEnter() {
  if (!open_) throw InputRefused("the form is closed");
  if (Button* button = DefaultButton()) Dispatch([button] { button->Click(); });
}

void ModalSession::PressEscape() {
  if (!open_) throw InputRefused("the form is closed");
  if (Button* button = CancelButton()) Dispatch([button] { button->Click(); });
}

}  // namespace forms
