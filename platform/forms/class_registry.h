#pragma once
// The process-wide registry of component classes by name, through which the
// form dispatch creates a dialog from its class name ("TAbout").
//
// Names are compared ASCII case-insensitively and must have equal length.
// Registering a class again under its name changes nothing; registering
// another class under a name already taken raises forms::Error. A class that
// is not a form can be registered and found, but CreateForm refuses it.
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <type_traits>
#include <typeindex>
#include <vector>

#include "component.h"
#include "form.h"

namespace forms {

struct ComponentClass {
  std::string name;
  std::type_index type;
  bool is_form;
  std::function<std::unique_ptr<Component>()> create;
};

void RegisterClass(ComponentClass component_class);

// Registers C (default-constructible, derived from Component) under name.
template <class C>
void RegisterClass(std::string name) {
  static_assert(std::is_base_of_v<Component, C>);
  RegisterClass(ComponentClass{std::move(name), typeid(C), std::is_base_of_v<Form, C>,
                               [] { return std::unique_ptr<Component>(std::make_unique<C>()); }});
}

// The class registered under that name, or null.
const ComponentClass* FindClass(std::string_view name);
void UnregisterClass(std::string_view name);
std::vector<std::string> RegisteredClassNames();

// A new instance of the class, its OnCreate fired; null when the class is
// not a form.
std::unique_ptr<Form> CreateForm(const ComponentClass& component_class);

}  // namespace forms
