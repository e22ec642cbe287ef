#include <algorithm>

#include "media/CDDraw.h"
#include "media/CSprite.h"

using namespace plat;

DWORD CSprite::BlitFlags() const { return DDBLT_WAIT | (colourKey != kNoColourKey ? DDBLT_KEYSRC : 0); }

HRESULT CSprite::BltToPrimary(const RECT* destRect, const RECT* srcRect) {
  if (!surface) return DDERR_INVALIDOBJECT;
  if (!owner->fullScreen || !owner->backBuffer) return BltDirectlyToPrimary(destRect, srcRect);
  HRESULT r = owner->backBuffer->Blt(destRect, surface, srcRect, DDBLT_WAIT, nullptr);
  if (r == DDERR_SURFACELOST) {
    if ((r = RestoreSurface()) != 0) return r;
    LoadImage(nullptr);
    if ((r = owner->RestorePrimarySurface()) != 0) return r;
    r = CheckDDResult(owner->backBuffer->Blt(destRect, surface, srcRect, BlitFlags(), nullptr),
                      "CSprite::BltToPrimary - Blt ", this);
    if (r) return r;
  }
  return CheckDDResult(owner->primary->Flip(nullptr, DDFLIP_WAIT), "CSprite::BltToPrimary - Flip ", this);
}

HRESULT CSprite::BltDirectlyToPrimary(const RECT* destRect, const RECT* srcRect) {
  if (!surface || !owner->primary) return DDERR_INVALIDOBJECT;
  HRESULT r = owner->primary->Blt(destRect, surface, srcRect, BlitFlags(), nullptr);
  if (r == DDERR_SURFACELOST) {
    owner->primary->Restore();
    RestoreSurface();
    LoadImage(nullptr);
    r = owner->primary->Blt(destRect, surface, srcRect, BlitFlags(), nullptr);
  }
  return CheckDDResult(r, "CSprite::BltDirectlyToPrimary - Blt ", this);
}

HRESULT CSprite::BltFromSurface(LONG fromX, LONG fromY) {
  if (!surface || !owner->primary) return DDERR_INVALIDOBJECT;
  if (fromX == -1) fromX = x;
  if (fromY == -1) fromY = y;
  const RECT from{fromX, fromY, fromX + static_cast<LONG>(width), fromY + static_cast<LONG>(height)};
  return CheckDDResult(surface->BltFast(0, 0, owner->primary, &from, DDBLTFAST_WAIT | DDBLTFAST_NOCOLORKEY),
                       "CSprite::BltFromSurface - BltFast ", this);
}

HRESULT CSprite::BltToSurface(CSprite* dest, LONG atX, LONG atY, const RECT* srcRect) {
  if (!surface || !dest || !dest->surface) return DDERR_INVALIDOBJECT;
  if (atX == -1) atX = x;
  if (atY == -1) atY = y;
  const DWORD trans = DDBLTFAST_WAIT | (colourKey != kNoColourKey ? DDBLTFAST_SRCCOLORKEY : 0);
  auto blit = [&] {
    return dest->surface->BltFast(static_cast<DWORD>(atX), static_cast<DWORD>(atY), surface, srcRect, trans);
  };
  HRESULT r = blit();
  if (r == DDERR_SURFACELOST && (r = RestoreSurface()) == 0) {
    LoadImage(nullptr);
    if ((r = dest->RestoreSurface()) == 0) r = blit();
  }
  return CheckDDResult(r, "CSprite::BltToSurface - BltFast ", this);
}

HRESULT CSprite::ClipRect(CSprite* dest, LONG atX, LONG atY, const RECT* clip) {
  if (!surface || !dest || !dest->surface) return DDERR_INVALIDOBJECT;
  const RECT sprite{atX, atY, atX + static_cast<LONG>(width), atY + static_cast<LONG>(height)};
  const RECT bounds = clip ? *clip : RECT{0, 0, static_cast<LONG>(dest->width), static_cast<LONG>(dest->height)};
  RECT src{std::max(sprite.left, bounds.left), std::max(sprite.top, bounds.top), std::min(sprite.right, bounds.right),
           std::min(sprite.bottom, bounds.bottom)};
  if (src.left >= src.right || src.top >= src.bottom) return 0;
  src = {src.left - atX, src.top - atY, src.right - atX, src.bottom - atY};
  LONG px = clip ? atX + src.left : atX;
  LONG py = clip ? atY + src.top : atY;
  return BltToSurface(dest, std::max<LONG>(px, 0), std::max<LONG>(py, 0), &src);
}

HRESULT CSprite::BltToSurfaceStretch(CSprite* dest, LONG, LONG, const RECT* srcRect) {
  if (!surface || !dest || !dest->surface) return DDERR_INVALIDOBJECT;
  auto blit = [&] { return dest->surface->Blt(nullptr, surface, srcRect, BlitFlags(), nullptr); };
  HRESULT r = blit();
  if (r == DDERR_SURFACELOST && (r = RestoreSurface()) == 0) {
    LoadImage(nullptr);
    if ((r = dest->RestoreSurface()) == 0) r = blit();
  }
  return CheckDDResult(r, "CSprite::BltToSurfaceStretch - Blt ", this);
}

HRESULT CSprite::BltToSurfaceFX(CSprite* dest, LONG atX, LONG atY, const RECT* srcRect, DWORD flags, DDBLTFX* fx) {
  if (!surface || !dest || !dest->surface) return DDERR_INVALIDOBJECT;
  if (atX == -1) atX = x;
  if (atY == -1) atY = y;
  const RECT src = srcRect ? *srcRect : RECT{0, 0, static_cast<LONG>(width), static_cast<LONG>(height)};
  const RECT to{atX, atY, atX + (src.right - src.left), atY + (src.bottom - src.top)};
  return CheckDDResult(dest->surface->Blt(&to, surface, &src, flags | BlitFlags(), fx),
                       "CSprite::BltToSurfaceFX - Blt ", this);
}
