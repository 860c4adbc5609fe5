// Reading tables back in the register's tests: every row of a table with
// each field as text, "|"-joined and shown as UTF-8, or one column's values
// ","-joined. Test code only.
#pragma once

#include <string>
#include <vector>

#include "dbase/query.h"
#include "platform/codepage.h"

inline std::vector<std::string> TableRows(const std::string& dir, const std::string& table) {
  Query q;
  q.DatabaseName = dir;
  q.SQL.Add("select * from '" + table + "'");
  q.Open();
  std::vector<std::string> rows;
  for (bool r = q.FindFirst(); r; r = q.FindNext()) {
    std::string row;
    for (int i = 0; i < q.FieldCount(); ++i) row += q.Fields(i).AsString() + "|";
    rows.push_back(Cp1251ToUtf8(row));
  }
  return rows;
}

inline std::string TableColumn(const std::string& dir, const std::string& table,
                               const std::string& column) {
  Query q;
  q.DatabaseName = dir;
  q.SQL.Add("select * from '" + table + "'");
  q.Open();
  std::string values;
  for (bool r = q.FindFirst(); r; r = q.FindNext())
    values += q.FieldByName(column).AsString() + ",";
  return Cp1251ToUtf8(values);
}
