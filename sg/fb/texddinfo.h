#pragma once
// The per-texture device record (a texture info's tpiDDInfo), shared by the
// frame buffer's texture blits and the Direct3D layer. Allocated zeroed by
// whichever makes it first; freed by the texture's release. Drawing thread
// only, like the texture it belongs to.

#include <cstdint>

namespace plat {
class IDirectDrawSurface;
class IDirectDrawPalette;
class IDirect3DTexture2;
}  // namespace plat
struct SGListNode;

struct SGTexDDInfo {
  std::uint32_t tdiTimeStamp;               // renderer frame that last used it; 0 = not resident
  SGListNode* tdiLoaded;                    // node in the device's list of resident textures
  plat::IDirectDrawPalette* tdiPalette;     // of an 8-bit texture
  plat::IDirectDrawSurface* tdiSurface;     // system copy in the device format; the blit source
  plat::IDirectDrawSurface* tdiVidSurface;  // video copy while resident
  plat::IDirect3DTexture2* tdiTexture;
  plat::IDirect3DTexture2* tdiVidTexture;
  std::uint32_t tdiHandle;
};
