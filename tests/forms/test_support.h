#pragma once
// Helpers of the form library's tests.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <string_view>

#include "platform/win/code_page.h"

namespace forms::testing {

// A GBK text from a UTF-8 literal.
inline std::string G(std::string_view utf8) { return win::Utf8ToAnsi(utf8); }
// A UTF-8 text from a GBK one.
inline std::string U(std::string_view gbk) { return win::AnsiToUtf8(gbk); }

// A fresh folder, removed with its contents at the end of the test.
class TempDir {
 public:
  TempDir() {
    std::random_device random;
    path_ = std::filesystem::temp_directory_path() / ("velmora-forms-" + std::to_string(random()));
    std::filesystem::create_directories(path_);
  }
  ~TempDir() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  // Writes the bytes into the file and returns its path.
  std::string Write(const std::string& name, std::string_view bytes) const {
    std::string file = (path_ / name).string();
    std::ofstream(file, std::ios::binary) << bytes;
    return file;
  }
  std::string Path(const std::string& name) const { return (path_ / name).string(); }

 private:
  std::filesystem::path path_;
};

}  // namespace forms::testing
