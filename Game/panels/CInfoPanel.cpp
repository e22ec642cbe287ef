// The info panel's frame: the page type, hot spots and highlight, the shared
// pictures and the routing to the current page.
#include "Game/panels/CInfoPanel.h"

#include <string>

#include "Game/app/AppGlobals.h"
#include "Game/app/GameView.h"
#include "Game/base/GInstData.h"
#include "Game/model/GGameData.h"
#include "Game/panels/PanelFrame.h"
#include "media/CSndPlay.h"
#include "media/CSprite.h"
#include "platform/gdi/shapes.h"

using namespace plat;

namespace {

// Help topics of the twelve page types.
constexpr std::uint32_t kHelpTopics[kInfoPanelTypes] = {308, 309, 310, 311, 314, 313, 316, 318, 312, 317, 315, 319};
constexpr const char* kGauges[] = {"0", "25", "50", "75", "100"};

// A shared picture from the common art directory in the image module.
CSprite* LoadPicture(CDDraw* owner, const char* name, DWORD width, DWORD height) {
  const char* dir = g_instData.GetArtPath();
  const std::string path = std::string(dir ? dir : "") + name;
  HMODULE module = g_gameData ? g_gameData->GetImageModule() : nullptr;
  auto* sprite = new CSprite(owner, path.c_str(), module, 0, width, height, 0, 0, 0);
  sprite->LoadImage(module);
  return sprite;
}

bool Holds(const RECT& r, int x, int y) { return x >= r.left && x < r.right && y >= r.top && y < r.bottom; }

}  // namespace

CInfoPanel::CInfoPanel(CDDraw* display, HWND window_, HINSTANCE instance_, CSprite* screen_)
    : owner(display), window(window_), instance(instance_), screen(screen_) {
  hotSpots.fill(kNoHotSpot);
  ResetCombatSummary();
  ResetShipList();
  ResetAsteroidList();
  InitTradeState();
  ResetTechInfo();
  arrow = LoadPicture(owner, "arrow.ima", 283, 142);
  voteYes = LoadPicture(owner, "voteyes.ima", 36, 36);
  voteNo = LoadPicture(owner, "voteno.ima", 36, 36);
  for (std::size_t i = 0; i < percentGauges.size(); ++i)
    percentGauges[i] = LoadPicture(owner, ("cperc" + std::string(kGauges[i]) + ".ima").c_str(), 60, 16);
  for (std::size_t i = 0; i < barGauges.size(); ++i)
    barGauges[i] = LoadPicture(owner, ("cpbr" + std::string(kGauges[i]) + ".ima").c_str(), 60, 16);
}

CInfoPanel::~CInfoPanel() {
  delete arrow;
  delete voteYes;
  delete voteNo;
  for (CSprite* s : percentGauges) delete s;
  for (CSprite* s : barGauges) delete s;
  for (CSprite* s : shipIcons) delete s;
}

void CInfoPanel::ResetHotSpots() { hotSpots.fill(kNoHotSpot); }

std::uint8_t CInfoPanel::SetType(std::uint8_t newType) {
  const std::uint8_t previous = type;
  EndTransferPicking();
  highlight = kNoHighlight;
  type = newType;
  hotSpotCount = kInfoHotSpots;
  switch (type) {
    case 1:
      InitTradeState();
      return previous;
    case 2:
      ResetShipList();
      break;
    case 3:
      ResetAsteroidList();
      break;
    case 7:
      ResetTechInfo();
      break;
    case 8:
      ResetCombatSummary();
      break;
    default:
      if (type >= kInfoPanelTypes) return previous;
      break;
  }
  ResetHotSpots();
  return previous;
}

void CInfoPanel::Draw() {
  switch (type) {
    case 0:
      DrawVotePanel();
      break;
    case 1:
      DrawTrade();
      break;
    case 2:
      DrawShipList();
      break;
    case 3:
      DrawAsteroidList();
      break;
    case 4:
      DrawResearch();
      break;
    case 5:
      DrawStatus();
      break;
    case 6:
      DrawChat();
      break;
    case 7:
      DrawTechInfo();
      break;
    case 8:
      DrawCombatSummary();
      break;
    case 9:
      DrawGameSetup();
      break;
    case 10:
      DrawPlayerNotes();
      break;
    case 11:
      DrawKeyboardReference();
      break;
    default:
      break;
  }
}

int CInfoPanel::OnLButtonDown(int x, int y, WPARAM keys) {
  int result = 0;
  switch (type) {
    case 0:
      result = ClickVotePanel(x, y, keys);
      break;
    case 1:
      result = ClickTrade(x, y, keys);
      break;
    case 2:
      result = ClickShipList(x, y, keys);
      break;
    case 3:
      result = ClickAsteroidList(x, y, keys);
      break;
    case 4:
      result = ClickResearch(x, y, keys);
      break;
    case 5:
      result = ClickStatus(x, y, keys);
      break;
    case 6:
      result = ClickChat(x, y, keys);
      break;
    case 7:
      result = ClickTechInfo(x, y, keys);
      break;
    case 8:
      result = ClickCombatSummary(x, y, keys);
      break;
    case 10:
      result = ClickPlayerNotes(x, y, keys);
      break;
    default:
      return 0;  // the game setup and keyboard reference take no clicks
  }
  // The trade, chat and notes pages sound their own clicks.
  if (result && type != 1 && type != 6 && type != 10 && g_sndPlay) g_sndPlay->PlayEffect("click", 1.0f, 0.0f, 0);
  return result;
}

int CInfoPanel::OnRButtonDown(int, int, WPARAM) { return 0; }

int CInfoPanel::OnLButtonDblClk(int, int) { return 0; }

int CInfoPanel::OnMouseMove(int x, int y) {
  int found = -1;
  for (int i = 0; i < hotSpotCount && i < kInfoHotSpots; ++i) {
    if (Holds(hotSpots[i], x, y)) {
      found = i;
      break;
    }
  }
  if (found >= 0 && found != highlight) {
    highlight = static_cast<std::uint8_t>(found);
    if (g_currentView) g_currentView->Invalidate();
  }
  switch (type) {
    case 1:
      HoverTrade(x, y);
      break;
    case 2:
      HoverShipList(x, y);
      break;
    case 3:
      HoverAsteroidList(x, y);
      break;
    case 4:
      HoverResearch(x, y);
      break;
    case 7:
      HoverTechInfo(x, y);
      break;
    default:
      break;
  }
  if (found < 0 && highlight != kNoHighlight) {
    highlight = kNoHighlight;
    if (g_currentView) g_currentView->Invalidate();
  }
  return found >= 0 ? 1 : 0;
}

void CInfoPanel::ShowContextHelp(int x, int y) {
  if (type < kInfoPanelTypes) PanelFrame().ShowHelpTopic(kHelpTopics[type], x, y);
}

int CInfoPanel::GetHighlightRect(RECT* rect) const {
  if (highlight >= hotSpotCount || highlight >= kInfoHotSpots) return 0;
  if (rect) *rect = hotSpots[highlight];
  return 1;
}
