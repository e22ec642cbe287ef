// The Direct3D objects: the Direct3D object of a display, materials, textures
// and their handles, viewports. The device is in d3ddevice.cpp.

#include <algorithm>
#include <unordered_map>

#include "platform/d3d/d3d.h"
#include "platform/d3d/d3d_impl.h"
#include "platform/d3d/d3draster.h"

namespace plat {

const GUID IID_IDirect3D2{0x6AAE1EC1, 0x662A, 0x11D0, {0x88, 0x9D, 0x00, 0xAA, 0x00, 0xBB, 0xB7, 0x6A}};
const GUID IID_IDirect3DTexture2{0x93281502, 0x8CF8, 0x11D0, {0x89, 0xAB, 0x00, 0xA0, 0xC9, 0x05, 0x41, 0x29}};
const GUID IID_IDirect3DHALDevice{0x84E63DE0, 0x46AA, 0x11CF, {0x81, 0x6F, 0x00, 0x00, 0xC0, 0x20, 0x15, 0x6E}};
const GUID IID_IDirect3DRampDevice{0xF2086B20, 0x259F, 0x11CF, {0xA3, 0x1A, 0x00, 0xAA, 0x00, 0xB9, 0x33, 0x56}};
const GUID IID_IDirect3DRGBDevice{0xA4665C60, 0x2673, 0x11CF, {0xA3, 0x1A, 0x00, 0xAA, 0x00, 0xB9, 0x33, 0x56}};
const GUID IID_IDirect3DMMXDevice{0x881949A1, 0xD6F3, 0x11D0, {0x89, 0xAB, 0x00, 0xA0, 0xC9, 0x05, 0x41, 0x29}};

namespace d3d_impl {

namespace {

struct HandleTables {
  std::unordered_map<DWORD, IDirect3DTexture2*> textures;
  std::unordered_map<DWORD, IDirect3DMaterial2*> materials;
  DWORD next = 0;
};

HandleTables& Tables() {
  static HandleTables tables;
  return tables;
}

// A fresh nonzero handle; one counter serves both kinds so a texture handle
// is never mistaken for a material's, and a released handle is not handed out
// again until the counter has gone all the way round.
DWORD NewHandle() {
  HandleTables& t = Tables();
  do {
    ++t.next;
  } while (t.next == 0 || t.textures.contains(t.next) || t.materials.contains(t.next));
  return t.next;
}

}  // namespace

IDirect3DTexture2* TextureOfHandle(D3DTEXTUREHANDLE handle) {
  const auto it = Tables().textures.find(handle);
  return it == Tables().textures.end() ? nullptr : it->second;
}

IDirect3DMaterial2* MaterialOfHandle(D3DMATERIALHANDLE handle) {
  const auto it = Tables().materials.find(handle);
  return it == Tables().materials.end() ? nullptr : it->second;
}

}  // namespace d3d_impl

using d3d_impl::Tables;

HRESULT Direct3DQueryDisplay(IDirectDraw* dd, REFIID iid, void** out) {
  if (!(iid == IID_IDirect3D2)) return E_NOINTERFACE;
  *out = new IDirect3D2(dd);
  return DD_OK;
}

HRESULT Direct3DQuerySurface(IDirectDrawSurface* surface, REFIID iid, void** out) {
  if (!(iid == IID_IDirect3DTexture2)) return E_NOINTERFACE;
  *out = new IDirect3DTexture2(surface);
  return DD_OK;
}

IDirect3D2::IDirect3D2(IDirectDraw* dd) : dd_(dd) { dd_->AddRef(); }

IDirect3D2::~IDirect3D2() { dd_->Release(); }

HRESULT IDirect3D2::EnumDevices(LPD3DENUMDEVICESCALLBACK callback, void* context) {
  if (!callback) return DDERR_INVALIDPARAMS;
  struct Kind {
    const GUID* id;
    const char* description;
    const char* name;
    bool hardware;
  };
  const Kind kinds[] = {{&IID_IDirect3DHALDevice, "Software rasteriser in the hardware's place", "Direct3D HAL", true},
                        {&IID_IDirect3DMMXDevice, "Software rasteriser", "MMX Emulation", false},
                        {&IID_IDirect3DRGBDevice, "Software rasteriser", "RGB Emulation", false}};
  for (const Kind& k : kinds) {
    D3DDEVICEDESC described = d3d_impl::DeviceCaps();
    D3DDEVICEDESC none;
    GUID id = *k.id;
    if (callback(&id, k.description, k.name, k.hardware ? &described : &none, k.hardware ? &none : &described,
                 context) == D3DENUMRET_CANCEL) {
      break;
    }
  }
  return D3D_OK;
}

HRESULT IDirect3D2::CreateViewport(IDirect3DViewport2** out, void*) {
  if (!out) return DDERR_INVALIDPARAMS;
  *out = new IDirect3DViewport2();
  return D3D_OK;
}

HRESULT IDirect3D2::CreateMaterial(IDirect3DMaterial2** out, void*) {
  if (!out) return DDERR_INVALIDPARAMS;
  *out = new IDirect3DMaterial2();
  return D3D_OK;
}

IDirect3DMaterial2::IDirect3DMaterial2() : handle_(d3d_impl::NewHandle()) { Tables().materials[handle_] = this; }

IDirect3DMaterial2::~IDirect3DMaterial2() { Tables().materials.erase(handle_); }

HRESULT IDirect3DMaterial2::SetMaterial(const D3DMATERIAL* material) {
  if (!material || material->dwSize != sizeof(D3DMATERIAL)) return DDERR_INVALIDPARAMS;
  material_ = *material;
  return D3D_OK;
}

HRESULT IDirect3DMaterial2::GetMaterial(D3DMATERIAL* material) {
  if (!material || material->dwSize != sizeof(D3DMATERIAL)) return DDERR_INVALIDPARAMS;
  *material = material_;
  return D3D_OK;
}

HRESULT IDirect3DMaterial2::GetHandle(IDirect3DDevice2* device, D3DMATERIALHANDLE* out) {
  if (!device || !out) return DDERR_INVALIDPARAMS;
  *out = handle_;
  return D3D_OK;
}

IDirect3DTexture2::IDirect3DTexture2(IDirectDrawSurface* surface) : surface_(surface), handle_(d3d_impl::NewHandle()) {
  surface_->AddRef();
  Tables().textures[handle_] = this;
}

IDirect3DTexture2::~IDirect3DTexture2() {
  Tables().textures.erase(handle_);
  surface_->Release();
}

HRESULT IDirect3DTexture2::GetHandle(IDirect3DDevice2* device, D3DTEXTUREHANDLE* out) {
  if (!device || !out) return DDERR_INVALIDPARAMS;
  *out = handle_;
  return D3D_OK;
}

HRESULT IDirect3DTexture2::Load(IDirect3DTexture2* source) {
  if (!source) return DDERR_INVALIDPARAMS;
  if (surface_->IsLost() != DD_OK || source->surface_->IsLost() != DD_OK) return DDERR_SURFACELOST;
  const IDirectDrawSurface::PixelView to = surface_->Pixels();
  const IDirectDrawSurface::PixelView from = source->surface_->Pixels();
  if (to.width != from.width || to.height != from.height || to.bitCount != from.bitCount ||
      to.redMask != from.redMask || to.greenMask != from.greenMask) {
    return D3DERR_TEXTURE_LOAD_FAILED;
  }
  const std::size_t row = static_cast<std::size_t>(to.width) * to.bitCount / 8;
  for (DWORD y = 0; y < to.height; ++y) {
    std::copy_n(from.bits + static_cast<std::ptrdiff_t>(y) * from.pitch, row,
                to.bits + static_cast<std::ptrdiff_t>(y) * to.pitch);
  }
  DDCOLORKEY key;
  if (source->surface_->GetColorKey(DDCKEY_SRCBLT, &key) == DD_OK) {
    surface_->SetColorKey(DDCKEY_SRCBLT, &key);
  } else {
    surface_->SetColorKey(DDCKEY_SRCBLT, nullptr);
  }
  return D3D_OK;
}

HRESULT IDirect3DViewport2::SetViewport2(const D3DVIEWPORT2* viewport) {
  if (!viewport || viewport->dwSize != sizeof(D3DVIEWPORT2)) return DDERR_INVALIDPARAMS;
  viewport_ = *viewport;
  return D3D_OK;
}

HRESULT IDirect3DViewport2::GetViewport2(D3DVIEWPORT2* viewport) {
  if (!viewport || viewport->dwSize != sizeof(D3DVIEWPORT2)) return DDERR_INVALIDPARAMS;
  *viewport = viewport_;
  return D3D_OK;
}

HRESULT IDirect3DViewport2::SetBackground(D3DMATERIALHANDLE material) {
  if (!d3d_impl::MaterialOfHandle(material)) return DDERR_INVALIDPARAMS;
  background_ = material;
  return D3D_OK;
}

}  // namespace plat
