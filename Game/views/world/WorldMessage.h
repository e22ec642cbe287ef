#pragma once
// How the 3D world tells the player something: the game's OK box, unless a
// caller (a test, a scripted run) installed its own receiver. Game thread only.

// Shows the text in the OK box (or hands it to the installed receiver).
void ShowWorldMessage(const char* text);
// Installs a receiver of the messages; null restores the OK box.
using WorldMessageFn = void (*)(const char* text);
void SetWorldMessageReceiver(WorldMessageFn fn);
