#pragma once
// A single-line edit box. Its text is a GBK byte string.
//
// The program's own changes (SetText) are not limited by MaxLength and fire
// OnChange like the user's. The user types through UserType: every character
// is first offered to OnKeyPress (a double-byte character as its two bytes, in
// turn; discarding either discards the character), then inserted unless the
// box is read-only or the text would grow past MaxLength bytes, then OnKeyUp
// fires with the key's code.
#include <string>
#include <string_view>

#include "component.h"
#include "events.h"

namespace forms {

class Edit : public Control {
 public:
  using Control::Control;

  const std::string& Text() const { return text_; }
  // Fires OnChange when the text differs from the current one.
  void SetText(std::string_view text);

  // The most bytes the user can type in (a Chinese character counts two); 0 for no limit.
  int MaxLength = 0;
  bool ReadOnly = false;

  NotifyEvent OnChange;
  KeyPressEvent OnKeyPress;
  KeyEvent OnKeyUp;

  // What the user does (the modal session calls this). With replace, the
  // whole text is selected first, so the first character that gets through
  // replaces it; an empty text with replace is the Delete key on the
  // selection. Without replace the characters go in at the end.
  void UserType(std::string_view text, bool replace);

  std::string_view Kind() const override { return "edit"; }
  void Describe(ControlView& view) override;

 private:
  void KeyUp(std::uint16_t key);
  std::string text_;
};

}  // namespace forms
