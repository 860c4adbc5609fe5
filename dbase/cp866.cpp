#include "dbase/cp866.h"

#include <array>
#include <cstdint>

namespace {

// Upper half of code page 866 in code page 1251, 0 where 1251 has no such
// character (box drawing, shades and the like).
struct Pair {
  uint8_t cp866;
  uint8_t cp1251;
};

constexpr Pair kSingles[] = {
    {0xF0, 0xA8},  // Ё
    {0xF1, 0xB8},  // ё
    {0xF2, 0xAA},  // Є
    {0xF3, 0xBA},  // є
    {0xF4, 0xAF},  // Ї
    {0xF5, 0xBF},  // ї
    {0xF6, 0xA1},  // Ў
    {0xF7, 0xA2},  // ў
    {0xF8, 0xB0},  // °
    {0xFA, 0xB7},  // ·
    {0xFC, 0xB9},  // №
    {0xFD, 0xA4},  // ¤
    {0xFF, 0xA0},  // no-break space
};

struct Tables {
  std::array<uint8_t, 256> to1251{};
  std::array<uint8_t, 256> to866{};
};

Tables MakeTables() {
  Tables t;
  for (int b = 0; b < 256; ++b) {
    t.to1251[b] = b < 0x80 ? b : '?';
    t.to866[b] = b < 0x80 ? b : '?';
  }
  for (int i = 0; i < 0x30; ++i) {  // А..п
    t.to1251[0x80 + i] = static_cast<uint8_t>(0xC0 + i);
    t.to866[0xC0 + i] = static_cast<uint8_t>(0x80 + i);
  }
  for (int i = 0; i < 0x10; ++i) {  // р..я
    t.to1251[0xE0 + i] = static_cast<uint8_t>(0xF0 + i);
    t.to866[0xF0 + i] = static_cast<uint8_t>(0xE0 + i);
  }
  for (const Pair& p : kSingles) {
    t.to1251[p.cp866] = p.cp1251;
    t.to866[p.cp1251] = p.cp866;
  }
  return t;
}

const Tables& Get() {
  static const Tables tables = MakeTables();
  return tables;
}

void Apply(const std::array<uint8_t, 256>& map, char* bytes, size_t n) {
  for (size_t i = 0; i < n; ++i) {
    bytes[i] = static_cast<char>(map[static_cast<uint8_t>(bytes[i])]);
  }
}

}  // namespace

void DbfCp866To1251InPlace(char* bytes, size_t n) { Apply(Get().to1251, bytes, n); }

void DbfCp1251To866InPlace(char* bytes, size_t n) { Apply(Get().to866, bytes, n); }

std::string DbfCp866To1251(std::string_view text) {
  std::string out(text);
  DbfCp866To1251InPlace(out.data(), out.size());
  return out;
}

std::string DbfCp1251To866(std::string_view text) {
  std::string out(text);
  DbfCp1251To866InPlace(out.data(), out.size());
  return out;
}
