// libFuzzer entry for the register step's reading of one dump line: the
// input is a line (any bytes). Its register record in both layouts must be
// 204 characters plus the sub-branch code (at most 4), and its amount,
// taken as the register step takes it, converts or raises ConvertError.
#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/error.h"
#include "register/register_writer.h"
#include "register/text.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string line(reinterpret_cast<const char*>(data), size);
  for (const bool benefit : {false, true}) {
    const std::string record = RegisterRecord(line, static_cast<int64_t>(size) + 1, benefit);
    if (record.size() < 204 || record.size() > 208) __builtin_trap();
  }
  try {
    (void)SumToKopecks(line);
  } catch (const ConvertError&) {
  }
  try {
    (void)SumToKopecks(Trim(SubString(line, 126, 20)));
  } catch (const ConvertError&) {
  }
  (void)NormalizeSum(line);
  (void)ControlRecord(static_cast<int64_t>(size), line);
  return 0;
}
