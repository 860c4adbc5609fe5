// What the import shows while it copies a payment list: Button2's caption
// and ProgressBar1. The window implements it; Repaint shows caption and bar
// at once without handing control to the event loop. Texts are 1251 bytes.
#pragma once

#include <string>

class ImportView {
 public:
  virtual ~ImportView() = default;
  virtual void SetButton2Caption(const std::string& caption) = 0;
  virtual void SetProgressMin(int value) = 0;
  virtual void SetProgressMax(int value) = 0;
  virtual void SetProgressPosition(int value) = 0;
  virtual int ProgressPosition() const = 0;
  // Called after the caption is set and after each row; an implementation
  // may paint less often (the window paints at most every 50 ms).
  virtual void Repaint() = 0;
};
