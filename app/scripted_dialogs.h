// Test dialogs of the window: the open dialog answers from a script
// (nullopt: the operator cancels), message boxes answer from a queue (Ok
// once it is empty) and every one shown is recorded. Texts are 1251 bytes.
#pragma once

#include <QWidget>
#include <QWindow>
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "app/dialogs.h"

class ScriptedDialogs : public WindowDialogs {
 public:
  struct Shown {
    std::string text, caption;
    DialogButtons buttons;
    DialogIcon icon;
  };

  bool OpenFile(std::string& path) override {
    ++opens;
    windowOnScreenAtOpen.push_back(window && window->windowHandle() &&
                                   window->windowHandle()->isVisible());
    if (answers.empty() || !answers.front()) {
      if (!answers.empty()) answers.pop_front();
      return false;
    }
    path = *answers.front();
    answers.pop_front();
    return true;
  }
  DialogAnswer MessageBox(const std::string& text, const std::string& caption,
                          DialogButtons buttons, DialogIcon icon) override {
    shown.push_back({text, caption, buttons, icon});
    if (onMessage) onMessage();
    if (replies.empty()) return DialogAnswer::Ok;
    const DialogAnswer reply = replies.front();
    replies.pop_front();
    return reply;
  }

  std::deque<std::optional<std::string>> answers;
  std::deque<DialogAnswer> replies;
  std::function<void()> onMessage;
  std::vector<Shown> shown;
  std::vector<bool> windowOnScreenAtOpen;
  int opens = 0;
  QWidget* window = nullptr;
};
