#pragma once
// What the program does when the connection to its X display breaks (the X
// server ended, the desktop session closed). Xlib's own answer is exit(),
// which runs the static objects' teardown under the program's running threads
// and then waits on the dead connection; instead the program ends at once
// (platform/core/sudden_end.h), naming the display on standard error.

namespace plat {

// From now on a broken connection to the display ends the program with
// `exitCode`. Does nothing unless SDL's video runs on its X11 driver, so it is
// called on the program's thread once a window is open.
void EndOnDisplayLoss(int exitCode);

}  // namespace plat
