// Code page conversion between DOS Cyrillic 866 (tables marked 0x26/0x65)
// and Windows Cyrillic 1251 (the system's own texts). Bytes below 0x80 pass
// unchanged; a byte with no counterpart in the other page becomes '?'.
// Private to the dBASE engine until the shared platform converter replaces
// it; pure functions, no state.
#pragma once

#include <string>
#include <string_view>

std::string DbfCp866To1251(std::string_view text);
std::string DbfCp1251To866(std::string_view text);
// In-place forms for the engine's record buffers (same length both ways).
void DbfCp866To1251InPlace(char* bytes, size_t n);
void DbfCp1251To866InPlace(char* bytes, size_t n);
