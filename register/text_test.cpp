#include "register/text.h"

#include <gtest/gtest.h>

#include "platform/error.h"

namespace {

struct SumCase {
  const char* text;
  int32_t kopecks;
};

TEST(SumToKopecks, ReadsBothAmountForms) {
  const SumCase cases[] = {
      {"", 0},                  // reads "00"
      {"5", 500},               // whole number gets two zero decimals
      {"1234", 123400},         //
      {"12.50", 1250},          // the dot is dropped
      {"0.05", 5},              //
      {"1234.56", 123456},      //
      {"-3.50", -350},          // sign kept
      {".00", 0},               // the dump's empty amount
      {"21474836.47", 2147483647},
      {"-21474836.48", -2147483647 - 1},
      {"  7", 700},             // leading blanks skipped by the conversion
  };
  for (const auto& c : cases) EXPECT_EQ(SumToKopecks(c.text), c.kopecks) << c.text;
}

TEST(SumToKopecks, RefusesWhatIsNoWholeNumberNamingTheText) {
  for (const char* text : {"21474836.48", "12.5", "1,50", "abc", "7 ", "1.2.34", "99999999999"}) {
    try {
      SumToKopecks(text);
      ADD_FAILURE() << "accepted " << text;
    } catch (const ConvertError& e) {
      EXPECT_NE(std::string(e.what()).find("'"), std::string::npos);
    }
  }
  // "12.5" is read as "12.500": the message names what was converted.
  try {
    SumToKopecks("12.5");
  } catch (const ConvertError& e) {
    EXPECT_STREQ(e.what(), "'12.500' is not a valid integer value");
  }
}

TEST(NormalizeSum, BringsAmountsToTwoDecimals) {
  const std::pair<const char*, const char*> cases[] = {
      {"", ".00"},          {"5", "5.00"},       {"123", "123.00"},  {"1234", "1234.00"},
      {"12.50", "12.50"},   {"0.50", "0.50"},    {"  7  ", "7.00"},  {".00", "0.00"},
      {" .05 ", "0.05"},    {"1520.50", "1520.50"}, {"\t12\r", "12.00"},
  };
  for (const auto& [in, out] : cases) EXPECT_EQ(NormalizeSum(in), out) << in;
}

TEST(CommaToDot, ReplacesOnlyTheLastComma) {
  const std::pair<const char*, const char*> cases[] = {
      {"1234,56", "1234.56"}, {"1,234,56", "1,234.56"}, {"1234.56", "1234.56"},
      {"1234", "1234"},       {"", ""},
  };
  for (const auto& [in, out] : cases) EXPECT_EQ(CommaToDot(in), out) << in;
}

TEST(PadField, FitsTextToWidth) {
  struct Case {
    const char* text;
    int width;
    bool right;
    const char* result;
  };
  const Case cases[] = {
      {"abc", 5, true, "  abc"},  {"abc", 5, false, "abc  "}, {"abcdef", 4, true, "abcd"},
      {"abcdef", 4, false, "abcd"}, {"abc", 3, true, "abc"},  {"", 3, false, "   "},
  };
  for (const auto& c : cases) EXPECT_EQ(PadField(c.text, c.width, c.right), c.result) << c.text;
}

TEST(DirectoryOfPath, CutsAfterTheLastSeparator) {
  const std::pair<const char*, const char*> cases[] = {
      {"C:\\data\\pay.dbf", "C:\\data\\"}, {"C:\\pay.dbf", "C:\\"}, {"pay.dbf", ""},
      {"", ""}, {"/home/op/lists/pay.dbf", "/home/op/lists/"}, {"/pay.dbf", "/"},
  };
  for (const auto& [in, out] : cases) EXPECT_EQ(DirectoryOfPath(in), out) << in;
}

TEST(TextRules, SubStringCharAtAndTrim) {
  EXPECT_EQ(SubString("abcdef", 2, 3), "bcd");
  EXPECT_EQ(SubString("abcdef", 5, 10), "ef");
  EXPECT_EQ(SubString("abc", 0, 2), "");
  EXPECT_EQ(SubString("abc", 4, 1), "");
  EXPECT_EQ(SubString("abc", 1, -1), "");
  EXPECT_EQ(CharAt("abc", 0), "");
  EXPECT_EQ(CharAt("abc", 3), "c");
  EXPECT_EQ(Trim(" \t\x01 a b \r\n"), "a b");
  EXPECT_EQ(Trim("  \x1f "), "");
  // Bytes above 127 (Cyrillic in 1251 or 866) are never trimmed.
  EXPECT_EQ(Trim("\xC0 "), "\xC0");
}

}  // namespace
