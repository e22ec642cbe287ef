// Cull-tree edges drawn over the frame.

#include "sg/scene/culldisplay.h"

#include "sg/cull/cull.h"
#include "sg/fb/framebuffer.h"
#include "sg/instance/instance.h"
#include "sg/render/primitives.h"
#include "sg/render/renderer.h"

namespace {

constexpr std::uint32_t kOrColourStep = 52802;

void Apply(const SGMatrix& m, const float in[3], float out[3]) {
  for (int c = 0; c < 3; ++c) {
    out[c] = in[0] * m.m[0][c] + in[1] * m.m[1][c] + in[2] * m.m[2][c] + m.m[3][c];
  }
}

// The point relative to the eye, in the frame the object is given in.
void EyePoint(const SGRenderer* rend, const SGCullObject* co, const SGMatrix* xform, const double p[3], float out[3]) {
  if ((co->coFlags & SG_CULL_FLAG_RELATIVE) != 0 && co->coXform != nullptr) {
    const float local[3] = {static_cast<float>(p[0]), static_cast<float>(p[1]), static_cast<float>(p[2])};
    Apply(*co->coXform, local, out);
  } else if (xform == nullptr) {
    for (int k = 0; k < 3; ++k) {
      out[k] = static_cast<float>(p[k] - rend->renEye[k]);
    }
    return;
  } else {
    for (int k = 0; k < 3; ++k) {
      out[k] = static_cast<float>(p[k]);
    }
  }
  if (xform != nullptr) {
    const float moved[3] = {out[0], out[1], out[2]};
    Apply(*xform, moved, out);
  }
}

// The point in the view's [-1, 1] square; false behind the eye.
bool Project(const SGRenderer* rend, const float p[3], float out[2]) {
  const SGMatrix& m = rend->renCameraXform;
  float col[4];
  for (int c = 0; c < 4; ++c) {
    col[c] = p[0] * m.m[0][c] + p[1] * m.m[1][c] + p[2] * m.m[2][c] + m.m[3][c];
  }
  if (!(col[3] > 0.f)) {
    return false;
  }
  out[0] = col[0] / col[3];
  out[1] = col[1] / col[3];
  return true;
}

void DrawEdge(SGRenderer* rend, const SGCullObject* co, const SGMatrix* xform, std::uint32_t colour) {
  float a[3];
  float b[3];
  EyePoint(rend, co, xform, co->coPoints[0], a);
  EyePoint(rend, co, xform, co->coPoints[1], b);
  float pa[2];
  float pb[2];
  if (!Project(rend, a, pa) || !Project(rend, b, pb) ||
      !ISGClipSegmentToRect(&pa[0], &pa[1], &pb[0], &pb[1], -1.f, -1.f, 1.f, 1.f)) {
    return;
  }
  const SGViewData* vi = rend->renViewData;
  auto screen = [vi](float v, int axis) { return ISGRoundPixel((v + 1.f) * vi->viScale[axis] + vi->viOffset[axis]); };
  SGFrameBuffer* fb = rend->renFrameBuffer;
  const std::int32_t xmax = static_cast<std::int32_t>(fb->fbWidth) - 1;
  const std::int32_t ymax = static_cast<std::int32_t>(fb->fbHeight) - 1;
  if (fb->fbBPP == 8) {
    ISGLineClip8(screen(pa[0], 0), screen(pa[1], 1), screen(pb[0], 0), screen(pb[1], 1),
                 static_cast<std::uint8_t>(colour), fb->fbPixels, fb->fbPitch, 0, 0, xmax, ymax);
  } else if (fb->fbBPP == 16 && fb->fbPixelTable != nullptr) {
    const std::uint32_t pixel = static_cast<const std::uint16_t*>(fb->fbPixelTable)[colour & 0xFF];
    ISGLineClip16(screen(pa[0], 0), screen(pa[1], 1), screen(pb[0], 0), screen(pb[1], 1), pixel, fb->fbPixels,
                  fb->fbPitch, 0, 0, xmax, ymax);
  }
}

void Visit(SGRenderer* rend, const SGCullObject* co, const SGMatrix* xform, std::uint32_t colour) {
  for (; co != nullptr; co = co->coORs, colour += kOrColourStep) {
    const bool plane = (co->coFlags & (SG_CULL_FLAG_BEYOND | SG_CULL_FLAG_BEFORE)) != 0;
    if ((co->coFlags & SG_CULL_FLAG_LEAF) != 0 && !plane) {
      DrawEdge(rend, co, xform, colour);
    }
    for (std::uint32_t i = 0; i < co->coNumANDs; ++i) {
      Visit(rend, co->coANDs[i], xform, colour);
    }
  }
}

}  // namespace

SGError ISGCullScene(SGRenderer* rend, SGCullObject* tree, const SGMatrix* xform, std::uint32_t colour) {
  if (tree == nullptr || rend->renViewData == nullptr || rend->renD3D != nullptr || rend->renFrameBuffer == nullptr) {
    return SG_ERROR_NONE;
  }
  SGFrameBuffer* fb = rend->renFrameBuffer;
  void* pixels = nullptr;
  if (SGFrameBufferLock(fb, &pixels) == SG_ERROR_NONE) {
    Visit(rend, tree, xform, colour);
  }
  return SGFrameBufferUnlock(fb);
}
