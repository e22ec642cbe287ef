#pragma once
// The renderer: the object through which everything of the 3D library is
// drawn. It is created for a context, bound to one frame buffer, opened and
// closed once per frame from a camera by the scene's draw, and owns the
// primitive table of its back end, the transform stack, the per-frame pools of
// transformed and screen vertices, the fog and shade tables and the current
// software fill. The caller owns the renderer; SGRendererDestroy frees it with
// every table handed to it. One renderer is used by one thread; the slot mask
// shared by all renderers is process-wide and unguarded.

#include <cstddef>
#include <cstdint>

#include "sg/core/matrix.h"
#include "sg/core/sgerror.h"
#include "sg/raster/fill.h"

struct SGContext;
struct SGD3DDevice;
struct SGFrameBuffer;
struct SGInstance;
struct SGLODState;
struct SGTerrainCopies;
struct SGMaterial;
struct SGScene;
struct SGTextureMap;
struct SGViewData;
struct SGRenderer;

// renFlags: the low twelve bits are the caller's options, the rest state.
constexpr std::uint32_t SG_REND_OPTION_MASK = 0xFFF;
constexpr std::uint32_t SG_REND_FLAG_PIXEL_CENTRED = 0x2;
constexpr std::uint32_t SG_REND_FLAG_MIN_LOD = 0x20;
constexpr std::uint32_t SG_REND_FLAG_SINGLE_STEP = 0x40;
constexpr std::uint32_t SG_REND_FLAG_ALL_FOGGED = 0x200;
constexpr std::uint32_t SG_REND_FLAG_OFFSCREEN_FB = 0x400;
constexpr std::uint32_t SG_REND_FLAG_NOT_3DFX = 0x800;
constexpr std::uint32_t SG_REND_FLAG_DEBUG_A = 0x1000;
constexpr std::uint32_t SG_REND_FLAG_DEBUG_B = 0x2000;
constexpr std::uint32_t SG_REND_FLAG_INVERSE = 0x4000;
constexpr std::uint32_t SG_REND_FLAG_TERRAIN_TEX = 0x8000;
constexpr std::uint32_t SG_REND_FLAG_FRAME_OPEN = 0x200000;
constexpr std::uint32_t SG_REND_FLAG_FOG_OVERRIDE = 0x400000;
constexpr std::uint32_t SG_REND_FLAG_HORIZON_SHOWN = 0x800000;
constexpr std::uint32_t SG_REND_FLAG_HORIZON_MADE = 0x1000000;
constexpr std::uint32_t SG_REND_FLAG_SOFTWARE = 0x2000000;
constexpr std::uint32_t SG_REND_FLAG_AFFINE_INVERSE = 0x4000000;
constexpr std::uint32_t SG_REND_FLAG_FOG = 0x8000000;
constexpr std::uint32_t SG_REND_FLAG_ALT_FOG = 0x10000000;

// renOptions: the low eight bits are the Direct3D render options.
constexpr std::uint32_t SG_REND_NUM_OPTS = 8;
constexpr std::uint32_t SG_REND_OPT_PERSPECTIVE = 0x2;  // software: subdivide textured triangles
constexpr std::uint32_t SG_REND_OPT_DITHER_TERRAIN = 0x100;
constexpr std::uint32_t SG_REND_OPT_TEXTURED_FILL = 0x200;
constexpr std::uint32_t SG_REND_OPTIONS_DEFAULT = 0x17;

// txvFlags.
constexpr std::uint32_t SG_TXV_SHADED = 0x8;
constexpr std::uint32_t SG_TXV_FOGGED = 0x10;
constexpr std::uint32_t SG_TXV_UNTRANSFORMED = 0x100;
constexpr std::uint32_t SG_XFORM_FLAG_NEAR_CLIP = 0x10000;
constexpr std::uint32_t SG_XFORM_FLAG_FAR_CLIP = 0x20000;
constexpr std::uint32_t SG_XFORM_FLAG_LEFT_CLIP = 0x40000;
constexpr std::uint32_t SG_XFORM_FLAG_BOTTOM_CLIP = 0x80000;
constexpr std::uint32_t SG_XFORM_FLAG_RIGHT_CLIP = 0x100000;
constexpr std::uint32_t SG_XFORM_FLAG_TOP_CLIP = 0x200000;
constexpr std::uint32_t SG_XFORM_FLAG_CLIP_MASK = 0x3F0000;

// A transformed vertex of the per-frame pool; valid until the pool is reset.
struct SGTxVertex {
  float txvPos[3];  // model or eye-relative world coordinates, as the caller gives them
  std::uint32_t txvFlags;
  float txvLoc[4];  // screen x, screen y (27.5 in software), depth z/w (at least 0), q = 1/w
  float txvUV[2];
  float txvShade;                  // 0 and up
  float txvFog;                    // 0..1, 1 = no fog
  const SGTextureMap* txvTexture;  // texture the screen vertex's u, v were made for
  std::uint32_t txvConverted;      // screen vertex made this frame
  std::uint32_t txvQIndex;         // its index in renQVerts
  std::uint8_t txvColour[4];
};

using SGTransformVertexFn = SGError (*)(SGRenderer* rend, SGTxVertex* txv);
using SGDrawPrimFn = SGError (*)(SGRenderer* rend, SGScene* scene, SGMaterial* mat, SGTxVertex** verts);
using SGClipPrimFn = SGError (*)(SGRenderer* rend, SGScene* scene, SGMaterial* mat, SGTxVertex** verts,
                                 std::uint32_t plane);
using SGTerrainPrimFn = SGError (*)(SGRenderer* rend, void* data);

// The primitive table, slot order fixed.
struct SGRendererMethods {
  SGTransformVertexFn rmTransformVertex;
  SGDrawPrimFn rmDrawPoints;
  SGDrawPrimFn rmDrawLines;
  SGClipPrimFn rmClipLine;
  SGDrawPrimFn rmDrawTriangle;
  SGClipPrimFn rmClipTriangle;
  SGTerrainPrimFn rmTerrainTile;
  SGTerrainPrimFn rmTerrainTriangle;
};

// hzFlags.
constexpr std::uint32_t SG_HZ_BACKGROUND = 0x1;
constexpr std::uint32_t SG_HZ_ANGLE = 0x2;
constexpr std::uint32_t SG_HZ_RAMP_FADE = 0x8;

struct SGHorizon {
  std::uint32_t hzFlags;
  std::uint32_t hzSkyColour;
  std::uint32_t hzGroundColour;
  std::int32_t hzGroundD3DColour;
  std::int32_t hzGroundIndex;
  float hzTanAngle;
  float hzFade;
  std::uint32_t hzGroundRampCount;
  std::uint8_t* hzGroundRamp;  // ground towards sky; owned
  std::uint32_t hzFadeRampCount;
  std::uint8_t* hzFadeRamp;  // ground material towards hzGroundD3DColour; owned
  SGMaterial* hzSkyMaterial;
  SGMaterial* hzBackgroundMaterial;
  SGMaterial* hzGroundMaterial;
  SGMaterial* renCoverMaterial;
};

using SGLODSelectFn = std::uint32_t (*)(SGRenderer* rend, SGInstance* inst, const double eye[3], std::uint32_t* out);

struct SGRenderer {
  std::uint32_t renFlags;
  SGContext* renContext;
  std::uint32_t renSlot;
  std::uint32_t renTxvBlockSize;
  std::uint32_t renTxvBlock;
  std::uint32_t renTxvNumBlocks;
  SGTxVertex* renTxvNext;
  SGTxVertex** renTxvBlocks;
  double renEye[3];
  float renViewDir[3];
  std::uint32_t renFrameNum;
  std::uint32_t renTimeStamp;
  std::uint32_t renWord;
  float renLODScale;
  SGLODState* renLOD;
  SGTerrainCopies* renTerrainCopies;  // terrain: the page-copy slot tables kept between frames (sg/terrain)
  // Above 0 while a scene draw runs: the software triangles then leave the
  // frame buffer locked from one to the next (outside single-step mode), and
  // the scene draw unlocks it at its end.
  std::uint32_t renHoldFrameLock;
  SGHorizon renHorizon;
  std::uint32_t renSavedFogColour;
  float renSavedFogFar;
  std::uint8_t* renSavedFogLUT;
  std::uint32_t renAltFogColour;
  float renAltFogFar;
  std::uint8_t* renAltFogLUT;
  std::uint32_t renFogColour;
  float renFogFar;
  float renFogRecip;
  std::uint8_t* renFogLUT;    // owned
  std::uint8_t* renShadeLUT;  // owned
  std::int32_t renShadeScale;
  std::uint8_t* renAlphaIndex;  // owned
  std::uint8_t* renAlphaLUT;    // owned
  SGInstance* renCamera;
  SGViewData* renViewData;
  SGLODSelectFn renLODSelect;
  SGTextureMap* renTerrTexture;
  std::uint32_t renTerrTextureWidth;
  std::uint32_t renTerrWord[2];
  ISGTriFill renTriFill;
  ISGTriFillList renTriFillList;  // renTriFill's list entry, or null
  SGMaterial* renObjMaterial;
  const void* renFillTexels;
  const void* renFillLUT;
  const void* renFillColour;
  std::uint32_t renObjMatType;
  ISGTriFill renTerrFill;
  ISGTriFill renTerrShadedFill;
  SGRendererMethods renMethods;
  SGFrameBuffer* renFrameBuffer;
  std::uint32_t renFaceCount;
  std::uint32_t renTriCount;
  SGMatrix renXform;
  SGMatrix renViewXform;
  SGMatrix renCameraXform;
  SGMatrix renCameraInverse;
  SGMatrix* renInverseStack;
  SGMatrix* renXformStack;
  float renClipPlanes[7][4];
  std::uint32_t renXformStackTop;
  std::uint32_t renXformStackSize;
  std::uint32_t renNumQVerts;
  std::uint32_t renNextQVert;
  SGQVert* renQVerts;
  SGD3DDevice* renD3D;
  std::uint32_t renOptions;
  float renSortEye[3];         // the eye of the painter's sort, in the sorted scene's frame
  std::size_t renScratchUsed;  // bytes of the context's scratch buffer in use by the drawn instance
  std::uint32_t renDrawDepth;  // instance draws under way (sub-instances nest)
  float renLODDistFactor;      // terrain: factor on full squared distances (sg/terrain/lod.h); <= 0 takes renLODValue
  float renLODValue;           // terrain: the LOD value (sg/terrain/lod.h); 0 is derived from the first terrain scene
};

constexpr std::uint32_t SG_REND_MAX_SLOTS = 16;

// Life cycle. Create: 0, 1, or SG_ERROR_NO_SLOT when all 16 slots are taken.
SGError SGRendererCreate(SGContext* ctx, SGRenderer** out);
SGError SGRendererDestroy(SGRenderer* rend);
// Binds both ways. A frame buffer that allows hardware 3D (SG_FB_FLAG_NO_3D
// clear) gets the context's Direct3D device and its primitive table
// (sg/d3d/d3ddevice.h); when the device cannot be made it is marked
// SG_FB_FLAG_NO_3D and drawn in software, whose table is installed again when
// software primitives are on.
SGError SGRendererSetFrameBuffer(SGRenderer* rend, SGFrameBuffer* fb);
// SG_ERROR_DRAWING while a frame is open; the frame buffer must be bound first.
SGError SGRendererEnableSoftwarePrimitives(SGRenderer* rend, std::uint32_t on);

// Options: the low twelve bits of renFlags, and the whole renOptions word.
SGError SGRendererSetOptions(SGRenderer* rend, std::uint32_t bits);
SGError SGRendererClearOptions(SGRenderer* rend, std::uint32_t bits);
SGError SGRendererToggleOptions(SGRenderer* rend, std::uint32_t bits);
SGError SGRendererSetRenderOptions(SGRenderer* rend, std::uint32_t bits);
SGError SGRendererClearRenderOptions(SGRenderer* rend, std::uint32_t bits);
SGError SGRendererToggleRenderOptions(SGRenderer* rend, std::uint32_t bits);

// Fog. Far must be positive. Tables handed over become the renderer's.
SGError SGRendererSetFog(SGRenderer* rend, const std::uint32_t* colour, float far);
SGError SGRendererSetFogLUT(SGRenderer* rend, std::uint8_t* table);
SGError SGRendererSetShadeLUT(SGRenderer* rend, std::uint8_t* table);
SGError SGRendererSetAltFog(SGRenderer* rend, const std::uint32_t* colour, float far);
// Fog for a sub-range of the frame until the frame closes; nothing while one is active.
SGError SGRendererOverrideFog(SGRenderer* rend, SGScene* scene, std::uint32_t colour, std::uint8_t* table, float yon,
                              float far, std::uint32_t clear);
SGError ISGRendererSwapFog(SGRenderer* rend);
SGError ISGRendererApplyD3DFog(SGRenderer* rend);

// The transform stack of model matrices (row vectors; a pushed matrix applies first).
SGError SGRendererPushXform(SGRenderer* rend, const SGMatrix* m);
SGError SGRendererPopXform(SGRenderer* rend);
SGError SGRendererResetXform(SGRenderer* rend);
// Which inverse of each pushed matrix is kept: 1 the general inverse, 2 the
// affine inverse, 0 turns the general one off. SG_ERROR_STACK_NOT_EMPTY with matrices pushed.
SGError SGRendererSetInverseMode(SGRenderer* rend, std::uint32_t mode);
SGError SGRendererGetCameraXform(SGRenderer* rend, SGMatrix** out);
SGError SGRendererGetXform(SGRenderer* rend, SGMatrix** out);
SGError ISGRendererGetModelXform(SGRenderer* rend, SGMatrix** out);
// SG_ERROR_NO_INVERSE when neither inverse mode is on.
SGError SGRendererGetInverseXform(SGRenderer* rend, SGMatrix** out);
// The inverse of the last frame's camera transform (projection after view,
// rows flipped to the screen's y): a row vector of the viewport's normalised
// coordinates (x, y from -1 to 1, depth, 1) times it is a world point before
// the division by w. SG_ERROR_NO_FRAME_BUFFER before a frame was set up.
SGError SGRendererGetCameraInverse(const SGRenderer* rend, const SGMatrix** out);
// The frame buffer the renderer draws into (null when none is bound). 0.
SGError SGRendererGetFrameBuffer(const SGRenderer* rend, SGFrameBuffer** out);
// The fog colour, far distance and table (null when none was handed over). 0.
SGError SGRendererGetFog(const SGRenderer* rend, std::uint32_t* colour, float* far, std::uint8_t** table);

SGError SGRendererGetTerrainTexture(const SGRenderer* rend, std::uint32_t* on, SGTextureMap** out);
SGError SGRendererSetLODSelect(SGRenderer* rend, SGLODSelectFn fn);
SGError SGRendererSetWord(SGRenderer* rend, std::uint32_t value);
SGError SGRendererCopyFrameNum(const SGRenderer* rend, SGRenderer* offscreen);

// The per-frame pools. A vertex is valid until ISGRendererResetTxVerts; screen
// vertices are addressed by index because the array moves when it grows.
SGError ISGRendererNewTxVert(SGRenderer* rend, SGTxVertex** out);
SGError ISGRendererResetTxVerts(SGRenderer* rend);
// The index of the next screen vertex, or 0xFFFFFFFF when the array cannot grow.
std::uint32_t ISGRendererNewQVert(SGRenderer* rend);

// Frame steps, called by the scene's draw.
SGError ISGRendererBeginFrame(SGRenderer* rend, SGInstance* camera);
SGError ISGRendererEndFrame(SGRenderer* rend);
SGError ISGRendererSetCamera(SGRenderer* rend, SGInstance* camera);
SGError ISGRendererSetupCamera(SGRenderer* rend, SGInstance* camera);
// Narrows the camera's view window to the part of its viewport inside the frame
// buffer; SG_ERROR_UNSUPPORTED when no part of it is (no frame can be drawn).
SGError ISGRendererFitWindow(SGRenderer* rend, SGInstance* camera);
// The default LOD selection; the index is written and returned.
std::uint32_t ISGRendererSelectLOD(SGRenderer* rend, SGInstance* inst, const double eye[3], std::uint32_t* out);

// The software primitive table (16-bit back end).
void ISGRendererInstallSoftware(SGRenderer* rend);

// Debugging window of ISGEPDrawTriangle: only triangles whose number since the
// renderer's creation lies in [first, last] are filled.
extern std::uint32_t g_sgTriDrawFirst;
extern std::uint32_t g_sgTriDrawLast;
