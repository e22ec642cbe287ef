// Primitive submission to the Direct3D device: the vertex batch, triangles,
// fans, points and lines as small triangles, and the renderer's methods.

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>

#include "platform/d3d/d3d.h"
#include "sg/core/malloc.h"
#include "sg/core/sgassert.h"
#include "sg/d3d/d3dbyte.h"
#include "sg/d3d/d3ddevice.h"
#include "sg/material/material.h"
#include "sg/render/primitives.h"
#include "sg/render/renderer.h"

using namespace plat;

namespace {

constexpr std::uint32_t kKindList = 1;
constexpr float kLineOffset = 1.4142135f;

// The tag a vertex records for the current batch: the serial and, above it,
// how often the 16-bit serial has wrapped, so that no wrapped serial can
// match a vertex entered long ago (nor the pool's fresh 0).
std::uint32_t Tag(const SGD3DDevice* d3d) { return d3d->d3dBatchEpoch << 16 | d3d->d3dBatch; }

// Texel-centre inset by log2 of the texture width, worked out once for each
// (the same division, done when compiling).
constexpr std::array<float, 32> kInsets = [] {
  std::array<float, 32> insets{};
  for (int k = 0; k < 32; ++k) {
    insets[k] = k < 1 ? 0.f : k < 3 ? 1.f : 1.f / static_cast<float>((1u << (k - 1)) - 1);
  }
  return insets;
}();

float Inset(std::uint32_t width) { return kInsets[std::bit_width(std::max(width, 1u)) - 1]; }

// What an entry is made from: a transformed vertex's values, or those a
// face corner would give one.
struct CornerValues {
  const float* loc;  // screen x, y, z/w, q
  const float* uv;
  const std::uint8_t* colour;
  float shade, fog;
  std::uint32_t flags;
};

CornerValues ValuesOf(const SGTxVertex* txv) {
  return {txv->txvLoc, txv->txvUV, txv->txvColour, txv->txvShade, txv->txvFog, txv->txvFlags};
}

// The base colour, 0..1 per channel. Measured and not kept: the channels
// over 255 read from a table of the same quotients made when compiling
// rather than divided (the vertex alpha's too), 1.41 / 1.44 against
// 1.34 / 1.40 for the 200-rock frame over the software one, 1.33 / 1.36
// against 1.30 / 1.35 for 1000 rocks (minimum / median of six alternating
// pinned runs).
[[gnu::always_inline]] inline void BaseColour(const SGD3DDevice* d3d, const SGMaterial* m, const CornerValues& c,
                                              float rgb[3]) {
  const float mat[3] = {static_cast<float>((m->matColour >> 24) & 0xFF),
                        static_cast<float>((m->matColour >> 16) & 0xFF),
                        static_cast<float>((m->matColour >> 8) & 0xFF)};
  const bool vertexColour = (m->matType & SG_MAT_TYPE_VERTEX_COLOUR) != 0;
  if (d3d->d3dColourMode == 0 && !vertexColour) {
    // The usual case, without the vertex's channels.
    for (int k = 0; k < 3; ++k) {
      rgb[k] = mat[k] / 255.f;
    }
    return;
  }
  const float vert[3] = {static_cast<float>(c.colour[3]), static_cast<float>(c.colour[2]),
                         static_cast<float>(c.colour[1])};
  if (d3d->d3dColourMode == 0) {
    for (int k = 0; k < 3; ++k) {
      rgb[k] = mat[k] * vert[k] / 65025.f;
    }
    return;
  }
  const float* src = vertexColour ? vert : mat;
  float s = src[0] + src[1] + src[2];
  if (d3d->d3dColourMode == -1) {
    s = 765.f - s;
  }
  const float weights[3] = {d3d->d3dTintRed, d3d->d3dTintGreen, d3d->d3dTintBlue};
  for (int k = 0; k < 3; ++k) {
    rgb[k] = weights[k] > 0.f ? s * weights[k] / 765.f : 0.f;
  }
}

// The colours are about 4% of the 200-rock frame: with a constant colour
// in their place (a probe, not a picture) it took 1.03 / 1.05 ms against
// 1.08 / 1.10 (five alternating pinned runs); the earlier attempts on them
// above and below each won less than the runs' spread.
[[gnu::always_inline]] inline D3DCOLOR Colour(const SGD3DDevice* d3d, const SGMaterial* m, const CornerValues& c,
                                              bool lit) {
  float rgb[3];
  BaseColour(d3d, m, c, rgb);
  const float a = (m->matType & SG_MAT_TYPE_ALPHA) != 0 ? c.colour[0] / 255.f : 1.f;
  const float scale = m->matInfo != nullptr ? m->matInfo->maiScale : 1.f;
  // A vertex the lights did not shade is drawn in the material's own colour,
  // as the software fills draw it.
  const bool shaded = lit && (c.flags & SG_TXV_SHADED) != 0;
  const float l = shaded ? std::min(c.shade * m->matDiffuse + m->matAmbient, 1.f) : 1.f;
  return static_cast<D3DCOLOR>(ISGD3DByte(a * scale * 255.f)) << 24 |
         static_cast<D3DCOLOR>(ISGD3DByte(l * rgb[0] * 255.f)) << 16 |
         static_cast<D3DCOLOR>(ISGD3DByte(l * rgb[1] * 255.f)) << 8 | ISGD3DByte(l * rgb[2] * 255.f);
}

// The device takes depths 0..1 and a non-negative 1/w; the clipper keeps
// vertices there, and one that is not is pinned rather than trusted.
void Position(D3DTLVERTEX* v, const float* loc) {
  v->sx = loc[0];
  v->sy = loc[1];
  v->sz = std::isfinite(loc[2]) ? std::clamp(loc[2], 0.f, 1.f) : 1.f;
  v->rhw = std::isfinite(loc[3]) ? std::max(loc[3], 0.f) : 0.f;
}

void TexCoords(const SGD3DDevice* d3d, D3DTLVERTEX* v, const float* uv, float t) {
  const float half = (d3d->d3dFlags & SG_D3D_FLAG_NO_INSET) != 0 ? 0.f : t / 2.f;
  v->tu = uv[0] * (1.f - t) + half;
  v->tv = uv[1] * (1.f - t) + half;
}

// The next entry of the batch, for the current material, from `c`: a copy
// of entry `from` recoloured where that holds the same vertex for another
// material (`inBatch`), else made anew.
[[gnu::always_inline]] inline std::uint16_t MakeEntry(SGD3DDevice* d3d, const CornerValues& c, bool inBatch,
                                                      std::uint32_t from) {
  const SGMaterial* m = d3d->d3dCurrMaterial;
  ISG_ASSERT(d3d->d3dNumVerts < d3d->d3dVertMax, "sgd3d");
  const std::uint32_t i = d3d->d3dNumVerts++;
  D3DTLVERTEX& v = d3d->d3dVertBuff[i];
  if (inBatch) {
    const D3DTLVERTEX& old = d3d->d3dVertBuff[from];
    v = old;
    v.color = Colour(d3d, m, c, true);
  } else {
    Position(&v, c.loc);
    if (m->matTexMap != nullptr) {
      TexCoords(d3d, &v, c.uv, Inset(m->matTexMap->txmSize.u[0]));
    }
    v.color = Colour(d3d, m, c, d3d->d3dUnlit == 0);
    v.specular = static_cast<D3DCOLOR>(ISGD3DByte(c.fog * 255.f)) << 24;
  }
  d3d->d3dVertMaterial[i] = m;
  return static_cast<std::uint16_t>(i);
}

// A vertex not yet in the batch for the current material: its entry made.
// Measured and not kept (the 200-rock frame over the software one, minimum /
// median of five alternating pinned runs): the colour's four bytes rounded
// at once in SSE2 lanes, 1.44 / 1.45 against 1.42 / 1.46, and with the
// inset halved by a product rather than a division, 1.43 / 1.46 against
// 1.42 / 1.45 (1000 rocks 1.39 / 1.41 against 1.36 / 1.40); both again
// once faces inside the view came here from their prepared vertices,
// 1.37 / 1.39 against 1.40 / 1.41 (1000 rocks 1.32 / 1.34 against
// 1.30 / 1.34).
[[gnu::noinline]] std::uint16_t NewEntry(SGD3DDevice* d3d, SGTxVertex* txv, std::uint32_t tag) {
  const bool inBatch = txv->txvConverted == tag && txv->txvQIndex < d3d->d3dNumVerts;
  const std::uint16_t i = MakeEntry(d3d, ValuesOf(txv), inBatch, txv->txvQIndex);
  txv->txvConverted = tag;
  txv->txvQIndex = i;
  return i;
}

// The vertex's entry in the batch: most corners of a model's faces are
// shared, so the one already made for the current material is the usual
// answer, found without a call. Measured and not kept: the entry's material
// read only when the batch holds entries of more than one (a batch-wide
// material kept beside them), together with the device's index bound found
// in one pass, 1.34 / 1.37 against 1.27 / 1.37 for the 200-rock frame over
// the software one, 1.129 / 1.199 ms against 1.126 / 1.191; 1000 rocks
// 1.28 / 1.31 against 1.22 / 1.31 (ten alternating pinned runs).
[[gnu::always_inline]] inline std::uint16_t Entry(SGD3DDevice* d3d, SGTxVertex* txv, std::uint32_t tag) {
  ISG_ASSERT(d3d->d3dCurrMaterial, "sgd3d");
  if (txv->txvConverted == tag && txv->txvQIndex < d3d->d3dNumVerts &&
      d3d->d3dVertMaterial[txv->txvQIndex] == d3d->d3dCurrMaterial) {
    return static_cast<std::uint16_t>(txv->txvQIndex);
  }
  return NewEntry(d3d, txv, tag);
}

// A face corner's vertex not yet in the batch for the current material
// under its key: its entry made, as NewEntry would make it from the
// transformed vertex TransformedCorner would make (its colour 0).
// Counted in the 200-rock frame: 8,119 entries for 7,416 faces, every one
// the first use of its vertex in the frame. Each vertex of those models has
// one texture coordinate and normal for all its corners, so no entry is made
// again for a key that changed back, and a vertex remembering several keys'
// entries would save nothing there.
// Measured and not kept: the corner's texture coordinates and light asked
// for (through a call) only when its entry is made, rather than worked out
// for every face, 1.33 / 1.37 against 1.34 / 1.36 for the 200-rock frame
// over the software one, 1.19 / 1.31 against 1.23 / 1.31 for 1000 rocks
// (minimum / median of seven alternating pinned runs).
[[gnu::noinline]] std::uint16_t NewPreparedEntry(SGD3DDevice* d3d, const ISGD3DCorner& c, std::uint32_t shaded,
                                                 std::uint32_t tag) {
  static constexpr std::uint8_t kNoColour[4] = {};
  ISGPrepVertex* pv = c.pv;
  const bool inBatch = pv->pvKey == c.key && pv->pvD3DTag == tag && pv->pvQIndex < d3d->d3dNumVerts;
  const std::uint16_t i = MakeEntry(
      d3d, CornerValues{pv->pvLoc, c.uv, kNoColour, c.shade, pv->pvFog, pv->pvFlags | shaded}, inBatch, pv->pvQIndex);
  pv->pvKey = c.key;
  pv->pvTxv = nullptr;
  pv->pvD3DTag = tag;
  pv->pvQIndex = i;
  return i;
}

// The corner's entry: the one of the transformed vertex made from its vertex
// and key where there is one, else the one last made for them.
[[gnu::always_inline]] inline std::uint16_t PreparedEntry(SGD3DDevice* d3d, const ISGD3DCorner& c, std::uint32_t shaded,
                                                          std::uint32_t tag) {
  const ISGPrepVertex* pv = c.pv;
  if (pv->pvKey == c.key) {
    if (pv->pvTxv != nullptr) {
      return Entry(d3d, pv->pvTxv, tag);
    }
    if (pv->pvD3DTag == tag && pv->pvQIndex < d3d->d3dNumVerts &&
        d3d->d3dVertMaterial[pv->pvQIndex] == d3d->d3dCurrMaterial) {
      return static_cast<std::uint16_t>(pv->pvQIndex);
    }
  }
  return NewPreparedEntry(d3d, c, shaded, tag);
}

void Triangle(SGD3DDevice* d3d, SGTxVertex* a, SGTxVertex* b, SGTxVertex* c) {
  ISGD3DReserve(d3d, kKindList, 3);
  const std::uint32_t tag = Tag(d3d);
  // Reversed winding.
  std::uint16_t* index = d3d->d3dIndexBuff + d3d->d3dNumIndices;
  index[0] = Entry(d3d, a, tag);
  index[1] = Entry(d3d, c, tag);
  index[2] = Entry(d3d, b, tag);
  d3d->d3dNumIndices += 3;
}

}  // namespace

SGError ISGD3DAllocBuffers(SGD3DDevice* d3d) {
  d3d->d3dVertMax = SG_D3D_VERT_MAX;
  d3d->d3dIndexMax = SG_D3D_INDEX_MAX;
  d3d->d3dVertBuff = static_cast<D3DTLVERTEX*>(SGCalloc(d3d->d3dVertMax, sizeof(D3DTLVERTEX)));
  d3d->d3dVertMaterial = static_cast<const SGMaterial**>(SGCalloc(d3d->d3dVertMax, sizeof(SGMaterial*)));
  d3d->d3dIndexBuff = static_cast<std::uint16_t*>(SGCalloc(d3d->d3dIndexMax, sizeof(std::uint16_t)));
  if (d3d->d3dVertBuff == nullptr || d3d->d3dVertMaterial == nullptr || d3d->d3dIndexBuff == nullptr) {
    ISGD3DFreeBuffers(d3d);
    return SG_ERROR_NO_MEMORY;
  }
  return SG_ERROR_NONE;
}

void ISGD3DFreeBuffers(SGD3DDevice* d3d) {
  SGFree(d3d->d3dVertBuff);
  SGFree(d3d->d3dVertMaterial);
  SGFree(d3d->d3dIndexBuff);
  d3d->d3dVertBuff = nullptr;
  d3d->d3dVertMaterial = nullptr;
  d3d->d3dIndexBuff = nullptr;
}

void ISGD3DResetBatch(SGD3DDevice* d3d) {
  d3d->d3dPrimKind = 0;
  d3d->d3dNumVerts = 0;
  d3d->d3dNumIndices = 0;
}

void ISGD3DFlush(SGD3DDevice* d3d) {
  if (d3d->d3dPrimKind == 0 || d3d->d3dNumVerts == 0) {
    return;
  }
  d3d->d3dDevice->DrawIndexedPrimitive(d3d->d3dPrimKind == 2 ? D3DPT_TRIANGLEFAN : D3DPT_TRIANGLELIST, D3DVT_TLVERTEX,
                                       d3d->d3dVertBuff, d3d->d3dNumVerts, d3d->d3dIndexBuff, d3d->d3dNumIndices,
                                       D3DDP_DONOTCLIP | D3DDP_DONOTUPDATEEXTENTS);
  d3d->d3dDevice->SetRenderState(D3DRENDERSTATE_FLUSHBATCH, 0);
  if (++d3d->d3dBatch == 0) {
    d3d->d3dBatch = 1;
    ++d3d->d3dBatchEpoch;
  }
  ISGD3DResetBatch(d3d);
}

void ISGD3DReserve(SGD3DDevice* d3d, std::uint32_t kind, std::uint32_t n) {
  // Every entry comes with at least one index, so the index count bounds both buffers.
  if (kind != d3d->d3dPrimKind || d3d->d3dNumIndices + n > d3d->d3dVertMax) {
    ISGD3DFlush(d3d);
  }
  d3d->d3dPrimKind = kind;
}

std::uint16_t ISGD3DAddVertex(SGD3DDevice* d3d, SGTxVertex* txv) { return Entry(d3d, txv, Tag(d3d)); }

SGError ISGD3DAddTriangle(SGRenderer* rend, SGTxVertex* a, SGTxVertex* b, SGTxVertex* c) {
  if ((a->txvFlags & b->txvFlags & c->txvFlags & SG_XFORM_FLAG_CLIP_MASK) == 0) {
    Triangle(rend->renD3D, a, b, c);
  }
  return SG_ERROR_NONE;
}

SGError ISGD3DAddFan(SGRenderer* rend, std::uint32_t count, SGTxVertex** fan, bool backward) {
  SGD3DDevice* d3d = rend->renD3D;
  const auto at = [&](std::uint32_t k) { return backward ? fan[k == 0 ? 0 : count - k] : fan[k]; };
  for (std::uint32_t k = 1; k + 1 < count; ++k) {
    ISGD3DReserve(d3d, kKindList, 3);
    for (SGTxVertex* v : {at(0), at(k), at(k + 1)}) {
      d3d->d3dIndexBuff[d3d->d3dNumIndices++] = ISGD3DAddVertex(d3d, v);
    }
  }
  return SG_ERROR_NONE;
}

SGError ISGD3DAddPoint(SGRenderer* rend, SGTxVertex* p) {
  p->txvLoc[0] = std::trunc(p->txvLoc[0]);
  p->txvLoc[1] = std::trunc(p->txvLoc[1]);
  if (p->txvLoc[0] < 2.f || p->txvLoc[1] < 2.f) {
    return SG_ERROR_NONE;
  }
  SGTxVertex* left = nullptr;
  SGTxVertex* up = nullptr;
  if (ISGRendererNewTxVert(rend, &left) != SG_ERROR_NONE || ISGRendererNewTxVert(rend, &up) != SG_ERROR_NONE) {
    return SG_ERROR_NO_MEMORY;
  }
  for (SGTxVertex* copy : {left, up}) {
    *copy = *p;
    copy->txvConverted = 0;
  }
  left->txvLoc[0] -= 2.f;
  up->txvLoc[1] -= 2.f;
  return ISGD3DAddTriangle(rend, up, left, p);
}

SGError ISGD3DAddLine(SGRenderer* rend, SGTxVertex* a, SGTxVertex* b) {
  if (((a->txvFlags | b->txvFlags) & SG_XFORM_FLAG_CLIP_MASK) != 0) {
    return SG_ERROR_NONE;
  }
  for (SGTxVertex* e : {a, b}) {
    e->txvLoc[0] = std::trunc(e->txvLoc[0]);
    e->txvLoc[1] = std::trunc(e->txvLoc[1]);
  }
  SGTxVertex* a2 = nullptr;
  SGTxVertex* b2 = nullptr;
  if (ISGRendererNewTxVert(rend, &a2) != SG_ERROR_NONE || ISGRendererNewTxVert(rend, &b2) != SG_ERROR_NONE) {
    return SG_ERROR_NO_MEMORY;
  }
  *a2 = *a;
  *b2 = *b;
  a2->txvConverted = b2->txvConverted = 0;
  const float dx = a->txvLoc[0] - b->txvLoc[0];
  const float dy = a->txvLoc[1] - b->txvLoc[1];
  if (std::fabs(dx) <= std::fabs(dy)) {
    const float off = dy > 0.f ? kLineOffset : -kLineOffset;
    a2->txvLoc[0] += off;
    b2->txvLoc[0] += off;
  } else {
    const float off = dx > 0.f ? -kLineOffset : kLineOffset;
    a2->txvLoc[1] += off;
    b2->txvLoc[1] += off;
  }
  ISGD3DAddTriangle(rend, a2, b, a);
  return ISGD3DAddTriangle(rend, a2, b2, b);
}

namespace {

SGError UseMaterial(SGRenderer* rend, SGMaterial* mat, std::uint32_t opts) {
  return mat == rend->renD3D->d3dCurrMaterial ? SG_ERROR_NONE : ISGD3DSetMaterial(rend, mat, opts);
}

SGError DrawPoints(SGRenderer* rend, SGScene*, SGMaterial* mat, SGTxVertex** xPt) {
  if ((xPt[0]->txvFlags & SG_XFORM_FLAG_CLIP_MASK) != 0) {
    return SG_ERROR_NONE;
  }
  if (const SGError err = UseMaterial(rend, mat, rend->renOptions | SG_D3D_OPT_ANTIALIAS); err != SG_ERROR_NONE) {
    return err;
  }
  return ISGD3DAddPoint(rend, xPt[0]);
}

SGError DrawLines(SGRenderer* rend, SGScene*, SGMaterial* mat, SGTxVertex** xPt) {
  if (((xPt[0]->txvFlags | xPt[1]->txvFlags) & SG_XFORM_FLAG_NEAR_CLIP) != 0) {
    return SG_ERROR_NONE;
  }
  if (const SGError err = UseMaterial(rend, mat, rend->renOptions); err != SG_ERROR_NONE) {
    return err;
  }
  return ISGD3DAddLine(rend, xPt[0], xPt[1]);
}

}  // namespace

SGError ISGD3DDrawTriangle(SGRenderer* rend, SGScene*, SGMaterial* mat, SGTxVertex** xPt) {
  if (((xPt[0]->txvFlags | xPt[1]->txvFlags | xPt[2]->txvFlags) & SG_XFORM_FLAG_NEAR_CLIP) != 0) {
    return SG_ERROR_NONE;
  }
  if (const SGError err = UseMaterial(rend, mat, rend->renOptions); err != SG_ERROR_NONE) {
    return err;
  }
  ISGD3DAddTriangle(rend, xPt[0], xPt[1], xPt[2]);
  ++rend->renTriCount;
  return SG_ERROR_NONE;
}

SGError ISGD3DDrawPreparedFace(SGRenderer* rend, SGMaterial* mat, const ISGD3DCorner (&corners)[3],
                               std::uint32_t shaded) {
  if (const SGError err = UseMaterial(rend, mat, rend->renOptions); err != SG_ERROR_NONE) {
    return err;
  }
  SGD3DDevice* d3d = rend->renD3D;
  ISGD3DReserve(d3d, kKindList, 3);
  const std::uint32_t tag = Tag(d3d);
  // Reversed winding, as Triangle.
  std::uint16_t* index = d3d->d3dIndexBuff + d3d->d3dNumIndices;
  index[0] = PreparedEntry(d3d, corners[0], shaded, tag);
  index[1] = PreparedEntry(d3d, corners[2], shaded, tag);
  index[2] = PreparedEntry(d3d, corners[1], shaded, tag);
  d3d->d3dNumIndices += 3;
  ++rend->renTriCount;
  return SG_ERROR_NONE;
}

void ISGD3DInstallMethods(SGRenderer* rend) {
  // The transform and the clips stay the software ones; clipped pieces come back here.
  ISGRendererInstallSoftware(rend);
  rend->renMethods.rmDrawPoints = DrawPoints;
  rend->renMethods.rmDrawLines = DrawLines;
  rend->renMethods.rmDrawTriangle = ISGD3DDrawTriangle;
}

SGError ISGD3DDrawShadedFan(SGRenderer* rend, std::uint32_t colourA, std::uint32_t colourB, std::uint32_t count,
                            SGTxVertex** fan, bool backward) {
  SGD3DDevice* d3d = rend->renD3D;
  const SGMaterial* m = d3d->d3dCurrMaterial;
  ISG_ASSERT(m, "sgd3d");
  const SGTextureMap* txm = m->matTexMap;
  const float t = txm != nullptr && txm->txmSize.u[0] != 0 ? 1.f / static_cast<float>(txm->txmSize.u[0]) : 0.f;
  const auto make = [&](const SGTxVertex* txv) {
    D3DTLVERTEX v{};
    Position(&v, txv->txvLoc);
    if (txm != nullptr) {
      TexCoords(d3d, &v, txv->txvUV, t);
    }
    const float s = txv->txvShade;
    float rgb[3];
    float sum = 0.f;
    for (int k = 0; k < 3; ++k) {
      const float a = static_cast<float>((colourA >> (24 - 8 * k)) & 0xFF);
      const float b = static_cast<float>((colourB >> (24 - 8 * k)) & 0xFF);
      rgb[k] = (1.f - s) * a + s * b;
      sum += rgb[k];
    }
    const float weights[3] = {d3d->d3dTintRed, d3d->d3dTintGreen, d3d->d3dTintBlue};
    if (d3d->d3dColourMode == -1) {
      sum = 765.f - sum;
    }
    D3DCOLOR c = 0xFF000000u;
    for (int k = 0; k < 3; ++k) {
      const float unit = d3d->d3dColourMode == 0 ? rgb[k] / 255.f : weights[k] > 0.f ? sum * weights[k] / 765.f : 0.f;
      c |= (static_cast<D3DCOLOR>(static_cast<std::int64_t>(unit * 255.f)) & 0xFF) << (16 - 8 * k);
    }
    v.color = c;
    v.specular = (static_cast<D3DCOLOR>(static_cast<std::int64_t>(txv->txvFog * 255.f)) & 0xFF) << 24;
    return v;
  };
  const auto at = [&](std::uint32_t k) { return backward ? fan[k == 0 ? 0 : count - k] : fan[k]; };
  for (std::uint32_t k = 1; k + 1 < count; ++k) {
    const D3DTLVERTEX tri[3] = {make(at(0)), make(at(k)), make(at(k + 1))};
    d3d->d3dDevice->DrawPrimitive(D3DPT_TRIANGLELIST, D3DVT_TLVERTEX, tri, 3,
                                  D3DDP_DONOTCLIP | D3DDP_DONOTUPDATEEXTENTS);
    d3d->d3dDevice->SetRenderState(D3DRENDERSTATE_FLUSHBATCH, 0);
  }
  return SG_ERROR_NONE;
}
