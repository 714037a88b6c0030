// velmora install [--uninstall]: registers the system's in-process servers and
// lists the add-in for the spreadsheet host. Grows as servers are built.
#include <iostream>

#include "../command_registry.h"

namespace velmora::cli {
namespace {

const Registration install{"install", [](CLI::App& app) {
  auto* cmd = app.add_subcommand("install", "Register the system's servers and the add-in");
  static bool uninstall = false;
  cmd->add_flag("--uninstall", uninstall, "Remove every registration made by install");
  cmd->callback([] {
    std::cout << (uninstall ? "Nothing to unregister yet.\n" : "Nothing to register yet.\n");
    SetExitStatus(0);
  });
}};

}  // namespace
}  // namespace velmora::cli
