// The window as the processing run and the unpacking see it: ticked names,
// the layout check box, FileListBox1's directory, the refill, the query
// objects, the FTP client and the clock, the dialogs and the import's
// progress, all reached on the one TForm1, which must outlive it.
#pragma once

#include "app/archive_extraction.h"
#include "register/processing_run.h"

class TForm1;

class FormRunWindow : public RunWindow, public ExtractionWindow {
 public:
  explicit FormRunWindow(TForm1& form) : form_(form) {}

  // OperatorDialogs
  DialogAnswer MessageBox(const std::string& text, const std::string& caption,
                          DialogButtons buttons, DialogIcon icon) override;
  // ImportView
  void SetButton2Caption(const std::string& caption) override;
  void SetProgressMin(int value) override;
  void SetProgressMax(int value) override;
  void SetProgressPosition(int value) override;
  int ProgressPosition() const override;
  void Repaint() override;
  // RunWindow
  std::vector<std::string> TickedNames() override;
  bool LayoutFlag() override;
  std::string Directory() override;
  void RefillCheckList() override;
  Query& Query1() override;
  Query& Query2() override;
  FtpClient& Ftp() override;
  const Clock& LocalClock() override;
  // ExtractionWindow
  std::optional<std::string> FirstTickedName() override;
  std::string OpenDialogFileName() override;
  FileList& FileListBox1() override;
  void CopyFileListToCheckList() override;

 private:
  TForm1& form_;
};
