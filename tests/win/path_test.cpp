#include "platform/win/path.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>

#include "platform/win/last_error.h"

namespace {

namespace fs = std::filesystem;

const std::string kBackslashTrail = "\x81\x5C";  // 乗: its second byte is the code of "\"
const std::string kCeshi = "\xB2\xE2\xCA\xD4";   // 测试

TEST(Path, BackslashesAreSeparatorsButNeverSecondBytes) {
  struct Case {
    std::string ansi;
    std::string system;
  };
  const Case cases[] = {
      {"zbjs_xml\\J1_1.xml", "zbjs_xml/J1_1.xml"},
      {"/opt/velmora/bin/zbjs_xml\\J2_3.xml", "/opt/velmora/bin/zbjs_xml/J2_3.xml"},
      {"a/b\\c", "a/b/c"},
      {kBackslashTrail + "\\x", "乗/x"},
      {kCeshi + "\\" + kCeshi + ".xls", "测试/测试.xls"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(win::ToSystemPath(c.ansi), c.system) << c.system;
  }
  EXPECT_EQ(win::FromSystemPath("/tmp/测试/基表1.xls"), "/tmp/" + kCeshi +
                                                            "/\xBB\xF9\xB1\xED"
                                                            "1.xls");
}

TEST(Path, DirectoryAndFileNameParts) {
  struct Case {
    std::string path;
    std::string dir;
    std::string name;
  };
  const Case cases[] = {
      {"D:\\A\\B\\velmora.dll", "D:\\A\\B\\", "velmora.dll"},
      {"/opt/velmora/bin/velmora.dll", "/opt/velmora/bin/", "velmora.dll"},
      {"velmora.dll", "", "velmora.dll"},
      {"C:velmora.dll", "C:", "velmora.dll"},
      {"/a/" + kBackslashTrail, "/a/", kBackslashTrail},  // the trail byte does not end the folder
      {"/a/b/", "/a/b/", ""},
      {"", "", ""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(win::ExtractFilePath(c.path), c.dir) << c.path;
    EXPECT_EQ(win::ExtractFileName(c.path), c.name) << c.path;
  }
}

TEST(Path, JoinPutsExactlyOneSeparatorBetween) {
  EXPECT_EQ(win::PathJoin("/a/b", "c.txt"), "/a/b/c.txt");
  EXPECT_EQ(win::PathJoin("/a/b/", "c.txt"), "/a/b/c.txt");
  EXPECT_EQ(win::PathJoin("D:\\a\\", "c.txt"), "D:\\a\\c.txt");
  EXPECT_EQ(win::PathJoin("/a/b/", "/c.txt"), "/a/b/c.txt");
  EXPECT_EQ(win::PathJoin("", "c.txt"), "c.txt");
  EXPECT_EQ(win::PathJoin("/a/" + kBackslashTrail, "c"), "/a/" + kBackslashTrail + "/c");
}

// A fresh folder for one test, removed afterwards.
class TempDir : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (fs::temp_directory_path() / "velmora-path-XXXXXX").string();
    ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
    dir_ = pattern;
  }
  void TearDown() override { fs::remove_all(dir_); }

  static void Write(const fs::path& path, const std::string& content) {
    std::ofstream(path, std::ios::binary) << content;
  }
  static std::string Read(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  }
  std::size_t Entries() const {
    return static_cast<std::size_t>(std::distance(fs::directory_iterator(dir_), {}));
  }
  // The GBK form of a path below the folder, written with "\" as the system does.
  std::string Ansi(const std::string& name_gbk) const {
    return win::FromSystemPath(dir_.string()) + "\\" + name_gbk;
  }

  fs::path dir_;
};

using CopyFileTest = TempDir;

TEST_F(CopyFileTest, CopiesOverAnExistingFileWhenAllowed) {
  Write(dir_ / "template.xls", "the template");
  Write(dir_ / "target.xls", "an older, longer workbook");
  ASSERT_TRUE(win::CopyFile(Ansi("template.xls"), Ansi("target.xls"), false));
  EXPECT_EQ(Read(dir_ / "target.xls"), "the template");
  EXPECT_EQ(Entries(), 2u);  // no temporary file left behind
}

TEST_F(CopyFileTest, RefusesAnExistingTargetWhenAskedTo) {
  Write(dir_ / "template.xls", "the template");
  Write(dir_ / "target.xls", "keep me");
  EXPECT_FALSE(win::CopyFile(Ansi("template.xls"), Ansi("target.xls"), true));
  EXPECT_EQ(win::GetLastError(), win::ERROR_FILE_EXISTS);
  EXPECT_EQ(Read(dir_ / "target.xls"), "keep me");
  EXPECT_EQ(Entries(), 2u);
  ASSERT_TRUE(win::CopyFile(Ansi("template.xls"), Ansi("new.xls"), true));
  EXPECT_EQ(Read(dir_ / "new.xls"), "the template");
}

TEST_F(CopyFileTest, CopiesToAndFromGbkNamesAndFailsCleanly) {
  std::string big(300000, 'x');
  Write(dir_ / "测试.xls", big);
  ASSERT_TRUE(win::CopyFile(Ansi(kCeshi + ".xls"), Ansi(kCeshi + "2.xls"), false));
  EXPECT_EQ(Read(dir_ / "测试2.xls"), big);
  EXPECT_TRUE(win::FileExists(Ansi(kCeshi + "2.xls")));

  EXPECT_FALSE(win::CopyFile(Ansi("missing.xls"), Ansi("out.xls"), false));
  EXPECT_EQ(win::GetLastError(), win::ERROR_FILE_NOT_FOUND);
  EXPECT_FALSE(win::CopyFile(Ansi(kCeshi + ".xls"), Ansi("no-such-folder\\out.xls"), false));
  EXPECT_FALSE(win::FileExists(Ansi("out.xls")));
  EXPECT_EQ(Entries(), 2u);
}

TEST_F(CopyFileTest, FileAndFolderQueries) {
  Write(dir_ / "a.txt", "a");
  EXPECT_TRUE(win::FileExists(Ansi("a.txt")));
  EXPECT_FALSE(win::FileExists(Ansi("b.txt")));
  EXPECT_FALSE(win::FileExists(win::FromSystemPath(dir_.string())));
  EXPECT_TRUE(win::DirectoryExists(win::FromSystemPath(dir_.string())));
  EXPECT_TRUE(win::DeleteFile(Ansi("a.txt")));
  EXPECT_FALSE(win::FileExists(Ansi("a.txt")));
  EXPECT_FALSE(win::DeleteFile(Ansi("a.txt")));
}

TEST_F(CopyFileTest, WholeFilesReadAndWritten) {
  ASSERT_TRUE(win::WriteFile(Ansi(kCeshi + ".txt"), "first\r\n"));
  ASSERT_TRUE(
      win::WriteFile(Ansi(kCeshi + ".txt"), std::string("a\0b", 3)));  // replaced, not appended
  std::string content = "untouched";
  ASSERT_TRUE(win::ReadFile(Ansi(kCeshi + ".txt"), content));
  EXPECT_EQ(content, std::string("a\0b", 3));
  EXPECT_EQ(Read(dir_ / "测试.txt"), content);
  EXPECT_EQ(Entries(), 1u);

  content = "untouched";
  EXPECT_FALSE(win::ReadFile(Ansi("missing.txt"), content));
  EXPECT_EQ(content, "untouched");
  EXPECT_FALSE(win::ReadFile(win::FromSystemPath(dir_.string()), content));  // a folder
  EXPECT_FALSE(win::WriteFile(Ansi("no-such-folder\\x.txt"), "x"));
  EXPECT_EQ(Entries(), 1u);
}

}  // namespace
