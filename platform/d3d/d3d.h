#pragma once
// The Direct3D role: the immediate-mode interfaces of the classic API that the
// 3D library's second back end calls, drawn by our own software rasteriser
// into DirectDraw surfaces.
//
// The Direct3D object comes from a display object (IDirectDraw::QueryInterface
// with IID_IDirect3D2), a texture interface from a texture surface
// (IDirectDrawSurface::QueryInterface with IID_IDirect3DTexture2). A device
// draws transformed-and-lit vertices into its render target, a 16-bit 5-6-5 or
// 5-5-5 surface; it keeps a depth buffer of its own the size of the target
// (there are no z-buffer surfaces). Pixels are sampled at their centres, the
// top-left rule decides shared edges. Records marked "dwSize" must carry
// sizeof the record: they are laid out for this layer, not as the classic ones.
//
// Objects are reference counted like the DirectDraw ones. A device, viewport,
// material or texture keeps what it was made from alive. Handles of textures
// and materials stay valid while their object lives; a stale handle draws as
// none. Called from the program's thread only.

#include <cstdint>
#include <vector>

#include "platform/ddraw/ddraw.h"

namespace plat {

class IDirect3D2;
class IDirect3DDevice2;
class IDirect3DViewport2;
class IDirect3DMaterial2;
class IDirect3DTexture2;

extern const GUID IID_IDirect3D2;
extern const GUID IID_IDirect3DTexture2;
extern const GUID IID_IDirect3DHALDevice;
extern const GUID IID_IDirect3DRampDevice;
extern const GUID IID_IDirect3DMMXDevice;
extern const GUID IID_IDirect3DRGBDevice;
using REFCLSID = const GUID&;

using D3DVALUE = float;
using D3DCOLOR = DWORD;  // ARGB
using D3DTEXTUREHANDLE = DWORD;
using D3DMATERIALHANDLE = DWORD;

// Surface caps of texture memory; DirectDraw takes and ignores them.
constexpr DWORD DDSCAPS_ALLOCONLOAD = 0x04000000;
constexpr DWORD DDSCAPS_NONLOCALVIDMEM = 0x20000000;

constexpr HRESULT D3D_OK = 0;
constexpr HRESULT D3DERR_TEXTURE_LOAD_FAILED = static_cast<HRESULT>(0x887602D5u);
constexpr HRESULT D3DERR_MATERIAL_SETDATA_FAILED = static_cast<HRESULT>(0x887602E6u);
constexpr HRESULT D3DERR_SCENE_IN_SCENE = static_cast<HRESULT>(0x88760310u);
constexpr HRESULT D3DERR_SCENE_NOT_IN_SCENE = static_cast<HRESULT>(0x88760311u);
constexpr HRESULT D3DERR_VIEWPORTHASNODEVICE = static_cast<HRESULT>(0x88760319u);

// A transformed-and-lit vertex: screen position, depth 0..1, 1/w; diffuse
// colour; specular colour whose alpha byte is the fog factor (255 = no fog).
struct D3DTLVERTEX {
  D3DVALUE sx, sy, sz, rhw;
  D3DCOLOR color;
  D3DCOLOR specular;
  D3DVALUE tu, tv;
};

struct D3DCOLORVALUE {
  D3DVALUE r, g, b, a;
};

struct D3DMATERIAL {
  DWORD dwSize = sizeof(D3DMATERIAL);
  D3DCOLORVALUE diffuse{}, ambient{}, specular{}, emissive{};
  D3DVALUE power = 0;
  D3DTEXTUREHANDLE hTexture = 0;
  DWORD dwRampSize = 0;
};

struct D3DPRIMCAPS {
  DWORD dwMiscCaps = 0, dwRasterCaps = 0, dwZCmpCaps = 0, dwSrcBlendCaps = 0, dwDestBlendCaps = 0, dwAlphaCmpCaps = 0,
        dwShadeCaps = 0, dwTextureCaps = 0, dwTextureFilterCaps = 0, dwTextureBlendCaps = 0, dwTextureAddressCaps = 0;
};

struct D3DDEVICEDESC {
  DWORD dwSize = sizeof(D3DDEVICEDESC);
  DWORD dwFlags = 0;
  D3DPRIMCAPS dpcLineCaps, dpcTriCaps;
  DWORD dwDeviceRenderBitDepth = 0;
  DWORD dwDeviceZBufferBitDepth = 0;
  DWORD dwMaxTextureWidth = 0, dwMaxTextureHeight = 0;
};

struct D3DVIEWPORT2 {
  DWORD dwSize = sizeof(D3DVIEWPORT2);
  DWORD dwX = 0, dwY = 0, dwWidth = 0, dwHeight = 0;
  D3DVALUE dvClipX = 0, dvClipY = 0, dvClipWidth = 0, dvClipHeight = 0, dvMinZ = 0, dvMaxZ = 1;
};

struct D3DRECT {
  LONG x1, y1, x2, y2;
};

struct D3DMATRIX {
  D3DVALUE m[4][4];
};

// Capability bits the device reports.
constexpr DWORD D3DPTEXTURECAPS_PERSPECTIVE = 0x1;
constexpr DWORD D3DPTEXTURECAPS_SQUAREONLY = 0x20;
constexpr DWORD D3DPTEXTURECAPS_TRANSPARENCY = 0x8;
constexpr DWORD D3DPSHADECAPS_COLORFLATRGB = 0x8;
constexpr DWORD D3DPSHADECAPS_COLORGOURAUDRGB = 0x200;
constexpr DWORD D3DPSHADECAPS_ALPHAGOURAUDBLEND = 0x4000;
constexpr DWORD D3DPSHADECAPS_FOGGOURAUD = 0x80000;
constexpr DWORD D3DPBLENDCAPS_ZERO = 0x1, D3DPBLENDCAPS_ONE = 0x2, D3DPBLENDCAPS_SRCCOLOR = 0x4,
                D3DPBLENDCAPS_INVSRCCOLOR = 0x8, D3DPBLENDCAPS_SRCALPHA = 0x10, D3DPBLENDCAPS_INVSRCALPHA = 0x20;
constexpr DWORD D3DPCMPCAPS_ALL = 0xFF;

enum D3DRENDERSTATETYPE : DWORD {
  D3DRENDERSTATE_TEXTUREHANDLE = 1,
  D3DRENDERSTATE_ANTIALIAS = 2,
  D3DRENDERSTATE_TEXTUREADDRESS = 3,
  D3DRENDERSTATE_TEXTUREPERSPECTIVE = 4,
  D3DRENDERSTATE_WRAPU = 5,
  D3DRENDERSTATE_WRAPV = 6,
  D3DRENDERSTATE_ZENABLE = 7,
  D3DRENDERSTATE_FILLMODE = 8,
  D3DRENDERSTATE_SHADEMODE = 9,
  D3DRENDERSTATE_MONOENABLE = 11,
  D3DRENDERSTATE_ZWRITEENABLE = 14,
  D3DRENDERSTATE_LASTPIXEL = 16,
  D3DRENDERSTATE_TEXTUREMAG = 17,
  D3DRENDERSTATE_TEXTUREMIN = 18,
  D3DRENDERSTATE_SRCBLEND = 19,
  D3DRENDERSTATE_DESTBLEND = 20,
  D3DRENDERSTATE_TEXTUREMAPBLEND = 21,
  D3DRENDERSTATE_CULLMODE = 22,
  D3DRENDERSTATE_ZFUNC = 23,
  D3DRENDERSTATE_DITHERENABLE = 26,
  D3DRENDERSTATE_ALPHABLENDENABLE = 27,
  D3DRENDERSTATE_FOGENABLE = 28,
  D3DRENDERSTATE_SPECULARENABLE = 29,
  D3DRENDERSTATE_FOGCOLOR = 34,
  D3DRENDERSTATE_FOGTABLEMODE = 35,
  D3DRENDERSTATE_COLORKEYENABLE = 41,
  D3DRENDERSTATE_FLUSHBATCH = 50,
};
constexpr DWORD D3D_RENDERSTATE_COUNT = 64;  // states 0..63 are kept; higher ones are refused

constexpr DWORD D3DSHADE_FLAT = 1, D3DSHADE_GOURAUD = 2;
constexpr DWORD D3DFILL_POINT = 1, D3DFILL_WIREFRAME = 2, D3DFILL_SOLID = 3;
constexpr DWORD D3DFILTER_NEAREST = 1, D3DFILTER_LINEAR = 2;
constexpr DWORD D3DTBLEND_DECAL = 1, D3DTBLEND_MODULATE = 2, D3DTBLEND_DECALALPHA = 3, D3DTBLEND_MODULATEALPHA = 4;
constexpr DWORD D3DBLEND_ZERO = 1, D3DBLEND_ONE = 2, D3DBLEND_SRCCOLOR = 3, D3DBLEND_INVSRCCOLOR = 4,
                D3DBLEND_SRCALPHA = 5, D3DBLEND_INVSRCALPHA = 6, D3DBLEND_DESTALPHA = 7, D3DBLEND_INVDESTALPHA = 8,
                D3DBLEND_DESTCOLOR = 9, D3DBLEND_INVDESTCOLOR = 10;
constexpr DWORD D3DCULL_NONE = 1, D3DCULL_CW = 2, D3DCULL_CCW = 3;
constexpr DWORD D3DCMP_NEVER = 1, D3DCMP_LESS = 2, D3DCMP_EQUAL = 3, D3DCMP_LESSEQUAL = 4, D3DCMP_GREATER = 5,
                D3DCMP_NOTEQUAL = 6, D3DCMP_GREATEREQUAL = 7, D3DCMP_ALWAYS = 8;
constexpr DWORD D3DTADDRESS_WRAP = 1, D3DTADDRESS_CLAMP = 3;
constexpr DWORD D3DFOG_NONE = 0;

enum D3DTRANSFORMSTATETYPE : DWORD {
  D3DTRANSFORMSTATE_WORLD = 1,
  D3DTRANSFORMSTATE_VIEW = 2,
  D3DTRANSFORMSTATE_PROJECTION = 3,
};
enum D3DLIGHTSTATETYPE : DWORD { D3DLIGHTSTATE_MATERIAL = 1 };
enum D3DPRIMITIVETYPE : DWORD {
  D3DPT_TRIANGLELIST = 4,
  D3DPT_TRIANGLESTRIP = 5,
  D3DPT_TRIANGLEFAN = 6,
};
enum D3DVERTEXTYPE : DWORD { D3DVT_TLVERTEX = 3 };
constexpr DWORD D3DDP_DONOTCLIP = 0x4, D3DDP_DONOTUPDATEEXTENTS = 0x8;
constexpr DWORD D3DCLEAR_TARGET = 0x1, D3DCLEAR_ZBUFFER = 0x2;
constexpr HRESULT D3DENUMRET_OK = 1, D3DENUMRET_CANCEL = 0;

using LPD3DENUMDEVICESCALLBACK = HRESULT (*)(GUID* guid, const char* description, const char* name, D3DDEVICEDESC* hal,
                                             D3DDEVICEDESC* hel, void* context);
using LPD3DENUMTEXTUREFORMATSCALLBACK = HRESULT (*)(DDSURFACEDESC* desc, void* context);

class IDirect3D2 : public DDObject {
 public:
  // Calls back for the hardware device and the two software ones, each with
  // its capabilities; D3DENUMRET_CANCEL stops.
  HRESULT EnumDevices(LPD3DENUMDEVICESCALLBACK callback, void* context);
  // A device drawing into `target` (16-bit, made with DDSCAPS_3DDEVICE or
  // not). The HAL, MMX and RGB kinds draw alike; the Ramp kind (8-bit
  // targets) is not offered: DDERR_INVALIDPIXELFORMAT, as for any target
  // that is not 16-bit. E_NOINTERFACE for an unknown kind.
  HRESULT CreateDevice(REFCLSID kind, IDirectDrawSurface* target, IDirect3DDevice2** out);
  HRESULT CreateViewport(IDirect3DViewport2** out, void* outer);
  HRESULT CreateMaterial(IDirect3DMaterial2** out, void* outer);
  IDirectDraw* DirectDraw() const { return dd_; }

 private:
  friend HRESULT Direct3DQueryDisplay(IDirectDraw*, REFIID, void**);
  explicit IDirect3D2(IDirectDraw* dd);
  ~IDirect3D2() override;
  IDirectDraw* dd_;  // owned reference
};

class IDirect3DMaterial2 : public DDObject {
 public:
  HRESULT SetMaterial(const D3DMATERIAL* material);
  HRESULT GetMaterial(D3DMATERIAL* material);
  // The material's handle (the same for every device), never 0.
  HRESULT GetHandle(IDirect3DDevice2* device, D3DMATERIALHANDLE* out);

 private:
  friend class IDirect3D2;
  IDirect3DMaterial2();
  ~IDirect3DMaterial2() override;
  D3DMATERIAL material_;
  D3DMATERIALHANDLE handle_;
};

class IDirect3DTexture2 : public DDObject {
 public:
  // The texture's handle, never 0.
  HRESULT GetHandle(IDirect3DDevice2* device, D3DTEXTUREHANDLE* out);
  // Copies the source texture's pixels and colour key into this one; both
  // surfaces must have the same size and format (D3DERR_TEXTURE_LOAD_FAILED).
  HRESULT Load(IDirect3DTexture2* source);
  IDirectDrawSurface* Surface() const { return surface_; }

 private:
  friend HRESULT Direct3DQuerySurface(IDirectDrawSurface*, REFIID, void**);
  explicit IDirect3DTexture2(IDirectDrawSurface* surface);
  ~IDirect3DTexture2() override;
  IDirectDrawSurface* surface_;  // owned reference
  D3DTEXTUREHANDLE handle_;
};

class IDirect3DViewport2 : public DDObject {
 public:
  HRESULT SetViewport2(const D3DVIEWPORT2* viewport);
  HRESULT GetViewport2(D3DVIEWPORT2* viewport);
  // The material whose diffuse colour Clear fills the target with.
  HRESULT SetBackground(D3DMATERIALHANDLE material);
  // Fills the rectangles (cut to the viewport) of the device's target with the
  // background colour and/or its depth buffer with the viewport's far depth.
  // D3DERR_VIEWPORTHASNODEVICE before AddViewport.
  HRESULT Clear(DWORD count, const D3DRECT* rects, DWORD flags);

 private:
  friend class IDirect3D2;
  friend class IDirect3DDevice2;
  IDirect3DViewport2() = default;
  D3DVIEWPORT2 viewport_;
  D3DMATERIALHANDLE background_ = 0;
  IDirect3DDevice2* device_ = nullptr;  // not owned: the device detaches itself
};

class IDirect3DDevice2 : public DDObject {
 public:
  // The hardware description, then the software emulation one (left zero).
  HRESULT GetCaps(D3DDEVICEDESC* hardware, D3DDEVICEDESC* emulation);
  // Offers the 16-bit 5-6-5 and 5-5-5 formats (no palettised one).
  HRESULT EnumTextureFormats(LPD3DENUMTEXTUREFORMATSCALLBACK callback, void* context);
  HRESULT AddViewport(IDirect3DViewport2* viewport);
  HRESULT DeleteViewport(IDirect3DViewport2* viewport);
  HRESULT SetCurrentViewport(IDirect3DViewport2* viewport);
  HRESULT SetTransform(D3DTRANSFORMSTATETYPE type, const D3DMATRIX* matrix);
  HRESULT GetTransform(D3DTRANSFORMSTATETYPE type, D3DMATRIX* matrix);
  // DDERR_INVALIDPARAMS for a state number of D3D_RENDERSTATE_COUNT or more.
  HRESULT SetRenderState(D3DRENDERSTATETYPE state, DWORD value);
  HRESULT GetRenderState(D3DRENDERSTATETYPE state, DWORD* value);
  HRESULT SetLightState(D3DLIGHTSTATETYPE state, DWORD value);
  HRESULT GetLightState(D3DLIGHTSTATETYPE state, DWORD* value);
  // Scenes do not nest: D3DERR_SCENE_IN_SCENE / D3DERR_SCENE_NOT_IN_SCENE.
  HRESULT BeginScene();
  HRESULT EndScene();
  // Triangles of TL vertices, inside or outside a scene. Vertices and indices
  // are checked first: an index past the vertex count, a count that makes no
  // whole primitive, or a vertex type other than TL gives DDERR_INVALIDPARAMS
  // and draws nothing. Every pixel written lies inside the target and the
  // current viewport, whatever the positions.
  HRESULT DrawPrimitive(D3DPRIMITIVETYPE type, D3DVERTEXTYPE vertexType, const void* vertices, DWORD count,
                        DWORD flags);
  HRESULT DrawIndexedPrimitive(D3DPRIMITIVETYPE type, D3DVERTEXTYPE vertexType, const void* vertices, DWORD vertexCount,
                               const WORD* indices, DWORD indexCount, DWORD flags);
  // Draws from now on into `target` (16-bit); the depth buffer follows its size.
  HRESULT SetRenderTarget(IDirectDrawSurface* target, DWORD flags);
  HRESULT GetRenderTarget(IDirectDrawSurface** out);

 private:
  friend class IDirect3D2;
  friend class IDirect3DViewport2;
  IDirect3DDevice2(IDirect3D2* d3d, IDirectDrawSurface* target);
  ~IDirect3DDevice2() override;
  void ResizeDepth();
  void DrawTriangles(D3DPRIMITIVETYPE type, const D3DTLVERTEX* v, const WORD* indices, DWORD count);

  IDirect3D2* d3d_;                             // owned reference
  IDirectDrawSurface* target_;                  // owned reference
  std::vector<IDirect3DViewport2*> viewports_;  // owned references
  IDirect3DViewport2* current_ = nullptr;
  DWORD states_[D3D_RENDERSTATE_COUNT];
  DWORD material_ = 0;
  D3DMATRIX transforms_[3];
  bool inScene_ = false;
  std::vector<float> depth_;
  DWORD depthWidth_ = 0, depthHeight_ = 0;
};

}  // namespace plat
