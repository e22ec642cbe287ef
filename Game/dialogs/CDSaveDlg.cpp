#include "Game/dialogs/CDSaveDlg.h"

#include <algorithm>
#include <cctype>
#include <cstring>

#include "Game/app/AppGlobals.h"
#include "Game/app/CMessageBoxes.h"
#include "Game/app/GameLife.h"
#include "Game/base/GInstData.h"
#include "Game/dialogs/DialogArt.h"
#include "Game/dialogs/SaveIds.h"
#include "Game/save/SafeWrite.h"
#include "media/CSprite.h"
#include "platform/core/clock.h"
#include "platform/core/files.h"
#include "platform/dialog/button.h"
#include "platform/dialog/dialog.h"
#include "platform/dialog/edit.h"
#include "platform/dialog/listbox.h"
#include "platform/user/paint.h"
#include "platform/user/queue.h"
#include "platform/user/system.h"
#include "platform/user/window.h"

using namespace plat;

namespace {

constexpr std::size_t kTypedLimit = kSaveNameSize - 1;
constexpr COLORREF kSelectedColour = RGB(255, 255, 255);
constexpr COLORREF kLineColour = RGB(0, 255, 0);

// The delete button, an image button with its tooltip.
const ScreenButton kDeleteButton[] = {
    {IDC_SAVE_DELETE, 408, 252, 79, 12, "loaddeup.ima", "loadde.ima", "FELODLTE", 0},
};

bool EndsWith(std::string_view name, std::string_view tail) {
  return name.size() >= tail.size() && name.substr(name.size() - tail.size()) == tail;
}

bool IsPattern(std::string_view extension) { return extension.find('*') != std::string_view::npos; }

HMODULE GameImages() { return GameImageModule(); }

}  // namespace

std::string SaveDirectory(std::uint16_t mode) {
  switch (mode) {
    case SAVE_SCENARIO:
      return g_instData.GetScenarioPath();
    case SAVE_EMAIL_GAME:
    case SAVE_EMAIL_ANY:
      return g_instData.GetEmailPath();
    case SAVE_TEMPLATE:
      return g_instData.GetTemplatePath();
    default:
      return g_instData.GetSavePath();
  }
}

const char* SaveExtension(std::uint16_t mode) {
  switch (mode) {
    case SAVE_EMAIL_GAME:
      return "esv";
    case SAVE_EMAIL_ANY:
      return "s*";
    case SAVE_TEMPLATE:
      return "tpl";
    case SAVE_BATTLE_PLAN:
      return "bpf";
    default:
      return "clt";
  }
}

std::vector<std::string> SaveListNames(const std::vector<SaveListEntry>& entries, std::string_view extension) {
  std::vector<std::string> names;
  int dropped = 0;
  for (const SaveListEntry& e : entries) {
    if (dropped < 2 && (e.name == "autosave" || e.name == "asavebak")) {
      ++dropped;
      continue;
    }
    // A name that cannot go back whole with its extension is not offered.
    if (e.name.size() + 1 + extension.size() > kTypedLimit) continue;
    names.push_back(e.name);
  }
  return names;
}

bool BuildSaveName(std::string_view typed, std::string_view extension, std::string* name) {
  typed = typed.substr(0, kTypedLimit);
  std::string built(typed);
  if (IsPattern(extension)) {
    // A pattern names no extension to add: the name must carry one it matches.
    const bool matches = typed.size() >= 4 && typed[typed.size() - 4] == '.' &&
                         (typed[typed.size() - 3] | 0x20) == (extension[0] | 0x20);
    if (!matches) return false;
  } else {
    const std::string tail = "." + std::string(extension);
    if (typed.size() < 4 || !EndsWith(typed, tail)) {
      built = std::string(typed.substr(0, kTypedLimit - tail.size())) + tail;
    }
  }
  const std::string_view stem(built.data(), built.size() - std::min<std::size_t>(built.size(), extension.size() + 1));
  if (stem.empty() || !IsPlainFileName(built) || stem == "." || stem == "..") return false;
  *name = std::move(built);
  return true;
}

bool IsAutosaveName(std::uint16_t mode, std::string_view name) {
  if (mode != SAVE_GAME && mode != SAVE_GAME_TOO) return false;
  const std::string_view tail = ".clt";
  if (name.size() <= tail.size()) return false;
  const auto sameLetters = [](std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
             return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
           });
  };
  if (!sameLetters(name.substr(name.size() - tail.size()), tail)) return false;
  const std::string_view stem = name.substr(0, name.size() - tail.size());
  return sameLetters(stem, "autosave") || sameLetters(stem, "asavebak");
}

CDSaveDlg::CDSaveDlg(CDDraw* display, HWND parent, HINSTANCE instance, char* directory, char* name, std::uint16_t mode,
                     std::uint32_t* success, HMODULE guildModule)
    : CButtonTableDlg(display, parent, instance, kBoxHelpId, kDeleteButton),
      m_mode(mode),
      m_directory(directory),
      m_name(name),
      m_success(success),
      m_extension(SaveExtension(mode)) {
  TakeModule(guildModule, false);
  const std::string dir = SaveDirectory(mode);
  std::snprintf(m_directory, kSaveDirectorySize, "%s", dir.c_str());
  m_name[0] = '\0';
  if (m_success) *m_success = 0;
  m_result = DoModal("IDD_SAVE");
}

CDSaveDlg::~CDSaveDlg() {
  RedrawGameView();
  m_ok.reset();
  m_okPressed.reset();
  m_cancel.reset();
  m_cancelPressed.reset();
  m_overlay.reset();
}

std::string CDSaveDlg::ImagePath(std::size_t, const char* name) const { return DialogArt(name); }

LRESULT CDSaveDlg::OnInitDialog(HWND window) {
  CDlgBase::OnInitDialog(window);
  m_background = LoadImage(GuildArt("Bckgnd.ima").c_str(), 0, 0);
  MoveWindow(window, 26, 96, 589, 371, FALSE);
  MoveWindow(GetDlgItem(window, IDC_SAVE_LIST), 120, 130, 350, 113, FALSE);
  MoveWindow(GetDlgItem(window, IDC_SAVE_NAME), 185, 269, 216, 23, FALSE);
  MoveWindow(GetDlgItem(window, IDOK), 16, 300, 202, 66, FALSE);
  MoveWindow(GetDlgItem(window, IDCANCEL), 371, 300, 202, 66, FALSE);
  SendDlgItemMessage(window, IDC_SAVE_NAME, EM_LIMITTEXT, kTypedLimit, 0);
  m_ok = LoadImage(GuildArt("saveu.ima").c_str(), 16, 300);
  m_okPressed = LoadImage(GuildArt("saved.ima").c_str(), 16, 300);
  m_cancel = LoadImage(GuildArt("cancelu.ima").c_str(), 371, 300);
  m_cancelPressed = LoadImage(GuildArt("canceld.ima").c_str(), 371, 300);
  // The delete button and the overlays are the game's, not the guild's.
  const HMODULE own = m_module;
  m_module = GameImages();
  CreateButtons(window);
  if (m_mode == SAVE_TEMPLATE) m_overlay = LoadImage(DialogArt("TMOvlay.ima").c_str(), 169, 85);
  if (m_mode == SAVE_BATTLE_PLAN) m_overlay = LoadImage(DialogArt("BPOvlay.ima").c_str(), 167, 85);
  m_module = own;
  if (m_overlay && m_background) m_overlay->BltToSurface(m_background.get(), m_overlay->x, m_overlay->y, nullptr);
  FillList(window);
  return 0;
}

void CDSaveDlg::FillList(HWND window) {
  const HWND list = GetDlgItem(window, IDC_SAVE_LIST);
  SendMessage(list, LB_RESETCONTENT, 0, 0);
  const std::vector<std::string> names = SaveListNames(ListSaveFiles(m_directory, m_extension, false), m_extension);
  SetDisabled(0, names.empty(), "loaddegr.ima");
  for (const std::string& n : names) SendMessage(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(n.c_str()));
  InvalidateRect(window, nullptr, FALSE);
}

LRESULT CDSaveDlg::OnPaint(HWND window) {
  CButtonTableDlg::OnPaint(window);
  ValidateRect(Button(0).window, nullptr);
  return 0;
}

LRESULT CDSaveDlg::OnDrawItem(DRAWITEMSTRUCT* item, HWND window) {
  if (!item) return 1;
  if (item->CtlID == IDC_SAVE_LIST) {
    if (item->itemID == static_cast<UINT>(-1)) return 1;
    char text[kSaveNameSize + 8] = {};
    if (SendMessage(item->hwndItem, LB_GETTEXTLEN, item->itemID, 0) < static_cast<LRESULT>(sizeof(text)))
      SendMessage(item->hwndItem, LB_GETTEXT, item->itemID, reinterpret_cast<LPARAM>(text));
    DrawDialogListLine(*item, m_background.get(), text, kSelectedColour, kLineColour);
    return 1;
  }
  const bool pressed = (item->itemState & ODS_SELECTED) != 0;
  if (item->CtlID == IDOK) {
    DrawOverControl(pressed && m_okPressed ? m_okPressed.get() : m_ok.get(), item->hwndItem);
    return 1;
  }
  if (item->CtlID == IDCANCEL) {
    DrawOverControl(pressed && m_cancelPressed ? m_cancelPressed.get() : m_cancel.get(), item->hwndItem);
    return 1;
  }
  return CButtonTableDlg::OnDrawItem(item, window);
}

LRESULT CDSaveDlg::OnCtlColor(HDC dc) { return TransparentControlColour(dc); }

bool CDSaveDlg::TypedName(HWND window, std::string* name) {
  char typed[kSaveNameSize] = {};
  GetDlgItemText(window, IDC_SAVE_NAME, typed, static_cast<int>(sizeof(typed)));
  if (BuildSaveName(typed, m_extension, name)) return true;
  MessageBeep(0);
  return false;
}

bool CDSaveDlg::Exists(const std::string& name) const {
  plat::FILE* fp = plat::fopen((std::string(m_directory) + name).c_str(), "rb");
  if (!fp) return false;
  plat::fclose(fp);
  return true;
}

bool CDSaveDlg::RefuseAutosaveName(HWND window, const std::string& name) {
  if (!IsAutosaveName(m_mode, name)) return false;
  const std::string text = DialogText("SVNMAUTO");
  COkDlg box(m_display, window, m_instance, text.c_str(), static_cast<std::uint32_t>(LocalGuildIndex()));
  return true;
}

void CDSaveDlg::Choose(HWND window, const std::string& name) {
  std::snprintf(m_name, kSaveNameSize, "%s", name.c_str());
  if (m_success) *m_success = 1;
  EndDialog(window, 1);
}

void CDSaveDlg::OnButton(HWND window, std::size_t) {
  PlayClick();
  std::string name;
  if (!TypedName(window, &name)) return;
  if (Exists(name)) {
    DeleteSaveFile(m_directory, name, "");
    if (m_mode == SAVE_GAME || m_mode == SAVE_GAME_TOO) DeleteSaveFile(m_directory, StripExtension(name), "svr");
  }
  FillList(window);
  UpdateWindow(window);
}

LRESULT CDSaveDlg::OnOtherCommand(WPARAM wParam, LPARAM, HWND window) {
  const int id = LOWORD(wParam);
  const int notice = HIWORD(wParam);
  if (id == IDC_SAVE_LIST) {
    const LRESULT line = SendDlgItemMessage(window, IDC_SAVE_LIST, LB_GETCURSEL, 0, 0);
    char text[kSaveNameSize + 8] = {};
    if (line < 0 ||
        SendDlgItemMessage(window, IDC_SAVE_LIST, LB_GETTEXTLEN, line, 0) >= static_cast<LRESULT>(kTypedLimit))
      return 0;
    SendDlgItemMessage(window, IDC_SAVE_LIST, LB_GETTEXT, line, reinterpret_cast<LPARAM>(text));
    if (notice == LBN_SELCHANGE) SetDlgItemText(window, IDC_SAVE_NAME, text);
    if (notice == LBN_DBLCLK) {
      std::string name;
      if (BuildSaveName(text, m_extension, &name) && !RefuseAutosaveName(window, name)) Choose(window, name);
    }
    return 1;
  }
  if (notice != BN_CLICKED) return 0;
  switch (id) {
    case IDOK: {
      PlayClick();
      std::string name;
      if (!TypedName(window, &name) || RefuseAutosaveName(window, name)) return 1;
      if (Exists(name)) {
        std::uint32_t answer = 0;
        const std::string question = DialogText("SVNMUSED");
        CYesNoDlg box(m_display, window, m_instance, question.c_str(), static_cast<std::uint32_t>(LocalGuildIndex()),
                      &answer);
        if (answer != 1) return 1;
      }
      Choose(window, name);
      return 1;
    }
    case IDCANCEL:
      PlayClick();
      if (m_success) *m_success = 0;
      EndDialog(window, 0);
      return 1;
    case IDC_SAVE_REDRAW:
      InvalidateRect(window, nullptr, FALSE);
      return 1;
    default:
      return 0;
  }
}

bool RunSaveDialog(std::uint16_t mode, std::string* directory, std::string* name) {
  char dir[kSaveDirectorySize] = {};
  char file[kSaveNameSize] = {};
  std::uint32_t success = 0;
  const HINSTANCE instance = DialogInstance();
  CDSaveDlg dialog(g_ddraw, g_mainWnd, instance, dir, file, mode, &success, LocalGuildModule());
  if (dialog.m_result != 1 || success != 1) return false;
  *directory = dir;
  *name = file;
  return true;
}
