// The local time of day, as the text the upload makes its remote names from:
// hours without a leading zero, minutes and seconds, separated by ":"
// ("9:05:37", "14:05:37"). SystemClock reads the C library's local time;
// FakeClock gives a fixed text, for tests. Neither raises.
#pragma once

#include <string>

class Clock {
 public:
  virtual ~Clock() = default;
  virtual std::string TimeOfDayText() const = 0;
};

class SystemClock final : public Clock {
 public:
  std::string TimeOfDayText() const override;
};

class FakeClock final : public Clock {
 public:
  explicit FakeClock(std::string text) : text_(std::move(text)) {}
  std::string TimeOfDayText() const override { return text_; }

 private:
  std::string text_;
};
