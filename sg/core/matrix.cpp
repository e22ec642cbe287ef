#include "sg/core/matrix.h"

#include <cmath>

#include "sg/core/point.h"
#include "sg/core/sgassert.h"

#define ISG_ASSERT_AFFINE(mat)                 \
  do {                                         \
    ISG_ASSERT(mat->m[0][3] == 0.f, "matrix"); \
    ISG_ASSERT(mat->m[1][3] == 0.f, "matrix"); \
    ISG_ASSERT(mat->m[2][3] == 0.f, "matrix"); \
    ISG_ASSERT(mat->m[3][3] == 1.f, "matrix"); \
  } while (0)

namespace {

// Determinant of the 3 x 3 matrix left when row `row` and column `col` are removed.
double Minor(const SGMatrix* in, int row, int col) {
  double s[3][3];
  for (int i = 0, si = 0; i < 4; ++i) {
    if (i == row) {
      continue;
    }
    for (int j = 0, sj = 0; j < 4; ++j) {
      if (j == col) {
        continue;
      }
      s[si][sj++] = in->m[i][j];
    }
    ++si;
  }
  return s[0][0] * (s[1][1] * s[2][2] - s[1][2] * s[2][1]) - s[0][1] * (s[1][0] * s[2][2] - s[1][2] * s[2][0]) +
         s[0][2] * (s[1][0] * s[2][1] - s[1][1] * s[2][0]);
}

double Cofactor(const SGMatrix* in, int row, int col) {
  const double minor = Minor(in, row, col);
  return ((row + col) & 1) != 0 ? -minor : minor;
}

}  // namespace

void SGMatrixIdentity(SGMatrix* out) {
  *out = SGMatrix{};
  for (int i = 0; i < 4; ++i) {
    out->m[i][i] = 1.f;
  }
}

void SGMatrixCopy(SGMatrix* out, const SGMatrix* in) { *out = *in; }

double SGMatrixDeterminant(const SGMatrix* in) {
  double det = 0.0;
  for (int i = 0; i < 4; ++i) {
    det += in->m[i][0] * Cofactor(in, i, 0);
  }
  return det;
}

void SGMatrixAdjoint(SGMatrix* out, const SGMatrix* in) {
  SGMatrix r;
  for (int i = 0; i < 4; ++i) {
    for (int j = 0; j < 4; ++j) {
      r.m[j][i] = static_cast<float>(Cofactor(in, i, j));
    }
  }
  *out = r;
}

SGError SGMatrixInvert(SGMatrix* out, const SGMatrix* in) {
  const double det = SGMatrixDeterminant(in);
  if (det == 0.0) {
    return SG_ERROR_SINGULAR;
  }
  SGMatrix r;
  SGMatrixAdjoint(&r, in);
  const float d = static_cast<float>(det);
  for (auto& row : r.m) {
    for (float& v : row) {
      v /= d;
    }
  }
  *out = r;
  return SG_ERROR_NONE;
}

SGError SGMatrixInvertAffine(SGMatrix* out, const SGMatrix* inMat) {
  ISG_ASSERT_AFFINE(inMat);
  const SGMatrix in = *inMat;
  for (int i = 0; i < 3; ++i) {
    for (int j = 0; j < 3; ++j) {
      out->m[i][j] = in.m[j][i];
    }
    out->m[i][3] = 0.f;
  }
  for (int j = 0; j < 3; ++j) {
    out->m[3][j] = -(in.m[3][0] * in.m[j][0] + in.m[3][1] * in.m[j][1] + in.m[3][2] * in.m[j][2]);
  }
  out->m[3][3] = 1.f;
  return SG_ERROR_NONE;
}

SGError SGMatrixPerspective(SGMatrix* out, float fov, float aspect, float nearDist, float farDist) {
  const float h = fov * 0.008726646f;
  const float f = 1.f / std::tan(h);
  SGMatrixIdentity(out);
  out->m[0][0] = f / aspect;
  out->m[1][1] = f;
  out->m[2][2] = -farDist / (farDist - nearDist);
  out->m[2][3] = -1.f;
  out->m[3][2] = -(farDist * nearDist) / (farDist - nearDist);
  out->m[3][3] = 0.f;
  return SG_ERROR_NONE;
}

void SGMatrixMultiply(SGMatrix* out, const SGMatrix* A, const SGMatrix* B) {
  SGMatrix r;
  for (int i = 0; i < 4; ++i) {
    for (int j = 0; j < 4; ++j) {
      float acc = 0.f;
      for (int k = 0; k < 4; ++k) {
        acc += A->m[i][k] * B->m[k][j];
      }
      r.m[i][j] = acc;
    }
  }
  *out = r;
}

void SGMatrixMultiplyAffine(SGMatrix* out, const SGMatrix* A, const SGMatrix* B) {
  ISG_ASSERT_AFFINE(A);
  ISG_ASSERT_AFFINE(B);
  SGMatrix r;
  for (int i = 0; i < 4; ++i) {
    for (int j = 0; j < 3; ++j) {
      float acc = A->m[i][0] * B->m[0][j] + A->m[i][1] * B->m[1][j] + A->m[i][2] * B->m[2][j];
      if (i == 3) {
        acc += B->m[3][j];
      }
      r.m[i][j] = acc;
    }
    r.m[i][3] = i == 3 ? 1.f : 0.f;
  }
  *out = r;
}

void SGMatrixMultAffine(SGMatrix* out, const SGMatrix* A, const SGMatrix* B) {
  ISG_ASSERT_AFFINE(A);
  SGMatrix r;
  for (int i = 0; i < 4; ++i) {
    for (int j = 0; j < 4; ++j) {
      float acc = A->m[i][0] * B->m[0][j] + A->m[i][1] * B->m[1][j] + A->m[i][2] * B->m[2][j];
      if (i == 3) {
        acc += B->m[3][j];
      }
      r.m[i][j] = acc;
    }
  }
  *out = r;
}

const SGMatrix* SGMatrixMultByAffine(SGMatrix* out, const SGMatrix* A, const SGMatrix* B) {
  ISG_ASSERT_AFFINE(B);
  SGMatrix r;
  for (int i = 0; i < 3; ++i) {
    for (int j = 0; j < 3; ++j) {
      r.m[i][j] = A->m[i][0] * B->m[0][j] + A->m[i][1] * B->m[1][j] + A->m[i][2] * B->m[2][j];
    }
    r.m[i][3] = A->m[i][3];
  }
  for (int j = 0; j < 3; ++j) {
    r.m[3][j] = A->m[3][0] * B->m[0][j] + A->m[3][1] * B->m[1][j] + A->m[3][2] * B->m[2][j] + A->m[3][3] * B->m[3][j];
  }
  r.m[3][3] = A->m[3][3];
  *out = r;
  return A;
}

void SGMatrixMultiplyBothAffineInPlace(SGMatrix* prod, const SGMatrix* mat) {
  ISG_ASSERT_AFFINE(prod);
  ISG_ASSERT_AFFINE(mat);
  SGMatrixMultiplyAffine(prod, mat, prod);
}

void SGMatrixMultiplyAffineInPlace(SGMatrix* prod, const SGMatrix* mat) {
  ISG_ASSERT_AFFINE(mat);
  SGMatrixMultAffine(prod, mat, prod);
}

void SGMatrixMultiplyInPlace(SGMatrix* prod, const SGMatrix* mat) { SGMatrixMultiply(prod, mat, prod); }

void SGMatrixToAngles(float out[3], const SGMatrix* in) {
  const double s = -in->m[0][2];
  const double c = s * s < 1.0 ? std::sqrt(1.0 - s * s) : 0.0;
  if (std::fabs(c) <= 0.00001) {
    out[1] = static_cast<float>(std::atan2(-in->m[2][1], in->m[1][1]));
    out[2] = static_cast<float>(std::atan2(0.0, 1.0));
  } else {
    out[1] = static_cast<float>(std::atan2(in->m[1][2] / c, in->m[2][2] / c));
    out[2] = static_cast<float>(std::atan2(in->m[0][1] / c, in->m[0][0] / c));
  }
  out[0] = static_cast<float>(std::atan2(s, c));
}

void SGAnglesFromVectors(float out[3], const SGPoint3s* forward, const SGPoint3s* up) {
  const SGPoint3s f{-forward->x, -forward->y, -forward->z};
  SGPoint3s r = ISGVector3sCross(*up, f);
  ISGVector3sNormalize(&r);
  SGPoint3s u = ISGVector3sCross(f, r);
  ISGVector3sNormalize(&u);
  const double s = -r.z;
  const double c = static_cast<double>(r.z) * r.z < 1.0 ? std::sqrt(1.0 - static_cast<double>(r.z) * r.z) : 0.0;
  out[2] = static_cast<float>(std::atan2(r.y, r.x));
  out[1] = static_cast<float>(std::atan2(u.z, f.z));
  out[0] = static_cast<float>(std::atan2(s, c));
}
