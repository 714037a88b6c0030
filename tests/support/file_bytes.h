#pragma once
// A file's bytes as they are on disk; empty when it cannot be read.
#include <fstream>
#include <sstream>
#include <string>

namespace velmora::testing {

inline std::string FileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

}  // namespace velmora::testing
