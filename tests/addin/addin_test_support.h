#pragma once
// What the add-in tests share: a registry of their own, the add-in designer
// library registered in it, a stand-in application that offers the Office
// command bars, and the paths of the built libraries.
#include <cstdlib>
#include <filesystem>
#include <string>

#include "com/dispatch.h"
#include "com/object.h"
#include "office/command_bars.h"
#include "platform/win/library_loader.h"

namespace addin_test {

// A library of the build (bin folder).
inline std::string BinPath(const std::string& file_name) {
  const char* bin = std::getenv("VELMORA_BIN_DIR");
  return std::string(bin ? bin : ".") + "/" + file_name;
}

// Points VELMORA_REGISTRY at a fresh file of this test's own.
inline std::string UseFreshRegistry() {
  char pattern[] = "/tmp/velmora-addin-test-XXXXXX";
  std::string dir = mkdtemp(pattern);
  std::string file = dir + "/registry.xml";
  setenv("VELMORA_REGISTRY", file.c_str(), 1);
  return file;
}

// Calls an export of the server library at path (DllRegisterServer, ...).
inline com::HRESULT CallServerExport(const std::string& path, const char* name) {
  win::HMODULE library = win::LoadLibrary(path);
  if (!library) return com::E_FAIL;
  auto proc = reinterpret_cast<com::HRESULT (*)()>(win::GetProcAddress(library, name));
  com::HRESULT hr = proc ? proc() : com::E_FAIL;
  win::FreeLibrary(library);
  return hr;
}

inline com::HRESULT RegisterDesignerLibrary() { return CallServerExport(BinPath("MSADDNDR.DLL"), "DllRegisterServer"); }

// The unit-test seam for the spreadsheet's Application: late-bound
// CommandBars only, answered from a CommandBarsHost.
class FakeApplication final : public com::Object<com::IDispatch> {
 public:
  explicit FakeApplication(office::CommandBarsHost& bars) : bars_(bars) {}
  com::HRESULT GetTypeInfoCount(unsigned* n) override { return *n = 0, com::S_OK; }
  com::HRESULT GetTypeInfo(unsigned, com::LCID, com::ITypeInfo**) override { return com::E_NOTIMPL; }
  com::HRESULT GetIDsOfNames(const com::IID&, com::OLECHAR** names, unsigned, com::LCID, com::DISPID* ids) override {
    if (std::u16string_view(names[0]) != u"CommandBars") return com::DISP_E_UNKNOWNNAME;
    ids[0] = kCommandBars;
    return com::S_OK;
  }
  com::HRESULT Invoke(com::DISPID id, const com::IID&, com::LCID, com::WORD, com::DISPPARAMS*, com::VARIANT* result,
                      com::EXCEPINFO*, unsigned*) override {
    if (id != kCommandBars || !result) return com::DISP_E_MEMBERNOTFOUND;
    com::Variant bars(static_cast<com::IDispatch*>(bars_.Bars().Get()));
    *result = bars.Detach();
    return com::S_OK;
  }

 private:
  static constexpr com::DISPID kCommandBars = 0x5A0;
  office::CommandBarsHost& bars_;
};

}  // namespace addin_test
