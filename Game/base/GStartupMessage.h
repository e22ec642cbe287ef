#pragma once
// Messages for the player raised while the program starts. The static
// initialisers of the settings objects run before the program's entry, when no
// backend, window or message box can exist yet, so their messages are kept
// here until the entry can show them.

#include <string>
#include <vector>

void QueueStartupMessage(const char* text);
// The kept messages, oldest first; they are forgotten.
std::vector<std::string> TakeStartupMessages();
