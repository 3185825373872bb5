#include "platform/sdl/SdlKeyboard.h"

#include <SDL.h>

#include <cstring>

namespace {

// Windows virtual-key codes used below.
enum : int32_t {
  VK_BACK = 8,
  VK_TAB = 9,
  VK_RETURN = 13,
  VK_SHIFT = 16,
  VK_CONTROL = 17,
  VK_MENU = 18,
  VK_PAUSE = 19,
  VK_CAPITAL = 20,
  VK_ESCAPE = 27,
  VK_SPACE = 32,
  VK_PRIOR = 33,
  VK_NEXT = 34,
  VK_END = 35,
  VK_HOME = 36,
  VK_LEFT = 37,
  VK_UP = 38,
  VK_RIGHT = 39,
  VK_DOWN = 40,
  VK_SNAPSHOT = 44,
  VK_INSERT = 45,
  VK_DELETE = 46,
  VK_LWIN = 91,
  VK_RWIN = 92,
  VK_APPS = 93,
  VK_NUMPAD0 = 96,
  VK_MULTIPLY = 106,
  VK_ADD = 107,
  VK_SUBTRACT = 109,
  VK_DECIMAL = 110,
  VK_DIVIDE = 111,
  VK_F1 = 112,
  VK_NUMLOCK = 144,
  VK_SCROLL = 145,
  VK_LSHIFT = 160,
  VK_RSHIFT = 161,
  VK_LCONTROL = 162,
  VK_RCONTROL = 163,
  VK_LMENU = 164,
  VK_RMENU = 165,
  VK_OEM_1 = 186,
  VK_OEM_PLUS = 187,
  VK_OEM_COMMA = 188,
  VK_OEM_MINUS = 189,
  VK_OEM_PERIOD = 190,
  VK_OEM_2 = 191,
  VK_OEM_3 = 192,
  VK_OEM_4 = 219,
  VK_OEM_5 = 220,
  VK_OEM_6 = 221,
  VK_OEM_7 = 222,
  VK_OEM_102 = 226,
};

int32_t VirtualKeyOfScancode(int32_t S) {
  if (S >= SDL_SCANCODE_A && S <= SDL_SCANCODE_Z) return 'A' + (S - SDL_SCANCODE_A);
  if (S >= SDL_SCANCODE_1 && S <= SDL_SCANCODE_9) return '1' + (S - SDL_SCANCODE_1);
  if (S == SDL_SCANCODE_0) return '0';
  if (S >= SDL_SCANCODE_F1 && S <= SDL_SCANCODE_F12) return VK_F1 + (S - SDL_SCANCODE_F1);
  if (S >= SDL_SCANCODE_F13 && S <= SDL_SCANCODE_F24) return VK_F1 + 12 + (S - SDL_SCANCODE_F13);
  if (S >= SDL_SCANCODE_KP_1 && S <= SDL_SCANCODE_KP_9)
    return VK_NUMPAD0 + 1 + (S - SDL_SCANCODE_KP_1);
  switch (S) {
    case SDL_SCANCODE_RETURN:
    case SDL_SCANCODE_KP_ENTER:
      return VK_RETURN;
    case SDL_SCANCODE_ESCAPE:
      return VK_ESCAPE;
    case SDL_SCANCODE_BACKSPACE:
      return VK_BACK;
    case SDL_SCANCODE_TAB:
      return VK_TAB;
    case SDL_SCANCODE_SPACE:
      return VK_SPACE;
    case SDL_SCANCODE_MINUS:
      return VK_OEM_MINUS;
    case SDL_SCANCODE_EQUALS:
      return VK_OEM_PLUS;
    case SDL_SCANCODE_LEFTBRACKET:
      return VK_OEM_4;
    case SDL_SCANCODE_RIGHTBRACKET:
      return VK_OEM_6;
    case SDL_SCANCODE_BACKSLASH:
    case SDL_SCANCODE_NONUSHASH:
      return VK_OEM_5;
    case SDL_SCANCODE_SEMICOLON:
      return VK_OEM_1;
    case SDL_SCANCODE_APOSTROPHE:
      return VK_OEM_7;
    case SDL_SCANCODE_GRAVE:
      return VK_OEM_3;
    case SDL_SCANCODE_COMMA:
      return VK_OEM_COMMA;
    case SDL_SCANCODE_PERIOD:
      return VK_OEM_PERIOD;
    case SDL_SCANCODE_SLASH:
      return VK_OEM_2;
    case SDL_SCANCODE_NONUSBACKSLASH:
      return VK_OEM_102;
    case SDL_SCANCODE_CAPSLOCK:
      return VK_CAPITAL;
    case SDL_SCANCODE_PRINTSCREEN:
      return VK_SNAPSHOT;
    case SDL_SCANCODE_SCROLLLOCK:
      return VK_SCROLL;
    case SDL_SCANCODE_PAUSE:
      return VK_PAUSE;
    case SDL_SCANCODE_INSERT:
      return VK_INSERT;
    case SDL_SCANCODE_HOME:
      return VK_HOME;
    case SDL_SCANCODE_PAGEUP:
      return VK_PRIOR;
    case SDL_SCANCODE_DELETE:
      return VK_DELETE;
    case SDL_SCANCODE_END:
      return VK_END;
    case SDL_SCANCODE_PAGEDOWN:
      return VK_NEXT;
    case SDL_SCANCODE_RIGHT:
      return VK_RIGHT;
    case SDL_SCANCODE_LEFT:
      return VK_LEFT;
    case SDL_SCANCODE_DOWN:
      return VK_DOWN;
    case SDL_SCANCODE_UP:
      return VK_UP;
    case SDL_SCANCODE_NUMLOCKCLEAR:
      return VK_NUMLOCK;
    case SDL_SCANCODE_KP_DIVIDE:
      return VK_DIVIDE;
    case SDL_SCANCODE_KP_MULTIPLY:
      return VK_MULTIPLY;
    case SDL_SCANCODE_KP_MINUS:
      return VK_SUBTRACT;
    case SDL_SCANCODE_KP_PLUS:
      return VK_ADD;
    case SDL_SCANCODE_KP_0:
      return VK_NUMPAD0;
    case SDL_SCANCODE_KP_PERIOD:
      return VK_DECIMAL;
    case SDL_SCANCODE_APPLICATION:
      return VK_APPS;
    case SDL_SCANCODE_LCTRL:
      return VK_LCONTROL;
    case SDL_SCANCODE_LSHIFT:
      return VK_LSHIFT;
    case SDL_SCANCODE_LALT:
      return VK_LMENU;
    case SDL_SCANCODE_LGUI:
      return VK_LWIN;
    case SDL_SCANCODE_RCTRL:
      return VK_RCONTROL;
    case SDL_SCANCODE_RSHIFT:
      return VK_RSHIFT;
    case SDL_SCANCODE_RALT:
      return VK_RMENU;
    case SDL_SCANCODE_RGUI:
      return VK_RWIN;
    default:
      return 0;
  }
}

}  // namespace

int32_t VirtualKeyOf(int32_t Scancode, int32_t Keycode) {
  if (Keycode >= 'a' && Keycode <= 'z') return 'A' + (Keycode - 'a');
  if (Keycode >= '0' && Keycode <= '9' &&
      !(Scancode >= SDL_SCANCODE_KP_1 && Scancode <= SDL_SCANCODE_KP_0))
    return Keycode;
  return VirtualKeyOfScancode(Scancode);
}

int32_t EventVirtualKey(int32_t Scancode, int32_t Keycode) {
  const int32_t Vk = VirtualKeyOf(Scancode, Keycode);
  if (Vk == VK_LSHIFT || Vk == VK_RSHIFT) return VK_SHIFT;
  if (Vk == VK_LCONTROL || Vk == VK_RCONTROL) return VK_CONTROL;
  if (Vk == VK_LMENU || Vk == VK_RMENU) return VK_MENU;
  return Vk;
}

void TSdlKeyboard::ReadKeyTable(uint8_t Table[256]) {
  std::memset(Table, 0, 256);
  int Count = 0;
  const Uint8* State = SDL_GetKeyboardState(&Count);
  if (!State) return;
  for (int S = 0; S < Count; ++S) {
    if (!State[S]) continue;
    const int32_t Vk = VirtualKeyOf(S, SDL_GetKeyFromScancode(static_cast<SDL_Scancode>(S)));
    if (Vk <= 0 || Vk > 255) continue;
    Table[Vk] = 0x80;
    // The generic modifier codes are down while either side is.
    if (Vk == VK_LSHIFT || Vk == VK_RSHIFT) Table[VK_SHIFT] = 0x80;
    if (Vk == VK_LCONTROL || Vk == VK_RCONTROL) Table[VK_CONTROL] = 0x80;
    if (Vk == VK_LMENU || Vk == VK_RMENU) Table[VK_MENU] = 0x80;
  }
}
