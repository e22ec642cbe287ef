// Reaches the windows, which only the library it builds on may include.
#include "platform/user/window.h"

int SceneWindows() { return WindowCount(); }
