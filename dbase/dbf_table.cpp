#include "dbase/dbf_table.h"

#include <algorithm>
#include <cstring>
#include <ctime>

#include "platform/codepage.h"
#include "dbase/dbf_format.h"
#include "dbase/decimal.h"

namespace {

constexpr size_t kBlockBytes = 1 << 18;

char Upper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

bool SameName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (Upper(a[i]) != Upper(b[i])) return false;
  return true;
}

[[noreturn]] void NotDbase(const DbFile& file, const std::string& why) {
  throw DbError("File " + file.Path() + " is not a dBASE table: " + why);
}

std::string Hex(unsigned v) {
  static const char digits[] = "0123456789ABCDEF";
  return std::string("0x") + digits[(v >> 4) & 15] + digits[v & 15];
}

DbfField ReadDescriptor(const DbFile& file, const uint8_t* d, size_t number, size_t offset) {
  DbfField f;
  const char* name = reinterpret_cast<const char*>(d + dbf::kFieldName.offset);
  size_t n = 0;
  while (n < dbf::kFieldName.width && name[n] != '\0') ++n;
  while (n > 0 && name[n - 1] == ' ') --n;
  f.name.assign(name, n);
  const std::string which = "field " + std::to_string(number);
  if (f.name.empty()) NotDbase(file, which + " has no name");
  // Ten bytes at most and a zero after them: a name filling all eleven is
  // a descriptor out of place.
  if (f.name.size() > dbf::kMaxNameLength)
    NotDbase(file, which + " has a name of " + std::to_string(f.name.size()) +
                       " bytes without its terminating zero");
  for (char c : f.name)
    if (static_cast<uint8_t>(c) < 0x20) NotDbase(file, which + " has a name with control bytes");
  f.type = static_cast<char>(d[dbf::kFieldType.offset]);
  f.rule = FindFieldType(f.type);
  if (f.rule == nullptr)
    NotDbase(file,
             which + " (" + f.name + ") has unknown type " + Hex(static_cast<uint8_t>(f.type)));
  f.width = static_cast<int>(dbf::GetUnsigned(d, dbf::kFieldLength));
  f.decimals = static_cast<int>(dbf::GetUnsigned(d, dbf::kFieldDecimals));
  f.system = (d[dbf::kFieldFlags.offset] & dbf::kSystemFieldFlag) != 0;
  if (f.width == 0) NotDbase(file, which + " (" + f.name + ") has length 0");
  f.offset = offset;
  return f;
}

}  // namespace

int DbfHeader::FindField(std::string_view name) const {
  for (size_t i = 0; i < fields.size(); ++i)
    if (!fields[i].system && SameName(fields[i].name, name)) return static_cast<int>(i);
  return -1;
}

DbfHeader ReadHeader(const DbFile& file, uint64_t fileSize) {
  uint8_t head[dbf::kHeaderSize];
  if (fileSize < dbf::kHeaderSize || file.ReadAt(0, head, sizeof head) != sizeof head)
    NotDbase(file, "it is shorter than a table header (" + std::to_string(fileSize) + " bytes)");
  DbfHeader h;
  h.version = head[dbf::kVersion.offset];
  if (dbf::FindVersion(h.version) == nullptr)
    NotDbase(file, "unknown version byte " + Hex(h.version));
  h.recordCount = dbf::GetUnsigned(head, dbf::kRecordCount);
  h.headerLength = dbf::GetUnsigned(head, dbf::kHeaderLength);
  h.recordLength = dbf::GetUnsigned(head, dbf::kRecordLength);
  h.language = head[dbf::kLanguageDriver.offset];
  h.cp866 = std::find(std::begin(dbf::kLanguages866), std::end(dbf::kLanguages866), h.language) !=
            std::end(dbf::kLanguages866);
  if (h.headerLength < dbf::kHeaderSize + dbf::kDescriptorSize + 1)
    NotDbase(file, "header length " + std::to_string(h.headerLength) + " is too small");
  if (h.headerLength > fileSize)
    NotDbase(file, "header length " + std::to_string(h.headerLength) + " exceeds the file size " +
                       std::to_string(fileSize));
  std::vector<uint8_t> all(h.headerLength);
  if (file.ReadAt(0, all.data(), all.size()) != all.size())
    NotDbase(file, "the header cannot be read whole");
  size_t pos = dbf::kHeaderSize;
  size_t offset = 1;
  while (pos < h.headerLength && all[pos] != dbf::kTerminator) {
    if (pos + dbf::kDescriptorSize > h.headerLength)
      NotDbase(file, "the field descriptors have no 0x0D terminator within the header length " +
                         std::to_string(h.headerLength));
    DbfField f = ReadDescriptor(file, &all[pos], h.fields.size() + 1, offset);
    offset += static_cast<size_t>(f.width);
    h.fields.push_back(std::move(f));
    pos += dbf::kDescriptorSize;
  }
  if (pos >= h.headerLength)
    NotDbase(file, "the field descriptors have no 0x0D terminator within the header length " +
                       std::to_string(h.headerLength));
  if (h.fields.empty()) NotDbase(file, "it declares no fields");
  if (offset != h.recordLength)
    NotDbase(file, "record length " + std::to_string(h.recordLength) +
                       " does not match its fields (" + std::to_string(offset) +
                       " bytes with the deletion flag)");
  // Checked against the real size before any record is read.
  const uint64_t needed = h.headerLength + static_cast<uint64_t>(h.recordCount) * h.recordLength;
  if (needed > fileSize)
    NotDbase(file, "the header claims " + std::to_string(h.recordCount) + " records of " +
                       std::to_string(h.recordLength) + " bytes, but the file holds only " +
                       std::to_string(fileSize) + " bytes");
  return h;
}

RecordReader::RecordReader(const DbFile& file, const DbfHeader& header)
    : file_(file), header_(header) {
  const size_t records = std::max<size_t>(1, kBlockBytes / header.recordLength);
  block_.resize(records * header.recordLength);
}

void RecordReader::Rewind() {
  next_ = 0;
  inBlock_ = 0;
  position_ = 0;
}

bool RecordReader::Fill() {
  if (next_ >= header_.recordCount) return false;
  const size_t perBlock = block_.size() / header_.recordLength;
  const size_t want = std::min<size_t>(perBlock, header_.recordCount - next_);
  const uint64_t at = header_.headerLength + static_cast<uint64_t>(next_) * header_.recordLength;
  const size_t bytes = want * header_.recordLength;
  if (file_.ReadAt(at, block_.data(), bytes) != bytes)
    throw DbError("Table " + file_.Path() + " ends inside record " + std::to_string(next_ + 1) +
                  ": the file was shortened while it was read");
  next_ += static_cast<uint32_t>(want);
  inBlock_ = want;
  position_ = 0;
  return true;
}

const char* RecordReader::NextLive() {
  for (;;) {
    while (position_ < inBlock_) {
      const char* record = block_.data() + position_ * header_.recordLength;
      ++position_;
      if (record[0] != dbf::kDeletedFlag) return record;
    }
    if (!Fill()) return nullptr;
  }
}

uint32_t RecordReader::CountLive() {
  Rewind();
  uint32_t live = 0;
  while (NextLive() != nullptr) ++live;
  Rewind();
  return live;
}

void EncodeValue(const DbfField& field, std::string_view text, bool quoted, bool cp866,
                 const std::string& table, char* dest) {
  const size_t width = static_cast<size_t>(field.width);
  auto refuse = [&](const std::string& why) {
    throw DbError("Table " + table + ", column " + field.name + ": value '" + std::string(text) +
                  "' " + why);
  };
  switch (field.rule->write) {
    case WriteKind::Text: {
      // Longer texts are cut to the column's width, as dBASE does.
      const size_t n = std::min(width, text.size());
      std::memcpy(dest, text.data(), n);
      std::memset(dest + n, ' ', width - n);
      if (cp866) Cp1251ToCp866InPlace(dest, n);
      return;
    }
    case WriteKind::Number: {
      std::string_view t = text;
      if (quoted) {
        while (!t.empty() && t.front() == ' ') t.remove_prefix(1);
        while (!t.empty() && t.back() == ' ') t.remove_suffix(1);
        if (t.empty()) {
          std::memset(dest, ' ', width);
          return;
        }
      }
      Decimal d;
      if (!ParseDecimal(t, {}, d)) refuse("is not a number");
      std::string fixed = FixedDecimal(d, field.decimals);
      if (fixed.size() > width && fixed.compare(0, 2, "0.") == 0) fixed.erase(0, 1);
      if (fixed.size() > width && fixed.compare(0, 3, "-0.") == 0) fixed.erase(1, 1);
      if (fixed.size() > width)
        refuse("does not fit NUMERIC(" + std::to_string(field.width) + "," +
               std::to_string(field.decimals) + ")");
      std::memset(dest, ' ', width - fixed.size());
      std::memcpy(dest + width - fixed.size(), fixed.data(), fixed.size());
      return;
    }
    case WriteKind::None:
      refuse(std::string("cannot be stored: the engine does not write ") + field.rule->description +
             " fields");
  }
}

void TodayForHeader(uint8_t out[3]) {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  out[0] = static_cast<uint8_t>(local.tm_year);
  out[1] = static_cast<uint8_t>(local.tm_mon + 1);
  out[2] = static_cast<uint8_t>(local.tm_mday);
}
