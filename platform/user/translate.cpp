#include "platform/user/input.h"
#include "platform/user/keys.h"
#include "platform/user/queue.h"
#include "platform/user/queue_impl.h"

namespace plat {

namespace {

bool Down(int vk) { return (GetKeyState(vk) & 0x8000) != 0; }

// The character a key types on a US keyboard; 0 for none.
char CharFor(UINT vk) {
  const bool shift = Down(VK_SHIFT);
  const bool ctrl = Down(VK_CONTROL);
  if (vk >= 'A' && vk <= 'Z') {
    if (ctrl) return static_cast<char>(vk - 'A' + 1);
    const bool upper = shift != ((GetKeyState(VK_CAPITAL) & 1) != 0);
    return static_cast<char>(upper ? vk : vk - 'A' + 'a');
  }
  switch (vk) {
    case VK_SPACE:
      return ' ';
    case VK_RETURN:
      return '\r';
    case VK_BACK:
      return '\b';
    case VK_TAB:
      return '\t';
    case VK_ESCAPE:
      return 0x1B;
    default:
      break;
  }
  if (ctrl) return 0;
  if (vk >= '0' && vk <= '9') return shift ? ")!@#$%^&*("[vk - '0'] : static_cast<char>(vk);
  if (vk >= VK_NUMPAD0 && vk <= VK_NUMPAD9) return static_cast<char>('0' + (vk - VK_NUMPAD0));
  struct Pair {
    UINT vk;
    char plain, shifted;
  };
  static constexpr Pair kKeys[] = {
      {VK_OEM_1, ';', ':'},      {VK_OEM_PLUS, '=', '+'}, {VK_OEM_COMMA, ',', '<'}, {VK_OEM_MINUS, '-', '_'},
      {VK_OEM_PERIOD, '.', '>'}, {VK_OEM_2, '/', '?'},    {VK_OEM_3, '`', '~'},     {VK_OEM_4, '[', '{'},
      {VK_OEM_5, '\\', '|'},     {VK_OEM_6, ']', '}'},    {VK_OEM_7, '\'', '"'},    {VK_MULTIPLY, '*', '*'},
      {VK_ADD, '+', '+'},        {VK_SUBTRACT, '-', '-'}, {VK_DECIMAL, '.', '.'},   {VK_DIVIDE, '/', '/'},
  };
  for (const Pair& p : kKeys)
    if (p.vk == vk) return shift ? p.shifted : p.plain;
  return 0;
}

}  // namespace

BOOL TranslateMessage(const MSG* msg) {
  if (!msg || (msg->message != WM_KEYDOWN && msg->message != WM_SYSKEYDOWN)) return FALSE;
  const char c = CharFor(static_cast<UINT>(msg->wParam & 0xFF));
  if (!c) return FALSE;
  MSG m = *msg;
  m.message = msg->message == WM_KEYDOWN ? WM_CHAR : WM_SYSCHAR;
  m.wParam = static_cast<unsigned char>(c);
  user_impl::PostFrontMessage(m);
  return TRUE;
}

}  // namespace plat
