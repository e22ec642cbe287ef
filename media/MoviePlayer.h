#pragma once
// The application's way to play a movie. Game thread only.

#include "media/MediaMessage.h"
#include "platform/core/types.h"

// Plays the AVI at `path` (DOS or host path) full screen over `owner` with the
// dialog template 107 of `instance`, at (40, 40) with the options 1, 1, 1.
// Returns when the movie ends, or on Enter, Escape, Space or WM_QUIT (posted
// again for the caller's loop). 1 when the dialog ran, 0 when it could not.
int PlayMovie(plat::HWND owner, plat::HINSTANCE instance, const char* path);
