#pragma once
// The system's library loader: load a shared library by file name, look up an
// export, free it. A bare file name that matches a library already loaded
// (by file name or soname) returns that library and raises its load count.
#include <string>

namespace win {

using HMODULE = void*;

// Null when the library cannot be loaded. Paths may use "\" as separator.
HMODULE LoadLibrary(const std::string& file_name);
// Null when the library has no such export.
void* GetProcAddress(HMODULE module, const std::string& export_name);
// Drops one load; true on success.
bool FreeLibrary(HMODULE module);
// Full file name of the library (or executable) that holds the given address,
// never cut at a fixed length. Empty when it cannot be found.
std::string GetModuleFileName(const void* address_in_module);
// Full file name of an already loaded module.
std::string GetModuleFileName(HMODULE module);

}  // namespace win
