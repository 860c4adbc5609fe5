// Exact decimal numbers as dBASE stores them: text, never binary floating
// point. A Decimal is a run of significant digits with the position of the
// decimal point; zero has no digits. Parse reads the stored or written
// forms; Shortest and Fixed write them back. Pure functions, no errors
// raised: a text that is no number makes Parse answer false.
#pragma once

#include <string>
#include <string_view>

struct Decimal {
  bool negative = false;
  std::string digits;  // no leading or trailing zeros; empty for zero
  int point = 0;       // digits before the decimal point (may be <= 0)
  bool operator==(const Decimal&) const = default;
};

struct DecimalSyntax {
  bool comma = false;     // "," accepted as the decimal point
  bool exponent = false;  // "1.5E+02" accepted
};

// Optional sign, digits, optional point and digits (at least one digit in
// all), optional exponent; nothing else, no blanks.
bool ParseDecimal(std::string_view text, DecimalSyntax syntax, Decimal& out);
// Shortest form with `separator` as the decimal point: "1520,5", "0,05".
void ShortestDecimal(const Decimal& d, char separator, std::string& out);
// Rounded half away from zero to `scale` decimals, point ".", the whole part
// at least "0": "1520.50", "-3.50", "0.05", "7".
std::string FixedDecimal(const Decimal& d, int scale);
// Whole value in [lo, hi]: stores it and answers true.
bool DecimalToInteger(const Decimal& d, long long lo, long long hi, long long& out);
