#include "transfer/send_register.h"

#include <filesystem>
#include <system_error>

#include "platform/codepage.h"
#include "register/text.h"

namespace {

const char* const kControlFile = "74931.kkk";
const char* const kDumpFile = "7493.txt";

void ShowOk(OperatorDialogs& dialogs, const char* utf8) {
  dialogs.MessageBox(Cp1251(utf8), "", DialogButtons::Ok, DialogIcon::None);
}

// The result of a complete upload; on Yes the dump goes (a failed deletion
// is not reported).
void OfferToDeleteDump(OperatorDialogs& dialogs, const std::string& registerName) {
  std::string text = Cp1251("Скопирован файл в АС ТЛК:\n") + registerName +
                     Cp1251(
                         "\nЗАПИШИ НАЗВАНИЕ ФАЙЛА\nИ НЕ ЗАБУДЬ ОБРАБОТАТЬ В АС ТЛК!!!\n"
                         "Удалить исходный файл?");
  if (dialogs.MessageBox(text, Cp1251("Результат"), DialogButtons::YesNo, DialogIcon::None) ==
      DialogAnswer::Yes) {
    std::error_code ignored;
    std::filesystem::remove(kDumpFile, ignored);
  }
}

}  // namespace

RemoteNames MakeRemoteNames(std::string timeText) {
  std::string digits;
  for (char c : timeText)
    if (c != ':') digits += c;
  // Minutes and seconds are the last four characters; SubString gives
  // nothing when the text is shorter.
  int64_t p = static_cast<int64_t>(digits.size()) - 3;
  std::string minute = SubString(digits, p, 2);
  std::string stamp = SubString(digits, p, 4);
  return RemoteNames{"7493" + stamp + ".s" + minute, "7493" + stamp + ".k" + minute};
}

void SendRegister(FtpClient& ftp, OperatorDialogs& dialogs, const Clock& clock, std::string host,
                  std::string user, std::string password, std::string localName,
                  std::string remoteDir, std::string port) {
  ftp.Vendor = 2411;
  ftp.Host = host;
  ftp.Port = StrToInt(port);
  ftp.ReportLevel = 1;
  ftp.TimeOut = 5000;
  ftp.UserID = user;
  ftp.Password = password;

  RemoteNames names = MakeRemoteNames(clock.TimeOfDayText());

  try {
    ftp.Connect();
  } catch (...) {
    ShowOk(dialogs, "Не могу зайти на FTP сервер");
  }
  ftp.ChangeDir(remoteDir);
  ftp.Mode(3);
  ftp.Upload(localName, names.registerName);
  ftp.Upload(kControlFile, names.controlName);

  try {
    ftp.Disconnect();
    OfferToDeleteDump(dialogs, names.registerName);
  } catch (...) {
    ShowOk(dialogs, "Не выйти с FTP сервера");
  }
}
