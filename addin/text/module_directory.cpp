#include "module_directory.h"

#include "platform/win/library_loader.h"

namespace velmora {
namespace {

// An address inside whichever library this file is linked into. It has
// internal linkage, so no other module's copy can stand in for it.
const char kAnchor = 0;

}  // namespace

std::string getFilePath() {
  const std::string module = win::GetModuleFileName(static_cast<const void*>(&kAnchor));
  // The file system's separator only: on this system ":" is a character of
  // file names, not a drive's mark, and "/" is never the second byte of a
  // double-byte character.
  const std::size_t slash = module.rfind('/');
  return slash == std::string::npos ? std::string() : module.substr(0, slash + 1);
}

std::string getXmlPath() { return getFilePath(); }

}  // namespace velmora
