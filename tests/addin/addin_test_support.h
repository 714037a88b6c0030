#pragma once
// What the add-in tests share: a registry of their own, the add-in designer
// library registered in it, the spreadsheet's application with the Office
// command bars, and the paths of the built libraries.
#include <cstdlib>
#include <filesystem>
#include <string>

#include "excel/com/excel.h"
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

// The spreadsheet's application with the Office command bars attached, as
// the host makes it.
inline com::ComPtr<excel::_Application> NewApplication(office::CommandBarsHost& bars) {
  auto app = excel::CreateApplication();
  excel::SetCommandBars(app.Get(), bars.Bars().Get());
  return app;
}

}  // namespace addin_test
