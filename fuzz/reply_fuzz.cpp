// libFuzzer entry for the reply reader: the input is cut into pieces at
// every byte below 4 (which stays in the stream) and fed piece by piece; any
// outcome but a reply or an FtpError is a fault.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "ftp/ftp_error.h"
#include "ftp/reply.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view bytes(reinterpret_cast<const char*>(data), size);
  ReplyReader reader;
  try {
    size_t from = 0;
    for (size_t i = 0; i <= bytes.size(); ++i) {
      if (i < bytes.size() && static_cast<unsigned char>(bytes[i]) >= 4) continue;
      size_t end = i < bytes.size() ? i + 1 : i;
      reader.Feed(bytes.substr(from, end - from));
      from = end;
      while (auto reply = reader.Next()) {
        if (reply->lines.empty() || reply->code < 100 || reply->code > 599) __builtin_trap();
        if (reply->lines.size() > kMaxReplyLines) __builtin_trap();
      }
    }
  } catch (const FtpError&) {
  }
  return 0;
}
