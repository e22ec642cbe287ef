#include "Game/frontend/CCreateJoinDlg.h"

#include <array>
#include <cstdio>
#include <cstring>
#include <vector>

#include "Game/app/AppGlobals.h"
#include "Game/app/CClntApp.h"
#include "Game/app/CMessageBoxes.h"
#include "Game/frontend/CFrontEndScreen.h"
#include "Game/frontend/FrontEndControls.h"
#include "Game/frontend/ScreenHistory.h"
#include "Game/frontend/SessionList.h"
#include "Game/net/NetSession.h"
#include "hvmulti/HvMulti.h"
#include "media/CSndPlay.h"
#include "media/CSprite.h"
#include "platform/dialog/dialog.h"
#include "platform/dialog/edit.h"
#include "platform/dialog/listbox.h"
#include "platform/gdi/dc.h"
#include "platform/gdi/objects.h"
#include "platform/gdi/text.h"
#include "platform/user/paint.h"
#include "platform/user/queue.h"
#include "platform/user/window.h"

using namespace plat;

namespace {

constexpr int kNameEdit = IDC_CREATEJOIN_NAME;
constexpr int kPasswordEdit = IDC_CREATEJOIN_PASSWORD;
constexpr int kJoinPasswordEdit = IDC_CREATEJOIN_JOIN_PASSWORD;
constexpr int kSessionList = IDC_CREATEJOIN_SESSIONS;
constexpr RECT kListPlace{449, 117, 449 + 275, 117 + 304};
constexpr int kItemHeight = 45;
constexpr UINT_PTR kRefreshTimer = 3939;
constexpr UINT kRefreshPeriodMs = 20000;
constexpr int kNameLimit = 31;
constexpr int kPasswordLimit = 15;

enum ButtonIndex : std::size_t { kCreate, kJoin, kRefresh, kLoad, kStandAlone, kPrevious, kMain };
constexpr std::array<ScreenButton, 7> kButtons{{
    {3031, 80, 101, 263, 57, "crnewoff.ima", "crnewon.ima", "FEJOCRTE", kScreenHostCS},
    {3032, 454, 434, 263, 57, "jngmeoff.ima", "jngmeon.ima", "FEJOJOIN", kResultJoin},
    {3037, 647, 55, 87, 29, "resetoff.ima", "reseton.ima", "FEJORSET", kScreenSessions},
    {3033, 80, 467, 263, 57, "ldgmeoff.ima", "ldgmeon.ima", "FEJOLOAD", kResultLoadMultiplayer},
    {3034, 79, 317, 286, 20, "rngmeoff.ima", "rngmeon.ima", "FEJOALON", kScreenSessions},
    {3035, 0, 190, 46, 198, "prvus6up.ima", "previus6.ima", "FEJOPREV", kScreenBack},
    {3036, 754, 190, 46, 198, "mnscr6up.ima", "mainscr6.ima", "FEJOMAIN", kScreenTitle},
}};

class CCreateJoinDlg : public CFrontEndScreen {
 public:
  explicit CCreateJoinDlg(CClntApp& app) : CFrontEndScreen(app, "bkgnd10.ima", kButtons, kScreenBack) {}

  LRESULT OnInitDialog(HWND window) override {
    CFrontEndScreen::OnInitDialog(window);
    MoveWindow(GetDlgItem(window, kNameEdit), 128, 198, 168, 21, FALSE);
    MoveWindow(GetDlgItem(window, kPasswordEdit), 128, 275, 168, 21, FALSE);
    MoveWindow(GetDlgItem(window, kJoinPasswordEdit), 551, 516, 154, 21, FALSE);
    MoveWindow(GetDlgItem(window, kSessionList), kListPlace.left, kListPlace.top, kListPlace.right - kListPlace.left,
               kListPlace.bottom - kListPlace.top, FALSE);
    SendDlgItemMessage(window, kSessionList, LB_SETITEMHEIGHT, 0, kItemHeight);
    SendDlgItemMessage(window, kNameEdit, EM_LIMITTEXT, kNameLimit, 0);
    SendDlgItemMessage(window, kPasswordEdit, EM_LIMITTEXT, kPasswordLimit, 0);
    SendDlgItemMessage(window, kJoinPasswordEdit, EM_LIMITTEXT, kPasswordLimit, 0);
    Button(kJoin).SetDisabledImage(FrontEndArt("jngmegry.ima").c_str());
    Refresh(window);
    SetTimer(window, kRefreshTimer, kRefreshPeriodMs, nullptr);
    ConnectionInfo& c = m_app.ConnectionToEdit();
    c.sessionName[0] = c.description[0] = c.password[0] = '\0';
    SetDlgItemText(window, kNameEdit, "Quenbar Session");
    SetDlgItemText(window, kPasswordEdit, "");
    SetDlgItemText(window, kJoinPasswordEdit, "");
    m_standAlone = 0;
    return 0;
  }

  LRESULT OnTimer(UINT_PTR timer, LPARAM lParam, HWND window) override {
    if (timer != kRefreshTimer) return CFrontEndScreen::OnTimer(timer, lParam, window);
    Refresh(window);
    return 0;
  }

  LRESULT OnCtlColor(HDC dc) override { return TransparentControl(dc); }

  LRESULT OnDrawItem(DRAWITEMSTRUCT* item, HWND window) override {
    if (!item || item->CtlID != kSessionList) return CFrontEndScreen::OnDrawItem(item, window);
    if (item->itemID >= m_entries.size()) return 1;
    DrawListLine(*item, {kListPlace.left, kListPlace.top}, m_entries[item->itemID].text, RGB(255, 255, 255),
                 RGB(0, 255, 0), true);
    return 1;
  }

  const char* OpeningSound() const override { return "open2.wav"; }
  const char* ClosingSound(std::int16_t result) const override {
    if (result != kResultJoin) return "shut2.wav";
    if (g_sndPlay) g_sndPlay->StopEffect(-1);
    return nullptr;
  }

 protected:
  bool Accept(HWND window, const ScreenButton& b) override {
    ConnectionInfo& c = m_app.ConnectionToEdit();
    switch (b.id) {
      case kButtons[kRefresh].id:
        Refresh(window);
        Flash(kRefresh);
        return false;
      case kButtons[kStandAlone].id:
        PlayClick();
        m_standAlone = m_standAlone ? 0 : 1;
        Button(kStandAlone).Toggle();
        DrawOverControl(Button(kStandAlone).sprite.get(), Button(kStandAlone).window);
        return false;
      case kButtons[kCreate].id:
        GetDlgItemText(window, kNameEdit, c.sessionName, kNameLimit + 1);
        GetDlgItemText(window, kPasswordEdit, c.password, kPasswordLimit + 1);
        ReplaceBlanks(c.sessionName);
        ReplaceBlanks(c.password);
        m_app.ChooseStandAlone(m_standAlone != 0);
        break;
      case kButtons[kJoin].id: {
        const LRESULT selected = SendDlgItemMessage(window, kSessionList, LB_GETCURSEL, 0, 0);
        if (selected == LB_ERR || static_cast<std::size_t>(selected) >= m_entries.size()) {
          Flash(kJoin);
          return false;
        }
        const SessionEntry& entry = m_entries[static_cast<std::size_t>(selected)];
        c.sessionId = entry.id;
        if (entry.kind == 's') {
          std::snprintf(c.sessionName, sizeof c.sessionName, "%s", entry.name);
        } else {
          c.sessionName[0] = '\0';
        }
        GetDlgItemText(window, kJoinPasswordEdit, c.password, kPasswordLimit + 1);
        if (entry.password && c.password[0] == '\0') {
          PlayClick();
          m_app.ShowTextBox("PASSWORD");
          return false;
        }
        ReplaceBlanks(c.password);
        break;
      }
      default:
        break;
    }
    KillTimer(window, kRefreshTimer);
    return true;
  }

 private:
  static int AddSession(const HvMSession_Struct* session, void* context) {
    auto* self = static_cast<CCreateJoinDlg*>(context);
    if (!session || self->m_entries.size() >= kMaxListedSessions) return 1;
    self->m_entries.push_back(MakeSessionEntry(*session, [self](const char* id, int n) {
      char text[256];
      self->m_app.TextIndex().GetText(id, text, sizeof text, n);
      return std::string(text);
    }));
    return 1;
  }

  void Refresh(HWND window) {
    const LRESULT before = SendDlgItemMessage(window, kSessionList, LB_GETCURSEL, 0, 0);
    SendDlgItemMessage(window, kSessionList, LB_RESETCONTENT, 0, 0);
    m_entries.clear();
    if (g_session && g_session->multi) g_session->multi->EnumSessions(&CCreateJoinDlg::AddSession, this, 0);
    for (std::size_t i = 0; i < m_entries.size(); ++i)
      SendDlgItemMessage(window, kSessionList, LB_ADDSTRING, 0, static_cast<LPARAM>(i));
    Button(kJoin).SetDisabled(m_entries.empty() ? 1 : 0);
    LRESULT selection = LB_ERR;
    if (!m_entries.empty() && before == LB_ERR) selection = 0;
    if (before != LB_ERR && static_cast<std::size_t>(before) < m_entries.size()) selection = before;
    if (selection != LB_ERR) SendDlgItemMessage(window, kSessionList, LB_SETCURSEL, static_cast<WPARAM>(selection), 0);
    InvalidateRect(window, nullptr, FALSE);
  }

  std::vector<SessionEntry> m_entries;
  std::uint32_t m_standAlone = 0;
};

}  // namespace

std::int16_t RunCreateJoinDlg(CClntApp& app) {
  CCreateJoinDlg dialog(app);
  return dialog.Run("IDD_CREATEJOIN");
}
