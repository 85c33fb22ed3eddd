// Text forms of numeric and character values, row by row.
#include "dbfimpl.h"
#include "format.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

namespace {

using dbf::format::decodeNumber;
using dbf::format::encodeNumber;

struct EncodeRow {
  double value;
  int width, decimals;
  const char *text;  // nullptr: does not fit
};

class NumberEncoding : public ::testing::TestWithParam<EncodeRow> {};

TEST_P(NumberEncoding, RightAlignedFixedPoint) {
  const EncodeRow &r = GetParam();
  std::string field(static_cast<size_t>(r.width), '#');
  const bool fits = encodeNumber(r.value, r.width, r.decimals, field.data());
  if (!r.text) {
    EXPECT_FALSE(fits);
    EXPECT_EQ(field, std::string(static_cast<size_t>(r.width), '#')) << "a value that does not fit writes nothing";
  } else {
    ASSERT_TRUE(fits);
    EXPECT_EQ(field, r.text);
  }
}

const double kNaN = std::numeric_limits<double>::quiet_NaN();
const double kInf = std::numeric_limits<double>::infinity();

INSTANTIATE_TEST_SUITE_P(Rows, NumberEncoding, ::testing::Values(
    // The program's columns.
    EncodeRow{36526, 10, 2, "  36526.00"},
    EncodeRow{0.5, 22, 20, "0.50000000000000000000"},
    EncodeRow{420.0 / 1440, 22, 20, "0.29166666666666668500"},
    EncodeRow{1, 1, 0, "1"},
    EncodeRow{0, 1, 0, "0"},
    EncodeRow{0, 10, 2, "      0.00"},
    EncodeRow{45000.123456789, 30, 20, "    45000.12345678899870000000"},
    // Rounding at the last decimal, half up on the magnitude.
    EncodeRow{0.125, 5, 2, " 0.13"},
    EncodeRow{2.5, 3, 0, "  3"},
    EncodeRow{-1.5, 5, 0, "   -2"},
    EncodeRow{0.5, 1, 0, "1"},
    EncodeRow{99.995, 6, 2, "100.00"},  // the double lies just above 99.995
    EncodeRow{0.285, 4, 2, "0.28"},     // and this one just below 0.285
    EncodeRow{1.005, 6, 2, "  1.00"},
    EncodeRow{9.999, 5, 2, "10.00"},
    EncodeRow{-0.001, 5, 2, " 0.00"},  // no negative zero
    EncodeRow{-36526.25, 9, 2, "-36526.25"},
    EncodeRow{1e-5, 22, 20, "0.00001000000000000000"},
    // 18 significant digits, then zeros.
    EncodeRow{123456789012345678901.0, 21, 0, "123456789012345684000"},
    EncodeRow{1.0 / 3, 25, 22, " 0.3333333333333333150000"},
    // Too wide: nothing written.
    EncodeRow{12345, 1, 0, nullptr},
    EncodeRow{123456, 1, 0, nullptr},
    EncodeRow{9.5, 1, 0, nullptr},
    EncodeRow{-1, 1, 0, nullptr},
    EncodeRow{36526, 7, 2, nullptr},
    EncodeRow{1e300, 255, 0, nullptr},
    EncodeRow{kNaN, 10, 2, nullptr},
    EncodeRow{kInf, 30, 0, nullptr}));

struct DecodeRow {
  const char *field;
  bool valid;
  double value;
};

class NumberDecoding : public ::testing::TestWithParam<DecodeRow> {};

TEST_P(NumberDecoding, ReadsDecimalText) {
  const DecodeRow &r = GetParam();
  double v = -999;
  EXPECT_EQ(decodeNumber(r.field, v), r.valid) << '"' << r.field << '"';
  if (r.valid) {
    EXPECT_EQ(v, r.value) << '"' << r.field << '"';
  }
}

INSTANTIATE_TEST_SUITE_P(Rows, NumberDecoding, ::testing::Values(
    DecodeRow{"  36526.00", true, 36526},
    DecodeRow{"          ", true, 0},
    DecodeRow{"", true, 0},
    DecodeRow{"0.50000000000000000000", true, 0.5},
    DecodeRow{"0.29166666666666668500", true, 420.0 / 1440},
    DecodeRow{"  -12", true, -12},
    DecodeRow{"+3   ", true, 3},
    DecodeRow{"1e3", true, 1000},
    DecodeRow{" 1.5E-1", true, 0.15},
    DecodeRow{".5", true, 0.5},
    DecodeRow{"5.", true, 5},
    // A wide field keeps its alignment blanks in front of a short number.
    DecodeRow{"                                   12345", true, 12345},
    DecodeRow{"abc", false, 0},
    DecodeRow{"  1 2", false, 0},
    DecodeRow{"--1", false, 0},
    DecodeRow{"1e", false, 0},
    DecodeRow{".", false, 0},
    DecodeRow{"-", false, 0},
    DecodeRow{"inf", false, 0},
    DecodeRow{"nan", false, 0},
    DecodeRow{"0x10", false, 0},
    DecodeRow{"1,5", false, 0},
    DecodeRow{"1e999", false, 0}));

TEST(NumberText, EncodingReadsBackAsTheSameValue) {
  // Values the program stores: dates, half-hour times, date-times.
  for (int day = 36526; day < 36526 + 400; day += 7)
    for (int minute = 0; minute < 1440; minute += 30) {
      const double t = minute / 1440.0;
      const double dt = day + t;
      std::string f22(22, ' '), f30(30, ' ');
      ASSERT_TRUE(encodeNumber(t, 22, 20, f22.data()));
      ASSERT_TRUE(encodeNumber(dt, 30, 20, f30.data()));
      double back = 0;
      ASSERT_TRUE(decodeNumber(f22, back));
      EXPECT_EQ(back, t);
      ASSERT_TRUE(decodeNumber(f30, back));
      EXPECT_EQ(back, dt);
    }
}

TEST(TextValues, UpperCasingLeavesGbkCharactersAlone) {
  // The second byte of a GBK character may be an ASCII letter (0x61 'a').
  std::string s = "ab\x81\x61z\xd6\xd0";
  dbf::format::upperAscii(s);
  EXPECT_EQ(s, "AB\x81\x61Z\xd6\xd0");
}

TEST(TableNames, FormedAsCreationFormsThem) {
  struct Row {
    const char *given, *formed;
  } rows[] = {{"TextList", "TEXTLIST.DBF"}, {" pp ", "PP.DBF"}, {"TimeList.dbf", "TIMELIST.DBF"},
              {"dir.x/pp", "dir.x/PP.DBF"}, {"a.b", "A.B"}};
  for (const auto &r : rows)
    EXPECT_EQ(dbf::tableFileName(r.given), r.formed) << r.given;
  EXPECT_EQ(dbf::withDbfExtension("TIMELIST"), "TIMELIST.DBF");
  EXPECT_EQ(dbf::withDbfExtension("TextList.dbf"), "TextList.dbf");
}

}  // namespace
