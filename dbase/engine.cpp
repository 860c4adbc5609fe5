#include "dbase/engine.h"

#include <dirent.h>

#include <algorithm>
#include <cstring>
#include <ctime>
#include <map>
#include <memory>
#include <mutex>
#include <optional>

#include "platform/codepage.h"
#include "dbase/dbf_format.h"
#include "dbase/dbf_table.h"
#include "dbase/decimal.h"
#include "dbase/file_io.h"
#include "dbase/table_cache.h"

namespace {

constexpr size_t kUpdateBlockBytes = 1 << 20;

char Upper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

bool SameNameIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (Upper(a[i]) != Upper(b[i])) return false;
  return true;
}

std::string JoinPath(const std::string& directory, std::string_view name) {
  std::string path = directory;
  if (!path.empty() && path.back() != '/' && path.back() != '\\') path += '/';
  path += name;
  return path;
}

std::mutex gMutex;
TableCache& Cache() {
  static TableCache cache;
  return cache;
}

int FieldOf(const DbfHeader& h, const SqlName& column, const std::string& path) {
  const int i = h.FindField(column.text);
  if (i < 0)
    throw DbError("Table " + path + " has no column " + std::string(column.text) +
                  " (statement position " + std::to_string(column.position) + ")");
  return i;
}

void Insert(const std::string& directory, const Statement& st) {
  OpenTable& t = Cache().Acquire(directory, st.table.text);
  const DbfHeader& h = t.Header();
  const std::string& path = t.Path();
  if (st.columns.size() != st.values.size())
    throw DbError("Insert into " + path + " names " + std::to_string(st.columns.size()) +
                  " columns but gives " + std::to_string(st.values.size()) + " values");
  std::string& rec = t.scratch;
  rec.resize(h.recordLength);
  rec[0] = dbf::kLiveFlag;
  for (const DbfField& f : h.fields)
    std::memset(&rec[f.offset], f.rule->blank, static_cast<size_t>(f.width));
  uint64_t given = 0;  // columns named so far (the first 64; more are checked by search)
  for (size_t c = 0; c < st.columns.size(); ++c) {
    const int f = FieldOf(h, st.columns[c], path);
    bool twice = false;
    if (f < 64) {
      twice = (given >> f) & 1;
      given |= uint64_t{1} << f;
    } else {
      for (size_t k = 0; k < c; ++k) twice = twice || h.FindField(st.columns[k].text) == f;
    }
    if (twice)
      throw DbError("Insert into " + path + " names column " + std::string(st.columns[c].text) +
                    " twice");
    const DbfField& field = h.fields[static_cast<size_t>(f)];
    EncodeValue(field, st.values[c].text, st.values[c].quoted, h.cp866, path, &rec[field.offset]);
  }
  t.Append(rec.data());
}

// The WHERE of an UPDATE, prepared once: text by trimmed value in the
// table's own code page, numbers by value.
class Condition {
 public:
  Condition(const DbfHeader& h, const std::optional<SqlAssignment>& where,
            const std::string& path) {
    if (!where) return;
    active_ = true;
    field_ = &h.fields[static_cast<size_t>(FieldOf(h, where->column, path))];
    std::string_view v = Trim(where->value.text);
    switch (field_->rule->write) {
      case WriteKind::Text:
        text_.assign(v);
        if (h.cp866) Cp1251ToCp866InPlace(text_.data(), text_.size());
        break;
      case WriteKind::Number:
        if (v.empty() && where->value.quoted) {
          null_ = true;
        } else if (!ParseDecimal(v, {}, number_)) {
          throw DbError("Table " + path + ", column " + field_->name + ": value '" +
                        std::string(where->value.text) + "' in WHERE is not a number");
        }
        break;
      case WriteKind::None:
        throw DbError("Table " + path + ", column " + field_->name +
                      ": the engine cannot compare " + field_->rule->description + " fields");
    }
  }

  bool Matches(const char* record) const {
    if (!active_) return true;
    std::string_view raw(record + field_->offset, static_cast<size_t>(field_->width));
    if (field_->rule->write == WriteKind::Text) return Trim(raw) == text_;
    std::string_view t = Trim(raw);
    if (t.empty()) return null_;
    if (null_) return false;
    Decimal d;
    return ParseDecimal(t, DecimalSyntax{.comma = true, .exponent = true}, d) && d == number_;
  }

 private:
  static std::string_view Trim(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\0')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\0')) s.remove_suffix(1);
    return s;
  }

  bool active_ = false;
  const DbfField* field_ = nullptr;
  std::string text_;
  Decimal number_;
  bool null_ = false;
};

void Update(const std::string& directory, const Statement& st) {
  OpenTable& t = Cache().Acquire(directory, st.table.text);
  const DbfHeader& h = t.Header();
  const std::string& path = t.Path();
  // Every new value encoded (and so checked) before the file is touched.
  struct Change {
    const DbfField* field;
    std::string bytes;
  };
  std::vector<Change> changes;
  for (const SqlAssignment& a : st.sets) {
    const DbfField& field = h.fields[static_cast<size_t>(FieldOf(h, a.column, path))];
    Change c{&field, std::string(static_cast<size_t>(field.width), ' ')};
    EncodeValue(field, a.value.text, a.value.quoted, h.cp866, path, c.bytes.data());
    changes.push_back(std::move(c));
  }
  const Condition condition(h, st.where, path);
  const size_t perBlock = std::max<size_t>(1, kUpdateBlockBytes / h.recordLength);
  std::vector<char> block(std::min<size_t>(perBlock, std::max<uint32_t>(h.recordCount, 1)) *
                          h.recordLength);
  bool changed = false;
  try {
    for (uint32_t first = 0; first < h.recordCount;) {
      const size_t n = std::min<size_t>(perBlock, h.recordCount - first);
      const uint64_t at = h.headerLength + static_cast<uint64_t>(first) * h.recordLength;
      const size_t bytes = n * h.recordLength;
      if (t.File().ReadAt(at, block.data(), bytes) != bytes)
        throw DbError("Table " + path + " ends inside record " + std::to_string(first + 1));
      bool dirty = false;
      for (size_t r = 0; r < n; ++r) {
        char* record = block.data() + r * h.recordLength;
        if (record[0] == dbf::kDeletedFlag || !condition.Matches(record)) continue;
        for (const Change& c : changes)
          std::memcpy(record + c.field->offset, c.bytes.data(), c.bytes.size());
        dirty = true;
      }
      if (dirty) {
        t.File().WriteAt(at, block.data(), bytes);
        changed = true;
      }
      first += static_cast<uint32_t>(n);
    }
    if (changed) t.Touch();
  } catch (...) {
    Cache().Forget(path);
    throw;
  }
}

bool ValidColumnName(std::string_view name) {
  if (name.empty() || name.size() > dbf::kMaxNameLength) return false;
  return std::all_of(name.begin(), name.end(), [](char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_';
  });
}

std::string CreateBytes(const std::string& path, const Statement& st) {
  const size_t n = st.definitions.size();
  const size_t headerLength = dbf::kHeaderSize + n * dbf::kDescriptorSize + 1;
  std::string bytes(headerLength + 1, '\0');
  auto* b = reinterpret_cast<uint8_t*>(bytes.data());
  size_t recordLength = 1;
  for (size_t i = 0; i < n; ++i) {
    const SqlColumnDef& def = st.definitions[i];
    const std::string name(def.name.text);
    auto refuse = [&](const std::string& why) {
      throw DbError("Create table " + path + ": column " + name + " " + why);
    };
    if (!ValidColumnName(def.name.text)) refuse("needs a name of 1 to 10 letters, digits or _");
    for (size_t k = 0; k < i; ++k)
      if (SameNameIgnoringCase(st.definitions[k].name.text, def.name.text))
        refuse("is defined twice");
    if (def.numeric) {
      if (def.width < 1 || def.width > 20) refuse("NUMERIC precision must be 1 to 20");
      if (def.decimals < 0 || def.decimals > 15 ||
          (def.decimals > 0 && def.decimals > def.width - 2))
        refuse("NUMERIC scale must leave room for the point and one digit");
    } else if (def.width < 1 || def.width > 254) {
      refuse("CHAR width must be 1 to 254");
    }
    uint8_t* d = b + dbf::kHeaderSize + i * dbf::kDescriptorSize;
    for (size_t k = 0; k < name.size(); ++k)
      d[dbf::kFieldName.offset + k] = static_cast<uint8_t>(Upper(name[k]));
    d[dbf::kFieldType.offset] = def.numeric ? 'N' : 'C';
    dbf::PutUnsigned(d, dbf::kFieldOffset, static_cast<uint32_t>(recordLength));
    dbf::PutUnsigned(d, dbf::kFieldLength, static_cast<uint32_t>(def.width));
    dbf::PutUnsigned(d, dbf::kFieldDecimals, static_cast<uint32_t>(def.numeric ? def.decimals : 0));
    recordLength += static_cast<size_t>(def.width);
  }
  if (recordLength > 65535)
    throw DbError("Create table " + path + ": records longer than 65535 bytes");
  b[dbf::kVersion.offset] = dbf::kVersionDbase3;
  TodayForHeader(b + dbf::kUpdateYear.offset);
  dbf::PutUnsigned(b, dbf::kRecordCount, 0);
  dbf::PutUnsigned(b, dbf::kHeaderLength, static_cast<uint32_t>(headerLength));
  dbf::PutUnsigned(b, dbf::kRecordLength, static_cast<uint32_t>(recordLength));
  b[dbf::kLanguageDriver.offset] = dbf::kLanguage1251;
  b[headerLength - 1] = dbf::kTerminator;
  b[headerLength] = dbf::kEndOfFile;
  return bytes;
}

void Create(const std::string& path, const Statement& st) {
  const std::string bytes = CreateBytes(path, st);
  Cache().Forget(path);
  ReplaceFile(path, bytes);
}

}  // namespace

std::string ResolveTablePath(const std::string& directory, std::string_view name, bool mustExist) {
  std::string path = JoinPath(directory, name);
  FileIdentity id;
  if (IdentityOfPath(path, id)) return path;
  // Only the last part of the name is matched without regard to case.
  const size_t slash = path.find_last_of("/\\");
  const std::string folder = slash == std::string::npos ? "." : path.substr(0, slash + 1);
  const std::string_view leaf =
      std::string_view(path).substr(slash == std::string::npos ? 0 : slash + 1);
  if (DIR* dir = ::opendir(folder.c_str())) {
    std::string found;
    while (const dirent* e = ::readdir(dir)) {
      if (SameNameIgnoringCase(e->d_name, leaf)) {
        found = e->d_name;
        break;
      }
    }
    ::closedir(dir);
    if (!found.empty()) {
      std::string candidate =
          (slash == std::string::npos ? std::string() : path.substr(0, slash + 1)) + found;
      if (IdentityOfPath(candidate, id)) return candidate;
    }
  }
  if (mustExist) throw DbError("Table " + path + " does not exist");
  return path;
}

void ExecuteStatement(const std::string& directory, const Statement& st) {
  std::lock_guard<std::mutex> lock(gMutex);
  switch (st.kind) {
    case SqlKind::Insert:
      return Insert(directory, st);
    case SqlKind::Update:
      return Update(directory, st);
    case SqlKind::Create:
      return Create(ResolveTablePath(directory, st.table.text, false), st);
    case SqlKind::Select:
      throw DbError("A SELECT returns rows: open it instead of executing it");
  }
}

void SettleTable(const std::string& path) {
  std::lock_guard<std::mutex> lock(gMutex);
  Cache().Settle(path);
}

void CloseCachedTables() {
  std::lock_guard<std::mutex> lock(gMutex);
  Cache().Clear();
}
