// The preferences screen.
#include <array>

#include "Game/app/CClntApp.h"
#include "Game/frontend/CChoiceScreen.h"
#include "Game/frontend/SetupScreens.h"
#include "media/CSndPlay.h"

using namespace plat;

namespace {

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
    m_effects = static_cast<std::uint16_t>(app.Options().effectsLevel);
    m_music = app.Options().musicLevel >= 1 ? 1 : 0;
    m_speech = g_sndPlay ? (g_sndPlay->speechEnabled ? 1 : 0) : (app.Options().speech ? 1 : 0);
  }

 protected:
  std::uint16_t& Field(int group) override {
    switch (group) {
      case kMusic:
        return m_music;
      case kSpeech:
        return m_speech;
      default:
        return m_effects;
    }
  }

  bool Navigate(HWND, const ScreenButton& b) override {
    if (b.id != kPrefsSave) return true;
    PlayerOptions& o = m_app.OptionsToEdit();
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

std::int16_t RunPrefsDlg(CClntApp& app) {
  CPrefsDlg dialog(app);
  return dialog.Run("IDD_PREFS");
}
