#include "app/form_run_window.h"

#include <QCheckBox>

#include "app/form1.h"

DialogAnswer FormRunWindow::MessageBox(const std::string& text, const std::string& caption,
                                       DialogButtons buttons, DialogIcon icon) {
  return form_.Dialogs().MessageBox(text, caption, buttons, icon);
}

void FormRunWindow::SetButton2Caption(const std::string& caption) {
  form_.ImportProgress().SetButton2Caption(caption);
}
void FormRunWindow::SetProgressMin(int value) { form_.ImportProgress().SetProgressMin(value); }
void FormRunWindow::SetProgressMax(int value) { form_.ImportProgress().SetProgressMax(value); }
void FormRunWindow::SetProgressPosition(int value) {
  form_.ImportProgress().SetProgressPosition(value);
}
int FormRunWindow::ProgressPosition() const { return form_.ImportProgress().ProgressPosition(); }
void FormRunWindow::Repaint() { form_.ImportProgress().Repaint(); }

std::vector<std::string> FormRunWindow::TickedNames() {
  return form_.CheckListBox1->CheckedItems();
}
bool FormRunWindow::LayoutFlag() { return form_.CheckBox1->isChecked(); }
std::string FormRunWindow::Directory() { return form_.FileListBox1.Directory(); }
void FormRunWindow::RefillCheckList() {
  form_.FileListBox1.Update();
  form_.CheckListBox1->AssignItems(form_.FileListBox1.Items());
}
Query& FormRunWindow::Query1() { return form_.Query1; }
Query& FormRunWindow::Query2() { return form_.Query2; }
FtpClient& FormRunWindow::Ftp() { return form_.ftp; }
const Clock& FormRunWindow::LocalClock() { return form_.LocalClock(); }

std::optional<std::string> FormRunWindow::FirstTickedName() {
  for (int i = 0; i < form_.CheckListBox1->Count(); ++i)
    if (form_.CheckListBox1->Checked(i)) return form_.CheckListBox1->Items(i);
  return std::nullopt;
}
std::string FormRunWindow::OpenDialogFileName() { return form_.OpenDialog1.FileName; }
FileList& FormRunWindow::FileListBox1() { return form_.FileListBox1; }
void FormRunWindow::CopyFileListToCheckList() {
  form_.CheckListBox1->AssignItems(form_.FileListBox1.Items());
}
