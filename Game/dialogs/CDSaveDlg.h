#pragma once
// The save dialog: lists the files of one kind in their directory, newest
// first, lets the player pick one or type a name, deletes the named file, and
// asks before a save would replace one. It only chooses: the caller joins
// the directory and the name and writes the file. Drawn in the local guild's
// art. Game thread only.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "Game/app/CButtonTableDlg.h"
#include "Game/save/SaveGame.h"

// What the dialog lists in each mode (1..7).
enum SaveMode : std::uint16_t {
  SAVE_GAME = 1,
  SAVE_GAME_TOO = 2,
  SAVE_SCENARIO = 3,
  SAVE_EMAIL_GAME = 4,
  SAVE_EMAIL_ANY = 5,
  SAVE_TEMPLATE = 6,
  SAVE_BATTLE_PLAN = 7,
};

// The caller's name buffer (the name with its extension and a zero).
constexpr std::size_t kSaveNameSize = 100;
constexpr std::size_t kSaveDirectorySize = 260;

// The directory (the installation setting's value) and extension of a mode
// ("s*" for every extension beginning with s); mode 1's for another mode.
std::string SaveDirectory(std::uint16_t mode);
const char* SaveExtension(std::uint16_t mode);
// The names the list shows, newest first: the entries without "autosave" and
// "asavebak" (case matters; two dropped at most), and without names too long
// to be handed back with their extension.
std::vector<std::string> SaveListNames(const std::vector<SaveListEntry>& entries, std::string_view extension);
// The file name for a typed name (its first 99 characters): the name with
// "." and the extension appended unless it ends with them (case matters),
// cut so the whole fits the caller's buffer. False for a name that is not a
// plain file name of the directory (empty, a path, "." or "..").
bool BuildSaveName(std::string_view typed, std::string_view extension, std::string* name);
// Whether a game saved in `mode` as `name` (with its extension) would be the
// file each turn's autosave writes, or its backup, and so be overwritten
// unasked. File names resolve without regard to case, so neither does this.
bool IsAutosaveName(std::uint16_t mode, std::string_view name);

class CDSaveDlg : public CButtonTableDlg {
 public:
  // Fills `directory` (kSaveDirectorySize bytes) by mode, clears `name`
  // (kSaveNameSize bytes) and runs "IDD_SAVE" modally. Result 1 with a file
  // chosen (*success 1), 0 on Cancel (*success 0).
  CDSaveDlg(CDDraw* display, plat::HWND parent, plat::HINSTANCE instance, char* directory, char* name,
            std::uint16_t mode, std::uint32_t* success, plat::HMODULE guildModule);
  ~CDSaveDlg() override;

  plat::LRESULT OnInitDialog(plat::HWND window) override;
  plat::LRESULT OnPaint(plat::HWND window) override;
  plat::LRESULT OnDrawItem(plat::DRAWITEMSTRUCT* item, plat::HWND window) override;
  plat::LRESULT OnCtlColor(plat::HDC dc) override;

  plat::LRESULT m_result = 0;

 protected:
  std::string ImagePath(std::size_t index, const char* name) const override;
  plat::HMODULE ImageModule(std::size_t) const override { return m_module; }
  void OnButton(plat::HWND window, std::size_t index) override;
  plat::LRESULT OnOtherCommand(plat::WPARAM wParam, plat::LPARAM lParam, plat::HWND window) override;

 private:
  void FillList(plat::HWND window);
  // The name typed, built into a file name; false (and a beep) when refused.
  bool TypedName(plat::HWND window, std::string* name);
  // Tells the player an autosave's name is not theirs to take; true when so.
  bool RefuseAutosaveName(plat::HWND window, const std::string& name);
  void Choose(plat::HWND window, const std::string& name);
  bool Exists(const std::string& name) const;

  std::uint16_t m_mode;
  char* m_directory;
  char* m_name;
  std::uint32_t* m_success;
  std::string m_extension;
  std::unique_ptr<CSprite> m_ok, m_okPressed, m_cancel, m_cancelPressed, m_overlay;
};

// Runs the save dialog of `mode` over the game view; true with the file
// chosen: its directory and its name with the extension.
bool RunSaveDialog(std::uint16_t mode, std::string* directory, std::string* name);
