#include "platform/clock.h"

#include <gtest/gtest.h>

#include <cstdio>

namespace {

TEST(SystemClock, WritesHoursMinutesAndSecondsSeparatedByColons) {
  std::string text = SystemClock().TimeOfDayText();
  unsigned h = 99, m = 99, s = 99;
  int used = 0;
  ASSERT_EQ(std::sscanf(text.c_str(), "%u:%2u:%2u%n", &h, &m, &s, &used), 3) << text;
  EXPECT_EQ(static_cast<size_t>(used), text.size()) << text;
  EXPECT_LT(h, 24u);
  EXPECT_LT(m, 60u);
  EXPECT_LT(s, 60u);
  EXPECT_EQ(text[text.size() - 3], ':') << "minutes and seconds have two digits";
  EXPECT_TRUE(text[0] != '0' || text.size() == 7) << "no leading zero in the hour";
}

}  // namespace
