#pragma once
// 4 x 4 single-precision matrices used with row vectors (p' = p x M): row 3 holds
// the translation. A matrix is affine when its last column is (0, 0, 0, 1);
// operations that need affine input check it as a consistency condition.
// Results go through the first argument, which may be the same matrix as an input.

#include "sg/core/sgerror.h"

struct SGPoint3s;

struct SGMatrix {
  float m[4][4] = {};
};

void SGMatrixIdentity(SGMatrix* out);
void SGMatrixCopy(SGMatrix* out, const SGMatrix* in);
// Cofactor expansion along column 0, in double precision.
double SGMatrixDeterminant(const SGMatrix* in);
// The adjugate (transposed cofactors), computed in double and stored as floats.
void SGMatrixAdjoint(SGMatrix* out, const SGMatrix* in);
// SG_ERROR_SINGULAR when the determinant is 0 (out unchanged).
SGError SGMatrixInvert(SGMatrix* out, const SGMatrix* in);
// Inverse of an affine matrix whose rotation part is orthonormal.
SGError SGMatrixInvertAffine(SGMatrix* out, const SGMatrix* inMat);
// Projection for a field of view in degrees.
SGError SGMatrixPerspective(SGMatrix* out, float fov, float aspect, float nearDist, float farDist);

// out = A x B, general.
void SGMatrixMultiply(SGMatrix* out, const SGMatrix* A, const SGMatrix* B);
// out = A x B, both affine.
void SGMatrixMultiplyAffine(SGMatrix* out, const SGMatrix* A, const SGMatrix* B);
// out = A x B, A affine, B general.
void SGMatrixMultAffine(SGMatrix* out, const SGMatrix* A, const SGMatrix* B);
// out = A x B, B affine; the last column of A is carried over. Returns A.
const SGMatrix* SGMatrixMultByAffine(SGMatrix* out, const SGMatrix* A, const SGMatrix* B);
// prod = mat x prod, both affine.
void SGMatrixMultiplyBothAffineInPlace(SGMatrix* prod, const SGMatrix* mat);
// prod = mat x prod, mat affine.
void SGMatrixMultiplyAffineInPlace(SGMatrix* prod, const SGMatrix* mat);
// prod = mat x prod.
void SGMatrixMultiplyInPlace(SGMatrix* prod, const SGMatrix* mat);

// Euler angles (radians) of a rotation matrix.
void SGMatrixToAngles(float out[3], const SGMatrix* in);
// Euler angles of the rotation that looks along `forward` with `up` upwards.
void SGAnglesFromVectors(float out[3], const SGPoint3s* forward, const SGPoint3s* up);
