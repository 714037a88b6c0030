#pragma once
// A drop-down list from which the user chooses one item (no free text). As on
// the platform, OnChange fires when the user chooses an item, never when the
// program changes the items or the selection.
#include <string>
#include <string_view>
#include <vector>

#include "component.h"
#include "events.h"

namespace forms {

class ComboBox : public Control {
 public:
  using Control::Control;

  const std::vector<std::string>& Items() const { return items_; }
  void AddItem(std::string item) { items_.push_back(std::move(item)); }
  void SetItems(std::vector<std::string> items);
  // Removes every item; nothing is selected afterwards.
  void Clear();
  // The first item equal to text (exactly), or -1.
  int IndexOf(std::string_view text) const;

  // -1 when nothing is selected.
  int ItemIndex() const { return item_index_; }
  // An index outside the items selects nothing.
  void SetItemIndex(int index);
  // The selected item, or the empty text.
  std::string Text() const;

  NotifyEvent OnChange;

  // What the user does (the modal session calls this): chooses the item.
  void UserPick(int index);

  std::string_view Kind() const override { return "combo"; }
  void Describe(ControlView& view) override;

 private:
  std::vector<std::string> items_;
  int item_index_ = -1;
};

}  // namespace forms
