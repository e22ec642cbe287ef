// Reaches the windows, a folder of its own library in a higher row.
#include "platform/d3d/device.h"
#include "platform/user/window.h"

int DeviceCount() { return WindowCount() + FileCount(); }
