#include "excel/preview/temporary_file.h"

#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <stdexcept>
#include <vector>

namespace excel::preview {

TemporaryFile::TemporaryFile(const std::string& suffix) {
  const char* folder = std::getenv("TMPDIR");
  std::string pattern = std::string(folder && *folder ? folder : "/tmp") + "/velmora-XXXXXX" + suffix;
  std::vector<char> name(pattern.begin(), pattern.end());
  name.push_back('\0');
  const int fd = mkstemps(name.data(), static_cast<int>(suffix.size()));
  if (fd < 0) throw std::runtime_error("no temporary file can be made (" + pattern + "): " + std::strerror(errno));
  close(fd);
  path_ = name.data();
}

TemporaryFile::~TemporaryFile() { unlink(path_.c_str()); }

}  // namespace excel::preview
