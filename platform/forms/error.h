#pragma once
// Errors the form library raises: a failure of a platform service (a file
// that cannot be opened, an invalid filter, a field that does not exist). The
// message is a GBK text, ready for a message box.
#include <stdexcept>
#include <string>

namespace forms {

class Error : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// "Cannot open file "<path>". <why>": the platform's text when a file cannot
// be opened. path is GBK; why comes from errno.
Error FileOpenError(const std::string& path, int error_number);

}  // namespace forms
