#pragma once
// 2D pictures moving in steps along straight paths, for the terrain-battle
// replay. A mover cycles through up to 12 frame sprites (not owned) on its
// way from a start to an end point, mirrored to face its direction of
// travel. The list keeps movers in a singly linked chain (never owning
// them) and, at most once per 60 / rate milliseconds of the program's
// monotonic clock, puts the background back, advances and draws every
// mover, and writes a count on groups of labelled movers standing on the
// same spot. Drawing allocates nothing.
//
// Game thread only.

#include <array>
#include <cstdint>

#include "platform/core/types.h"

class CSprite;

class CSpriteMover {
 public:
  static constexpr int kMaxFrames = 12;
  enum State : std::uint16_t { INACTIVE = 0, MOVING = 1, STOPPED = 3 };
  enum Mirror : std::uint16_t { MIRROR_NONE = 0, MIRROR_LEFT_RIGHT = 1, MIRROR_BOTH = 2, MIRROR_UP_DOWN = 3 };
  // The picture a path needs: 0 vertical (facing down), 1 diagonal (facing
  // down and right), 2 horizontal (facing right).
  enum Facing : int { FACING_VERTICAL = 0, FACING_DIAGONAL = 1, FACING_HORIZONTAL = 2 };

  explicit CSpriteMover(std::uint32_t label = 0) : labelFlag(label) {}

  void SetPath(std::int32_t x0, std::int32_t y0, std::int32_t x1, std::int32_t y1, std::int32_t steps);
  // The picture kind for the path, setting the mirror mode that turns it the
  // right way (the differences are taken as 16-bit values).
  int ChooseFacing();
  // The first frame gives the size; frames past 12 are ignored.
  void AddFrame(CSprite* sprite);
  void ClearFrames();
  void Start();
  // Clears the load-error flag of every frame present.
  void ResetFrameSprites();

  CSpriteMover* next = nullptr;
  std::int32_t x = 0, y = 0;
  std::int32_t endX = 0, endY = 0;
  std::int32_t width = 0, height = 0;
  std::int32_t stepsLeft = 0;
  std::uint16_t state = INACTIVE;
  std::uint16_t frameCount = 0;
  std::uint16_t currentFrame = 0;
  std::array<CSprite*, kMaxFrames> frames{};
  std::uint16_t mirror = MIRROR_NONE;
  std::uint32_t labelFlag = 0;
  std::uint32_t counted = 0;
};

class CSpriteMoverList {
 public:
  enum State : std::uint16_t { STOPPED = 0, PAUSED = 1, RUNNING = 2, STARTED = 3 };

  CSpriteMoverList() { Init(); }
  void Init();
  // Forgets the chain; the movers keep their links.
  void Reset() { head = nullptr; }
  CSpriteMover* PushFront(CSpriteMover* mover);
  void Append(CSpriteMover* mover);
  void Remove(CSpriteMover* mover);
  // Unlinks every mover.
  void Clear();
  void Run() { state = RUNNING; }
  void Pause() { state = PAUSED; }
  void Stop() { state = STOPPED; }
  // One animation step onto `target` over `background` (drawn at its own
  // position): 1 when a step was made; 0 when stopped or paused, with rate
  // 0, or before 60 / rate ms have passed since the last step. When no mover
  // is moving after the step the list stops itself.
  int UpdateAndDraw(CSprite* target, CSprite* background);
  // Every shown mover onto `target` where it stands, on its current frame,
  // with the count labels: a screen drawn again keeps the picture. Moves
  // nothing and leaves the list's state alone.
  void Draw(CSprite* target);

  CSpriteMover* head = nullptr;
  std::int16_t rate = 30;
  std::uint32_t lastClock = 0;
  std::uint16_t state = STARTED;

 private:
  static void DrawFrame(const CSpriteMover& mover, CSprite* target);
  void DrawLabels(CSprite* target);
};
