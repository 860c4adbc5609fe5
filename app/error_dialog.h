// The application's default error dialog: an exception that leaves an event
// handler is shown in a message box with the error icon, an OK button and
// the application's title, and the event loop goes on. A "." is added when
// the message is not empty and its last byte sorts after ".". Messages are
// code page 1251 bytes. RunHandler is the one place that catches them.
#pragma once

#include <functional>
#include <string>

#include "register/operator_dialogs.h"

inline constexpr char kApplicationTitle[] = "kvoter";

std::string ErrorDialogText(std::string message);
void ShowDefaultError(OperatorDialogs& dialogs, const std::string& message);
// Runs `handler`; whatever it raises goes to the default error dialog.
void RunHandler(OperatorDialogs& dialogs, const std::function<void()>& handler);
