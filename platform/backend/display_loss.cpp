#include "platform/backend/display_loss.h"

#include <SDL.h>
#include <X11/Xlib.h>

#include <cstdio>
#include <cstring>

#include "platform/core/sudden_end.h"

namespace plat {
namespace {

int g_exitCode = 1;

// Xlib calls this on the thread that found the connection broken, and ends
// the process itself if it returns: it never does.
int OnConnectionBroken(Display* display) {
  char cause[200];
  std::snprintf(cause, sizeof cause, "the connection to the display %s was lost; the game ends",
                XDisplayString(display));
  EndAtOnce(cause, g_exitCode);
}

}  // namespace

void EndOnDisplayLoss(int exitCode) {
  const char* driver = SDL_GetCurrentVideoDriver();
  if (!driver || std::strcmp(driver, "x11") != 0) return;
  g_exitCode = exitCode;
  XSetIOErrorHandler(OnConnectionBroken);
}

}  // namespace plat
