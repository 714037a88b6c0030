#pragma once
// The velmora command line run as a user runs it, against a registry file of
// the test's own: its exit status and everything it printed.
#include <cstdlib>
#include <string>

#include "tests/support/run_command.h"

namespace velmora::testing {

using CliOutcome = CommandOutcome;

// The velmora beside the shipped files (VELMORA_BIN_DIR).
inline std::string VelmoraPath() {
  const char* bin = std::getenv("VELMORA_BIN_DIR");
  return std::string(bin ? bin : VELMORA_TEST_BIN_DIR) + "/velmora";
}

inline CliOutcome RunVelmora(const std::string& registry, const std::string& arguments) {
  return RunCommand("VELMORA_REGISTRY='" + registry + "' '" + VelmoraPath() + "' " + arguments);
}

}  // namespace velmora::testing
