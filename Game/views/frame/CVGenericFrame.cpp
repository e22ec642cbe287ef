// The frame's animations, the guild voices, the chat light and the chapter
// turn lamps, all drawn onto the composition surface.
#include <array>
#include <cstdio>
#include <iterator>
#include <string>

#include "Game/base/GInstData.h"
#include "Game/model/GGameData.h"
#include "Game/model/GLocalChapter.h"
#include "Game/views/frame/CVFrameEffects.h"
#include "Game/views/frame/CVGeneric.h"
#include "Game/views/frame/LocalGuildArt.h"
#include "media/CSndPlay.h"
#include "media/CSprite.h"
#include "platform/core/random.h"
#include "platform/resource/module.h"

using namespace plat;

namespace {

using VoiceTable = std::array<std::array<std::uint8_t, kVoiceMessages>, kVoiceGuilds>;

// Message n is file n, except where a guild has no recording of its own.
constexpr VoiceTable MakeVoiceTable() {
  VoiceTable t{};
  for (auto& guild : t)
    for (int m = 0; m < kVoiceMessages; ++m) guild[static_cast<std::size_t>(m)] = static_cast<std::uint8_t>(m + 1);
  struct Exception {
    int message;
    std::uint8_t files[kVoiceGuilds];
  };
  constexpr Exception kExceptions[] = {
      {21, {21, 20, 21, 21, 21}}, {22, {20, 20, 20, 20, 20}}, {23, {3, 3, 3, 23, 3}},   {26, {26, 25, 26, 25, 26}},
      {27, {27, 25, 26, 27, 25}}, {29, {7, 29, 7, 29, 7}},    {30, {3, 3, 3, 3, 3}},    {32, {32, 32, 3, 32, 32}},
      {33, {3, 33, 33, 33, 33}},  {36, {36, 36, 3, 36, 36}},  {38, {1, 38, 1, 38, 38}},
  };
  for (const Exception& e : kExceptions)
    for (int g = 0; g < kVoiceGuilds; ++g)
      t[static_cast<std::size_t>(g)][static_cast<std::size_t>(e.message - 1)] = e.files[g];
  return t;
}

constexpr char kVoicePrefix[kVoiceGuilds] = {'e', 'd', 'b', 'a', 'c'};

// The frame animations: picture stem, frames shown, size and place.
struct AnimationSpec {
  const char* stem;
  std::uint8_t firstFrame;
  std::uint8_t lastFrame;  // the frame at which it ends
  int width, height, x, y;
};
constexpr AnimationSpec kAnimations[] = {
    {"ahse", 0, 36, 33, 99, 616, 373}, {"tube", 1, 49, 31, 203, 615, 117}, {"plte", 0, 30, 27, 323, 0, 122},
    {"lite", 0, 9, 6, 6, 121, 592},    {"lite", 0, 9, 6, 6, 544, 592},     {"alte", 0, 17, 7, 46, 0, 21},
    {"altf", 0, 17, 7, 46, 793, 21},   {"blnk", 0, 92, 550, 2, 47, 91},
};
constexpr std::uint8_t kPlate = 2;
constexpr std::uint8_t kPlateFrames = 30;
constexpr std::uint32_t kFrameStepMs = 60;
constexpr std::uint32_t kIdleBeforeAnimationMs = 1000;
constexpr int kLampsPerChapterSlot = 5;
constexpr int kLampSize = 6;

std::string GuildArt(const std::string& name) { return std::string(g_instData.GetGuildPath(LocalGuild())) + name; }

// The ".ima" module the large frame animation of kind 0 draws from (the
// others draw from the guild's), held with the sprites below.
HMODULE g_animationModule = nullptr;

// One sprite a kind of frame animation, made with the view framework and kept
// with it, so that an animation's start makes no heap call.
std::array<CSprite*, std::size(kAnimations)> g_animationSprites{};

HMODULE AnimationModule(std::uint8_t kind) { return kind == 0 ? g_animationModule : LocalGuildArtModule(); }

CSprite* MakeAnimationSprite(std::uint8_t kind) {
  const AnimationSpec& shape = kAnimations[kind];
  auto* sprite = new CSprite(SharedScreen().viewDDraw, nullptr, AnimationModule(kind), kNoColourKey,
                             static_cast<DWORD>(shape.width), static_cast<DWORD>(shape.height), shape.x, shape.y, 0);
  if (sprite->surface) return sprite;
  delete sprite;
  return nullptr;
}

// The kind's sprite as a new one would be: blank and with nothing loaded (a
// missing frame then draws as it did on a new sprite). Made again for a
// display or module other than the one it was made for; null when the
// display cannot make it.
CSprite* AnimationSprite(std::uint8_t kind) {
  CSprite*& sprite = g_animationSprites[kind];
  if (sprite && (sprite->owner != SharedScreen().viewDDraw || sprite->module != AnimationModule(kind))) {
    delete sprite;
    sprite = nullptr;
  }
  if (!sprite) return sprite = MakeAnimationSprite(kind);
  DDBLTFX blank;
  blank.dwFillColor = 0;
  sprite->surface->Blt(nullptr, nullptr, nullptr, DDBLT_COLORFILL, &blank);
  sprite->ClearError();
  return sprite;
}

// A guild picture drawn once at its place through a sprite of its own.
void DrawGuildPicture(const char* name, int width, int height, int x, int y) {
  if (!SharedScreen().viewDDraw) return;
  HMODULE module = LocalGuildArtModule();
  const std::string path = GuildArt(name);
  CSprite sprite(SharedScreen().viewDDraw, path.c_str(), module, kNoColourKey, static_cast<DWORD>(width),
                 static_cast<DWORD>(height), x, y, 0);
  sprite.LoadImage(module);
  DrawViewSprite(&sprite, -1, -1, nullptr);
  FlushScreen();
}

int TurnLampRowLength() { return (g_gameData ? g_gameData->chaptersPerGuild : 0) * kLampsPerChapterSlot; }

void DrawTurnLamp(int i, int count, bool lit) {
  DrawViewSprite(lit ? SharedScreen().turnLampOnSprite : SharedScreen().turnLampOffSprite, TurnLampX(i, count),
                 kTurnLampY, nullptr);
}

}  // namespace

const VoiceTable g_voiceTable = MakeVoiceTable();

std::string VoiceFileName(int guild, int message) {
  if (guild < 0 || guild >= kVoiceGuilds || message < 1 || message > kVoiceMessages) return {};
  char name[16];
  std::snprintf(name, sizeof name, "%c%02d.wav", kVoicePrefix[guild],
                g_voiceTable[static_cast<std::size_t>(guild)][static_cast<std::size_t>(message - 1)]);
  return name;
}

int PlayVoiceFile(const char* name) {
  std::string& path = SharedScreen().voicePath;
  path = std::string(g_instData.GetSoundPath()) + "voices\\g" + std::to_string(LocalGuild() + 1) + "\\" +
         (name ? name : "");
  if (g_sndPlay) g_sndPlay->PlayEffect(path.c_str(), 0.5f, 0.0f, 0);
  return 1;
}

// Message 0 names no recording: refused like one above 38. The voices are the
// speech feedback the player's settings switch off, as well as sound effects.
int CVGeneric::PlayVoice(int message) {
  if (!g_sndPlay || !g_sndPlay->soundEnabled || !g_sndPlay->speechEnabled) return 0;
  const std::string name = VoiceFileName(LocalGuild(), message);
  if (name.empty()) return 0;
  return PlayVoiceFile(name.c_str());
}

// `force` draws the light again though it has not changed, and gongs again
// when it is on.
void CVGeneric::SetChatLight(int on, int force) {
  const std::uint32_t state = on ? 1 : 0;
  if (state == SharedScreen().chatLightOn && !force) return;
  SharedScreen().chatLightOn = state;
  if (state && g_sndPlay) g_sndPlay->PlayEffect("Gong.wav", 1.0f, 0.0f, 0);
  DrawGuildPicture(state ? "chtlteon.ima" : "chtlteof.ima", 51, 31, 722, 464);
}

void CVGeneric::DrawTurnLamps() {
  const int n = TurnLampRowLength();
  if (n == 0) return;
  if (SharedScreen().turnLampCount >= n) SharedScreen().turnLampCount = static_cast<std::uint16_t>(n - 1);
  for (int i = 0; i < n; ++i) DrawTurnLamp(i, n, i < SharedScreen().turnLampCount);
  FlushScreen();
}

// One more chapter done lights just its lamp; the row never lights its last
// lamp, so a count that would reach it redraws the row, which holds it back.
void CVGeneric::OnTurnLampPacket(std::span<const std::uint8_t> packet) {
  if (packet.size() < 12) return;
  const auto v = static_cast<std::uint16_t>(packet[10] | packet[11] << 8);
  const bool oneMore = v == SharedScreen().turnLampCount + 1;
  SharedScreen().turnLampCount = v;
  if (!oneMore || v == 1 || v >= TurnLampRowLength()) {
    DrawTurnLamps();
    return;
  }
  DrawTurnLamp(v - 1, TurnLampRowLength(), true);
  FlushScreen();
}

void CVGeneric::SetTurnLampCount(std::uint16_t count) {
  SharedScreen().turnLampCount = count;
  DrawTurnLamps();
}

void CVGeneric::ResetTurnLamps() {
  SharedScreen().turnLampCount = 0;
  const int n = TurnLampRowLength();
  for (int i = 0; i < n; ++i) DrawTurnLamp(i, n, false);
  FlushScreen();
}

int CVGeneric::ShowLampFrame4() {
  if (SharedScreen().frameAnimation.lampFrameState != 0) return 0;
  DrawGuildPicture("frmeanim\\lite0004.ima", kLampSize, kLampSize, 3, 463);
  SharedScreen().frameAnimation.lampFrameState = 1;
  return 1;
}

int CVGeneric::ShowLampFrame8() {
  if (SharedScreen().frameAnimation.lampFrameState != 1) return 0;
  DrawGuildPicture("frmeanim\\lite0008.ima", kLampSize, kLampSize, 3, 463);
  SharedScreen().frameAnimation.lampFrameState = 0;
  return 1;
}

void StopFrameAnimation() {
  FrameAnimation& a = SharedScreen().frameAnimation;
  a.kind = kNoFrameAnimation;
  a.timer = 0;
  a.sprite = nullptr;
}

void PrepareFrameAnimations() {
  if (!g_animationModule) {
    char path[260];
    g_instData.BuildPath(path, "ima.dll", INSTPATH_ART);
    g_animationModule = LoadLibrary(path);
  }
  if (!SharedScreen().viewDDraw) return;
  for (std::uint8_t kind = 0; kind < g_animationSprites.size(); ++kind)
    if (!g_animationSprites[kind]) g_animationSprites[kind] = MakeAnimationSprite(kind);
}

void ReleaseFrameAnimations() {
  StopFrameAnimation();
  for (CSprite*& sprite : g_animationSprites) {
    delete sprite;
    sprite = nullptr;
  }
  if (g_animationModule) FreeLibrary(g_animationModule);
  g_animationModule = nullptr;
}

void CVGeneric::PlayFrameAnimation(std::uint32_t elapsedMs) {
  if (!SharedScreen().infoPanelVisible && SharedScreen().frameAnimationsOn) AnimateFrame(elapsedMs);
}

void CVGeneric::AnimateFrame(std::uint32_t elapsedMs) {
  FrameAnimation& a = SharedScreen().frameAnimation;
  if (a.idle == kFrameAnimationsOff || IsRedrawPending()) return;
  if (a.kind == kNoFrameAnimation) {
    a.idle += elapsedMs;
    if (a.quota != 0) {
      --a.quota;
      if ((plat::rand() & 31) != 0) return;
    }
    if (a.idle < kIdleBeforeAnimationMs) return;
    a.kind = static_cast<std::uint8_t>(a.quota == 0 ? plat::rand() % 3 : 3 + plat::rand() % 5);
    const AnimationSpec& shape = kAnimations[a.kind];
    a.step = 1;
    a.frame = shape.firstFrame;
    a.sprite = SharedScreen().viewDDraw ? AnimationSprite(a.kind) : nullptr;
    a.lastFrame = a.kind == kPlate && !a.plateForward ? 255 : shape.lastFrame;
  }
  a.timer += elapsedMs;
  if (a.timer <= kFrameStepMs) return;
  if (a.kind == kPlate && a.frame == 0 && a.step == 1) {
    if (!a.plateForward) {
      a.step = -1;
      a.frame = kPlateFrames - 1;
    }
    a.plateForward = a.plateForward ? 0 : 1;
  }
  if (a.frame == a.lastFrame || !a.sprite) {
    if (a.quota == 0) a.quota = static_cast<std::uint32_t>(plat::rand() - 1) & 511;
    StopFrameAnimation();
    return;
  }
  // Put together in place: a step of the animation makes no heap call.
  char path[512];
  std::snprintf(path, sizeof path, "%sfrmeanim\\%s00%02u.ima",
                a.kind == 0 ? g_instData.GetArtPath() : g_instData.GetGuildPath(LocalGuild()), kAnimations[a.kind].stem,
                a.frame);
  a.sprite->SetImageName(path);
  a.sprite->LoadImage(a.sprite->module);
  DrawViewSprite(a.sprite, -1, -1, nullptr);
  FlushScreen();
  a.timer = 0;
  a.frame = static_cast<std::uint8_t>(a.frame + a.step);
}
