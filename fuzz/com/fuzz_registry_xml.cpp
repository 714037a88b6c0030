// Registry files from outside: reading gives a registry or ERROR_BADDB, and a
// registry that reads writes back to the same registry.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "com/registry.h"

using namespace com::registry;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  Tree tree;
  std::string error;
  std::string_view text(reinterpret_cast<const char*>(data), size);
  if (com::FAILED(FromXml(text, &tree, &error))) return 0;
  Tree back;
  if (com::FAILED(FromXml(ToXml(tree), &back, &error)) || !(back == tree)) std::abort();
  return 0;
}
