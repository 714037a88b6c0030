#include "addin/text/conversions.h"

#include <gtest/gtest.h>

#include <limits>

namespace {

using velmora::CellText;
using velmora::CellValue;
using velmora::ConversionError;

TEST(Trim, RemovesBlanksAndControlCharactersAtBothEnds) {
  EXPECT_EQ(velmora::Trim("  a b \t\r\n"), "a b");
  EXPECT_EQ(velmora::Trim("\x01\x1F x\x20"), "x");
  EXPECT_EQ(velmora::Trim(" \xD1\xA7 "), "\xD1\xA7");  // bytes above 0x7F stay
  EXPECT_EQ(velmora::Trim(" \t "), "");
  EXPECT_EQ(velmora::Trim(""), "");
}

TEST(CellText, OfEachKindOfValue) {
  struct Case {
    CellValue value;
    const char* text;
  };
  const Case cases[] = {
      {CellValue::Number(100), "100"},
      {CellValue::Number(12.5), "12.5"},
      {CellValue::Number(1E20), "1E20"},
      {CellValue::Number(0.1 + 0.2), "0.3"},
      {CellValue(), ""},
      {CellValue::Text("  12 "), "  12 "},
      {CellValue::Text("\xD1\xA7\xD0\xA3"), "\xD1\xA7\xD0\xA3"},
      {CellValue::Boolean(true), "True"},
      {CellValue::Boolean(false), "False"},
  };
  for (const Case& c : cases) EXPECT_EQ(CellText(c.value), c.text);
  EXPECT_THROW(CellText(CellValue::Error(2007)), ConversionError);
}

TEST(FormatNumber, GeneralFormWith15SignificantDigits) {
  struct Case {
    double number;
    const char* text;
  };
  const Case cases[] = {
      {0, "0"},
      {-0.0, "0"},
      {-12.5, "-12.5"},
      {1234567, "1234567"},
      {0.5, "0.5"},
      {123.456, "123.456"},
      {1.0 / 3, "0.333333333333333"},
      {2.0 / 3, "0.666666666666667"},
      {12.4 + 3.3, "15.7"},
      {999999999999999, "999999999999999"},  // 15 digits before the point: still plain
      {1E15, "1E15"},                        // 16: exponent form
      {999999999999999.9, "1E15"},           // rounding to 15 digits carries over
      {123456789012345678.0, "1.23456789012346E17"},
      {-2E15, "-2E15"},
      {1E100, "1E100"},
      {0.0001, "0.0001"},
      {0.00012, "0.00012"},
      {0.00001, "1E-5"},
      {0.00005, "5E-5"},
      {1.5E-7, "1.5E-7"},
      {std::numeric_limits<double>::max(), "1.79769313486232E308"},
      {std::numeric_limits<double>::denorm_min(), "4.94065645841247E-324"},
      {std::numeric_limits<double>::infinity(), "INF"},
      {-std::numeric_limits<double>::infinity(), "-INF"},
      {std::numeric_limits<double>::quiet_NaN(), "NAN"},
  };
  for (const Case& c : cases) EXPECT_EQ(velmora::FormatNumber(c.number), c.text) << c.text;
}

TEST(TextToInt, DecimalIntegersOnly) {
  struct Case {
    const char* text;
    int value;
  };
  const Case good[] = {{"2010", 2010},
                       {"  42", 42},
                       {"-7", -7},
                       {"+7", 7},
                       {"007", 7},
                       {"2147483647", 2147483647},
                       {"-2147483648", std::numeric_limits<int>::min()}};
  for (const Case& c : good) EXPECT_EQ(velmora::TextToInt(c.text), c.value) << c.text;

  for (const char* bad : {"", " ", "20.10", "2010 ", "12a", "0x10", "$10", "2147483648",
                          "-2147483649", "99999999999999999999", "+", "- 1", "\t1", "1e3"}) {
    EXPECT_THROW(velmora::TextToInt(bad), ConversionError) << bad;
  }
  try {
    velmora::TextToInt("20.10");
    FAIL();
  } catch (const ConversionError& e) {
    EXPECT_STREQ(e.what(), "'20.10' is not a valid integer value");
  }
}

TEST(TextToFloat, DecimalNumbersWithAPoint) {
  struct Case {
    const char* text;
    double value;
  };
  const Case good[] = {{"12.5", 12.5}, {" 12.5 ", 12.5}, {"-3", -3},  {"+2", 2}, {"1E20", 1E20},
                       {"1e-5", 1E-5}, {".5", 0.5},      {"5.", 5.0}, {"0", 0},  {"1.5E+3", 1500}};
  for (const Case& c : good) EXPECT_DOUBLE_EQ(velmora::TextToFloat(c.text), c.value) << c.text;
  for (const char* bad :
       {"", "abc", "1,5", "1e", "1.2.3", ".", "-", "1 2", "0x10", "inf", "nan", "1e999"}) {
    EXPECT_THROW(velmora::TextToFloat(bad), ConversionError) << bad;
  }
}

}  // namespace
