#pragma once
// The Direct3D back end of the renderer: the device state of a context, its
// textures and materials on the device, and the vertex batch its primitive
// methods fill. Entered when a renderer is bound to a frame buffer that allows
// hardware 3D (SG_FB_FLAG_NO_3D clear); the game's frame buffers do not, so the
// game draws in software. Every operation returns an SGError (0 = success)
// unless said otherwise. Drawing thread only; the texture failure count and
// the matrix holders are process-wide and unguarded.

#include <cstdint>

#include "sg/core/sgerror.h"

namespace plat {
class IDirect3D2;
class IDirect3DDevice2;
class IDirect3DViewport2;
class IDirect3DMaterial2;
class IDirectDrawSurface;
struct D3DTLVERTEX;
struct DDSURFACEDESC;
}  // namespace plat
struct SGContext;
struct SGDDInfo;
struct SGListNode;
struct SGMaterial;
struct SGRenderer;
struct SGTextureMap;
struct SGScene;
struct SGTxVertex;
struct ISGPrepVertex;

constexpr SGError SG_ERROR_D3D = 4609;           // no Direct3D interface, a transform, or a capability
constexpr SGError SG_ERROR_D3D_VIEWPORT = 4610;  // the viewport cannot be set
constexpr SGError SG_ERROR_D3D_DEVICE = 4611;    // no device, viewport or background material
constexpr SGError SG_ERROR_D3D_SURFACE = 512;    // a texture surface, format or material cannot be made

// d3dFlags.
constexpr std::uint32_t SG_D3D_FLAG_NO_TEXEL_FORMAT = 0x1;
constexpr std::uint32_t SG_D3D_FLAG_NO_INSET = 0x2;

// Render options (the low eight bits of renOptions).
constexpr std::uint32_t SG_D3D_OPT_GOURAUD = 0x01;
constexpr std::uint32_t SG_D3D_OPT_PERSPECTIVE = 0x02;
constexpr std::uint32_t SG_D3D_OPT_LINEAR = 0x04;
constexpr std::uint32_t SG_D3D_OPT_ANTIALIAS = 0x08;
constexpr std::uint32_t SG_D3D_OPT_ALPHA_BLEND = 0x10;
constexpr std::uint32_t SG_D3D_OPT_DECAL = 0x20;
constexpr std::uint32_t SG_D3D_OPT_MODULATE_ALPHA = 0x40;
constexpr std::uint32_t SG_D3D_OPT_ADDITIVE = 0x80;

constexpr std::uint32_t SG_D3D_VERT_MAX = 1024;
constexpr std::uint32_t SG_D3D_INDEX_MAX = 2048;

// The Direct3D part of a material (maiD3D), and the device's background.
struct SGD3DMatInfo {
  plat::IDirect3DMaterial2* dmiMaterial;
  std::uint32_t dmiHandle;
};

// One record per context (ctxD3D), shared by its renderers (renD3D).
struct SGD3DDevice {
  std::uint32_t d3dFlags;
  plat::IDirect3D2* d3dDirect3D;
  plat::IDirect3DDevice2* d3dDevice;
  std::uint32_t d3dTriTextureCaps;  // of the hardware description; zero for a software device
  std::uint32_t d3dTriShadeCaps;
  std::uint32_t d3dTriSrcBlendCaps;
  std::uint32_t d3dMaxTexWidth;  // 0 = not known
  std::uint32_t d3dMaxTexHeight;
  plat::DDSURFACEDESC* d3dTexelDesc;  // owned
  SGListNode* d3dLoadedTex;           // resident texture maps, newest first
  plat::IDirect3DViewport2* d3dViewport;
  SGD3DMatInfo* d3dBackMaterial;  // owned
  const SGMaterial* d3dCurrMaterial;
  std::uint16_t d3dBatch;              // serial of the current batch, 1 at scene begin
  std::uint32_t d3dBatchEpoch;         // counts the wraps of d3dBatch, so a wrapped serial never matches an old one
  std::uint32_t d3dPrimKind;           // 0 none, 1 triangle list, 2 fan
  plat::D3DTLVERTEX* d3dVertBuff;      // owned, SG_D3D_VERT_MAX
  const SGMaterial** d3dVertMaterial;  // owned: the material each entry was made for
  std::uint32_t d3dVertMax;
  std::uint32_t d3dNumVerts;
  std::uint16_t* d3dIndexBuff;  // owned, SG_D3D_INDEX_MAX
  std::uint32_t d3dIndexMax;
  std::uint32_t d3dNumIndices;
  std::int32_t d3dColourMode;  // 0 unchanged, -1 inverted grey tint, other grey tint
  std::uint32_t d3dUnlit;
  float d3dTintRed;
  float d3dTintBlue;
  float d3dTintGreen;
  std::uint32_t d3dUsers;  // renderers sharing the record; the last one destroys it
};

// Device life. Create: shares the context's device, or makes one on the frame
// buffer's back surface; on failure the frame buffer falls back to software
// (SG_FB_FLAG_NO_3D, RGB becomes quasi-RGB), renD3D and ctxD3D stay null, and
// the status is 1, SG_ERROR_D3D or SG_ERROR_D3D_DEVICE. Destroy lets the
// renderer go; the device is released with its last renderer.
SGError ISGD3DCreateDevice(SGRenderer* rend);
SGError ISGD3DDestroyDevice(SGRenderer* rend);
// Gives the device a new render target (the frame buffer's new back surface):
// the viewport takes its size, resident textures fetch their handles again and
// the initial render states are set again. SG_ERROR_D3D when the device
// cannot draw into the surface.
SGError ISGD3DRetarget(SGRenderer* rend, plat::IDirectDrawSurface* target);
// Installs the Direct3D primitive table (the clip and transform slots keep the
// software operations; the terrain slots are left to the terrain module).
void ISGD3DInstallMethods(SGRenderer* rend);

SGError ISGD3DBeginScene(SGRenderer* rend);
SGError ISGD3DEndScene(SGRenderer* rend);
SGError ISGD3DSetViewMatrix(SGRenderer* rend, const float m[16]);
SGError ISGD3DSetProjectionMatrix(SGRenderer* rend);
SGError ISGD3DApplyFog(SGRenderer* rend);
SGError ISGD3DSetFogColour(SGRenderer* rend);
SGError ISGD3DSetInitialRenderStates(SGRenderer* rend, SGD3DDevice* d3d);
SGError ISGD3DSetRenderOptions(SGRenderer* rend, std::uint32_t opts);
void ISGD3DSetMaxTextureSize(SGContext* ctx, std::uint32_t width, std::uint32_t height);
// 0 = yes; SG_ERROR_D3D = no, or no device.
SGError ISGD3DCanSrcColorBlend(const SGContext* ctx);
SGError ISGD3DCanBlend(const SGContext* ctx);

// The renderer's Direct3D setters; the renderer must have a device
// (SGRendererApplyD3DState answers 0 without one).
SGError SGRendererApplyD3DState(SGRenderer* rend);
SGError SGRendererSetD3DTint(SGRenderer* rend, std::int32_t mode, float red, float green, float blue);
SGError SGRendererSetD3DUnlit(SGRenderer* rend, std::uint32_t value);

// Textures and materials. Create16 makes the system copy in the device texel
// format (0 when made already or the texture is never drawn on the device);
// rows are read at txmPitch and written at the surface's pitch, and txmPitch
// is left as it is.
SGError ISGD3DCreateTexture16(SGContext* ctx, SGTextureMap* txm);
// Writes the texels, every step-th of every step-th row, into rows `pitch`
// bytes apart, indices through the palette's colours (the system colours
// without a palette). 2 for a format the device cannot take.
SGError ISGD3DConvertTexels16(SGContext* ctx, const SGTextureMap* txm, std::uint8_t* dest, std::int32_t pitch,
                              std::uint32_t step);
SGError ISGD3DLoadTexture(SGRenderer* rend, SGTextureMap* txm);
SGError ISGD3DUnloadTexture(SGTextureMap* txm);
SGError ISGD3DEvictTextures(SGRenderer* rend, std::uint32_t minAge);
// Unloads every resident texture of the device, whatever the renderer's options.
void ISGD3DUnloadAll(SGD3DDevice* d3d);
void ISGD3DFreeTexture(SGTextureMap* txm);
SGError ISGD3DCreateMaterial(SGContext* ctx, SGMaterial* mat);
SGError ISGD3DSetMaterial(SGRenderer* rend, const SGMaterial* mat, std::uint32_t opts);
void ISGD3DFreeMaterial(SGMaterial* mat);

// The batch. Reserve flushes when the kind changes or n more vertices might not
// fit; AddVertex returns the vertex's entry in the vertex buffer.
SGError ISGD3DAllocBuffers(SGD3DDevice* d3d);
void ISGD3DFreeBuffers(SGD3DDevice* d3d);
void ISGD3DResetBatch(SGD3DDevice* d3d);
void ISGD3DFlush(SGD3DDevice* d3d);
void ISGD3DReserve(SGD3DDevice* d3d, std::uint32_t kind, std::uint32_t n);
std::uint16_t ISGD3DAddVertex(SGD3DDevice* d3d, SGTxVertex* txv);
SGError ISGD3DAddTriangle(SGRenderer* rend, SGTxVertex* a, SGTxVertex* b, SGTxVertex* c);
// The renderer's triangle slot for Direct3D.
SGError ISGD3DDrawTriangle(SGRenderer* rend, SGScene* scene, SGMaterial* mat, SGTxVertex** xPt);
// A corner of a face wholly inside the view: its prepared vertex, key (uv
// and normal), texture coordinates and light.
struct ISGD3DCorner {
  ISGPrepVertex* pv;
  std::uint32_t key;
  const float* uv;
  float shade;
};
// The face drawn as ISGD3DDrawTriangle draws the transformed vertices made
// from its corners (their flags the prepared ones with `shaded`), with the
// same batch entries, made straight from the prepared vertices: a corner
// whose vertex and key made a transformed vertex shares its entry, and the
// vertex keeps the entry for the key's later faces. Without the transformed
// vertices and the slot's call between, the 200-rock frame went from 1.41 /
// 1.48 of the software frame to 1.41 / 1.43, the 1000-rock one from 1.36 /
// 1.42 to 1.29 / 1.34, the 50-rock one from 1.34 / 1.35 to 1.24 / 1.28
// (minimum / median of six alternating pinned runs). Since then, with
// neither back end filling (the software fills skipped, the device not
// called), the Direct3D frame took 0.94 / 0.99, 0.99 / 1.04 and
// 1.00 / 1.02 of the software one for 50, 200 and 1000 rocks (0.335 against
// 0.327 ms for 200; seven pinned runs): the faces' way to the device costs
// what the software one's way to its fills does, and the rest of the gap
// between the frames lies in the device's drawing.
SGError ISGD3DDrawPreparedFace(SGRenderer* rend, SGMaterial* mat, const ISGD3DCorner (&corners)[3],
                               std::uint32_t shaded);
// fan: a count and that many vertices.
SGError ISGD3DAddFan(SGRenderer* rend, std::uint32_t count, SGTxVertex** fan, bool backward);
SGError ISGD3DAddPoint(SGRenderer* rend, SGTxVertex* p);
SGError ISGD3DAddLine(SGRenderer* rend, SGTxVertex* a, SGTxVertex* b);
// The horizon's fan, drawn at once with the current material, coloured from
// colourA (shade 0) to colourB (shade 1).
SGError ISGD3DDrawShadedFan(SGRenderer* rend, std::uint32_t colourA, std::uint32_t colourB, std::uint32_t count,
                            SGTxVertex** fan, bool backward);
