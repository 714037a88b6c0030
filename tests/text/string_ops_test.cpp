#include "addin/text/string_ops.h"

#include <gtest/gtest.h>

namespace {

TEST(GetStringsByChar, CutsAtBarsSkippingBlanksHashesAndPoints) {
  using Items = std::vector<std::string>;
  EXPECT_EQ(velmora::GetStringsByChar('x', "2010|.a|#b| c|| #.|d "),
            (Items{"2010", "a", "b", "c", "d "}));
  EXPECT_EQ(velmora::GetStringsByChar('|', "a,b"), (Items{"a,b"}));
  EXPECT_TRUE(velmora::GetStringsByChar('|', "").empty());
}

TEST(GetStrByIndex, PositionsCountFromOneAndCutAtTheEnd) {
  struct Case {
    const char* text;
    int index;
    int count;
    const char* result;
  };
  const Case cases[] = {
      {"abcd", 0, 1, "a"},
      {"abcd", 1, 1, "a"},
      {"abcd", 2, 1, "b"},
      {"abcd", -5, 2, "ab"},
      {"abcd", 3, 5, "cd"},
      {"abcd", 4, 1, "d"},
      {"abcd", 5, 1, ""},
      {"abcd", 1, 0, ""},
      {"abcd", 1, -1, ""},
      {"", 1, 1, ""},
      {"abcd", 2, 2147483647, "bcd"},
      {"\xD1\xA7\xD0\xA3", 3, 2, "\xD0\xA3"},  // bytes, not characters
  };
  for (const Case& c : cases) {
    EXPECT_EQ(velmora::GetStrByIndex(c.text, c.index, c.count), c.result)
        << c.text << " " << c.index << " " << c.count;
  }
}

TEST(GetStrBybeginendIndex, FromBeginUpToLengthMinusEndPlusOne) {
  struct Case {
    const char* text;
    int begin;
    int end;
    const char* result;
  };
  const Case cases[] = {
      {"J1_2", 4, 1, "2"},        {"abcdef", 2, 2, "bcde"}, {"abcdef", 1, 1, "abcdef"},
      {"abcdef", 0, 1, "abcdef"}, {"ab", 3, 1, ""},         {"abc", 2, 3, ""},
      {"abc", 1, -5, "abc"},      {"", 1, 1, ""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(velmora::GetStrBybeginendIndex(c.text, c.begin, c.end), c.result)
        << c.text << " " << c.begin << " " << c.end;
  }
}

}  // namespace
