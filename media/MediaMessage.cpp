#include "media/MediaMessage.h"

#include "platform/user/system.h"

void (*g_mediaMessageBox)(const char* text) = nullptr;

void ShowMediaMessage(const char* text) {
  if (g_mediaMessageBox)
    g_mediaMessageBox(text);
  else
    plat::MessageBox(nullptr, text, "", plat::MB_OK);
}
