#include "dbase/field_types.h"

#include <gtest/gtest.h>

#include <string>

namespace {

struct Case {
  const char* name;
  char type;
  std::string raw;
  bool cp866;
  ValueState state;
  const char* shown;
};

using std::string_literals::operator""s;

// Stored bytes of each type, their NULL forms and the text the program sees.
const Case kCases[] = {
    {"text drops trailing blanks", 'C', "7493/0086 ", false, ValueState::Value, "7493/0086"},
    {"text keeps leading blanks", 'C', "  AB  ", false, ValueState::Value, "  AB"},
    {"blank text is empty", 'C', "     ", false, ValueState::Value, ""},
    {"866 text reaches the program in 1251", 'C', "\x80\xA0\xF0 ", true, ValueState::Value,
     "\xC0\xE0\xA8"},
    {"1251 text is unchanged", 'C', "\xC0\xE0", false, ValueState::Value, "\xC0\xE0"},
    {"numeric with decimals", 'N', "    1520.50", false, ValueState::Value, "1520,5"},
    {"numeric whole", 'N', " 181000", false, ValueState::Value, "181000"},
    {"numeric point only", 'N', "      .5", false, ValueState::Value, "0,5"},
    {"numeric negative", 'N', "  -3.50", false, ValueState::Value, "-3,5"},
    {"blank numeric is NULL", 'N', "       ", false, ValueState::Null, ""},
    {"overflow asterisks are NULL", 'N', "*******", false, ValueState::Null, ""},
    {"numeric with letters is bad", 'N', "  12a", false, ValueState::Bad, ""},
    {"float with exponent", 'F', " 1.5E+02", false, ValueState::Value, "150"},
    {"integer little-endian", 'I', "\xD6\xFF\xFF\xFF"s, false, ValueState::Value, "-42"},
    {"integer zero", 'I', "\0\0\0\0"s, false, ValueState::Value, "0"},
    {"date", 'D', "20240309", false, ValueState::Value, "09.03.2024"},
    {"blank date is NULL", 'D', "        ", false, ValueState::Null, ""},
    {"zero date is NULL", 'D', "00000000", false, ValueState::Null, ""},
    {"date with month 13 is bad", 'D', "20241301", false, ValueState::Bad, ""},
    {"date with letters is bad", 'D', "2024ab01", false, ValueState::Bad, ""},
    {"logical T", 'L', "T", false, ValueState::Value, "True"},
    {"logical y", 'L', "y", false, ValueState::Value, "True"},
    {"logical F", 'L', "F", false, ValueState::Value, "False"},
    {"logical blank is NULL", 'L', " ", false, ValueState::Null, ""},
    {"logical ? is NULL", 'L', "?", false, ValueState::Null, ""},
    {"logical X is bad", 'L', "X", false, ValueState::Bad, ""},
    {"currency exact", 'Y', "\x88\x02\xE8\x00\x00\x00\x00\x00"s, false, ValueState::Value,
     "1520,5"},
    {"datetime", 'T', "\xDB\x8A\x25\x00\x40\x4B\x4C\x00"s, false, ValueState::Value,
     "09.03.2024 01:23:20"},
    {"blank datetime is NULL", 'T', "\0\0\0\0\0\0\0\0"s, false, ValueState::Null, ""},
    {"memo shows empty", 'M', "         1", false, ValueState::Null, ""},
};

TEST(FieldTypesTest, StoredBytesBecomeTheProgramsValues) {
  for (const Case& c : kCases) {
    const FieldTypeRule* rule = FindFieldType(c.type);
    ASSERT_NE(rule, nullptr) << c.name;
    std::string out = "junk";
    const ValueState state = rule->format(c.raw, c.cp866, out);
    EXPECT_EQ(state, c.state) << c.name;
    if (state == ValueState::Value) {
      EXPECT_EQ(out, c.shown) << c.name;
    }
  }
}

TEST(FieldTypesTest, TypesMapToFieldTypesAndSizes) {
  const struct {
    char letter;
    TFieldType type;
    bool sizeIsWidth;
  } map[] = {{'C', ftString, true},   {'N', ftFloat, false},    {'F', ftFloat, false},
             {'I', ftInteger, false}, {'D', ftDate, false},     {'L', ftBoolean, false},
             {'M', ftMemo, false},    {'Y', ftCurrency, false}, {'T', ftDateTime, false},
             {'G', ftGraphic, false}, {'B', ftBlob, false}};
  for (const auto& m : map) {
    const FieldTypeRule* rule = FindFieldType(m.letter);
    ASSERT_NE(rule, nullptr) << m.letter;
    EXPECT_EQ(rule->type, m.type) << m.letter;
    EXPECT_EQ(rule->sizeIsWidth, m.sizeIsWidth) << m.letter;
  }
  EXPECT_EQ(FindFieldType('Z'), nullptr);
  EXPECT_EQ(FindFieldType('\0'), nullptr);
}

}  // namespace
