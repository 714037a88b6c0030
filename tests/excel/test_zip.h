#pragma once
// Test helpers: build and take apart zip packages by hand.
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace testzip {
using Parts = std::vector<std::pair<std::string, std::string>>;
std::string Pack(const Parts& parts, bool store = false);
Parts Unpack(const std::string& bytes);
std::string Get(const Parts& parts, const std::string& name);
void Put(Parts& parts, const std::string& name, const std::string& bytes);
std::string ReadFile(const std::string& path);
void WriteFile(const std::string& path, const std::string& bytes);
std::string TempDir();
}  // namespace testzip
