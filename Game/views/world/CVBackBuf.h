#pragma once
// The off-screen picture behind the 3D viewport (585 x 367) that the star
// field draws into, scrolls and copies to the screen. A back buffer whose
// picture could not be made ignores every operation. Game thread only.

#include "platform/core/types.h"

class CDDraw;
class CSprite;

class CVBackBuf {
 public:
  static constexpr int kWidth = 585;
  static constexpr int kHeight = 367;

  // atViewport: copy to the viewport's place (29, 98) of the target rather than (0, 0).
  CVBackBuf(CDDraw* owner, CSprite* target, int atViewport);
  ~CVBackBuf();
  CVBackBuf(const CVBackBuf&) = delete;
  CVBackBuf& operator=(const CVBackBuf&) = delete;

  void ReleaseSprite();
  void Clear();
  void BltToSurface();
  // Scrolls by n pixels; a whole width or height or more does nothing, and so
  // does a negative n in the positive directions (and the reverse).
  void ScrollXPos(int n);
  void ScrollXNeg(int n);
  void ScrollYPos(int n);
  void ScrollYNeg(int n);

  CSprite* target = nullptr;
  CSprite* picture = nullptr;
  plat::DWORD atViewport = 0;
  plat::DWORD is565 = 0;
};
