#pragma once
// What the Direct3D files share. Program's thread only.

#include "platform/d3d/d3d.h"

namespace plat::d3d_impl {

// The object behind a handle, or null for a handle no live object has.
IDirect3DTexture2* TextureOfHandle(D3DTEXTUREHANDLE handle);
IDirect3DMaterial2* MaterialOfHandle(D3DMATERIALHANDLE handle);

// The capabilities our device reports as hardware.
D3DDEVICEDESC DeviceCaps();

}  // namespace plat::d3d_impl
