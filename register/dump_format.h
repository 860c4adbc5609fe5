// How the delimited dump renders one field of a row: the field's text
// brought to its declared size, then by its type to a fixed width. Pure
// functions over 1251 texts; nothing here raises.
#pragma once

#include <string>
#include <string_view>

#include "dbase/query.h"

// Appends the text of one field as the dump writes it, without its "|":
// `asString` brought to `size` when above 0, then by type: a float gets a
// decimal point (and with `amountFlag` two decimals where it has one or is
// at most 2 characters long) and 20 characters, a date 10, a logical 5.
void AppendDumpField(std::string& line, std::string_view asString, TFieldType type, int size,
                     bool amountFlag);
