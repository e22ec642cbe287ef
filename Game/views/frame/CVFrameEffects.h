#pragma once
// The live parts of the screen frame: its small frame animations, the guild
// voices that answer orders, and the row of chapter turn lamps. The state is
// the screen record's (ScreenState) and lives for the program. Game thread only.

#include <array>
#include <cstdint>
#include <string>

#include "Game/views/frame/Voices.h"

class CSprite;

constexpr int kVoiceGuilds = 5;
constexpr std::uint8_t kNoFrameAnimation = 255;
// The idle time that keeps the frame animations off.
constexpr std::uint32_t kFrameAnimationsOff = 0xFFFFFFFF;

// File number by guild and message - 1.
extern const std::array<std::array<std::uint8_t, kVoiceMessages>, kVoiceGuilds> g_voiceTable;
// "voices\g<guild + 1>\<prefix><nn>.wav" of message 1..38 for guild 0..4;
// empty for any other message or guild.
std::string VoiceFileName(int guild, int message);
// Plays a file of the local guild's voice directory at half volume, keeping
// its full path in the screen record's voicePath. 1.
int PlayVoiceFile(const char* name);

struct FrameAnimation {
  std::uint8_t kind = kNoFrameAnimation;
  std::int8_t step = 1;
  std::uint8_t frame = 0;
  std::uint8_t lastFrame = 0;
  std::uint32_t timer = 0;
  CSprite* sprite = nullptr;
  std::uint32_t idle = 0;
  std::uint32_t quota = 30;
  std::uint8_t plateForward = 1;
  std::uint32_t lampFrameState = 0;
};
// Ends the animation in progress; its sprite stays for the next one.
void StopFrameAnimation();
// Makes the animations' sprites and holds their module, so that no start of
// an animation makes a heap call (with the view framework, after its display).
void PrepareFrameAnimations();
// Ends the animation in progress and frees the sprites and the module.
void ReleaseFrameAnimations();

// The left edge of turn lamp `i` in a row of `count` lamps (13 pixels apart,
// centred on the frame's lamp strip).
constexpr int TurnLampX(int i, int count) { return (count % 2 ? 311 : 305) - 6 * count + 13 * i; }
constexpr int kTurnLampY = 471;
