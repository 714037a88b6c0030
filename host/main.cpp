// The velmora command line: the user's hands on the system.
#include <CLI/CLI.hpp>
#include <algorithm>
#include <iostream>

#include "command_registry.h"

namespace velmora::cli {

std::vector<RegisteredCommand>& Commands() {
  static std::vector<RegisteredCommand> commands;
  return commands;
}

Registration::Registration(std::string name, CommandSetup setup) {
  Commands().push_back({std::move(name), std::move(setup)});
}

namespace {
int exit_status = 0;
}
void SetExitStatus(int status) { exit_status = status; }
int ExitStatus() { return exit_status; }

}  // namespace velmora::cli

int main(int argc, char** argv) {
  using namespace velmora::cli;
  CLI::App app{"Velmora: fill in and check the 2010 school-funding statistical return"};
  app.set_version_flag("--version", std::string("velmora " VELMORA_VERSION));
  app.require_subcommand(1);
  auto& commands = Commands();
  std::sort(commands.begin(), commands.end(),
            [](const auto& a, const auto& b) { return a.name < b.name; });
  for (auto& command : commands) command.setup(app);
  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& e) {
    return app.exit(e);
  } catch (const std::exception& e) {
    std::cerr << "velmora: " << e.what() << "\n";
    return 2;
  }
  return ExitStatus();
}
