#pragma once
// How the media layer's messages reach the player ("No video stream", "Not a
// Windows DIB.", ...): the application sets its OK box over the main window.
// Game thread only.

// Null: the system message box.
extern void (*g_mediaMessageBox)(const char* text);

void ShowMediaMessage(const char* text);
