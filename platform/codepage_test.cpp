#include "platform/codepage.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

namespace {

std::string Byte(int b) { return std::string(1, static_cast<char>(b)); }

std::string Range(int first, int last) {
  std::string s;
  for (int b = first; b <= last; ++b) s += static_cast<char>(b);
  return s;
}

// The alphabet in alphabetical order, Ё/ё after Е/е.
const char kUpper[] = "АБВГДЕЁЖЗИЙКЛМНОПРСТУФХЦЧШЩЪЫЬЭЮЯ";
const char kLower[] = "абвгдеёжзийклмнопрстуфхцчшщъыьэюя";
const std::string kUpper1251 = Range(0xC0, 0xC5) + Byte(0xA8) + Range(0xC6, 0xDF);
const std::string kLower1251 = Range(0xE0, 0xE5) + Byte(0xB8) + Range(0xE6, 0xFF);
const std::string kUpper866 = Range(0x80, 0x85) + Byte(0xF0) + Range(0x86, 0x9F);
const std::string kLower866 =
    Range(0xA0, 0xA5) + Byte(0xF1) + Range(0xA6, 0xAF) + Range(0xE0, 0xEF);

TEST(Codepage, ConvertsTheWholeAlphabetEveryWay) {
  const struct {
    const char* utf8;
    std::string cp1251;
    std::string cp866;
  } cases[] = {{kUpper, kUpper1251, kUpper866}, {kLower, kLower1251, kLower866}};
  for (const auto& c : cases) {
    EXPECT_EQ(Utf8ToCp1251(c.utf8), c.cp1251) << c.utf8;
    EXPECT_EQ(Utf8ToCp866(c.utf8), c.cp866) << c.utf8;
    EXPECT_EQ(Cp1251ToCp866(c.cp1251), c.cp866) << c.utf8;
    EXPECT_EQ(Cp866ToCp1251(c.cp866), c.cp1251) << c.utf8;
    EXPECT_EQ(Cp1251ToUtf8(c.cp1251), c.utf8);
    EXPECT_EQ(Cp866ToUtf8(c.cp866), c.utf8);
  }
  EXPECT_EQ(Cp1251ToCp866(Byte(0xC0)), Byte(0x80));  // А
}

TEST(Codepage, ConvertsTheSpecialCharactersBothWays) {
  const struct {
    const char* utf8;
    int cp1251;
    int cp866;
  } cases[] = {
      {"Ё", 0xA8, 0xF0},      {"ё", 0xB8, 0xF1}, {"№", 0xB9, 0xFC}, {"Є", 0xAA, 0xF2},
      {"є", 0xBA, 0xF3},      {"Ї", 0xAF, 0xF4}, {"ї", 0xBF, 0xF5}, {"Ў", 0xA1, 0xF6},
      {"ў", 0xA2, 0xF7},      {"°", 0xB0, 0xF8}, {"·", 0xB7, 0xFA}, {"¤", 0xA4, 0xFD},
      {"\u00A0", 0xA0, 0xFF},  // no-break blank
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Cp1251ToCp866(Byte(c.cp1251)), Byte(c.cp866)) << c.utf8;
    EXPECT_EQ(Cp866ToCp1251(Byte(c.cp866)), Byte(c.cp1251)) << c.utf8;
    EXPECT_EQ(Utf8ToCp1251(c.utf8), Byte(c.cp1251)) << c.utf8;
    EXPECT_EQ(Utf8ToCp866(c.utf8), Byte(c.cp866)) << c.utf8;
    EXPECT_EQ(Cp1251ToUtf8(Byte(c.cp1251)), c.utf8);
    EXPECT_EQ(Cp866ToUtf8(Byte(c.cp866)), c.utf8);
  }
}

TEST(Codepage, SubstitutesCharactersWithoutCounterpart) {
  const struct {
    int from;
    char to;
    const char* what;
  } to866[] = {
      {0x88, '?', "euro sign"},         {0xB2, '?', "Ukrainian I"},
      {0xA5, '?', "Ghe with upturn"},   {0x80, '?', "Dje"},
      {0x98, '?', "unassigned"},        {0x96, '-', "en dash"},
      {0x97, '-', "em dash"},           {0x93, '"', "left quote"},
      {0x92, '\'', "right apostrophe"}, {0xAB, '<', "left guillemet"},
      {0xBB, '>', "right guillemet"},   {0x99, 'T', "trade mark"},
      {0xA9, 'c', "copyright"},         {0xB1, '+', "plus-minus"},
      {0xAD, '-', "soft hyphen"},
  };
  for (const auto& c : to866)
    EXPECT_EQ(Cp1251ToCp866(Byte(c.from)), std::string(1, c.to)) << c.what;
  const struct {
    int from;
    char to;
    const char* what;
  } to1251[] = {
      {0xC4, '-', "horizontal box line"},
      {0xCD, '=', "double horizontal"},
      {0xC5, '+', "box cross"},
      {0xFB, 'v', "square root"},
  };
  for (const auto& c : to1251)
    EXPECT_EQ(Cp866ToCp1251(Byte(c.from)), std::string(1, c.to)) << c.what;
}

TEST(Codepage, KeepsBytesBelow0x80AndConvertsLongLinesWhole) {
  const std::string ascii = Range(0, 0x7F);
  EXPECT_EQ(Cp1251ToCp866(ascii), ascii);
  EXPECT_EQ(Cp866ToCp1251(ascii), ascii);
  EXPECT_EQ(Cp1251ToUtf8(ascii), ascii);
  EXPECT_EQ(Utf8ToCp866(ascii), ascii);

  std::string line;
  std::string expected;
  for (int i = 0; i < 200; ++i) line += "12.50 |" + kUpper1251, expected += "12.50 |" + kUpper866;
  ASSERT_GT(line.size(), 1000u);
  EXPECT_EQ(Cp1251ToCp866(line), expected);
}

// Every byte that has a counterpart in the other code page is converted to
// that character and comes back unchanged.
TEST(Codepage, RoundTripsWhereACounterpartExists) {
  for (int b = 0; b < 256; ++b) {
    const std::string in = Byte(b);
    const std::string oem = Cp1251ToCp866(in);
    const bool exact = Utf8ToCp866(Cp1251ToUtf8(in)) != "?" || b == '?';
    if (exact) {
      EXPECT_EQ(oem, Utf8ToCp866(Cp1251ToUtf8(in))) << "1251 byte " << b;
      EXPECT_EQ(Cp866ToCp1251(oem), in) << "1251 byte " << b;
    }
    const std::string ansi = Cp866ToCp1251(in);
    if (Utf8ToCp1251(Cp866ToUtf8(in)) != "?" || b == '?') {
      EXPECT_EQ(ansi, Utf8ToCp1251(Cp866ToUtf8(in))) << "866 byte " << b;
      EXPECT_EQ(Cp1251ToCp866(ansi), in) << "866 byte " << b;
    }
  }
}

TEST(Codepage, Utf8RoundTripsEveryByteAndMarksWhatItCannotCarry) {
  const std::string all = Range(0, 0xFF);
  EXPECT_EQ(Utf8ToCp1251(Cp1251ToUtf8(all)), all);
  EXPECT_EQ(Utf8ToCp866(Cp866ToUtf8(all)), all);

  const std::pair<const char*, const char*> cases[] = {
      {"\xD0", "?"},            // lead byte without continuation
      {"\x80\xBF", "??"},       // lone continuation bytes
      {"\xC0\xB0", "??"},       // overlong form of "0"
      {"\xED\xA0\x80", "???"},  // surrogate
      {"a\xE2\x82", "a??"},     // cut-off sequence
      {"ä", "?"},               // not in either code page
      {"😀", "?"},               // four-byte sequence
  };
  for (const auto& [utf8, out] : cases) {
    EXPECT_EQ(Utf8ToCp1251(utf8), out) << utf8;
    EXPECT_EQ(Utf8ToCp866(utf8), out) << utf8;
  }
  EXPECT_EQ(Utf8ToCp866("€"), "?");
  EXPECT_EQ(Utf8ToCp1251("€"), Byte(0x88));
  EXPECT_EQ(Cp1251("Обработать"), Utf8ToCp1251("Обработать"));
  EXPECT_EQ(Cp1251("Обработать").size(), 10u);
}

}  // namespace
