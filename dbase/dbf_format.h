// The dBASE file layout as data: the 32-byte table header, the 32-byte field
// descriptor, the marker bytes and the known version bytes. A table file is
// header, descriptors, 0x0D, (Visual FoxPro: a 263-byte backlink area), then
// records of `record length` bytes from `header length` on, each opened by
// its deletion flag, and a 0x1A end marker. Little-endian integers.
#pragma once

#include <cstddef>
#include <cstdint>

struct LayoutField {
  const char* name;
  size_t offset;
  size_t width;
};

namespace dbf {

inline constexpr size_t kHeaderSize = 32;
inline constexpr LayoutField kVersion{"version", 0, 1};
inline constexpr LayoutField kUpdateYear{"last update year", 1, 1};
inline constexpr LayoutField kUpdateMonth{"last update month", 2, 1};
inline constexpr LayoutField kUpdateDay{"last update day", 3, 1};
inline constexpr LayoutField kRecordCount{"record count", 4, 4};
inline constexpr LayoutField kHeaderLength{"header length", 8, 2};
inline constexpr LayoutField kRecordLength{"record length", 10, 2};
inline constexpr LayoutField kLanguageDriver{"language driver", 29, 1};
// The part rewritten on every append: update date and record count.
inline constexpr LayoutField kAppendPart{"date and count", 1, 7};

inline constexpr size_t kDescriptorSize = 32;
inline constexpr LayoutField kFieldName{"field name", 0, 11};
inline constexpr LayoutField kFieldType{"field type", 11, 1};
inline constexpr LayoutField kFieldOffset{"field offset", 12, 4};
inline constexpr LayoutField kFieldLength{"field length", 16, 1};
inline constexpr LayoutField kFieldDecimals{"field decimals", 17, 1};
inline constexpr LayoutField kFieldFlags{"field flags (Visual FoxPro)", 18, 1};
inline constexpr uint8_t kSystemFieldFlag = 0x01;  // hidden, e.g. _NullFlags

inline constexpr uint8_t kTerminator = 0x0D;
inline constexpr uint8_t kEndOfFile = 0x1A;
inline constexpr char kLiveFlag = ' ';
inline constexpr char kDeletedFlag = '*';
inline constexpr size_t kBacklinkSize = 263;
inline constexpr size_t kMaxNameLength = 10;

inline constexpr uint8_t kLanguage1251 = 0xC9;
inline constexpr uint8_t kLanguages866[] = {0x26, 0x65};
inline constexpr uint8_t kVersionDbase3 = 0x03;

struct VersionInfo {
  uint8_t version;
  const char* description;
  bool backlink;  // Visual FoxPro: 263 bytes follow the terminator
};

inline constexpr VersionInfo kVersions[] = {
    {0x02, "FoxBase", false},
    {0x03, "dBASE III / FoxPro", false},
    {0x04, "dBASE IV", false},
    {0x05, "dBASE V", false},
    {0x30, "Visual FoxPro", true},
    {0x31, "Visual FoxPro with autoincrement", true},
    {0x32, "Visual FoxPro with varchar", true},
    {0x43, "dBASE IV SQL table with memo", false},
    {0x63, "dBASE IV SQL system table with memo", false},
    {0x83, "dBASE III with memo", false},
    {0x8B, "dBASE IV with memo", false},
    {0x8E, "dBASE IV with SQL table", false},
    {0xCB, "dBASE IV SQL table with memo", false},
    {0xE5, "Clipper SIX with memo", false},
    {0xF5, "FoxPro with memo", false},
    {0xFB, "FoxBase with memo", false},
};

const VersionInfo* FindVersion(uint8_t version);
uint32_t GetUnsigned(const uint8_t* base, LayoutField f);
void PutUnsigned(uint8_t* base, LayoutField f, uint32_t value);

}  // namespace dbf
