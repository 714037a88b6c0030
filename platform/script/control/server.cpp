// velscript.dll: the in-process server of "MSScriptControl.ScriptControl".
// Its class object is built when the library initialises; registration
// writes the class's keys (CLSID\{clsid} with InprocServer32 and ProgID, and
// the ProgID with its Clsid). The class is late-bound only and carries no
// type library.
#include "com/server.h"
#include "platform/win/code_page.h"
#include "script/control/script_control.h"

namespace {

const char16_t kThreadingModel[] = u"Apartment";

com::IClassFactory* the_factory = nullptr;

com::ClassRegistration Registration() {
  return {.clsid = vbs::control::kScriptControlClsid,
          .description = u"ScriptControl",
          .progid = std::u16string(vbs::control::kScriptControlProgId),
          .version = u"1.0",
          .threading_model = kThreadingModel,
          .libid = com::GUID_NULL};
}

}  // namespace

VELCOM_EXPORT int DllMain(void*, unsigned reason, void*) {
  if (reason == win::DLL_PROCESS_ATTACH) {
    auto factory = com::MakeClassFactory([](com::REFIID riid, void** object) {
      const com::ComPtr<com::IDispatch> control = vbs::control::MakeScriptControl();
      if (!control) return com::E_OUTOFMEMORY;
      return control->QueryInterface(riid, object);
    });
    if (!factory) return 0;
    the_factory = factory.Detach();
  } else if (reason == win::DLL_PROCESS_DETACH && the_factory) {
    the_factory->Release();
    the_factory = nullptr;
  }
  return 1;
}

VELCOM_EXPORT com::HRESULT DllGetClassObject(const com::CLSID& clsid, const com::IID& iid,
                                             void** object) {
  if (!object) return com::E_POINTER;
  *object = nullptr;
  if (clsid != vbs::control::kScriptControlClsid || !the_factory)
    return com::CLASS_E_CLASSNOTAVAILABLE;
  return the_factory->QueryInterface(iid, object);
}

VELCOM_EXPORT com::HRESULT DllCanUnloadNow() {
  return com::ModuleCanUnload() ? com::S_OK : com::S_FALSE;
}

VELCOM_EXPORT com::HRESULT DllRegisterServer() {
  return com::RegisterClassKeys(Registration(),
                                win::AnsiToWide(com::ThisModulePath(&DllRegisterServer)));
}

VELCOM_EXPORT com::HRESULT DllUnregisterServer() {
  return com::UnregisterClassKeys(Registration());
}
