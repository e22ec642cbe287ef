#include "Game/frontend/CDLoadDlg.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cstdio>
#include <vector>

#include "Game/app/AppGlobals.h"
#include "Game/app/CClntApp.h"
#include "Game/app/CMessageBoxes.h"
#include "Game/app/GameLife.h"
#include "Game/app/GameView.h"
#include "Game/base/GInstData.h"
#include "Game/frontend/CFrontEndScreen.h"
#include "Game/frontend/FrontEndControls.h"
#include "Game/rules/GUnitTem.h"
#include "Game/save/SaveGame.h"
#include "media/CSprite.h"
#include "platform/core/clock.h"
#include "platform/dialog/dialog.h"
#include "platform/dialog/listbox.h"
#include "platform/user/paint.h"
#include "platform/user/window.h"

using namespace plat;

namespace {

constexpr int kList = IDC_LOAD_LIST;
constexpr POINT kListPlace{95, 350};
constexpr int kItemHeight = 15;
constexpr int kResultLoad = 1;
constexpr int kResultCancel = 2;
constexpr DWORD kDeletePressedMs = 1000;
constexpr std::uint32_t kGuilds = 5;

enum ButtonIndex : std::size_t { kLoad, kCancel, kDelete, kSaved, kScenarios };
constexpr std::array<ScreenButton, 5> kButtons{{
    {3090, 417, 340, 303, 37, "slctgmup.ima", "slctgm.ima", "FELOSLCT", kResultLoad},
    {3091, 417, 381, 303, 37, "cancelup.ima", "cancel.ima", "FELOCNCL", kResultCancel},
    {3092, 417, 422, 303, 37, "deleteup.ima", "delete.ima", "FELODLTE", 0},
    {3093, 417, 464, 303, 37, "sgmeup.ima", "sgme.ima", "FELOSAVE", 0},
    {3094, 417, 507, 303, 37, "shoscnup.ima", "shoscn.ima", "FELOSCEN", 0},
}};
// The disabled images, in the same order.
constexpr std::array<const char*, 5> kGreyImages{"slctgmgr.ima", nullptr, "deletegr.ima", "sgmegr.ima", "shoscngr.ima"};

// In a running game: a window over the view, in the local guild's art.
constexpr RECT kGamePlace{26, 96, 589, 371};
constexpr POINT kGameListPlace{120, 130};
constexpr std::array<ScreenButton, 5> kGameButtons{{
    {3090, 16, 300, 202, 66, "LoadUp.ima", "LoadDown.ima", "FELOSLCT", kResultLoad},
    {3091, 371, 300, 202, 66, "LcancelU.ima", "LcancelD.ima", "FELOCNCL", kResultCancel},
    {3092, 408, 252, 79, 12, "loaddeup.ima", "loadde.ima", "FELODLTE", 0},
    {3093, 111, 252, 125, 12, "loadsggr.ima", "loadsg.ima", "FELOSAVE", 0},
    {3094, 256, 252, 109, 12, "loadscgr.ima", "loadsc.ima", "FELOSCEN", 0},
}};
constexpr std::array<const char*, 5> kGameGreyImages{"LoadUp.ima", nullptr, "loaddegr.ima", "loadsggr.ima",
                                                     "loadscgr.ima"};
// The overlays naming what modes 6 and 7 list, and where they go.
constexpr POINT kTemplatesOverlay{169, 85};
constexpr POINT kPlansOverlay{167, 85};

bool ListsSavedGames(std::uint16_t mode) { return mode == LOAD_SAVED_GAMES || mode == LOAD_SAVED_ONLY; }

std::string Upper(std::string text) {
  for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return text;
}

class CDLoadDlg : public CFrontEndScreen {
 public:
  CDLoadDlg(CClntApp& app, LoadChoice& choice)
      : CFrontEndScreen(app, "bkgnd5.ima", ButtonsOf(choice), kResultCancel),
        m_choice(choice),
        m_guild(choice.inGame ? static_cast<int>(LocalChapterId(kNoChapterChosen) >> 3) % 5 : 0) {
    m_choice.fileName.clear();
    SetResult(kResultCancel);
    if (m_choice.inGame) {
      // The front end's backdrop is gone in a game: the window has its own.
      const RECT place = Place();
      m_background = std::make_unique<CSprite>(m_display, BackgroundPath().c_str(), BackgroundModule(), kNoColourKey,
                                               place.right, place.bottom, place.left, place.top, 0);
    }
  }

  ~CDLoadDlg() override {
    if (!m_choice.inGame) return;
    m_background.reset();
    if (g_currentView) {
      g_currentView->Invalidate();
      g_currentView->Render(-1);
    }
  }

  LRESULT OnInitDialog(HWND window) override {
    CFrontEndScreen::OnInitDialog(window);
    m_window = window;
    const POINT list = ListPlace();
    const RECT size = m_choice.inGame ? RECT{0, 0, 350, 113} : RECT{0, 0, 280, 182};
    MoveWindow(GetDlgItem(window, kList), list.x, list.y, size.right, size.bottom, FALSE);
    SendDlgItemMessage(window, kList, LB_SETITEMHEIGHT, 0, kItemHeight);
    const auto& grey = m_choice.inGame ? kGameGreyImages : kGreyImages;
    Button(kLoad).SetDisabledImage(ImagePath(kLoad, grey[kLoad]).c_str());
    Button(kDelete).SetDisabledImage(ImagePath(kDelete, grey[kDelete]).c_str());
    DrawOverlay();
    if (HasListButtons()) {
      Button(kSaved).SetDisabledImage(ImagePath(kSaved, grey[kSaved]).c_str());
      Button(kScenarios).SetDisabledImage(ImagePath(kScenarios, grey[kScenarios]).c_str());
      const bool scenarios = m_choice.mode == LOAD_SCENARIOS;
      SetPressed(scenarios ? kScenarios : kSaved, true, false);
      if (scenarios) Button(kSaved).SetDisabled(1);
      if (m_choice.mode != LOAD_SAVED_GAMES && !scenarios) Button(kScenarios).SetDisabled(1);
    }
    Fill(true);
    return 0;
  }

  LRESULT OnCtlColor(HDC dc) override { return TransparentControl(dc); }

  LRESULT OnDrawItem(DRAWITEMSTRUCT* item, HWND window) override {
    if (!item || item->CtlID != kList) return CFrontEndScreen::OnDrawItem(item, window);
    if (item->itemID >= m_lines.size()) return 1;
    const POINT list = ListPlace();
    if (item->rcItem.top + list.y + Place().top >= 600) return 1;
    DrawListLine(*item, list, m_lines[item->itemID], RGB(255, 255, 255), RGB(0, 255, 0), false);
    return 1;
  }

  LRESULT OnCommand(WPARAM wParam, LPARAM lParam, HWND window) override {
    if (LOWORD(wParam) == kList) {
      if (HIWORD(wParam) == LBN_DBLCLK && !m_names.empty()) {
        TakeSelected();
        Leave(window, kResultLoad);
      }
      return 1;
    }
    return CFrontEndScreen::OnCommand(wParam, lParam, window);
  }

  const char* OpeningSound() const override { return m_choice.inGame ? nullptr : "open1.wav"; }
  const char* ClosingSound(std::int16_t result) const override {
    return result == kResultLoad || m_choice.inGame ? nullptr : "shut1.wav";
  }

  std::string ImagePath(std::size_t index, const char* name) const override {
    if (!m_choice.inGame) return CFrontEndScreen::ImagePath(index, name);
    const bool guildArt = index == kLoad || index == kCancel;
    return std::string(guildArt ? g_instData.GetGuildPath(m_guild) : g_instData.GetArtPath()) + name;
  }
  HMODULE ImageModule(std::size_t index) const override {
    if (!m_choice.inGame) return CFrontEndScreen::ImageModule(index);
    return index == kLoad || index == kCancel ? GuildModule() : GameImages();
  }
  std::string BackgroundPath() const override {
    if (!m_choice.inGame) return CFrontEndScreen::BackgroundPath();
    return std::string(g_instData.GetGuildPath(m_guild)) + "loadbkg.ima";
  }
  HMODULE BackgroundModule() const override {
    return m_choice.inGame ? GuildModule() : CFrontEndScreen::BackgroundModule();
  }
  RECT Place() const override { return m_choice.inGame ? kGamePlace : CFrontEndScreen::Place(); }

 protected:
  bool Accept(HWND, const ScreenButton& b) override {
    switch (IndexOf(b)) {
      case kLoad:
        TakeSelected();
        return true;
      case kCancel:
        m_choice.fileName.clear();
        return true;
      case kDelete:
        DeleteSelected();
        return false;
      case kSaved:
        Show(LOAD_SAVED_GAMES);
        return false;
      case kScenarios:
        Show(LOAD_SCENARIOS);
        return false;
      default:
        return false;
    }
  }

 private:
  static std::span<const ScreenButton> ButtonsOf(const LoadChoice& choice) {
    const bool listButtons = choice.mode != LOAD_TEMPLATES && choice.mode != LOAD_BATTLE_PLANS;
    return std::span(choice.inGame ? kGameButtons : kButtons).first(listButtons ? kButtons.size() : kSaved);
  }
  bool HasListButtons() const { return ButtonsOf(m_choice).size() == kButtons.size(); }
  POINT ListPlace() const { return m_choice.inGame ? kGameListPlace : kListPlace; }
  HMODULE GuildModule() const { return GameGuildModule(m_guild); }
  static HMODULE GameImages() { return GameImageModule(); }

  // Templates and battle plans are named over the background.
  void DrawOverlay() {
    if ((m_choice.mode != LOAD_TEMPLATES && m_choice.mode != LOAD_BATTLE_PLANS) || !m_background) return;
    const bool templates = m_choice.mode == LOAD_TEMPLATES;
    const char* file = templates ? "TMOvlay.ima" : "BPOvlay.ima";
    const std::string name = m_choice.inGame ? std::string(g_instData.GetArtPath()) + file : FrontEndArt(file);
    const HMODULE module = m_choice.inGame ? GameImages() : m_module;
    CSprite overlay(m_display, kNoColourKey, module, name.c_str(), 0, 0, 0);
    const POINT at = templates ? kTemplatesOverlay : kPlansOverlay;
    overlay.BltToSurface(m_background.get(), at.x, at.y, nullptr);
  }

  int Selected() const {
    const LRESULT selected = SendDlgItemMessage(m_window, kList, LB_GETCURSEL, 0, 0);
    return selected == LB_ERR || static_cast<std::size_t>(selected) >= m_names.size() ? -1 : static_cast<int>(selected);
  }

  std::string FileNameOf(const std::string& name) const {
    return m_choice.mode == LOAD_EMAIL_TURNS ? name : name + "." + LoadExtension(m_choice.mode);
  }

  void TakeSelected() {
    const int selected = Selected();
    m_choice.fileName = selected < 0 ? std::string() : FileNameOf(m_names[static_cast<std::size_t>(selected)]);
  }

  // Switches between saved games and scenarios.
  void Show(std::uint16_t mode) {
    const std::size_t pressed = mode == LOAD_SCENARIOS ? kScenarios : kSaved;
    if (IsPressed(pressed)) return;
    m_choice.mode = mode;
    PlayClick();
    SetPressed(pressed, true);
    SetPressed(pressed == kSaved ? kScenarios : kSaved, false);
    Fill(false);
  }

  void DeleteSelected() {
    const int selected = Selected();
    if (selected < 0 || m_choice.mode == LOAD_SCENARIOS) return;
    const std::string name = m_names[static_cast<std::size_t>(selected)];
    char question[256];
    m_app.TextIndex().GetText("FELODELQ", question, sizeof question, Upper(name));
    std::uint32_t yes = 0;
    CYesNoDlg ask(m_display, m_window, m_instance, question, 0, &yes);
    if (!yes) return;
    PlayClick();
    SetPressed(kDelete, true);
    const std::string extension = m_choice.mode == LOAD_EMAIL_TURNS ? "" : LoadExtension(m_choice.mode);
    const bool deleted = DeleteSaveFile(m_choice.directory, name, extension);
    // The server's save of a game goes with it; a game saved alone has none.
    if (deleted && ListsSavedGames(m_choice.mode)) DeleteSaveFile(m_choice.directory, name, "svr");
    if (!deleted) {
      char text[256];
      m_app.TextIndex().GetText("ERRINDEL", text, sizeof text, FileNameOf(name));
      COkDlg box(m_display, m_window, m_instance, text, 0);
    }
    Fill(false);
    const int next = std::max(0, selected - 1);
    if (!m_names.empty()) SendDlgItemMessage(m_window, kList, LB_SETCURSEL, static_cast<WPARAM>(next), 0);
    Sleep(kDeletePressedMs);
    SetPressed(kDelete, false);
  }

  void Fill(bool initial) {
    m_choice.directory = LoadDirectory(m_choice.mode);
    SendDlgItemMessage(m_window, kList, LB_RESETCONTENT, 0, 0);
    InvalidateRect(m_window, nullptr, FALSE);
    m_names.clear();
    m_lines.clear();
    const bool keepExtension = m_choice.mode == LOAD_EMAIL_TURNS;
    for (const SaveListEntry& e : ListSaveFiles(m_choice.directory, LoadExtension(m_choice.mode), keepExtension)) {
      std::string line = Upper(e.name);
      if (ListsSavedGames(m_choice.mode) && e.hasHeader && e.header.guild < kGuilds) {
        char id[24];
        std::snprintf(id, sizeof id, "GUILD0%02u", static_cast<unsigned>(e.header.guild));
        char turn[128];
        std::snprintf(turn, sizeof turn, "   - turn %u : %s", static_cast<unsigned>(e.header.turn),
                      m_app.Text(id).c_str());
        line += turn;
      } else if (m_choice.mode == LOAD_TEMPLATES) {
        std::array<char, 256> description{};
        if (GetTemplateFileDescription(m_choice.directory.c_str(), e.name.c_str(), "tpl", description) > 0)
          line += description.data();
      }
      m_names.push_back(e.name);
      m_lines.push_back(line);
      SendDlgItemMessage(m_window, kList, LB_ADDSTRING, 0, static_cast<LPARAM>(m_lines.size() - 1));
    }
    if (!m_names.empty()) SendDlgItemMessage(m_window, kList, LB_SETCURSEL, 0, 0);
    const DWORD none = m_names.empty() ? 1 : 0;
    Button(kLoad).SetDisabled(none);
    Button(kDelete).SetDisabled(m_choice.mode == LOAD_SCENARIOS ? 1 : none);
    if (!initial) {
      DrawButton(kLoad);
      DrawButton(kDelete);
    }
  }

  LoadChoice& m_choice;
  int m_guild;
  HWND m_window = nullptr;
  std::vector<std::string> m_names;
  std::vector<std::string> m_lines;
};

}  // namespace

std::string LoadDirectory(std::uint16_t mode) {
  switch (mode) {
    case LOAD_SCENARIOS:
      return g_instData.GetScenarioPath();
    case LOAD_EMAIL_GAMES:
    case LOAD_EMAIL_TURNS:
      return g_instData.GetEmailPath();
    case LOAD_TEMPLATES:
      return g_instData.GetTemplatePath();
    default:
      return g_instData.GetSavePath();
  }
}

const char* LoadExtension(std::uint16_t mode) {
  switch (mode) {
    case LOAD_SCENARIOS:
      return "scn";
    case LOAD_EMAIL_GAMES:
      return "esv";
    case LOAD_EMAIL_TURNS:
      return "s*";
    case LOAD_TEMPLATES:
      return "tpl";
    case LOAD_BATTLE_PLANS:
      return "bpf";
    default:
      return "clt";
  }
}

int RunLoadDlg(CClntApp& app, LoadChoice& choice) {
  CDLoadDlg dialog(app, choice);
  const int result = dialog.Run("IDD_LOAD");
  if (result != kResultLoad || choice.fileName.empty()) {
    choice.fileName.clear();
    return kResultCancel;
  }
  return kResultLoad;
}
