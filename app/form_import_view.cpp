#include "app/form_import_view.h"

#include <QProgressBar>
#include <QPushButton>
#include <algorithm>

#include "app/cp1251.h"

FormImportView::FormImportView(QPushButton& button, QProgressBar& bar, Clock clock)
    : button_(button), bar_(bar), clock_(std::move(clock)) {}

void FormImportView::SetButton2Caption(const std::string& caption) {
  button_.setText(Cp1251ToQString(caption));
  captionChanged_ = true;
}

void FormImportView::SetProgressMin(int value) { bar_.setMinimum(value); }

void FormImportView::SetProgressMax(int value) { bar_.setMaximum(value); }

void FormImportView::SetProgressPosition(int value) {
  bar_.setValue(std::clamp(value, bar_.minimum(), std::max(bar_.minimum(), bar_.maximum())));
}

int FormImportView::ProgressPosition() const { return bar_.value(); }

void FormImportView::Repaint() {
  const auto now = clock_();
  if (!captionChanged_ && now - lastPaint_ < kPaintInterval) return;
  captionChanged_ = false;
  lastPaint_ = now;
  ++paints_;
  button_.repaint();
  bar_.repaint();
}
