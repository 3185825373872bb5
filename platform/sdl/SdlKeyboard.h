#pragma once
// The keyboard as a table of Windows virtual-key codes, read from SDL's key state.

#include <cstdint>

#include "platform/Platform.h"

// The virtual-key code of a key: letters and digits follow the layout (Keycode, so 'A' is
// wherever the layout puts it, as on Windows); every other key follows its physical
// position (Scancode, USB usage numbers). 0 when the key has no code.
int32_t VirtualKeyOf(int32_t Scancode, int32_t Keycode);
// Key events name a modifier without its side (Shift 16, Ctrl 17, Alt 18), as Windows'
// key messages do; the key table has both the sided and the generic codes.
int32_t EventVirtualKey(int32_t Scancode, int32_t Keycode);

class TSdlKeyboard final : public IKeyboard {
 public:
  void ReadKeyTable(uint8_t Table[256]) override;
};
