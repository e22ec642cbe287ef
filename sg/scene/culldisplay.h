#pragma once
// The debugging display of a scene's cull tree: the edges of its polygons
// drawn as lines over the frame, so that portals and windows can be seen
// where they cut. Drawing thread only, inside a frame, software back end.

#include <cstdint>

#include "sg/core/matrix.h"
#include "sg/core/sgerror.h"

struct SGCullObject;
struct SGRenderer;

// Draws every edge object of the tree in colour `colour` (a colour index;
// the OR successors of an object take colour + 52802): its points relative to
// the eye, or through the object's instance transform (relative objects) and
// then `xform` when given. Segments behind the eye or outside the view are
// left out. Nothing without view data or with a Direct3D device. 0, or the
// frame buffer's lock status.
SGError ISGCullScene(SGRenderer* rend, SGCullObject* tree, const SGMatrix* xform, std::uint32_t colour);
