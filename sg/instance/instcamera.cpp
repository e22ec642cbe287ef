// Camera instances: projection, viewport and view window.

#include "sg/core/sgassert.h"
#include "sg/instance/instance.h"

namespace {

SGViewData* View(const SGInstance* camera) { return static_cast<SGViewData*>(camera->instData); }

}  // namespace

SGError SGInstanceSetCamera(SGInstance* camera, float fov, float aspect, float hither, float yon) {
  if (camera->instType != SG_INST_TYPE_CAMERA) {
    return SG_ERROR_INST_TYPE;
  }
  SGViewData* vi = View(camera);
  vi->viFov = fov;
  vi->viAspect = aspect;
  vi->viHither = hither;
  vi->viYon = yon;
  vi->viMaxYon = yon;
  return SG_ERROR_NONE;
}

SGError SGInstanceSetViewport(SGInstance* camera, const std::int32_t origin[2], const std::int32_t size[2]) {
  // Any other block would be overwritten as view data.
  if (camera->instType != SG_INST_TYPE_CAMERA) {
    return SG_ERROR_INST_TYPE;
  }
  SGViewData* vi = View(camera);
  for (int k = 0; k < 2; ++k) {
    vi->viOrigin[k] = origin[k];
    vi->viReqOrigin[k] = origin[k];
    vi->viSize[k] = size[k];
    vi->viScale[k] = static_cast<float>(size[k] - 1) / 2.f;
    vi->viOffset[k] = static_cast<float>(origin[k]) + 0.5f;
  }
  vi->viFlags = (vi->viFlags | SG_VI_VIEWPORT) & ~SG_VI_SCALED;
  return SG_ERROR_NONE;
}

SGError SGInstanceGetViewport(const SGInstance* camera, std::int32_t origin[2], std::int32_t size[2]) {
  if (camera->instType != SG_INST_TYPE_CAMERA) {
    return SG_ERROR_INST_TYPE;
  }
  const SGViewData* vi = View(camera);
  for (int k = 0; k < 2; ++k) {
    origin[k] = vi->viReqOrigin[k];
    size[k] = vi->viSize[k];
  }
  return SG_ERROR_NONE;
}

SGError SGInstanceSetViewWindow(SGInstance* camera, float lowX, float hiX, float lowY, float hiY) {
  if (camera->instType != SG_INST_TYPE_CAMERA) {
    return SG_ERROR_INST_TYPE;
  }
  ISG_ASSERT((lowX >= 0.f) && (lowX <= 1.f), "instance");
  ISG_ASSERT((lowY >= 0.f) && (lowY <= 1.f), "instance");
  ISG_ASSERT((hiX >= 0.f) && (hiX <= 1.f), "instance");
  ISG_ASSERT((hiY >= 0.f) && (hiY <= 1.f), "instance");
  SGViewData* vi = View(camera);
  if (lowX < hiX && lowY < hiY) {
    vi->viWindowLo[0] = 2.f * lowX - 1.f;
    vi->viWindowLo[1] = 2.f * lowY - 1.f;
    vi->viWindowHi[0] = 2.f * hiX - 1.f;
    vi->viWindowHi[1] = 2.f * hiY - 1.f;
    vi->viFlags |= SG_VI_WINDOW;
  } else {
    vi->viWindowLo[0] = vi->viWindowLo[1] = 0.f;
    vi->viWindowHi[0] = vi->viWindowHi[1] = 1.f;
    vi->viFlags &= ~SG_VI_WINDOW;
  }
  vi->viFlags &= ~SG_VI_SCALED;
  return SG_ERROR_NONE;
}

SGError SGInstanceGetViewWindow(const SGInstance* camera, float* lowX, float* hiX, float* lowY, float* hiY) {
  if (camera->instType != SG_INST_TYPE_CAMERA) {
    return SG_ERROR_INST_TYPE;
  }
  const SGViewData* vi = View(camera);
  if ((vi->viFlags & SG_VI_WINDOW) != 0) {
    *lowX = (vi->viWindowLo[0] + 1.f) / 2.f;
    *hiX = (vi->viWindowHi[0] + 1.f) / 2.f;
    *lowY = (vi->viWindowLo[1] + 1.f) / 2.f;
    *hiY = (vi->viWindowHi[1] + 1.f) / 2.f;
  } else {
    *lowX = 0.f;
    *hiX = 1.f;
    *lowY = 0.f;
    *hiY = 1.f;
  }
  return SG_ERROR_NONE;
}

SGError SGInstanceSetCameraRange(SGInstance* camera, float yon) {
  if (camera->instType != SG_INST_TYPE_CAMERA) {
    return SG_ERROR_INST_TYPE;
  }
  SGViewData* vi = View(camera);
  vi->viYon = yon;
  vi->viMaxYon = yon;
  return SG_ERROR_NONE;
}
