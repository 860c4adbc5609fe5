// The statements the system issues, parsed by hand (no regex, no copies of
// the text except for quoted values holding ''). Views in a Statement point
// into the parsed text or into the Statement's own storage: keep the text
// alive while the Statement is used. Keywords compare without regard to
// case. A text that is none of the forms below raises DbError "Syntax
// error at position N (1-based) ...: expected ...".
//   select * from '<file>' | select * from <file>
//   insert into '<file>' (<col>, ...) values (<value>, ...)
//   update '<file>' set <col>=<value>[, ...] [where <col>=<value>]
//   create table '<file>' (<col> CHAR(n) | NUMERIC(p,s), ...)
#pragma once

#include <cstddef>
#include <forward_list>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

struct SqlValue {
  std::string_view text;  // a number as written, or the text unquoted
  bool quoted = false;
  size_t position = 0;  // 1-based
};

struct SqlName {
  std::string_view text;
  size_t position = 0;
};

struct SqlAssignment {
  SqlName column;
  SqlValue value;
};

struct SqlColumnDef {
  SqlName name;
  bool numeric = false;  // NUMERIC(p,s), else CHAR(n)
  int width = 0;         // n or p
  int decimals = 0;      // s
};

enum class SqlKind { Select, Insert, Update, Create };

struct Statement {
  SqlKind kind = SqlKind::Select;
  SqlName table;
  std::vector<SqlName> columns;            // insert
  std::vector<SqlValue> values;            // insert
  std::vector<SqlAssignment> sets;         // update
  std::optional<SqlAssignment> where;      // update
  std::vector<SqlColumnDef> definitions;   // create
  std::forward_list<std::string> storage;  // unescaped quoted texts
};

Statement ParseStatement(std::string_view text);
