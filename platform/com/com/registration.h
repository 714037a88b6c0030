#pragma once
// Registration of in-process servers, for their DllRegisterServer and
// DllUnregisterServer. For each class, under the classes root:
//   CLSID\{clsid}                      = description
//   CLSID\{clsid}\InprocServer32       = full path of the library, ThreadingModel = model
//   CLSID\{clsid}\ProgID               = ProgID
//   CLSID\{clsid}\Version              = "1.0"
//   CLSID\{clsid}\TypeLib              = {LIBID}
//   ProgID                             = description
//   ProgID\Clsid                       = {clsid}
// and the type library the library carries (RegisterTypeLib: TypeLib\{LIBID}
// and the Interface keys). Unregistration removes exactly these keys.
//
//   extern "C" HRESULT DllRegisterServer() {
//     return com::RegisterServer(com::ThisModulePath(&DllRegisterServer), {{CLSID_Class1, u"Apartment"}});
//   }
#include <string>
#include <vector>

#include "com/guid.h"
#include "com/typeinfo.h"
#include "platform/win/library_loader.h"

namespace com {

struct ClassRegistration {
  CLSID clsid;
  std::u16string description;
  std::u16string progid;
  std::u16string version;          // "1.0"
  std::u16string threading_model;  // "Apartment", "Both", "Free"; empty: none written
  GUID libid;                      // GUID_NULL: no TypeLib key
};

// What the type library says of coclass clsid: ProgID library.coclass,
// description the coclass's help string (its name when it has none), version
// the coclass's, LIBID the library's.
HRESULT ClassRegistrationFromTypeLib(ITypeLib* lib, REFCLSID clsid, std::u16string threading_model,
                                     ClassRegistration* out);

HRESULT RegisterClassKeys(const ClassRegistration& cls, std::u16string_view module_path);
HRESULT UnregisterClassKeys(const ClassRegistration& cls);

struct ServerClass {
  CLSID clsid;
  std::u16string threading_model;
};
// Registers the type library of the library at ansi_path and each class as
// its type library describes it. SELFREG_E_TYPELIB / SELFREG_E_CLASS when a
// step fails (the registry failure stays in the error information).
HRESULT RegisterServer(const std::string& ansi_path, const std::vector<ServerClass>& classes);
HRESULT UnregisterServer(const std::string& ansi_path, const std::vector<ServerClass>& classes);

// The full path (GBK) of the library holding a function: for a server,
// ThisModulePath(&DllRegisterServer).
template <class F>
std::string ThisModulePath(F* function_in_module) {
  return win::GetModuleFileName(reinterpret_cast<const void*>(function_in_module));
}

}  // namespace com
