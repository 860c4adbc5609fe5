#include "app/archive_extraction.h"

#include <sys/stat.h>
#include <unistd.h>

#include "platform/error.h"
#include "register/text.h"

namespace {

[[noreturn]] void CannotCreate(const std::string& folder) {
  throw InOutError("Cannot create " + folder + " directory.");
}

bool IsFolder(const std::string& path) {
  struct stat st {};
  return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool IsFile(const std::string& path) {
  struct stat st {};
  return stat(path.c_str(), &st) == 0 && !S_ISDIR(st.st_mode);
}

// The working folder when it exists and may be emptied: a real folder of
// this user, not a link to somewhere else. Absent: false. Unsafe: refused.
bool SafeWorkFolderExists(const std::string& folder) {
  struct stat st {};
  if (lstat(folder.c_str(), &st) != 0) return false;
  if (S_ISLNK(st.st_mode) || (S_ISDIR(st.st_mode) && st.st_uid != geteuid())) CannotCreate(folder);
  return S_ISDIR(st.st_mode);
}

std::string Join(const std::string& folder, const std::string& name) {
  if (!folder.empty() && folder.back() == '/') return folder + name;
  return folder + "/" + name;
}

}  // namespace

WorkFolder DefaultWorkFolder() { return {"/tmp", "/tmp/pen"}; }

void ExtractArchive(ExtractionWindow& window, const WorkFolder& work, ProcessRunner& runner,
                    int timeoutMs) {
  if (!IsFolder(work.parent) && mkdir(work.parent.c_str(), 0777) != 0) CannotCreate(work.parent);

  FileList& files = window.FileListBox1();
  if (SafeWorkFolderExists(work.folder)) {
    files.SetDirectory(work.folder);
    files.Update();
    const auto names = files.Items();
    for (const auto& name : names) {
      if (IsFile(name)) unlink(Join(work.folder, name).c_str());  // a failure leaves the file
    }
  } else if (mkdir(work.folder.c_str(), 0700) != 0) {
    CannotCreate(work.folder);
  }

  const std::optional<std::string> archive = window.FirstTickedName();
  if (!archive) return;

  files.SetDirectory(DirectoryOfPath(window.OpenDialogFileName()));
  files.Update();

  // Extract without stored paths into the folder (the trailing "/" makes it
  // the destination), yes to every question, ARJ_SW ignored, no progress
  // backspaces. The exit code is not looked at: the folder's contents are.
  // A name that starts with "-" would be read as a switch: it is passed with
  // "./" in front, which names the same file.
  const std::string name = archive->rfind('-', 0) == 0 ? "./" + *archive : *archive;
  runner.Run({"arj", "e", "-+", "-i", "-y", name, Join(work.folder, "")}, timeoutMs);

  files.SetDirectory(work.folder);
  files.Update();
  window.CopyFileListToCheckList();
}
