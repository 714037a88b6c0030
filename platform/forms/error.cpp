#include "error.h"

#include <cerrno>
#include <cstring>

#include "platform/win/code_page.h"

namespace forms {

Error FileOpenError(const std::string& path, int error_number) {
  std::string why = error_number == ENOENT ? "The system cannot find the file specified."
                                           : std::strerror(error_number);
  return Error("Cannot open file \"" + path + "\". " + win::Utf8ToAnsi(why));
}

}  // namespace forms
