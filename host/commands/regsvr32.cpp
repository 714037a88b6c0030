// velmora regsvr32 [-u] LIBRARY: registers (or with -u unregisters) an
// in-process server of this system by calling its DllRegisterServer
// (DllUnregisterServer) export, and reports the result in words.
#include <iostream>

#include "../command_registry.h"
#include "com/activation.h"
#include "com/error_info.h"
#include "com/hresult.h"
#include "com/server.h"
#include "platform/win/code_page.h"
#include "platform/win/last_error.h"
#include "platform/win/library_loader.h"

namespace velmora::cli {
namespace {

int Regsvr32(const std::string& library, bool unregister) {
  const std::string export_name = unregister ? "DllUnregisterServer" : "DllRegisterServer";
  com::CoInitialize(nullptr);
  win::HMODULE module = win::LoadLibrary(win::Utf8ToAnsi(library));
  if (!module) {
    std::cerr << "The module \"" << library << "\" failed to load.";
    std::string why = win::GetLastErrorText();
    if (!why.empty()) std::cerr << " " << why;
    std::cerr << "\n";
    com::CoUninitialize();
    return 3;
  }
  auto entry = reinterpret_cast<com::DllRegisterServerProc>(win::GetProcAddress(module, export_name));
  int status = 0;
  if (!entry) {
    std::cerr << "The module \"" << library << "\" was loaded but the entry-point " << export_name
              << " was not found.\n";
    status = 4;
  } else {
    com::HRESULT hr = entry();
    if (com::SUCCEEDED(hr)) {
      std::cout << export_name << " in " << library << " succeeded.\n";
    } else {
      std::cerr << "The module \"" << library << "\" was loaded but the call to " << export_name
                << " failed with error code " << com::HResultHex(hr) << ": " << com::HResultMessage(hr) << "\n";
      // What the server left as error information (for example a damaged registry file).
      std::u16string detail = com::ComError::FromLastCall(hr).Description();
      if (!detail.empty()) std::cerr << win::WideToUtf8(detail) << "\n";
      status = 5;
    }
  }
  win::FreeLibrary(module);
  com::CoUninitialize();
  return status;
}

const Registration regsvr32{"regsvr32", [](CLI::App& app) {
  auto* cmd = app.add_subcommand("regsvr32", "Register or unregister an in-process server library");
  static bool unregister = false;
  static std::string library;
  cmd->add_flag("-u,--unregister", unregister, "Unregister instead of registering");
  cmd->add_option("LIBRARY", library, "The server library, for example velmadd.dll")->required();
  cmd->callback([] { SetExitStatus(Regsvr32(library, unregister)); });
}};

}  // namespace
}  // namespace velmora::cli
