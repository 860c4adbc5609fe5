// Text and amount helpers shared by the combined table, the dump, the
// register and the window. Texts are 8-bit byte strings (code page 1251 or
// 866, never converted here) with positions counted from 1. Every helper is
// a pure function; only SumToKopecks raises (ConvertError naming the text).
#pragma once

#include <cstdint>
#include <string>

// Characters p .. p+n-1 (1-based); empty when p < 1, p > length or n < 0.
std::string SubString(const std::string& s, int64_t p, int64_t n);
// The character at p, or empty text when p lies outside 1 .. length.
std::string CharAt(const std::string& s, int64_t p);
// Drops every leading and trailing byte of value 32 or less.
std::string Trim(const std::string& s);
// Decimal text of a signed 32-bit integer: leading blanks, optional sign,
// at least one digit, nothing after. Raises ConvertError naming the text.
int32_t StrToInt(const std::string& s);

// Amount text ("1234" or "1234.50") to hundredths.
int32_t SumToKopecks(std::string amount);
// Amount text brought to two decimals ("5" -> "5.00"; ".00" -> "0.00").
std::string NormalizeSum(std::string amount);
// The last "," becomes "."; earlier commas stay.
std::string CommaToDot(std::string text);
// Exactly `width` characters: cut at the end, or blank-filled on the side
// opposite to the alignment.
std::string PadField(std::string text, int32_t width, bool rightAligned);
// The path up to and including its last "\" or "/"; empty when it has none.
std::string DirectoryOfPath(std::string path);
