// Uploads the payment register and its control file to the receiving server
// and offers the operator to delete the intermediate dump. Local files are
// named relative to the current directory. Remote names come from one
// reading of `clock`. Only the login and the logout are guarded (each shows
// its fixed message); a bad port text (ConvertError) and any failure between
// them (FtpError, InOutError) leave SendRegister, the client then possibly
// still connected, so that the next call goes on over the same connection.
#pragma once

#include <string>

#include "ftp/ftp_client.h"
#include "platform/clock.h"
#include "register/operator_dialogs.h"

struct RemoteNames {
  std::string registerName;  // "7493" + minutes and seconds + ".s" + minutes
  std::string controlName;   // "7493" + minutes and seconds + ".k" + minutes
};

// Names from a time text "H:MM:SS" or "HH:MM:SS"; the hour plays no part.
RemoteNames MakeRemoteNames(std::string timeText);

void SendRegister(FtpClient& ftp, OperatorDialogs& dialogs, const Clock& clock, std::string host,
                  std::string user, std::string password, std::string localName,
                  std::string remoteDir, std::string port);
