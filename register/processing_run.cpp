#include "register/processing_run.h"

#include "platform/codepage.h"
#include "register/combined_table.h"
#include "register/dump.h"
#include "register/register_writer.h"
#include "transfer/send_register.h"

void ProcessingRun(RunWindow& window, const ServerSettings& server) {
  const std::vector<std::string> ticked = window.TickedNames();
  if (ticked.empty()) {
    window.MessageBox(Cp1251("Ни один файл не выбран"), "", DialogButtons::Ok, DialogIcon::None);
    return;
  }

  for (const auto& list : ticked)
    RunStatement(window.Query1(), window.Directory(),
                 LchetUpdateStatement(list, window.LayoutFlag()));
  RunStatement(window.Query1(), window.Directory(), CreateCombinedStatement(window.LayoutFlag()));

  for (const auto& list : ticked)
    ImportTable(kCombinedTable, list, window.Directory(), window.Query1(), window.Query2(), window);
  if (ticked.size() >= 2) RemapBranchCodes(kCombinedTable, window.Directory(), window.Query1());

  DumpTable(kCombinedTable, window.Directory(), JoinPath(window.Directory(), "7493.txt"), "dos",
            true);
  const RegisterSummary result = WriteRegister(window.Directory(), window.LayoutFlag());

  const std::string summary = Cp1251("Данные по списку:\nКоличество записей - ") +
                              std::to_string(result.RecordCount) + Cp1251("\nОбщая сумма - ") +
                              result.TotalText + Cp1251("\nПередать Список в АС ТЛК?");
  if (window.MessageBox(summary, Cp1251("Список"), DialogButtons::YesNo, DialogIcon::None) ==
      DialogAnswer::Yes) {
    SendRegister(window.Ftp(), window, window.LocalClock(), server.address, "kvoter", "kvoter",
                 "74931.txt", "//tmp//kvoter", server.port);
  }
  window.RefillCheckList();
}
