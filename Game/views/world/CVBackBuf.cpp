#include "Game/views/world/CVBackBuf.h"

#include "media/CSprite.h"

using namespace plat;

namespace {
constexpr LONG kViewportX = 29;
constexpr LONG kViewportY = 98;
}  // namespace

CVBackBuf::CVBackBuf(CDDraw* owner, CSprite* target, int atViewport) : target(target), atViewport(atViewport ? 1 : 0) {
  picture = new CSprite(owner, nullptr, kNoColourKey, kWidth, kHeight, kViewportX, kViewportY, 0);
  if (!picture->surface) {
    ReleaseSprite();
    return;
  }
  is565 = picture->IsVideoIn565Format(nullptr);
  Clear();
}

CVBackBuf::~CVBackBuf() { ReleaseSprite(); }

void CVBackBuf::ReleaseSprite() {
  delete picture;
  picture = nullptr;
}

void CVBackBuf::Clear() {
  if (picture) picture->FillSurface(0, nullptr);
}

void CVBackBuf::BltToSurface() {
  if (!picture || !target) return;
  const RECT whole{0, 0, static_cast<LONG>(picture->width), static_cast<LONG>(picture->height)};
  picture->BltToSurface(target, atViewport ? kViewportX : 0, atViewport ? kViewportY : 0, &whole);
}

// The amounts are whole pixels within the picture: the negative directions
// take negative amounts, and a wrong sign scrolls nothing.
void CVBackBuf::ScrollXPos(int n) {
  if (picture && n > 0 && n < kWidth) picture->ScrollRight(static_cast<SHORT>(n));
}

void CVBackBuf::ScrollXNeg(int n) {
  if (picture && n < 0 && n > -kWidth) picture->ScrollLeft(static_cast<SHORT>(-n));
}

void CVBackBuf::ScrollYPos(int n) {
  if (picture && n > 0 && n < kHeight) picture->ScrollDown(static_cast<SHORT>(n));
}

void CVBackBuf::ScrollYNeg(int n) {
  if (picture && n < 0 && n > -kHeight) picture->ScrollUp(static_cast<SHORT>(-n));
}
