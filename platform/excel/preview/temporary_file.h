#pragma once
// A file of its own in the temporary folder ($TMPDIR, else /tmp), removed
// when the object goes.
#include <string>

namespace excel::preview {

class TemporaryFile {
 public:
  // Creates the file (empty), its name ending with suffix; throws
  // std::runtime_error when it cannot.
  explicit TemporaryFile(const std::string& suffix);
  ~TemporaryFile();
  TemporaryFile(const TemporaryFile&) = delete;
  TemporaryFile& operator=(const TemporaryFile&) = delete;

  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

}  // namespace excel::preview
