// The delimited dump of a dBASE table: one line per row in the engine's
// order, each field's text brought to its width and followed by "|", every
// line followed by CR LF. With the code-page word "dos" (exactly) each line
// is converted from 1251 to 866; lines of any length are converted whole.
// The lines go to a temporary file that replaces the output file only after
// the last row, so a failure (DbError from the engine, an Error naming the
// row and field of a value holding a line break, InOutError "Cannot create
// file <path>") leaves a file already at the output path as it was.
#pragma once

#include <string>

#include "dbase/query.h"
#include "platform/text_file.h"

// `tableFileName` is the dBASE file in `directory` (the query's database);
// `amountFlag` completes the decimals of float fields ("12" -> "12.00").
void DumpTable(std::string tableFileName, std::string directory, std::string outputPath,
               std::string codePageWord, bool amountFlag, FileSystem& fs = PosixFileSystem());
