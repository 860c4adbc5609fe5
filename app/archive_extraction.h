// Unpacking of an ARJ archive into the working folder (Button4Click's
// logic, kept free of Qt so it is tested without a window). The working
// folder is emptied or created first; the first ticked item is unpacked by
// the archiver, started directly with an argument list and a bounded wait;
// the folder's files then replace the check list. Refuses a working folder
// that is a symbolic link or belongs to another user, so emptying it never
// deletes through a link planted in a shared folder. Raises InOutError.
#pragma once

#include <optional>
#include <string>

#include "platform/file_list.h"
#include "platform/process.h"

struct WorkFolder {
  std::string parent;  // "/tmp" on POSIX
  std::string folder;  // "/tmp/pen"
};
WorkFolder DefaultWorkFolder();

class ExtractionWindow {
 public:
  virtual ~ExtractionWindow() = default;
  // The caption (file name bytes) of the first ticked item, if any.
  virtual std::optional<std::string> FirstTickedName() = 0;
  // The file name last chosen in the open dialog.
  virtual std::string OpenDialogFileName() = 0;
  virtual FileList& FileListBox1() = 0;
  // Copies FileListBox1's items into the check list, all unticked.
  virtual void CopyFileListToCheckList() = 0;
};

inline constexpr int kArchiverTimeoutMs = 120000;

void ExtractArchive(ExtractionWindow& window, const WorkFolder& work, ProcessRunner& runner,
                    int timeoutMs = kArchiverTimeoutMs);
