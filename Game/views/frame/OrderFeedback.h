#pragma once
// What the order modes and order menus share: the model's look-ups as the
// views make them, the held keys, and the status-line texts by ID. Game
// thread only.

#include <cstddef>
#include <cstdint>

class CGUnit;
class CGAsteroid;
class CVGeneric;

namespace orders {

// Status-line texts are fetched into 255 bytes; two short ones into 128.
constexpr std::size_t kTextSize = 255;
constexpr std::size_t kShortTextSize = 128;
// How long order messages stay in the status line.
constexpr int kStatusTime = 26;

// No template slot picked.
constexpr std::uint32_t kNoTemplateSlot = 255;

bool CtrlHeld();
bool ShiftHeld();
// 2 (appended) with Ctrl held, else 1 (replacing the queue).
std::uint8_t InsertMode();

// A unit at `asteroid` first (0xFFFF: none), else anywhere; null when none.
CGUnit* FindUnitNear(std::uint16_t asteroid, std::uint32_t id);
CGAsteroid* FindAsteroid(std::uint32_t index);
// The solar-space location (the asteroid count).
std::uint16_t SolarSpace();
std::uint32_t SelectionCount();

// The text of `id` in the status line; with `voice` nonzero that guild voice first.
void Tell(CVGeneric& view, const char* id, int voice = 0, std::size_t size = kTextSize);
// Ends the pending mode (the selection stays).
void ResetMode();

}  // namespace orders
