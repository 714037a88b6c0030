#include "platform/win/code_page.h"

#include <gtest/gtest.h>

namespace {

using namespace std::string_literals;

// GBK bytes of a few texts used below.
const std::string kXuexiao = "\xD1\xA7\xD0\xA3";                        // 学校
const std::string kMeiyouzhaodao = "\xC3\xBB\xD3\xD0\xD5\xD2\xB5\xBD";  // 没有找到
const std::string kBarTrail = "\x81\x7C";                               // 亅: second byte is "|"
const std::string kBackslashTrail = "\x81\x5C";                         // 乗: second byte is "\"

struct Pair {
  std::string gbk;
  std::string utf8;
};

TEST(CodePage, ConvertsBothWaysBetweenGbkAndUtf8) {
  const Pair pairs[] = {
      {"", ""},
      {"plain ASCII |,.", "plain ASCII |,."},
      {kXuexiao, "学校"},
      {kMeiyouzhaodao + "velmora.dll", "没有找到velmora.dll"},
      {kBarTrail + "|" + kBackslashTrail + "\\", "亅|乗\\"},
      {"\x80", "€"},  // code page 936 has the euro sign at 0x80
      {"a\0b"s, "a\0b"s},
  };
  for (const Pair& pair : pairs) {
    EXPECT_EQ(win::AnsiToUtf8(pair.gbk), pair.utf8) << pair.utf8;
    EXPECT_EQ(win::Utf8ToAnsi(pair.utf8), pair.gbk) << pair.utf8;
    EXPECT_EQ(win::WideToAnsi(win::AnsiToWide(pair.gbk)), pair.gbk) << pair.utf8;
    EXPECT_EQ(win::WideToUtf8(win::Utf8ToWide(pair.utf8)), pair.utf8) << pair.utf8;
  }
  EXPECT_EQ(win::AnsiToWide(kXuexiao), u"学校");
  EXPECT_EQ(win::WideToAnsi(u"学校"), kXuexiao);
}

TEST(CodePage, WhatCannotBeConvertedBecomesAQuestionMark) {
  // Characters GBK lacks, one "?" each, whatever their UTF-8 or UTF-16 length.
  EXPECT_EQ(win::Utf8ToAnsi("a😀b"), "a?b");
  EXPECT_EQ(win::Utf8ToAnsi("한국"), "??");
  EXPECT_EQ(win::WideToAnsi(u"x😀y"), "x?y");
  // Broken input: a lone surrogate, invalid UTF-8, bytes that are no GBK character.
  EXPECT_EQ(win::WideToAnsi(u"a\xD800"
                            u"b"),
            "a?b");
  EXPECT_EQ(win::Utf8ToAnsi("a\xC3(b"), "a?(b");
  EXPECT_EQ(win::Utf8ToWide("a\xE4\xB8"), u"a?");
  const Pair broken[] = {
      {"\x81", "?"},      // a lead byte at the very end
      {"ab\xD1", "ab?"},  // ... after other text
      {"\x81"
       "0x",
       "?0x"},  // a lead byte whose next byte cannot follow it keeps that byte
      {"\xFF"
       "a",
       "?a"},  // 0xFF is no character
  };
  for (const Pair& pair : broken) EXPECT_EQ(win::AnsiToUtf8(pair.gbk), pair.utf8) << pair.utf8;
  EXPECT_EQ(win::AnsiToWide("\x81"), u"?");
}

TEST(CodePage, CharLengthStepsOverDoubleByteCharactersWhole) {
  struct Case {
    std::string text;
    std::size_t pos;
    std::size_t length;
  };
  const Case cases[] = {
      {"a", 0, 1},
      {kXuexiao, 0, 2},
      {kXuexiao, 2, 2},
      {kBarTrail, 0, 2},  // the "|" is the second byte, not a character
      {"\x81", 0, 1},     // a lead byte at the end is a single byte
      {"a\xD1", 1, 1},
      {"\x80"
       "a",
       0, 1},  // 0x80 and 0xFF open no double-byte character
      {"\xFF"
       "a",
       0, 1},
      {"ab", 2, 0},  // nothing at or beyond the end
      {"ab", 9, 0},
  };
  for (const Case& c : cases) EXPECT_EQ(win::CharLength(c.text, c.pos), c.length) << c.pos;
}

TEST(CodePage, PrefixWithinNeverSplitsACharacter) {
  const std::string text = "a" + kXuexiao;  // a 学 校: bytes 1, 2, 2
  EXPECT_EQ(win::PrefixWithin(text, 0), "");
  EXPECT_EQ(win::PrefixWithin(text, 1), "a");
  EXPECT_EQ(win::PrefixWithin(text, 2), "a");
  EXPECT_EQ(win::PrefixWithin(text, 3), text.substr(0, 3));
  EXPECT_EQ(win::PrefixWithin(text, 4), text.substr(0, 3));
  EXPECT_EQ(win::PrefixWithin(text, 5), text);
  EXPECT_EQ(win::PrefixWithin(text, 500), text);
}

TEST(CodePage, CaseMappingLeavesSecondBytesAlone) {
  const std::string lower_trail =
      "\x81"
      "a";  // 乤: its second byte is "a"
  EXPECT_EQ(win::AnsiUpperCase("xxdm" + lower_trail + "f1"), "XXDM" + lower_trail + "F1");
  const std::string upper_trail =
      "\x81"
      "A";
  EXPECT_EQ(win::AnsiLowerCase("XXDM" + upper_trail), "xxdm" + upper_trail);
}

}  // namespace
