#pragma once
// What the program does when the connection to its X display breaks (the X
// server ended, the desktop session closed). Xlib's own answer is exit(),
// which runs the static objects' teardown under the program's running threads
// and then waits on the dead connection; instead the program ends at once
// (platform/core/sudden_end.h), naming the display on standard error.

struct SDL_Window;

namespace plat {

// From now on a broken connection to an X display ends the program with
// `exitCode`. Called on the program's thread before its first call to the
// display (SDL's video opens it), with the code of a window that could not be
// opened, and again with the code of a lost display once the window is open.
// The connection may be found broken on any thread; the code of that moment
// is the one used. Does nothing to a program that never uses X.
void EndOnDisplayLoss(int exitCode);

// The GL libraries under SDL's renderer talk to the display over the
// connection of `window` without Xlib, and read a reply the broken connection
// never gave: a segmentation fault. Once EndOnDisplayLoss has been called, a
// fault on any thread while this connection is broken ends the program as a
// broken connection does; any other fault goes on to the handler there was
// before. Called on the program's thread; nothing unless the window is on X.
void WatchConnectionOf(SDL_Window* window);
// No connection is watched any more: called before the display closes, as
// its descriptor may then be another file's.
void UnwatchConnection();

}  // namespace plat
