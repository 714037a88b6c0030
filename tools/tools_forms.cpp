#include "tools/tools_forms.h"

#include <memory>

#include "platform/forms/class_registry.h"
#include "tools/tfrm_printset.h"
#include "tools/tfrm_zbjs.h"

namespace velmora {

namespace {

ToolTexts& Registered() {
  static ToolTexts texts;
  return texts;
}

template <class F>
void Register(const char* name) {
  if (forms::FindClass(name)) return;
  forms::RegisterClass(forms::ComponentClass{name, typeid(F), true,
                                             [] { return std::unique_ptr<forms::Component>(new F()); }});
}

template <class F>
void Unregister(const char* name) {
  if (const auto* found = forms::FindClass(name); found && found->type == typeid(F)) forms::UnregisterClass(name);
}

}  // namespace

void RegisterToolForms(ToolTexts texts) {
  Registered() = texts;
  Register<Tfrm_PrintSet>("Tfrm_PrintSet");
  Register<TfrmZBJS>("TfrmZBJS");
}

void UnregisterToolForms() {
  Unregister<Tfrm_PrintSet>("Tfrm_PrintSet");
  Unregister<TfrmZBJS>("TfrmZBJS");
  Registered() = {};
}

const ToolTexts& RegisteredToolTexts() { return Registered(); }

}  // namespace velmora
