// velscript.dll: the in-process server of "MSScriptControl.ScriptControl".
// Registration writes, under the classes root,
//   CLSID\{clsid}                    "" = "ScriptControl"
//   CLSID\{clsid}\InprocServer32     "" = full path of this library, ThreadingModel = "Apartment"
//   CLSID\{clsid}\ProgID             "" = "MSScriptControl.ScriptControl"
//   MSScriptControl.ScriptControl    "" = "ScriptControl"
//   MSScriptControl.ScriptControl\CLSID  "" = "{clsid}"
#include <string>

#include "com/error_info.h"
#include "com/object.h"
#include "com/registry.h"
#include "platform/win/code_page.h"
#include "platform/win/library_loader.h"
#include "script/control/script_control.h"

namespace vbs::control {
namespace {

using com::registry::Root;

class ClassFactory final : public com::Object<com::IClassFactory> {
 public:
  com::HRESULT CreateInstance(com::IUnknown* outer, com::REFIID riid, void** object) override {
    if (!object) return com::E_POINTER;
    *object = nullptr;
    if (outer) return com::CLASS_E_NOAGGREGATION;
    const com::ComPtr<com::IDispatch> control = MakeScriptControl();
    if (!control) return com::E_OUTOFMEMORY;
    return control->QueryInterface(riid, object);
  }
  com::HRESULT LockServer(int lock) override {
    if (lock) com::ModuleLock();
    else com::ModuleUnlock();
    return com::S_OK;
  }
};

std::u16string ClsidKey() { return u"CLSID\\" + com::GuidToWide(kScriptControlClsid); }

}  // namespace
}  // namespace vbs::control

using namespace vbs::control;

extern "C" __attribute__((visibility("default"))) com::HRESULT DllGetClassObject(com::REFCLSID clsid,
                                                                                com::REFIID riid,
                                                                                void** object) {
  if (!object) return com::E_POINTER;
  *object = nullptr;
  if (!(clsid == kScriptControlClsid)) return com::CLASS_E_CLASSNOTAVAILABLE;
  const auto factory = com::MakeObject<ClassFactory>();
  if (!factory) return com::E_OUTOFMEMORY;
  return factory->QueryInterface(riid, object);
}

extern "C" __attribute__((visibility("default"))) com::HRESULT DllCanUnloadNow() {
  return com::ModuleCanUnload() ? com::S_OK : com::S_FALSE;
}

extern "C" __attribute__((visibility("default"))) com::HRESULT DllRegisterServer() {
  const std::string path = win::GetModuleFileName(reinterpret_cast<const void*>(&DllRegisterServer));
  if (path.empty()) return com::SELFREG_E_CLASS;
  const std::u16string clsid = com::GuidToWide(kScriptControlClsid);
  const std::u16string prog_id(kScriptControlProgId);
  const std::u16string library = win::AnsiToWide(path);
  return com::registry::Modify([&](com::registry::Tree& tree) {
    com::registry::Key& root = tree.RootKey(Root::ClassesRoot);
    const std::u16string key = ClsidKey();
    root.Create(key).values[u""] = {.text = u"ScriptControl"};
    com::registry::Key& server = root.Create(key + u"\\InprocServer32");
    server.values[u""] = {.text = library};
    server.values[u"ThreadingModel"] = {.text = u"Apartment"};
    root.Create(key + u"\\ProgID").values[u""] = {.text = prog_id};
    root.Create(prog_id).values[u""] = {.text = u"ScriptControl"};
    root.Create(prog_id + u"\\CLSID").values[u""] = {.text = clsid};
    return com::S_OK;
  });
}

extern "C" __attribute__((visibility("default"))) com::HRESULT DllUnregisterServer() {
  const std::u16string prog_id(kScriptControlProgId);
  return com::registry::Modify([&](com::registry::Tree& tree) {
    com::registry::Key& root = tree.RootKey(Root::ClassesRoot);
    root.DeleteTree(ClsidKey());
    root.DeleteTree(prog_id);
    return com::S_OK;
  });
}
