#include "Game/dialogs/CDChatDlg.h"

#include <algorithm>
#include <string>

#include "Game/app/AppGlobals.h"
#include "Game/dialogs/ChatIds.h"
#include "Game/dialogs/DialogArt.h"
#include "Game/model/GGameData.h"
#include "Game/model/GGuild.h"
#include "Game/net/GuildPackets.h"
#include "Game/rules/GRulesFacts.h"
#include "media/CSprite.h"
#include "platform/core/clock.h"
#include "platform/dialog/combobox.h"
#include "platform/dialog/dialog.h"
#include "platform/dialog/edit.h"
#include "platform/user/focus.h"
#include "platform/user/paint.h"
#include "platform/user/queue.h"
#include "platform/user/window.h"

using namespace plat;

namespace {

constexpr int kGuilds = 5;
constexpr int kSlotsPerGuild = 8;

enum : std::size_t { kToChapter, kToGuild, kToAll, kSend, kCancel };
const ScreenButton kButtons[] = {
    {IDC_CHAT_TO_CHAPTER, 389, 295, 145, 29, "sendtoof.ima", "sendtoon.ima", "CHTTOCHP", 0},
    {IDC_CHAT_TO_GUILD, 373, 265, 121, 25, "gdbcstof.ima", "gdbcston.ima", "CHTTOGLD", 0},
    // Starts in its chosen look: its normal picture is the lit one.
    {IDC_CHAT_TO_ALL, 363, 244, 105, 21, "brdcston.ima", "brdcstof.ima", "CHTTOALL", 0},
    {IDOK, 63, 265, 143, 67, "sendof.ima", "sendon.ima", "CHT_SEND", 1},
    {IDCANCEL, 233, 265, 124, 67, "cancelof.ima", "cancelon.ima", "CHTCANCL", 2},
};

std::string GuildNameOf(int guild) {
  char name[64] = {};
  GetGuildName(static_cast<std::uint32_t>(guild), name);
  return name;
}

std::string ChapterNameOf(int guild, int slot) {
  if (!g_gameData || !g_gameData->guildList) return std::string();
  const CGuild* g = g_gameData->guildList->GetGuild(static_cast<std::uint32_t>(guild));
  const CGChapter* c = g ? g->GetChapter(static_cast<std::uint32_t>(slot)) : nullptr;
  return c && c->GetName() ? std::string(c->GetName()) : std::string();
}

}  // namespace

std::uint8_t ChatTarget(ChatMode mode, int guild, int slot) {
  switch (mode) {
    case ChatMode::kEveryone:
      return kChatToAll;
    case ChatMode::kGuild:
      return kChatToGuild;
    case ChatMode::kChapter:
      break;
  }
  return static_cast<std::uint8_t>(std::clamp(guild, 0, kGuilds - 1) * kSlotsPerGuild +
                                   std::clamp(slot, 0, kSlotsPerGuild - 1));
}

CDChatDlg::CDChatDlg(CDDraw* display, HWND parent, HINSTANCE instance, char* text, std::uint8_t* target,
                     std::uint32_t* success, HMODULE guildModule)
    : CButtonTableDlg(display, parent, instance, 199, kButtons), m_text(text), m_target(target), m_success(success) {
  TakeModule(guildModule, false);
  *m_success = 1;
  m_result = DoModal("IDD_DIALOG_CHAT");
}

CDChatDlg::~CDChatDlg() { RedrawGameView(); }

std::string CDChatDlg::ImagePath(std::size_t, const char* name) const { return GuildArt(name); }

LRESULT CDChatDlg::OnInitDialog(HWND window) {
  CDlgBase::OnInitDialog(window);
  m_background = LoadImage(GuildArt("chatdlg.ima").c_str(), 0, 0);
  MoveWindow(window, 25, 96, 590, 372, FALSE);
  MoveWindow(GetDlgItem(window, IDC_CHAT_TEXT), 40, 25, 405, 81, FALSE);
  MoveWindow(GetDlgItem(window, IDC_CHAT_GUILDS), 26, 128, 120, 88, FALSE);
  MoveWindow(GetDlgItem(window, IDC_CHAT_CHAPTERS), 339, 128, 120, 88, FALSE);
  SendDlgItemMessage(window, IDC_CHAT_TEXT, EM_LIMITTEXT, kChatTextLimit, 0);
  CreateButtons(window);
  if (m_background && Button(kToAll).sprite)
    Button(kToAll).sprite->BltToSurface(m_background.get(), kButtons[kToAll].x, kButtons[kToAll].y, nullptr);
  const int guild = LocalGuildIndex();
  for (int g = 0; g < kGuilds; ++g) {
    const std::string name = GuildNameOf(g);
    SendDlgItemMessage(window, IDC_CHAT_GUILDS, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name.c_str()));
  }
  SendDlgItemMessage(window, IDC_CHAT_GUILDS, CB_SETCURSEL, static_cast<WPARAM>(guild), 0);
  FillChapters(window, guild);
  EnableWindow(GetDlgItem(window, IDC_CHAT_GUILDS), FALSE);
  EnableWindow(GetDlgItem(window, IDC_CHAT_CHAPTERS), FALSE);
  SetFocus(GetDlgItem(window, IDC_CHAT_TEXT));
  return 0;
}

void CDChatDlg::FillChapters(HWND window, int guild) {
  SendDlgItemMessage(window, IDC_CHAT_CHAPTERS, CB_RESETCONTENT, 0, 0);
  const int slots = std::clamp<int>(RulesFacts().ChaptersPerGuild(), 1, kSlotsPerGuild);
  for (int s = 0; s < slots; ++s) {
    const std::string name = ChapterNameOf(guild, s);
    SendDlgItemMessage(window, IDC_CHAT_CHAPTERS, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name.c_str()));
  }
  SendDlgItemMessage(window, IDC_CHAT_CHAPTERS, CB_SETCURSEL, 0, 0);
}

LRESULT CDChatDlg::OnPaint(HWND window) {
  CButtonTableDlg::OnPaint(window);
  for (std::size_t i = 0; i < std::size(kButtons); ++i) ValidateRect(Button(i).window, nullptr);
  return 0;
}

std::size_t CDChatDlg::ModeButton(ChatMode mode) const {
  switch (mode) {
    case ChatMode::kEveryone:
      return kToAll;
    case ChatMode::kGuild:
      return kToGuild;
    case ChatMode::kChapter:
      break;
  }
  return kToChapter;
}

void CDChatDlg::SetMode(HWND window, ChatMode mode) {
  if (mode == m_mode) return;
  ToggleButton(ModeButton(m_mode));
  ToggleButton(ModeButton(mode));
  m_mode = mode;
  const BOOL lists = mode == ChatMode::kChapter;
  EnableWindow(GetDlgItem(window, IDC_CHAT_GUILDS), lists);
  EnableWindow(GetDlgItem(window, IDC_CHAT_CHAPTERS), lists);
  if (!lists) SetFocus(GetDlgItem(window, IDC_CHAT_TEXT));
  PlayClick();
}

void CDChatDlg::OnButton(HWND window, std::size_t index) {
  switch (index) {
    case kToAll:
      SetMode(window, ChatMode::kEveryone);
      return;
    case kToGuild:
      SetMode(window, ChatMode::kGuild);
      return;
    case kToChapter:
      SetMode(window, ChatMode::kChapter);
      return;
    default:
      break;
  }
  PlayClick();
  ToggleButton(index);
  RECT band{0, 200, 590, 372};
  InvalidateRect(window, &band, FALSE);
  Sleep(100);
  if (index == kSend) {
    const auto guild = static_cast<int>(SendDlgItemMessage(window, IDC_CHAT_GUILDS, CB_GETCURSEL, 0, 0));
    const auto slot = static_cast<int>(SendDlgItemMessage(window, IDC_CHAT_CHAPTERS, CB_GETCURSEL, 0, 0));
    *m_target = ChatTarget(m_mode, guild, slot);
    GetDlgItemText(window, IDC_CHAT_TEXT, m_text, static_cast<int>(kChatTextLimit + 1));
  } else {
    *m_success = 0;
  }
  EndDialog(window, Entry(index).result);
}

LRESULT CDChatDlg::OnOtherCommand(WPARAM wParam, LPARAM, HWND window) {
  if (LOWORD(wParam) != IDC_CHAT_GUILDS || HIWORD(wParam) != CBN_SELCHANGE) return 0;
  const auto guild = static_cast<int>(SendDlgItemMessage(window, IDC_CHAT_GUILDS, CB_GETCURSEL, 0, 0));
  FillChapters(window, std::clamp(guild, 0, kGuilds - 1));
  PlayClick();
  return 1;
}

bool RunChatDialog(char* text, std::uint8_t* target) {
  std::uint32_t success = 0;
  text[0] = '\0';
  CDChatDlg dialog(g_ddraw, g_mainWnd, DialogInstance(), text, target, &success, LocalGuildModule());
  return dialog.m_result == 1 && success == 1;
}
