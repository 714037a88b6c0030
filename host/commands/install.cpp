// velmora install [--uninstall]: registers the system's in-process servers
// (each library of kServers, from the folder of the velmora executable) and
// lists the add-in for the spreadsheet host. Grows as servers are built.
#include <iostream>

#include "../command_registry.h"
#include "com/activation.h"
#include "com/hresult.h"
#include "com/registry.h"
#include "com/server.h"
#include "platform/win/code_page.h"
#include "platform/win/last_error.h"
#include "platform/win/library_loader.h"
#include "platform/win/path.h"

namespace velmora::cli {
namespace {

// The in-process servers that ship beside velmora, registered in this order
// (and unregistered in the reverse order). The add-in designer library comes
// before velmora.dll, whose type library imports it (velmora.dll cannot even
// initialise without it).
const char* const kServers[] = {"MSADDNDR.DLL", "velmadd.dll", "velscript.dll", "velmora.dll"};

// The add-in as the spreadsheet host lists it: loaded at start-up.
constexpr const char16_t* kAddInKey = u"Software\\Microsoft\\Office\\Excel\\Addins\\Velmora.MyOutLookAddIn";

bool ListAddIn(bool unlist) {
  using com::registry::Root;
  com::HRESULT hr = unlist ? com::registry::DeleteTree(Root::CurrentUser, kAddInKey)
                           : com::registry::Modify([](com::registry::Tree& tree) {
                               auto& key = tree.current_user.Create(kAddInKey);
                               key.values[u"FriendlyName"] = {com::registry::Value::Type::String, u"Velmora", 0};
                               key.values[u"Description"] = {com::registry::Value::Type::String, u"MyOutLookAddIn", 0};
                               key.values[u"LoadBehavior"] = {com::registry::Value::Type::Dword, u"", 3};
                               return com::S_OK;
                             });
  if (com::FAILED(hr)) {
    std::cerr << "velmora install: the add-in Velmora.MyOutLookAddIn cannot be " << (unlist ? "unlisted" : "listed")
              << ": " << com::HResultHex(hr) << " " << com::HResultMessage(hr) << "\n";
    return false;
  }
  std::cout << (unlist ? "Unlisted" : "Listed") << " the spreadsheet add-in Velmora.MyOutLookAddIn"
            << (unlist ? "\n" : " (loads at start-up)\n");
  return true;
}

// Calls DllRegisterServer or DllUnregisterServer of the library; true on success.
bool CallServer(const std::string& ansi_path, bool unregister) {
  const char* export_name = unregister ? "DllUnregisterServer" : "DllRegisterServer";
  const std::string shown = win::AnsiToUtf8(ansi_path);
  win::HMODULE module = win::LoadLibrary(ansi_path);
  if (!module) {
    std::cerr << "velmora install: " << shown << " cannot be loaded: " << win::GetLastErrorText() << "\n";
    return false;
  }
  auto entry = reinterpret_cast<com::DllRegisterServerProc>(win::GetProcAddress(module, export_name));
  com::HRESULT hr = entry ? entry() : com::E_NOTIMPL;
  win::FreeLibrary(module);
  if (com::FAILED(hr)) {
    std::cerr << "velmora install: " << export_name << " of " << shown << " failed: " << com::HResultHex(hr) << " "
              << com::HResultMessage(hr) << "\n";
    return false;
  }
  std::cout << (unregister ? "Unregistered " : "Registered ") << shown << "\n";
  return true;
}

int Install(bool uninstall) {
  const std::string folder = win::ExtractFilePath(win::GetModuleFileName(win::HMODULE{nullptr}));
  com::CoInitialize(nullptr);
  bool ok = true;
  if (uninstall) ok = ListAddIn(true) && ok;
  const std::size_t n = std::size(kServers);
  for (std::size_t i = 0; i < n; ++i) {
    const char* name = kServers[uninstall ? n - 1 - i : i];
    ok = CallServer(win::PathJoin(folder, name), uninstall) && ok;
  }
  if (!uninstall) ok = ListAddIn(false) && ok;
  com::CoUninitialize();
  return ok ? 0 : 1;
}

const Registration install{"install", [](CLI::App& app) {
  auto* cmd = app.add_subcommand("install", "Register the system's servers and the add-in");
  static bool uninstall = false;
  cmd->add_flag("--uninstall", uninstall, "Remove every registration made by install");
  cmd->callback([] { SetExitStatus(Install(uninstall)); });
}};

}  // namespace
}  // namespace velmora::cli
