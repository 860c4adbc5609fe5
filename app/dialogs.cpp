#include "app/dialogs.h"

#include <QFile>
#include <QFileDialog>
#include <QMessageBox>

#include "app/cp1251.h"

bool QtWindowDialogs::OpenFile(std::string& path) {
  QFileDialog dialog(parent_);
  dialog.setOption(QFileDialog::DontUseNativeDialog);
  dialog.setFileMode(QFileDialog::ExistingFile);
  dialog.setAcceptMode(QFileDialog::AcceptOpen);
  if (!path.empty()) dialog.selectFile(QFile::decodeName(QByteArray::fromStdString(path)));
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return false;
  path = QFile::encodeName(dialog.selectedFiles().first()).toStdString();
  return true;
}

DialogAnswer QtWindowDialogs::MessageBox(const std::string& text, const std::string& caption,
                                         DialogButtons buttons, DialogIcon icon) {
  QMessageBox box(parent_);
  box.setTextFormat(Qt::PlainText);
  box.setText(Cp1251ToQString(text));
  box.setWindowTitle(Cp1251ToQString(caption));
  box.setIcon(icon == DialogIcon::Error ? QMessageBox::Critical : QMessageBox::NoIcon);
  if (buttons == DialogButtons::YesNo) {
    box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
    return box.exec() == QMessageBox::Yes ? DialogAnswer::Yes : DialogAnswer::No;
  }
  box.setStandardButtons(QMessageBox::Ok);
  box.exec();
  return DialogAnswer::Ok;
}
