#include "register/dump_format.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/codepage.h"

namespace {

std::string Field(const std::string& asString, TFieldType type, int size, bool amountFlag) {
  std::string line;
  AppendDumpField(line, asString, type, size, amountFlag);
  return line;
}

std::string Blanks(size_t n) { return std::string(n, ' '); }

TEST(AppendDumpField, RendersEachTypeToItsWidth) {
  const struct {
    std::string asString;
    TFieldType type;
    int size;
    bool amountFlag;
    std::string expected;
    const char* what;
  } cases[] = {
      {"1520,5", ftFloat, 0, true, "1520.50" + Blanks(13), "one decimal gets a zero"},
      {"0,5", ftFloat, 0, true, "0.50" + Blanks(16), ""},
      {"0,05", ftFloat, 0, true, "0.05" + Blanks(16), "two decimals stay"},
      {"1520,05", ftFloat, 0, true, "1520.05" + Blanks(13), ""},
      {"12", ftFloat, 0, true, "12.00" + Blanks(15), "two digits get decimals"},
      {"5", ftFloat, 0, true, "5.00" + Blanks(16), ""},
      {"", ftFloat, 0, true, ".00" + Blanks(17), "NULL amount"},
      {"1234", ftFloat, 0, true, "1234" + Blanks(16), "three or more digits stay"},
      {"181000", ftFloat, 0, true, "181000" + Blanks(14), "LCHET of the standard layout"},
      {"-5", ftFloat, 0, true, "-5.00" + Blanks(15), ""},
      {"1520,5", ftFloat, 0, false, "1520.5" + Blanks(14), "no amount flag"},
      {"12", ftFloat, 0, false, "12" + Blanks(18), ""},
      {"", ftFloat, 0, false, Blanks(20), ""},
      {"123456789012345678901234", ftFloat, 0, true, "12345678901234567890", "cut to 20"},
      {"ABC", ftString, 20, true, "ABC" + Blanks(17), "short text filled"},
      {"", ftString, 9, true, Blanks(9), "NULL text"},
      {"ABCDEFGHIJ", ftString, 6, true, "ABCDEF", "long text cut"},
      {"01.02.2024", ftDate, 0, true, "01.02.2024", "date"},
      {"", ftDate, 0, true, Blanks(10), "NULL date"},
      {"True", ftBoolean, 0, true, "True ", "logical"},
      {"False", ftBoolean, 0, true, "False", ""},
      {"42", ftInteger, 0, true, "42", "integer keeps its text"},
      {"-7", ftInteger, 0, true, "-7", ""},
  };
  for (const auto& c : cases)
    EXPECT_EQ(Field(c.asString, c.type, c.size, c.amountFlag), c.expected)
        << c.asString << " " << c.what;
}

TEST(AppendDumpField, AppendsToTheLineAndKeepsCyrillicBytes) {
  std::string line = "181000|";
  AppendDumpField(line, Cp1251("ИВАНОВ"), ftString, 20, true);
  EXPECT_EQ(line, "181000|" + Cp1251("ИВАНОВ") + Blanks(14));
}

}  // namespace
