#include "class_registry.h"

#include <algorithm>

#include "error.h"

namespace forms {
namespace {

std::vector<ComponentClass>& Registry() {
  static std::vector<ComponentClass> registry;
  return registry;
}

}  // namespace

void RegisterClass(ComponentClass component_class) {
  if (const ComponentClass* known = FindClass(component_class.name)) {
    if (known->type == component_class.type) return;
    throw Error("A class named " + component_class.name + " already exists");
  }
  Registry().push_back(std::move(component_class));
}

const ComponentClass* FindClass(std::string_view name) {
  for (const ComponentClass& known : Registry()) {
    if (SameName(known.name, name)) return &known;
  }
  return nullptr;
}

void UnregisterClass(std::string_view name) {
  std::erase_if(Registry(), [name](const ComponentClass& known) { return SameName(known.name, name); });
}

std::vector<std::string> RegisteredClassNames() {
  std::vector<std::string> names;
  for (const ComponentClass& known : Registry()) names.push_back(known.name);
  return names;
}

std::unique_ptr<Form> CreateForm(const ComponentClass& component_class) {
  if (!component_class.is_form) return nullptr;
  std::unique_ptr<Component> component = component_class.create();
  if (dynamic_cast<Form*>(component.get()) == nullptr) return nullptr;
  std::unique_ptr<Form> form(static_cast<Form*>(component.release()));
  form->AfterConstruction();
  return form;
}

}  // namespace forms
