#pragma once
// The calling thread's last error, as the platform's services leave it.
#include <string>

namespace win {

inline constexpr unsigned ERROR_SUCCESS = 0;
inline constexpr unsigned ERROR_FILE_NOT_FOUND = 2;
inline constexpr unsigned ERROR_PATH_NOT_FOUND = 3;
inline constexpr unsigned ERROR_ACCESS_DENIED = 5;
inline constexpr unsigned ERROR_INVALID_HANDLE = 6;
inline constexpr unsigned ERROR_FILE_EXISTS = 80;
inline constexpr unsigned ERROR_INVALID_PARAMETER = 87;
inline constexpr unsigned ERROR_MOD_NOT_FOUND = 126;
inline constexpr unsigned ERROR_PROC_NOT_FOUND = 127;
inline constexpr unsigned ERROR_DLL_INIT_FAILED = 1114;

unsigned GetLastError();
void SetLastError(unsigned code);
// A readable description of the last failure of this thread (for example the
// dynamic loader's message); empty after a success. UTF-8.
std::string GetLastErrorText();
void SetLastError(unsigned code, std::string text);

}  // namespace win
