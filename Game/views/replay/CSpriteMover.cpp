#include "Game/views/replay/CSpriteMover.h"

#include <cstdio>
#include <cstdlib>

#include "media/CSprite.h"
#include "platform/core/clock.h"
#include "platform/ddraw/ddconst.h"
#include "platform/ddraw/ddraw.h"
#include "platform/gdi/text.h"

using namespace plat;

namespace {

constexpr COLORREF kLabelColour = 0x00FFFF;
constexpr int kLabelSize = 20;

// Copies a frame mirrored onto the target at (x, y), clipped to the target,
// leaving the frame's key colour out. 16-bit surfaces only (the game's).
void MirroredBlit(CSprite* frame, CSprite* target, int x, int y, std::uint16_t mirror) {
  if (!frame->surface || !target->surface) return;
  DDCOLORKEY key{};
  const bool keyed = frame->surface->GetColorKey(DDCKEY_SRCBLT, &key) == DD_OK;
  DDSURFACEDESC from{}, to{};
  if (frame->surface->Lock(nullptr, &from, DDLOCK_WAIT, nullptr) != DD_OK) return;
  if (target->surface->Lock(nullptr, &to, DDLOCK_WAIT, nullptr) != DD_OK) {
    frame->surface->Unlock(nullptr);
    return;
  }
  if (from.ddpfPixelFormat.dwRGBBitCount == 16 && to.ddpfPixelFormat.dwRGBBitCount == 16) {
    const int w = static_cast<int>(frame->width), h = static_cast<int>(frame->height);
    const int tw = static_cast<int>(target->width), th = static_cast<int>(target->height);
    const bool flipX = mirror == CSpriteMover::MIRROR_LEFT_RIGHT || mirror == CSpriteMover::MIRROR_BOTH;
    const bool flipY = mirror == CSpriteMover::MIRROR_UP_DOWN || mirror == CSpriteMover::MIRROR_BOTH;
    for (int row = 0; row < h; ++row) {
      const int ty = y + row;
      if (ty < 0 || ty >= th) continue;
      const auto* src =
          reinterpret_cast<const std::uint16_t*>(static_cast<const BYTE*>(from.lpSurface) +
                                                 static_cast<std::ptrdiff_t>(flipY ? h - 1 - row : row) * from.lPitch);
      auto* dst = reinterpret_cast<std::uint16_t*>(static_cast<BYTE*>(to.lpSurface) +
                                                   static_cast<std::ptrdiff_t>(ty) * to.lPitch);
      for (int col = 0; col < w; ++col) {
        const int tx = x + col;
        if (tx < 0 || tx >= tw) continue;
        const std::uint16_t p = src[flipX ? w - 1 - col : col];
        if (keyed && p >= key.dwColorSpaceLowValue && p <= key.dwColorSpaceHighValue) continue;
        dst[tx] = p;
      }
    }
  }
  target->surface->Unlock(nullptr);
  frame->surface->Unlock(nullptr);
}

}  // namespace

void CSpriteMover::SetPath(std::int32_t x0, std::int32_t y0, std::int32_t x1, std::int32_t y1, std::int32_t steps) {
  x = x0;
  y = y0;
  endX = x1;
  endY = y1;
  stepsLeft = steps;
}

int CSpriteMover::ChooseFacing() {
  const int dx = static_cast<std::int16_t>(endX - x), dy = static_cast<std::int16_t>(endY - y);
  mirror = MIRROR_NONE;
  if (dx == 0) {
    if (dy < 0) mirror = MIRROR_BOTH;
    return FACING_VERTICAL;
  }
  // 16-bit differences: the product stays well inside 32 bits.
  const int ratio = std::abs(dy) * 100 / std::abs(dx);
  if (ratio < 50) {
    if (dx < 0) mirror = MIRROR_BOTH;
    return FACING_HORIZONTAL;
  }
  if (ratio >= 200) {
    if (dy < 0) mirror = MIRROR_BOTH;
    return FACING_VERTICAL;
  }
  if (dx < 0)
    mirror = dy >= 0 ? MIRROR_LEFT_RIGHT : MIRROR_BOTH;
  else if (dy < 0)
    mirror = MIRROR_UP_DOWN;
  return FACING_DIAGONAL;
}

void CSpriteMover::AddFrame(CSprite* sprite) {
  if (!sprite || frameCount >= kMaxFrames) return;
  if (width == 0) {
    width = static_cast<std::int32_t>(sprite->width);
    height = static_cast<std::int32_t>(sprite->height);
  }
  frames[frameCount++] = sprite;
}

void CSpriteMover::ClearFrames() {
  frames.fill(nullptr);
  frameCount = 0;
  currentFrame = 0;
}

void CSpriteMover::Start() {
  state = MOVING;
  currentFrame = 0;
}

void CSpriteMover::ResetFrameSprites() {
  for (CSprite* s : frames)
    if (s) s->ClearError();
}

void CSpriteMoverList::Init() {
  head = nullptr;
  rate = 30;
  lastClock = 0;
  state = STARTED;
}

CSpriteMover* CSpriteMoverList::PushFront(CSpriteMover* mover) {
  mover->next = head;
  head = mover;
  return mover;
}

void CSpriteMoverList::Append(CSpriteMover* mover) {
  mover->next = nullptr;
  CSpriteMover** link = &head;
  while (*link) link = &(*link)->next;
  *link = mover;
}

void CSpriteMoverList::Remove(CSpriteMover* mover) {
  for (CSpriteMover** link = &head; *link; link = &(*link)->next) {
    if (*link == mover) {
      *link = mover->next;
      mover->next = nullptr;
      return;
    }
  }
}

void CSpriteMoverList::Clear() {
  lastClock = 0;
  for (CSpriteMover* m = head; m;) {
    CSpriteMover* following = m->next;
    m->next = nullptr;
    m = following;
  }
  head = nullptr;
}

int CSpriteMoverList::UpdateAndDraw(CSprite* target, CSprite* background) {
  if (rate <= 0 || state == STOPPED || state == PAUSED || !target) return 0;
  const DWORD now = timeGetTime();
  if (now - lastClock < static_cast<DWORD>(60 / rate)) return 0;
  lastClock = now;
  if (background) background->BltToSurface(target, -1, -1, nullptr);
  bool active = false;
  for (CSpriteMover* m = head; m; m = m->next) {
    if (m->state == CSpriteMover::INACTIVE) continue;
    if (m->state == CSpriteMover::MOVING && m->stepsLeft > 0) {
      m->x += (m->endX - m->x) / m->stepsLeft;
      m->y += (m->endY - m->y) / m->stepsLeft;
      if (--m->stepsLeft < 1) m->state = CSpriteMover::STOPPED;
    }
    DrawFrame(*m, target);
    if (m->state == CSpriteMover::MOVING) {
      if (m->frameCount > 0) m->currentFrame = static_cast<std::uint16_t>((m->currentFrame + 1) % m->frameCount);
      active = true;
    }
  }
  DrawLabels(target);
  if (!active) state = STOPPED;
  return 1;
}

void CSpriteMoverList::Draw(CSprite* target) {
  if (!target) return;
  for (CSpriteMover* m = head; m; m = m->next)
    if (m->state != CSpriteMover::INACTIVE) DrawFrame(*m, target);
  DrawLabels(target);
}

void CSpriteMoverList::DrawFrame(const CSpriteMover& m, CSprite* target) {
  if (m.frameCount == 0 || m.currentFrame >= m.frameCount) return;
  CSprite* frame = m.frames[m.currentFrame];
  if (frame && m.mirror == CSpriteMover::MIRROR_NONE)
    frame->ClipRect(target, m.x, m.y, nullptr);
  else if (frame)
    MirroredBlit(frame, target, m.x, m.y, m.mirror);
}

void CSpriteMoverList::DrawLabels(CSprite* target) {
  for (CSpriteMover* m = head; m; m = m->next) m->counted = 0;
  HDC dc = target->GetDC();
  if (!dc) return;
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, kLabelColour);
  for (CSpriteMover* m = head; m; m = m->next) {
    if (m->state == CSpriteMover::INACTIVE || m->counted || !m->labelFlag) continue;
    m->counted = 1;
    int count = 1;
    for (CSpriteMover* o = m->next; o; o = o->next) {
      if (o->state != CSpriteMover::INACTIVE && o->labelFlag && !o->counted && o->x == m->x && o->y == m->y) {
        o->counted = 1;
        ++count;
      }
    }
    char text[12];
    std::snprintf(text, sizeof text, "%d", count);
    RECT r{m->x, m->y, m->x + kLabelSize, m->y + kLabelSize};
    DrawText(dc, text, -1, &r, 0);
  }
  target->ReleaseDC(dc);
}
