#include "app/cp1251.h"

#include <QStringDecoder>
#include <initializer_list>
#include <utility>

#include "platform/codepage.h"

namespace {

// True when every byte of 0x80 and above lies in one of the ranges.
bool HighBytesWithin(const std::string& text, std::initializer_list<std::pair<int, int>> ranges) {
  for (const char ch : text) {
    const auto byte = static_cast<unsigned char>(ch);
    if (byte < 0x80) continue;
    bool inside = false;
    for (const auto& [low, high] : ranges) inside = inside || (byte >= low && byte <= high);
    if (!inside) return false;
  }
  return true;
}

}  // namespace

QString Cp1251ToQString(const std::string& text) {
  return QString::fromStdString(Cp1251ToUtf8(text));
}

QString Cp866ToQString(const std::string& text) {
  return QString::fromStdString(Cp866ToUtf8(text));
}

std::string QStringToCp1251(const QString& text) { return Utf8ToCp1251(text.toStdString()); }

QString FileNameCaption(const std::string& name) {
  QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
  const QString decoded =
      utf8.decode(QByteArrayView(name.data(), static_cast<qsizetype>(name.size())));
  if (!utf8.hasError()) return decoded;
  if (HighBytesWithin(name, {{0x80, 0xAF}, {0xE0, 0xF7}})) return Cp866ToQString(name);
  if (HighBytesWithin(name, {{0xC0, 0xFF}, {0xA8, 0xA8}, {0xB8, 0xB8}}))
    return Cp1251ToQString(name);
  return QString::fromLatin1(name.data(), static_cast<qsizetype>(name.size()));
}
