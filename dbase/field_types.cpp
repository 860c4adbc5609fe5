#include "dbase/field_types.h"

#include <charconv>
#include <cstdint>
#include <cstdio>
#include <cstring>

#include "platform/codepage.h"
#include "dbase/decimal.h"

namespace {

std::string_view TrimBlanks(std::string_view s) {
  size_t b = 0;
  size_t e = s.size();
  while (b < e && (s[b] == ' ' || s[b] == '\0')) ++b;
  while (e > b && (s[e - 1] == ' ' || s[e - 1] == '\0')) --e;
  return s.substr(b, e - b);
}

uint32_t LittleEndian32(std::string_view raw, size_t at) {
  uint32_t v = 0;
  for (int i = 3; i >= 0; --i)
    v = (v << 8) | static_cast<uint8_t>(raw[at + static_cast<size_t>(i)]);
  return v;
}

ValueState FormatText(std::string_view raw, bool cp866, std::string& out) {
  size_t e = raw.size();
  while (e > 0 && (raw[e - 1] == ' ' || raw[e - 1] == '\0')) --e;
  out.assign(raw.data(), e);
  if (cp866) Cp866ToCp1251InPlace(out.data(), out.size());
  return ValueState::Value;
}

// N and F: the stored decimal, blanks (or the asterisks of an overflow)
// meaning NULL.
ValueState FormatNumber(std::string_view raw, bool, std::string& out) {
  std::string_view t = TrimBlanks(raw);
  while (!t.empty() && t.front() == '*') t.remove_prefix(1);
  if (t.empty()) return ValueState::Null;
  Decimal d;
  if (!ParseDecimal(t, DecimalSyntax{.comma = true, .exponent = true}, d)) return ValueState::Bad;
  ShortestDecimal(d, ',', out);
  return ValueState::Value;
}

ValueState FormatInteger(std::string_view raw, bool, std::string& out) {
  if (raw.size() != 4) return ValueState::Bad;
  const auto v = static_cast<int32_t>(LittleEndian32(raw, 0));
  char buf[16];
  auto r = std::to_chars(buf, buf + sizeof buf, v);
  out.assign(buf, r.ptr);
  return ValueState::Value;
}

bool DigitsAt(std::string_view s, size_t at, size_t n, int& value) {
  value = 0;
  for (size_t i = at; i < at + n; ++i) {
    if (s[i] < '0' || s[i] > '9') return false;
    value = value * 10 + (s[i] - '0');
  }
  return true;
}

void AppendDate(int day, int month, int year, std::string& out) {
  char buf[48];
  std::snprintf(buf, sizeof buf, "%02d.%02d.%04d", day, month, year);
  out += buf;
}

ValueState FormatDate(std::string_view raw, bool, std::string& out) {
  std::string_view t = TrimBlanks(raw);
  if (t.empty() || t == "00000000") return ValueState::Null;
  int y, m, d;
  if (raw.size() != 8 || !DigitsAt(raw, 0, 4, y) || !DigitsAt(raw, 4, 2, m) ||
      !DigitsAt(raw, 6, 2, d) || m < 1 || m > 12 || d < 1 || d > 31)
    return ValueState::Bad;
  out.clear();
  AppendDate(d, m, y, out);
  return ValueState::Value;
}

ValueState FormatLogical(std::string_view raw, bool, std::string& out) {
  if (raw.size() != 1) return ValueState::Bad;
  switch (raw[0]) {
    case 'T':
    case 't':
    case 'Y':
    case 'y':
      out = "True";
      return ValueState::Value;
    case 'F':
    case 'f':
    case 'N':
    case 'n':
      out = "False";
      return ValueState::Value;
    case ' ':
    case '?':
    case '\0':
      return ValueState::Null;
    default:
      return ValueState::Bad;
  }
}

// Y: 8-byte little-endian count of ten-thousandths, shown exactly.
ValueState FormatCurrency(std::string_view raw, bool, std::string& out) {
  if (raw.size() != 8) return ValueState::Bad;
  const auto v = static_cast<int64_t>(static_cast<uint64_t>(LittleEndian32(raw, 4)) << 32 |
                                      LittleEndian32(raw, 0));
  const bool negative = v < 0;
  const uint64_t magnitude = negative ? 0 - static_cast<uint64_t>(v) : static_cast<uint64_t>(v);
  std::string text = std::to_string(magnitude);
  if (text.size() < 5) text.insert(0, 5 - text.size(), '0');
  text.insert(text.size() - 4, ".");
  if (negative) text.insert(0, "-");
  Decimal d;
  ParseDecimal(text, {}, d);
  ShortestDecimal(d, ',', out);
  return ValueState::Value;
}

// T: Julian day number and milliseconds since midnight; day 0 is NULL.
ValueState FormatDateTime(std::string_view raw, bool, std::string& out) {
  if (raw.size() != 8) return ValueState::Bad;
  const auto julian = static_cast<int64_t>(LittleEndian32(raw, 0));
  const uint32_t ms = LittleEndian32(raw, 4);
  if (julian == 0) return ValueState::Null;
  if (julian > 5373484 || ms >= 86400000u) return ValueState::Bad;
  // Julian day to the Gregorian calendar (Fliegel and Van Flandern).
  int64_t l = julian + 68569;
  const int64_t n = 4 * l / 146097;
  l -= (146097 * n + 3) / 4;
  const int64_t i = 4000 * (l + 1) / 1461001;
  l = l - 1461 * i / 4 + 31;
  const int64_t j = 80 * l / 2447;
  const int day = static_cast<int>(l - 2447 * j / 80);
  l = j / 11;
  const int month = static_cast<int>(j + 2 - 12 * l);
  const int year = static_cast<int>(100 * (n - 49) + i + l);
  out.clear();
  AppendDate(day, month, year, out);
  char buf[48];
  const uint32_t s = ms / 1000;
  std::snprintf(buf, sizeof buf, " %02u:%02u:%02u", s / 3600, s / 60 % 60, s % 60);
  out += buf;
  return ValueState::Value;
}

// O: 8-byte IEEE double, shortest text that reads back the same.
ValueState FormatDouble(std::string_view raw, bool, std::string& out) {
  if (raw.size() != 8) return ValueState::Bad;
  const uint64_t bits =
      static_cast<uint64_t>(LittleEndian32(raw, 4)) << 32 | LittleEndian32(raw, 0);
  double v;
  std::memcpy(&v, &bits, sizeof v);
  char buf[64];
  auto r = std::to_chars(buf, buf + sizeof buf, v);
  out.assign(buf, r.ptr);
  for (char& c : out)
    if (c == '.') c = ',';
  return ValueState::Value;
}

// Memo, picture, general and binary fields point into a separate file that
// the engine does not read: their value shows as empty text.
ValueState FormatNotRead(std::string_view, bool, std::string& out) {
  out.clear();
  return ValueState::Null;
}

constexpr FieldTypeRule kRules[] = {
    {'C', ftString, "character", true, ' ', WriteKind::Text, FormatText},
    {'N', ftFloat, "numeric", false, ' ', WriteKind::Number, FormatNumber},
    {'F', ftFloat, "float", false, ' ', WriteKind::Number, FormatNumber},
    {'I', ftInteger, "integer", false, '\0', WriteKind::None, FormatInteger},
    {'+', ftAutoInc, "autoincrement", false, '\0', WriteKind::None, FormatInteger},
    {'D', ftDate, "date", false, ' ', WriteKind::None, FormatDate},
    {'L', ftBoolean, "logical", false, ' ', WriteKind::None, FormatLogical},
    {'Y', ftCurrency, "currency", false, '\0', WriteKind::None, FormatCurrency},
    {'T', ftDateTime, "datetime", false, '\0', WriteKind::None, FormatDateTime},
    {'O', ftFloat, "double", false, '\0', WriteKind::None, FormatDouble},
    {'M', ftMemo, "memo", false, ' ', WriteKind::None, FormatNotRead},
    {'G', ftGraphic, "general", false, ' ', WriteKind::None, FormatNotRead},
    {'P', ftGraphic, "picture", false, ' ', WriteKind::None, FormatNotRead},
    {'B', ftBlob, "binary", false, ' ', WriteKind::None, FormatNotRead},
    {'W', ftBlob, "blob", false, '\0', WriteKind::None, FormatNotRead},
    {'V', ftVarBytes, "varchar", false, '\0', WriteKind::None, FormatNotRead},
    {'Q', ftVarBytes, "varbinary", false, '\0', WriteKind::None, FormatNotRead},
    {'0', ftBytes, "null flags", false, '\0', WriteKind::None, FormatNotRead},
};

}  // namespace

const FieldTypeRule* FindFieldType(char letter) {
  for (const FieldTypeRule& r : kRules)
    if (r.letter == letter) return &r;
  return nullptr;
}
