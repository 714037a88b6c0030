#pragma once
// A shell command run as a user runs it from a terminal: its exit status and
// everything it printed (stdout and stderr together).
//
//   const CommandOutcome run = RunCommand(bin + "/velmora validate return.xlsx");
//   EXPECT_EQ(run.status, 0) << run.out;
#include <sys/wait.h>

#include <array>
#include <cstdio>
#include <string>

namespace velmora::testing {

struct CommandOutcome {
  int status = -1;  // -1 when the command could not be started or did not exit
  std::string out;
};

inline CommandOutcome RunCommand(const std::string& command) {
  CommandOutcome run;
  FILE* pipe = popen((command + " 2>&1").c_str(), "r");
  if (!pipe) return run;
  std::array<char, 4096> buffer;
  while (std::size_t n = fread(buffer.data(), 1, buffer.size(), pipe)) run.out.append(buffer.data(), n);
  const int status = pclose(pipe);
  run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return run;
}

}  // namespace velmora::testing
