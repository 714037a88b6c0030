#include "addin_module.h"

#include "addin_designer_tlb.h"
#include "com/auto_object.h"
#include "form_dispatch.h"
#include "module_values.h"
#include "my_outlook_addin.h"
#include "velmora_tlb.h"

namespace velmora {

namespace {
com::ComPtr<com::IClassFactory> factory;
}

bool InitializeModule(const std::string& module_path) {
  com::HRESULT hr = com::S_OK;
  auto cls = com::AutoClass::Load(module_path, Velmora::CLSID_MyOutLookAddIn, kProgId, &hr);
  if (!cls || cls->default_iid != AddInDesignerObjects::IDTExtensibility2::iid) return false;
  // Multi-instance: every request makes a new add-in object.
  factory = com::MakeClassFactory(
      [cls](const com::IID& riid, void** object) { return com::CreateAndQuery<TMyOutLookAddIn>(riid, object, cls); });
  return static_cast<bool>(factory);
}

void FinalizeModule() {
  factory = nullptr;
  ReleaseModuleValues();
  UnregisterForms();
}

com::ComPtr<com::IClassFactory> AddInFactory() { return factory; }

}  // namespace velmora
