#include "Game/frontend/CWaitDlg.h"

#include <array>
#include <cstdio>
#include <string>
#include <vector>

#include "Game/app/AppGlobals.h"
#include "Game/app/CClntApp.h"
#include "Game/base/Packets.h"
#include "Game/frontend/CFrontEndScreen.h"
#include "Game/frontend/FrontEndControls.h"
#include "Game/frontend/ScreenHistory.h"
#include "Game/net/NetSession.h"
#include "Game/net/PacketQueue.h"
#include "hvmulti/HvMRecords.h"
#include "hvmulti/HvMulti.h"
#include "hvmulti/HvPlayerList.h"
#include "media/CSprite.h"
#include "platform/core/bytes.h"
#include "platform/core/clock.h"
#include "platform/dialog/dialog.h"
#include "platform/dialog/edit.h"
#include "platform/dialog/listbox.h"
#include "platform/gdi/dc.h"
#include "platform/gdi/objects.h"
#include "platform/gdi/text.h"
#include "platform/user/paint.h"
#include "platform/user/queue.h"
#include "platform/user/system.h"
#include "platform/user/window.h"

using namespace plat;

namespace {

constexpr int kPlayerList = IDC_WAIT_PLAYERS;
constexpr int kChatList = IDC_WAIT_CHAT_LINES;
constexpr int kChatEdit = IDC_WAIT_CHAT_ENTRY;
constexpr POINT kPlayerListPlace{62, 69};
constexpr POINT kChatListPlace{61, 375};
constexpr int kItemHeight = 15;
constexpr UINT_PTR kRefreshTimer = 3939;
constexpr UINT kRefreshPeriodMs = 10000;
constexpr UINT_PTR kMessageTimer = 2828;
constexpr UINT kMessagePeriodMs = 1000;
constexpr int kChatLimit = 255;
constexpr std::uint32_t kReadyFlag = 1;
constexpr DWORD kFlashMs = 500;
// How many messages one tick takes at most, so that a flood cannot hold the
// screen.
constexpr int kMessagesPerTick = 200;

enum ButtonIndex : std::size_t { kLeave, kRemove, kStart, kSend, kRefresh };
constexpr std::array<ScreenButton, 5> kButtons{{
    {3050, 477, 46, 264, 56, "leaveup.ima", "leave.ima", "FEWALEAV", kScreenConnection},
    {3051, 477, 193, 264, 57, "rmvplrup.ima", "rmvplr.ima", "FEWARMVP", kScreenWait},
    {3052, 477, 118, 264, 56, "strgmeup.ima", "strgme.ima", "FEWASTRT", kScreenWait},
    {3053, 318, 515, 163, 25, "sndmsgup.ima", "sndmsg.ima", "FEWASEND", kScreenWait},
    {3054, 356, 286, 87, 28, "reset15u.ima", "reset15d.ima", "FEWAREFR", kScreenWait},
}};

enum class Report { None, Removed, Start };

class CWaitDlg : public CFrontEndScreen {
 public:
  CWaitDlg(CClntApp& app, bool host) : CFrontEndScreen(app, "bkgnd15.ima", kButtons, kScreenConnection), m_host(host) {}

  LRESULT OnInitDialog(HWND window) override {
    CFrontEndScreen::OnInitDialog(window);
    MoveWindow(GetDlgItem(window, kPlayerList), kPlayerListPlace.x, kPlayerListPlace.y, 399, 181, FALSE);
    MoveWindow(GetDlgItem(window, kChatList), kChatListPlace.x, kChatListPlace.y, 678, 93, FALSE);
    MoveWindow(GetDlgItem(window, kChatEdit), 62, 479, 676, 17, FALSE);
    SendDlgItemMessage(window, kPlayerList, LB_SETITEMHEIGHT, 0, kItemHeight);
    SendDlgItemMessage(window, kChatList, LB_SETITEMHEIGHT, 0, kItemHeight);
    SendDlgItemMessage(window, kChatEdit, EM_LIMITTEXT, kChatLimit, 0);
    Button(kRemove).SetDisabledImage(FrontEndArt("rmvplrgr.ima").c_str());
    Button(kStart).SetDisabledImage(FrontEndArt("strgmegr.ima").c_str());
    Button(kSend).SetDisabledImage(FrontEndArt("sndmsggr.ima").c_str());
    m_dialog = window;
    RefreshPlayers();
    SetTimer(window, kRefreshTimer, kRefreshPeriodMs, nullptr);
    SetTimer(window, kMessageTimer, kMessagePeriodMs, nullptr);
    Button(kStart).SetDisabled(1);
    if (!m_host) Button(kRemove).SetDisabled(1);
    SendReady(1);
    return 0;
  }

  LRESULT OnTimer(UINT_PTR timer, LPARAM lParam, HWND window) override {
    if (timer == kRefreshTimer) {
      RefreshPlayers();
      SendReady(1);
      return 0;
    }
    if (timer != kMessageTimer) return CFrontEndScreen::OnTimer(timer, lParam, window);
    switch (ProcessMessages()) {
      case Report::Removed:
        StopTimers();
        m_app.ShowTextBox("FEWAERR1");
        End(kScreenSessions);
        break;
      case Report::Start:
        StopTimers();
        End(kScreenPlay);
        break;
      case Report::None:
        break;
    }
    return 0;
  }

  LRESULT OnCtlColor(HDC dc) override { return TransparentControl(dc); }

  LRESULT OnDrawItem(DRAWITEMSTRUCT* item, HWND window) override {
    if (!item || (item->CtlID != kPlayerList && item->CtlID != kChatList))
      return CFrontEndScreen::OnDrawItem(item, window);
    const bool players = item->CtlID == kPlayerList;
    const std::vector<std::string>& lines = players ? m_playerLines : m_chatLines;
    if (item->itemID >= lines.size()) return 1;
    DrawListLine(*item, players ? kPlayerListPlace : kChatListPlace, lines[item->itemID], RGB(255, 255, 255),
                 RGB(0, 255, 0), false);
    return 1;
  }

  LRESULT OnCommand(WPARAM wParam, LPARAM lParam, HWND window) override {
    if (LOWORD(wParam) == kPlayerList) {
      const bool selected = SendDlgItemMessage(window, kPlayerList, LB_GETCURSEL, 0, 0) != LB_ERR;
      if (m_host) Button(kRemove).SetDisabled(selected ? 0 : 1);
      return 1;
    }
    // Enter in the chat line sends it; Escape leaves as the leave button
    // does, so that the others learn of it.
    if (LOWORD(wParam) == IDOK) wParam = kButtons[kSend].id;
    if (LOWORD(wParam) == IDCANCEL) wParam = kButtons[kLeave].id;
    return CFrontEndScreen::OnCommand(wParam, lParam, window);
  }

  const char* OpeningSound() const override { return nullptr; }
  const char* ClosingSound(std::int16_t) const override { return nullptr; }

 protected:
  bool Accept(HWND window, const ScreenButton& b) override {
    switch (b.id) {
      case kButtons[kLeave].id:
        StopTimers();
        SendLeave();
        SendReady(0);
        return true;
      case kButtons[kRemove].id:
        RemoveSelected(window);
        Flash(kRemove, kFlashMs);
        return false;
      case kButtons[kStart].id:
        if (g_session && g_session->players && g_session->multi)
          g_session->players->UpdatePlayerList(g_session->multi.get());
        if (m_host && AllReady()) {
          std::array<std::uint8_t, 12> start{};
          ByteWriter(start).WriteAt<std::uint16_t>(0, PKT_START);
          g_session->Send(kAllPlayersSlot, start.data(), start.size());
        } else {
          Button(kStart).SetDisabled(1);
        }
        Flash(kStart, kFlashMs);
        return false;
      case kButtons[kSend].id:
        SendChat(window);
        Flash(kSend, kFlashMs);
        return false;
      default:
        RefreshPlayers();
        Flash(kRefresh, kFlashMs);
        return false;
    }
  }

 private:
  static bool Ready(const HvMPlayerEntry& p) { return (p.flags & kReadyFlag) != 0; }

  CHvPlayerList* Players() const { return g_session ? g_session->players.get() : nullptr; }
  std::uint32_t OwnId() const { return g_session ? g_session->player.id : 0; }

  const HvMPlayerEntry* PlayerById(std::uint32_t id) const {
    CHvPlayerList* list = Players();
    for (int i = 0; list && i < list->PlayerCount(); ++i)
      if (list->GetPlayer(i)->id == id) return list->GetPlayer(i);
    return nullptr;
  }

  bool AllReady() const {
    CHvPlayerList* list = Players();
    if (!list) return false;
    for (int i = 0; i < list->PlayerCount(); ++i) {
      const HvMPlayerEntry* p = list->GetPlayer(i);
      if (p && p->id != OwnId() && !Ready(*p)) return false;
    }
    return true;
  }

  void RefreshPlayers() {
    CHvPlayerList* list = Players();
    if (list && g_session->multi) list->UpdatePlayerList(g_session->multi.get());
    Sleep(1);
    m_playerLines.clear();
    SendDlgItemMessage(m_dialog, kPlayerList, LB_RESETCONTENT, 0, 0);
    InvalidateRect(m_dialog, nullptr, FALSE);
    const int count = list ? list->PlayerCount() : 0;
    if (count == 0) {
      Button(kRemove).SetDisabled(1);
      return;
    }
    bool allReady = true;
    for (int i = 0; i < count; ++i) {
      const HvMPlayerEntry* p = list->GetPlayer(i);
      if (!p) continue;
      if (m_host && p->id != OwnId() && !Ready(*p)) {
        m_playerLines.push_back(std::string(p->name) + " (not ready)");
        allReady = false;
      } else {
        m_playerLines.push_back(p->name);
        list->SetPlayerFlagByID(p->id, kReadyFlag);
      }
      SendDlgItemMessage(m_dialog, kPlayerList, LB_ADDSTRING, 0, static_cast<LPARAM>(m_playerLines.size() - 1));
    }
    if (m_host) Button(kStart).SetDisabled(allReady ? 0 : 1);
    SendDlgItemMessage(m_dialog, kPlayerList, LB_SETCURSEL, m_playerLines.size() - 1, 0);
    if (m_host) Button(kRemove).SetDisabled(0);
  }

  void SendReady(std::uint32_t ready) {
    if (!g_session || !g_session->multi) return;
    std::array<std::uint8_t, 16> packet{};
    ByteWriter w(packet);
    w.WriteAt<std::uint16_t>(0, PKT_READY);
    w.WriteAt<std::uint32_t>(12, ready);
    g_session->multi->Send(OwnId(), HVM_ID_ALLPLAYERS, packet.data(), packet.size(), 0, 1);
  }

  void SendLeave() {
    if (!g_session) return;
    std::array<std::uint8_t, 48> packet{};
    ByteWriter w(packet);
    w.WriteAt<std::uint16_t>(0, PKT_CHAPTER_CLAIM);
    w.WriteAt<std::uint16_t>(8, static_cast<std::uint16_t>(m_app.Chapter().id + 100));
    w.WriteAt<std::uint16_t>(10, m_app.Chapter().id);
    g_session->Send(kAllPlayersSlot, packet.data(), packet.size());
  }

  void RemoveSelected(HWND window) {
    CHvPlayerList* list = Players();
    const LRESULT selected = SendDlgItemMessage(window, kPlayerList, LB_GETCURSEL, 0, 0);
    if (!list || selected == LB_ERR) return;
    const HvMPlayerEntry* p = list->GetPlayer(static_cast<int>(selected));
    if (!p) return;
    if (p->id == OwnId()) {
      m_app.ShowTextBox("FEWAERR2");
      return;
    }
    std::array<std::uint8_t, 12> packet{};
    ByteWriter w(packet);
    w.WriteAt<std::uint16_t>(0, PKT_REMOVE_PLAYER);
    w.WriteAt<std::uint32_t>(8, p->id);
    g_session->multi->Send(OwnId(), HVM_ID_ALLPLAYERS, packet.data(), packet.size(), 0, 1);
    RefreshPlayers();
  }

  void SendChat(HWND window) {
    char text[kChatLimit + 1] = {};
    GetDlgItemText(window, kChatEdit, text, sizeof text);
    CHvPlayerList* list = Players();
    if (!list || list->PlayerCount() == 0 || text[0] == '\0' || !g_session->multi) return;
    g_session->multi->SendSzChat(OwnId(), HVM_ID_SESSION, text);
    SetDlgItemText(window, kChatEdit, "");
  }

  void AddChatLine(std::uint32_t from, const std::uint8_t* data, std::uint32_t length) {
    CHvPlayerList* list = Players();
    if (!list || list->PlayerCount() == 0) return;
    std::string text(reinterpret_cast<const char*>(data), length);
    text = text.substr(0, text.find('\0'));
    const HvMPlayerEntry* sender = PlayerById(from);
    const std::string line = sender ? std::string(sender->name) + ": " + text : text;
    m_chatLines.push_back(line.substr(0, kChatLimit));
    const auto index =
        SendDlgItemMessage(m_dialog, kChatList, LB_ADDSTRING, 0, static_cast<LPARAM>(m_chatLines.size() - 1));
    SendDlgItemMessage(m_dialog, kChatList, LB_SETCURSEL, static_cast<WPARAM>(index), 0);
  }

  Report ProcessMessages() {
    Report report = Report::None;
    if (!g_session || !g_session->queue) return report;
    g_session->Pump(200);
    for (int taken = 0; taken < kMessagesPerTick; ++taken) {
      std::uint8_t* data = nullptr;
      std::uint32_t length = 0;
      std::uint32_t from = 0;
      const int code = g_session->queue->GetNext(&data, &length, &from, nullptr, nullptr, nullptr);
      if (code != HVM_MSG_PACKET && code != HVM_MSG_SYSTEM && code != HVM_MSG_CHAT) break;
      const std::span<const std::uint8_t> bytes(data, data ? length : 0);
      if (code == HVM_MSG_CHAT) {
        AddChatLine(from, data, length);
        continue;
      }
      if (code == HVM_MSG_SYSTEM) {
        HvMNotice notice;
        if (!HvMNotice::Read(bytes, notice)) continue;
        if (notice.code == HVM_NOTICE_LEFT) {
          RefreshPlayers();
          if (notice.playerId == OwnId()) report = Report::Removed;
        } else if (notice.code == HVM_NOTICE_JOINED) {
          RefreshPlayers();
        }
        continue;
      }
      ByteReader r(bytes);
      std::uint16_t type = 0;
      std::uint32_t id = 0;
      if (!r.ReadAt(0, type)) continue;
      if (type == PKT_START) {
        // What the server sends behind the start (the world, the chapters)
        // belongs to the game's dispatcher, not to this room.
        report = Report::Start;
        break;
      } else if (type == PKT_REMOVE_PLAYER && r.ReadAt(8, id)) {
        const int answer = g_session->multi ? g_session->multi->DeletePlayer(id) : -1;
        report = Report::Removed;
        if (answer != 0) break;
      } else if (type == PKT_READY && r.ReadAt(8, id)) {
        std::uint32_t ready = 0;
        r.ReadAt(12, ready);
        CHvPlayerList* list = Players();
        const HvMPlayerEntry* p = PlayerById(id);
        if (!p || Ready(*p) == (ready == 1)) continue;
        ready == 1 ? list->SetPlayerFlagByID(id, kReadyFlag) : list->UnSetPlayerFlagByID(id, kReadyFlag);
        // The host sees the change, and Start lit, at once rather than at
        // the next refresh.
        if (m_host) RefreshPlayers();
      }
    }
    return report;
  }

  void StopTimers() {
    KillTimer(m_dialog, kRefreshTimer);
    KillTimer(m_dialog, kMessageTimer);
  }

  void End(std::int16_t result) {
    SetResult(result);
    EndDialog(m_dialog, result);
  }

  bool m_host;
  HWND m_dialog = nullptr;
  std::vector<std::string> m_playerLines;
  std::vector<std::string> m_chatLines;
};

}  // namespace

std::int16_t RunWaitDlg(CClntApp& app) {
  CWaitDlg dialog(app, app.Role().host != 0);
  return dialog.Run("IDD_WAIT");
}
