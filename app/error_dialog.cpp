#include "app/error_dialog.h"

#include <exception>

std::string ErrorDialogText(std::string message) {
  if (!message.empty() && static_cast<unsigned char>(message.back()) > '.') message += '.';
  return message;
}

void ShowDefaultError(OperatorDialogs& dialogs, const std::string& message) {
  dialogs.MessageBox(ErrorDialogText(message), kApplicationTitle, DialogButtons::Ok,
                     DialogIcon::Error);
}

void RunHandler(OperatorDialogs& dialogs, const std::function<void()>& handler) {
  try {
    handler();
  } catch (const std::exception& e) {
    ShowDefaultError(dialogs, e.what());
  } catch (...) {
    ShowDefaultError(dialogs, "Unknown error");
  }
}
