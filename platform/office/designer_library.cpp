// MSADDNDR.DLL: the add-in designer library. It carries the type library
// that defines IDTExtensibility2 (resource "TYPELIB" 1) and registers it, so
// that add-ins whose type libraries import it can be loaded.
#include "com/server.h"
#include "platform/win/code_page.h"
#include "platform/win/library_loader.h"

namespace {

std::u16string OwnPath() { return win::AnsiToWide(com::ThisModulePath(&OwnPath)); }

}  // namespace

VELCOM_EXPORT com::HRESULT DllRegisterServer() {
  std::u16string path = OwnPath();
  com::ComPtr<com::ITypeLib> library;
  com::HRESULT hr = com::LoadTypeLib(path.c_str(), library.Put());
  if (com::FAILED(hr)) return hr;
  return com::RegisterTypeLib(library.Get(), path.c_str(), nullptr);
}

VELCOM_EXPORT com::HRESULT DllUnregisterServer() {
  com::ComPtr<com::ITypeLib> library;
  std::u16string path = OwnPath();
  com::HRESULT hr = com::LoadTypeLib(path.c_str(), library.Put());
  if (com::FAILED(hr)) return hr;
  com::TLIBATTR* attr = nullptr;
  hr = library->GetLibAttr(&attr);
  if (com::FAILED(hr)) return hr;
  com::TLIBATTR copy = *attr;
  library->ReleaseTLibAttr(attr);
  hr = com::UnRegisterTypeLib(copy.guid, copy.wMajorVerNum, copy.wMinorVerNum, copy.lcid, copy.syskind);
  return com::SUCCEEDED(hr) ? com::S_OK : hr;
}

VELCOM_EXPORT com::HRESULT DllCanUnloadNow() { return com::S_OK; }
