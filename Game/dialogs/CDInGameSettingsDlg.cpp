#include "Game/dialogs/CDInGameSettingsDlg.h"

#include <span>

#include "Game/dialogs/DialogArt.h"
#include "Game/dialogs/SettingsIds.h"
#include "Game/model/GGameData.h"
#include "Game/setup/GameSetup.h"
#include "media/CSndPlay.h"
#include "platform/core/clock.h"
#include "platform/dialog/dialog.h"
#include "platform/user/paint.h"
#include "platform/user/window.h"

using namespace plat;

namespace {

enum Group : int { kEffects, kMusic, kFacing, kZoom, kFog, kFrames, kStars, kSpeech, kAutosave, kGroups, kNoGroup };

// Which switch a button is and the value it stands for; Save and Cancel are no switch.
struct Switch {
  int group;
  std::int32_t value;
};

// The two autosave buttons come last, so a table without them is the rest.
constexpr ScreenButton kButtons[] = {
    {IDC_SETTINGS_SFX_SILENT, 305, 147, 66, 40, "sfxsilof.ima", "sfxsilon.ima", "NGSTSFX0", 0},
    {IDC_SETTINGS_SFX_LOW, 371, 147, 66, 40, "sfxlowof.ima", "sfxlowon.ima", "NGSTSFX1", 0},
    {IDC_SETTINGS_SFX_MEDIUM, 437, 147, 66, 40, "sfxmedof.ima", "sfxmedon.ima", "NGSTSFX2", 0},
    {IDC_SETTINGS_SFX_HIGH, 503, 147, 66, 40, "sfxhiof.ima", "sfxhion.ima", "NGSTSFX3", 0},
    {IDC_SETTINGS_MUSIC_ON, 334, 79, 104, 27, "msconof.ima", "msconon.ima", "NGSTMSON", 0},
    {IDC_SETTINGS_MUSIC_OFF, 438, 79, 111, 27, "mscofof.ima", "mscofon.ima", "NGSTMSOF", 0},
    {IDC_SETTINGS_FACING_ON, 51, 72, 98, 26, "sshponof.ima", "sshponon.ima", "NGSTFCON", 0},
    {IDC_SETTINGS_FACING_OFF, 159, 72, 106, 26, "sshpofof.ima", "sshpofon.ima", "NGSTFCOF", 0},
    {IDC_SETTINGS_ZOOM_ON, 51, 130, 98, 26, "fszmonof.ima", "fszmonon.ima", "NGSTZMON", 0},
    {IDC_SETTINGS_ZOOM_OFF, 159, 130, 106, 26, "fszmofof.ima", "fszmofon.ima", "NGSTZMOF", 0},
    {IDC_SETTINGS_FOG_ON, 51, 189, 98, 26, "dfogonof.ima", "dfogonon.ima", "NGSTFGON", 0},
    {IDC_SETTINGS_FOG_OFF, 159, 189, 106, 26, "dfogofof.ima", "dfogofon.ima", "NGSTFGOF", 0},
    {IDC_SETTINGS_FRAMES_ON, 51, 248, 98, 26, "frmaonof.ima", "frmaonon.ima", "NGSTFAON", 0},
    {IDC_SETTINGS_FRAMES_OFF, 159, 248, 106, 26, "frmaofof.ima", "frmaofon.ima", "NGSTFAOF", 0},
    {IDC_SETTINGS_STARS_ON, 51, 319, 98, 26, "bstronof.ima", "bstronon.ima", "NGSTBKON", 0},
    {IDC_SETTINGS_STARS_OFF, 159, 319, 106, 26, "bstrofof.ima", "bstrofon.ima", "NGSTBKOF", 0},
    {IDC_SETTINGS_SPEECH_ON, 334, 216, 104, 27, "sfdbonof.ima", "sfdbonon.ima", "NGSTSPON", 0},
    {IDC_SETTINGS_SPEECH_OFF, 438, 216, 111, 27, "sfdbofof.ima", "sfdbofon.ima", "NGSTSPOF", 0},
    {IDC_SETTINGS_SAVE, 326, 323, 103, 37, "saveof.ima", "saveon.ima", "NGSTSAVE", kSettingsSaved},
    {IDC_SETTINGS_CANCEL, 444, 323, 103, 37, "cancelof.ima", "cancelon.ima", "NGSTCNCL", kSettingsCancelled},
    // In the column of the music and speech pairs: placed 9 pixels further
    // right, the on button would lie under its off button's left edge.
    {IDC_SETTINGS_AUTOSAVE_ON, 334, 281, 104, 27, "asveonof.ima", "asveonon.ima", "NGSTASON", 0},
    {IDC_SETTINGS_AUTOSAVE_OFF, 438, 281, 111, 27, "asveofof.ima", "asveofon.ima", "NGSTASOF", 0},
};

const Switch kSwitches[std::size(kButtons)] = {
    {kEffects, 0}, {kEffects, 1}, {kEffects, 2},  {kEffects, 3},  {kMusic, 1},  {kMusic, 0},
    {kFacing, 1},  {kFacing, 0},  {kZoom, 1},     {kZoom, 0},     {kFog, 1},    {kFog, 0},
    {kFrames, 1},  {kFrames, 0},  {kStars, 1},    {kStars, 0},    {kSpeech, 1}, {kSpeech, 0},
    {kNoGroup, 0}, {kNoGroup, 0}, {kAutosave, 1}, {kAutosave, 0},
};

constexpr std::size_t kAutosaveButtons = 2;
constexpr std::size_t kCancel = 19;
static_assert(kButtons[kCancel].id == IDC_SETTINGS_CANCEL);

std::span<const ScreenButton> ButtonsFor(bool mayChangeAutosave) {
  return std::span<const ScreenButton>(kButtons).first(std::size(kButtons) -
                                                       (mayChangeAutosave ? 0 : kAutosaveButtons));
}

// The dialog's place on the screen.
constexpr RECT kArea{25, 96, 25 + 590, 96 + 372};

}  // namespace

void StoreSettingsInOptions(const InGameSettings& s, PlayerOptions& o) {
  o.zoom = s.autozoom;
  o.staticFacing = s.shipFacing;
  o.stars = s.stars;
  o.fogging = s.distanceFog;
  o.frameAnimation = s.frameAnimation;
  o.musicLevel = s.musicLevel;
  o.effectsLevel = s.effectsLevel;
  o.speech = s.speech;
}

CDInGameSettingsDlg::CDInGameSettingsDlg(CDDraw* display, HWND parent, HINSTANCE instance,
                                         const InGameSettings& current, bool mayChangeAutosave, ISettingsScreen& screen)
    : CButtonTableDlg(display, parent, instance, 199, ButtonsFor(mayChangeAutosave)),
      m_kept(current),
      m_screen(screen),
      m_count(ButtonsFor(mayChangeAutosave).size()) {
  m_result = DoModal("IDD_INGAMESETTINGS");
}

CDInGameSettingsDlg::~CDInGameSettingsDlg() { RedrawGameView(); }

std::string CDInGameSettingsDlg::ImagePath(std::size_t, const char* name) const { return DialogArt(name); }

std::int32_t CDInGameSettingsDlg::Value(int group) const {
  switch (group) {
    case kEffects:
      return m_kept.effectsLevel;
    case kMusic:
      return m_kept.musicLevel;
    case kFacing:
      return static_cast<std::int32_t>(m_kept.shipFacing);
    case kZoom:
      return static_cast<std::int32_t>(m_kept.autozoom);
    case kFog:
      return static_cast<std::int32_t>(m_kept.distanceFog);
    case kFrames:
      return static_cast<std::int32_t>(m_kept.frameAnimation);
    case kStars:
      return static_cast<std::int32_t>(m_kept.stars);
    case kSpeech:
      return static_cast<std::int32_t>(m_kept.speech);
    case kAutosave:
      return static_cast<std::int32_t>(m_kept.autosave);
    default:
      return -1;
  }
}

void CDInGameSettingsDlg::SetValue(int group, std::int32_t value) {
  const auto on = static_cast<std::uint32_t>(value);
  switch (group) {
    case kEffects:
      m_kept.effectsLevel = static_cast<std::int16_t>(value);
      break;
    case kMusic:
      m_kept.musicLevel = static_cast<std::int16_t>(value);
      break;
    case kFacing:
      m_kept.shipFacing = on;
      break;
    case kZoom:
      m_kept.autozoom = on;
      break;
    case kFog:
      m_kept.distanceFog = on;
      break;
    case kFrames:
      m_kept.frameAnimation = on;
      break;
    case kStars:
      m_kept.stars = on;
      break;
    case kSpeech:
      m_kept.speech = on;
      break;
    case kAutosave:
      m_kept.autosave = on;
      break;
    default:
      break;
  }
}

std::size_t CDInGameSettingsDlg::LitButton(int group) const {
  const std::int32_t value = Value(group);
  for (std::size_t i = 0; i < m_count; ++i)
    if (kSwitches[i].group == group && kSwitches[i].value == value) return i;
  return m_count;
}

LRESULT CDInGameSettingsDlg::OnInitDialog(HWND window) {
  CButtonTableDlg::OnInitDialog(window);
  m_background = LoadImage(DialogArt("Bkgnd17.ima").c_str(), 0, 0);
  MoveWindow(window, kArea.left, kArea.top, kArea.right - kArea.left, kArea.bottom - kArea.top, FALSE);
  // The first paint draws every button over the background, the lit ones lit.
  for (int group = 0; group < kGroups; ++group)
    if (const std::size_t lit = LitButton(group); lit < m_count) SetPressed(lit, true, false);
  return 0;
}

LRESULT CDInGameSettingsDlg::OnPaint(HWND window) {
  CButtonTableDlg::OnPaint(window);
  for (std::size_t i = 0; i < m_count; ++i) ValidateRect(Button(i).window, nullptr);
  return 0;
}

std::size_t CDInGameSettingsDlg::EscapeButton() const { return kCancel; }

void CDInGameSettingsDlg::OnButton(HWND window, std::size_t index) {
  const ScreenButton& button = Entry(index);
  if (button.id == IDC_SETTINGS_SAVE || button.id == IDC_SETTINGS_CANCEL) {
    Close(window, index, button.result);
    return;
  }
  const Switch& pressed = kSwitches[index];
  // A group whose value no button stands for (a music level above 1 read
  // from the file) keeps it: there is no lit button to move from.
  const std::size_t lit = LitButton(pressed.group);
  if (lit == index || lit >= m_count) return;
  SetValue(pressed.group, pressed.value);
  if (pressed.group == kAutosave) {
    if (g_gameData) g_gameData->inGameSwitch = m_kept.autosave;
    m_screen.AutosaveSwitched(m_kept.autosave != 0);
  }
  PlayClick();
  SetPressed(lit, false);
  SetPressed(index, true);
  InvalidateRect(window, nullptr, FALSE);
}

void CDInGameSettingsDlg::Close(HWND window, std::size_t index, int result) {
  PlayClick();
  ToggleButton(index);
  InvalidateRect(window, nullptr, FALSE);
  Sleep(100);
  if (result == kSettingsSaved) Save();
  EndDialog(window, result);
}

void CDInGameSettingsDlg::Save() {
  if (g_sndPlay) g_sndPlay->SetLevels(m_kept.musicLevel, m_kept.effectsLevel, m_kept.speech);
  if (g_gameData) g_gameData->inGameSwitch = m_kept.autosave;
  m_screen.ApplyToView(m_kept);
  if (PlayerOptions* options = m_screen.Options()) StoreSettingsInOptions(m_kept, *options);
  m_screen.WriteUserInfo();
}
