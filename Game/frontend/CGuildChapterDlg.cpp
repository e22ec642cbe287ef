// The guild-and-chapter choice: the server keeps the chapters; the screen
// shows which are free, claims the chosen one and leaves only once the server
// grants it.
#include <array>
#include <cstdio>
#include <cstring>
#include <string>

#include "Game/app/AppGlobals.h"
#include "Game/app/AppViewNotices.h"
#include "Game/app/CClntApp.h"
#include "Game/base/Packets.h"
#include "Game/frontend/CFrontEndScreen.h"
#include "Game/frontend/ChapterBoard.h"
#include "Game/frontend/FrontEndControls.h"
#include "Game/frontend/ScreenHistory.h"
#include "Game/frontend/SetupScreens.h"
#include "Game/net/NetSession.h"
#include "Game/net/PacketQueue.h"
#include "hvmulti/HvMTypes.h"
#include "hvmulti/HvMulti.h"
#include "media/CSndPlay.h"
#include "platform/core/bytes.h"
#include "platform/core/clock.h"
#include "platform/dialog/dialog.h"
#include "platform/dialog/edit.h"
#include "platform/gdi/dc.h"
#include "platform/gdi/objects.h"
#include "platform/gdi/text.h"
#include "platform/user/paint.h"
#include "platform/user/queue.h"
#include "platform/user/window.h"

using namespace plat;

namespace {

constexpr int kNameEdit = IDC_GUILDCHAPTER_NAME;
constexpr UINT_PTR kPacketTimer = 4646;
constexpr UINT kPacketPeriodMs = 1000;
constexpr DWORD kAnswerMs = 10000;
constexpr int kClaimTries = 5;
constexpr DWORD kClaimTryMs = 1000;
constexpr int kMaxNameWidth = 100;
constexpr int kNameFontHeight = 15;
constexpr int kNameFontWeight = 500;
// How many messages one pass takes at most, so that a flood cannot hold the screen.
constexpr int kMessagesPerPass = 200;
constexpr std::uint16_t kNoChapterForHost = 40;
constexpr std::uint32_t kGuildHelpTopic = 299;
constexpr std::array<int, 4> kSlotRows{176, 221, 266, 311};

enum ButtonIndex : std::size_t {
  kGuild0 = 0,
  kSlot0 = 5,
  kStarting = 13,
  kFog,
  kTraits,
  kInfo,
  kPlay,
  kPrevious,
  kMain,
  kEasy,
  kAverage,
  kHard,
  kCustom,
};
constexpr ScreenButton SlotButton(int slot) {
  return {3305 + slot, slot % 2 ? 577 : 419, kSlotRows[slot / 2], 13, 18, "chptroff.ima", "chptron.ima", "FECOCHAP", 0};
}
constexpr std::array<ScreenButton, 24> kButtons{{
    {3300, 71, 174, 269, 29, "redoff.ima", "redon.ima", "FECOGLD0", 0},
    {3301, 71, 204, 269, 29, "greenoff.ima", "greenon.ima", "FECOGLD1", 0},
    {3302, 71, 234, 269, 29, "blueoff.ima", "blueon.ima", "FECOGLD2", 0},
    {3303, 71, 264, 269, 29, "yellooff.ima", "yelloon.ima", "FECOGLD3", 0},
    {3304, 71, 294, 269, 29, "mgntaoff.ima", "mgntaon.ima", "FECOGLD4", 0},
    SlotButton(0),
    SlotButton(1),
    SlotButton(2),
    SlotButton(3),
    SlotButton(4),
    SlotButton(5),
    SlotButton(6),
    SlotButton(7),
    {3313, 55, 528, 156, 58, "stvaloff.ima", "stvalon.ima", "FECOSVAL", kScreenStarting},
    {3314, 233, 528, 156, 58, "fgwaroff.ima", "fgwaron.ima", "FECOFWAR", kScreenFog},
    {3315, 410, 528, 156, 58, "chtrtoff.ima", "chtrton.ima", "FECOCHTR", kScreenTraits},
    {3316, 92, 347, 231, 36, "gdinfoff.ima", "gdinfon.ima", "FECOINFO", 0},
    {3317, 71, 468, 655, 56, "playoff.ima", "playon.ima", "FECOPLAY", kScreenWait},
    {3318, 0, 190, 46, 198, "prvus7up.ima", "previus7.ima", "FECOPREV", kScreenBack},
    {3319, 754, 190, 46, 198, "mnscr7up.ima", "mainscr7.ima", "FECOMAIN", kScreenTitle},
    {3320, 80, 53, 124, 57, "easyoff.ima", "easyon.ima", "FECOEASY", 0},
    {3321, 258, 53, 124, 57, "avrgeoff.ima", "avrgeon.ima", "FECO_AVG", 0},
    {3322, 434, 53, 132, 57, "diffoff.ima", "diffon.ima", "FECOHARD", 0},
    {3323, 594, 53, 131, 57, "custmoff.ima", "custmon.ima", nullptr, 0},
}};

void Broadcast(std::uint16_t type, std::uint32_t value) {
  if (!g_session) return;
  std::array<std::uint8_t, 12> packet{};
  ByteWriter w(packet);
  w.WriteAt<std::uint16_t>(0, type);
  w.WriteAt<std::uint32_t>(8, value);
  g_session->BroadcastUnsequenced(kAllPlayersSlot, packet.data(), packet.size());
}

void SendClaim(std::uint16_t chapter, std::uint16_t held, std::string_view name) {
  if (!g_session) return;
  auto claim = ChapterClaimPacket(chapter, held, name);
  g_session->BroadcastUnsequenced(kAllPlayersSlot, claim.data(), claim.size());
}

// The server is another process: its answers are waited for in real time,
// whatever the program's own clock (virtual in scripted runs) says.
class AnswerWait {
 public:
  explicit AnswerWait(DWORD ms) : m_start(RealTickCount()), m_ms(ms) {}
  bool Over() const { return RealTickCount() - m_start >= m_ms; }
  static void Pause() { SleepInRealTime(1); }

 private:
  DWORD m_start;
  DWORD m_ms;
};

// Whether anybody else is in the session to answer.
bool SomeoneCanAnswer() {
  if (!g_session || !g_session->queue || !g_session->multi) return false;
  for (const auto& p : g_session->multi->GetPlayers())
    if (p.id != g_session->player.id) return true;
  return false;
}

// The next game packet that comes before the wait is over; empty when none came.
std::span<const std::uint8_t> NextPacket(const AnswerWait& wait) {
  if (!SomeoneCanAnswer()) return {};
  for (;;) {
    g_session->Pump(0);
    std::uint8_t* data = nullptr;
    std::uint32_t length = 0;
    const int code = g_session->queue->GetNext(&data, &length, nullptr, nullptr, nullptr, nullptr);
    if (code == HVM_MSG_PACKET && data) return {data, length};
    if (wait.Over()) return {};
    if (code == kQueueEmpty) AnswerWait::Pause();
  }
}

// The next packet of `type` within the answer time; empty when none came.
std::span<const std::uint8_t> AnswerOf(std::uint16_t type) {
  const AnswerWait wait(kAnswerMs);
  for (;;) {
    const auto packet = NextPacket(wait);
    std::uint16_t got = 0;
    if (packet.empty()) return {};
    if (ByteReader(packet).ReadAt(0, got) && got == type) return packet;
  }
}

// Claims the first chapter the server grants, from `choice.chapter` on.
std::int16_t ClaimAutomatically(CClntApp& app, ChapterChoice& choice) {
  const bool forHost = choice.chapter == kNoChapterForHost;
  if (!forHost) choice.chapter = 0;
  // Chapter numbers leave gaps in guilds of fewer than eight: every number is
  // tried, up to the last of the fifth guild.
  for (;;) {
    SendClaim(choice.chapter, choice.held, "");
    const auto answer = AnswerOf(PKT_CHAPTER_CLAIM);
    std::uint32_t granted = 0;
    if (!answer.empty() && ByteReader(answer).ReadAt(44, granted) && granted != 0) return kScreenWait;
    // A server that grants no number 40 takes the host as running it without a chapter.
    if (forHost) return kScreenWait;
    if (++choice.chapter >= kChapterCount) break;
  }
  app.ShowTextBox("FECOERR2");
  choice.chapter = 255;
  return kScreenTitle;
}

class CGuildChapterDlg : public CFrontEndScreen {
 public:
  CGuildChapterDlg(CClntApp& app, ChapterChoice& choice)
      : CFrontEndScreen(app, "bkgnd11.ima", kButtons, kScreenBack),
        m_choice(choice),
        m_board(choice.held),
        m_difficulty(app.GetDifficulty(1)) {
    SetResult(kScreenWait);
  }

  LRESULT OnInitDialog(HWND window) override {
    CFrontEndScreen::OnInitDialog(window);
    m_window = window;
    if (g_sndPlay) g_sndPlay->StopEffect(0);
    MoveWindow(GetDlgItem(window, kNameEdit), 465, 381, 162, 18, FALSE);
    m_guild = static_cast<std::uint16_t>((m_choice.chapter >> 3) % kGuildCount);
    SetPressed(kGuild0 + m_guild, true, false);
    for (std::size_t i = 0; i < kSlotsPerGuild; ++i)
      Button(kSlot0 + i).SetDisabledImage(FrontEndArt("chptrgry.ima").c_str());
    Button(kStarting).SetDisabledImage(FrontEndArt("stvalgry.ima").c_str());
    Button(kFog).SetDisabledImage(FrontEndArt("fgwargry.ima").c_str());
    Button(kTraits).SetDisabledImage(FrontEndArt("chtrtgry.ima").c_str());
    SetDisabled(kPlay, true, "playgr.ima");
    if (m_difficulty <= DIFFICULTY_CUSTOM) SetPressed(kEasy + m_difficulty, true, false);
    SetDlgItemText(window, kNameEdit, m_choice.name);
    SetTimer(window, kPacketTimer, kPacketPeriodMs, nullptr);
    Broadcast(PKT_CHAPTER_REPORTS, 0);
    // Until the server has reported every chapter (or stops answering).
    const AnswerWait wait(kAnswerMs);
    while (!m_board.Complete()) {
      const auto packet = NextPacket(wait);
      if (packet.empty()) break;
      if (Take(packet, false)) {
        EndWith(GetResult());
        return 0;
      }
    }
    const std::uint16_t chapter = m_choice.chapter;
    if (!m_board.Open(chapter)) {
      m_slot = m_choice.chapter = kNoSelection;
    } else {
      m_slot = chapter % kSlotsPerGuild;
    }
    for (std::size_t s = 0; s < kSlotsPerGuild; ++s) {
      SetPressed(kSlot0 + s, s == m_slot, false);
      UpdateSlot(s, false);
    }
    m_initialised = true;
    return 0;
  }

  LRESULT OnPaint(HWND window) override {
    CFrontEndScreen::OnPaint(window);
    DrawNames();
    return 0;
  }

  LRESULT OnTimer(UINT_PTR timer, LPARAM lParam, HWND window) override {
    if (timer != kPacketTimer) return CFrontEndScreen::OnTimer(timer, lParam, window);
    if (ProcessPackets(m_initialised)) EndWith(GetResult());
    return 0;
  }

  LRESULT OnCtlColor(HDC dc) override { return TransparentControl(dc); }

  LRESULT OnCommand(WPARAM wParam, LPARAM lParam, HWND window) override {
    if (LOWORD(wParam) != kNameEdit) return CFrontEndScreen::OnCommand(wParam, lParam, window);
    switch (HIWORD(wParam)) {
      case EN_UPDATE:
        KeepNameNarrow();
        break;
      case EN_CHANGE:
      case EN_KILLFOCUS:
        ReadName();
        DrawNames();
        break;
      default:
        break;
    }
    return 1;
  }

  const char* OpeningSound() const override { return "open2.wav"; }
  const char* ClosingSound(std::int16_t result) const override { return result == kScreenWait ? nullptr : "shut2.wav"; }

 protected:
  bool Accept(HWND window, const ScreenButton& b) override {
    const std::size_t index = IndexOf(b);
    if (index < kSlot0) {
      ChooseGuild(static_cast<std::uint16_t>(index - kGuild0));
      return false;
    }
    if (index < kStarting) {
      ChooseSlot(index - kSlot0);
      return false;
    }
    switch (index) {
      case kInfo:
        PlayClick();
        AppViewNotices().ShowHelp(m_display, window, m_instance, kGuildHelpTopic + m_guild);
        return false;
      case kEasy:
      case kAverage:
      case kHard: {
        const auto level = static_cast<std::uint16_t>(index - kEasy);
        if (level == m_difficulty) return false;
        m_app.ResetSettings(SETUP_FOG, static_cast<std::int16_t>(level));
        m_app.ResetSettings(SETUP_RANDOM, static_cast<std::int16_t>(level));
        PlayClick();
        SetPressed(index, true);
        if (m_difficulty <= DIFFICULTY_CUSTOM) SetPressed(kEasy + m_difficulty, false);
        m_difficulty = level;
        return false;
      }
      case kCustom:
        return false;
      case kPrevious:
      case kMain:
        return true;
      default:
        return LeaveWithClaim(b);
    }
  }

 private:
  std::int16_t GetResult() const { return m_pendingResult; }

  // Starting values, fog of war, traits and play: only with a chapter, and
  // only once the server has granted it.
  bool LeaveWithClaim(const ScreenButton& b) {
    if (m_slot == kNoSelection) {
      m_app.ShowTextBox("FECOERR3");
      return false;
    }
    m_choice.chapter = static_cast<std::uint16_t>(m_guild * kSlotsPerGuild + m_slot);
    m_pendingResult = b.result;
    if (m_choice.chapter == m_choice.held) return true;
    ReadName();
    SendClaim(m_choice.chapter, m_choice.held, m_choice.name);
    const std::size_t index = IndexOf(b);
    PlayClick();
    SetPressed(index, true);
    for (int i = 0; i < kClaimTries; ++i) {
      if (ProcessPackets(true)) {
        EndWith(b.result);
        return false;
      }
      // Refused: the player picks another; no grant can follow.
      if (m_slot == kNoSelection) break;
      const AnswerWait second(kClaimTryMs);
      while (!second.Over()) AnswerWait::Pause();
    }
    // Not granted yet: a later grant is picked up by the timer.
    SetPressed(index, false);
    return false;
  }

  void EndWith(std::int16_t result) {
    KillTimer(m_window, kPacketTimer);
    Leave(m_window, result);
  }

  // Takes one packet; true on a grant.
  bool Take(std::span<const std::uint8_t> packet, bool redraw) {
    std::uint16_t chapter = 0;
    switch (m_board.Take(packet, chapter)) {
      case ChapterBoard::Event::Counts:
        m_choice.chaptersPerGuild = m_board.ChaptersPerGuild();
        Button(kPlay).SetDisabled(0);
        if (redraw) DrawButton(kPlay);
        return false;
      case ChapterBoard::Event::Name:
        if (chapter / kSlotsPerGuild == m_guild) UpdateSlot(chapter % kSlotsPerGuild, redraw);
        if (redraw) DrawNames();
        return false;
      case ChapterBoard::Event::Refused:
        m_app.ShowTextBox("FECOERR4");
        if (chapter == m_choice.chapter && m_slot != kNoSelection) {
          SetPressed(kSlot0 + m_slot, false, redraw);
          m_slot = m_choice.chapter = kNoSelection;
        }
        if (chapter / kSlotsPerGuild == m_guild) UpdateSlot(chapter % kSlotsPerGuild, redraw);
        if (redraw) DrawNames();
        return false;
      case ChapterBoard::Event::Granted:
        m_choice.chapter = chapter;
        return true;
      default:
        return false;
    }
  }

  // Takes what has come; true when a grant was among it.
  bool ProcessPackets(bool redraw) {
    if (!g_session || !g_session->queue) return false;
    g_session->Pump(0);
    bool granted = false;
    for (int taken = 0; taken < kMessagesPerPass; ++taken) {
      std::uint8_t* data = nullptr;
      std::uint32_t length = 0;
      const int code = g_session->queue->GetNext(&data, &length, nullptr, nullptr, nullptr, nullptr);
      if (code == HVM_MSG_SYSTEM || code == HVM_MSG_CHAT) continue;
      if (code != HVM_MSG_PACKET || !data) break;
      granted = Take({data, length}, redraw) || granted;
    }
    return granted;
  }

  void UpdateSlot(std::size_t slot, bool redraw) {
    const bool open = m_board.Open(static_cast<std::uint16_t>(m_guild * kSlotsPerGuild + slot));
    CImageButton& button = Button(kSlot0 + slot);
    if ((button.disabled == 0) == open) return;
    button.SetDisabled(open ? 0 : 1);
    if (redraw) DrawButton(kSlot0 + slot);
  }

  void ChooseSlot(std::size_t slot) {
    if (slot == m_slot) return;
    const std::size_t before = m_slot;
    m_slot = static_cast<std::uint16_t>(slot);
    m_choice.chapter = static_cast<std::uint16_t>(m_guild * kSlotsPerGuild + slot);
    ReadName();
    PlayClick();
    SetPressed(kSlot0 + slot, true);
    if (before < kSlotsPerGuild) SetPressed(kSlot0 + before, false);
    DrawNames();
  }

  void ChooseGuild(std::uint16_t guild) {
    if (guild == m_guild) return;
    const std::uint16_t before = m_guild;
    m_guild = guild;
    if (m_slot != kNoSelection) {
      m_choice.chapter = static_cast<std::uint16_t>(m_guild * kSlotsPerGuild + m_slot);
      ReadName();
      if (!m_board.Open(m_choice.chapter)) {
        SetPressed(kSlot0 + m_slot, false);
        m_slot = m_choice.chapter = kNoSelection;
      }
    }
    for (std::size_t s = 0; s < kSlotsPerGuild; ++s) UpdateSlot(s, true);
    PlayClick();
    SetPressed(kGuild0 + guild, true);
    SetPressed(kGuild0 + before, false);
    DrawNames();
  }

  void ReadName() {
    char name[kChapterNameChars + 1] = {};
    GetDlgItemText(m_window, kNameEdit, name, sizeof name);
    std::snprintf(m_choice.name, kChapterNameChars + 1, "%s", name);
  }

  // A name wider than the name's place loses its last character.
  void KeepNameNarrow() {
    char name[kChapterNameChars + 2] = {};
    GetDlgItemText(m_window, kNameEdit, name, sizeof name);
    const HDC dc = GetDC(m_window);
    if (!dc) return;
    const HFONT font = CreateFont(kNameFontHeight, 0, 0, 0, kNameFontWeight, 0, 0, 0, 0, 0, 0, 0, 0, "Times New Roman");
    const HGDIOBJ old = SelectObject(dc, font);
    SIZE size{};
    const int length = static_cast<int>(std::strlen(name));
    GetTextExtentPoint32(dc, name, length, &size);
    SelectObject(dc, old);
    DeleteObject(font);
    ReleaseDC(m_window, dc);
    if (size.cx <= kMaxNameWidth || length == 0) return;
    name[length - 1] = '\0';
    SetDlgItemText(m_window, kNameEdit, name);
    SendDlgItemMessage(m_window, kNameEdit, EM_SETSEL, kMaxNameWidth, kMaxNameWidth);
  }

  std::string NameShown(std::uint16_t chapter) const {
    if (chapter == m_choice.chapter) return m_choice.name;
    if (chapter == m_choice.held) {
      char id[24];
      std::snprintf(id, sizeof id, "CHAP00%02d", chapter);
      std::string name = m_app.Text(id);
      if (name.size() > kChapterNameChars) name.resize(kChapterNameChars);
      return name;
    }
    return m_board.Entry(chapter).name;
  }

  void DrawNames() {
    if (!m_window) return;
    for (std::uint16_t s = 0; s < m_board.ChaptersPerGuild(); ++s) {
      const auto chapter = static_cast<std::uint16_t>(m_guild * kSlotsPerGuild + s);
      const int left = s % 2 ? 594 : 436;
      const int top = kSlotRows[s / 2];
      const RECT area{left, top + 2, left + 105, top + 18};
      const COLORREF colour = m_board.TakenByOther(chapter) ? RGB(0, 128, 0) : RGB(0, 255, 0);
      DrawScreenText(m_window, area, NameShown(chapter), kNameFontHeight, kNameFontWeight, colour,
                     DT_CENTER | DT_SINGLELINE, true);
    }
  }

  ChapterChoice& m_choice;
  ChapterBoard m_board;
  std::uint16_t m_difficulty;
  std::uint16_t m_guild = 0;
  std::size_t m_slot = kNoSelection;
  std::int16_t m_pendingResult = kScreenWait;
  bool m_initialised = false;
  HWND m_window = nullptr;
};

// Whether the game's settings are fixed already (a game that has started).
std::uint32_t AskSettingsLocked(std::uint32_t before) {
  Broadcast(PKT_SETTINGS_QUERY, 0);
  const auto answer = AnswerOf(PKT_SETTINGS_QUERY);
  std::uint32_t locked = before;
  if (!answer.empty()) ByteReader(answer).ReadAt(8, locked);
  return locked;
}

}  // namespace

std::int16_t RunGuildChapterDlg(CClntApp& app, ChapterChoice& choice) {
  choice.settingsLocked = AskSettingsLocked(choice.settingsLocked);
  if (choice.chapter == 255 || choice.chapter == kNoChapterForHost) return ClaimAutomatically(app, choice);
  CGuildChapterDlg dialog(app, choice);
  return dialog.Run("IDD_GUILDCHAPTER");
}
