#pragma once
// The primitive pipeline inside an open frame: vertex transform and clipping,
// the software triangle set-up and fill choice, points and lines, and the
// perspective subdivision that hands screen triangles to the fills. Every
// operation returns the first non-zero status of what it calls, 1 when the
// vertex pool cannot grow, 0 otherwise. Drawing thread only, inside a frame.

#include <cstdint>

#include "sg/core/sgerror.h"
#include "sg/raster/fill.h"

struct SGFrameBuffer;
struct SGFace;
struct SGInstance;
struct SGLineList;
struct SGMaterial;
struct SGModelSubTransform;
struct SGPointList;
struct SGRenderer;
struct SGScene;
struct SGTextureMap;
struct SGTxVertex;

// Slot 0: screen position, depth, fog and clip outcodes of a vertex whose
// position is set (model coordinates relative to the eye, through renXform).
SGError ISGTransformVertex(SGRenderer* rend, SGTxVertex* txv);
// The vertex where the edge from -> to meets plane p, from the pool.
SGError ISGTxVertexInterpolate(SGRenderer* rend, std::uint32_t plane, const SGTxVertex* from, const SGTxVertex* to,
                               SGTxVertex** out);
// Slots 3 and 5: clip against planes plane..5, then draw through slots 2 and 4.
SGError ISGClipLine(SGRenderer* rend, SGScene* scene, SGMaterial* mat, SGTxVertex** pair, std::uint32_t plane);
SGError ISGClipTriangle(SGRenderer* rend, SGScene* scene, SGMaterial* mat, SGTxVertex** triple, std::uint32_t plane);

// A convex polygon of at most ten vertices.
struct ISGPolygon {
  std::uint32_t count;
  SGTxVertex* verts[10];
};
SGError ISGPolygonClipPlane(SGRenderer* rend, ISGPolygon* poly, std::uint32_t plane);
// Clips a triangle as a polygon against planes 0..5 (0..6 with the instance's
// ground plane, no far plane with SG_ATTR_NO_NEAR) and draws it as a fan.
SGError ISGPolygonClipDraw(SGRenderer* rend, SGScene* scene, const SGInstance* inst, SGMaterial* mat,
                           SGTxVertex** triple);

// A model part prepared for the frame: screen values per vertex and a light
// value per normal (filled by instance drawing).
struct ISGPrepVertex {
  std::uint32_t pvFlags;
  float pvLoc[4];  // screen x, y, z/w, q
  float pvFog;
  // UV and normal of the corner last made from this vertex, and what was
  // made: a transformed vertex, or else, for a face wholly inside the view,
  // only its screen vertex (pvQIndex, its u, v for pvQTexture), or through
  // Direct3D only its entry in the device's batch (pvQIndex, made in the
  // batch of pvD3DTag).
  std::uint32_t pvKey;
  std::uint32_t pvQIndex;
  SGTxVertex* pvTxv;
  union {
    const SGTextureMap* pvQTexture;
    std::uint32_t pvD3DTag;
  };
};
struct ISGPart {
  SGInstance* inst;
  const SGModelSubTransform* mst;
  ISGPrepVertex* verts;
  const float* shades;
};
SGError ISGInstDrawPointList(SGRenderer* rend, SGScene* scene, const ISGPart* part, const SGPointList* ptl);
SGError ISGInstDrawLineList(SGRenderer* rend, SGScene* scene, const ISGPart* part, const SGLineList* lin);
SGError ISGInstDrawFace(SGRenderer* rend, SGScene* scene, const ISGPart* part, const SGFace* face);
// ISGInstDrawFace over `count` faces in order, up to the first failure.
SGError ISGInstDrawFaces(SGRenderer* rend, SGScene* scene, const ISGPart* part, const SGFace* faces,
                         std::uint32_t count);
// The material of a list or face: the instance's table, else the scene's.
SGMaterial* ISGPartMaterial(const SGScene* scene, const SGInstance* inst, std::uint32_t index);

// A billboard turned to face the eye (model coordinates): its centre, the
// half-width vector S (to the viewer's left), the half-height vector V, and
// the image chosen by the view's azimuth and polar angles.
struct SGBillboard;
struct ISGBillboardFrame {
  float centre[3];
  float side[3];
  float up[3];
  std::uint32_t azimuth;
  std::uint32_t polar;
};
void ISGBillboardFrameMake(const SGBillboard* bil, const float eye[3], ISGBillboardFrame* out);

// Slot 4 of the software table.
SGError ISGEPDrawTriangle(SGRenderer* rend, SGScene* scene, SGMaterial* mat, SGTxVertex** triple);
// Chooses renTriFill and its arguments for the material and effective type:
// 0, or SG_ERROR_UNSUPPORTED for a type or texture size without a 16-bit fill.
SGError ISGEPSetMaterial16(SGRenderer* rend, SGScene* scene, SGMaterial* mat, std::uint32_t type);
// The same for an 8-bit indexed frame buffer: colours are palette indices,
// shaded types read the material's own ramp or shade table (maiLUT), fogged
// ones the fog table, alpha-blended ones the renderer's blend tables. A table
// that is missing refuses the type (SG_ERROR_UNSUPPORTED) as a missing fill does.
SGError ISGEPSetMaterial8(SGRenderer* rend, SGScene* scene, SGMaterial* mat, std::uint32_t type);
// A fill and the arguments it is handed.
struct ISGFillChoice {
  ISGTriFill fill = nullptr;
  const void* texels = nullptr;
  const void* lut = nullptr;
  const void* colour = nullptr;
  bool textured = false;
  bool needsLut = false;  // reads the shade, fog or ramp table it is handed
};
// Makes the choice renTriFill with its arguments, SG_REND_OPT_TEXTURED_FILL and
// the memo; under the context's triangle-colour debugging `flat` colours each
// triangle by its number instead. SG_ERROR_UNSUPPORTED, nothing changed, when
// the choice has no fill or lacks the table it reads.
SGError ISGEPApplyFill(SGRenderer* rend, SGMaterial* mat, std::uint32_t type, ISGFillChoice c, ISGTriFill flat);
// What a material type (fog bit included, alpha bits not) draws as, the same
// at every depth: untextured colours, textured families, or the fogged colour
// (types 8 and 9). With textures off, a textured type falls back to its colour.
enum class ISGFillKind {
  None,
  Flat,
  Shaded,
  ShadedTransparent,
  FoggedColour,
  Texture,
  TransparentTexture,
  ShadedTexture,
  ShadedTransparentTexture,
};
ISGFillKind ISGFillKindOf(std::uint32_t type, bool noTextures);
// The texture sizes that have triangle fills, in the families' member order.
constexpr std::uint32_t ISG_FILL_NUM_SIZES = 11;
// The family member of the texture's size, or ISG_FILL_NUM_SIZES when it has none.
std::uint32_t ISGFillSizeIndex(const SGTextureMap* txm);
// A family of textured fills, one member a size. The raster's 256 x 32 members
// are left out: that size has no fill at either depth.
using ISGFillFamily = ISGTriFill[ISG_FILL_NUM_SIZES];
#define ISG_FILL_FAMILY(prefix)                                                                                    \
  {                                                                                                                \
    prefix##16x16, prefix##32x32, prefix##64x64, prefix##128x128, prefix##256x256, prefix##512x512, prefix##64x32, \
        prefix##128x64, prefix##128x32, prefix##256x128, prefix##256x64                                            \
  }
// One depth's fills for each kind: the untextured choices whole; a textured
// kind draws `texels` with its family's member `size` (no fill when texels is
// null or size is ISG_FILL_NUM_SIZES), handed `lut` when shaded and `colour`.
struct ISGFillSet {
  ISGFillChoice flat, shaded, shadedTransparent, foggedColour;
  const ISGFillFamily *texture, *transparentTexture, *shadedTexture, *shadedTransparentTexture;
  const void* texels;
  std::uint32_t size;
  const void* lut;
  const void* colour;
};
ISGFillChoice ISGFillChoose(ISGFillKind kind, const ISGFillSet& set);
// The 8-bit terrain fills of a square size (member 0..5): the transparent
// families for a colour-keyed texture, else the dithered fill for both when
// `dither` is set and the size has one.
void ISGTerrainFills8(std::uint32_t member, bool keyed, bool dither, ISGTriFill* plain, ISGTriFill* shaded);
// The terrain fills for a texture: 0, or SG_ERROR_UNSUPPORTED for a width without one.
SGError ISGRendererSetTerrainFill(SGRenderer* rend, std::uint32_t on, SGTextureMap* txm);

// Slots 1 and 2 of the software table.
SGError ISGEPDrawPoints(SGRenderer* rend, SGScene* scene, SGMaterial* mat, SGTxVertex** one);
SGError ISGEPDrawLines(SGRenderer* rend, SGScene* scene, SGMaterial* mat, SGTxVertex** pair);

// Subdivides a screen triangle until every edge is short or nearly parallel to
// the screen, then fills each piece (a null fill draws nothing) and, with the
// context's outline flag, outlines it. Edge lengths are squared 27.5 lengths,
// 0 = to be measured. Returns the frame buffer's unlock status.
SGError ISGTriDrawSubdivided(const SGQVert* a, const SGQVert* b, const SGQVert* c, SGRenderer* rend, ISGTriFill fill,
                             std::uint32_t ab, std::uint32_t bc, std::uint32_t ca);
std::uint32_t ISGQVertDist2(const SGQVert* a, const SGQVert* b);
// The three edges of a screen triangle, clipped to the frame buffer.
void ISGTriOutline(const SGQVert* a, const SGQVert* b, const SGQVert* c, SGFrameBuffer* fb, std::uint32_t colour);
// Clips the segment in place to the rectangle [xmin, xmax] x [ymin, ymax]
// (pixels, bounds included) without changing its slope; false when no part of it lies inside.
bool ISGClipSegmentToRect(float* x0, float* y0, float* x1, float* y1, float xmin, float ymin, float xmax, float ymax);
// A pixel coordinate rounded to the nearest whole pixel.
std::int32_t ISGRoundPixel(float value);
// A 27.5 line clipped to the pixel rectangle [xmin, xmax] x [ymin, ymax], 16-bit pixels.
void ISGLineClip16(std::int32_t x0, std::int32_t y0, std::int32_t x1, std::int32_t y1, std::uint32_t colour, void* base,
                   std::int32_t pitch, std::int32_t xmin, std::int32_t ymin, std::int32_t xmax, std::int32_t ymax);
// The same on 8-bit pixels, drawing the colour index.
void ISGLineClip8(std::int32_t x0, std::int32_t y0, std::int32_t x1, std::int32_t y1, std::uint8_t colour, void* base,
                  std::int32_t pitch, std::int32_t xmin, std::int32_t ymin, std::int32_t xmax, std::int32_t ymax);
