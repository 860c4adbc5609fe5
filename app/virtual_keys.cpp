#include "app/virtual_keys.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QString>

namespace {

struct KeyCode {
  int qtKey;
  uint16_t virtualKey;
};

// Keys that are not letters or digits (those map to their own codes).
constexpr KeyCode kKeys[] = {
    {Qt::Key_Backspace, 8},    {Qt::Key_Tab, 9},
    {Qt::Key_Backtab, 9},      {Qt::Key_Clear, 12},
    {Qt::Key_Return, 13},      {Qt::Key_Enter, 13},
    {Qt::Key_Shift, 16},       {Qt::Key_Control, 17},
    {Qt::Key_Alt, 18},         {Qt::Key_AltGr, 18},
    {Qt::Key_Pause, 19},       {Qt::Key_CapsLock, 20},
    {Qt::Key_Escape, 27},      {Qt::Key_Space, 32},
    {Qt::Key_PageUp, 33},      {Qt::Key_PageDown, 34},
    {Qt::Key_End, 35},         {Qt::Key_Home, 36},
    {Qt::Key_Left, 37},        {Qt::Key_Up, 38},
    {Qt::Key_Right, 39},       {Qt::Key_Down, 40},
    {Qt::Key_Select, 41},      {Qt::Key_Print, 44},
    {Qt::Key_Insert, 45},      {Qt::Key_Delete, 46},
    {Qt::Key_Help, 47},        {Qt::Key_Meta, 91},
    {Qt::Key_Menu, 93},        {Qt::Key_NumLock, 144},
    {Qt::Key_ScrollLock, 145}, {Qt::Key_Semicolon, 186},
    {Qt::Key_Colon, 186},      {Qt::Key_Equal, 187},
    {Qt::Key_Plus, 187},       {Qt::Key_Comma, 188},
    {Qt::Key_Less, 188},       {Qt::Key_Minus, 189},
    {Qt::Key_Underscore, 189}, {Qt::Key_Period, 190},
    {Qt::Key_Greater, 190},    {Qt::Key_Slash, 191},
    {Qt::Key_Question, 191},   {Qt::Key_QuoteLeft, 192},
    {Qt::Key_AsciiTilde, 192}, {Qt::Key_BracketLeft, 219},
    {Qt::Key_BraceLeft, 219},  {Qt::Key_Backslash, 220},
    {Qt::Key_Bar, 220},        {Qt::Key_BracketRight, 221},
    {Qt::Key_BraceRight, 221}, {Qt::Key_Apostrophe, 222},
    {Qt::Key_QuoteDbl, 222},
};

// X11 and Wayland key codes (evdev + 8) of the letter keys, by position.
constexpr KeyCode kLetterPositions[] = {
    {24, 'Q'}, {25, 'W'}, {26, 'E'}, {27, 'R'}, {28, 'T'}, {29, 'Y'}, {30, 'U'},
    {31, 'I'}, {32, 'O'}, {33, 'P'}, {38, 'A'}, {39, 'S'}, {40, 'D'}, {41, 'F'},
    {42, 'G'}, {43, 'H'}, {44, 'J'}, {45, 'K'}, {46, 'L'}, {52, 'Z'}, {53, 'X'},
    {54, 'C'}, {55, 'V'}, {56, 'B'}, {57, 'N'}, {58, 'M'},
};

uint16_t FromTable(int qtKey) {
  if (qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z) return static_cast<uint16_t>(qtKey);
  if (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9) return static_cast<uint16_t>(qtKey);
  if (qtKey >= Qt::Key_F1 && qtKey <= Qt::Key_F24)
    return static_cast<uint16_t>(112 + (qtKey - Qt::Key_F1));
  for (const KeyCode& k : kKeys)
    if (k.qtKey == qtKey) return k.virtualKey;
  return 0;
}

uint16_t FromLetterPosition(quint32 scanCode) {
  for (const KeyCode& k : kLetterPositions)
    if (static_cast<quint32>(k.qtKey) == scanCode) return k.virtualKey;
  return 0;
}

}  // namespace

uint16_t VirtualKeyOf(const QKeyEvent& event) {
  const QString platform = QGuiApplication::platformName();
  if (platform == QLatin1String("windows") && event.nativeVirtualKey() != 0)
    return static_cast<uint16_t>(event.nativeVirtualKey() & 0xFFFF);
  if (const uint16_t code = FromTable(event.key())) return code;
  if (platform == QLatin1String("xcb") || platform.startsWith(QLatin1String("wayland")))
    return FromLetterPosition(event.nativeScanCode());
  return 0;
}
