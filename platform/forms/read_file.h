#pragma once
// Reads a whole file the library needs (an icon, an XML file).
#include <string>
#include <string_view>

namespace forms {

// The bytes of the file at the GBK path ("\" or "/" separate folders). A
// missing, unreadable or folder path raises "Cannot open file ...".
std::string ReadWholeFile(std::string_view ansi_path);

}  // namespace forms
