#include "dbase/dbf_format.h"

namespace dbf {

const VersionInfo* FindVersion(uint8_t version) {
  for (const VersionInfo& v : kVersions)
    if (v.version == version) return &v;
  return nullptr;
}

uint32_t GetUnsigned(const uint8_t* base, LayoutField f) {
  uint32_t v = 0;
  for (size_t i = f.width; i > 0; --i) v = (v << 8) | base[f.offset + i - 1];
  return v;
}

void PutUnsigned(uint8_t* base, LayoutField f, uint32_t value) {
  for (size_t i = 0; i < f.width; ++i) {
    base[f.offset + i] = static_cast<uint8_t>(value & 0xFF);
    value >>= 8;
  }
}

}  // namespace dbf
