#include "dbase/decimal.h"

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Drops leading zeros (moving the point) and trailing zeros.
void Normalise(Decimal& d) {
  size_t lead = 0;
  while (lead < d.digits.size() && d.digits[lead] == '0') ++lead;
  d.digits.erase(0, lead);
  d.point -= static_cast<int>(lead);
  size_t end = d.digits.size();
  while (end > 0 && d.digits[end - 1] == '0') --end;
  d.digits.resize(end);
  if (d.digits.empty()) {
    d.negative = false;
    d.point = 0;
  }
}

bool ParseExponent(std::string_view text, size_t& i, int& exponent) {
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  if (i >= text.size()) return false;
  int value = 0;
  for (; i < text.size() && IsDigit(text[i]); ++i) {
    if (value > 1000) return false;
    value = value * 10 + (text[i] - '0');
  }
  exponent = negative ? -value : value;
  return true;
}

}  // namespace

bool ParseDecimal(std::string_view text, DecimalSyntax syntax, Decimal& out) {
  out = Decimal{};
  size_t i = 0;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) out.negative = text[i++] == '-';
  size_t digitCount = 0;
  for (; i < text.size() && IsDigit(text[i]); ++i, ++digitCount) out.digits += text[i];
  out.point = static_cast<int>(digitCount);
  if (i < text.size() && (text[i] == '.' || (syntax.comma && text[i] == ','))) {
    for (++i; i < text.size() && IsDigit(text[i]); ++i, ++digitCount) out.digits += text[i];
  }
  if (digitCount == 0) return false;
  if (i < text.size() && syntax.exponent && (text[i] == 'e' || text[i] == 'E')) {
    int exponent = 0;
    ++i;
    if (!ParseExponent(text, i, exponent)) return false;
    out.point += exponent;
  }
  if (i != text.size()) return false;
  Normalise(out);
  return true;
}

void ShortestDecimal(const Decimal& d, char separator, std::string& out) {
  out.clear();
  if (d.digits.empty()) {
    out = "0";
    return;
  }
  if (d.negative) out += '-';
  const int n = static_cast<int>(d.digits.size());
  if (d.point <= 0) {
    out += '0';
    out += separator;
    out.append(static_cast<size_t>(-d.point), '0');
    out += d.digits;
  } else if (d.point >= n) {
    out += d.digits;
    out.append(static_cast<size_t>(d.point - n), '0');
  } else {
    out.append(d.digits, 0, static_cast<size_t>(d.point));
    out += separator;
    out.append(d.digits, static_cast<size_t>(d.point));
  }
}

std::string FixedDecimal(const Decimal& d, int scale) {
  // Digits kept: everything down to the `scale`-th decimal.
  const int keep = d.point + scale;
  std::string kept;
  int point = d.point;
  if (keep >= 0 && keep < static_cast<int>(d.digits.size())) {
    kept = d.digits.substr(0, static_cast<size_t>(keep));
    if (d.digits[static_cast<size_t>(keep)] >= '5') {
      int i = keep - 1;
      for (; i >= 0 && kept[static_cast<size_t>(i)] == '9'; --i) kept[static_cast<size_t>(i)] = '0';
      if (i >= 0) {
        ++kept[static_cast<size_t>(i)];
      } else {
        kept.insert(kept.begin(), '1');
        ++point;
      }
    }
  } else if (keep >= 0) {
    kept = d.digits;
  }
  // kept holds the digits from the first significant one; `point` of them
  // stand before the decimal point (fewer when point <= 0).
  std::string whole;
  std::string fraction;
  for (int pos = 0; pos < point; ++pos) {
    whole += pos < static_cast<int>(kept.size()) ? kept[static_cast<size_t>(pos)] : '0';
  }
  for (int pos = point; pos < point + scale; ++pos) {
    fraction +=
        (pos >= 0 && pos < static_cast<int>(kept.size())) ? kept[static_cast<size_t>(pos)] : '0';
  }
  if (whole.empty()) whole = "0";
  const bool zero = whole.find_first_not_of('0') == std::string::npos &&
                    fraction.find_first_not_of('0') == std::string::npos;
  std::string out = (d.negative && !zero) ? "-" : "";
  out += whole;
  if (scale > 0) {
    out += '.';
    out += fraction;
  }
  return out;
}

bool DecimalToInteger(const Decimal& d, long long lo, long long hi, long long& out) {
  if (d.point < static_cast<int>(d.digits.size())) return false;  // has a fraction
  if (d.point > 19) return false;
  long long value = 0;
  for (int pos = 0; pos < d.point; ++pos) {
    const int digit =
        pos < static_cast<int>(d.digits.size()) ? d.digits[static_cast<size_t>(pos)] - '0' : 0;
    if (value > (hi + 1) / 10 + 1) return false;
    value = value * 10 + digit;
  }
  value = d.negative ? -value : value;
  if (value < lo || value > hi) return false;
  out = value;
  return true;
}
