#include "addin/text/text_file.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "platform/win/path.h"

namespace {

namespace fs = std::filesystem;
using Lines = std::vector<std::string>;

TEST(SplitLines, CrLfLoneCrAndLoneLfEndLines) {
  struct Case {
    std::string text;
    Lines lines;
  };
  const Case cases[] = {
      {"", {}},
      {"a", {"a"}},
      {"a\r\nb\r\n", {"a", "b"}},
      {"a\rb\nc", {"a", "b", "c"}},
      {"a\n\rb", {"a", "", "b"}},  // LF then a lone CR: two line ends
      {"\r\n", {""}},
      {"a\r\n\r\nb", {"a", "", "b"}},
      {"\xD1\xA7\r\n", {"\xD1\xA7"}},
  };
  for (const Case& c : cases) EXPECT_EQ(velmora::SplitLines(c.text), c.lines);
}

TEST(TextFile, SavesWithCrLfAndLoadsBack) {
  std::string pattern = (fs::temp_directory_path() / "velmora-text-file-XXXXXX").string();
  ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
  const std::string dir = win::FromSystemPath(pattern);
  const std::string file = dir + "\\info.txt";  // written the system's way

  const Lines lines = {"2010|12345678|1|211|12345|\xD1\xA7\xD0\xA3|zgbm|dq", ""};
  velmora::SaveLines(file, lines);
  std::ifstream in(fs::path(pattern) / "info.txt", std::ios::binary);
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), lines[0] + "\r\n\r\n");
  EXPECT_EQ(velmora::LoadLines(file), lines);
  velmora::SaveLines(file, {"one"});  // replaced as a whole
  EXPECT_EQ(velmora::LoadLines(file), Lines{"one"});

  EXPECT_THROW(velmora::LoadLines(dir + "\\missing.txt"), velmora::FileError);
  EXPECT_THROW(velmora::SaveLines(dir + "\\no-folder\\x.txt", {"x"}), velmora::FileError);
  fs::remove_all(pattern);
}

}  // namespace
