// The program: the application object, the one window, the event loop.
#include <QApplication>

#include "app/dialogs.h"
#include "app/error_dialog.h"
#include "app/form1.h"

int main(int argc, char* argv[]) {
  QApplication application(argc, argv);
  QApplication::setApplicationName(QString::fromLatin1(kApplicationTitle));
  QtWindowDialogs startupDialogs(nullptr);
  RunHandler(startupDialogs, [] {
    TForm1 window;
    Form1 = &window;
    window.show();
    QApplication::exec();
  });
  return 0;
}
