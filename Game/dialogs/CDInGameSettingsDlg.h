#pragma once
// The settings of a running game: the effects volume, music, ship facing,
// autozoom, distance fog, frame animations, stars and nebulae, speech and
// autosave, each an on and an off picture of which the current one is lit.
// The switches change only the dialog's copy until Save, which hands it to
// the sound player, the game, the screen and "UserInfo.dat"; Cancel drops
// it. Autosave alone takes effect at once: the game data's flag is set and
// every player told, whatever the dialog's end. Game thread only.

#include <array>
#include <cstdint>

#include "Game/app/CButtonTableDlg.h"

struct PlayerOptions;

// The dialog's results.
enum SettingsChoice : int {
  kSettingsSaved = 1,
  kSettingsCancelled = 2,
};

// The values the dialog keeps while it is open, copied in by its caller.
struct InGameSettings {
  std::int16_t effectsLevel = 2;  // 0 silent .. 3 high; another lights no button
  std::int16_t musicLevel = 1;    // 0 off, 1 on; another lights neither and stays
  std::uint32_t shipFacing = 1;
  std::uint32_t autozoom = 1;
  std::uint32_t distanceFog = 1;
  std::uint32_t frameAnimation = 1;
  std::uint32_t autosave = 1;
  std::uint32_t stars = 1;
  std::uint32_t speech = 1;

  bool operator==(const InGameSettings&) const = default;
};

// What the dialog reaches above the dialogs and in the application; the
// default does nothing and has no application fields.
class ISettingsScreen {
 public:
  virtual ~ISettingsScreen() = default;
  // The process-wide camera-jump, frame-animation and static-facing switches
  // and the view's star background and distance fog take the saved values.
  virtual void ApplyToView(const InGameSettings& /*settings*/) {}
  // The application's fields behind the settings file's keys (null: none),
  // and their writer of "UserInfo.dat".
  virtual PlayerOptions* Options() { return nullptr; }
  virtual void WriteUserInfo() {}
  // The autosave was switched (the game data's flag already holds it): every
  // player is to be told at once.
  virtual void AutosaveSwitched(bool /*on*/) {}
};

// The settings behind the file's keys take the saved values (autosave is not kept in the file).
void StoreSettingsInOptions(const InGameSettings& settings, PlayerOptions& options);

class CDInGameSettingsDlg : public CButtonTableDlg {
 public:
  // Runs the dialog modally; without `mayChangeAutosave` its two buttons are
  // not made. `screen` is kept while the dialog runs (in the constructor).
  CDInGameSettingsDlg(CDDraw* display, plat::HWND parent, plat::HINSTANCE instance, const InGameSettings& current,
                      bool mayChangeAutosave, ISettingsScreen& screen);
  ~CDInGameSettingsDlg() override;

  plat::LRESULT OnInitDialog(plat::HWND window) override;
  plat::LRESULT OnPaint(plat::HWND window) override;

  // kSettingsSaved or kSettingsCancelled.
  plat::LRESULT m_result = 0;
  // The values as the dialog closed.
  InGameSettings m_kept;

 protected:
  std::string ImagePath(std::size_t index, const char* name) const override;
  plat::HMODULE ImageModule(std::size_t) const override { return m_module; }
  void OnButton(plat::HWND window, std::size_t index) override;
  // Escape cancels, as the Cancel button does.
  std::size_t EscapeButton() const override;

 private:
  // The kept value of a switch group.
  std::int32_t Value(int group) const;
  void SetValue(int group, std::int32_t value);
  // The table index of the group's button for its kept value; the table's
  // size when no button stands for it.
  std::size_t LitButton(int group) const;
  // Plays the press, shows it for a moment and closes with `result`.
  void Close(plat::HWND window, std::size_t index, int result);
  void Save();

  ISettingsScreen& m_screen;
  std::size_t m_count;  // the buttons made
};
