#pragma once
// Small helpers shared by the plume's node building, segments and caps.
// Plain inline functions; any thread.

#include <cstdint>
#include <cstring>

#include "sg/plume/plume.h"
#include "sg/render/renderer.h"

inline float ISGPlumeDot(const float* a, const float* b) { return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]; }

// out = a x b (out may be a or b).
inline void ISGPlumeCross(const float* a, const float* b, float* out) {
  const float x = a[1] * b[2] - a[2] * b[1];
  const float y = a[2] * b[0] - a[0] * b[2];
  const float z = a[0] * b[1] - a[1] * b[0];
  out[0] = x;
  out[1] = y;
  out[2] = z;
}

// While a fog override is active (a plume's or the clouds' inside fog), no plume adds anything.
inline bool ISGPlumeFogOverride(const SGRenderer* rend) { return (rend->renFlags & SG_REND_FLAG_FOG_OVERRIDE) != 0; }

// The node's age in steps.
inline std::int64_t ISGPlumeAge(const SGPlume* plm, const SGPlumeNode* node) {
  return static_cast<std::int64_t>(plm->plmTimeStamp) - node->pndTimeStamp;
}

// The trail's half width at an age.
inline float ISGPlumeHalfWidth(const SGPlume* plm, std::int64_t age) {
  float w = plm->plmHalfWidth;
  if ((plm->plmFlags & SG_PLM_FLAG_GROW) != 0) {
    w += static_cast<float>(age) * plm->plmWidthGrowth;
  }
  return w;
}

// A ribbon or cap vertex at p (eye-relative) with texture coordinates (u, v),
// to be transformed when drawn. Full light, marked as such: the 8-bit alpha
// fills take their level from the shade of shaded vertices only, and would
// draw the smoke black.
inline void ISGPlumeSetVertex(SGTxVertex* v, const float p[3], float u, float vv) {
  std::memcpy(v->txvPos, p, sizeof(v->txvPos));
  v->txvUV[0] = u;
  v->txvUV[1] = vv;
  v->txvShade = 1.f;
  v->txvFog = 1.f;
  v->txvFlags |= SG_TXV_UNTRANSFORMED | SG_TXV_SHADED;
}
