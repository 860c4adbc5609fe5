#include "app/dialogs.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>
#include <QTimer>
#include <filesystem>
#include <fstream>
#include <functional>

namespace {

// Runs `answer` on the modal dialog once it is up.
void WhenModal(std::function<void(QWidget*)> answer) {
  QTimer::singleShot(0, [answer] {
    QWidget* modal = QApplication::activeModalWidget();
    ASSERT_NE(modal, nullptr);
    answer(modal);
  });
}

TEST(QtWindowDialogs, MessageBoxesShowTheTextsConvertedFrom1251) {
  QtWindowDialogs dialogs(nullptr);
  WhenModal([](QWidget* modal) {
    auto* box = qobject_cast<QMessageBox*>(modal);
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->text(), QString::fromUtf8("Данные по списку:\n<1>"));
    EXPECT_EQ(box->windowTitle(), QString::fromUtf8("Список"));
    EXPECT_EQ(box->icon(), QMessageBox::NoIcon);
    EXPECT_EQ(box->textFormat(), Qt::PlainText);
    box->button(QMessageBox::Yes)->click();
  });
  EXPECT_EQ(dialogs.MessageBox("\xc4\xe0\xed\xed\xfb\xe5 \xef\xee \xf1\xef\xe8\xf1\xea\xf3:\n<1>",
                               "\xd1\xef\xe8\xf1\xee\xea", DialogButtons::YesNo, DialogIcon::None),
            DialogAnswer::Yes);

  WhenModal([](QWidget* modal) {
    auto* box = qobject_cast<QMessageBox*>(modal);
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->icon(), QMessageBox::Critical);
    EXPECT_EQ(box->standardButtons(), QMessageBox::Ok);
    box->button(QMessageBox::Ok)->click();
  });
  EXPECT_EQ(dialogs.MessageBox("abc.", "kvoter", DialogButtons::Ok, DialogIcon::Error),
            DialogAnswer::Ok);
}

TEST(QtWindowDialogs, TheOpenDialogOffersEveryFileAndGivesItsFullName) {
  namespace fs = std::filesystem;
  std::string pattern = (fs::temp_directory_path() / "dialogs_XXXXXX").string();
  const fs::path dir = mkdtemp(pattern.data());
  const std::string name = "\xd0\xa1\xd0\xbf\xd0\xb8\xd1\x81\xd0\xbe\xd0\xba.dbf";  // UTF-8
  std::ofstream(dir / name) << "x";
  QtWindowDialogs dialogs(nullptr);

  std::string path = (dir / name).string();
  WhenModal([](QWidget* modal) {
    auto* dialog = qobject_cast<QFileDialog*>(modal);
    ASSERT_NE(dialog, nullptr);
    EXPECT_TRUE(dialog->testOption(QFileDialog::DontUseNativeDialog));
    EXPECT_EQ(dialog->fileMode(), QFileDialog::ExistingFile);
    EXPECT_TRUE(dialog->nameFilters().isEmpty() ||
                dialog->nameFilters() == QStringList{QStringLiteral("All Files (*)")});
    static_cast<QDialog*>(dialog)->accept();
  });
  ASSERT_TRUE(dialogs.OpenFile(path));
  EXPECT_EQ(path, (dir / name).string());

  WhenModal([](QWidget* modal) { qobject_cast<QDialog*>(modal)->reject(); });
  EXPECT_FALSE(dialogs.OpenFile(path));
  EXPECT_EQ(path, (dir / name).string());
  fs::remove_all(dir);
}

}  // namespace
