#include "platform/clock.h"

#include <cstdio>
#include <ctime>

std::string SystemClock::TimeOfDayText() const {
  std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  char text[16];
  std::snprintf(text, sizeof text, "%d:%02d:%02d", local.tm_hour, local.tm_min, local.tm_sec);
  return text;
}
