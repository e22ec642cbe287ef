#pragma once
// Writing a chat message ("IDD_DIALOG_CHAT") and choosing whom it goes to:
// everyone, the local guild, or one chapter picked from the guild and
// chapter lists. Sends nothing: the caller sends the text with the target
// byte. Drawn in the local guild's art. Game thread only.

#include <cstdint>

#include "Game/app/CButtonTableDlg.h"

// Room for the text of the caller's buffer, and what is copied into it.
constexpr std::size_t kChatBufferSize = 500;
constexpr std::size_t kChatTextLimit = 498;

enum class ChatMode { kEveryone, kGuild, kChapter };

// The target byte of a mode: 255 everyone, 254 the local guild, else the
// chosen guild x 8 + slot.
std::uint8_t ChatTarget(ChatMode mode, int guild, int slot);

class CDChatDlg : public CButtonTableDlg {
 public:
  // `text`: kChatBufferSize bytes; `*success` is 1 until the player cancels.
  CDChatDlg(CDDraw* display, plat::HWND parent, plat::HINSTANCE instance, char* text, std::uint8_t* target,
            std::uint32_t* success, plat::HMODULE guildModule);
  ~CDChatDlg() override;

  plat::LRESULT OnInitDialog(plat::HWND window) override;
  plat::LRESULT OnPaint(plat::HWND window) override;

  char* m_text;
  std::uint8_t* m_target;
  std::uint32_t* m_success;
  ChatMode m_mode = ChatMode::kEveryone;
  plat::LRESULT m_result = 0;

 protected:
  std::string ImagePath(std::size_t index, const char* name) const override;
  plat::HMODULE ImageModule(std::size_t) const override { return m_module; }
  void OnButton(plat::HWND window, std::size_t index) override;
  plat::LRESULT OnOtherCommand(plat::WPARAM wParam, plat::LPARAM lParam, plat::HWND window) override;

 private:
  void SetMode(plat::HWND window, ChatMode mode);
  void FillChapters(plat::HWND window, int guild);
  std::size_t ModeButton(ChatMode mode) const;
};

// Runs the dialog over the game view; true with a text (possibly empty) and
// its target, false when the player cancelled.
bool RunChatDialog(char* text, std::uint8_t* target);
