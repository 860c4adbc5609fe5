#include "app/error_dialog.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace {

TEST(ErrorDialog, AddsADotWhenTheLastByteSortsAfterIt) {
  struct Case {
    std::string message;
    std::string shown;
  };
  const Case cases[] = {
      {"abc", "abc."},
      {"abc.", "abc."},
      {"abc!", "abc!"},  // '!' sorts before '.'
      {"", ""},
      {"Cannot create c:\\tmp directory.", "Cannot create c:\\tmp directory."},
      {"\xce\xf8\xe8\xe1\xea\xe0", "\xce\xf8\xe8\xe1\xea\xe0."},  // a Cyrillic last letter
      {"x 1", "x 1."},
      {"x-", "x-"},
      {"x/", "x/."},
  };
  for (const Case& c : cases) EXPECT_EQ(ErrorDialogText(c.message), c.shown) << c.message;
}

class RecordingDialogs : public OperatorDialogs {
 public:
  DialogAnswer MessageBox(const std::string& text, const std::string& caption,
                          DialogButtons buttons, DialogIcon icon) override {
    shown.push_back({text, caption, buttons, icon});
    return DialogAnswer::Ok;
  }
  struct Shown {
    std::string text, caption;
    DialogButtons buttons;
    DialogIcon icon;
  };
  std::vector<Shown> shown;
};

TEST(ErrorDialog, RunHandlerShowsWhatLeavesTheHandlerAndStopsIt) {
  RecordingDialogs dialogs;
  bool after = false;
  RunHandler(dialogs, [&] {
    throw std::runtime_error("Cannot open directory x: No such file or directory");
    after = true;
  });
  RunHandler(dialogs, [] { throw 42; });
  RunHandler(dialogs, [] {});
  ASSERT_EQ(dialogs.shown.size(), 2u);
  EXPECT_FALSE(after);
  EXPECT_EQ(dialogs.shown[0].text, "Cannot open directory x: No such file or directory.");
  EXPECT_EQ(dialogs.shown[0].caption, "kvoter");
  EXPECT_EQ(dialogs.shown[0].buttons, DialogButtons::Ok);
  EXPECT_EQ(dialogs.shown[0].icon, DialogIcon::Error);
  EXPECT_EQ(dialogs.shown[1].text, "Unknown error.");
}

}  // namespace
