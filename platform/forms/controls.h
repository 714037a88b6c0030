#pragma once
// The simple controls: label, button, panel, group box, memo and rich edit.
#include <string>
#include <string_view>
#include <vector>

#include "component.h"
#include "events.h"

namespace forms {

using ModalResult = int;

class Label : public Control {
 public:
  using Control::Control;
  std::string Caption;
  std::string_view Kind() const override { return "label"; }
  void Describe(ControlView& view) override;
};

class Button : public Control {
 public:
  using Control::Control;
  std::string Caption;
  // Enter clicks the default button, Escape (and the scripted driver, for a
  // form it has no answer for) the cancel button.
  bool Default = false;
  bool Cancel = false;
  // Set on the form when the button is clicked (before OnClick); 0 sets nothing.
  forms::ModalResult ModalResult = 0;
  NotifyEvent OnClick;

  // A click, by the user or by the program.
  void Click();

  std::string_view Kind() const override { return "button"; }
  void Describe(ControlView& view) override;
};

// A container; with Align::Client it covers the client area of the form.
class Panel : public Control {
 public:
  using Control::Control;
  std::string Caption;
  std::string_view Kind() const override { return "panel"; }
  void Describe(ControlView& view) override;
};

class GroupBox : public Control {
 public:
  using Control::Control;
  std::string Caption;
  std::string_view Kind() const override { return "groupbox"; }
  void Describe(ControlView& view) override;
};

// A multi-line text box. Text is the whole text; Lines cuts it at CR LF, LF
// or CR. The program's changes fire OnChange.
class Memo : public Control {
 public:
  using Control::Control;

  const std::string& Text() const { return text_; }
  void SetText(std::string_view text);
  std::vector<std::string> Lines() const;
  // The lines joined with CR LF.
  void SetLines(const std::vector<std::string>& lines);

  bool ReadOnly = false;
  NotifyEvent OnChange;

  std::string_view Kind() const override { return "memo"; }
  void Describe(ControlView& view) override;

 private:
  std::string text_;
};

// A rich-text box; plain text is all this system puts in one.
class RichEdit : public Memo {
 public:
  using Memo::Memo;
  std::string_view Kind() const override { return "richedit"; }
};

}  // namespace forms
