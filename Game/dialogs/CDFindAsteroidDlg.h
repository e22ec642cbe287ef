#pragma once
// Finds an asteroid by name: as the player types, a text that begins the
// name of exactly one asteroid (case aside) is completed to that name, and
// the asteroid is handed back. Game thread only.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "Game/dialogs/CDNamePrompt.h"

class CGSolarDB;

constexpr std::uint16_t kNoAsteroid = 65535;

// The one asteroid of `solar` whose name begins with `typed` (case aside),
// kNoAsteroid for none or more than one. With `hideUndetected`, asteroids
// the local guild has not detected are passed over.
std::uint16_t MatchAsteroidName(const CGSolarDB& solar, std::string_view typed, bool hideUndetected);

class CDFindAsteroidDlg : public CDNamePrompt {
 public:
  // Runs modally; on OK *asteroid is the asteroid completed last, or
  // kNoAsteroid; on Escape it is kNoAsteroid.
  CDFindAsteroidDlg(CDDraw* display, plat::HWND parent, plat::HINSTANCE instance, int guild, std::uint16_t* asteroid);
  ~CDFindAsteroidDlg() override;

  plat::LRESULT OnInitDialog(plat::HWND window) override;

 protected:
  void OnButton(plat::HWND window, std::size_t index) override;
  plat::LRESULT OnOtherCommand(plat::WPARAM wParam, plat::LPARAM lParam, plat::HWND window) override;

 private:
  void Complete(plat::HWND window);

  std::uint16_t* m_asteroid;
  // Set while the completion writes the field, whose change comes back here.
  bool m_busy = false;
  // The length of the text as the player last left it.
  std::size_t m_typedLength = 0;
};

// Runs the dialog over the game view in the local guild's art; the asteroid
// found, or kNoAsteroid.
std::uint16_t RunFindAsteroidDialog();
