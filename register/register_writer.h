// The payment register and its control file, made from the intermediate dump.
// WriteRegister reads <directory>/7493.txt (lines broken by CR, LF or CR LF),
// makes one 208-character record per line into <directory>/74931.txt and
// then writes the one-line control file <directory>/74931.kkk, each line
// followed by CR LF. The dump's 866 bytes are copied as they stand. The
// register replaces the earlier one only after its last record: a dump that
// cannot be read (InOutError) or an amount that cannot be converted
// (ConvertError naming the dump, the line and the text) leaves both files
// untouched. Each file is replaced atomically (InOutError naming it); a
// failing control file leaves the new register in place.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/text_file.h"

struct RegisterSummary {
  int32_t RecordCount = 0;
  std::string TotalText;  // "1234.56"
};

// The benefit layout when `benefitLayout` is set, else the standard one.
RegisterSummary WriteRegister(std::string directory, bool benefitLayout,
                              FileSystem& fs = PosixFileSystem());

// The pieces of the register step.
// The register record (without CR LF) of one dump line, numbered from 1.
std::string RegisterRecord(std::string_view dumpLine, int64_t sequence, bool benefitLayout);
// The control record (without CR LF).
std::string ControlRecord(int64_t recordCount, std::string_view totalText);
// A count of hundredths as amount text: 123456 -> "1234.56", 75 -> ".75",
// 5 -> ".05", 0 -> ".00", -5 -> "-.05".
std::string TotalText(int64_t hundredths);
// `name` in `directory`, with one "/" between them.
std::string JoinPath(const std::string& directory, const std::string& name);
