#include "component.h"

#include "form.h"
#include "form_view.h"

namespace forms {

Rect Control::BoundsRect() const {
  if (Align != forms::Align::Client) return {Left, Top, Width, Height};
  if (parent_ != nullptr) {
    Rect parent = parent_->BoundsRect();
    return {0, 0, parent.width, parent.height};
  }
  if (Owner() != nullptr) return {0, 0, Owner()->ClientWidth, Owner()->ClientHeight};
  return {Left, Top, Width, Height};
}

bool Control::Showing() const {
  for (const Control* c = this; c != nullptr; c = c->parent_) {
    if (!c->Visible) return false;
  }
  return true;
}

bool Control::Reachable() const {
  for (const Control* c = this; c != nullptr; c = c->parent_) {
    if (!c->Enabled) return false;
  }
  return true;
}

void Control::Describe(ControlView&) {}

}  // namespace forms
