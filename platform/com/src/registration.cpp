#include "com/registration.h"

#include <cstdio>

#include "com/com_ptr.h"
#include "com/registry.h"
#include "platform/win/code_page.h"

namespace com {

namespace {
std::u16string VersionText(WORD major, WORD minor) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "%u.%u", major, minor);
  return win::Utf8ToWide(buf);
}
}  // namespace

HRESULT ClassRegistrationFromTypeLib(ITypeLib* lib, REFCLSID clsid, std::u16string threading_model,
                                     ClassRegistration* out) {
  if (!lib || !out) return E_INVALIDARG;
  ComPtr<ITypeInfo> info;
  HRESULT hr = lib->GetTypeInfoOfGuid(clsid, info.Put());
  if (FAILED(hr)) return hr;
  TYPEATTR* attr = nullptr;
  if (FAILED(hr = info->GetTypeAttr(&attr))) return hr;
  bool coclass = attr->typekind == TKIND_COCLASS;
  WORD major = attr->wMajorVerNum, minor = attr->wMinorVerNum;
  info->ReleaseTypeAttr(attr);
  if (!coclass) return TYPE_E_WRONGTYPEKIND;
  Bstr lib_name, class_name, class_help;
  lib->GetDocumentation(-1, lib_name.Put(), nullptr, nullptr, nullptr);
  info->GetDocumentation(MEMBERID_NIL, class_name.Put(), class_help.Put(), nullptr, nullptr);
  TLIBATTR* la = nullptr;
  if (FAILED(hr = lib->GetLibAttr(&la))) return hr;
  out->libid = la->guid;
  lib->ReleaseTLibAttr(la);
  out->clsid = clsid;
  out->progid = lib_name.ToWide() + u"." + class_name.ToWide();
  out->description = class_help.Empty() ? class_name.ToWide() : class_help.ToWide();
  out->version = VersionText(major, minor);
  out->threading_model = std::move(threading_model);
  return S_OK;
}

namespace {

void Set(registry::Key& key, std::u16string_view name, std::u16string_view text) {
  registry::Value v;
  v.text = std::u16string(text);
  key.values[std::u16string(name)] = v;
}

void WriteClass(registry::Tree& tree, const ClassRegistration& cls, std::u16string_view module_path) {
  const std::u16string clsid = GuidToWide(cls.clsid);
  registry::Key& key = tree.classes_root.Create(u"CLSID\\" + clsid);
  Set(key, u"", cls.description);
  registry::Key& server = key.Create(u"InprocServer32");
  Set(server, u"", module_path);
  if (!cls.threading_model.empty()) Set(server, u"ThreadingModel", cls.threading_model);
  if (!cls.progid.empty()) {
    Set(key.Create(u"ProgID"), u"", cls.progid);
    registry::Key& progid = tree.classes_root.Create(cls.progid);
    Set(progid, u"", cls.description);
    Set(progid.Create(u"Clsid"), u"", clsid);
  }
  if (!cls.version.empty()) Set(key.Create(u"Version"), u"", cls.version);
  if (cls.libid != GUID_NULL) Set(key.Create(u"TypeLib"), u"", GuidToWide(cls.libid));
}

void RemoveClass(registry::Tree& tree, const ClassRegistration& cls) {
  tree.classes_root.DeleteTree(u"CLSID\\" + GuidToWide(cls.clsid));
  if (!cls.progid.empty() && cls.progid.find(u'\\') == std::u16string::npos) tree.classes_root.DeleteTree(cls.progid);
}

HRESULT Describe(const std::string& ansi_path, const std::vector<ServerClass>& classes, ComPtr<ITypeLib>* lib,
                 std::vector<ClassRegistration>* out) {
  HRESULT hr = LoadTypeLibFromFile(ansi_path, lib->Put());
  if (FAILED(hr)) return hr;
  for (const auto& c : classes) {
    ClassRegistration r;
    if (FAILED(hr = ClassRegistrationFromTypeLib(lib->Get(), c.clsid, c.threading_model, &r))) return hr;
    out->push_back(r);
  }
  return S_OK;
}

}  // namespace

HRESULT RegisterClassKeys(const ClassRegistration& cls, std::u16string_view module_path) {
  return registry::Modify([&](registry::Tree& tree) {
    WriteClass(tree, cls, module_path);
    return S_OK;
  });
}

HRESULT UnregisterClassKeys(const ClassRegistration& cls) {
  return registry::Modify([&](registry::Tree& tree) {
    RemoveClass(tree, cls);
    return S_OK;
  });
}

HRESULT RegisterServer(const std::string& ansi_path, const std::vector<ServerClass>& classes) {
  ComPtr<ITypeLib> lib;
  std::vector<ClassRegistration> regs;
  if (FAILED(Describe(ansi_path, classes, &lib, &regs))) return SELFREG_E_TYPELIB;
  const std::u16string path = win::AnsiToWide(ansi_path);
  if (FAILED(RegisterTypeLib(lib.Get(), path.c_str(), nullptr))) return SELFREG_E_TYPELIB;
  HRESULT hr = registry::Modify([&](registry::Tree& tree) {
    for (const auto& r : regs) WriteClass(tree, r, path);
    return S_OK;
  });
  return FAILED(hr) ? SELFREG_E_CLASS : S_OK;
}

HRESULT UnregisterServer(const std::string& ansi_path, const std::vector<ServerClass>& classes) {
  ComPtr<ITypeLib> lib;
  std::vector<ClassRegistration> regs;
  if (FAILED(Describe(ansi_path, classes, &lib, &regs))) return SELFREG_E_TYPELIB;
  HRESULT hr = registry::Modify([&](registry::Tree& tree) {
    for (const auto& r : regs) RemoveClass(tree, r);
    return S_OK;
  });
  if (FAILED(hr)) return SELFREG_E_CLASS;
  TLIBATTR* la = nullptr;
  if (FAILED(lib->GetLibAttr(&la))) return SELFREG_E_TYPELIB;
  TLIBATTR a = *la;
  lib->ReleaseTLibAttr(la);
  hr = UnRegisterTypeLib(a.guid, a.wMajorVerNum, a.wMinorVerNum, a.lcid, a.syskind);
  // Not registered at all is no failure of unregistration.
  return FAILED(hr) && hr != TYPE_E_REGISTRYACCESS ? SELFREG_E_TYPELIB : S_OK;
}

}  // namespace com
