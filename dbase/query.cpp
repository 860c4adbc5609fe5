#include "dbase/query.h"

#include <optional>

#include "dbase/dbf_table.h"
#include "dbase/decimal.h"
#include "dbase/engine.h"
#include "dbase/file_io.h"
#include "dbase/sql.h"

std::string StringList::Text() const {
  std::string text;
  for (size_t i = 0; i < lines_.size(); ++i) {
    if (i > 0) text += ' ';
    text += lines_[i];
  }
  return text;
}

namespace {

bool SameFieldName(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    char x = a[i], y = b[i];
    if (x >= 'a' && x <= 'z') x = static_cast<char>(x - 'a' + 'A');
    if (y >= 'a' && y <= 'z') y = static_cast<char>(y - 'a' + 'A');
    if (x != y) return false;
  }
  return true;
}

// The rows of one SELECT: its own handle on the file, the current record
// copied out of the read block so it stays valid after the last FindNext.
struct Result {
  DbFile file;
  DbfHeader header;
  std::optional<RecordReader> reader;
  std::vector<char> current;
  uint32_t currentIndex = 0;
  bool hasRow = false;
  bool atFirst = false;
  std::optional<uint32_t> liveCount;
  std::vector<FieldDef> defs;
  std::vector<std::unique_ptr<Field>> fields;

  bool Advance() {
    const char* record = reader->NextLive();
    if (record == nullptr) return false;
    current.assign(record, record + header.recordLength);
    currentIndex = reader->LastIndex();
    hasRow = true;
    return true;
  }
};

class ResultField : public Field {
 public:
  ResultField(const Result& result, size_t index) : result_(result), index_(index) {}

  const std::string& FieldName() const override { return Def().name; }
  TFieldType DataType() const override { return Def().rule->type; }

  bool IsNull() const override {
    std::string text;
    return Read(text) == ValueState::Null;
  }

  std::string AsString() const override {
    std::string text;
    if (Read(text) == ValueState::Bad)
      Refuse("holds", "which is not a valid " + std::string(Def().rule->description));
    return text;
  }

  int32_t AsInteger() const override {
    std::string text;
    const ValueState state = Read(text);
    if (state == ValueState::Null) return 0;
    if (state == ValueState::Bad)
      Refuse("holds", "which is not a valid " + std::string(Def().rule->description));
    size_t b = 0, e = text.size();
    while (b < e && text[b] == ' ') ++b;
    while (e > b && text[e - 1] == ' ') --e;
    Decimal d;
    long long value = 0;
    if (!ParseDecimal(std::string_view(text).substr(b, e - b), DecimalSyntax{.comma = true}, d) ||
        !DecimalToInteger(d, INT32_MIN, INT32_MAX, value))
      Refuse("value", "is not an integer");
    return static_cast<int32_t>(value);
  }

 private:
  const DbfField& Def() const { return result_.header.fields[index_]; }

  ValueState Read(std::string& out) const {
    if (!result_.hasRow) return ValueState::Null;
    const DbfField& f = Def();
    std::string_view raw(result_.current.data() + f.offset, static_cast<size_t>(f.width));
    return f.rule->format(raw, result_.header.cp866, out);
  }

  [[noreturn]] void Refuse(const char* verb, const std::string& why) const {
    const DbfField& f = Def();
    std::string raw(result_.current.data() + f.offset, static_cast<size_t>(f.width));
    throw DbError("Table " + result_.file.Path() + ", record " +
                  std::to_string(result_.currentIndex + 1) + ", field " + f.name + " " + verb +
                  " '" + raw + "' " + why);
  }

  const Result& result_;
  size_t index_;
};

}  // namespace

struct Query::Impl {
  std::unique_ptr<Result> result;

  Result& Open() {
    if (!result) throw DbError("The query has no open result (statement not opened)");
    return *result;
  }
};

Query::Query() : impl_(std::make_unique<Impl>()) {}
Query::~Query() = default;

void Query::ExecSQL() {
  Close();
  const std::string text = SQL.Text();
  const Statement st = ParseStatement(text);
  ExecuteStatement(DatabaseName, st);
}

void Query::Open() {
  Close();
  const std::string text = SQL.Text();
  const Statement st = ParseStatement(text);
  if (st.kind != SqlKind::Select)
    throw DbError("Only a SELECT can be opened: run \"" + text + "\" with ExecSQL");
  auto r = std::make_unique<Result>();
  const std::string path = ResolveTablePath(DatabaseName, st.table.text, true);
  SettleTable(path);
  r->file = DbFile(path, DbFile::Mode::Read);
  r->header = ReadHeader(r->file, r->file.Identity().size);
  r->reader.emplace(r->file, r->header);
  for (size_t i = 0; i < r->header.fields.size(); ++i) {
    const DbfField& f = r->header.fields[i];
    if (f.system) continue;
    r->defs.push_back(FieldDef{f.name, f.rule->type, f.rule->sizeIsWidth ? f.width : 0});
    r->fields.push_back(std::make_unique<ResultField>(*r, i));
  }
  r->Advance();
  r->atFirst = true;
  impl_->result = std::move(r);
}

void Query::Close() { impl_->result.reset(); }

bool Query::Active() const { return impl_->result != nullptr; }

bool Query::FindFirst() {
  Result& r = impl_->Open();
  if (!r.atFirst) {
    r.reader->Rewind();
    r.hasRow = false;
    r.Advance();
    r.atFirst = true;
  }
  return r.hasRow;
}

bool Query::FindNext() {
  Result& r = impl_->Open();
  if (!r.hasRow) return false;
  r.atFirst = false;
  return r.Advance();
}

int Query::FieldCount() const {
  return impl_->result ? static_cast<int>(impl_->result->fields.size()) : 0;
}

Field& Query::Fields(int i) {
  Result& r = impl_->Open();
  if (i < 0 || i >= static_cast<int>(r.fields.size()))
    throw DbError("Table " + r.file.Path() + " has no field number " + std::to_string(i));
  return *r.fields[static_cast<size_t>(i)];
}

const FieldDef& Query::FieldDefs(int i) const {
  const Result& r = impl_->Open();
  if (i < 0 || i >= static_cast<int>(r.defs.size()))
    throw DbError("Table " + r.file.Path() + " has no field number " + std::to_string(i));
  return r.defs[static_cast<size_t>(i)];
}

Field& Query::FieldByName(const std::string& name) {
  Result& r = impl_->Open();
  for (const auto& f : r.fields)
    if (SameFieldName(f->FieldName(), name)) return *f;
  throw DbError("Table " + r.file.Path() + " has no field " + name);
}

int Query::RecordCount() const {
  Result& r = impl_->Open();
  if (!r.liveCount) {
    RecordReader counter(r.file, r.header);
    r.liveCount = counter.CountLive();
  }
  return static_cast<int>(*r.liveCount);
}
