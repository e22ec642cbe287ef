#include "Game/views/world/WorldMessage.h"

#include "Game/app/AppGlobals.h"
#include "Game/app/CMessageBoxes.h"

namespace {
WorldMessageFn g_receiver = nullptr;
}  // namespace

void ShowWorldMessage(const char* text) {
  if (g_receiver) {
    g_receiver(text);
    return;
  }
  COkDlg box(g_ddraw, g_mainWnd, nullptr, text, static_cast<std::uint32_t>(LocalGuild()));
}

void SetWorldMessageReceiver(WorldMessageFn fn) { g_receiver = fn; }
