// Read accessors of the renderer for its callers: the last frame's inverse
// camera transform, the bound frame buffer and the fog.

#include "sg/render/renderer.h"

SGError SGRendererGetCameraInverse(const SGRenderer* rend, const SGMatrix** out) {
  // The inverse exists once a frame has set the camera up.
  if (rend->renFrameBuffer == nullptr || rend->renViewData == nullptr) {
    *out = nullptr;
    return SG_ERROR_NO_FRAME_BUFFER;
  }
  *out = &rend->renCameraInverse;
  return SG_ERROR_NONE;
}

SGError SGRendererGetFrameBuffer(const SGRenderer* rend, SGFrameBuffer** out) {
  *out = rend->renFrameBuffer;
  return SG_ERROR_NONE;
}

SGError SGRendererGetFog(const SGRenderer* rend, std::uint32_t* colour, float* far, std::uint8_t** table) {
  *colour = rend->renFogColour;
  *far = rend->renFogFar;
  *table = rend->renFogLUT;
  return SG_ERROR_NONE;
}
