// CheckListBox: the operator's list of file names, each with a tick (ticked
// or not, no third state). Each item keeps its name's exact bytes beside the
// caption it shows, so ticked names reach the core byte for byte. Assigning
// items empties the list first, dropping every tick. A click on an item's
// box or Space on the current item toggles its tick. Key-downs are handed to
// the OnKeyDown hook before the list's own handling; the hook must not
// throw (the window wraps it in its error dialog). An index outside the
// list raises Error.
#pragma once

#include <QListWidget>
#include <functional>
#include <string>
#include <vector>

class CheckListBox : public QListWidget {
 public:
  static constexpr int kItemHeight = 13;

  explicit CheckListBox(QWidget* parent = nullptr);

  void AssignItems(const std::vector<std::string>& names);
  int Count() const { return count(); }
  std::string Items(int index) const;  // the name's bytes
  bool Checked(int index) const;
  void SetChecked(int index, bool checked);
  std::vector<std::string> CheckedItems() const;  // in list order

  std::function<void(QKeyEvent&)> OnKeyDown;

 protected:
  void keyPressEvent(QKeyEvent* event) override;

 private:
  QListWidgetItem& At(int index) const;  // raises Error outside 0 .. Count()-1
};
