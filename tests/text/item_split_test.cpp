#include "addin/text/item_split.h"

#include <gtest/gtest.h>

namespace {

using namespace std::string_literals;
using Items = std::vector<std::string>;

struct Case {
  const char* what;
  std::string text;
  const char* separators;
  const char* skipped;
  Items items;
};

// GBK characters whose second byte is the code of a character the rule looks for.
const std::string kBar = "\x81\x7C";        // second byte "|"
const std::string kBackslash = "\x81\x5C";  // second byte "\"
const std::string kComma = "\x81,";         // a lead byte takes any next byte with it, here ","

const Case kCases[] = {
    {"empty items are dropped", "a||b|", "|", "", {"a", "b"}},
    {"separator at the start", "|a", "|", "", {"a"}},
    {"double quotes keep separators", "x,\"1,2\",y", ",", "", {"x", "\"1,2\"", "y"}},
    {"single quotes keep separators", "x,'1,2',y", ",", "", {"x", "'1,2'", "y"}},
    {"a quote in the middle of an item", "ab'c|d'|e", "|", "", {"ab'c|d'", "e"}},
    {"the other quote is ordinary inside", "\"it's|\"|x", "|", "", {"\"it's|\"", "x"}},
    {"an unclosed quote runs to the end", "a|'b|c", "|", "", {"a", "'b|c"}},
    {"quotes keep CR and LF", "'a\r\nb'|c", "|", "", {"'a\r\nb'", "c"}},
    {"blanks skipped at the start only", "  a |b", "|", " ", {"a ", "b"}},
    {"skip characters inside an item stay", "a b| c d ", "|", " ", {"a b", "c d "}},
    {"a double-byte character with second byte |",
     "a" + kBar + "b|c",
     "|",
     "",
     {"a" + kBar + "b", "c"}},
    {"... at the start of the text", kBar + "|b", "|", "", {kBar, "b"}},
    {"a double-byte character with second byte \\",
     "d" + kBackslash + "\\x",
     "\\",
     "",
     {"d" + kBackslash, "x"}},
    {"... is not skipped either", kBackslash + "x", "|", "\\", {kBackslash + "x"}},
    {"a lead byte takes any next byte", kComma + ",b", ",", "", {kComma, "b"}},
    {"a lead byte at the very end", "a|\x81", "|", "", {"a", "\x81"}},
    {"only separators and skip characters", "| | ,|  |", "|", " ,", {}},
    {"empty text", "", "|", " ", {}},
    {"CR and LF end items", "a\r\nb\rc\nd", "|", "", {"a", "b", "c", "d"}},
    {"CR and LF are skipped at the start", "\r\n\r\n  a\r\n\r\n", ",", " ", {"a"}},
    {"only line ends", "\r\n\n\r", ",", "", {}},
    {"NUL ends the text", "a|b\0|c"s, "|", "", {"a", "b"}},
    {"NUL first", "\0a|b"s, "|", "", {}},
    {"several separators", "a,b|c", ",|", "", {"a", "b", "c"}},
    {"the information string",
     "2010|12345678|1|211|12345|\xD1\xA7\xD0\xA3| zgbm |dq",
     "|",
     " ",
     {"2010", "12345678", "1", "211", "12345", "\xD1\xA7\xD0\xA3", "zgbm ", "dq"}},
    {"an empty field shifts the items",
     "2010|12345678||211|12345",
     "|",
     " ",
     {"2010", "12345678", "211", "12345"}},
    {"a school list line", "*12345,**name,abc", ",", "*", {"12345", "name", "abc"}},
};

TEST(SplitItems, FollowsTheItemSplittingRule) {
  for (const Case& c : kCases) {
    EXPECT_EQ(velmora::SplitItems(c.text, c.separators, c.skipped), c.items) << c.what;
  }
}

TEST(SplitItems, AnItemIsNeverEndedInsideADoubleByteCharacter) {
  // Every double-byte character with every possible second byte, between two
  // separators: the character stays whole.
  for (int lead = 0x81; lead <= 0xFE; lead += 0x3D) {
    for (int trail = 1; trail <= 0xFF; ++trail) {
      const std::string character{static_cast<char>(lead), static_cast<char>(trail)};
      const Items items = velmora::SplitItems("|" + character + "|", "|,\\'\"", " ");
      ASSERT_EQ(items, Items{character}) << lead << " " << trail;
    }
  }
}

}  // namespace
