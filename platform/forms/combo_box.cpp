#include "combo_box.h"

#include <algorithm>

#include "form_view.h"
#include "platform/win/code_page.h"

namespace forms {

void ComboBox::SetItems(std::vector<std::string> items) {
  items_ = std::move(items);
  item_index_ = -1;
}

void ComboBox::Clear() {
  items_.clear();
  item_index_ = -1;
}

int ComboBox::IndexOf(std::string_view text) const {
  auto found = std::find(items_.begin(), items_.end(), text);
  return found == items_.end() ? -1 : static_cast<int>(found - items_.begin());
}

void ComboBox::SetItemIndex(int index) {
  item_index_ = index >= 0 && index < static_cast<int>(items_.size()) ? index : -1;
}

std::string ComboBox::Text() const { return item_index_ < 0 ? std::string() : items_[item_index_]; }

void ComboBox::UserPick(int index) {
  SetItemIndex(index);
  if (OnChange) OnChange(*this);
}

void ComboBox::Describe(ControlView& view) {
  view.text = win::AnsiToUtf8(Text());
  for (const std::string& item : items_) view.items.push_back(win::AnsiToUtf8(item));
  view.item_index = item_index_;
}

}  // namespace forms
