// The upload's message texts are written here in UTF-8 and turned into code
// page 1251 bytes by Cp1251. It covers ASCII and the Russian letters
// (А-я, Ё, ё) only; any other character is a programming error and raises
// std::logic_error. Used for literals of transfer/ alone, until the shared
// code-page converter takes its place.
#pragma once

#include <stdexcept>
#include <string>
#include <string_view>

inline std::string Cp1251(std::string_view utf8) {
  std::string out;
  for (size_t i = 0; i < utf8.size(); ++i) {
    unsigned char b = static_cast<unsigned char>(utf8[i]);
    if (b < 0x80) {
      out += static_cast<char>(b);
      continue;
    }
    if ((b & 0xE0) != 0xC0 || i + 1 >= utf8.size())
      throw std::logic_error("Cp1251: not a Russian letter in " + std::string(utf8));
    unsigned next = static_cast<unsigned char>(utf8[++i]);
    if ((next & 0xC0) != 0x80)
      throw std::logic_error("Cp1251: broken UTF-8 in " + std::string(utf8));
    unsigned code = ((b & 0x1Fu) << 6) | (next & 0x3Fu);
    if (code >= 0x410 && code <= 0x44F)
      out += static_cast<char>(0xC0 + (code - 0x410));
    else if (code == 0x401)
      out += '\xA8';
    else if (code == 0x451)
      out += '\xB8';
    else
      throw std::logic_error("Cp1251: not a Russian letter in " + std::string(utf8));
  }
  return out;
}
