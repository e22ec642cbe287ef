#pragma once
// What the backends tell the display. Called from the program's thread only.

namespace plat {

// The exclusive full-screen program was minimised (true) or came back
// (false). Going away loses every surface in video memory, as a display card
// handed to another program did; they stay lost until restored, which is
// refused while minimised.
void SetDisplayDeactivated(bool deactivated);

}  // namespace plat
