#include "app/form_import_view.h"

#include <gtest/gtest.h>

#include <QProgressBar>
#include <QPushButton>

namespace {

using namespace std::chrono_literals;

TEST(FormImportView, PaintsAtMostEvery50MsButAtOnceAfterACaptionChange) {
  QPushButton button;
  QProgressBar bar;
  std::chrono::steady_clock::time_point now{};
  FormImportView view(button, bar, [&] { return now; });
  struct Step {
    std::chrono::milliseconds advance;
    bool newCaption;
    int paints;  // after the step's Repaint
  };
  const Step steps[] = {
      {0ms, false, 1},                                      // the first call paints
      {10ms, false, 1}, {39ms, false, 1}, {1ms, false, 2},  // 50 ms after the last paint
      {5ms, true, 3},                                       // a new caption paints at once
      {5ms, false, 3},  {45ms, false, 4},
  };
  int row = 0;
  for (const Step& s : steps) {
    now += s.advance;
    if (s.newCaption) view.SetButton2Caption("\xc8\xec\xef\xee\xf0\xf2");
    view.Repaint();
    EXPECT_EQ(view.Paints(), s.paints) << "step " << row++;
  }
  EXPECT_EQ(button.text(), QString::fromUtf8("Импорт"));
}

TEST(FormImportView, PositionFollowsTheRangeAndIsClampedToIt) {
  QPushButton button;
  QProgressBar bar;
  FormImportView view(button, bar);
  view.SetProgressMin(0);
  view.SetProgressMax(250);
  view.SetProgressPosition(120);
  EXPECT_EQ(view.ProgressPosition(), 120);
  view.SetProgressPosition(300);
  EXPECT_EQ(view.ProgressPosition(), 250);
  view.SetProgressPosition(-1);
  EXPECT_EQ(view.ProgressPosition(), 0);
}

}  // namespace
