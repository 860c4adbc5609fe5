// Turns a key event of the window system into the virtual key code that the
// window's key handler sees (the code of the upper-case letter for letters,
// 18 for either Alt key, 16 Shift, 17 Ctrl ...), whatever the keyboard layout.
// On Windows the event's own virtual key is used. Elsewhere one table maps
// Qt's keys; a letter that the layout turns into another character (Cyrillic)
// is found by its key position. A key the table does not know gives 0.
#pragma once

#include <cstdint>

class QKeyEvent;

uint16_t VirtualKeyOf(const QKeyEvent& event);
