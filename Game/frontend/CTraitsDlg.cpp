// The chapter traits screen: twenty traits at three levels, with the limits
// of how many a chapter may have.
#include <array>
#include <cstdio>

#include "Game/app/CClntApp.h"
#include "Game/frontend/CFrontEndScreen.h"
#include "Game/frontend/ScreenHistory.h"
#include "Game/frontend/SetupScreens.h"
#include "Game/setup/SetupRules.h"
#include "platform/user/paint.h"
#include "platform/user/window.h"

using namespace plat;

namespace {

constexpr std::size_t kNavigation = 6;
constexpr std::size_t kTraitButtons = kChapterTraits * kTraitLevels;
constexpr int kFirstTraitId = 3350;
constexpr std::array<int, kChapterTraits> kRowY{78, 103, 128, 153, 236, 261, 286, 311, 383, 408,
                                                74, 99,  124, 204, 229, 254, 331, 356, 381, 406};
struct LevelLook {
  int x[2];  // left column (traits 0..9), right column
  int width;
  const char *normal, *pressed, *grey;
};
constexpr std::array<LevelLook, kTraitLevels> kLevelLooks{{
    {{198, 556}, 51, "chtradof.ima", "chtradon.ima", "chtradgr.ima"},
    {{255, 614}, 58, "chtrexof.ima", "chtrexon.ima", "chtrexgr.ima"},
    {{318, 676}, 58, "chtrmaof.ima", "chtrmaon.ima", "chtrmagr.ima"},
}};

constexpr std::array<ScreenButton, kNavigation + kTraitButtons> MakeButtons() {
  std::array<ScreenButton, kNavigation + kTraitButtons> b{{
      {3017, 588, 528, 156, 58, "pkgldoff.ima", "pkgldon.ima", "FETRPICK", kScreenGuildChapter},
      {3018, 55, 528, 156, 58, "stvaloff.ima", "stvalon.ima", "FETRSVAL", kScreenStarting},
      {3019, 233, 528, 156, 58, "fgwaroff.ima", "fgwaron.ima", "FETR_FOW", kScreenFog},
      {3020, 73, 469, 652, 54, "play2off.ima", "play2on.ima", "FETRPLAY", kScreenWait},
      {3021, 0, 190, 46, 198, "prvs10up.ima", "prevus10.ima", "FETRPREV", kScreenBack},
      {3022, 754, 190, 46, 198, "mnsc10up.ima", "mainsc10.ima", "FETRMAIN", kScreenTitle},
  }};
  for (int t = 0; t < kChapterTraits; ++t) {
    for (int l = 0; l < kTraitLevels; ++l) {
      const LevelLook& look = kLevelLooks[l];
      b[kNavigation + t * kTraitLevels + l] = {kFirstTraitId + t * kTraitLevels + l,
                                               look.x[t < 10 ? 0 : 1],
                                               kRowY[t],
                                               look.width,
                                               12,
                                               look.normal,
                                               look.pressed,
                                               nullptr,
                                               0};
    }
  }
  return b;
}
constexpr auto kButtons = MakeButtons();

class CTraitsDlg : public CFrontEndScreen {
 public:
  CTraitsDlg(CClntApp& app, std::array<std::uint8_t, kChapterTraits>& traits)
      : CFrontEndScreen(app, "bkgnd14.ima", kButtons, kScreenBack), m_traits(traits), m_levels(TraitLevelsOf(traits)) {}

  LRESULT OnInitDialog(HWND window) override {
    CFrontEndScreen::OnInitDialog(window);
    for (int t = 0; t < kChapterTraits; ++t) {
      for (int l = 0; l < kTraitLevels; ++l) {
        const std::size_t index = ButtonOf(t, l);
        char id[24];
        std::snprintf(id, sizeof id, "FETRT%03d", t);
        char tip[256];
        m_app.TextIndex().GetText(id, tip, sizeof tip, static_cast<int>(kTraitValues[t][l]));
        AddTooltip(Button(index).window, tip);
        Button(index).SetDisabledImage(FrontEndArt(kLevelLooks[l].grey).c_str());
        SetPressed(index, m_levels[t] == l, false);
      }
    }
    ApplyPickRules();
    return 0;
  }

  const char* OpeningSound() const override { return "open2.wav"; }
  const char* ClosingSound(std::int16_t result) const override { return result == kScreenWait ? nullptr : "shut2.wav"; }

 protected:
  bool Accept(HWND window, const ScreenButton& b) override {
    const std::size_t index = IndexOf(b);
    if (index < kNavigation) {
      // Every way out keeps the traits, the main screen and previous too.
      m_traits = TraitBytesOf(m_levels);
      return true;
    }
    const int trait = static_cast<int>(index - kNavigation) / kTraitLevels;
    const int level = static_cast<int>(index - kNavigation) % kTraitLevels;
    if (m_levels[trait] == level) {
      m_levels[trait] = -1;
      SetPressed(index, false);
    } else {
      if (m_levels[trait] >= 0) SetPressed(ButtonOf(trait, m_levels[trait]), false);
      m_levels[trait] = static_cast<std::int8_t>(level);
      SetPressed(index, true);
    }
    PlayClick();
    ApplyPickRules();
    InvalidateRect(window, nullptr, FALSE);
    return false;
  }

 private:
  static std::size_t ButtonOf(int trait, int level) {
    return kNavigation + static_cast<std::size_t>(trait * kTraitLevels + level);
  }

  void ApplyPickRules() {
    const auto enabled = TraitButtonsEnabled(m_levels);
    for (std::size_t i = 0; i < kTraitButtons; ++i) Button(kNavigation + i).SetDisabled(enabled[i] ? 0 : 1);
  }

  std::array<std::uint8_t, kChapterTraits>& m_traits;
  TraitLevels m_levels;
};

}  // namespace

std::int16_t RunTraitsDlg(CClntApp& app, std::array<std::uint8_t, kChapterTraits>& traits) {
  CTraitsDlg dialog(app, traits);
  return dialog.Run("IDD_TRAITS");
}
