#include "Game/dialogs/CDFindAsteroidDlg.h"

#include <cctype>

#include "Game/app/AppGlobals.h"
#include "Game/dialogs/DialogArt.h"
#include "Game/dialogs/NameIds.h"
#include "Game/model/GAsteroid.h"
#include "Game/model/GGameData.h"
#include "Game/model/GSolarSys.h"
#include "platform/core/clock.h"
#include "platform/dialog/dialog.h"
#include "platform/dialog/edit.h"
#include "platform/user/window.h"

using namespace plat;

namespace {

const ScreenButton kButtons[] = {
    {IDOK, 100, 163, 80, 49, "editoku.ima", "editokd.ima", nullptr, 0},
};

constexpr const char* kFindPrompt = "Enter the name of the asteroid to find";

bool BeginsWith(std::string_view name, std::string_view typed) {
  if (name.size() < typed.size()) return false;
  for (std::size_t i = 0; i < typed.size(); ++i)
    if (std::tolower(static_cast<unsigned char>(name[i])) != std::tolower(static_cast<unsigned char>(typed[i])))
      return false;
  return true;
}

}  // namespace

std::uint16_t MatchAsteroidName(const CGSolarDB& solar, std::string_view typed, bool hideUndetected) {
  std::uint16_t found = kNoAsteroid;
  const std::uint16_t count = CGSolarDB::GetAsteroidCount();
  for (std::uint16_t a = 0; a < count; ++a) {
    CGAsteroid* asteroid = solar.GetAsteroid(a);
    if (!asteroid || (hideUndetected && !asteroid->detected)) continue;
    const char* name = asteroid->GetName();
    if (!name || !BeginsWith(name, typed)) continue;
    if (found != kNoAsteroid) return kNoAsteroid;
    found = a;
  }
  return found;
}

CDFindAsteroidDlg::CDFindAsteroidDlg(CDDraw* display, HWND parent, HINSTANCE instance, int guild,
                                     std::uint16_t* asteroid)
    : CDNamePrompt(display, parent, instance, kFindPrompt, guild, kButtons), m_asteroid(asteroid) {
  *m_asteroid = kNoAsteroid;
  m_result = DoModal("IDD_ENTER_NAME_DLG");
}

CDFindAsteroidDlg::~CDFindAsteroidDlg() { RedrawGameView(); }

LRESULT CDFindAsteroidDlg::OnInitDialog(HWND window) {
  CDNamePrompt::OnInitDialog(window);
  // The template's place stays; the size is the picture's.
  SetWindowPos(window, nullptr, 0, 0, 279, 211, SWP_NOMOVE | SWP_NOZORDER);
  return 0;
}

void CDFindAsteroidDlg::Complete(HWND window) {
  if (!g_gameData) return;
  const std::string typed = FieldText(window);
  const std::uint16_t found = MatchAsteroidName(g_gameData->solarDB, typed, g_gameData->asteroidsHiddenUntilSeen != 0);
  *m_asteroid = found;
  // A deletion is not completed again, or the player could never take back
  // a letter of a completed name.
  const bool grew = typed.size() > m_typedLength;
  m_typedLength = typed.size();
  if (found == kNoAsteroid || !grew) return;
  CGAsteroid* asteroid = g_gameData->solarDB.GetAsteroid(found);
  const std::string name = asteroid->GetName();
  m_busy = true;
  SetDlgItemText(window, IDC_NAME_TEXT, name.c_str());
  // The completed rest is selected, so the next letter typed replaces it
  // rather than going after the whole name.
  SendDlgItemMessage(window, IDC_NAME_TEXT, EM_SETSEL, typed.size(), name.size());
  m_busy = false;
}

void CDFindAsteroidDlg::OnButton(HWND window, std::size_t) {
  PlayClick();
  ToggleButton(0);
  Sleep(100);
  EndDialog(window, 0);
}

LRESULT CDFindAsteroidDlg::OnOtherCommand(WPARAM wParam, LPARAM, HWND window) {
  if (LOWORD(wParam) == IDC_NAME_TEXT && HIWORD(wParam) == EN_CHANGE) {
    if (!m_busy) Complete(window);
    return 1;
  }
  if (LOWORD(wParam) == IDCANCEL) {
    // Escape finds nothing, whatever the field had completed: the view is not
    // to fly off after a search the player gave up.
    *m_asteroid = kNoAsteroid;
    EndDialog(window, 1);
    return 1;
  }
  return 0;
}

std::uint16_t RunFindAsteroidDialog() {
  std::uint16_t asteroid = kNoAsteroid;
  CDFindAsteroidDlg dialog(g_ddraw, g_mainWnd, DialogInstance(), LocalGuildIndex(), &asteroid);
  return asteroid;
}
