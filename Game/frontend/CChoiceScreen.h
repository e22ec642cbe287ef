#pragma once
// The common body of the screens made of groups of choices (fog of war,
// starting values, preferences): each choice button sets its group's setting,
// the current choice shows pressed, and a locked screen shows the choices
// greyed. Game thread only.

#include <span>
#include <utility>

#include "Game/frontend/CFrontEndScreen.h"
#include "Game/frontend/ScreenHistory.h"

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

  plat::LRESULT OnInitDialog(plat::HWND window) override {
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
  virtual bool Navigate(plat::HWND, const ScreenButton&) { return true; }

  bool Accept(plat::HWND window, const ScreenButton& b) override {
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
