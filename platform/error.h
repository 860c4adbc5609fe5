// Failures of the system are exceptions carrying a message; the window's
// default error dialog shows what() to the operator. One type per layer:
//   ConvertError  a text that is not a number (amounts, the port text)
//   InOutError    a directory or file that cannot be entered, read or written
// Other layers (dbase/, ftp/) derive their own from Error.
// Messages are 8-bit texts in code page 1251, like every text of the system.
#pragma once

#include <stdexcept>
#include <string>

class Error : public std::runtime_error {
 public:
  explicit Error(const std::string& message) : std::runtime_error(message) {}
};

class ConvertError : public Error {
 public:
  using Error::Error;
};

class InOutError : public Error {
 public:
  using Error::Error;
};
