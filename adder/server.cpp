// The exports of velmadd.dll. The class factory of Class1 is built when the
// library initialises, from the type library the library carries; without
// it the library refuses to initialise.
#include <memory>

#include "class1.h"
#include "com/server.h"

namespace {

const char16_t kProgId[] = u"Velmadd.Class1";
const char16_t kThreadingModel[] = u"Apartment";

struct Factory {
  std::shared_ptr<const com::AutoClass> cls;
  com::ComPtr<com::IClassFactory> factory;
};
Factory* the_factory = nullptr;

}  // namespace

VELCOM_EXPORT int DllMain(void* module, unsigned reason, void*) {
  if (reason == win::DLL_PROCESS_ATTACH) {
    com::HRESULT hr;
    auto cls = com::AutoClass::Load(win::GetModuleFileName(module), Velmadd::CLSID_Class1, kProgId, &hr);
    if (!cls || cls->default_iid != Velmadd::_Class1::iid) return 0;
    auto factory = com::MakeClassFactory([cls](com::REFIID riid, void** object) {
      return com::CreateAndQuery<velmadd::Class1>(riid, object, cls);
    });
    if (!factory) return 0;
    the_factory = new Factory{cls, factory};
  } else if (reason == win::DLL_PROCESS_DETACH) {
    delete the_factory;
    the_factory = nullptr;
  }
  return 1;
}

VELCOM_EXPORT com::HRESULT DllGetClassObject(const com::CLSID& clsid, const com::IID& iid, void** object) {
  if (!object) return com::E_POINTER;
  *object = nullptr;
  if (clsid != Velmadd::CLSID_Class1 || !the_factory) return com::CLASS_E_CLASSNOTAVAILABLE;
  return the_factory->factory->QueryInterface(iid, object);
}

VELCOM_EXPORT com::HRESULT DllCanUnloadNow() { return com::ModuleCanUnload() ? com::S_OK : com::S_FALSE; }

VELCOM_EXPORT com::HRESULT DllRegisterServer() {
  return com::RegisterServer(com::ThisModulePath(&DllRegisterServer), {{Velmadd::CLSID_Class1, kThreadingModel}});
}

VELCOM_EXPORT com::HRESULT DllUnregisterServer() {
  return com::UnregisterServer(com::ThisModulePath(&DllUnregisterServer), {{Velmadd::CLSID_Class1, kThreadingModel}});
}
