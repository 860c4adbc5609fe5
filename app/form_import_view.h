// The window's side of the import's progress: Button2's caption and
// ProgressBar1. Repaint paints caption and bar at once (without handing
// control to the event loop), at most every 50 ms; the first Repaint after a
// caption change paints at once. Positions outside the bar's range are
// clamped to it. Button and bar must outlive the view; the clock is
// injectable for tests.
#pragma once

#include <chrono>
#include <functional>

#include "register/import_view.h"

class QProgressBar;
class QPushButton;

class FormImportView : public ImportView {
 public:
  using Clock = std::function<std::chrono::steady_clock::time_point()>;
  static constexpr std::chrono::milliseconds kPaintInterval{50};

  FormImportView(QPushButton& button, QProgressBar& bar,
                 Clock clock = std::chrono::steady_clock::now);

  void SetButton2Caption(const std::string& caption) override;
  void SetProgressMin(int value) override;
  void SetProgressMax(int value) override;
  void SetProgressPosition(int value) override;
  int ProgressPosition() const override;
  void Repaint() override;

  int Paints() const { return paints_; }

 private:
  QPushButton& button_;
  QProgressBar& bar_;
  Clock clock_;
  bool captionChanged_ = true;
  std::chrono::steady_clock::time_point lastPaint_{};
  int paints_ = 0;
};
