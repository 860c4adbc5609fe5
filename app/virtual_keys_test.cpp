#include "app/virtual_keys.h"

#include <gtest/gtest.h>

#include <QKeyEvent>

namespace {

TEST(VirtualKeys, QtKeysBecomeWindowsVirtualKeyCodes) {
  struct Case {
    int key;
    Qt::KeyboardModifiers modifiers;
    uint16_t code;
  };
  const Case cases[] = {
      {Qt::Key_Alt, Qt::AltModifier, 18},
      {Qt::Key_AltGr, Qt::NoModifier, 18},
      {Qt::Key_Shift, Qt::ShiftModifier, 16},
      {Qt::Key_Control, Qt::ControlModifier, 17},
      {Qt::Key_A, Qt::NoModifier, 65},
      {Qt::Key_Z, Qt::ShiftModifier, 90},
      {Qt::Key_X, Qt::AltModifier, 88},
      {Qt::Key_C, Qt::AltModifier | Qt::ShiftModifier, 67},
      {Qt::Key_0, Qt::NoModifier, 48},
      {Qt::Key_9, Qt::NoModifier, 57},
      {Qt::Key_Space, Qt::NoModifier, 32},
      {Qt::Key_Return, Qt::NoModifier, 13},
      {Qt::Key_Enter, Qt::KeypadModifier, 13},
      {Qt::Key_Escape, Qt::NoModifier, 27},
      {Qt::Key_Left, Qt::NoModifier, 37},
      {Qt::Key_Down, Qt::NoModifier, 40},
      {Qt::Key_F1, Qt::NoModifier, 112},
      {Qt::Key_F12, Qt::NoModifier, 123},
      {Qt::Key_Delete, Qt::NoModifier, 46},
      {Qt::Key_Comma, Qt::NoModifier, 188},
      {0x0427, Qt::NoModifier, 0},  // Cyrillic letter: no key position known off X11
      {Qt::Key_VolumeUp, Qt::NoModifier, 0},
  };
  for (const Case& c : cases) {
    const QKeyEvent event(QEvent::KeyPress, c.key, c.modifiers);
    EXPECT_EQ(VirtualKeyOf(event), c.code) << "Qt key 0x" << std::hex << c.key;
  }
}

}  // namespace
