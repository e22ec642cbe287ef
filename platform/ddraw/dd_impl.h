#pragma once
// State shared by the DirectDraw files. Called from the program's thread only.

#include <set>

#include "platform/ddraw/ddraw.h"

namespace plat::dd_impl {

struct DisplayState {
  std::set<IDirectDrawSurface*> surfaces;
  bool primaryExists = false;
  IDirectDraw* exclusiveOwner = nullptr;
  bool deactivated = false;
};
DisplayState& Display();

DDPIXELFORMAT Format565();
DDPIXELFORMAT Format555();
DDPIXELFORMAT Format8();
DDPIXELFORMAT ScreenFormat();  // of the backend's screen now
// Whether a requested pixel format is one a surface can have.
bool SupportedFormat(const DDPIXELFORMAT& f);

}  // namespace plat::dd_impl
