#include "edit.h"

#include "form_view.h"
#include "platform/win/code_page.h"

namespace forms {

void Edit::SetText(std::string_view text) {
  if (text == text_) return;
  text_ = std::string(text);
  if (OnChange) OnChange(*this);
}

void Edit::KeyUp(std::uint16_t key) {
  if (OnKeyUp) OnKeyUp(*this, key, ssNone);
}

namespace {

// The virtual key code of the key that typed the character.
std::uint16_t KeyCodeOf(std::string_view character) {
  if (character.size() > 1) return VK_PROCESSKEY;
  char c = character[0];
  if (c >= 'a' && c <= 'z') return static_cast<std::uint16_t>(c - 'a' + 'A');
  return static_cast<unsigned char>(c);
}

}  // namespace

void Edit::UserType(std::string_view text, bool replace) {
  bool selected = replace;
  if (text.empty() && replace) {
    if (!ReadOnly) SetText("");
    KeyUp(VK_DELETE);
    return;
  }
  for (std::size_t pos = 0; pos < text.size();) {
    std::size_t length = win::CharLength(text, pos);
    std::string character(text.substr(pos, length));
    pos += length;

    bool kept = true;
    for (char& byte : character) {
      if (!OnKeyPress) break;
      OnKeyPress(*this, byte);
      if (byte == '\0') {
        kept = false;
        break;
      }
    }
    if (kept && !ReadOnly) {
      std::string typed = selected ? character : text_ + character;
      if (MaxLength <= 0 || typed.size() <= static_cast<std::size_t>(MaxLength)) {
        selected = false;
        SetText(typed);
      }
    }
    KeyUp(KeyCodeOf(character));
  }
}

void Edit::Describe(ControlView& view) {
  view.text = win::AnsiToUtf8(text_);
  view.read_only = ReadOnly;
  if (MaxLength > 0) view.notes.push_back("max " + std::to_string(MaxLength) + " bytes");
}

}  // namespace forms
