#include "last_error.h"

#include <utility>

namespace win {
namespace {
thread_local unsigned last_error = ERROR_SUCCESS;
thread_local std::string last_error_text;
}  // namespace

unsigned GetLastError() { return last_error; }
void SetLastError(unsigned code) { SetLastError(code, {}); }
std::string GetLastErrorText() { return last_error_text; }
void SetLastError(unsigned code, std::string text) {
  last_error = code;
  last_error_text = std::move(text);
}

}  // namespace win
