// Code-page conversions between the system's code pages: Windows Cyrillic
// 1251 (tables, statements, screen texts), DOS Cyrillic 866 (the dump, the
// register, the control file) and UTF-8 (the window, source literals).
// Every conversion covers all 256 bytes through fixed tables, never fails,
// and converts a text of any length whole. Bytes below 0x80 are unchanged
// between 1251 and 866. A character with no counterpart becomes what the
// operator's Windows makes of it (a look-alike, else "?"); see codepage.cpp.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// 1251 -> 866, as CharToOemA does on a Russian Windows.
std::string Cp1251ToCp866(std::string_view text);
void Cp1251ToCp866InPlace(char* text, size_t size);
// 866 -> 1251, as OemToCharA does on a Russian Windows.
std::string Cp866ToCp1251(std::string_view text);
void Cp866ToCp1251InPlace(char* text, size_t size);

// UTF-8 -> 1251 / 866; a character that the code page lacks, and every
// byte of a malformed UTF-8 sequence, becomes "?".
std::string Utf8ToCp1251(std::string_view utf8);
std::string Utf8ToCp866(std::string_view utf8);
// 1251 / 866 -> UTF-8; every byte has a character.
std::string Cp1251ToUtf8(std::string_view text);
std::string Cp866ToUtf8(std::string_view text);

// A Russian literal written in UTF-8 source, as the system's 1251 text:
// Cp1251("Обработать").
inline std::string Cp1251(std::string_view utf8) { return Utf8ToCp1251(utf8); }
