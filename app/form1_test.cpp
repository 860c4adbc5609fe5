#include "app/form1.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <QApplication>
#include <QCheckBox>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QWindow>
#include <deque>
#include <filesystem>
#include <fstream>
#include <optional>

#include "app/scripted_dialogs.h"
#include "platform/error.h"

namespace fs = std::filesystem;

namespace {

using Names = std::vector<std::string>;

class WindowTest : public testing::Test {
 protected:
  WindowTest() {
    std::string pattern = (fs::temp_directory_path() / "form1_XXXXXX").string();
    dir_ = mkdtemp(pattern.data());
  }
  ~WindowTest() override {
    form_.reset();
    fs::current_path(start_);
    fs::remove_all(dir_);
  }

  void File(const std::string& name) { std::ofstream(dir_ / name) << "x"; }
  std::string PathOf(const std::string& name) { return (dir_ / name).string(); }

  // Creates and shows the window; the open dialog answers from `answers`.
  void Open(std::deque<std::optional<std::string>> answers) {
    auto dialogs = std::make_unique<ScriptedDialogs>();
    dialogs->answers = std::move(answers);
    dialogs_ = dialogs.get();
    form_ = std::make_unique<TForm1>(std::move(dialogs));
    dialogs_->window = form_.get();
    form_->Button2Action = [this](QObject*) {
      ++runs_;
      ticked_ = form_->CheckListBox1->CheckedItems();
    };
    form_->show();
    QApplication::setActiveWindow(form_.get());
  }

  Names Captions() const {
    Names names;
    for (int i = 0; i < form_->CheckListBox1->count(); ++i)
      names.push_back(form_->CheckListBox1->item(i)->text().toStdString());
    return names;
  }
  std::vector<bool> Ticks() const {
    std::vector<bool> ticks;
    for (int i = 0; i < form_->CheckListBox1->Count(); ++i)
      ticks.push_back(form_->CheckListBox1->Checked(i));
    return ticks;
  }

  fs::path start_ = fs::current_path();
  fs::path dir_;
  ScriptedDialogs* dialogs_ = nullptr;
  std::unique_ptr<TForm1> form_;
  int runs_ = 0;
  Names ticked_;
};

TEST_F(WindowTest, CancelAtStartUpOpensTheWindowWithBothListsEmpty) {
  Open({std::nullopt});
  EXPECT_EQ(dialogs_->opens, 1);
  EXPECT_EQ(dialogs_->windowOnScreenAtOpen, std::vector<bool>{false});
  EXPECT_TRUE(form_->windowHandle()->isVisible());
  EXPECT_EQ(form_->CheckListBox1->Count(), 0);
  EXPECT_EQ(form_->FileListBox1.Count(), 0);
  EXPECT_TRUE(dialogs_->shown.empty());
  EXPECT_EQ(form_->PreviousKey(), 0);
}

TEST_F(WindowTest, ChoosingAFileListsEveryPlainFileOfItsDirectoryUnticked) {
  for (const char* name : {"b.dbf", "A.DBF", "c.txt", ".hidden"}) File(name);
  fs::create_directory(dir_ / "Sub");
  Open({PathOf("b.dbf"), PathOf("c.txt"), std::nullopt});
  EXPECT_EQ(Captions(), (Names{"A.DBF", "b.dbf", "c.txt"}));
  EXPECT_EQ(Ticks(), (std::vector<bool>{false, false, false}));
  EXPECT_EQ(fs::current_path(), dir_);
  EXPECT_EQ(form_->FileListBox1.Directory(), dir_.string());

  // The same directory again: rebuilt (the new file shows), every tick gone.
  form_->CheckListBox1->SetChecked(0, true);
  form_->CheckListBox1->SetChecked(2, true);
  File("new.dbf");
  QTest::mouseClick(form_->Button1, Qt::LeftButton);
  EXPECT_EQ(Captions(), (Names{"A.DBF", "b.dbf", "c.txt", "new.dbf"}));
  EXPECT_EQ(Ticks(), (std::vector<bool>(4, false)));

  // Cancel empties both lists; the directory stays.
  QTest::mouseClick(form_->Button1, Qt::LeftButton);
  EXPECT_EQ(form_->CheckListBox1->Count(), 0);
  EXPECT_EQ(form_->FileListBox1.Count(), 0);
  EXPECT_EQ(form_->FileListBox1.Directory(), dir_.string());
  EXPECT_EQ(form_->OpenDialog1.FileName, PathOf("c.txt"));
  EXPECT_EQ(dialogs_->opens, 3);
}

struct Press {
  Qt::Key key;
  Qt::KeyboardModifiers modifiers = Qt::NoModifier;
  bool autoRepeat = false;
};

// A key-down and key-up as the window system delivers them to `target`:
// spontaneous, after the shortcut check. The modifiers travel with the key
// only; a held Alt is not pressed again (QTest's keyClick would do that).
void Send(QWidget* target, const Press& p) {
  QString text;
  if (p.key == Qt::Key_Space) text = QStringLiteral(" ");
  if (p.key >= Qt::Key_A && p.key <= Qt::Key_Z)
    text = QChar(char16_t(p.key - Qt::Key_A + ((p.modifiers & Qt::ShiftModifier) ? 'A' : 'a')));
  QTest::simulateEvent(target, true, p.key, p.modifiers, text, p.autoRepeat);
  QTest::simulateEvent(target, false, p.key, p.modifiers, text, p.autoRepeat);
}

constexpr Qt::KeyboardModifiers kAlt = Qt::AltModifier;
constexpr Qt::KeyboardModifiers kAltShift = Qt::AltModifier | Qt::ShiftModifier;

struct ShortcutCase {
  const char* what;
  std::vector<Press> keys;
  int runs;
  bool allTicked;
  int opens;  // open dialogs after the start-up one
  int32_t previousKey;
};

const ShortcutCase kShortcuts[] = {
    {"Alt X runs once", {{Qt::Key_Alt, kAlt}, {Qt::Key_X, kAlt}}, 1, false, 0, 88},
    {"Alt X X runs once",
     {{Qt::Key_Alt, kAlt}, {Qt::Key_X, kAlt}, {Qt::Key_X, kAlt}},
     1,
     false,
     0,
     88},
    {"Alt X Alt X runs twice",
     {{Qt::Key_Alt, kAlt}, {Qt::Key_X, kAlt}, {Qt::Key_Alt, kAlt}, {Qt::Key_X, kAlt}},
     2,
     false,
     0,
     88},
    {"held Alt repeats, then X",
     {{Qt::Key_Alt, kAlt}, {Qt::Key_Alt, kAlt, true}, {Qt::Key_Alt, kAlt, true}, {Qt::Key_X, kAlt}},
     1,
     false,
     0,
     88},
    {"X alone", {{Qt::Key_X}}, 0, false, 0, 88},
    {"Alt Z ticks all", {{Qt::Key_Alt, kAlt}, {Qt::Key_Z, kAlt}}, 0, true, 0, 90},
    {"Alt Shift Z",
     {{Qt::Key_Alt, kAlt}, {Qt::Key_Shift, kAltShift}, {Qt::Key_Z, kAltShift}},
     0,
     false,
     0,
     90},
    {"Z alone", {{Qt::Key_Z}}, 0, false, 0, 90},
    {"Shift Z",
     {{Qt::Key_Shift, Qt::ShiftModifier}, {Qt::Key_Z, Qt::ShiftModifier}},
     0,
     false,
     0,
     90},
    {"Alt C chooses a file", {{Qt::Key_Alt, kAlt}, {Qt::Key_C, kAlt}}, 0, false, 1, 67},
    {"C alone", {{Qt::Key_C}}, 0, false, 0, 67},
    {"Alt Down X", {{Qt::Key_Alt, kAlt}, {Qt::Key_Down, kAlt}, {Qt::Key_X, kAlt}}, 0, false, 0, 88},
    {"Alt Enter", {{Qt::Key_Alt, kAlt}, {Qt::Key_Return, kAlt}}, 0, false, 0, 13},
};

TEST_F(WindowTest, ShortcutsOnTheCheckListFireOnTheLetterRightAfterAlt) {
  for (const char* name : {"a.dbf", "b.dbf"}) File(name);
  for (const ShortcutCase& c : kShortcuts) {
    runs_ = 0;
    Open({PathOf("a.dbf"), PathOf("b.dbf")});
    ASSERT_EQ(form_->CheckListBox1->Count(), 2) << c.what;
    ASSERT_EQ(form_->focusWidget(), form_->CheckListBox1) << c.what;
    for (const Press& p : c.keys) Send(form_->CheckListBox1, p);
    EXPECT_EQ(runs_, c.runs) << c.what;
    EXPECT_EQ(Ticks(), std::vector<bool>(2, c.allTicked)) << c.what;
    EXPECT_EQ(dialogs_->opens - 1, c.opens) << c.what;
    EXPECT_EQ(form_->PreviousKey(), c.previousKey) << c.what;
  }
}

TEST_F(WindowTest, KeysOfAButtonOrTheCheckBoxDoNotReachTheShortcuts) {
  File("a.dbf");
  Open({PathOf("a.dbf")});
  QWidget* const controls[] = {form_->Button1, form_->Button2, form_->Button3, form_->Button4,
                               form_->CheckBox1};
  for (QWidget* control : controls) {
    control->setFocus();
    ASSERT_EQ(form_->focusWidget(), control);
    for (const Qt::Key letter : {Qt::Key_X, Qt::Key_Z, Qt::Key_C}) {
      Send(control, {Qt::Key_Alt, kAlt});
      Send(control, {letter, kAlt});
      Send(control, {letter});
    }
    EXPECT_EQ(runs_, 0) << control->objectName().toStdString();
    EXPECT_EQ(Ticks(), std::vector<bool>{false});
    EXPECT_EQ(dialogs_->opens, 1);
    EXPECT_EQ(form_->PreviousKey(), 0);
  }
  // With no control focused the window's own key-downs do reach them.
  form_->CheckListBox1->clearFocus();
  form_->setFocus();
  Send(form_.get(), {Qt::Key_Alt, kAlt});
  Send(form_.get(), {Qt::Key_X, kAlt});
  EXPECT_EQ(runs_, 1);
}

TEST_F(WindowTest, SpaceAndAClickOnTheBoxToggleATick) {
  for (const char* name : {"a.dbf", "b.dbf", "c.dbf"}) File(name);
  Open({PathOf("a.dbf")});
  CheckListBox* list = form_->CheckListBox1;
  list->setCurrentRow(1);
  Send(list, {Qt::Key_Space});
  EXPECT_EQ(Ticks(), (std::vector<bool>{false, true, false}));
  EXPECT_EQ(form_->PreviousKey(), 32);
  Send(list, {Qt::Key_Space});
  EXPECT_EQ(Ticks(), (std::vector<bool>{false, false, false}));

  const QRect row = list->visualItemRect(list->item(2));
  EXPECT_EQ(row.height(), CheckListBox::kItemHeight);
  QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, QPoint(row.left() + 8, row.center().y()));
  EXPECT_EQ(Ticks(), (std::vector<bool>{false, false, true}));
  QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                    QPoint(row.left() + 120, row.center().y()));
  EXPECT_EQ(Ticks(), (std::vector<bool>{false, false, true})) << "a click on the name only selects";
  QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, QPoint(row.left() + 8, row.center().y()));
  EXPECT_EQ(Ticks(), (std::vector<bool>{false, false, false}));
}

TEST_F(WindowTest, TickAllTicksEveryItemAndDoesNothingOnAnEmptyList) {
  Open({std::nullopt});
  QTest::mouseClick(form_->Button3, Qt::LeftButton);
  EXPECT_EQ(form_->CheckListBox1->Count(), 0);
  EXPECT_TRUE(dialogs_->shown.empty());

  for (const char* name : {"a.dbf", "b.dbf", "c.dbf"}) File(name);
  dialogs_->answers = {PathOf("a.dbf")};
  QTest::mouseClick(form_->Button1, Qt::LeftButton);
  form_->CheckListBox1->SetChecked(1, true);
  QTest::mouseClick(form_->Button3, Qt::LeftButton);
  EXPECT_EQ(Ticks(), (std::vector<bool>{true, true, true}));
}

TEST_F(WindowTest, TickedNamesReachTheRunByteForByte) {
  const std::string dos = "\x8f\xe0\xa8\xac\xa5\xe0.dbf";  // 866, not UTF-8
  const std::string utf8 = "\xd0\x9f\xd1\x80\xd0\xb8\xd0\xbc\xd0\xb5\xd1\x80.dbf";
  for (const std::string& name : {dos, utf8, std::string("plain.dbf")}) File(name);
  Open({PathOf("plain.dbf")});
  ASSERT_EQ(form_->CheckListBox1->Count(), 3);
  for (int i = 0; i < 3; ++i) {
    if (form_->CheckListBox1->Items(i) != "plain.dbf") form_->CheckListBox1->SetChecked(i, true);
  }
  QTest::mouseClick(form_->Button2, Qt::LeftButton);
  EXPECT_EQ(runs_, 1);
  Names expected{dos, utf8};
  std::sort(expected.begin(), expected.end(), FileNameLess);
  EXPECT_EQ(ticked_, expected);
  EXPECT_EQ(Captions(), (Names{"plain.dbf", "Пример.dbf", "Пример.dbf"}));
}

TEST_F(WindowTest, AnErrorLeavingAHandlerIsShownAndTheWindowGoesOn) {
  File("a.dbf");
  Open({(dir_ / "gone" / "x.dbf").string(), PathOf("a.dbf")});
  // The failure of the show event: reported, and the window still appears.
  ASSERT_EQ(dialogs_->shown.size(), 1u);
  EXPECT_EQ(dialogs_->shown[0].text.rfind("Cannot open directory " + (dir_ / "gone").string(), 0),
            0u)
      << dialogs_->shown[0].text;
  EXPECT_EQ(dialogs_->shown[0].text.back(), '.');
  EXPECT_EQ(dialogs_->shown[0].caption, "kvoter");
  EXPECT_EQ(dialogs_->shown[0].buttons, DialogButtons::Ok);
  EXPECT_EQ(dialogs_->shown[0].icon, DialogIcon::Error);
  EXPECT_TRUE(form_->isVisible());
  EXPECT_EQ(form_->CheckListBox1->Count(), 0);

  int unpacks = 0;
  form_->Button4Action = [&](QObject* sender) {
    EXPECT_EQ(sender, form_->Button4);
    ++unpacks;
    throw InOutError("\xce\xf8\xe8\xe1\xea\xe0");
  };
  QTest::mouseClick(form_->Button4, Qt::LeftButton);
  QTest::mouseClick(form_->Button4, Qt::LeftButton);
  EXPECT_EQ(unpacks, 2);
  ASSERT_EQ(dialogs_->shown.size(), 3u);
  EXPECT_EQ(dialogs_->shown[2].text, "\xce\xf8\xe8\xe1\xea\xe0.");

  // A failing run started by Alt+X still leaves X as the previous key.
  form_->Button2Action = [&](QObject*) {
    ++runs_;
    throw Error("stop!");
  };
  Send(form_->CheckListBox1, {Qt::Key_Alt, kAlt});
  Send(form_->CheckListBox1, {Qt::Key_X, kAlt});
  Send(form_->CheckListBox1, {Qt::Key_X, kAlt});
  EXPECT_EQ(runs_, 1);
  EXPECT_EQ(dialogs_->shown.back().text, "stop!");
  EXPECT_EQ(form_->PreviousKey(), 88);

  QTest::mouseClick(form_->Button1, Qt::LeftButton);
  EXPECT_EQ(Captions(), (Names{"a.dbf"}));
}

TEST_F(WindowTest, ControlsStandWhereTheWindowPutsThem) {
  Open({std::nullopt});
  struct Control {
    const char* name;
    QRect geometry;
    const char* caption;  // UTF-8; empty for controls without one
  };
  const Control controls[] = {
      {"Button1", {0, 0, 220, 21}, "Выбрать dbf файл"},
      {"Button3", {0, 22, 220, 21}, "Выделить все"},
      {"Button4", {0, 43, 220, 21}, "Разархивировать"},
      {"CheckListBox1", {0, 65, 220, 193}, ""},
      {"Button2", {0, 260, 220, 21}, "Обработать"},
      {"ProgressBar1", {0, 283, 220, 16}, ""},
      {"CheckBox1", {2, 300, 218, 17}, "Пособия по безработице"},
  };
  for (const Control& c : controls) {
    auto* widget = form_->findChild<QWidget*>(QLatin1String(c.name));
    ASSERT_NE(widget, nullptr) << c.name;
    EXPECT_EQ(widget->geometry(), c.geometry) << c.name;
    EXPECT_TRUE(widget->isVisible()) << c.name;
    if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
      EXPECT_EQ(button->text(), QString::fromUtf8(c.caption)) << c.name;
    }
  }
  EXPECT_EQ(form_->windowTitle(), QString::fromUtf8("Обработка dbf для kvoter"));
  EXPECT_EQ(form_->size(), QSize(220, 317));
  EXPECT_EQ(form_->minimumSize(), form_->maximumSize());
  EXPECT_EQ(form_->pos(), QPoint(276, 115));
  const Qt::WindowFlags flags = form_->windowFlags();
  EXPECT_FALSE(flags & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint));
  EXPECT_TRUE(flags & Qt::WindowCloseButtonHint);
  EXPECT_TRUE(flags & Qt::WindowSystemMenuHint);
  EXPECT_EQ(form_->font().pointSize(), 8);
  EXPECT_EQ(form_->palette().color(QPalette::Window), form_->palette().color(QPalette::Button));
  EXPECT_EQ(form_->ProgressBar1->minimum(), 0);
  EXPECT_EQ(form_->ProgressBar1->maximum(), 100);
  EXPECT_EQ(form_->ProgressBar1->value(), 0);
  EXPECT_FALSE(form_->CheckBox1->isChecked());
  EXPECT_EQ(form_->CheckBox1->font().pointSize(), 8);

  // Tab order from the check list, which holds the focus at first.
  EXPECT_EQ(form_->focusWidget(), form_->CheckListBox1);
  std::vector<std::string> order;
  QWidget* w = form_->CheckListBox1;
  do {
    if (w->focusPolicy() & Qt::TabFocus) order.push_back(w->objectName().toStdString());
    w = w->nextInFocusChain();
  } while (w != form_->CheckListBox1);
  EXPECT_EQ(order, (std::vector<std::string>{"CheckListBox1", "Button2", "Button3", "Button1",
                                             "Button4", "CheckBox1"}));
}

}  // namespace
