#include "app/check_list_box.h"

#include <QByteArray>
#include <QKeyEvent>
#include <QStyledItemDelegate>

#include "app/cp1251.h"
#include "platform/error.h"

namespace {

constexpr int kNameRole = Qt::UserRole;

class FixedHeightDelegate : public QStyledItemDelegate {
 public:
  using QStyledItemDelegate::QStyledItemDelegate;
  QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
    QSize size = QStyledItemDelegate::sizeHint(option, index);
    size.setHeight(CheckListBox::kItemHeight);
    return size;
  }
};

}  // namespace

CheckListBox::CheckListBox(QWidget* parent) : QListWidget(parent) {
  setSortingEnabled(false);
  setSelectionMode(QAbstractItemView::SingleSelection);
  setUniformItemSizes(true);
  setItemDelegate(new FixedHeightDelegate(this));
}

void CheckListBox::AssignItems(const std::vector<std::string>& names) {
  clear();
  for (const std::string& name : names) {
    auto* item = new QListWidgetItem(FileNameCaption(name));
    item->setData(kNameRole, QByteArray::fromStdString(name));
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
    item->setCheckState(Qt::Unchecked);
    addItem(item);
  }
}

QListWidgetItem& CheckListBox::At(int index) const {
  QListWidgetItem* found = item(index);
  if (found == nullptr) throw Error("List index out of bounds (" + std::to_string(index) + ")");
  return *found;
}

std::string CheckListBox::Items(int index) const {
  return At(index).data(kNameRole).toByteArray().toStdString();
}

bool CheckListBox::Checked(int index) const { return At(index).checkState() == Qt::Checked; }

void CheckListBox::SetChecked(int index, bool checked) {
  At(index).setCheckState(checked ? Qt::Checked : Qt::Unchecked);
}

std::vector<std::string> CheckListBox::CheckedItems() const {
  std::vector<std::string> names;
  for (int i = 0; i < count(); ++i)
    if (Checked(i)) names.push_back(Items(i));
  return names;
}

void CheckListBox::keyPressEvent(QKeyEvent* event) {
  if (OnKeyDown) OnKeyDown(*event);
  QListWidget::keyPressEvent(event);
}
