// Loading a form's icon from an .ico file.
#include <gtest/gtest.h>

#include "platform/forms/error.h"
#include "platform/forms/icon.h"
#include "test_support.h"

namespace forms {
namespace {

using testing::TempDir;

// An icon file with one 16x16 image of 4 bytes of data per image given.
std::string IconFile(std::uint16_t type, std::uint16_t count, std::uint32_t size, std::uint32_t offset,
                     std::size_t data_bytes) {
  std::string file;
  auto u16 = [&](unsigned v) { file += static_cast<char>(v & 0xFF), file += static_cast<char>(v >> 8 & 0xFF); };
  auto u32 = [&](std::uint32_t v) { u16(v & 0xFFFF), u16(v >> 16); };
  u16(0), u16(type), u16(count);
  for (unsigned i = 0; i < count; ++i) {
    file += static_cast<char>(16), file += static_cast<char>(16), file += '\0', file += '\0';
    u16(1), u16(32), u32(size), u32(offset);
  }
  file.append(data_bytes, '\x01');
  return file;
}

TEST(FormsIcon, LoadsAValidIconFile) {
  TempDir dir;
  Icon icon;
  EXPECT_TRUE(icon.Empty());
  icon.LoadFromFile(dir.Write("App.ico", IconFile(1, 1, 8, 22, 8)));
  ASSERT_EQ(icon.Images().size(), 1u);
  EXPECT_EQ(icon.Images()[0].width, 16);
  EXPECT_EQ(icon.Images()[0].bit_count, 32);
}

struct BrokenIcon {
  const char* what;
  std::string bytes;  // empty: the file is missing
  const char* message_part;
  friend void PrintTo(const BrokenIcon& c, std::ostream* out) { *out << c.what; }
};

class FormsIconErrors : public ::testing::TestWithParam<BrokenIcon> {};

TEST_P(FormsIconErrors, RaiseAClearErrorAndKeepTheIcon) {
  TempDir dir;
  const BrokenIcon& c = GetParam();
  std::string path = c.bytes.empty() ? dir.Path("App.ico") : dir.Write("App.ico", c.bytes);
  Icon icon;
  icon.LoadFromFile(dir.Write("good.ico", IconFile(1, 1, 8, 22, 8)));
  try {
    icon.LoadFromFile(path);
    FAIL() << c.what << ": no error";
  } catch (const Error& error) {
    std::string message = error.what();
    EXPECT_NE(message.find(c.message_part), std::string::npos) << c.what << ": " << message;
    EXPECT_NE(message.find(path), std::string::npos) << c.what << ": " << message;
  }
  EXPECT_EQ(icon.Images().size(), 1u);
}

INSTANTIATE_TEST_SUITE_P(
    Forms, FormsIconErrors,
    ::testing::Values(BrokenIcon{"missing", "", "Cannot open file"},
                      BrokenIcon{"empty header", std::string(3, '\0'), "Invalid icon"},
                      BrokenIcon{"a cursor, not an icon", IconFile(2, 1, 8, 22, 8), "Invalid icon"},
                      BrokenIcon{"no image", IconFile(1, 0, 0, 0, 0), "no image"},
                      BrokenIcon{"directory cut short", IconFile(1, 1, 8, 22, 8).substr(0, 12), "cut short"},
                      BrokenIcon{"image outside the file", IconFile(1, 1, 64, 22, 8), "outside the file"},
                      BrokenIcon{"a text file", "just some text, not an icon", "Invalid icon"}));

TEST(FormsIcon, AFolderIsNoIcon) {
  TempDir dir;
  Icon icon;
  EXPECT_THROW(icon.LoadFromFile(dir.Path("")), Error);
}

}  // namespace
}  // namespace forms
