// Test entry of the window's tests: one QApplication for every test.
#include <gtest/gtest.h>

#include <QApplication>

namespace {

// QTest reports every key a widget leaves to its parent; the window's tests
// do that on purpose.
QtMessageHandler previousHandler = nullptr;

void QuietUnacceptedKeys(QtMsgType type, const QMessageLogContext& context, const QString& text) {
  if (text.startsWith(QLatin1String("Keyboard event not accepted"))) return;
  if (previousHandler) previousHandler(type, context, text);
}

}  // namespace

int main(int argc, char* argv[]) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  previousHandler = qInstallMessageHandler(QuietUnacceptedKeys);
  QApplication application(argc, argv);
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
