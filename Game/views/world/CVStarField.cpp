#include "Game/views/world/CVStarField.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "Game/base/GInstData.h"
#include "Game/base/TraceError.h"
#include "media/CSprite.h"
#include "platform/core/random.h"
#include "platform/resource/module.h"

using namespace plat;

namespace {

constexpr int kCellsAcross = 10;
constexpr int kCellsDown = 6;
constexpr int kCellSize = 512;
constexpr int kPlacementSize = 128;
constexpr float kAngleX = 841.316f;  // pixels per radian across
constexpr float kAngleY = 532.526f;  // and up or down
constexpr float kWholeRepaintAngle = 0.4f;
// Not pi / 2 and pi: the sky's own angles.
constexpr double kQuarter = 1.5788;
constexpr double kHalf = 3.1576;
constexpr double kPi = 3.14159265358979;

constexpr std::uint16_t kGreys565[6] = {0x1082, 0x2945, 0x4208, 0x5ACB, 0x738E, 0x7BCF};
constexpr std::uint16_t kGreys555[6] = {0x0842, 0x14A5, 0x2108, 0x2D6B, 0x39CE, 0x3DEF};

int Wrap(int v, int size) {
  v %= size;
  return v < 0 ? v + size : v;
}

// The shortest signed move from a to b on a circle of `size`.
int Delta(int a, int b, int size) {
  int d = Wrap(b - a, size);
  return d > size / 2 ? d - size : d;
}

}  // namespace

CVStarField::CVStarField(CDDraw* ddraw, CSprite* screenSprite, std::uint16_t count, std::uint32_t on, int flag)
    : CVBackBuf(ddraw, screenSprite, flag), onFlag(on ? 1 : 0) {
  BuildPlacements(ddraw, count);
  if (onFlag) PaintAll();
}

CVStarField::~CVStarField() {
  delete[] placements;
  for (CSprite*& s : nebulae) {
    delete s;
    s = nullptr;
  }
}

void CVStarField::BuildPlacements(CDDraw* ddraw, std::uint16_t count) {
  if (count == 0) return;
  placements = new CVNebulaPlacement[count];
  placementRoom = count;
  bool taken[kCellsAcross][kCellsDown] = {};
  char path[260];
  std::snprintf(path, sizeof path, "%s%s", g_instData.GetArtPath(), "asneex.dll");
  HMODULE module = LoadLibrary(path);
  if (!module) TraceError("CVStarField - no nebula module", __FILE__, __LINE__);
  const int start = plat::rand() % kNebulae;
  const int perPicture = count / kNebulae;
  bool first = true;
  for (int n = 0; n < kNebulae; ++n) {
    char name[260];
    std::snprintf(name, sizeof name, "%snebulae\\neb%d.ima", g_instData.GetArtPath(), n);
    CSprite* sprite = module ? new CSprite(ddraw, kNoColourKey, module, name, 0, 0, 0) : nullptr;
    nebulae[(start + n) % kNebulae] = sprite;
    for (int k = 0; k < perPicture && placementCount < placementRoom; ++k) {
      // A free cell at random; the very first placement takes the middle one.
      int cx = 5, cy = 3;
      if (!first) {
        do {
          cx = plat::rand() % kCellsAcross;
          cy = plat::rand() % kCellsDown;
        } while (taken[cx][cy]);
      }
      first = false;
      taken[cx][cy] = true;
      CVNebulaPlacement& p = placements[placementCount++];
      p.left = cx * kCellSize + (plat::rand() & 255);
      p.top = cy * kCellSize + (plat::rand() & 255);
      p.right = p.left + kPlacementSize;
      p.bottom = p.top + kPlacementSize;
      p.sprite = sprite;
    }
  }
  if (module) FreeLibrary(module);
}

void CVStarField::Paint(const RECT* rect) {
  if (!onFlag || !picture || !picture->surface) return;
  if (!rect) {
    TraceError("CVStarField::Paint - no rectangle", __FILE__, __LINE__);
    return;
  }
  const RECT r{std::max<LONG>(rect->left, 0), std::max<LONG>(rect->top, 0),
               std::min<LONG>(rect->right, static_cast<LONG>(picture->width)),
               std::min<LONG>(rect->bottom, static_cast<LONG>(picture->height))};
  if (r.left >= r.right || r.top >= r.bottom) return;
  DDSURFACEDESC desc{};
  if (picture->surface->Lock(nullptr, &desc, 0, nullptr) != 0 || !desc.lpSurface) return;
  auto* bits = static_cast<std::uint8_t*>(desc.lpSurface);
  const std::uint16_t* greys = is565 ? kGreys565 : kGreys555;
  const int width = r.right - r.left;
  for (int level = 0; level < 6; ++level) {
    // Stars lie at random steps along the rows, the walk carried from one row
    // into the next.
    int next = (plat::rand() & 1023) + 1;
    for (LONG y = r.bottom - 1; y >= r.top; --y) {
      auto* row = reinterpret_cast<std::uint16_t*>(bits + static_cast<std::ptrdiff_t>(y) * desc.lPitch);
      while (next < width) {
        row[r.left + next] = greys[level];
        next += (plat::rand() & 1023) + 1;
      }
      next -= width;
    }
  }
  picture->surface->Unlock(nullptr);

  for (std::uint16_t i = 0; i < placementCount; ++i) {
    const CVNebulaPlacement& p = placements[i];
    if (!p.sprite || !p.sprite->surface) continue;
    int dx = p.left - window.left;
    int dy = p.top - window.top;
    // In a window that wraps, a placement in the wrapped part lies one sky further on.
    if (window.left > window.right && p.left < window.right) dx += kSkyWidth;
    if (window.top > window.bottom && p.top < window.bottom) dy += kSkyHeight;
    const int w = static_cast<int>(std::max<DWORD>(p.sprite->width, kPlacementSize));
    const int h = static_cast<int>(std::max<DWORD>(p.sprite->height, kPlacementSize));
    if (dx >= kWidth || dy >= kHeight || dx + w <= 0 || dy + h <= 0) continue;
    p.sprite->ClipRect(picture, dx, dy, &r);
  }
}

void CVStarField::PaintAll() {
  const RECT whole{0, 0, kWidth, kHeight};
  Paint(&whole);
}

void CVStarField::ClearAndPaint() {
  Clear();
  PaintAll();
}

void CVStarField::ScrollX(float angle) {
  const int px = static_cast<int>(angle * kAngleX);
  window.left = Wrap(window.left - px, kSkyWidth);
  window.right = Wrap(window.right - px, kSkyWidth);
  if (px == 0 || !onFlag) return;
  if (std::fabs(angle) > kWholeRepaintAngle) {
    ClearAndPaint();
    return;
  }
  ScrollBy(px, 0);
}

void CVStarField::ScrollY(float angle) {
  const int py = static_cast<int>(angle * kAngleY);
  window.top = Wrap(window.top - py, kSkyHeight);
  window.bottom = Wrap(window.bottom - py, kSkyHeight);
  if (py == 0 || !onFlag) return;
  if (std::fabs(angle) > kWholeRepaintAngle) {
    ClearAndPaint();
    return;
  }
  ScrollBy(0, py);
}

void CVStarField::ScrollBy(int dx, int dy) {
  if (dx >= 1) {
    ScrollXPos(dx);
    const RECT strip{0, 0, dx, kHeight};
    Paint(&strip);
  } else if (dx < 0) {
    ScrollXNeg(dx);
    const RECT strip{kWidth + dx, 0, kWidth, kHeight};
    Paint(&strip);
  }
  if (dy >= 1) {
    ScrollYPos(dy);
    const RECT strip{0, 0, kWidth, dy};
    Paint(&strip);
  } else if (dy < 0) {
    ScrollYNeg(dy);
    const RECT strip{0, kHeight + dy, kWidth, kHeight};
    Paint(&strip);
  }
}

void CVStarField::WindowFor(std::uint16_t arg, const float forward[3], RECT* out) {
  const double fx = forward[0], fy = forward[1], fz = forward[2];
  double yaw;
  if (std::fabs(fz) < 0.001) {
    yaw = fx >= 0 && fz >= 0 ? kQuarter : -kQuarter;
  } else {
    yaw = std::atan(fx / fz);
    if (fz < 0) {
      if (fx > 0)
        yaw += kHalf;
      else if (fx < 0)
        yaw -= kHalf;
    }
  }
  double offset = arg + 0.7;
  while (offset >= 6.28318) offset -= 6.28318;
  offset = std::max(offset, 0.7);
  yaw -= offset;
  double pitch;
  if (std::fabs(fz) < 0.001) {
    pitch = fy >= 0 && fz >= 0 ? kQuarter : -kQuarter;
  } else {
    pitch = std::min(std::atan(1.58 * fy / fz), kQuarter);
    if (fz < 0) {
      if (fy > 0)
        pitch += kHalf;
      else if (fy < 0)
        pitch -= kHalf;
    }
  }
  const int cx = static_cast<std::uint16_t>(static_cast<int>((kSkyWidth - yaw * kSkyWidth / kPi) / 3));
  const int cy = static_cast<std::uint16_t>(static_cast<int>((kSkyHeight - pitch * kSkyHeight / kPi) / 2));
  out->left = cx - 292 < 0 ? cx - 292 + kSkyWidth : cx - 292;
  out->right = cx + 292 > kSkyWidth ? cx + 292 - kSkyWidth : cx + 292;
  out->top = cy - 183 < 0 ? cy - 183 + kSkyHeight : cy - 183;
  out->bottom = cy + 183 > kSkyHeight ? cy + 183 - kSkyHeight : cy + 183;
}

void CVStarField::Orient(std::uint16_t arg, const float forward[3], const float /*up*/[3], std::uint32_t force) {
  if (!lockFlag) {
    RECT next;
    WindowFor(arg, forward, &next);
    const int dx = Delta(window.left, next.left, kSkyWidth);
    const int dy = Delta(window.top, next.top, kSkyHeight);
    const bool changed = next.left != window.left || next.top != window.top || next.right != window.right ||
                         next.bottom != window.bottom;
    window = next;
    if (changed) {
      if (!onFlag) return;
      if (std::abs(dx) >= kWidth || std::abs(dy) >= kHeight) {
        ClearAndPaint();
      } else {
        // The window's left edge moving right moves the picture left.
        ScrollBy(-dx, -dy);
      }
      return;
    }
  }
  if (force) ClearAndPaint();
}

void CVStarField::Toggle() {
  if (onFlag) {
    onFlag = 0;
    Clear();
  } else {
    onFlag = 1;
    PaintAll();
  }
}
