// Reaches the Direct3D role its row allows, in a library it builds on.
#include "platform/d3d/device.h"

int WorldDevices() { return DeviceCount(); }
