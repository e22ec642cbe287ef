// The asteroid-space view's saved block, camera-mode ring, weapon-dash
// colours and packed coordinates: plain values, no view needed.
#include <cmath>

#include "Game/views/space/CVAstSpace.h"

namespace {

constexpr std::uint8_t kBlockVersion = 1;
constexpr std::uint8_t kValidityByte = 0xFE;
constexpr double kPackScale = 0.0030518;
constexpr int kFilterCount = 6;

void PutU16(std::uint8_t* p, std::uint16_t v) {
  p[0] = static_cast<std::uint8_t>(v);
  p[1] = static_cast<std::uint8_t>(v >> 8);
}
std::uint16_t GetU16(const std::uint8_t* p) { return static_cast<std::uint16_t>(p[0] | (p[1] << 8)); }

}  // namespace

std::vector<std::uint8_t> BuildAstSpaceBlock(const AstSpaceBlock& b) {
  std::vector<std::uint8_t> out(kAstSpaceBlockSize, 0);
  out[0] = kBlockVersion;
  out[1] = b.cameraMode;
  PutU16(&out[2], b.asteroid);
  PutU16(&out[4], b.filterMask);
  PutU16(&out[6], b.filterChapter);
  for (int i = 0; i < 4; ++i) out[8 + i] = static_cast<std::uint8_t>(b.filterInverted >> (8 * i));
  out[12] = kValidityByte;
  return out;
}

bool ParseAstSpaceBlock(std::span<const std::uint8_t> bytes, AstSpaceBlock* out) {
  if (bytes.size() < kAstSpaceBlockSize || bytes[12] != kValidityByte || !out) return false;
  AstSpaceBlock b;
  b.cameraMode = bytes[1];
  if (b.cameraMode < 1 || b.cameraMode > 4) return false;
  b.asteroid = GetU16(&bytes[2]);
  b.filterMask = GetU16(&bytes[4]);
  if (b.filterMask != 0 && ((b.filterMask & (b.filterMask - 1)) != 0 || b.filterMask >= (1u << kFilterCount)))
    return false;
  b.filterChapter = GetU16(&bytes[6]);
  b.filterInverted = 0;
  for (int i = 3; i >= 0; --i) b.filterInverted = (b.filterInverted << 8) | bytes[8 + i];
  b.filterInverted = b.filterInverted ? 1 : 0;
  *out = b;
  return true;
}

int NextAstCameraMode(int mode, int direction) {
  // Forward: 1 -> 4 -> 2 -> 3 -> 1.
  static constexpr int kForward[5] = {0, 4, 3, 1, 2};
  static constexpr int kBackward[5] = {0, 3, 4, 2, 1};
  if (mode < 1 || mode > 4) return mode;
  return direction ? kForward[mode] : kBackward[mode];
}

plat::COLORREF WeaponDashColour(const WeaponDashCase& c) {
  if (c.outOfMaxRange) return c.bright ? 0x969696 : 0x646464;
  if (c.destroyed) return c.bright ? 0x0000FF : 0x0000A0;
  if (c.unpowered) return c.bright ? 0xFF0000 : 0x800000;
  if (c.withinEffective) return c.bright ? 0x00FF00 : 0x008000;
  return c.bright ? 0x00FFFF : 0x008080;
}

double PackedToWorld(std::int16_t v) { return 1000.0 + (v + 32767) * kPackScale; }

std::int16_t WorldToPacked(double w) {
  double v = -32767.0 - std::trunc((w - 1000.0) * -327.67547021429976);
  if (!std::isfinite(v)) v = 0.0;
  if (v < -32767.0) v = -32767.0;
  if (v > 32767.0) v = 32767.0;
  return static_cast<std::int16_t>(v);
}
