#include "sg/core/point.h"

#include <cmath>

#include "sg/core/matrix.h"

SGPoint3s ISGVector3sCross(const SGPoint3s& a, const SGPoint3s& b) {
  return SGPoint3s{a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}

float ISGVector3sNormalize(SGPoint3s* v) {
  const float lenSq = SGVector3sLenSq(v);
  if (lenSq > 0.f && (lenSq < 0.9999f || lenSq > 1.0001f)) {
    const float len = std::sqrt(lenSq);
    v->x /= len;
    v->y /= len;
    v->z /= len;
    return len;
  }
  return 1.f;
}

void SGPoint3sTransform(SGPoint3s* out, const SGMatrix* m, const SGPoint3s* in) {
  const SGPoint3s p = *in;
  float r[3];
  for (int i = 0; i < 3; ++i) {
    float acc = m->m[3][i];
    acc += p.x * m->m[0][i];
    acc += p.y * m->m[1][i];
    acc += p.z * m->m[2][i];
    r[i] = acc;
  }
  *out = SGPoint3s{r[0], r[1], r[2]};
}

SGError SGPoint3sTransformProjective(SGPoint3s* out, const SGMatrix* m, const SGPoint3s* in) {
  const SGPoint3s p = *in;
  const float w = m->m[0][3] * p.x + m->m[1][3] * p.y + m->m[2][3] * p.z + m->m[3][3];
  if (w == 0.f) {
    return SG_ERROR_SINGULAR;
  }
  const float rw = 1.f / w;
  float r[3];
  for (int i = 0; i < 3; ++i) {
    r[i] = (p.x * m->m[0][i] + p.y * m->m[1][i] + p.z * m->m[2][i] + m->m[3][i]) * rw;
  }
  *out = SGPoint3s{r[0], r[1], r[2]};
  return SG_ERROR_NONE;
}
