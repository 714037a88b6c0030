// A library that links the text rules, as the add-in library does, and tells
// the module directory it sees.
#include <string>

#include "addin/text/module_directory.h"

extern "C" __attribute__((visibility("default"))) const char* velmora_probe_file_path() {
  static std::string path;
  path = velmora::getFilePath();
  return path.c_str();
}
