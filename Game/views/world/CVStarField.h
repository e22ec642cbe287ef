#pragma once
// The background of the 3D views: a wrapping sky of 5265 x 3303 pixels with
// scattered grey stars and nebula pictures, of which the 585 x 367 window the
// camera looks at is kept in the back buffer. Turning the camera scrolls the
// back buffer and paints only the strip that came into view; a turn above 0.4
// radians or a jump of a whole view repaints it all. Every random number comes
// from the game's one generator (plat::rand). Game thread only.

#include <cstdint>

#include "Game/views/world/CVBackBuf.h"
#include "platform/core/types.h"

class CSprite;

struct CVNebulaPlacement {
  std::int32_t left = 0;
  std::int32_t top = 0;
  std::int32_t right = 0;   // left + 128
  std::int32_t bottom = 0;  // top + 128
  CSprite* sprite = nullptr;
};

class CVStarField : public CVBackBuf {
 public:
  static constexpr int kSkyWidth = 5265;
  static constexpr int kSkyHeight = 3303;
  static constexpr int kNebulae = 24;
  static constexpr int kInitialLeft = 2340;
  static constexpr int kInitialTop = 1468;

  // placements: how many nebula placements to make (a multiple of 24 places
  // each picture that many times over); with `on` the window is painted now.
  CVStarField(CDDraw* ddraw, CSprite* screenSprite, std::uint16_t placements, std::uint32_t on, int flag);
  ~CVStarField();

  // The camera turned by angle radians about its up (X) or right (Y) axis.
  void ScrollX(float angle);
  void ScrollY(float angle);
  // Follows the camera's orientation (unless locked); force repaints the whole
  // window when it did not move.
  void Orient(std::uint16_t arg, const float forward[3], const float up[3], std::uint32_t force);
  void Toggle();
  // Paints stars and nebulae into the rectangle of the back buffer (nothing
  // while off; a missing rectangle is refused).
  void Paint(const plat::RECT* rect);
  void PaintAll();

  // The window for a camera looking along `forward` (arg as Orient's).
  static void WindowFor(std::uint16_t arg, const float forward[3], plat::RECT* out);

  CVNebulaPlacement* placements = nullptr;
  std::uint16_t placementRoom = 0;
  std::uint32_t lockFlag = 0;
  std::uint32_t onFlag = 0;
  plat::RECT window{kInitialLeft, kInitialTop, kInitialLeft + kWidth, kInitialTop + kHeight};
  CSprite* nebulae[kNebulae] = {};
  std::uint16_t placementCount = 0;

 private:
  void BuildPlacements(CDDraw* ddraw, std::uint16_t count);
  void ClearAndPaint();
  // Moves the picture by (dx, dy) pixels and paints what came into view.
  void ScrollBy(int dx, int dy);
};
