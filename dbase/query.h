// The query object over the local SQL engine on dBASE tables.
// A Query is bound to a directory (DatabaseName) and holds one statement in
// SQL. ExecSQL runs UPDATE, CREATE TABLE and INSERT; Open runs a SELECT and
// keeps its result open, streaming rows from the file (memory does not grow
// with the table) until Close. Table names are dBASE file names relative to
// DatabaseName. Text values are code page 1251 bytes whatever the table's own
// code page. Every failure raises DbError naming the file (and the column,
// value or statement position where they apply); a refused statement
// changes no file. Field references stay valid while the result is open.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/error.h"

class DbError : public Error {
 public:
  using Error::Error;
};

// Values as the window framework numbers them; the system tests ftString,
// ftInteger, ftBoolean, ftFloat and ftDate.
enum TFieldType : int {
  ftUnknown = 0,
  ftString = 1,
  ftSmallint = 2,
  ftInteger = 3,
  ftWord = 4,
  ftBoolean = 5,
  ftFloat = 6,
  ftCurrency = 7,
  ftBCD = 8,
  ftDate = 9,
  ftTime = 10,
  ftDateTime = 11,
  ftBytes = 12,
  ftVarBytes = 13,
  ftAutoInc = 14,
  ftBlob = 15,
  ftMemo = 16,
  ftGraphic = 17,
};

// The statement text, as a list of lines joined by a blank when run.
class StringList {
 public:
  void Clear() { lines_.clear(); }
  void Add(std::string line) { lines_.push_back(std::move(line)); }
  int Count() const { return static_cast<int>(lines_.size()); }
  std::string Text() const;

 private:
  std::vector<std::string> lines_;
};

struct FieldDef {
  std::string Name;
  TFieldType DataType = ftUnknown;
  int Size = 0;  // declared width for text fields, 0 for the others
};

class Field {
 public:
  virtual ~Field() = default;
  virtual const std::string& FieldName() const = 0;
  virtual TFieldType DataType() const = 0;
  virtual bool IsNull() const = 0;
  // Text as the operator's system shows it: trailing blanks dropped for
  // text, shortest decimal with "," for floats, DD.MM.YYYY for dates,
  // "True"/"False" for logicals, "" for NULL.
  virtual std::string AsString() const = 0;
  // 0 for NULL; raises DbError for a value that is no integer.
  virtual int32_t AsInteger() const = 0;
};

class Query {
 public:
  Query();
  ~Query();
  Query(const Query&) = delete;
  Query& operator=(const Query&) = delete;

  std::string DatabaseName;
  StringList SQL;

  void ExecSQL();
  void Open();
  void Close();
  bool Active() const;

  bool FindFirst();
  bool FindNext();
  int FieldCount() const;
  Field& Fields(int i);
  const FieldDef& FieldDefs(int i) const;
  Field& FieldByName(const std::string& name);
  int RecordCount() const;

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};
