#include "read_file.h"

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "error.h"
#include "platform/win/path.h"

namespace forms {

std::string ReadWholeFile(std::string_view ansi_path) {
  const std::string path = win::ToSystemPath(ansi_path);
  std::error_code ignored;
  if (std::filesystem::is_directory(path, ignored)) throw FileOpenError(std::string(ansi_path), EISDIR);
  std::ifstream file(path, std::ios::binary);
  if (!file) throw FileOpenError(std::string(ansi_path), errno);
  try {
    return std::string{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
  } catch (const std::ios_base::failure&) {
    throw FileOpenError(std::string(ansi_path), EIO);
  }
}

}  // namespace forms
