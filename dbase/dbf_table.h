// A dBASE table file: its header read and checked against the real file
// size before anything is allocated, a reader that streams live records in
// blocks, and the encoders that turn statement values into field bytes.
// Every error is DbError naming the file (and field, value, record).
// RecordReader borrows the file and header: both must outlive it.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "dbase/field_types.h"
#include "dbase/file_io.h"

struct DbfField {
  std::string name;  // as stored (upper case in our own tables)
  char type = 'C';
  int width = 0;
  int decimals = 0;
  size_t offset = 0;  // from the start of the record (flag at 0)
  const FieldTypeRule* rule = nullptr;
  bool system = false;  // Visual FoxPro system field: in the record, never shown
};

struct DbfHeader {
  uint8_t version = 0;
  uint32_t recordCount = 0;
  size_t headerLength = 0;
  size_t recordLength = 0;
  uint8_t language = 0;
  bool cp866 = false;  // text is stored in code page 866
  std::vector<DbfField> fields;

  // Index of the shown field named so without regard to case, or -1.
  int FindField(std::string_view name) const;
};

DbfHeader ReadHeader(const DbFile& file, uint64_t fileSize);

// Streams records [0, recordCount) in blocks of whole records.
class RecordReader {
 public:
  RecordReader(const DbFile& file, const DbfHeader& header);
  // The next record that is not deleted, or nullptr after the last one.
  const char* NextLive();
  void Rewind();
  // 0-based index of the record NextLive returned last.
  uint32_t LastIndex() const { return next_ - static_cast<uint32_t>(inBlock_ - position_) - 1; }
  // Counts the records not deleted; rewinds before and after.
  uint32_t CountLive();

 private:
  bool Fill();

  const DbFile& file_;
  const DbfHeader& header_;
  std::vector<char> block_;
  uint32_t next_ = 0;    // index of the next record to load
  size_t inBlock_ = 0;   // records held in block_
  size_t position_ = 0;  // next record within block_
};

// Value of a statement, checked and written into the field's bytes (code
// page of the table). `table` names the file in the error.
void EncodeValue(const DbfField& field, std::string_view text, bool quoted, bool cp866,
                 const std::string& table, char* dest);

// dBASE III header date of today: year - 1900, month, day.
void TodayForHeader(uint8_t out[3]);
