// TForm1: the one main window, Form1. It owns every component the handlers
// use for the program's lifetime and binds their events: show and Button1 →
// FormShow (the open dialog comes before the window first appears), Button3
// → Button3Click, Button2 → Button2Click, Button4 → Button4Click, key-downs
// of the window itself and of CheckListBox1 → CheckListBox1KeyDown (keys
// of the other controls never reach it). Every handler runs inside the
// default error dialog: an exception leaving it is shown and the loop goes
// on. Button2Action and Button4Action run the processing run and the
// unpacking (tests may replace them). While a run, an unpacking or a
// directory choice is under way the window ignores its commands, since the
// upload's waits dispatch events. Dialogs are the window's own interface.
#pragma once

#include <QWidget>
#include <cstdint>
#include <functional>
#include <memory>

#include "app/archive_extraction.h"
#include "app/check_list_box.h"
#include "app/dialogs.h"
#include "app/form_import_view.h"
#include "dbase/query.h"
#include "ftp/ftp_client.h"
#include "platform/clock.h"
#include "platform/file_list.h"
#include "platform/process.h"
#include "register/processing_run.h"

class QCheckBox;
class QProgressBar;
class QPushButton;

class FormRunWindow;

// Where the window sends registers and unpacks archives; tests give their own.
struct FormSettings {
  ServerSettings server;
  WorkFolder work = DefaultWorkFolder();
};
FormSettings DefaultFormSettings();

class TForm1 : public QWidget {
 public:
  // Without dialogs of its own the window shows Qt's.
  explicit TForm1(std::unique_ptr<WindowDialogs> dialogs = nullptr,
                  FormSettings settings = DefaultFormSettings());
  ~TForm1() override;

  void FormShow(QObject* Sender);
  void Button2Click(QObject* Sender);
  void Button3Click(QObject* Sender);
  void Button4Click(QObject* Sender);
  // Alt then Z ticks all, Alt then X processes, Alt then C chooses a file;
  // every key-down becomes the previous key. Key is never changed.
  void CheckListBox1KeyDown(QObject* Sender, uint16_t& Key, Qt::KeyboardModifiers Shift);

  std::function<void(QObject* Sender)> Button2Action;
  std::function<void(QObject* Sender)> Button4Action;

  WindowDialogs& Dialogs() { return *dialogs_; }
  ImportView& ImportProgress() { return *importView_; }
  int32_t PreviousKey() const { return previousKey_; }
  const Clock& LocalClock() const { return clock_; }
  bool Busy() const { return busy_; }

 private:
  std::unique_ptr<WindowDialogs> dialogs_;

 public:
  // The components, in the order the window declares them.
  OpenDialog OpenDialog1;
  Query Query1;
  FtpClient ftp;
  CheckListBox* CheckListBox1 = nullptr;
  QPushButton* Button2 = nullptr;
  FileList FileListBox1;
  Query Query2;
  QProgressBar* ProgressBar1 = nullptr;
  QPushButton* Button3 = nullptr;
  QPushButton* Button1 = nullptr;
  QPushButton* Button4 = nullptr;
  QCheckBox* CheckBox1 = nullptr;

 protected:
  void showEvent(QShowEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  void createControls();
  void applyWindowSettings();
  void applyLayout();
  void applyTabOrder();
  void bindEvents();
  void guarded(const std::function<void()>& handler);
  void keyDownFrom(QObject* sender, const QKeyEvent& event);
  // Runs a command unless another is under way, marking the window busy.
  void command(const std::function<void()>& body);
  void processingRun();
  void chooseFile(QObject* Sender);
  void unpack();

  int32_t previousKey_ = 0;
  bool busy_ = false;
  FormSettings settings_;
  SystemClock clock_;
  PosixProcessRunner processes_;
  std::unique_ptr<FormImportView> importView_;
  std::unique_ptr<FormRunWindow> runWindow_;
};

// The program's one window, set while it exists.
extern TForm1* Form1;
