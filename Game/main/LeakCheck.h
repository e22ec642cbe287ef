#pragma once
// The sanitizer build's leak check runs as the program ends, after the
// orderly end has closed the display. What the system's libraries keep for
// good is not the program's leak: the system bus library's is let pass by
// name, and the libraries SDL loaded are kept loaded to the end, so that what
// they hold stays reachable from their own data. Other builds do nothing.

// Keeps every library now loaded in memory until the process ends. Called on
// the program's thread before the backend goes.
void KeepLibrariesForTheLeakCheck();
