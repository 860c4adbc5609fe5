#include "dbase/cp866.h"

#include <gtest/gtest.h>

namespace {

TEST(Cp866Test, CyrillicLettersMapBothWays) {
  for (int i = 0; i < 64; ++i) {  // А..я
    const auto c1251 = static_cast<char>(0xC0 + i);
    const auto c866 = static_cast<char>(i < 48 ? 0x80 + i : 0xE0 + (i - 48));
    EXPECT_EQ(DbfCp866To1251(std::string(1, c866)), std::string(1, c1251)) << i;
    EXPECT_EQ(DbfCp1251To866(std::string(1, c1251)), std::string(1, c866)) << i;
  }
}

TEST(Cp866Test, SignsAndUkrainianLettersMapBothWays) {
  const struct {
    unsigned char cp866, cp1251;
  } pairs[] = {{0xF0, 0xA8}, {0xF1, 0xB8}, {0xFC, 0xB9}, {0xFF, 0xA0}, {0xF8, 0xB0},
               {0xFA, 0xB7}, {0xF2, 0xAA}, {0xF3, 0xBA}, {0xF4, 0xAF}, {0xF5, 0xBF},
               {0xF6, 0xA1}, {0xF7, 0xA2}, {0xFD, 0xA4}};
  for (const auto& p : pairs) {
    EXPECT_EQ(DbfCp866To1251(std::string(1, static_cast<char>(p.cp866))),
              std::string(1, static_cast<char>(p.cp1251)));
    EXPECT_EQ(DbfCp1251To866(std::string(1, static_cast<char>(p.cp1251))),
              std::string(1, static_cast<char>(p.cp866)));
  }
}

TEST(Cp866Test, AsciiPassesAndUnmatchedBytesBecomeQuestionMarks) {
  std::string ascii;
  for (int b = 0; b < 0x80; ++b) ascii += static_cast<char>(b);
  EXPECT_EQ(DbfCp866To1251(ascii), ascii);
  EXPECT_EQ(DbfCp1251To866(ascii), ascii);
  EXPECT_EQ(DbfCp866To1251("\xB3\xC4\xDB"), "???");  // box drawing, full block
  EXPECT_EQ(DbfCp1251To866("\x80\x98"), "??");       // Ђ, unused
}

}  // namespace
