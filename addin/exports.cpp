// The exports of velmora.dll: the dialog dispatch showform, the four COM
// server functions and DllMain, which builds the class factory when the
// library initialises (and refuses the load when it cannot).
#include <exception>

#include "addin_module.h"
#include "command_bar_button.h"
#include "com/server.h"
#include "form_dispatch.h"
#include "velmora_tlb.h"

using namespace velmora;

namespace {
std::string ThisLibrary() { return com::ThisModulePath(&ThisLibrary); }
const std::vector<com::ServerClass> kClasses = {{Velmora::CLSID_MyOutLookAddIn, u"Apartment"}};
}  // namespace

VELCOM_EXPORT bool showform(const char* name) { return ShowForm(name); }

VELCOM_EXPORT int DllMain(void*, unsigned reason, void*) {
  if (reason == win::DLL_PROCESS_ATTACH) return InitializeModule(ThisLibrary()) ? 1 : 0;
  if (reason == win::DLL_PROCESS_DETACH) FinalizeModule();
  return 1;
}

VELCOM_EXPORT com::HRESULT DllGetClassObject(const com::CLSID& clsid, const com::IID& riid, void** object) {
  if (!object) return com::E_POINTER;
  *object = nullptr;
  auto factory = AddInFactory();
  if (clsid != Velmora::CLSID_MyOutLookAddIn || !factory) return com::CLASS_E_CLASSNOTAVAILABLE;
  return factory->QueryInterface(riid, object);
}

VELCOM_EXPORT com::HRESULT DllCanUnloadNow() { return com::ModuleCanUnload() ? com::S_OK : com::S_FALSE; }

VELCOM_EXPORT com::HRESULT DllRegisterServer() { return com::RegisterServer(ThisLibrary(), kClasses); }

VELCOM_EXPORT com::HRESULT DllUnregisterServer() { return com::UnregisterServer(ThisLibrary(), kClasses); }

// For the host's listing of its command bars, beside the COM surface: calls
// visit with every sink alive in this library, the button it serves and the
// name of the handler its clicks reach. Returns how many there were.
VELCOM_EXPORT int VelmoraListButtonSinks(void (*visit)(void* context, com::IUnknown* button, const char* handler),
                                         void* context) {
  int count = 0;
  for (TCommandbarbutton* sink : TCommandbarbutton::LiveSinks()) {
    if (visit) visit(context, sink->DefaultInterface.Get(), sink->HandlerName.c_str());
    ++count;
  }
  return count;
}
