#include "app/cp1251.h"

#include <gtest/gtest.h>

namespace {

TEST(Cp1251, EveryByteSurvivesTheRoundTripAndLettersDecode) {
  std::string all;
  for (int b = 0; b < 256; ++b) all.push_back(static_cast<char>(b));
  EXPECT_EQ(QStringToCp1251(Cp1251ToQString(all)), all);
  EXPECT_EQ(Cp1251ToQString("\xce\xe1\xf0\xe0\xe1\xee\xf2\xea\xe0 dbf \xa8\xb8"),
            QString::fromUtf8("Обработка dbf Ёё"));
  EXPECT_EQ(QStringToCp1251(QString::fromUtf8("Список №1 €")),
            "\xd1\xef\xe8\xf1\xee\xea \xb9\x31 \x88");
  EXPECT_EQ(QStringToCp1251(QString::fromUtf8("中ä")), "??");  // neither exists in 1251
}

TEST(Cp1251, FileNameCaptionsShowTheNameAsWellAsCanBe) {
  struct Case {
    const char* what;
    std::string bytes;
    const char* shown;  // UTF-8
  };
  const Case cases[] = {
      {"ASCII", "PAY01.DBF", "PAY01.DBF"},
      {"UTF-8", "\xd0\x9f\xd1\x80\xd0\xb8\xd0\xbc\xd0\xb5\xd1\x80.dbf", "Пример.dbf"},
      {"DOS 866", "\x8f\xe0\xa8\xac\xa5\xe0.dbf", "Пример.dbf"},
      {"Windows 1251", "\xcf\xf0\xe8\xec\xe5\xf0.dbf", "Пример.dbf"},
      {"other bytes", "\xb0\xb1.dbf", "°±.dbf"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(FileNameCaption(c.bytes), QString::fromUtf8(c.shown)) << c.what;
}

}  // namespace
