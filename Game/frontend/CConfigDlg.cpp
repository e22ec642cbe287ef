// The game configuration screen: victory conditions, size, pace and orbits of
// a new game.
#include <array>
#include <string>

#include "Game/app/CClntApp.h"
#include "Game/frontend/CFrontEndScreen.h"
#include "Game/frontend/FrontEndControls.h"
#include "Game/frontend/ScreenHistory.h"
#include "Game/frontend/SetupScreens.h"
#include "Game/setup/SetupRules.h"
#include "platform/dialog/dialog.h"
#include "platform/dialog/edit.h"
#include "platform/dialog/updown.h"
#include "platform/gdi/objects.h"
#include "platform/gdi/text.h"
#include "platform/user/window.h"

using namespace plat;

namespace {

constexpr std::int16_t kResultStart = 123;

struct NumberField {
  int edit, upDown;
  RECT place;  // x, y, width, height of the edit: wide enough for the largest value and the caret
  int low, high;
  std::uint16_t ConfigForm::*value;
  std::uint32_t ConfigEntries::*entry;  // where the edit's text goes to be checked
};
constexpr std::array<NumberField, 7> kNumbers{{
    {IDC_CONFIG_BIB_TURNS,
     IDC_CONFIG_BIB_TURNS_SPIN,
     {353, 402, 23, 19},
     1,
     999,
     &ConfigForm::biggestIsBestTurns,
     &ConfigEntries::biggestIsBestTurns},
    {IDC_CONFIG_IMPERATOR_ASTEROIDS,
     IDC_CONFIG_IMPERATOR_ASTEROIDS_SPIN,
     {353, 455, 23, 19},
     1,
     100,
     &ConfigForm::imperatorAsteroids,
     &ConfigEntries::imperatorAsteroids},
    {IDC_CONFIG_IMPERATOR_VOTES,
     IDC_CONFIG_IMPERATOR_VOTES_SPIN,
     {353, 499, 23, 19},
     1,
     100,
     &ConfigForm::imperatorVotes,
     &ConfigEntries::imperatorVotes},
    {IDC_CONFIG_TURN_TIME,
     IDC_CONFIG_TURN_TIME_SPIN,
     {699, 339, 23, 19},
     1,
     60,
     &ConfigForm::turnTime,
     &ConfigEntries::turnTime},
    {IDC_CONFIG_CHAPTERS,
     IDC_CONFIG_CHAPTERS_SPIN,
     {699, 371, 23, 19},
     1,
     8,
     &ConfigForm::chapters,
     &ConfigEntries::chapters},
    {IDC_CONFIG_ASTEROIDS,
     IDC_CONFIG_ASTEROIDS_SPIN,
     {699, 399, 23, 19},
     40,
     150,
     &ConfigForm::asteroids,
     &ConfigEntries::asteroids},
    {IDC_CONFIG_RESEARCH_SHARED,
     IDC_CONFIG_RESEARCH_SHARED_SPIN,
     {699, 488, 23, 19},
     0,
     100,
     &ConfigForm::researchShared,
     &ConfigEntries::researchShared},
}};
enum NumberIndex : std::size_t { kBibTurns, kImpAsteroids, kImpVotes, kTurnTime, kChapters, kAsteroids, kResearch };
constexpr RECT kImperatorCount{323, 468, 344, 487};
constexpr int kNumberFontHeight = 11;

enum ButtonIndex : std::size_t {
  kCapture,
  kBiggest,
  kImperator,
  kInterregnum,
  kRandomEvents,
  kHours,
  kMinutes,
  kFast,
  kNormal,
  kSlow,
  kStill,
  kChaoticYes,
  kChaoticNo,
  kStarting,
  kFog,
  kContinue,
  kPrevious,
  kMain,
  kLock,
};
constexpr std::array<ScreenButton, 19> kButtons{{
    {2915, 71, 374, 170, 10, "cptrflup.ima", "cptrfl.ima", "FEGCCAPF", 0},
    {2916, 71, 396, 152, 10, "bigbstup.ima", "bigbst.ima", "FEGC_BIB", 0},
    {2917, 71, 428, 220, 10, "impwinup.ima", "impwin.ima", "FEGCIWIN", 0},
    {2918, 85, 523, 123, 10, "intrgmup.ima", "intrgm.ima", "FEGCIREG", 0},
    {2919, 415, 427, 235, 10, "alwevtup.ima", "alwevt.ima", "FEGCRNDE", 0},
    {2920, 539, 354, 63, 15, "hoursup.ima", "hours.ima", "FEGCHOUR", 0},
    {2921, 446, 354, 81, 15, "minutsup.ima", "minuts.ima", "FEGCMINS", 0},
    {2922, 446, 463, 54, 15, "astfstof.ima", "astfston.ima", "FEGCFAST", 0},
    {2923, 512, 463, 72, 15, "astmedof.ima", "astmedon.ima", "FEGC_MED", 0},
    {2924, 597, 463, 54, 15, "astslwof.ima", "astslwon.ima", "FEGCSLOW", 0},
    {2925, 662, 463, 46, 15, "astoffof.ima", "astoffon.ima", "FEGC_OFF", 0},
    {2931, 578, 510, 54, 15, "chorysup.ima", "chorysdn.ima", "FEGCCORY", 0},
    {2932, 644, 510, 45, 15, "chornoup.ima", "chornodn.ima", "FEGCCORN", 0},
    {2926, 98, 548, 127, 49, "strvalup.ima", "strval.ima", "FEGCSVAL", kScreenStartingFromConfig},
    {2927, 577, 548, 127, 49, "fogwarup.ima", "fogwar.ima", "FEGC_FOW", kScreenFogFromConfig},
    {2928, 337, 530, 126, 49, "cntinuup.ima", "cntinu.ima", "FEGCCONT", kResultStart},
    {2929, 0, 190, 46, 198, "prvus4up.ima", "previus4.ima", "FEGCPREV", kScreenBack},
    {2930, 754, 190, 46, 198, "mnscr4up.ima", "mainscr4.ima", "FEGCMAIN", kScreenTitle},
    {3324, 245, 293, 311, 15, "lksetoff.ima", "lkseton.ima", "FECOLOCK", 0},
}};
// The orbit speed each orbit button sets, fastest first.
constexpr std::array<std::uint16_t, 4> kOrbitSpeeds{3, 2, 1, 0};

class CConfigDlg : public CFrontEndScreen {
 public:
  CConfigDlg(CClntApp& app, bool lockShown, bool lockEnabled, GameConfigPacket& config)
      : CFrontEndScreen(app, "bkgnd4.ima", std::span(kButtons).first(lockShown ? kButtons.size() : kLock), kScreenBack),
        m_lockShown(lockShown),
        m_lockEnabled(lockEnabled),
        m_config(config),
        m_form(ReadConfigForm(config)) {}
  ~CConfigDlg() override {
    if (m_numberFont) DeleteObject(m_numberFont);
  }

  LRESULT OnInitDialog(HWND window) override {
    CFrontEndScreen::OnInitDialog(window);
    m_window = window;
    // The edits are narrow: three digits fit only in a smaller font.
    m_numberFont = CreateFont(kNumberFontHeight, 0, 0, 0, 400, 0, 0, 0, 0, 0, 0, 0, 0, "Times New Roman");
    for (const NumberField& n : kNumbers) {
      SendDlgItemMessage(window, n.edit, WM_SETFONT, reinterpret_cast<WPARAM>(m_numberFont), FALSE);
      MoveWindow(GetDlgItem(window, n.edit), n.place.left, n.place.top, n.place.right, n.place.bottom, FALSE);
      MoveWindow(GetDlgItem(window, n.upDown), n.place.left + 23, n.place.top, 10, 20, FALSE);
      SendDlgItemMessage(window, n.upDown, UDM_SETRANGE, 0, MAKELONG(n.high, n.low));
    }
    ShowNumbers();
    SetPressed(kCapture, m_form.captureTheFlag, false);
    SetPressed(kBiggest, m_form.biggestIsBest, false);
    SetPressed(kImperator, m_form.imperatorWins, false);
    SetPressed(kInterregnum, m_form.interregnum, false);
    SetPressed(kRandomEvents, m_form.randomEvents, false);
    SetPressed(m_form.minutes ? kMinutes : kHours, true, false);
    for (std::size_t i = 0; i < kOrbitSpeeds.size(); ++i)
      SetPressed(kFast + i, kOrbitSpeeds[i] == m_form.orbitSpeed, false);
    SetPressed(m_form.chaotic ? kChaoticYes : kChaoticNo, true, false);
    Button(kInterregnum).SetDisabledImage(FrontEndArt("intrgmgr.ima").c_str());
    if (m_lockShown) {
      SetDisabled(kLock, !m_lockEnabled, "lksetgry.ima");
      SetPressed(kLock, m_lockEnabled && m_form.locked, false);
    }
    EnableVictoryFields();
    if (m_app.Role().singlePlayer) {
      ShowWindow(Button(kStarting).window, SW_HIDE);
      ShowWindow(Button(kFog).window, SW_HIDE);
    }
    return 0;
  }

  LRESULT OnPaint(HWND window) override {
    CFrontEndScreen::OnPaint(window);
    DrawImperatorCount();
    return 0;
  }

  LRESULT OnCtlColor(HDC dc) override { return TransparentControl(dc); }

  LRESULT OnCommand(WPARAM wParam, LPARAM lParam, HWND window) override {
    if (LOWORD(wParam) == kNumbers[kImpAsteroids].edit) {
      DrawImperatorCount();
      return 1;
    }
    return CFrontEndScreen::OnCommand(wParam, lParam, window);
  }

  const char* ClosingSound(std::int16_t result) const override {
    return result == kResultStart ? nullptr : "shut1.wav";
  }

 protected:
  bool Accept(HWND window, const ScreenButton& b) override {
    const std::size_t index = IndexOf(b);
    switch (index) {
      case kCapture:
        Flip(index, m_form.captureTheFlag);
        return false;
      case kBiggest:
        Flip(index, m_form.biggestIsBest);
        EnableVictoryFields();
        return false;
      case kImperator:
        Flip(index, m_form.imperatorWins);
        EnableVictoryFields();
        DrawButton(kInterregnum);
        return false;
      case kInterregnum:
        if (m_form.imperatorWins) Flip(index, m_form.interregnum);
        return false;
      case kRandomEvents:
        Flip(index, m_form.randomEvents);
        return false;
      case kLock:
        Flip(index, m_form.locked);
        return false;
      case kHours:
      case kMinutes:
        Choose(index, m_form.minutes ? kMinutes : kHours, [&] { m_form.minutes = index == kMinutes; });
        return false;
      case kFast:
      case kNormal:
      case kSlow:
      case kStill: {
        const std::size_t current = kFast + OrbitIndex(m_form.orbitSpeed);
        Choose(index, current, [&] { m_form.orbitSpeed = kOrbitSpeeds[index - kFast]; });
        return false;
      }
      case kChaoticYes:
      case kChaoticNo:
        Choose(index, m_form.chaotic ? kChaoticYes : kChaoticNo, [&] { m_form.chaotic = index == kChaoticYes; });
        return false;
      case kStarting:
      case kFog:
      case kContinue: {
        ConfigEntries e{};
        for (const NumberField& n : kNumbers) e.*n.entry = EditNumber(EditText(window, n.edit));
        const char* failure = ValidateConfigEntries(e, m_form);
        ShowNumbers();
        if (failure) {
          m_app.ShowTextBox(failure);
          return false;
        }
        StoreConfigForm(m_form, m_config);
        return true;
      }
      default:
        return true;
    }
  }

 private:
  static std::size_t OrbitIndex(std::uint16_t speed) {
    for (std::size_t i = 0; i < kOrbitSpeeds.size(); ++i)
      if (kOrbitSpeeds[i] == speed) return i;
    return kOrbitSpeeds.size();
  }

  static std::string EditText(HWND window, int edit) {
    char text[32] = {};
    GetDlgItemText(window, edit, text, sizeof text);
    return text;
  }

  void Flip(std::size_t index, bool& flag) {
    flag = !flag;
    PlayClick();
    SetPressed(index, flag);
  }

  // One button of a group of choices: the current one does nothing.
  template <class Apply>
  void Choose(std::size_t index, std::size_t current, Apply apply) {
    if (index == current) return;
    apply();
    PlayClick();
    SetPressed(index, true);
    if (current < kButtons.size()) SetPressed(current, false);
  }

  void ShowNumbers() {
    for (const NumberField& n : kNumbers) {
      const int value = m_form.*n.value;
      SendDlgItemMessage(m_window, n.upDown, UDM_SETPOS, 0, MAKELONG(value, 0));
      SetDlgItemText(m_window, n.edit, std::to_string(value).c_str());
    }
  }

  void EnableVictoryFields() {
    const BOOL biggest = m_form.biggestIsBest ? TRUE : FALSE;
    const BOOL imperator = m_form.imperatorWins ? TRUE : FALSE;
    EnableWindow(GetDlgItem(m_window, kNumbers[kBibTurns].edit), biggest);
    EnableWindow(GetDlgItem(m_window, kNumbers[kBibTurns].upDown), biggest);
    for (std::size_t i : {kImpAsteroids, kImpVotes}) {
      EnableWindow(GetDlgItem(m_window, kNumbers[i].edit), imperator);
      EnableWindow(GetDlgItem(m_window, kNumbers[i].upDown), imperator);
    }
    Button(kInterregnum).SetDisabled(m_form.imperatorWins ? 0 : 1);
  }

  void DrawImperatorCount() {
    const std::uint32_t count = ImperatorAsteroidCount(EditNumber(EditText(m_window, kNumbers[kAsteroids].edit)),
                                                       EditNumber(EditText(m_window, kNumbers[kImpAsteroids].edit)));
    DrawScreenText(m_window, kImperatorCount, std::to_string(count), 12, 400, RGB(255, 255, 255), DT_LEFT, false);
  }

  bool m_lockShown;
  bool m_lockEnabled;
  GameConfigPacket& m_config;
  ConfigForm m_form;
  HWND m_window = nullptr;
  HFONT m_numberFont = nullptr;
};

}  // namespace

std::int16_t RunConfigDlg(CClntApp& app, bool lockShown, bool lockEnabled, GameConfigPacket& config) {
  CConfigDlg dialog(app, lockShown, lockEnabled, config);
  return dialog.Run("IDD_CONFIG");
}
