// Loading type libraries from library files and through the registry, and
// their registration.
#include <cstdio>
#include <fstream>
#include <iterator>

#include "com/registry.h"
#include "com/resource.h"
#include "platform/win/code_page.h"
#include "platform/win/library_loader.h"
#include "platform/win/path.h"
#include "type_lib_impl.h"

namespace com {

namespace {

std::u16string Hex(unsigned v) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "%x", v);
  return std::u16string(buf, buf + std::char_traits<char>::length(buf));
}

std::u16string VersionText(WORD major, WORD minor) { return Hex(major) + u"." + Hex(minor); }

// A bare file name: a loaded library of that name, or a file beside the executable.
std::string Locate(const std::string& ansi) {
  for (char c : ansi)
    if (win::IsPathSeparator(c)) return ansi;
  if (win::FileExists(ansi)) return ansi;
  if (win::HMODULE m = win::GetModuleHandle(ansi)) return win::GetModuleFileName(m);
  std::string beside = win::PathJoin(win::ExtractFilePath(win::GetModuleFileName(win::HMODULE{nullptr})), ansi);
  return beside;
}

}  // namespace

HRESULT LoadTypeLibFromMemory(const void* data, std::size_t size, ITypeLib** lib) {
  if (!lib) return E_POINTER;
  *lib = nullptr;
  if (!data && size) return E_POINTER;
  tlb::Library contents;
  HRESULT hr = tlb::Deserialize(static_cast<const std::uint8_t*>(data), size, &contents);
  if (FAILED(hr)) return hr;
  auto* impl = new (std::nothrow) TypeLibImpl(std::move(contents));
  if (!impl) return E_OUTOFMEMORY;
  impl->AddRef();
  *lib = impl;
  return S_OK;
}

HRESULT LoadTypeLibFromFile(const std::string& ansi_path, ITypeLib** lib) {
  if (!lib) return E_POINTER;
  *lib = nullptr;
  if (ansi_path.empty()) return E_INVALIDARG;
  std::string path = Locate(ansi_path);
  std::vector<std::uint8_t> bytes;
  HRESULT hr = LoadLibraryResource(path, "TYPELIB", 1, &bytes);
  if (hr == TYPE_E_UNSUPFORMAT) {
    // Not a shared library: perhaps a compiled type library file itself.
    std::ifstream f(win::ToSystemPath(path), std::ios::binary);
    bytes.assign(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
    if (bytes.size() >= 4 && std::equal(tlb::kMagic, tlb::kMagic + 4, bytes.begin())) return LoadTypeLibFromMemory(bytes.data(), bytes.size(), lib);
    return TYPE_E_CANTLOADLIBRARY;
  }
  if (FAILED(hr)) return TYPE_E_CANTLOADLIBRARY;
  return LoadTypeLibFromMemory(bytes.data(), bytes.size(), lib);
}

HRESULT LoadTypeLib(const OLECHAR* file, ITypeLib** lib) { return LoadTypeLibEx(file, REGKIND_NONE, lib); }

HRESULT LoadTypeLibEx(const OLECHAR* file, REGKIND kind, ITypeLib** lib) {
  if (!file || !lib) return E_POINTER;
  std::string path = win::WideToAnsi(file);
  HRESULT hr = LoadTypeLibFromFile(path, lib);
  if (SUCCEEDED(hr) && kind == REGKIND_REGISTER) {
    std::u16string full = win::AnsiToWide(Locate(path));
    hr = RegisterTypeLib(*lib, full.c_str(), nullptr);
    if (FAILED(hr)) {
      (*lib)->Release();
      *lib = nullptr;
    }
  }
  return hr;
}

HRESULT LoadRegTypeLib(REFGUID libid, WORD major, WORD minor, LCID lcid, ITypeLib** lib) {
  if (!lib) return E_POINTER;
  *lib = nullptr;
  registry::Tree tree;
  HRESULT hr = registry::Read(&tree);
  if (FAILED(hr)) return TYPE_E_REGISTRYACCESS;
  const registry::Key* key = tree.classes_root.Find(u"TypeLib\\" + GuidToWide(libid));
  if (!key) return TYPE_E_LIBNOTREGISTERED;
  // The registered version with this major number and the highest minor >= minor.
  const registry::Key* best = nullptr;
  unsigned best_minor = 0;
  for (const auto& [name, sub] : key->subkeys) {
    std::string v = win::WideToUtf8(name);
    unsigned ma = 0, mi = 0;
    char tail = 0;
    if (std::sscanf(v.c_str(), "%x.%x%c", &ma, &mi, &tail) != 2) continue;
    if (ma != major || mi < minor) continue;
    if (!best || mi > best_minor) best = sub.get(), best_minor = mi;
  }
  if (!best) return TYPE_E_LIBNOTREGISTERED;
  const registry::Key* locale = nullptr;
  for (LCID l : {lcid, static_cast<LCID>(lcid & 0x3FF), static_cast<LCID>(0)}) {
    if ((locale = best->Find(Hex(l) + u"\\win32"))) break;
  }
  if (!locale) {
    // Any locale will do rather than none.
    for (const auto& [name, sub] : best->subkeys)
      if ((locale = sub->Find(u"win32"))) break;
  }
  if (!locale) return TYPE_E_LIBNOTREGISTERED;
  auto it = locale->values.find(u"");
  if (it == locale->values.end() || it->second.text.empty()) return TYPE_E_LIBNOTREGISTERED;
  return LoadTypeLibFromFile(win::WideToAnsi(it->second.text), lib);
}

HRESULT RegisterTypeLib(ITypeLib* lib, const OLECHAR* full_path, const OLECHAR* help_dir) {
  if (!lib || !full_path) return E_INVALIDARG;
  TLIBATTR* attr = nullptr;
  HRESULT hr = lib->GetLibAttr(&attr);
  if (FAILED(hr)) return hr;
  TLIBATTR a = *attr;
  lib->ReleaseTLibAttr(attr);
  Bstr name, doc;
  lib->GetDocumentation(-1, name.Put(), doc.Put(), nullptr, nullptr);
  std::u16string path = full_path;
  std::u16string dir = help_dir ? std::u16string(help_dir)
                                : win::AnsiToWide(win::ExtractFilePath(win::WideToAnsi(path)));
  // Strip the separator a folder ends with, as the platform writes HELPDIR.
  while (dir.size() > 1 && (dir.back() == u'\\' || dir.back() == u'/')) dir.pop_back();

  struct InterfaceEntry {
    std::u16string name;
    GUID iid;
  };
  std::vector<InterfaceEntry> interfaces;
  for (unsigned i = 0, n = lib->GetTypeInfoCount(); i < n; ++i) {
    TYPEKIND kind;
    if (FAILED(lib->GetTypeInfoType(i, &kind)) || (kind != TKIND_INTERFACE && kind != TKIND_DISPATCH)) continue;
    ComPtr<ITypeInfo> info;
    if (FAILED(lib->GetTypeInfo(i, info.Put()))) continue;
    TYPEATTR* ta = nullptr;
    if (FAILED(info->GetTypeAttr(&ta))) continue;
    bool automation = kind == TKIND_DISPATCH || (ta->wTypeFlags & (TYPEFLAG_FDUAL | TYPEFLAG_FOLEAUTOMATION));
    GUID iid = ta->guid;
    info->ReleaseTypeAttr(ta);
    if (!automation) continue;
    Bstr iname;
    info->GetDocumentation(MEMBERID_NIL, iname.Put(), nullptr, nullptr, nullptr);
    interfaces.push_back({iname.ToWide(), iid});
  }

  const std::u16string libid = GuidToWide(a.guid);
  const std::u16string version = VersionText(a.wMajorVerNum, a.wMinorVerNum);
  return registry::Modify([&](registry::Tree& tree) {
    auto set = [](registry::Key& key, std::u16string_view value_name, std::u16string_view text) {
      registry::Value v;
      v.text = std::u16string(text);
      key.values[std::u16string(value_name)] = v;
    };
    registry::Key& ver = tree.classes_root.Create(u"TypeLib\\" + libid + u"\\" + version);
    set(ver, u"", doc.Empty() ? name.View() : doc.View());
    set(ver.Create(Hex(a.lcid) + u"\\win32"), u"", path);
    set(ver.Create(u"FLAGS"), u"", Hex(a.wLibFlags));
    set(ver.Create(u"HELPDIR"), u"", dir);
    for (const auto& itf : interfaces) {
      registry::Key& k = tree.classes_root.Create(u"Interface\\" + GuidToWide(itf.iid));
      set(k, u"", itf.name);
      set(k.Create(u"ProxyStubClsid"), u"", GuidToWide(CLSID_PSOAInterface));
      set(k.Create(u"ProxyStubClsid32"), u"", GuidToWide(CLSID_PSOAInterface));
      registry::Key& tl = k.Create(u"TypeLib");
      set(tl, u"", libid);
      set(tl, u"Version", version);
    }
    return S_OK;
  });
}

HRESULT UnRegisterTypeLib(REFGUID libid, WORD major, WORD minor, LCID lcid, SYSKIND) {
  const std::u16string libkey = u"TypeLib\\" + GuidToWide(libid);
  const std::u16string verkey = libkey + u"\\" + VersionText(major, minor);
  // The interface keys of this library version, read from the library the
  // registration points at; when it cannot be loaded, those whose TypeLib
  // key names this LIBID and version.
  return registry::Modify([&](registry::Tree& tree) {
    registry::Key* ver = tree.classes_root.Find(verkey);
    if (!ver) return TYPE_E_REGISTRYACCESS;
    const std::u16string libid_text = GuidToWide(libid);
    const std::u16string version = VersionText(major, minor);
    std::vector<std::u16string> doomed;
    if (registry::Key* interfaces = tree.classes_root.Find(u"Interface")) {
      for (const auto& [iid, key] : interfaces->subkeys) {
        const registry::Key* tl = key->Find(u"TypeLib");
        if (!tl) continue;
        auto d = tl->values.find(u"");
        auto v = tl->values.find(u"Version");
        if (d == tl->values.end() || registry::NoCaseLess()(d->second.text, libid_text) ||
            registry::NoCaseLess()(libid_text, d->second.text))
          continue;
        if (v != tl->values.end() && v->second.text != version) continue;
        doomed.push_back(key->name);
      }
    }
    for (const auto& iid : doomed) tree.classes_root.DeleteTree(u"Interface\\" + iid);
    // The locale's key, then the version key when no other locale is left in it.
    ver->DeleteTree(Hex(lcid));
    bool other_locale = false;
    for (const auto& [name, sub] : ver->subkeys)
      if (name != u"FLAGS" && name != u"HELPDIR") other_locale = true;
    if (!other_locale) tree.classes_root.DeleteTree(verkey);
    return S_OK;
  });
}

}  // namespace com
