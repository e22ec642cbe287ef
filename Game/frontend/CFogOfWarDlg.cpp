// The fog-of-war screen.
#include <array>

#include "Game/app/CClntApp.h"
#include "Game/frontend/CChoiceScreen.h"
#include "Game/frontend/SetupScreens.h"
#include "media/CSndPlay.h"

using namespace plat;

namespace {

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
  const char* ClosingSound(std::int16_t result) const override { return result == kScreenWait ? nullptr : "shut2.wav"; }

 protected:
  std::uint16_t& Field(int group) override {
    switch (group) {
      case kTransit:
        return m_settings.fowShowInTransit;
      case kAsteroids:
        return m_settings.fowShowAsteroids;
      case kAsteroidsScanned:
        return m_settings.fowAstStartScanned;
      case kShipsScanned:
        return m_settings.fowShipStartScanned;
      default:
        return m_settings.fowDispControlOfAst;
    }
  }

 private:
  GameSettingsPacket& m_settings;
};

}  // namespace

std::int16_t RunFogOfWarDlg(CClntApp& app, GameSettingsPacket& settings, bool okMode) {
  CFogOfWarDlg dialog(app, settings, okMode);
  return dialog.Run("IDD_PERSONAL");
}
