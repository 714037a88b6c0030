#pragma once
// The system's library loader: load a shared library by file name, look up an
// export, free it. A bare file name that matches a library already loaded
// (by file name or soname) returns that library and raises its load count.
//
// File names are ANSI (GBK) texts; "\" separates folders as "/" does. A bare
// name (no separator) is looked for, in this order, among the libraries
// already in the process, beside the executable, beside this loader, in the
// current folder and finally on the dynamic linker's own search path; a bare
// name without a "." is also tried with ".dll" appended.
//
// Library initialisation: when a library comes into the loader's table (its
// first load, or the first after it was freed completely) and it exports
//   extern "C" int DllMain(void* module, unsigned reason, void* reserved);
// that function is called with DLL_PROCESS_ATTACH. If it returns 0, it is
// called once more with DLL_PROCESS_DETACH, the library is unloaded again and
// LoadLibrary returns null (GetLastError() == ERROR_DLL_INIT_FAILED). Before
// the final FreeLibrary unloads the library, DllMain is called with
// DLL_PROCESS_DETACH. Libraries still loaded when the process exits get no
// detach call. The loader's lock is held during DllMain; DllMain may call the
// loader again from the same thread.
//
// Exports are looked up in the library itself only, never in the libraries it
// depends on (as the platform's export tables do).
#include <string>

namespace win {

using HMODULE = void*;

inline constexpr unsigned DLL_PROCESS_DETACH = 0;
inline constexpr unsigned DLL_PROCESS_ATTACH = 1;
// The entry point a library may export under the name "DllMain".
using DllMainProc = int (*)(HMODULE module, unsigned reason, void* reserved);

// Null when the library cannot be loaded (GetLastError() says why: missing
// library or dependency ERROR_MOD_NOT_FOUND, DllMain refusing ERROR_DLL_INIT_FAILED).
HMODULE LoadLibrary(const std::string& file_name);
// Null when the library has no such export.
void* GetProcAddress(HMODULE module, const std::string& export_name);
// Drops one load; true on success, false for a handle the loader does not hold.
bool FreeLibrary(HMODULE module);
// Full file name (GBK) of the library (or executable) that holds the given
// address, never cut at a fixed length. Empty when it cannot be found.
std::string GetModuleFileName(const void* address_in_module);
// Full file name (GBK) of an already loaded module; the executable's for null.
std::string GetModuleFileName(HMODULE module);

// The library's handle when it is loaded already (same matching as
// LoadLibrary's bare names, or a path), else null. The load count is not raised.
HMODULE GetModuleHandle(const std::string& file_name);
// How many loads of the module FreeLibrary has still to drop; 0 when the
// loader does not hold it (never loaded through it, or freed completely).
int LoadCount(HMODULE module);

}  // namespace win
