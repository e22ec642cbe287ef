// The starting-values screen.
#include <array>

#include "Game/app/CClntApp.h"
#include "Game/frontend/CChoiceScreen.h"
#include "Game/frontend/SetupScreens.h"
#include "media/CSndPlay.h"

using namespace plat;

namespace {

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
      case kEconomicGrade:
        return m_settings.randomEconomicGrade;
      case kOrbits:
        return m_settings.randomOrbits;
      case kResources:
        return m_settings.resourceScale;
      default:
        return m_settings.forceScale;
    }
  }

 private:
  GameSettingsPacket& m_settings;
};

}  // namespace

std::int16_t RunStartingDlg(CClntApp& app, GameSettingsPacket& settings, bool okMode) {
  CStartingDlg dialog(app, settings, okMode);
  return dialog.Run("IDD_STARTING");
}
