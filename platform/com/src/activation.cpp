#include "com/activation.h"

#include <cstdlib>
#include <cstring>
#include <map>
#include <mutex>

#include "com/error_info.h"
#include "com/registry.h"
#include "platform/win/code_page.h"
#include "platform/win/last_error.h"
#include "platform/win/library_loader.h"
#include "platform/win/path.h"

namespace com {

namespace {

thread_local int apartment_inits = 0;

using DllGetClassObjectProc = HRESULT (*)(REFCLSID, REFIID, void**);
using DllCanUnloadNowProc = HRESULT (*)();

struct LoadedServer {
  win::HMODULE module = nullptr;
  DllCanUnloadNowProc can_unload = nullptr;
  DllGetClassObjectProc get_class_object = nullptr;
};

struct Servers {
  std::recursive_mutex mutex;
  std::map<std::string, LoadedServer> by_path;  // GBK path as registered
};

Servers& TheServers() {
  static Servers* servers = new Servers;  // never destroyed: libraries may still run at exit
  return *servers;
}

HRESULT Fail(HRESULT hr, const std::string& utf8) { return ReportError(hr, GUID_NULL, u"COM", win::Utf8ToWide(utf8)); }

}  // namespace

HRESULT CoInitialize(void* reserved) { return CoInitializeEx(reserved, COINIT_APARTMENTTHREADED); }

HRESULT CoInitializeEx(void*, DWORD coinit) {
  if (coinit & ~DWORD{COINIT_APARTMENTTHREADED | 0x4 | 0x8}) return E_INVALIDARG;
  if (!(coinit & COINIT_APARTMENTTHREADED)) return apartment_inits ? RPC_E_CHANGED_MODE : E_NOTIMPL;
  return apartment_inits++ == 0 ? S_OK : S_FALSE;
}

void CoUninitialize() {
  if (apartment_inits == 0) return;
  if (--apartment_inits == 0) CoFreeUnusedLibraries();
}

bool IsApartmentThread() { return apartment_inits > 0; }

void* CoTaskMemAlloc(std::size_t size) { return std::malloc(size ? size : 1); }
void CoTaskMemFree(void* p) { std::free(p); }

HRESULT CLSIDFromProgID(const OLECHAR* progid, CLSID* clsid) {
  if (!progid || !clsid) return E_INVALIDARG;
  *clsid = GUID_NULL;
  std::u16string_view name(progid);
  if (name.empty() || name.find(u'\\') != std::u16string_view::npos) return CO_E_CLASSSTRING;
  std::u16string text;
  HRESULT hr = registry::GetString(registry::Root::ClassesRoot, std::u16string(name) + u"\\Clsid", u"", &text);
  if (hr == REGDB_E_KEYMISSING) return CO_E_CLASSSTRING;
  if (FAILED(hr)) return hr;
  return CLSIDFromString(text.c_str(), clsid) == S_OK ? S_OK : CO_E_CLASSSTRING;
}

HRESULT ProgIDFromCLSID(REFCLSID clsid, OLECHAR** progid) {
  if (!progid) return E_INVALIDARG;
  *progid = nullptr;
  std::u16string text;
  HRESULT hr = registry::GetString(registry::Root::ClassesRoot, u"CLSID\\" + GuidToWide(clsid) + u"\\ProgID", u"", &text);
  if (hr == REGDB_E_KEYMISSING) return REGDB_E_CLASSNOTREG;
  if (FAILED(hr)) return hr;
  auto* out = static_cast<OLECHAR*>(CoTaskMemAlloc((text.size() + 1) * sizeof(OLECHAR)));
  if (!out) return E_OUTOFMEMORY;
  std::memcpy(out, text.c_str(), (text.size() + 1) * sizeof(OLECHAR));
  *progid = out;
  return S_OK;
}

namespace {

// The default value of a key of the classes root when it is a string; null otherwise.
const std::u16string* DefaultText(const registry::Tree& tree, const std::u16string& key_path) {
  const registry::Key* key = tree.classes_root.Find(key_path);
  if (!key) return nullptr;
  auto value = key->values.find(u"");
  return value != key->values.end() && value->second.type == registry::Value::Type::String ? &value->second.text
                                                                                            : nullptr;
}

// The InprocServer32 file of a registered class, as registered (GBK); empty
// when the class has none.
std::string ServerOf(const registry::Tree& tree, REFCLSID clsid) {
  const std::u16string* path = DefaultText(tree, u"CLSID\\" + GuidToWide(clsid) + u"\\InprocServer32");
  return path ? win::WideToAnsi(*path) : std::string();
}

// The class object of clsid from the server at path, loading it on first use.
HRESULT ClassObjectFrom(const std::string& path, REFCLSID clsid, REFIID riid, void** object) {
  if (path.empty()) return Fail(REGDB_E_CLASSNOTREG, "Class " + GuidToString(clsid) + " is not registered");
  Servers& servers = TheServers();
  std::lock_guard lock(servers.mutex);
  auto it = servers.by_path.find(path);
  if (it == servers.by_path.end()) {
    LoadedServer server;
    server.module = win::LoadLibrary(path);
    if (!server.module) {
      unsigned error = win::GetLastError();
      std::string why = win::GetLastErrorText();
      HRESULT code = error == win::ERROR_DLL_INIT_FAILED ? HResultFromWin32(ERROR_DLL_INIT_FAILED)
                                                         : HResultFromWin32(ERROR_MOD_NOT_FOUND);
      return Fail(code, "The server " + win::AnsiToUtf8(path) + " of class " + GuidToString(clsid) +
                            " cannot be loaded" + (why.empty() ? "" : ": " + why));
    }
    server.get_class_object = reinterpret_cast<DllGetClassObjectProc>(win::GetProcAddress(server.module, "DllGetClassObject"));
    server.can_unload = reinterpret_cast<DllCanUnloadNowProc>(win::GetProcAddress(server.module, "DllCanUnloadNow"));
    if (!server.get_class_object) {
      win::FreeLibrary(server.module);
      return Fail(CO_E_ERRORINDLL, "The server " + win::AnsiToUtf8(path) + " has no DllGetClassObject");
    }
    it = servers.by_path.emplace(path, server).first;
  }
  return it->second.get_class_object(clsid, riid, object);
}

HRESULT InstanceFrom(const std::string& path, REFCLSID clsid, IUnknown* outer, REFIID riid, void** object) {
  IClassFactory* factory = nullptr;
  HRESULT hr = ClassObjectFrom(path, clsid, IClassFactory::iid, reinterpret_cast<void**>(&factory));
  if (FAILED(hr)) return hr;
  hr = factory->CreateInstance(outer, riid, object);
  factory->Release();
  return hr;
}

}  // namespace

HRESULT CoGetClassObject(REFCLSID clsid, DWORD context, void*, REFIID riid, void** object) {
  if (!object) return E_INVALIDARG;
  *object = nullptr;
  if (!IsApartmentThread()) return CO_E_NOTINITIALIZED;
  if (!(context & CLSCTX_INPROC_SERVER)) return REGDB_E_CLASSNOTREG;
  std::string path;
  HRESULT hr = registry::View([&](const registry::Tree& tree) {
    path = ServerOf(tree, clsid);
    return S_OK;
  });
  if (FAILED(hr)) return hr;
  return ClassObjectFrom(path, clsid, riid, object);
}

HRESULT CoCreateInstance(REFCLSID clsid, IUnknown* outer, DWORD context, REFIID riid, void** object) {
  if (!object) return E_POINTER;
  *object = nullptr;
  IClassFactory* factory = nullptr;
  HRESULT hr = CoGetClassObject(clsid, context, nullptr, IClassFactory::iid, reinterpret_cast<void**>(&factory));
  if (FAILED(hr)) return hr;
  hr = factory->CreateInstance(outer, riid, object);
  factory->Release();
  return hr;
}

// The name is resolved to its class and the class to its server in one view
// of the registry: creation by name is what scripts do for every object.
HRESULT CreateInstanceByName(std::u16string_view name, REFIID riid, void** object) {
  if (!object) return E_POINTER;
  *object = nullptr;
  const std::u16string text(name);
  CLSID clsid = GUID_NULL;
  std::string path;
  const bool by_progid = text.empty() || text[0] != u'{';
  if (!by_progid && CLSIDFromString(text.c_str(), &clsid) != S_OK) return REGDB_E_CLASSNOTREG;
  const HRESULT hr = registry::View([&](const registry::Tree& tree) {
    if (by_progid) {
      if (text.empty() || text.find(u'\\') != std::u16string::npos) return REGDB_E_CLASSNOTREG;
      const std::u16string* clsid_text = DefaultText(tree, text + u"\\Clsid");
      if (!clsid_text || CLSIDFromString(clsid_text->c_str(), &clsid) != S_OK) return REGDB_E_CLASSNOTREG;
    }
    path = ServerOf(tree, clsid);
    return S_OK;
  });
  if (FAILED(hr)) return hr;
  if (!IsApartmentThread()) return CO_E_NOTINITIALIZED;
  return InstanceFrom(path, clsid, nullptr, riid, object);
}

void CoFreeUnusedLibraries() {
  Servers& servers = TheServers();
  std::lock_guard lock(servers.mutex);
  for (auto it = servers.by_path.begin(); it != servers.by_path.end();) {
    if (it->second.can_unload && it->second.can_unload() == S_OK) {
      win::FreeLibrary(it->second.module);
      it = servers.by_path.erase(it);
    } else {
      ++it;
    }
  }
}

std::size_t LoadedServerCount() {
  Servers& servers = TheServers();
  std::lock_guard lock(servers.mutex);
  return servers.by_path.size();
}

}  // namespace com
