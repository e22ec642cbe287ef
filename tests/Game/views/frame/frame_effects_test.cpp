// The screen's later parts over a headless display: help texts from their
// resources, the back buffer's scroll bounds, the control panel's button sets,
// the status line, guild voices, turn lamps, chat light and frame animations.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <memory>
#include <new>
#include <set>
#include <string>
#include <vector>

#include "Game/app/AppGlobals.h"
#include "Game/base/GInstData.h"
#include "Game/model/GChapter.h"
#include "Game/model/GGameData.h"
#include "Game/panels/CInfoPanel.h"
#include "Game/views/frame/CHelpLibrary.h"
#include "Game/views/frame/CVFrameEffects.h"
#include "Game/views/frame/CVGeneric.h"
#include "Game/views/world/CVBackBuf.h"
#include "media/CDDraw.h"
#include "media/CImageButton.h"
#include "media/CSndPlay.h"
#include "media/CSprite.h"
#include "platform/backend/headless.h"
#include "platform/core/clock.h"
#include "platform/core/dospath.h"
#include "platform/core/random.h"
#include "platform/core/registry.h"
#include "platform/dialog/commctrl.h"
#include "platform/display/audio.h"
#include "platform/resource/module.h"
#include "platform/user/focus.h"
#include "platform/user/system.h"
#include "platform/user/window.h"
#include "tests/Game/views/frame/view_screen.h"
#include "tests/support/plain_window.h"
#include "tools/rc/moduleimage.h"

namespace {

using namespace plat;

std::vector<std::uint8_t> HelpResource(std::uint32_t length, const std::string& text) {
  std::vector<std::uint8_t> r(4 + text.size());
  for (std::size_t i = 0; i < 4; ++i) r[i] = static_cast<std::uint8_t>(length >> (8 * i));
  for (std::size_t i = 0; i < text.size(); ++i) r[4 + i] = static_cast<std::uint8_t>(text[i]);
  return r;
}

TEST(HelpTopicText, TheStoredTextGainsALineFeedAndDamagedResourcesGiveNoneOrWhatTheyHold) {
  const std::string topic = "End turn\n\nSends your orders.";
  EXPECT_EQ(HelpTopicText(HelpResource(static_cast<std::uint32_t>(topic.size()), topic)), topic + "\n");
  // A shorter length cuts the text; a NUL ends it early.
  EXPECT_EQ(HelpTopicText(HelpResource(8, topic)), "End turn\n");
  EXPECT_EQ(HelpTopicText(HelpResource(12, std::string("Ab\0cd", 5))), "Ab\n");
  // A length of 0 shows no help; too short for the length field neither.
  EXPECT_EQ(HelpTopicText(HelpResource(0, topic)), std::nullopt);
  EXPECT_EQ(HelpTopicText(std::vector<std::uint8_t>{5, 0, 0}), std::nullopt);
  EXPECT_EQ(HelpTopicText({}), std::nullopt);
  // A length beyond the resource reads only the resource's own bytes.
  EXPECT_EQ(HelpTopicText(HelpResource(0xFFFFFFFF, "Short")), "Short\n");
  EXPECT_EQ(HelpTopicText(HelpResource(1, "")), "\n");
}

TEST(HelpLibrary, WithoutTheModuleEveryTopicIsMissingAndShowingOneIsQuiet) {
  CHelpLibrary help;
  if (help.module) GTEST_SKIP() << "an installed help.dll was found";
  EXPECT_EQ(help.LoadTopicText(201), std::nullopt);
  EXPECT_EQ(help.ShowTopic(nullptr, nullptr, nullptr, 201, 0, 0, 0), 1);
}

TEST(HelpLibrary, TopicsAreFoundByNumberInTheModule) {
  CHelpLibrary help;
  if (help.module) FreeLibrary(help.module);
  const std::string text = "Info panel\r\n\r\nShows the chapter's state.";
  const auto image = rc::WriteModuleImage({
      {ResName("HELP"), ResName(308), rc::kDefaultLanguage,
       HelpResource(static_cast<std::uint32_t>(text.size()), text)},
      {ResName("HELP"), ResName(309), rc::kDefaultLanguage, HelpResource(0, "unused")},
      {ResName("HELP"), ResName(310), rc::kDefaultLanguage, HelpResource(400, "Cut short")},
  });
  help.module = LoadLibraryFromMemory(image);
  ASSERT_NE(help.module, nullptr);
  EXPECT_EQ(help.LoadTopicText(308), text + "\n");
  EXPECT_EQ(help.LoadTopicText(309), std::nullopt);
  EXPECT_EQ(help.LoadTopicText(310), "Cut short\n");
  EXPECT_EQ(help.LoadTopicText(311), std::nullopt);
  EXPECT_EQ(help.ShowTopic(nullptr, nullptr, nullptr, 309, 0, 0, 0), 1);
}

TEST(TurnLampRow, EveryRowFromOneToEightChaptersFitsTheFrameWithoutOverlap) {
  EXPECT_EQ(TurnLampX(0, 5), 281);
  EXPECT_EQ(TurnLampX(0, 10), 245);
  EXPECT_EQ(TurnLampX(0, 40), 65);
  for (int chapters = 1; chapters <= 8; ++chapters) {
    const int n = 5 * chapters;
    EXPECT_GE(TurnLampX(0, n), 29) << chapters;
    EXPECT_LE(TurnLampX(n - 1, n) + 6, 615) << chapters;
    for (int i = 1; i < n; ++i) EXPECT_EQ(TurnLampX(i, n) - TurnLampX(i - 1, n), 13);
  }
}

// The sixteen-bit pixel at (x, y) of a sprite.
std::uint16_t At(CSprite* s, int x, int y) {
  auto v = s->surface->Pixels();
  return reinterpret_cast<const std::uint16_t*>(v.bits + static_cast<std::ptrdiff_t>(y) * v.pitch)[x];
}

class TestView : public CVGeneric {
 public:
  TestView(ViewType type, HWND window, HINSTANCE instance) : CVGeneric(window, instance), type(type) {}
  ViewType GetViewType() const override { return type; }
  void GoToView(WPARAM a, LPARAM b) override { log.push_back("go " + std::to_string(a) + " " + std::to_string(b)); }
  void OnReplayModeEntered() override { log.push_back("entered"); }
  void OnReplayModeLeft() override { log.push_back("left"); }
  void OnStatusTextChanged() override { log.push_back("status"); }
  int IsRedrawPending() override { return redrawPending; }
  LRESULT OnCommand(std::uint32_t id) override {
    log.push_back("command " + std::to_string(id));
    return 0;
  }
  ViewType type;
  int redrawPending = 0;
  std::vector<std::string> log;
};

class FrameEffects : public testing::Test, protected views_test::ViewScreen {
 protected:
  void SetUp() override {
    OpenViewScreen("FrameEffectsMain");
    SharedScreen().gotoGroup = 0;
    SharedScreen().infoPanelVisible = 0;
    SharedScreen().replayMode = 0;
    SharedScreen().futureView = 0;
    SharedScreen().futureViewState = 0;
    SharedScreen().frameAnimationsOn = 1;
    SharedScreen().statusText.clear();
    SharedScreen().statusShown = 0;
    SharedScreen().frameAnimation = FrameAnimation{};
  }
  void TearDown() override {
    view.reset();
    StopFrameAnimation();
    CloseViewScreen();
  }
  TestView& Make(ViewType type = VIEW_SOLAR) {
    view = std::make_unique<TestView>(type, window, program);
    SuspendScreenFlush(0);
    FlushScreen();
    return *view;
  }
  static std::set<std::uint32_t> Shown() {
    std::set<std::uint32_t> ids;
    for (std::uint32_t id = 100; id < 280; ++id)
      if (CImageButton* b = CVGeneric::ControlButton(id); b && IsWindowVisible(b->window)) ids.insert(id);
    return ids;
  }
  std::unique_ptr<TestView> view;
};

TEST_F(FrameEffects, BackBufferScrollsLessThanAWholeSideAndNeverByAmountsOfTheWrongSign) {
  Make();
  CVBackBuf back(SharedScreen().viewDDraw, SharedScreen().screenSprite, 1);
  ASSERT_NE(back.picture, nullptr);
  EXPECT_EQ(back.picture->width, 585u);
  EXPECT_EQ(back.picture->height, 367u);
  EXPECT_EQ(At(back.picture, 0, 0), 0);  // cleared at start
  const RECT firstColumn{0, 0, 1, 367};
  const auto paint = [&] {
    back.picture->FillSurface(RGB(0, 0, 0), nullptr);
    back.picture->FillSurface(RGB(255, 0, 0), &firstColumn);
  };
  paint();
  back.ScrollXPos(585);
  back.ScrollXPos(-5);
  back.ScrollXNeg(5);
  back.ScrollXNeg(-585);
  EXPECT_EQ(At(back.picture, 0, 10), 0xF800);
  back.ScrollXPos(584);
  EXPECT_EQ(At(back.picture, 584, 10), 0xF800);
  EXPECT_EQ(At(back.picture, 0, 10), 0);
  back.ScrollXNeg(-584);
  EXPECT_EQ(At(back.picture, 0, 10), 0xF800);

  const RECT firstRow{0, 0, 585, 1};
  back.picture->FillSurface(RGB(0, 0, 0), nullptr);
  back.picture->FillSurface(RGB(0, 0, 255), &firstRow);
  back.ScrollYPos(367);
  back.ScrollYNeg(-367);
  back.ScrollYPos(-1);
  EXPECT_EQ(At(back.picture, 3, 0), 0x001F);
  back.ScrollYPos(366);
  EXPECT_EQ(At(back.picture, 3, 366), 0x001F);
  back.ScrollYNeg(-366);
  EXPECT_EQ(At(back.picture, 3, 0), 0x001F);

  // The copy lands at the viewport's place of the target.
  back.BltToSurface();
  EXPECT_EQ(At(SharedScreen().screenSprite, 29 + 3, 98), 0x001F);
  back.ReleaseSprite();
  back.ScrollXPos(3);  // ignored without a picture
  back.BltToSurface();
}

TEST_F(FrameEffects, TheControlPanelShowsTheSetOfEachState) {
  TestView& v = Make();
  const std::set<std::uint32_t> normal{101, 111, 130, 131, 132};
  v.UpdateControlPanel();
  EXPECT_EQ(Shown(), normal);

  std::set<std::uint32_t> withPanels = normal;
  for (std::uint32_t id = 260; id <= 271; ++id) withPanels.insert(id);
  v.SetInfoPanelVisible(1);
  EXPECT_EQ(Shown(), withPanels);
  v.SetInfoPanelVisible(0);
  EXPECT_EQ(Shown(), normal);
  // The switch tells the view first.
  v.ToggleInfoPanel();
  EXPECT_EQ(SharedScreen().infoPanelVisible, 1u);
  EXPECT_EQ(Shown(), withPanels);
  v.ToggleInfoPanel();
  EXPECT_EQ(Shown(), normal);
  EXPECT_EQ(v.log, (std::vector<std::string>{"command 161", "command 161"}));

  // The future view replaces the normal buttons in the solar view only,
  // unless the info panel is shown.
  SharedScreen().futureView = 1;
  v.UpdateControlPanel();
  EXPECT_EQ(Shown(), (std::set<std::uint32_t>{130, 163, 164, 165, 166}));
  SharedScreen().futureViewState = 2;
  v.UpdateControlPanel();
  EXPECT_EQ(Shown(), (std::set<std::uint32_t>{130, 162, 164, 165, 166}));
  v.type = VIEW_TERRAIN;
  v.UpdateControlPanel();
  EXPECT_EQ(Shown(), normal);
  v.SetInfoPanelVisible(1);
  EXPECT_TRUE(Shown().contains(162));
  EXPECT_TRUE(Shown().contains(271));
  EXPECT_FALSE(Shown().contains(111));
}

TEST_F(FrameEffects, ShowingOrHidingTheInfoPanelLeavesNoHotSpotOfThePageDrawnBefore) {
  TestView& v = Make();
  ASSERT_NE(SharedScreen().infoPanel, nullptr);
  const auto stale = [] {
    SharedScreen().infoPanel->hotSpots[0] = {40, 40, 120, 60};
    SharedScreen().infoPanel->hotSpotCount = kInfoHotSpots;
  };
  stale();
  v.ToggleInfoPanel();
  EXPECT_EQ(SharedScreen().infoPanel->OnMouseMove(50, 50), 0) << "shown";
  stale();
  v.ToggleInfoPanel();
  EXPECT_EQ(SharedScreen().infoPanel->hotSpots[0].left, -1) << "hidden";
  stale();
  v.SetInfoPanelVisible(1);
  EXPECT_EQ(SharedScreen().infoPanel->OnMouseMove(50, 50), 0);
  stale();
  v.SetInfoPanelVisible(0);
  EXPECT_EQ(SharedScreen().infoPanel->hotSpots[0].left, -1);
}

TEST_F(FrameEffects, ReplayShowsPlayWhilePausedAndPauseWhilePlayingAndLeavingSwitchesBackUnlessASpaceReplay) {
  TestView& v = Make(VIEW_SPACE_REPLAY);
  v.EnterReplayMode();
  EXPECT_EQ(SharedScreen().replayMode, 2);
  EXPECT_EQ(Shown(), (std::set<std::uint32_t>{130, 200, 201, 202, 203}));
  v.EnterReplayMode();  // once only
  EXPECT_EQ(v.log, (std::vector<std::string>{"entered"}));
  v.UpdateControlPanel();
  EXPECT_EQ(Shown(), (std::set<std::uint32_t>{130, 201, 202, 203, 204}));
  SharedScreen().replayMode = 1;
  v.UpdateControlPanel();
  EXPECT_EQ(Shown(), (std::set<std::uint32_t>{130, 200, 201, 202, 203}));

  v.LeaveReplayMode(1);
  EXPECT_EQ(SharedScreen().replayMode, 0);
  EXPECT_FALSE(Shown().contains(200));
  EXPECT_TRUE(Shown().contains(111));
  EXPECT_EQ(v.log, (std::vector<std::string>{"entered", "left"}));
  v.type = VIEW_SOLAR;
  v.LeaveReplayMode(1);
  EXPECT_EQ(v.log.back(), "go 1 " + std::to_string(0xFFFFFFFFu));
  EXPECT_EQ(v.log.size(), 3u);  // not in replay: nothing left a second time
}

TEST_F(FrameEffects, TheStatusLineIsGreenUpperCaseAndOnlyWhileItsTimeLasts) {
  TestView& v = Make();
  const RECT line{29, 98, 614, 130};
  const auto clear = [&] { SharedScreen().screenSprite->FillSurface(RGB(0, 0, 0), &line); };
  const auto pixels = [&] {
    std::vector<std::uint16_t> p;
    for (int y = line.top; y < line.bottom; ++y)
      for (int x = line.left; x < line.right; ++x) p.push_back(At(SharedScreen().screenSprite, x, y));
    return p;
  };
  clear();
  v.SetStatusText("target acquired", 0);
  v.DrawStatusText();
  const auto blank = pixels();
  v.SetStatusText("target acquired", 26);
  EXPECT_EQ(SharedScreen().statusShown, 26);
  EXPECT_EQ(v.log, (std::vector<std::string>{"status", "status"}));
  v.DrawStatusText();
  const auto lower = pixels();
  EXPECT_NE(lower, blank);
  std::set<std::uint16_t> colours(lower.begin(), lower.end());
  EXPECT_TRUE(colours.contains(0x07E0));
  for (std::uint16_t c : colours) EXPECT_EQ(c & 0xF81F, 0) << c;  // green alone
  clear();
  v.SetStatusText("TARGET ACQUIRED", 26);
  v.DrawStatusText();
  EXPECT_EQ(pixels(), lower);
}

class FrameSounds : public FrameEffects {
 protected:
  void SetUp() override {
    FrameEffects::SetUp();
    g_sndPlay = &sound;
    sound.speechEnabled = 1;
  }
  void TearDown() override {
    g_sndPlay = nullptr;
    FrameEffects::TearDown();
  }
  CSndPlay sound;
};

TEST_F(FrameSounds, EveryGuildAndMessageSpeaksItsFileAndMessageZeroNone) {
  TestView& v = Make();
  // Files that differ from the message's own number: message, then the file per guild.
  const std::vector<std::pair<int, std::array<int, 5>>> shared{
      {21, {21, 20, 21, 21, 21}}, {22, {20, 20, 20, 20, 20}}, {23, {3, 3, 3, 23, 3}},  {26, {26, 25, 26, 25, 26}},
      {27, {27, 25, 26, 27, 25}}, {29, {7, 29, 7, 29, 7}},    {30, {3, 3, 3, 3, 3}},   {32, {32, 32, 3, 32, 32}},
      {33, {3, 33, 33, 33, 33}},  {36, {36, 36, 3, 36, 36}},  {38, {1, 38, 1, 38, 38}}};
  const char prefix[] = "edbac";
  int played = 0;
  for (int guild = 0; guild < 5; ++guild) {
    g_gameData->localChapterId = static_cast<std::uint16_t>(guild * 8 + 2);
    for (int message = 1; message <= 38; ++message) {
      int file = message;
      for (const auto& [m, files] : shared)
        if (m == message) file = files[static_cast<std::size_t>(guild)];
      char expected[32];
      std::snprintf(expected, sizeof expected, "voices\\g%d\\%c%02d.wav", guild + 1, prefix[guild], file);
      ASSERT_EQ(v.PlayVoice(message), 1);
      EXPECT_TRUE(SharedScreen().voicePath.ends_with(expected)) << SharedScreen().voicePath << " " << expected;
      ++played;
    }
    SharedScreen().voicePath.clear();
    EXPECT_EQ(v.PlayVoice(0), 0);
    EXPECT_EQ(v.PlayVoice(39), 0);
    EXPECT_EQ(SharedScreen().voicePath, "");
  }
  EXPECT_EQ(played, 190);
  // Speech feedback off silences the voices while effects still play.
  sound.speechEnabled = 0;
  EXPECT_EQ(v.PlayVoice(1), 0);
  EXPECT_EQ(SharedScreen().voicePath, "");
  sound.speechEnabled = 1;
  sound.soundEnabled = 0;
  EXPECT_EQ(v.PlayVoice(1), 0);
}

// What a voice says reaches the mix: the recording of the sound output
// holds it, well above silence, and only after it is spoken.
TEST_F(FrameSounds, AVoiceIsHeardInTheMix) {
  TestView& v = Make();
  auto* out = dynamic_cast<plat::MemoryAudioOutput*>(&plat::CurrentAudioOutput());
  ASSERT_NE(out, nullptr);
  auto peak = [&] {
    int most = 0;
    for (std::int16_t s : out->Captured()) most = std::max(most, std::abs(static_cast<int>(s)));
    return most;
  };
  // The voices as the data build lays them out, through the installation's
  // own settings.
  const std::filesystem::path build = QUEN_BUILD_DIR;
  plat::SetDrive('C', build / "gamedata/c");
  plat::SetRegistryFile(build / "gamedata/config/registry.reg");
  g_instData.~CInstData();
  new (&g_instData) CInstData();
  ASSERT_EQ(sound.Init(nullptr, 0, 3, 1), 1);  // no music, loudest effects
  out->StartCapture(plat::kAudioRate * 2);
  plat::Sleep(300);
  EXPECT_EQ(peak(), 0);
  ASSERT_EQ(v.PlayVoice(1), 1);
  plat::Sleep(1500);
  EXPECT_GT(peak(), 2000) << SharedScreen().voicePath;
  plat::ResetRegistryFile();
  plat::ClearDrives();
  g_instData.~CInstData();
  new (&g_instData) CInstData();
}

TEST_F(FrameSounds, TheChatLightDrawsOnAChangeOrWhenForced) {
  TestView& v = Make();
  ASSERT_EQ(SharedScreen().chatLightOn, 0u);
  SuspendScreenFlush(1);  // the dirty rectangle then shows what was drawn
  v.SetChatLight(0, 0);
  EXPECT_EQ(SharedScreen().dirtyRect.right, 0);
  v.SetChatLight(1, 0);
  EXPECT_EQ(SharedScreen().chatLightOn, 1u);
  EXPECT_EQ(SharedScreen().dirtyRect.left, 722);
  EXPECT_EQ(SharedScreen().dirtyRect.top, 464);
  EXPECT_EQ(SharedScreen().dirtyRect.right, 773);
  EXPECT_EQ(SharedScreen().dirtyRect.bottom, 495);
  SharedScreen().dirtyRect = {};
  v.SetChatLight(1, 0);
  EXPECT_EQ(SharedScreen().dirtyRect.right, 0);
  v.SetChatLight(1, 1);
  EXPECT_EQ(SharedScreen().dirtyRect.right, 773);
}

class TurnLamps : public FrameEffects {
 protected:
  // Lamps of known colours: red lit, blue unlit.
  void Lamps() {
    delete SharedScreen().turnLampOnSprite;
    delete SharedScreen().turnLampOffSprite;
    SharedScreen().turnLampOnSprite = new CSprite(SharedScreen().viewDDraw, nullptr, kNoColourKey, 6, 6, 0, 0, 0);
    SharedScreen().turnLampOffSprite = new CSprite(SharedScreen().viewDDraw, nullptr, kNoColourKey, 6, 6, 0, 0, 0);
    SharedScreen().turnLampOnSprite->FillSurface(RGB(255, 0, 0), nullptr);
    SharedScreen().turnLampOffSprite->FillSurface(RGB(0, 0, 255), nullptr);
  }
  std::string Row(int n) {
    std::string s;
    for (int i = 0; i < n; ++i) {
      const std::uint16_t p = At(SharedScreen().screenSprite, TurnLampX(i, n) + 2, kTurnLampY + 2);
      s += p == 0xF800 ? 'o' : p == 0x001F ? '.' : '?';
    }
    return s;
  }
  static std::vector<std::uint8_t> Packet(std::uint16_t count) {
    std::vector<std::uint8_t> p(12, 0);
    p[10] = static_cast<std::uint8_t>(count);
    p[11] = static_cast<std::uint8_t>(count >> 8);
    return p;
  }
};

TEST_F(TurnLamps, AFullRowNeverLightsItsLastLampForAnyChapterCount) {
  TestView& v = Make();
  Lamps();
  for (int chapters = 1; chapters <= 8; ++chapters) {
    g_gameData->chaptersPerGuild = static_cast<std::uint8_t>(chapters);
    const int n = 5 * chapters;
    SharedScreen().screenSprite->FillSurface(RGB(0, 0, 0), nullptr);
    v.SetTurnLampCount(2);
    EXPECT_EQ(Row(n), "oo" + std::string(static_cast<std::size_t>(n - 2), '.')) << chapters;
    v.SetTurnLampCount(static_cast<std::uint16_t>(n + 7));
    EXPECT_EQ(SharedScreen().turnLampCount, n - 1);
    EXPECT_EQ(Row(n), std::string(static_cast<std::size_t>(n - 1), 'o') + ".") << chapters;
    v.ResetTurnLamps();
    EXPECT_EQ(SharedScreen().turnLampCount, 0);
    EXPECT_EQ(Row(n), std::string(static_cast<std::size_t>(n), '.')) << chapters;
  }
}

TEST_F(TurnLamps, OneMoreLightsOnlyItsLampAndThePacketKeepsTheRowsBound) {
  TestView& v = Make();
  Lamps();
  g_gameData->chaptersPerGuild = 1;
  v.SetTurnLampCount(1);
  // A lamp drawn wrongly by hand stays unless the row is redrawn.
  DrawViewSprite(SharedScreen().turnLampOnSprite, TurnLampX(4, 5), kTurnLampY, nullptr);
  v.OnTurnLampPacket(Packet(2));
  EXPECT_EQ(Row(5), "oo..o");
  v.OnTurnLampPacket(Packet(3));
  EXPECT_EQ(Row(5), "ooo.o");
  v.OnTurnLampPacket(Packet(1));  // any other change redraws the row
  EXPECT_EQ(Row(5), "o....");
  v.OnTurnLampPacket(Packet(2));
  v.OnTurnLampPacket(Packet(3));
  v.OnTurnLampPacket(Packet(4));
  EXPECT_EQ(Row(5), "oooo.");
  // One more past the row's end: the row as a full redraw shows it.
  v.OnTurnLampPacket(Packet(5));
  EXPECT_EQ(SharedScreen().turnLampCount, 4);
  EXPECT_EQ(Row(5), "oooo.");
  v.OnTurnLampPacket(std::vector<std::uint8_t>(11, 0));  // short: ignored
  EXPECT_EQ(SharedScreen().turnLampCount, 4);
}

TEST_F(TurnLamps, TheLampFramePicturesAlternate) {
  TestView& v = Make();
  EXPECT_EQ(v.ShowLampFrame8(), 0);
  EXPECT_EQ(v.ShowLampFrame4(), 1);
  EXPECT_EQ(v.ShowLampFrame4(), 0);
  EXPECT_EQ(v.ShowLampFrame8(), 1);
  EXPECT_EQ(v.ShowLampFrame8(), 0);
}

TEST_F(FrameEffects, ThePlateRunsForwardThenBackwardAndAnIdleTimeOfMinusOneHoldsEverything) {
  TestView& v = Make();
  plat::srand(7);
  FrameAnimation& a = SharedScreen().frameAnimation;
  v.AnimateFrame(999);
  EXPECT_EQ(a.kind, kNoFrameAnimation);  // a second of idle comes first
  std::vector<std::vector<int>> plates;
  std::vector<int> current;
  for (int i = 0; i < 5000 && plates.size() < 2; ++i) {
    if (a.kind == kNoFrameAnimation) a.quota = 0;  // a large one next
    const std::uint8_t before = a.kind;
    v.AnimateFrame(61);
    if (a.kind == 2) {
      current.push_back(static_cast<std::uint8_t>(a.frame - a.step));
    } else if (before == 2) {
      plates.push_back(current);
      current.clear();
    }
  }
  ASSERT_EQ(plates.size(), 2u);
  std::vector<int> forward(30);
  for (int i = 0; i < 30; ++i) forward[static_cast<std::size_t>(i)] = i;
  EXPECT_EQ(plates[0], forward);
  EXPECT_EQ(plates[1], std::vector<int>(forward.rbegin(), forward.rend()));

  // Steps come only after more than 60 ms.
  a.quota = 0;
  while (a.kind == kNoFrameAnimation) v.AnimateFrame(61);
  const std::uint8_t frame = a.frame;
  v.AnimateFrame(30);
  v.AnimateFrame(30);
  EXPECT_EQ(a.frame, frame);
  v.AnimateFrame(1);
  EXPECT_NE(a.frame, frame);

  const std::uint8_t held = a.frame;
  a.idle = kFrameAnimationsOff;
  for (int i = 0; i < 10; ++i) v.AnimateFrame(100);
  EXPECT_EQ(a.frame, held);
  v.redrawPending = 1;
  a.idle = 0;
  v.AnimateFrame(100);
  EXPECT_EQ(a.frame, held);
  // With the info panel shown the views' slot plays nothing.
  v.redrawPending = 0;
  SharedScreen().infoPanelVisible = 1;
  v.PlayFrameAnimation(100);
  EXPECT_EQ(a.frame, held);
  SharedScreen().infoPanelVisible = 0;
  v.PlayFrameAnimation(100);
  EXPECT_NE(a.frame, held);
}

}  // namespace

namespace {

// What a frame animation's sprite holds, row by row.
std::vector<std::uint16_t> SpritePixels(CSprite* s) {
  std::vector<std::uint16_t> out;
  for (int y = 0; y < static_cast<int>(s->height); ++y)
    for (int x = 0; x < static_cast<int>(s->width); ++x) out.push_back(At(s, x, y));
  return out;
}

TEST_F(FrameEffects, EachKindOfAnimationRunsAgainOnItsOwnSpriteBlankAtTheStartAndDrawsAsBefore) {
  // The pictures of the installation the data build lays out.
  const std::filesystem::path build = QUEN_BUILD_DIR;
  plat::SetDrive('C', build / "gamedata/c");
  plat::SetRegistryFile(build / "gamedata/config/registry.reg");
  g_instData.~CInstData();
  new (&g_instData) CInstData();
  g_gameData->guildModules[1] = plat::LoadLibrary((build / "gamedata/c/QUENBAR/ART/GUILD2/guild.dll").c_str());
  TestView& v = Make();
  plat::srand(3);
  FrameAnimation& a = SharedScreen().frameAnimation;
  // The sprite each kind ran on and the pictures its first run drew, step by step.
  std::map<int, CSprite*> sprites;
  std::map<int, std::vector<std::vector<std::uint16_t>>> firstRuns;
  std::vector<std::vector<std::uint16_t>> run;
  int again = 0;
  for (int i = 0; i < 200000 && again < 3; ++i) {
    const std::uint8_t before = a.kind;
    // Short steps: an animation's start is seen before its first frame.
    v.AnimateFrame(a.kind == kNoFrameAnimation ? 1 : 61);
    if (before == kNoFrameAnimation && a.kind != kNoFrameAnimation) {
      ASSERT_NE(a.sprite, nullptr);
      EXPECT_EQ(SpritePixels(a.sprite), std::vector<std::uint16_t>(a.sprite->width * a.sprite->height, 0))
          << "kind " << int{a.kind};
      const auto [at, made] = sprites.emplace(a.kind, a.sprite);
      EXPECT_EQ(at->second, a.sprite) << "kind " << int{a.kind};
      run.clear();
    } else if (a.kind != kNoFrameAnimation && before == a.kind) {
      run.push_back(SpritePixels(a.sprite));
    } else if (before != kNoFrameAnimation && a.kind == kNoFrameAnimation && before != 2) {
      // The plate runs the other way its next time.
      const auto [first, isFirst] = firstRuns.emplace(before, run);
      if (!isFirst) {
        EXPECT_EQ(run, first->second) << "kind " << int{before};
        ++again;
      }
    }
  }
  EXPECT_EQ(again, 3);
  ASSERT_FALSE(firstRuns.empty());
  const auto& frames = firstRuns.begin()->second;
  ASSERT_GE(frames.size(), 2u);
  EXPECT_NE(frames.front(), frames.back());  // the pictures are there to compare
  view.reset();
  plat::ResetRegistryFile();
  plat::ClearDrives();
  g_instData.~CInstData();
  new (&g_instData) CInstData();
}

}  // namespace
