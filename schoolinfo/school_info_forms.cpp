#include "school_info_forms.h"

#include <memory>
#include <typeindex>

#include "excel/com/excel.h"
#include "platform/forms/class_registry.h"
#include "tform5.h"
#include "txxinfo.h"

namespace velmora {

std::optional<workbook::Application> ExcelOf(const SchoolInfoEnvironment& environment) {
  if (!environment.excel_app) return std::nullopt;
  com::ComPtr<com::IDispatch> app = environment.excel_app();
  com::ComPtr<excel::_Application> excel;
  if (!app || com::FAILED(app.As(&excel)) || !excel) return std::nullopt;
  return workbook::Application(excel);
}

namespace {

template <class F>
void Register(const char* name, const SchoolInfoEnvironment& environment) {
  if (forms::FindClass(name)) return;
  forms::RegisterClass(forms::ComponentClass{name, typeid(F), true, [environment] {
                                               return std::unique_ptr<forms::Component>(
                                                   std::make_unique<F>(environment));
                                             }});
}

template <class F>
void Unregister(const char* name) {
  if (const auto* found = forms::FindClass(name); found && found->type == typeid(F))
    forms::UnregisterClass(name);
}

}  // namespace

void RegisterSchoolInfoForms(SchoolInfoEnvironment environment) {
  Register<Txxinfo>("Txxinfo", environment);
  Register<TForm5>("TForm5", environment);
}

void UnregisterSchoolInfoForms() {
  Unregister<Txxinfo>("Txxinfo");
  Unregister<TForm5>("TForm5");
}

}  // namespace velmora
