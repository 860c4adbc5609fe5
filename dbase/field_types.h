// The one table of dBASE field types: for each type letter its TFieldType,
// whether Size reports the declared width, the byte that fills an empty
// value, how stored bytes become the value the program sees (and when they
// are NULL), and whether statements may write the column. Everything the
// engine does by field type goes through FindFieldType; grep a letter here.
// Format never raises: it answers Bad and the caller names file and column.
#pragma once

#include <string>
#include <string_view>

#include "dbase/query.h"

enum class ValueState { Value, Null, Bad };

enum class WriteKind { None, Text, Number };

struct FieldTypeRule {
  char letter;
  TFieldType type;
  const char* description;
  bool sizeIsWidth;  // Size is the declared width (text), else 0
  char blank;        // fills a value not given on INSERT
  WriteKind write;   // what a statement may store in it
  // Stored bytes -> value as text (code page 1251 when cp866 is false or
  // after conversion). Leaves `out` empty for Null.
  ValueState (*format)(std::string_view raw, bool cp866, std::string& out);
};

// nullptr for a letter no dBASE dialect defines.
const FieldTypeRule* FindFieldType(char letter);
