#pragma once
// The velmora command line run as a user runs it, against a registry file of
// the test's own: its exit status and everything it printed.
#include <sys/wait.h>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace velmora::testing {

struct CliOutcome {
  int status = -1;
  std::string out;  // stdout and stderr
};

// The velmora beside the shipped files (VELMORA_BIN_DIR).
inline std::string VelmoraPath() {
  const char* bin = std::getenv("VELMORA_BIN_DIR");
  return std::string(bin ? bin : VELMORA_TEST_BIN_DIR) + "/velmora";
}

inline CliOutcome RunVelmora(const std::string& registry, const std::string& arguments) {
  const std::string command =
      "VELMORA_REGISTRY='" + registry + "' '" + VelmoraPath() + "' " + arguments + " 2>&1";
  CliOutcome run;
  FILE* pipe = popen(command.c_str(), "r");
  if (!pipe) return run;
  std::array<char, 4096> buffer;
  while (std::size_t n = fread(buffer.data(), 1, buffer.size(), pipe))
    run.out.append(buffer.data(), n);
  const int status = pclose(pipe);
  run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return run;
}

}  // namespace velmora::testing
