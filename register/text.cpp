#include "register/text.h"

#include <limits>

#include "platform/error.h"

std::string SubString(const std::string& s, int64_t p, int64_t n) {
  const auto length = static_cast<int64_t>(s.size());
  if (p < 1 || p > length || n < 0) return {};
  return s.substr(static_cast<size_t>(p - 1), static_cast<size_t>(std::min(n, length - p + 1)));
}

std::string CharAt(const std::string& s, int64_t p) { return SubString(s, p, 1); }

std::string Trim(const std::string& s) {
  auto isSpace = [](char c) { return static_cast<unsigned char>(c) <= 32; };
  size_t begin = 0;
  size_t end = s.size();
  while (begin < end && isSpace(s[begin])) ++begin;
  while (end > begin && isSpace(s[end - 1])) --end;
  return s.substr(begin, end - begin);
}

int32_t StrToInt(const std::string& s) {
  auto fail = [&s]() -> int32_t {
    throw ConvertError("'" + s + "' is not a valid integer value");
  };
  size_t i = 0;
  while (i < s.size() && s[i] == ' ') ++i;
  bool negative = false;
  if (i < s.size() && (s[i] == '+' || s[i] == '-')) negative = s[i++] == '-';
  if (i == s.size()) return fail();
  int64_t value = 0;
  for (; i < s.size(); ++i) {
    if (s[i] < '0' || s[i] > '9') return fail();
    value = value * 10 + (s[i] - '0');
    if (value > int64_t{std::numeric_limits<int32_t>::max()} + 1) return fail();
  }
  if (negative) value = -value;
  if (value > std::numeric_limits<int32_t>::max()) return fail();
  return static_cast<int32_t>(value);
}

int32_t SumToKopecks(std::string amount) {
  const auto length = static_cast<int64_t>(amount.size());
  if (CharAt(amount, length - 2) == ".")
    return StrToInt(SubString(amount, 1, length - 3) + SubString(amount, length - 1, 2));
  return StrToInt(amount + "00");
}

std::string NormalizeSum(std::string amount) {
  std::string text = Trim(amount);
  const auto length = static_cast<int64_t>(text.size());
  // A dot and two digits (the dump's ".00" for an empty amount) already
  // carries its decimals; it only lacks the whole part.
  if (length == 3 && text[0] == '.') return "0" + text;
  if (length < 4) return text + ".00";
  if (CharAt(text, length - 2) == ".") return text;
  return text + ".00";
}

std::string CommaToDot(std::string text) {
  const auto p = text.rfind(',');
  if (p != std::string::npos) text[p] = '.';
  return text;
}

std::string PadField(std::string text, int32_t width, bool rightAligned) {
  const auto w = static_cast<size_t>(width < 0 ? 0 : width);
  if (text.size() >= w) return text.substr(0, w);
  std::string blanks(w - text.size(), ' ');
  return rightAligned ? blanks + text : text + blanks;
}

std::string DirectoryOfPath(std::string path) {
  const auto p = path.find_last_of("\\/");
  if (p == std::string::npos) return {};
  return path.substr(0, p + 1);
}
