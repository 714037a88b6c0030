#pragma once
// The system's text files (school list, lock lists, rule and position files,
// "info.txt"): GBK bytes, lines ended by CR LF, a lone CR or a lone LF.
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace velmora {

// A text file that cannot be opened, read or written. The message names the
// file (GBK).
class FileError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The lines of a text; a line end at the very end adds no empty line.
std::vector<std::string> SplitLines(std::string_view text);

// The lines of the file (GBK path, "\" or "/" as separator). Throws FileError.
std::vector<std::string> LoadLines(std::string_view ansi_path);

// Writes each line followed by CR LF, replacing the file as a whole (never a
// half-written file). Throws FileError.
void SaveLines(std::string_view ansi_path, const std::vector<std::string>& lines);

}  // namespace velmora
