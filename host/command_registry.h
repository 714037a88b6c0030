#pragma once
// Every sub-command of the velmora command line lives in its own file under
// host/commands/ and registers itself here with a static Registration.
#include <CLI/CLI.hpp>
#include <functional>
#include <string>
#include <vector>

namespace velmora::cli {

// Adds the sub-command to the application. The callback it installs returns
// the process exit status through SetExitStatus.
using CommandSetup = std::function<void(CLI::App& app)>;

struct Registration {
  Registration(std::string name, CommandSetup setup);
};

struct RegisteredCommand {
  std::string name;
  CommandSetup setup;
};
std::vector<RegisteredCommand>& Commands();

void SetExitStatus(int status);
int ExitStatus();

}  // namespace velmora::cli
