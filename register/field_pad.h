// PadField appended in place, for the record builders that join many
// fields: cut to `width`, or blank-filled on the side opposite to the
// alignment. Gives the same characters as PadField(text, width, right).
#pragma once

#include <string>
#include <string_view>

inline void AppendPadded(std::string& out, std::string_view text, int width, bool rightAligned) {
  const auto w = static_cast<size_t>(width < 0 ? 0 : width);
  if (text.size() >= w) {
    out.append(text.substr(0, w));
    return;
  }
  if (rightAligned) out.append(w - text.size(), ' ');
  out.append(text);
  if (!rightAligned) out.append(w - text.size(), ' ');
}
