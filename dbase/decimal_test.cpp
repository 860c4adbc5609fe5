#include "dbase/decimal.h"

#include <gtest/gtest.h>

namespace {

struct ShortestCase {
  const char* stored;
  const char* shown;  // nullptr: not a number
};

// Stored numeric texts (already trimmed) and their shortest form.
const ShortestCase kShortest[] = {
    {"1520.50", "1520,5"},
    {"1500.00", "1500"},
    {"0.05", "0,05"},
    {"181000", "181000"},
    {"-3.50", "-3,5"},
    {".5", "0,5"},
    {"-.5", "-0,5"},
    {"0.00", "0"},
    {"-0.00", "0"},
    {"+12", "12"},
    {"007", "7"},
    {"1,25", "1,25"},
    {"1.5E+02", "150"},
    {"2.5e-3", "0,0025"},
    {"12345678901234567890.12", "12345678901234567890,12"},
    {"", nullptr},
    {"-", nullptr},
    {".", nullptr},
    {"1.2.3", nullptr},
    {"12a", nullptr},
    {"1 2", nullptr},
    {"1e", nullptr},
    {"1e99999", nullptr},
};

TEST(DecimalTest, StoredTextsShowInShortestFormWithComma) {
  for (const ShortestCase& c : kShortest) {
    Decimal d;
    const bool ok = ParseDecimal(c.stored, {.comma = true, .exponent = true}, d);
    ASSERT_EQ(ok, c.shown != nullptr) << c.stored;
    if (!ok) continue;
    std::string out;
    ShortestDecimal(d, ',', out);
    EXPECT_EQ(out, c.shown) << c.stored;
  }
}

struct FixedCase {
  const char* written;
  int scale;
  const char* stored;
};

// Values of statements rounded half away from zero to the column's scale,
// in decimal arithmetic (binary floats make 0.005 and 0.015 both 0.01).
const FixedCase kFixed[] = {
    {"1520.5", 2, "1520.50"},  {"0.005", 2, "0.01"}, {"0.015", 2, "0.02"},  {"-2.345", 2, "-2.35"},
    {"999.995", 2, "1000.00"}, {"0.004", 2, "0.00"}, {"-0.004", 2, "0.00"}, {"181000", 0, "181000"},
    {"181000.5", 0, "181001"}, {"0.5", 0, "1"},      {"0.49", 0, "0"},      {"12", 2, "12.00"},
    {"0.0005", 2, "0.00"},     {"9.999", 1, "10.0"}, {"-0.5", 0, "-1"},     {"0", 3, "0.000"},
};

TEST(DecimalTest, WrittenValuesRoundHalfAwayFromZero) {
  for (const FixedCase& c : kFixed) {
    Decimal d;
    ASSERT_TRUE(ParseDecimal(c.written, {}, d)) << c.written;
    EXPECT_EQ(FixedDecimal(d, c.scale), c.stored) << c.written << " scale " << c.scale;
  }
}

TEST(DecimalTest, StatementNumbersTakeNeitherCommaNorExponent) {
  Decimal d;
  EXPECT_FALSE(ParseDecimal("1,5", {}, d));
  EXPECT_FALSE(ParseDecimal("1e5", {}, d));
  EXPECT_TRUE(ParseDecimal("1.5", {}, d));
}

TEST(DecimalTest, IntegersOnlyFromWholeValuesInRange) {
  struct Case {
    const char* text;
    bool ok;
    long long value;
  } cases[] = {{"181000", true, 181000},
               {"1500.00", true, 1500},
               {"-7", true, -7},
               {"1520.5", false, 0},
               {"2147483647", true, 2147483647},
               {"2147483648", false, 0},
               {"-2147483648", true, -2147483648LL},
               {"1E30", false, 0},
               {"0", true, 0}};
  for (const Case& c : cases) {
    Decimal d;
    ASSERT_TRUE(ParseDecimal(c.text, {.comma = true, .exponent = true}, d)) << c.text;
    long long v = 0;
    EXPECT_EQ(DecimalToInteger(d, INT32_MIN, INT32_MAX, v), c.ok) << c.text;
    if (c.ok) {
      EXPECT_EQ(v, c.value) << c.text;
    }
  }
}

}  // namespace
