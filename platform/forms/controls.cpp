#include "controls.h"

#include "form.h"
#include "form_view.h"
#include "platform/win/code_page.h"

namespace forms {

void Label::Describe(ControlView& view) { view.text = win::AnsiToUtf8(Caption); }

void Button::Click() {
  if (ModalResult != mrNone && Owner() != nullptr) Owner()->SetModalResult(ModalResult);
  if (OnClick) OnClick(*this);
}

void Button::Describe(ControlView& view) {
  view.text = win::AnsiToUtf8(Caption);
  if (Default) view.notes.push_back("default");
  if (Cancel) view.notes.push_back("cancel");
}

void Panel::Describe(ControlView& view) {
  view.text = win::AnsiToUtf8(Caption);
  if (Align == forms::Align::Client) view.notes.push_back("covers the client area");
}

void GroupBox::Describe(ControlView& view) { view.text = win::AnsiToUtf8(Caption); }

void Memo::SetText(std::string_view text) {
  if (text == text_) return;
  text_ = std::string(text);
  if (OnChange) OnChange(*this);
}

std::vector<std::string> Memo::Lines() const {
  std::vector<std::string> lines;
  std::string line;
  for (std::size_t i = 0; i < text_.size(); ++i) {
    char c = text_[i];
    if (c == '\r' || c == '\n') {
      lines.push_back(std::move(line));
      line.clear();
      if (c == '\r' && i + 1 < text_.size() && text_[i + 1] == '\n') ++i;
    } else {
      line += c;
    }
  }
  if (!line.empty()) lines.push_back(std::move(line));
  return lines;
}

void Memo::SetLines(const std::vector<std::string>& lines) {
  std::string text;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (i > 0) text += "\r\n";
    text += lines[i];
  }
  SetText(text);
}

void Memo::Describe(ControlView& view) {
  view.text = win::AnsiToUtf8(text_);
  view.read_only = ReadOnly;
}

}  // namespace forms
