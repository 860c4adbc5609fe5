#include "dbase/sql.h"

#include "dbase/query.h"

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsWordStart(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_'; }
bool IsWordChar(char c) { return IsWordStart(c) || IsDigit(c); }
char Lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

class Parser {
 public:
  Parser(std::string_view text, Statement& st) : text_(text), st_(st) {}

  void Run() {
    Skip();
    if (PeekKeyword("select")) {
      Select();
    } else if (PeekKeyword("insert")) {
      Insert();
    } else if (PeekKeyword("update")) {
      Update();
    } else if (PeekKeyword("create")) {
      Create();
    } else {
      Fail("SELECT, INSERT, UPDATE or CREATE TABLE");
    }
    Skip();
    if (pos_ != text_.size()) Fail("the end of the statement");
  }

 private:
  void Select() {
    Keyword("select");
    Char('*');
    Keyword("from");
    st_.kind = SqlKind::Select;
    Skip();
    if (pos_ < text_.size() && text_[pos_] == '\'') {
      st_.table = QuotedName();
    } else {
      const size_t start = pos_;
      while (pos_ < text_.size() && !IsBlank(text_[pos_])) ++pos_;
      if (pos_ == start) Fail("a table file name");
      st_.table = {text_.substr(start, pos_ - start), start + 1};
    }
  }

  void Insert() {
    Keyword("insert");
    Keyword("into");
    st_.kind = SqlKind::Insert;
    st_.table = QuotedName();
    st_.columns.reserve(16);
    st_.values.reserve(16);
    Char('(');
    do st_.columns.push_back(Identifier("a column name"));
    while (Comma());
    Char(')');
    Keyword("values");
    Char('(');
    do st_.values.push_back(Value());
    while (Comma());
    Char(')');
  }

  void Update() {
    Keyword("update");
    st_.kind = SqlKind::Update;
    st_.table = QuotedName();
    Keyword("set");
    do st_.sets.push_back(Assignment());
    while (Comma());
    Skip();
    if (PeekKeyword("where")) {
      Keyword("where");
      st_.where = Assignment();
    }
  }

  void Create() {
    Keyword("create");
    Keyword("table");
    st_.kind = SqlKind::Create;
    st_.table = QuotedName();
    Char('(');
    do st_.definitions.push_back(Definition());
    while (Comma());
    Char(')');
  }

  SqlColumnDef Definition() {
    SqlColumnDef def;
    def.name = Identifier("a column name");
    Skip();
    if (PeekKeyword("char")) {
      Keyword("char");
      Char('(');
      def.width = Integer("the width of the CHAR column");
      Char(')');
    } else if (PeekKeyword("numeric")) {
      Keyword("numeric");
      def.numeric = true;
      Char('(');
      def.width = Integer("the precision of the NUMERIC column");
      Char(',');
      def.decimals = Integer("the scale of the NUMERIC column");
      Char(')');
    } else {
      Fail("CHAR or NUMERIC");
    }
    return def;
  }

  SqlAssignment Assignment() {
    SqlAssignment a;
    a.column = Identifier("a column name");
    Char('=');
    a.value = Value();
    return a;
  }

  SqlValue Value() {
    Skip();
    SqlValue v;
    v.position = pos_ + 1;
    if (pos_ < text_.size() && text_[pos_] == '\'') {
      v.text = Quoted();
      v.quoted = true;
      return v;
    }
    const size_t start = pos_;
    if (pos_ < text_.size() && (text_[pos_] == '+' || text_[pos_] == '-')) ++pos_;
    if (!Digits()) Fail("a number or a quoted text");
    if (pos_ < text_.size() && text_[pos_] == '.') {
      ++pos_;
      if (!Digits()) Fail("digits after the decimal point");
    }
    if (pos_ < text_.size() && IsWordChar(text_[pos_])) Fail("a number or a quoted text");
    v.text = text_.substr(start, pos_ - start);
    return v;
  }

  bool Digits() {
    const size_t start = pos_;
    while (pos_ < text_.size() && IsDigit(text_[pos_])) ++pos_;
    return pos_ > start;
  }

  int Integer(const char* what) {
    Skip();
    const size_t start = pos_;
    int value = 0;
    while (pos_ < text_.size() && IsDigit(text_[pos_]) && pos_ - start < 6)
      value = value * 10 + (text_[pos_++] - '0');
    if (pos_ == start || (pos_ < text_.size() && IsWordChar(text_[pos_]))) {
      pos_ = start;
      Fail(what);
    }
    return value;
  }

  // A text between apostrophes in which '' stands for one apostrophe.
  std::string_view Quoted() {
    const size_t start = pos_ + 1;
    size_t i = start;
    bool doubled = false;
    for (;;) {
      if (i >= text_.size()) {
        pos_ = text_.size();
        Fail("a closing apostrophe");
      }
      if (text_[i] == '\'') {
        if (i + 1 < text_.size() && text_[i + 1] == '\'') {
          doubled = true;
          i += 2;
          continue;
        }
        break;
      }
      ++i;
    }
    pos_ = i + 1;
    std::string_view raw = text_.substr(start, i - start);
    if (!doubled) return raw;
    std::string& out = st_.storage.emplace_front();
    out.reserve(raw.size());
    for (size_t k = 0; k < raw.size(); ++k) {
      out += raw[k];
      if (raw[k] == '\'') ++k;
    }
    return out;
  }

  SqlName QuotedName() {
    Skip();
    if (pos_ >= text_.size() || text_[pos_] != '\'') Fail("a table file name in apostrophes");
    SqlName name;
    name.position = pos_ + 1;
    name.text = Quoted();
    if (name.text.empty()) {
      pos_ = name.position - 1;
      Fail("a table file name in apostrophes");
    }
    return name;
  }

  SqlName Identifier(const char* what) {
    Skip();
    if (pos_ >= text_.size() || !IsWordStart(text_[pos_])) Fail(what);
    const size_t start = pos_;
    while (pos_ < text_.size() && IsWordChar(text_[pos_])) ++pos_;
    return {text_.substr(start, pos_ - start), start + 1};
  }

  bool PeekKeyword(std::string_view word) const {
    if (text_.size() - pos_ < word.size()) return false;
    for (size_t i = 0; i < word.size(); ++i)
      if (Lower(text_[pos_ + i]) != word[i]) return false;
    return pos_ + word.size() == text_.size() || !IsWordChar(text_[pos_ + word.size()]);
  }

  void Keyword(std::string_view word) {
    Skip();
    if (!PeekKeyword(word)) {
      std::string upper(word);
      for (char& c : upper) c = static_cast<char>(c - 'a' + 'A');
      Fail(upper.c_str());
    }
    pos_ += word.size();
  }

  void Char(char c) {
    Skip();
    if (pos_ >= text_.size() || text_[pos_] != c) Fail((std::string("\"") + c + "\"").c_str());
    ++pos_;
  }

  bool Comma() {
    Skip();
    if (pos_ < text_.size() && text_[pos_] == ',') {
      ++pos_;
      return true;
    }
    return false;
  }

  void Skip() {
    while (pos_ < text_.size() && IsBlank(text_[pos_])) ++pos_;
  }

  [[noreturn]] void Fail(const char* expected) const {
    std::string shown(text_.substr(0, 200));
    if (text_.size() > 200) shown += "...";
    throw DbError("Syntax error at position " + std::to_string(pos_ + 1) + " of statement \"" +
                  shown + "\": expected " + expected);
  }

  std::string_view text_;
  Statement& st_;
  size_t pos_ = 0;
};

}  // namespace

Statement ParseStatement(std::string_view text) {
  Statement st;
  Parser(text, st).Run();
  return st;
}
