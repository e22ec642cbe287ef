#pragma once
// What the front end answers for the program's shell beyond its screens
// (ScreenFlow.h): the one progress window the application keeps open, and the
// saved-game loader's request. Game thread only.

#include <cstdint>

// Opens the progress window with a text and an animation, or changes both
// when it is open.
void OpenProgressWindow(const char* text, int animation);
// Closes the progress window, when open.
void CloseProgressWindow();
// A game loaded from inside a game: the load screen chooses a file of
// `loadMode` and a loader in request mode is made for it. 0 asks again (a
// file that cannot be read, which is said so), 1 keeps the loader for the
// reply, 2 the player cancelled or there is no application.
int AnswerLoadRequest(std::uint32_t loadMode);
