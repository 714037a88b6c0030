#pragma once
// One modal showing of a form, as the driver sees it: the user's inputs on
// the form, by control name (ASCII case-insensitive) and with UTF-8 texts.
//
// Each input is dispatched like a message of the platform's modal loop: its
// event handlers run, an error escaping them is shown in a message box
// (ShowException) and the form goes on; then the form handles what was posted
// meanwhile and closes if a handler asked it to. An input the user could not
// make (an unknown or hidden or disabled control, an item that is not
// offered, a row that is not shown, a closed form) raises InputRefused and
// changes nothing.
#include <stdexcept>
#include <string>
#include <string_view>

#include "form_view.h"

namespace forms {

class Button;
class Control;
class Form;

class InputRefused : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;  // UTF-8 text
};

class ModalSession {
 public:
  explicit ModalSession(Form& form) : form_(form) {}
  ModalSession(const ModalSession&) = delete;
  ModalSession& operator=(const ModalSession&) = delete;

  Form& GetForm() const { return form_; }
  // What the user sees now.
  FormView View() const;

  // Lets the form handle what was posted to it (a close request posted while
  // it was created, say); false once it has closed.
  bool Open();

  // Selects the whole text of the edit box and types text over it (an empty
  // text deletes the selection).
  void SetText(std::string_view control, std::string_view text);
  // Types text at the end of the edit box's text.
  void Type(std::string_view control, std::string_view text);
  // Chooses the item of the drop-down list that equals text.
  void Pick(std::string_view control, std::string_view item);
  void Click(std::string_view control);
  // Double-clicks the 1-based row of those the grid shows; 0 double-clicks
  // the grid where it has no row.
  void DoubleClick(std::string_view control, int row);
  // Turns the mouse wheel over the control (delta in multiples of 120,
  // negative towards the user).
  void Wheel(std::string_view control, int delta);
  // The close box of the title bar.
  void CloseBox();
  // Enter clicks the default button, Escape the cancel button, when the
  // user can reach one; otherwise the key does nothing.
  void PressEnter();
  void PressEscape();

  // The button Enter or Escape clicks, if the user can reach one; else null.
  Button* DefaultButton() const;
  Button* CancelButton() const;

 private:
  template <class C>
  C& Reach(std::string_view control) const;
  template <class Input>
  void Dispatch(Input input);

  Form& form_;
  bool open_ = true;
};

}  // namespace forms
