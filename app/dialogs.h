// The window's modal dialogs: the file-open dialog and the message boxes.
// The window reaches them only through WindowDialogs, so tests answer from a
// script; QtWindowDialogs shows Qt's own dialogs over a parent widget that
// must outlive it. Message texts and captions are code page 1251 bytes;
// file names are the host's own bytes.
#pragma once

#include <string>

#include "register/operator_dialogs.h"

class QWidget;

class WindowDialogs : public OperatorDialogs {
 public:
  // Runs the open dialog offering every file. `path` comes in as the file
  // chosen last (may be empty) and, unless the operator cancels, goes out as
  // the full name of the chosen file. False when cancelled.
  virtual bool OpenFile(std::string& path) = 0;
};

// The file-open dialog of the window: keeps the file name chosen last.
class OpenDialog {
 public:
  explicit OpenDialog(WindowDialogs& dialogs) : dialogs_(dialogs) {}
  bool Execute() { return dialogs_.OpenFile(FileName); }
  std::string FileName;

 private:
  WindowDialogs& dialogs_;
};

class QtWindowDialogs : public WindowDialogs {
 public:
  explicit QtWindowDialogs(QWidget* parent) : parent_(parent) {}
  bool OpenFile(std::string& path) override;
  DialogAnswer MessageBox(const std::string& text, const std::string& caption,
                          DialogButtons buttons, DialogIcon icon) override;

 private:
  QWidget* parent_;
};
