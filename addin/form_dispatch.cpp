#include "form_dispatch.h"

#include <memory>
#include <string>
#include <typeindex>
#include <vector>

#include "addin/text/module_directory.h"
#include "information_dialogs.h"
#include "module_values.h"
#include "platform/forms/class_registry.h"
#include "schoolinfo/school_info_forms.h"
#include "tools/tools_forms.h"
#include "validation/form2.h"

namespace velmora {

namespace {

struct FormClass {
  const char* name;
  std::type_index type;
  void (*add)(const char* name);
};

template <class F>
FormClass Class(const char* name) {
  return {name, typeid(F), [](const char* n) { forms::RegisterClass<F>(n); }};
}

// The dialogs of this library. TForm2, TfrmZBJS and Tfrm_PrintSet join here
// as they are built; Txxinfo and TForm5 register themselves (below) with
// what they need of this library.
const std::vector<FormClass>& FormClasses() {
  static const std::vector<FormClass> classes = {
      Class<TAbout>("TAbout"),
      Class<TFrmZDYBBCX>("TFrmZDYBBCX"),
  };
  return classes;
}

}  // namespace

void RegisterForms() {
  for (const auto& c : FormClasses())
    if (!forms::FindClass(c.name)) c.add(c.name);
  RegisterValidationForms([] { return ExcelApp; });
  RegisterToolForms({&gPaperSize, &gIndicatorCode, &gIndicatorName, &gIndicatorExplanation});
  RegisterSchoolInfoForms({[] { return com::ComPtr<com::IDispatch>(ExcelApp); }, getFilePath(), {}});
}

void UnregisterForms() {
  for (const auto& c : FormClasses())
    if (const auto* found = forms::FindClass(c.name); found && found->type == c.type) forms::UnregisterClass(c.name);
  UnregisterValidationForms();
  UnregisterToolForms();
  UnregisterSchoolInfoForms();
}

bool ShowForm(const char* name) {
  RegisterForms();
  const forms::ComponentClass* found = forms::FindClass(std::string("T") + (name ? name : ""));
  if (!found || !found->is_form) return false;
  std::unique_ptr<forms::Form> form = forms::CreateForm(*found);
  if (!form) return false;
  form->ShowModal();  // an error frees the form on its way out
  return true;
}

}  // namespace velmora
