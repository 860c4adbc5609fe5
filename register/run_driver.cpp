// The processing run without the window, for the kill test: ticks the one
// list named on the command line in the directory given, answers No to the
// upload, and reports its progress on stdout by single letters: "D" when
// the imports are done and the dump begins, "E" when the register and the
// control file are written (the summary is shown). Exit 0 after the run,
// 1 with the message on stderr when it fails.
#include <unistd.h>

#include <cstdio>
#include <string>

#include "ftp/ftp_client.h"
#include "platform/clock.h"
#include "platform/codepage.h"
#include "platform/error.h"
#include "register/processing_run.h"

namespace {

void Report(char letter) {
  while (write(STDOUT_FILENO, &letter, 1) < 0) {
  }
}

class DriverWindow : public RunWindow {
 public:
  DriverWindow(std::string directory, std::string list)
      : directory_(std::move(directory)), list_(std::move(list)) {}

  DialogAnswer MessageBox(const std::string&, const std::string&, DialogButtons buttons,
                          DialogIcon) override {
    if (buttons == DialogButtons::YesNo) Report('E');
    return DialogAnswer::No;
  }
  // The caption comes back after the last import: the dump is next.
  void SetButton2Caption(const std::string& caption) override {
    if (caption == Cp1251("Обработать")) Report('D');
  }
  void SetProgressMin(int) override {}
  void SetProgressMax(int) override {}
  void SetProgressPosition(int value) override { position_ = value; }
  int ProgressPosition() const override { return position_; }
  void Repaint() override {}
  std::vector<std::string> TickedNames() override { return {list_}; }
  bool LayoutFlag() override { return false; }
  std::string Directory() override { return directory_; }
  void RefillCheckList() override {}
  Query& Query1() override { return query1_; }
  Query& Query2() override { return query2_; }
  FtpClient& Ftp() override { return ftp_; }
  const Clock& LocalClock() override { return clock_; }

 private:
  std::string directory_;
  std::string list_;
  int position_ = 0;
  Query query1_, query2_;
  FtpClient ftp_;
  FakeClock clock_{"12:00:00"};
};

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: run_driver DIRECTORY LIST\n");
    return 2;
  }
  try {
    if (chdir(argv[1]) != 0) throw InOutError(std::string("Cannot enter ") + argv[1]);
    DriverWindow window(argv[1], argv[2]);
    ProcessingRun(window, ServerSettings{"127.0.0.1", "21"});
  } catch (const Error& e) {
    std::fprintf(stderr, "%s\n", e.what());
    return 1;
  }
  return 0;
}
