#include "text_file.h"

#include "platform/win/path.h"

namespace velmora {

std::vector<std::string> SplitLines(std::string_view text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  for (std::size_t pos = 0; pos < text.size(); ++pos) {
    if (text[pos] != '\r' && text[pos] != '\n') continue;
    lines.emplace_back(text.substr(start, pos - start));
    if (text[pos] == '\r' && pos + 1 < text.size() && text[pos + 1] == '\n') ++pos;
    start = pos + 1;
  }
  if (start < text.size()) lines.emplace_back(text.substr(start));
  return lines;
}

std::vector<std::string> LoadLines(std::string_view ansi_path) {
  std::string content;
  if (!win::ReadFile(ansi_path, content))
    throw FileError("Cannot open file \"" + std::string(ansi_path) + "\"");
  return SplitLines(content);
}

void SaveLines(std::string_view ansi_path, const std::vector<std::string>& lines) {
  std::string content;
  for (const std::string& line : lines) content += line + "\r\n";
  if (!win::WriteFile(ansi_path, content))
    throw FileError("Cannot create file \"" + std::string(ansi_path) + "\"");
}

}  // namespace velmora
