#include "host/check/return_files.h"

#include <algorithm>
#include <cctype>
#include <filesystem>

namespace velmora::check {

namespace {
bool IsWorkbookName(const std::filesystem::path& path) {
  std::string ext = path.extension().string();
  std::transform(ext.begin(), ext.end(), ext.begin(),
                 [](unsigned char c) { return std::tolower(c); });
  return ext == ".xlsx";
}
}  // namespace

std::vector<std::string> FindReturns(const std::vector<std::string>& paths) {
  namespace fs = std::filesystem;
  std::vector<std::string> files;
  for (const std::string& path : paths) {
    std::error_code error;
    if (!fs::is_directory(path, error)) {
      files.push_back(path);
      continue;
    }
    for (fs::recursive_directory_iterator
             it(path, fs::directory_options::skip_permission_denied, error),
         end;
         it != end; it.increment(error)) {
      if (error) break;
      if (it->is_regular_file(error) && IsWorkbookName(it->path()))
        files.push_back(it->path().string());
    }
  }
  std::sort(files.begin(), files.end());
  files.erase(std::unique(files.begin(), files.end()), files.end());
  return files;
}

}  // namespace velmora::check
