#pragma once
// Points and vectors of three single-precision floats, and the point transforms.

#include "sg/core/sgerror.h"

struct SGMatrix;

struct SGPoint3s {
  float x = 0.f;
  float y = 0.f;
  float z = 0.f;
};

inline float SGPoint3sDot(const SGPoint3s* a, const SGPoint3s* b) { return a->x * b->x + a->y * b->y + a->z * b->z; }
inline float SGVector3sLenSq(const SGPoint3s* v) { return SGPoint3sDot(v, v); }

// a x b.
SGPoint3s ISGVector3sCross(const SGPoint3s& a, const SGPoint3s& b);
// Scales v to unit length unless its squared length is 0 or already lies in the
// unit band [0.9999, 1.0001]; returns the length it was divided by (1 when untouched).
float ISGVector3sNormalize(SGPoint3s* v);

// out_i = M[3][i] + sum_j in_j * M[j][i], accumulated in float from the translation.
void SGPoint3sTransform(SGPoint3s* out, const SGMatrix* m, const SGPoint3s* in);
// As above, divided by w; a point whose w is 0 gives SG_ERROR_SINGULAR, out untouched.
SGError SGPoint3sTransformProjective(SGPoint3s* out, const SGMatrix* m, const SGPoint3s* in);
