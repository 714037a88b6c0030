#pragma once
// Components are the parts a form owns by name: controls the user sees
// (edit boxes, buttons, grids...) and parts without a window (datasets, data
// sources, the save-file dialog). A form creates them with Form::Add and
// frees them with itself.
#include <string>
#include <string_view>

#include "graphics.h"

namespace forms {

class Form;
struct ControlView;

class Component {
 public:
  explicit Component(std::string name = {}) : name_(std::move(name)) {}
  virtual ~Component() = default;
  Component(const Component&) = delete;
  Component& operator=(const Component&) = delete;

  const std::string& Name() const { return name_; }
  // The form that owns the component; null for one created on its own.
  Form* Owner() const { return owner_; }

 private:
  friend class Form;
  std::string name_;
  Form* owner_ = nullptr;
};

enum class Align { None, Top, Bottom, Left, Right, Client };

struct Rect {
  int left = 0, top = 0, width = 0, height = 0;
  bool operator==(const Rect&) const = default;
};

// A component with a place on the form. Plain settings are public members;
// properties whose change does something are methods.
class Control : public Component {
 public:
  using Component::Component;

  // The panel or group box the control lies on; null for one on the form itself.
  Control* Parent() const { return parent_; }

  int Left = 0, Top = 0, Width = 0, Height = 0;
  // Align::Client makes the control cover its parent's client area (the form's
  // when it lies on the form), whatever its own bounds say.
  forms::Align Align = forms::Align::None;
  bool Visible = true;
  bool Enabled = true;
  int TabOrder = 0;
  forms::Font Font;
  std::string Hint;

  Rect BoundsRect() const;
  // Visible, and every parent up to the form visible too: what the user can see.
  bool Showing() const;
  // Enabled, and every parent enabled too: what the user can reach.
  bool Reachable() const;

  // A short lower-case name of the kind of control ("edit", "button"...).
  virtual std::string_view Kind() const = 0;
  // Fills in what the user sees of this control, texts in UTF-8 as the
  // driver sees them. Kind, name, bounds and state are filled in already.
  virtual void Describe(ControlView& view);

 private:
  friend class Form;
  Control* parent_ = nullptr;
};

}  // namespace forms
