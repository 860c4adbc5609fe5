// The FTP layer's one error type. Its message is either the server's own
// reply line (a refused command) or a plain English statement of the fault
// naming the wait, command or file concerned; it never carries the password.
#pragma once

#include "platform/error.h"

class FtpError : public Error {
 public:
  using Error::Error;
};
