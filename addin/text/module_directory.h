#pragma once
// The module directory: the folder of the library that holds this code (the
// add-in library, never the host executable), in which every data file of
// the system is looked up. A GBK text ending with "/", so callers append a
// file name directly; the whole path, however long.
#include <string>

namespace velmora {

std::string getFilePath();
// The same folder, under the name the dialogs use for their XML files.
std::string getXmlPath();

}  // namespace velmora
