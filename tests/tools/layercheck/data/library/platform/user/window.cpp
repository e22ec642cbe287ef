// Reaches down: into its own library's lower folder and into the libraries below.
#include "platform/user/window.h"

#include "platform/core/files.h"
#include "platform/d3d/device.h"
#include "platform/font/glyphs.h"

int WindowCount() { return FileCount() + GlyphCount() + 2; }
int WindowDevices() { return DeviceCount(); }
