// The operator's message boxes, as the core asks for them. The window
// implements this with real modal dialogs; tests answer from a script.
// Texts and captions are code page 1251 bytes; an empty caption means the
// window system's default title.
#pragma once

#include <string>

enum class DialogButtons { Ok, YesNo };
enum class DialogIcon { None, Error };
enum class DialogAnswer { Ok, Yes, No };

class OperatorDialogs {
 public:
  virtual ~OperatorDialogs() = default;
  virtual DialogAnswer MessageBox(const std::string& text, const std::string& caption,
                                  DialogButtons buttons, DialogIcon icon) = 0;
};
