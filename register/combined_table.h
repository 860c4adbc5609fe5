// The combined payment table: the statements that prepare the ticked lists
// and build mrg7493.dbf from them. Every statement goes through a Query
// bound to the run's directory; engine errors (DbError) pass through
// uncaught, and what was done before them stays done. ImportTable shows its
// progress on the ImportView. Texts are code page 1251 bytes.
#pragma once

#include <string>
#include <vector>

#include "dbase/query.h"
#include "register/import_view.h"

inline constexpr const char* kCombinedTable = "mrg7493.dbf";

// "update '<list>' set lchet=..." for the layout (true: benefit layout).
std::string LchetUpdateStatement(const std::string& list, bool benefitLayout);
// The creation statement of mrg7493.dbf for the layout.
std::string CreateCombinedStatement(bool benefitLayout);

// Clears the query's SQL, binds it to the directory and runs the statement.
void RunStatement(Query& query, const std::string& directory, const std::string& statement);

// "insert into '<combined>' (<names>) values (", built once per list.
std::string InsertHead(const std::string& combined, const std::vector<Field*>& fields);
// Appends one row's values and the closing ")" to the statement: texts
// quoted with inner apostrophes doubled; a float unquoted as the first
// field, quoted after it, '' when empty; integers bare.
void AppendRowValues(std::string& statement, const std::vector<Field*>& fields,
                     const std::vector<TFieldType>& types);

// Copies every row of `list` into `combined`, one INSERT per row, through
// query1 (reads the list) and query2 (inserts). A list column of a type
// other than text, float or integer refuses the list before any row.
void ImportTable(std::string combined, std::string list, std::string directory, Query& query1,
                 Query& query2, ImportView& view);

// Replaces the twelve sub-branch codes of the combined table.
void RemapBranchCodes(std::string combined, std::string directory, Query& query1);
