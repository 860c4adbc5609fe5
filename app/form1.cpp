#include "app/form1.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QFontDatabase>
#include <QKeyEvent>
#include <QProgressBar>
#include <QPushButton>
#include <QShowEvent>

#include "app/error_dialog.h"
#include "app/form_run_window.h"
#include "app/virtual_keys.h"
#include "register/text.h"

TForm1* Form1 = nullptr;

namespace {

constexpr uint16_t kAlt = 18;
constexpr uint16_t kKeyZ = 90;
constexpr uint16_t kKeyX = 88;
constexpr uint16_t kKeyC = 67;

struct Placement {
  int left, top, width, height;
};

QFont WindowFont() {
  const QString family = QFontDatabase::families().contains(QStringLiteral("MS Sans Serif"))
                             ? QStringLiteral("MS Sans Serif")
                             : QStringLiteral("DejaVu Sans");
  QFont font(family);
  font.setPointSize(8);
  return font;
}

}  // namespace

#ifndef KVOTER_SERVER_ADDRESS
#define KVOTER_SERVER_ADDRESS "127.0.0.1"
#endif

FormSettings DefaultFormSettings() {
  return {ServerSettings{KVOTER_SERVER_ADDRESS, "21"}, DefaultWorkFolder()};
}

TForm1::TForm1(std::unique_ptr<WindowDialogs> dialogs, FormSettings settings)
    : dialogs_(dialogs ? std::move(dialogs) : std::make_unique<QtWindowDialogs>(this)),
      OpenDialog1(*dialogs_),
      settings_(std::move(settings)) {
  createControls();
  applyWindowSettings();
  applyLayout();
  applyTabOrder();
  bindEvents();
  CheckListBox1->setFocus();
}

TForm1::~TForm1() {
  if (Form1 == this) Form1 = nullptr;
}

void TForm1::createControls() {
  CheckListBox1 = new CheckListBox(this);
  Button2 = new QPushButton(QString::fromUtf8("Обработать"), this);
  ProgressBar1 = new QProgressBar(this);
  Button3 = new QPushButton(QString::fromUtf8("Выделить все"), this);
  Button1 = new QPushButton(QString::fromUtf8("Выбрать dbf файл"), this);
  Button4 = new QPushButton(QString::fromUtf8("Разархивировать"), this);
  CheckBox1 = new QCheckBox(QString::fromUtf8("Пособия по безработице"), this);

  const std::pair<QWidget*, const char*> names[] = {
      {CheckListBox1, "CheckListBox1"},
      {Button2, "Button2"},
      {ProgressBar1, "ProgressBar1"},
      {Button3, "Button3"},
      {Button1, "Button1"},
      {Button4, "Button4"},
      {CheckBox1, "CheckBox1"},
  };
  for (const auto& [widget, name] : names) widget->setObjectName(QLatin1String(name));

  ProgressBar1->setRange(0, 100);
  ProgressBar1->setValue(0);
  ProgressBar1->setTextVisible(false);
  CheckBox1->setChecked(false);
  importView_ = std::make_unique<FormImportView>(*Button2, *ProgressBar1);
  runWindow_ = std::make_unique<FormRunWindow>(*this);
  Button2Action = [this](QObject*) { processingRun(); };
  Button4Action = [this](QObject*) { unpack(); };
  // The upload's waits keep the window painting and answering; commands
  // are ignored meanwhile (see command()).
  ftp.OnWait = [] { QCoreApplication::processEvents(QEventLoop::AllEvents, 20); };
}

void TForm1::applyWindowSettings() {
  setObjectName(QStringLiteral("Form1"));
  setWindowTitle(QString::fromUtf8("Обработка dbf для kvoter"));
  setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                 Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
  setFont(WindowFont());
  QPalette palette = this->palette();
  palette.setColor(QPalette::Window, palette.color(QPalette::Button));
  setPalette(palette);
  setAutoFillBackground(true);
}

void TForm1::applyLayout() {
  const std::pair<QWidget*, Placement> layout[] = {
      {Button1, {0, 0, 220, 21}},     {Button3, {0, 22, 220, 21}},
      {Button4, {0, 43, 220, 21}},    {CheckListBox1, {0, 65, 220, 193}},
      {Button2, {0, 260, 220, 21}},   {ProgressBar1, {0, 283, 220, 16}},
      {CheckBox1, {2, 300, 218, 17}},
  };
  for (const auto& [widget, p] : layout) widget->setGeometry(p.left, p.top, p.width, p.height);
  setFixedSize(220, 317);
  move(276, 115);
}

void TForm1::applyTabOrder() {
  QWidget* const order[] = {CheckListBox1, Button2, ProgressBar1, Button3,
                            Button1,       Button4, CheckBox1};
  for (size_t i = 1; i < std::size(order); ++i) setTabOrder(order[i - 1], order[i]);
}

void TForm1::bindEvents() {
  const auto bind = [this](QPushButton* button, void (TForm1::*handler)(QObject*)) {
    connect(button, &QPushButton::clicked, this,
            [this, button, handler] { guarded([&] { (this->*handler)(button); }); });
  };
  bind(Button1, &TForm1::FormShow);
  bind(Button2, &TForm1::Button2Click);
  bind(Button3, &TForm1::Button3Click);
  bind(Button4, &TForm1::Button4Click);
  CheckListBox1->OnKeyDown = [this](QKeyEvent& event) { keyDownFrom(CheckListBox1, event); };
}

void TForm1::guarded(const std::function<void()>& handler) { RunHandler(*dialogs_, handler); }

void TForm1::keyDownFrom(QObject* sender, const QKeyEvent& event) {
  uint16_t key = VirtualKeyOf(event);
  guarded([&] { CheckListBox1KeyDown(sender, key, event.modifiers()); });
}

void TForm1::showEvent(QShowEvent* event) {
  // Only the window's own showing; restoring it from the task bar is not one.
  if (!event->spontaneous()) guarded([this] { FormShow(this); });
  QWidget::showEvent(event);
}

void TForm1::keyPressEvent(QKeyEvent* event) {
  // A key a control leaves unhandled travels up to the window; the window
  // takes only its own key-downs (no control has the focus).
  QWidget* focused = focusWidget();
  if (focused == nullptr || focused == this) keyDownFrom(this, *event);
  QWidget::keyPressEvent(event);
}

void TForm1::closeEvent(QCloseEvent* event) {
  // Closing in the middle of a run would leave its files half-made.
  if (busy_)
    event->ignore();
  else
    QWidget::closeEvent(event);
}

void TForm1::command(const std::function<void()>& body) {
  if (busy_) return;
  busy_ = true;
  struct Idle {
    bool& busy;
    ~Idle() { busy = false; }
  } idle{busy_};
  body();
}

void TForm1::processingRun() {
  command([this] { ProcessingRun(*runWindow_, settings_.server); });
}

void TForm1::unpack() {
  command([this] { ExtractArchive(*runWindow_, settings_.work, processes_); });
}

void TForm1::FormShow(QObject* Sender) {
  command([this, Sender] { chooseFile(Sender); });
}

void TForm1::chooseFile(QObject*) {
  CheckListBox1->clear();
  FileListBox1.Clear();
  if (!OpenDialog1.Execute()) return;
  FileListBox1.SetDirectory(DirectoryOfPath(OpenDialog1.FileName));
  FileListBox1.Update();
  CheckListBox1->AssignItems(FileListBox1.Items());
}

void TForm1::Button2Click(QObject* Sender) {
  if (Button2Action) Button2Action(Sender);
}

void TForm1::Button3Click(QObject*) {
  if (busy_) return;
  for (int i = 0; i < CheckListBox1->Count(); ++i) CheckListBox1->SetChecked(i, true);
}

void TForm1::Button4Click(QObject* Sender) {
  if (Button4Action) Button4Action(Sender);
}

void TForm1::CheckListBox1KeyDown(QObject* Sender, uint16_t& Key, Qt::KeyboardModifiers) {
  // Every key-down becomes the previous key, also when a shortcut's handler
  // raises: otherwise a failed run would start again on the next letter.
  struct RememberKey {
    int32_t& previous;
    const uint16_t& key;
    ~RememberKey() { previous = key; }
  } remember{previousKey_, Key};
  if (Key == kKeyZ && previousKey_ == kAlt) Button3Click(Sender);
  if (Key == kKeyX && previousKey_ == kAlt) Button2Click(Sender);
  if (Key == kKeyC && previousKey_ == kAlt) FormShow(Sender);
}
