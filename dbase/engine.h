// The local SQL engine: runs parsed statements against the dBASE files of a
// directory. Tables written to stay open in a small process-wide cache keyed
// by path (handle, header), so one INSERT per row costs two positioned
// writes; an entry is reopened when the file changed behind its back and
// dropped when CREATE TABLE replaces the file. Each statement checks every
// value before it writes a byte. Failures raise DbError naming the file.
// Single-threaded use, as the system's; a mutex guards the cache anyway.
#pragma once

#include <string>
#include <string_view>

#include "dbase/sql.h"

// Path of a table named in a statement: the directory joined with the name;
// when no file has exactly that name, one whose name differs only in letter
// case. Raises DbError for a missing file when mustExist.
std::string ResolveTablePath(const std::string& directory, std::string_view name, bool mustExist);

// INSERT, UPDATE or CREATE TABLE; a SELECT is refused (it returns rows).
void ExecuteStatement(const std::string& directory, const Statement& statement);

// Closes every cached table (tests, and before files are moved away).
void CloseCachedTables();
