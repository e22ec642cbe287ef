// Locking, unlocking, restoring and presenting a frame buffer.

#include <algorithm>
#include <cstdio>
#include <iterator>

#include "platform/user/window.h"
#include "sg/fb/fb_impl.h"
#include "sg/fb/sgerr.h"

using namespace plat;

namespace {

// The results a lock is documented to give; anything else is worth a word on
// standard output while debugging.
constexpr std::uint32_t kKnownLockResults[] = {0x80004001u, 0x80004005u, 0x8007000Eu, 0x80070057u, 0x8876006Eu,
                                               0x88760082u, 0x88760096u, 0x887600B4u, 0x887600CDu, 0x887600FAu,
                                               0x88760118u, 0x88760122u, 0x88760136u, 0x88760154u, 0x887601AEu,
                                               0x887601C2u, 0x8876021Cu, 0x8876023Fu};

void CheckLockResult(HRESULT hr) {
  if (std::find(std::begin(kKnownLockResults), std::end(kKnownLockResults), static_cast<std::uint32_t>(hr)) ==
      std::end(kKnownLockResults)) {
    std::puts("jeez");
  }
}

bool Lost(IDirectDrawSurface* surface) { return surface != nullptr && surface->IsLost() == DDERR_SURFACELOST; }

// Restores when the front or the back surface is lost.
SGError RestoreIfLost(SGFrameBuffer* fb, SGError failure) {
  const SGDDInfo* ddi = fb->fbDDI;
  if ((Lost(ddi->ddiFront) || Lost(ddi->ddiBack)) && ISGFrameBufferRestore(fb) != SG_ERROR_NONE) {
    return failure;
  }
  return SG_ERROR_NONE;
}

}  // namespace

SGError ISGFrameBufferRestore(SGFrameBuffer* fb) {
  const SGDDInfo* ddi = fb->fbDDI;
  if (ddi->ddiFront != nullptr && ddi->ddiFront->Restore() != DD_OK) {
    return SG_ERROR_FB_ACCESS;
  }
  // A back buffer of a flip chain comes back with its front surface; a separate
  // one must be restored itself or every later lock would find it lost again.
  if (ddi->ddiBack != nullptr && ddi->ddiBack != ddi->ddiFront && Lost(ddi->ddiBack) &&
      ddi->ddiBack->Restore() != DD_OK) {
    return SG_ERROR_FB_ACCESS;
  }
  return SG_ERROR_NONE;
}

SGError SGFrameBufferLock(SGFrameBuffer* fb, void** pixels) {
  SGDDInfo* ddi = fb->fbDDI;
  if (ddi != nullptr && !(ddi->ddiFlags & SG_DDI_LOCKED)) {
    if (ddi->ddiBack == nullptr) {
      return SG_ERROR_FB_ACCESS;
    }
    void* locked = nullptr;
    for (int attempt = 0; locked == nullptr; ++attempt) {
      if (attempt == SG_FB_MAX_TRIES) {
        return SG_ERROR_FB_ACCESS;
      }
      DDSURFACEDESC desc;
      const HRESULT hr = ddi->ddiBack->Lock(nullptr, &desc, DDLOCK_WAIT | DDLOCK_WRITEONLY, nullptr);
      if (hr == DD_OK) {
        locked = desc.lpSurface;
      } else if (hr == DDERR_SURFACELOST) {
        if (ISGFrameBufferRestore(fb) != SG_ERROR_NONE) {
          return SG_ERROR_FB_ACCESS;
        }
      } else if (hr != DDERR_WASSTILLDRAWING) {
        // A surface locked elsewhere (DDERR_SURFACEBUSY) is refused too: the
        // address another lock handed out is not this frame buffer's to write.
        CheckLockResult(hr);
        return SG_ERROR_FB_ACCESS;
      }
    }
    fb->fbPixels = locked;
    ddi->ddiFlags |= SG_DDI_LOCKED;
  }
  *pixels = fb->fbPixels;
  return SG_ERROR_NONE;
}

SGError SGFrameBufferUnlock(SGFrameBuffer* fb) {
  SGDDInfo* ddi = fb->fbDDI;
  if (ddi == nullptr || !(ddi->ddiFlags & SG_DDI_LOCKED)) {
    return SG_ERROR_NONE;
  }
  if (RestoreIfLost(fb, SG_ERROR_FB_ACCESS) != SG_ERROR_NONE) {
    return SG_ERROR_FB_ACCESS;
  }
  if (ddi->ddiBack->Unlock(nullptr) != DD_OK) {
    return SG_ERROR_FB_ACCESS;
  }
  ddi->ddiFlags &= ~SG_DDI_LOCKED;
  return SG_ERROR_NONE;
}

SGError SGFrameBufferSwap(SGFrameBuffer* fb) {
  SGDDInfo* ddi = fb->fbDDI;
  if (ddi == nullptr) {
    return SG_ERROR_NONE;  // a frame over plain memory has nothing to present
  }
  if (ddi->ddiFlags & SG_DDI_LOCKED) {
    if (const HRESULT hr = ddi->ddiBack->Unlock(nullptr); hr != DD_OK) {
      ISGErrorReportResult(fb, "unlocking backbuffer\n%s", hr);
      return SG_ERROR_FB_SWAP;
    }
    ddi->ddiFlags &= ~SG_DDI_LOCKED;
  }
  if (fb->fbFlags & SG_FB_FLAG_SINGLE_SURFACE) {
    return SG_ERROR_NONE;
  }
  if (ddi->ddiFront == nullptr || ddi->ddiBack == nullptr) {
    return SG_ERROR_FB_SWAP;
  }
  if (RestoreIfLost(fb, SG_ERROR_FB_SWAP) != SG_ERROR_NONE) {
    return SG_ERROR_FB_SWAP;
  }
  if (ddi->ddiFlags & SG_DDI_FLIP) {
    HRESULT hr = DDERR_WASSTILLDRAWING;
    for (int attempt = 0; hr == DDERR_WASSTILLDRAWING && attempt < SG_FB_MAX_TRIES; ++attempt) {
      hr = ddi->ddiFront->Flip(nullptr, 0);
    }
    if (hr != DD_OK) {
      ISGErrorReportResult(fb, "bad flip to swap\n%s", hr);
      return SG_ERROR_FB_SWAP;
    }
  } else if ((fb->fbFlags & SG_FB_FLAG_WINDOWED) || ddi->ddiClipper != nullptr) {
    // A front surface with a clipper takes no BltFast: a full-screen one with a
    // separate back buffer is presented the windowed way too.
    RECT client;
    GetClientRect(ddi->ddiWindow, &client);
    POINT corners[2] = {{client.left, client.top}, {client.right, client.bottom}};
    ClientToScreen(ddi->ddiWindow, &corners[0]);
    ClientToScreen(ddi->ddiWindow, &corners[1]);
    const RECT onScreen{corners[0].x, corners[0].y, corners[1].x, corners[1].y};
    if (const HRESULT hr = ddi->ddiFront->Blt(&onScreen, ddi->ddiBack, nullptr, DDBLT_WAIT, nullptr); hr != DD_OK) {
      ISGErrorReportResult(fb, "bad blit to swap\n%s", hr);
      return SG_ERROR_FB_SWAP;
    }
  } else if (ddi->ddiFront->BltFast(0, 0, ddi->ddiBack, nullptr, DDBLTFAST_WAIT) != DD_OK) {
    return SG_ERROR_FB_SWAP;
  }
  return SG_ERROR_NONE;
}
