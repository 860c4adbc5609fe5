// The processing run (Button2Click's logic): LCHET updates of the ticked
// lists, the combined table, the imports, the remap, the dump, the register
// and, on the operator's consent, the upload; then the check list is
// refilled. Nothing is caught: an error ends the run at its step, what was
// done stays done, and the refill is skipped. The window is reached only
// through RunWindow; every step reads the layout check box when it runs.
#pragma once

#include <string>
#include <vector>

#include "dbase/query.h"
#include "register/import_view.h"
#include "register/operator_dialogs.h"

class FtpClient;
class Clock;

class RunWindow : public OperatorDialogs, public ImportView {
 public:
  // Captions (file name bytes) of the ticked items, in list order.
  virtual std::vector<std::string> TickedNames() = 0;
  // CheckBox1 as it stands now: true for the benefit layout.
  virtual bool LayoutFlag() = 0;
  // FileListBox1's directory (also the process's current directory).
  virtual std::string Directory() = 0;
  // FileListBox1 re-reads its directory; its items replace the check list's.
  virtual void RefillCheckList() = 0;
  virtual Query& Query1() = 0;
  virtual Query& Query2() = 0;
  virtual FtpClient& Ftp() = 0;
  virtual const Clock& LocalClock() = 0;
};

// Where the register goes. Fixed when the program is built.
struct ServerSettings {
  std::string address;
  std::string port = "21";
};

void ProcessingRun(RunWindow& window, const ServerSettings& server);
