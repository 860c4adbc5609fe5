#include "platform/clock.h"

#include <gtest/gtest.h>

#include <regex>

namespace {

TEST(SystemClock, WritesHoursMinutesAndSecondsSeparatedByColons) {
  std::string text = SystemClock().TimeOfDayText();
  std::smatch m;
  ASSERT_TRUE(std::regex_match(text, m, std::regex(R"(([1-9]?\d):([0-5]\d):([0-5]\d))"))) << text;
  EXPECT_LT(std::stoi(m[1]), 24);
}

}  // namespace
