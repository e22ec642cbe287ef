// The screens made of groups of choices: fog of war, starting values and the
// preferences.
#include <array>
#include <span>
#include <utility>

#include "Game/app/CClntApp.h"
#include "Game/frontend/CFrontEndScreen.h"
#include "Game/frontend/ScreenHistory.h"
#include "Game/frontend/SetupScreens.h"
#include "media/CSndPlay.h"

using namespace plat;

namespace {

// One button of a choice group: the group's setting takes `value` when it is
// pressed. A locked screen shows the current choice with `go` and the others
// with `grey`.
struct ScreenChoice {
  int group;
  std::uint16_t value;
  const char* go;
  const char* grey;
};

// A button greyed from the start, and the picture it shows.
using GreyedButton = std::pair<std::size_t, const char*>;

class CChoiceScreen : public CFrontEndScreen {
 public:
  CChoiceScreen(CClntApp& app, const char* background, std::span<const ScreenButton> buttons,
                std::span<const ScreenChoice> choices, bool locked, std::span<const GreyedButton> greyed = {})
      : CFrontEndScreen(app, background, buttons, kScreenBack),
        m_choices(choices),
        m_locked(locked),
        m_greyed(greyed) {}

  LRESULT OnInitDialog(HWND window) override {
    CFrontEndScreen::OnInitDialog(window);
    for (std::size_t i = 0; i < m_choices.size(); ++i) {
      const ScreenChoice& c = m_choices[i];
      const bool current = Field(c.group) == c.value;
      SetPressed(i, current, false);
      if (c.go) Button(i).SetDisabledImage(FrontEndArt(current ? c.go : c.grey).c_str());
      Button(i).SetDisabled(m_locked ? 1 : 0);
    }
    for (const auto& [index, grey] : m_greyed) SetDisabled(index, true, grey);
    return 0;
  }

 protected:
  // The setting of a group.
  virtual std::uint16_t& Field(int group) = 0;
  // A navigation button is pressed: false keeps the screen.
  virtual bool Navigate(HWND, const ScreenButton&) { return true; }

  bool Accept(HWND window, const ScreenButton& b) override {
    const std::size_t index = IndexOf(b);
    if (index >= m_choices.size()) return Navigate(window, b);
    const ScreenChoice& chosen = m_choices[index];
    std::uint16_t& field = Field(chosen.group);
    if (m_locked || field == chosen.value) return false;
    for (std::size_t i = 0; i < m_choices.size(); ++i)
      if (m_choices[i].group == chosen.group && m_choices[i].value == field) SetPressed(i, false);
    field = chosen.value;
    PlayClick();
    SetPressed(index, true);
    return false;
  }

 private:
  std::span<const ScreenChoice> m_choices;
  bool m_locked;
  std::span<const GreyedButton> m_greyed;
};

// The play button of the fog-of-war and starting-values screens, or OK.
constexpr ScreenButton PlayButton(int id, bool ok) {
  return ok ? ScreenButton{id, 71, 468, 655, 56, "okoff.ima", "okon.ima", "FEST__OK", kScreenWait}
            : ScreenButton{id, 71, 468, 655, 56, "playoff.ima", "playon.ima", "FESTPLAY", kScreenWait};
}

enum FogGroup { kTransit, kAsteroids, kAsteroidsScanned, kShipsScanned, kControl };
constexpr std::array<ScreenChoice, 11> kFogChoices{{
    {kTransit, 0, "alws1go.ima", "alws1gry.ima"},
    {kTransit, 1, "wnrnggo.ima", "wnrnggry.ima"},
    {kTransit, 2, "nevergo.ima", "nevergry.ima"},
    {kAsteroids, 0, "alws2go.ima", "alws2gry.ima"},
    {kAsteroids, 1, "onaftgo.ima", "onaftgry.ima"},
    {kAsteroidsScanned, 0, "all1go.ima", "all1gry.ima"},
    {kAsteroidsScanned, 1, "onastgo.ima", "onastgry.ima"},
    {kShipsScanned, 0, "all2go.ima", "all2gry.ima"},
    {kShipsScanned, 1, "onshpgo.ima", "onshpgry.ima"},
    {kControl, 0, "alws3go.ima", "alws3gry.ima"},
    {kControl, 1, "onprsgo.ima", "onprsgry.ima"},
}};
enum FogButton : std::size_t { kFogStartingValues = 11, kFogTraits, kFogGuild };

constexpr std::array<ScreenButton, 17> FogButtons(bool ok) {
  return {{
      {2972, 240, 184, 83, 20, "alws1off.ima", "alws1on.ima", "FEFWALW1", 0},
      {2973, 335, 173, 220, 31, "wnrngoff.ima", "wnrngon.ima", "FEFWSOM1", 0},
      {2974, 641, 184, 73, 20, "neveroff.ima", "neveron.ima", "FEFWNEV1", 0},
      {2975, 240, 236, 83, 20, "alws2off.ima", "alws2on.ima", "FEFWALW2", 0},
      {2976, 335, 225, 268, 31, "onaftoff.ima", "onafton.ima", "FEFWSOM2", 0},
      {2977, 240, 286, 53, 20, "all1off.ima", "all1on.ima", "FEFWALL3", 0},
      {2978, 335, 275, 196, 31, "onastoff.ima", "onaston.ima", "FEFWSOM3", 0},
      {2979, 240, 335, 53, 20, "all2off.ima", "all2on.ima", "FEFWALL4", 0},
      {2980, 335, 335, 146, 20, "onshpoff.ima", "onshpon.ima", "FEFWSOM4", 0},
      {2981, 240, 385, 83, 20, "alws3off.ima", "alws3on.ima", "FEFWALL5", 0},
      {2982, 335, 385, 264, 20, "onprsoff.ima", "onprson.ima", "FEFWSOM5", 0},
      {2984, 55, 528, 156, 58, "stvaloff.ima", "stvalon.ima", "FEFWSTVA", kScreenStarting},
      {2985, 410, 528, 156, 58, "chtrtoff.ima", "chtrton.ima", "FEFWCHTR", kScreenTraits},
      {2986, 588, 528, 156, 58, "pkgldoff.ima", "pkgldon.ima", "FEFWPICK", kScreenGuildChapter},
      PlayButton(2987, ok),
      {2988, 0, 190, 46, 198, "prvus8up.ima", "previus8.ima", "FEFWPREV", kScreenBack},
      {2989, 754, 190, 46, 198, "mnscr8up.ima", "mainscr8.ima", "FEFWMAIN", kScreenTitle},
  }};
}
constexpr auto kFogButtons = FogButtons(false);
constexpr auto kFogOkButtons = FogButtons(true);
// Opened from the configuration (OK mode), the screen leads nowhere but back
// to it: the buttons to the other set-up screens are greyed.
constexpr std::array<GreyedButton, 3> kFogOkGreyed{
    {{kFogStartingValues, "stvalgry.ima"}, {kFogTraits, "chtrtgry.ima"}, {kFogGuild, "pkgldgry.ima"}}};

class CFogOfWarDlg : public CChoiceScreen {
 public:
  CFogOfWarDlg(CClntApp& app, GameSettingsPacket& settings, bool okMode)
      : CChoiceScreen(app, "bkgnd13.ima", okMode ? kFogOkButtons : kFogButtons, kFogChoices, settings.word16 != 0,
                      okMode ? kFogOkGreyed : std::span<const GreyedButton>()),
        m_settings(settings) {}

  const char* OpeningSound() const override { return "open2.wav"; }
  const char* ClosingSound(std::int16_t result) const override {
    return result == kScreenWait ? nullptr : "shut2.wav";
  }

 protected:
  std::uint16_t& Field(int group) override {
    switch (group) {
      case kTransit: return m_settings.fowShowInTransit;
      case kAsteroids: return m_settings.fowShowAsteroids;
      case kAsteroidsScanned: return m_settings.fowAstStartScanned;
      case kShipsScanned: return m_settings.fowShipStartScanned;
      default: return m_settings.fowDispControlOfAst;
    }
  }

 private:
  GameSettingsPacket& m_settings;
};

enum StartingGroup { kEconomicGrade, kOrbits, kResources, kForces };
constexpr std::array<ScreenChoice, 10> kStartingChoices{{
    {kEconomicGrade, 0, "ecngdgo.ima", "ecngdgry.ima"},
    {kEconomicGrade, 1, "ecnrmgo.ima", "ecnrmgry.ima"},
    {kOrbits, 0, "orbnego.ima", "orbnegry.ima"},
    {kOrbits, 1, "orbrmgo.ima", "orbrmgry.ima"},
    {kResources, 0, "reshigo.ima", "reshigry.ima"},
    {kResources, 1, "resavgo.ima", "resavgry.ima"},
    {kResources, 2, "reslwgo.ima", "reslwgry.ima"},
    {kForces, 0, "forhigo.ima", "forhigry.ima"},
    {kForces, 1, "foravgo.ima", "foravgry.ima"},
    {kForces, 2, "forlwgo.ima", "forlwgry.ima"},
}};
enum StartingButton : std::size_t { kStartFog = 10, kStartTraits, kStartGuild };

constexpr std::array<ScreenButton, 16> StartingButtons(bool ok) {
  return {{
      {2955, 58, 288, 137, 18, "ecngdoff.ima", "ecngdon.ima", "FESTEGGD", 0},
      {2956, 58, 361, 137, 18, "ecnrmoff.ima", "ecnrmon.ima", "FESTEGRN", 0},
      {2957, 196, 281, 173, 31, "orbneoff.ima", "orbneon.ima", "FESTORNE", 0},
      {295, 196, 361, 173, 18, "orbrmoff.ima", "orbrmon.ima", "FESTORRN", 0},
      {2960, 433, 271, 173, 18, "reshioff.ima", "reshion.ima", "FESTRSHI", 0},
      {2961, 433, 328, 173, 18, "resavoff.ima", "resavon.ima", "FESTRSAV", 0},
      {2959, 433, 385, 173, 18, "reslwoff.ima", "reslwon.ima", "FESTRSLW", 0},
      {2963, 607, 271, 135, 18, "forhioff.ima", "forhion.ima", "FESTFOHI", 0},
      {2964, 607, 328, 135, 18, "foravoff.ima", "foravon.ima", "FESTFOAV", 0},
      {2962, 607, 385, 135, 18, "forlwoff.ima", "forlwon.ima", "FESTFOLO", 0},
      {2966, 233, 528, 156, 58, "fgwaroff.ima", "fgwaron.ima", "FEST_FOW", kScreenFog},
      {2967, 410, 528, 156, 58, "chtrtoff.ima", "chtrton.ima", "FESTCHTR", kScreenTraits},
      {2968, 588, 528, 156, 58, "pkgldoff.ima", "pkgldon.ima", "FESTPICK", kScreenGuildChapter},
      PlayButton(2969, ok),
      {2970, 0, 190, 46, 198, "prvus9up.ima", "previus9.ima", "FESTPREV", kScreenBack},
      {2971, 754, 190, 46, 198, "mnscr9up.ima", "mainscr9.ima", "FESTMAIN", kScreenTitle},
  }};
}
constexpr auto kStartingButtons = StartingButtons(false);
constexpr auto kStartingOkButtons = StartingButtons(true);
constexpr std::array<GreyedButton, 3> kStartingOkGreyed{
    {{kStartFog, "fgwargry.ima"}, {kStartTraits, "chtrtgry.ima"}, {kStartGuild, "pkgldgry.ima"}}};

class CStartingDlg : public CChoiceScreen {
 public:
  CStartingDlg(CClntApp& app, GameSettingsPacket& settings, bool okMode)
      : CChoiceScreen(app, "bkgnd12.ima", okMode ? kStartingOkButtons : kStartingButtons, kStartingChoices,
                      settings.word16 != 0, okMode ? kStartingOkGreyed : std::span<const GreyedButton>()),
        m_settings(settings) {}

  const char* OpeningSound() const override { return "open2.wav"; }
  const char* ClosingSound(std::int16_t) const override { return "shut2.wav"; }

 protected:
  std::uint16_t& Field(int group) override {
    switch (group) {
      case kEconomicGrade: return m_settings.randomEconomicGrade;
      case kOrbits: return m_settings.randomOrbits;
      case kResources: return m_settings.resourceScale;
      default: return m_settings.forceScale;
    }
  }

 private:
  GameSettingsPacket& m_settings;
};

enum PrefsGroup { kMusic, kSpeech, kEffects };
constexpr std::array<ScreenChoice, 8> kPrefsChoices{{
    {kMusic, 1, nullptr, nullptr},
    {kMusic, 0, nullptr, nullptr},
    {kSpeech, 1, nullptr, nullptr},
    {kSpeech, 0, nullptr, nullptr},
    {kEffects, 0, nullptr, nullptr},
    {kEffects, 1, nullptr, nullptr},
    {kEffects, 2, nullptr, nullptr},
    {kEffects, 3, nullptr, nullptr},
}};
constexpr int kPrefsSave = 3068;
constexpr std::array<ScreenButton, 11> kPrefsButtons{{
    {3060, 56, 357, 126, 91, "musconup.ima", "muscon.ima", "FEPRMUSC", 0},
    {3061, 56, 457, 126, 91, "muscofup.ima", "muscof.ima", "FEPRNOMS", 0},
    {3062, 618, 357, 126, 91, "spfbonup.ima", "spfbon.ima", "FEPRSPCH", 0},
    {3063, 618, 457, 126, 91, "spfbofup.ima", "spfbof.ima", "FEPRNOSP", 0},
    {3064, 265, 340, 268, 31, "sfxsltup.ima", "sfxslt.ima", "FEPRNOSD", 0},
    {3065, 265, 383, 268, 31, "sfxlowup.ima", "sfxlow.ima", "FEPRLWSD", 0},
    {3066, 265, 426, 268, 31, "sfxmedup.ima", "sfxmed.ima", "FEPRMDSD", 0},
    {3067, 265, 468, 268, 31, "sfxhiup.ima", "sfxhi.ima", "FEPRHISD", 0},
    {kPrefsSave, 344, 506, 111, 46, "vlumesup.ima", "vlumes.ima", "FEPRVOLM", kScreenTitle},
    {3069, 0, 190, 46, 198, "prvus3up.ima", "previus3.ima", "FEPRPREV", kScreenBack},
    {3070, 754, 190, 46, 198, "mnscr3up.ima", "mainscr3.ima", "FEPRMAIN", kScreenTitle},
}};

class CPrefsDlg : public CChoiceScreen {
 public:
  explicit CPrefsDlg(CClntApp& app) : CChoiceScreen(app, "bkgnd3.ima", kPrefsButtons, kPrefsChoices, false) {
    m_effects = static_cast<std::uint16_t>(app.m_options.effectsLevel);
    m_music = app.m_options.musicLevel >= 1 ? 1 : 0;
    m_speech = g_sndPlay ? (g_sndPlay->speechEnabled ? 1 : 0) : (app.m_options.speech ? 1 : 0);
  }

 protected:
  std::uint16_t& Field(int group) override {
    switch (group) {
      case kMusic: return m_music;
      case kSpeech: return m_speech;
      default: return m_effects;
    }
  }

  bool Navigate(HWND, const ScreenButton& b) override {
    if (b.id != kPrefsSave) return true;
    PlayerOptions& o = m_app.m_options;
    o.effectsLevel = static_cast<std::int16_t>(m_effects);
    o.musicLevel = static_cast<std::int16_t>(m_music);
    o.speech = m_speech;
    // The level of music heard is always the loudest when it is on at all.
    constexpr short kMusicOnLevel = 3;
    if (g_sndPlay) g_sndPlay->SetLevels(m_music ? kMusicOnLevel : 0, static_cast<short>(m_effects), m_speech);
    return true;
  }

 private:
  std::uint16_t m_effects = 0;
  std::uint16_t m_music = 0;
  std::uint16_t m_speech = 0;
};

}  // namespace

std::int16_t RunFogOfWarDlg(CClntApp& app, GameSettingsPacket& settings, bool okMode) {
  CFogOfWarDlg dialog(app, settings, okMode);
  return dialog.Run("IDD_PERSONAL");
}

std::int16_t RunStartingDlg(CClntApp& app, GameSettingsPacket& settings, bool okMode) {
  CStartingDlg dialog(app, settings, okMode);
  return dialog.Run("IDD_STARTING");
}

std::int16_t RunPrefsDlg(CClntApp& app) {
  CPrefsDlg dialog(app);
  return dialog.Run("IDD_PREFS");
}
