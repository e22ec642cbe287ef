#include "Game/views/flat/CVTerrain.h"

#include <algorithm>
#include <cstdio>
#include <memory>
#include <string>

#include "Game/app/AppGlobals.h"
#include "Game/app/AppMessages.h"
#include "Game/base/GIDString.h"
#include "Game/base/GInstData.h"
#include "Game/dialogs/CDConstructAtvDlg.h"
#include "Game/model/GAsteroid.h"
#include "Game/model/GChapter.h"
#include "Game/model/GGameData.h"
#include "Game/model/GGuild.h"
#include "Game/model/GLocalChapter.h"
#include "Game/model/GSolarSys.h"
#include "Game/model/GUnit.h"
#include "Game/model/GZone.h"
#include "Game/net/NetSession.h"
#include "Game/net/TerrainPackets.h"
#include "Game/panels/CVData.h"
#include "Game/rules/GGameVar.h"
#include "Game/views/frame/CPopupMenu.h"
#include "Game/views/frame/OrderFeedback.h"
#include "Game/views/frame/Voices.h"
#include "Game/views/world/CVSgWorld.h"
#include "Game/views/world/CVStarField.h"
#include "media/CDDraw.h"
#include "media/CImageButton.h"
#include "media/CSprite.h"
#include "platform/ddraw/ddconst.h"
#include "platform/gdi/bitmaps.h"
#include "platform/gdi/dc.h"
#include "platform/gdi/objects.h"
#include "platform/gdi/text.h"
#include "platform/user/focus.h"
#include "platform/user/input.h"
#include "platform/user/keys.h"
#include "platform/user/queue.h"
#include "platform/user/window.h"

using namespace plat;
using terrain::Cell;
using terrain::Hit;

namespace {

constexpr DWORD kBlackKey = 0;
constexpr int kStatusAttribute = 26;
constexpr std::uint32_t kStatusStepMs = 75;
constexpr COLORREF kYellow = 0x00FFFF;
constexpr COLORREF kRed = 0x0000FF;
constexpr std::uint32_t kAltHelpTopic = 306;
constexpr int kFilterPercent = 70;
constexpr int kPerValuePercent = 6;
constexpr int kMaxPercent = 100;
constexpr int kOwnerChapters = 40;
constexpr WORD kDropPercent = 25;
constexpr COLORREF kDropGreen = 0x00FF00;
constexpr COLORREF kDropRed = 0x0000FF;

const char* const kFilterBases[CVTerrain::kFilterCount] = {"sfmine_", "sfloyal", "sfrebel",
                                                           "tfmine_", "tfstack", "tfpower"};
const char* const kAtvNames[4] = {"com", "min", "pow", "sb"};

// An ATV kind's picture: as another chapter of the viewing guild's ("h"), or
// as any other chapter's.
std::string AtvPictureName(int kind, bool allied) {
  char name[16];
  std::snprintf(name, sizeof name, allied ? "%satvh.ima" : "%satv.ima", kAtvNames[kind]);
  return name;
}

// A filter button's picture, up or down.
std::string FilterPictureName(const char* base, bool down) {
  char name[24];
  std::snprintf(name, sizeof name, down ? "%sd.ima" : "%su.ima", base);
  return name;
}

HMODULE GuildModule(int guild) { return g_gameData ? g_gameData->GetGuildModule(guild) : nullptr; }
HMODULE ImageModule() { return g_gameData ? g_gameData->GetImageModule() : nullptr; }

CSprite* LoadArt(const char* name, DWORD key) {
  const std::string path = std::string(g_instData.GetArtPath()) + name;
  return new CSprite(SharedScreen().viewDDraw, key, ImageModule(), path.c_str(), 0, 0, 0);
}

CSprite* LoadGuildArt(int guild, const char* name, DWORD key) {
  const std::string path = std::string(g_instData.GetGuildPath(guild)) + name;
  return new CSprite(SharedScreen().viewDDraw, key, GuildModule(guild), path.c_str(), 0, 0, 0);
}

std::string Text(const char* id) {
  char text[orders::kTextSize + 1] = {};
  if (g_gameData && g_gameData->textIndex) g_gameData->textIndex->GetText(id, text, orders::kTextSize);
  return text;
}

const CGChapter* Chapter(std::uint8_t chapter) {
  if (!g_gameData || !g_gameData->guildList || chapter >= kOwnerChapters) return nullptr;
  return g_gameData->guildList->GetChapter(chapter);
}

void SendToAll(std::span<std::uint8_t> packet) {
  if (g_session) g_session->Send(kAllPlayersSlot, packet.data(), static_cast<std::uint32_t>(packet.size()));
}

}  // namespace

std::array<std::uint8_t, 6> CVTerrain::ChapterTech(std::uint8_t owner, int kind) {
  std::array<std::uint8_t, 6> entry{};
  const CGChapter* c = Chapter(owner);
  const std::uint8_t* values = c ? c->GetATVTechStats(kind) : nullptr;
  if (values) std::copy_n(values, entry.size(), entry.begin());
  return entry;
}

CVTerrain::CVTerrain(HWND window, HINSTANCE instance) : CVGeneric(window, instance) {
  verticalLine = LoadArt("vline.ima", kNoColourKey);
  artifactImage = LoadArt("artifact.ima", kBlackKey);
  horizontalLine = LoadArt("hline.ima", kNoColourKey);
  for (int k = 0; k < kAtvKinds; ++k)
    atvImages[static_cast<std::size_t>(k)] = LoadGuildArt(LocalGuild(), AtvPictureName(k, false).c_str(), kBlackKey);
  facilityImages[0] = LoadArt("storfcty.ima", kBlackKey);
  facilityImages[1] = LoadArt("storfcty.ima", kBlackKey);
  facilityImages[2] = LoadArt("powrfcty.ima", kBlackKey);
  facilityImages[3] = LoadArt("minefcty.ima", kBlackKey);
  facilityImages[4] = LoadArt("atvfcty.ima", kBlackKey);
  saveUnder = new CSprite(SharedScreen().viewDDraw, nullptr, kNoColourKey, 25, 30, 0, 0, 0);
  char tip[24];
  for (int i = 0; i < kFilterCount; ++i) {
    std::snprintf(tip, sizeof tip, "TFLTBTN%d", i);
    filterButtons[static_cast<std::size_t>(i)] =
        MakeButton(kFirstFilterId + static_cast<std::uint32_t>(i), tip, 637 + 25 * i, 494, 25 + i % 2, 24,
                   271 + static_cast<std::uint32_t>(i), FilterPictureName(kFilterBases[i], false).c_str(),
                   FilterPictureName(kFilterBases[i], true).c_str());
  }
  // The starting filter's button shows pressed.
  filterButtons[filter]->Toggle();
  automanageButton = MakeButton(kAutomanageId, "AUTOTOGL", 637, 518, 77, 24, 320, "autoup.ima", "autodn.ima");
  goToSpaceButton = MakeButton(kGoToSpaceId, "VTGTSPAC", 714, 518, 76, 24, 278, "gtspceup.ima", "gtspcedn.ima");
}

// A recovery cancelled while the surface is shown gives ATVs back to its zones.
void CVTerrain::OnZoneAtvsReturned() {
  if (built) RedrawAllZones(1);
}

CVTerrain::~CVTerrain() {
  for (CImageButton*& b : filterButtons) delete std::exchange(b, nullptr);
  delete automanageButton;
  delete goToSpaceButton;
  delete starField;
  delete verticalLine;
  delete artifactImage;
  delete horizontalLine;
  for (CSprite* s : atvImages) delete s;
  delete workSurface;
  delete background;
  for (CSprite* s : facilityImages) delete s;
  delete saveUnder;
}

CImageButton* CVTerrain::MakeButton(std::uint32_t id, const char* tip, int x, int y, int width, int height,
                                    std::uint32_t help, const char* normal, const char* pressed) {
  const std::string tipText = Text(tip);
  auto* button = new CImageButton();
  button->Create(SharedScreen().viewDDraw, SharedScreen().viewWnd, SharedScreen().viewInstance,
                 SharedScreen().tooltipWnd, tipText.c_str(), static_cast<int>(id), x, y, width, height, kNoColourKey,
                 help, GuildModule(LocalGuild()));
  const std::string stem = std::string(g_instData.GetGuildPath(LocalGuild())) + "solview\\";
  button->SetImages((stem + normal).c_str(), (stem + pressed).c_str());
  ShowWindow(button->window, SW_HIDE);
  return button;
}

CGAsteroid* CVTerrain::Asteroid() const { return g_gameData ? g_gameData->solarDB.GetAsteroid(asteroidId) : nullptr; }

int CVTerrain::SizeClass() const {
  const CGAsteroid* a = Asteroid();
  if (!a || a->sizeClass > terrain::kMaxSizeClass) return -1;
  return a->sizeClass;
}

bool CVTerrain::HasArtifact(const CGZone& zone) { return zone.status != kNoArtifact; }

bool CVTerrain::HitZone(int x, int y, Hit* out) const {
  const CGAsteroid* a = Asteroid();
  const int size = SizeClass();
  if (!a || size < 0 || !terrain::HitTest(x, y, size, a->ringRotations, out)) return false;
  return a->GetZone(static_cast<std::uint16_t>(out->zone)) != nullptr;
}

// ---- showing and leaving ----

void CVTerrain::Render(std::int32_t argument) {
  lastArgument = static_cast<std::uint32_t>(argument);
  if (built) {
    if (!SharedScreen().infoPanelVisible) ShowOnScreen();
    return;
  }
  const auto value = static_cast<std::uint32_t>(argument);
  if ((value >> 16) == 0xFFFF) {
    if ((value & 0xFFFF) != 0xFFFF) asteroidId = static_cast<std::uint16_t>(value & 0xFFFF);
    placement = 0;
    landingMode = 0;
    placementUnitId = 0;
  } else {
    std::uint16_t location = 0;
    const CGUnit* unit = g_gameData ? g_gameData->pieces.FindUnit(value, &location) : nullptr;
    if (!unit) return;
    asteroidId = unit->location.asteroid;
    StartPlacement(value);
  }
  Build();
}

void CVTerrain::ShowOnScreen() {
  if (workSurface) DrawViewSprite(workSurface, terrain::kWorkOriginX, terrain::kWorkOriginY, nullptr);
  DrawOverSurface();
  DrawStatusText();
  AddDirtyRect({0, 0, 800, 600});
  FlushScreen();
}

void CVTerrain::Build() {
  highlightZone = 0xFF;
  UpdateControlPanel();
  DrawTurnLamps();
  delete starField;
  delete workSurface;
  delete background;
  workSurface = new CSprite(SharedScreen().viewDDraw, nullptr, kNoColourKey, kViewportWidth, kViewportHeight, 0, 0, 0);
  background = new CSprite(SharedScreen().viewDDraw, nullptr, kNoColourKey, kViewportWidth, kViewportHeight, 0, 0, 0);
  starField = new CVStarField(SharedScreen().viewDDraw, background, 0, 1, 0);
  starField->BltToSurface();
  DrawAsteroidPicture();
  DrawViewSprite(background, terrain::kWorkOriginX, terrain::kWorkOriginY, nullptr);
  // Another asteroid's read-out must not stay.
  if (SharedScreen().dataPanel) SharedScreen().dataPanel->Clear(1);
  hoverShown = 0;
  shownGotoKind = 0xFFFF;
  if (placement) {
    // A rebuild keeps what is placed: the ATVs already picked up have left
    // their zones, and only this block can give them back or take them aboard.
    if (!built) {
      kindToggles.fill(0);
      landingBlock.fill(0);
      landingPending = 0;
      pickupBlock.fill(0);
      if (const CGUnit* unit = PlacementUnit()) NoteCargoLeft(*unit);
    } else {
      MatchLandingToCargo(PlacementUnit());
    }
    SetCursorSet(CURSOR_LAND);
  }
  RedrawAllZones(0);
  DrawGotoBar();
  // A rebuild of the surface shown (the full redraw after a save) keeps a
  // status line still showing, such as "Game saved"; a new show tells the survey.
  if (!built || !SharedScreen().statusShown || SharedScreen().statusText.empty())
    SetStatusText(SurveyStatus().c_str(), kStatusAttribute);
  built = 1;
  ShowOnScreen();
}

void CVTerrain::DrawAsteroidPicture() {
  const int size = SizeClass();
  if (size < 0 || !background || !background->surface) return;
  if (size == terrain::kMaxSizeClass) {
    std::unique_ptr<CSprite> picture(LoadArt("asttest.ima", kBlackKey));
    picture->BltToSurface(background, 0, 0, nullptr);
    return;
  }
  std::unique_ptr<CSprite> picture(LoadArt("asttests.ima", kBlackKey));
  if (!picture->surface) return;
  const LONG width = 104 * size + 156, height = 66 * size + 99;
  const LONG left = (429 - 104 * size) / 2, top = (268 - 66 * size) / 2;
  RECT to{left, top, left + width, top + height};
  background->surface->Blt(&to, picture->surface, nullptr, DDBLT_WAIT | DDBLT_KEYSRC, nullptr);
}

void CVTerrain::GoToView(WPARAM viewType, LPARAM argument) {
  SharedScreen().previousViewType = VIEW_TERRAIN;
  SharedScreen().viewType = static_cast<std::uint32_t>(viewType);
  SharedScreen().previousViewAsteroid = asteroidId;
  ForgetCoveredStatusLine();
  CancelDrag();
  built = 0;
  SetCursorSet(g_gameData && g_gameData->GetSelectionCount() > 0 ? CURSOR_SELECT : CURSOR_NORMAL);
  HideButtons();
  HideControlButtons();
  if (placement) {
    // Left without done: what the mode took on this client goes back.
    AbandonPlacement();
    CVGeneric::DrawGotoBar();
  }
  placement = 0;
  delete std::exchange(starField, nullptr);
  delete std::exchange(workSurface, nullptr);
  delete std::exchange(background, nullptr);
  PostMessage(SharedScreen().viewWnd, WM_APP_SWITCH_VIEW, viewType, argument);
}

void CVTerrain::HideButtons() {
  for (CImageButton* b : filterButtons) ShowWindow(b->window, SW_HIDE);
  ShowWindow(automanageButton->window, SW_HIDE);
  ShowWindow(goToSpaceButton->window, SW_HIDE);
}

int CVTerrain::SaveState(plat::FILE* file) {
  fwrite(&asteroidId, sizeof asteroidId, 1, file);
  fwrite(&lastArgument, sizeof lastArgument, 1, file);
  const std::uint8_t end = kEndByte;
  fwrite(&end, 1, 1, file);
  return 1;
}

int CVTerrain::LoadState(plat::FILE* file) {
  built = 0;
  std::uint16_t id = 0;
  std::uint32_t argument = 0;
  std::uint8_t end = 0;
  if (fread(&id, sizeof id, 1, file) != 1 || fread(&argument, sizeof argument, 1, file) != 1 ||
      fread(&end, 1, 1, file) != 1)
    return 0;
  asteroidId = id;
  lastArgument = argument;
  return end == kEndByte ? 1 : 0;
}

// ---- drawing ----

int CVTerrain::ZoneAtCell(int column, int row) const {
  const CGAsteroid* a = Asteroid();
  const int size = SizeClass();
  if (!a || size < 0 || column < 0 || row < 0 || column >= terrain::kGridCells || row >= terrain::kGridCells) return -1;
  const int x = 30 + terrain::kCellWidth * column, y = 99 + terrain::kCellHeight * row;
  Hit hit;
  return terrain::HitTest(x, y, size, a->ringRotations, &hit) ? hit.zone : -1;
}

void CVTerrain::RedrawAllZones(int flush) {
  if (!workSurface || !background) return;
  background->BltToSurface(workSurface, 0, 0, nullptr);
  DrawCentreAndRings();
  if (!flush) return;
  DrawOverSurface();
  FlushViewport();
}

void CVTerrain::DrawCentreAndRings() {
  const int size = SizeClass();
  if (size < 0) return;
  DrawCell(terrain::kCentreRing, 0);
  for (int k = 0; k <= size; ++k)
    for (int p = 0; p < terrain::RingLength(k); ++p) DrawCell(k, p);
}

int CVTerrain::FilterPercent(const CGZone& zone) const {
  if (filter == kNoFilter || zone.owner == kZoneUnknown) return 0;
  const CGChapter* owner = Chapter(zone.owner);
  const bool loyalGuild = owner && owner->guild == LocalGuild();
  switch (filter) {
    case 0:
      return zone.owner == LocalChapterId(0) ? kFilterPercent : 0;
    case 1:
      return loyalGuild && owner->renegade == 0 ? kFilterPercent : 0;
    case 2:
      return loyalGuild && owner->renegade != 0 ? kFilterPercent : 0;
    case 3:
      return std::min<int>(zone.miningValue, 16) * kPerValuePercent;
    case 4:
      return std::min<int>(zone.atvLimit, 16) * kPerValuePercent;
    case 5: {
      const CGAsteroid* a = Asteroid();
      if (!a) return 0;
      return static_cast<int>(
          std::min<std::uint32_t>(a->GetZonePowerOutput(LocalChapterId(0), zone.index, 1), kMaxPercent));
    }
    default:
      return 0;
  }
}

void CVTerrain::DrawCell(int ring, int position) {
  const CGAsteroid* a = Asteroid();
  if (!a) return;
  const Cell cell = terrain::CellAt(ring, position);
  const terrain::ZoneKind zk =
      ring < 0 ? terrain::ZoneKind{0, 3} : terrain::ZoneAtPosition(ring, position, a->ringRotations[ring]);
  const CGZone* zone = a->GetZone(static_cast<std::uint16_t>(zk.zone));
  if (!zone) return;
  const int x = terrain::CellLeft(cell), y = terrain::CellTop(cell);
  const RECT area{x, y, x + terrain::kCellWidth, y + terrain::kCellHeight};
  background->BltToSurface(workSurface, x, y, &area);
  const int percent = zk.zone == highlightZone || plainCells ? 0 : FilterPercent(*zone);
  if (zk.zone == highlightZone) workSurface->Fade(kDropPercent, DropAllowed(zk.zone) ? kDropGreen : kDropRed, &area);
  if (percent > 0)
    workSurface->Fade(static_cast<WORD>(percent), GetFullColor(static_cast<std::uint32_t>(LocalGuild())), &area);
  // Borders only where the neighbour cell belongs to another zone (or none).
  if (ZoneAtCell(cell.column - 1, cell.row) != zk.zone) verticalLine->BltToSurface(workSurface, x, y, nullptr);
  if (ZoneAtCell(cell.column + 1, cell.row) != zk.zone)
    verticalLine->BltToSurface(workSurface, x + terrain::kCellWidth - 2, y, nullptr);
  if (ZoneAtCell(cell.column, cell.row - 1) != zk.zone) horizontalLine->BltToSurface(workSurface, x, y, nullptr);
  if (ZoneAtCell(cell.column, cell.row + 1) != zk.zone)
    horizontalLine->BltToSurface(workSurface, x, y + terrain::kCellHeight - 2, nullptr);
  if (!plainCells) DrawCellContents(*zone, zk.kind, x, y);
  if (placement && landingMode && LandingCount(zk.kind, zk.zone) > 0) {
    int landed = 0;
    for (int k = 0; k < kAtvKinds; ++k) landed += LandingCount(k, zk.zone);
    const int held = zone->owner < kOwnerChapters ? zone->GetAtvCount(kAllAtvKinds) : 0;
    char text[8];
    std::snprintf(text, sizeof text, "+%d", LandingCount(zk.kind, zk.zone));
    DrawCellText(text, x + 28, y + 16, held + landed > zone->atvLimit ? kRed : kYellow);
  }
  DrawViewSprite(workSurface, terrain::kWorkOriginX + x, terrain::kWorkOriginY + y, &area);
}

CSprite* CVTerrain::FacilityImage(std::uint32_t bit) const {
  switch (bit) {
    case FACILITY_STORAGE:
      return facilityImages[0];
    case FACILITY_POWER:
      return facilityImages[2];
    case FACILITY_MINING:
      return facilityImages[3];
    case FACILITY_ATV_CONSTRUCTION:
      return facilityImages[4];
    default:
      return nullptr;
  }
}

void CVTerrain::DrawCellContents(const CGZone& zone, int kind, int x, int y) {
  if (kind == ATV_SEED_BANK && HasArtifact(zone) && artifactImage)
    artifactImage->BltToSurface(workSurface, x + 1, y + 2, nullptr);
  switch (kind) {
    case ATV_MINING:
      if (zone.facilities & FACILITY_STORAGE) facilityImages[0]->BltToSurface(workSurface, x, y, nullptr);
      if (zone.facilities & FACILITY_MINING) facilityImages[3]->BltToSurface(workSurface, x, y, nullptr);
      break;
    case ATV_POWER:
      if (zone.facilities & FACILITY_POWER) facilityImages[2]->BltToSurface(workSurface, x, y, nullptr);
      break;
    case ATV_SEED_BANK:
      if (zone.facilities & FACILITY_ATV_CONSTRUCTION) facilityImages[4]->BltToSurface(workSurface, x, y, nullptr);
      break;
    default:
      break;
  }
  const auto k = static_cast<std::uint8_t>(kind);
  const int owned = zone.owner < kOwnerChapters ? zone.GetAtvCount(k) : 0;
  const int arriving = zone.GetArrivingAtvCount(0, k);
  if (owned + arriving == 0) return;
  if (owned > 0) {
    if (zone.owner == LocalChapterId(0)) {
      atvImages[k]->BltToSurface(workSurface, x + 1, y + 2, nullptr);
    } else if (const CGChapter* owner = Chapter(zone.owner)) {
      const std::string name = AtvPictureName(k, owner->guild == LocalGuild());
      std::unique_ptr<CSprite> picture(LoadGuildArt(owner->guild, name.c_str(), kBlackKey));
      picture->BltToSurface(workSurface, x + 1, y + 2, nullptr);
    }
  }
  if (arriving > 0) atvImages[k]->BltToSurface(workSurface, x + 27, y + 2, nullptr);
  char text[16];
  if (owned > 0) {
    std::snprintf(text, sizeof text, "%d %c", owned, zone.IsAtvKindEntrenched(k) ? 'F' : ' ');
    DrawCellText(text, x + 2, y + 2, kYellow);
  }
  if (arriving > 0) {
    const int total =
        (zone.owner < kOwnerChapters ? zone.GetAtvCount(kAllAtvKinds) : 0) + zone.GetArrivingAtvCount(0, kAllAtvKinds);
    std::snprintf(text, sizeof text, "%d", arriving);
    DrawCellText(text, x + 28, y + 2, total > zone.atvLimit ? kRed : kYellow);
  }
}

void CVTerrain::DrawCellText(const char* text, int x, int y, COLORREF colour) {
  HDC dc = workSurface->GetDC();
  if (!dc) return;
  HGDIOBJ old = plat::SelectObject(dc, SharedScreen().boldFont);
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, colour);
  RECT r{x, y, x + 20, y + 13};
  DrawText(dc, text, -1, &r, DT_LEFT | DT_SINGLELINE | DT_NOCLIP);
  plat::SelectObject(dc, old);
  workSurface->ReleaseDC(dc);
}

std::string CVTerrain::SurveyStatus() const {
  CGAsteroid* a = Asteroid();
  if (!a || !g_gameData || !g_gameData->textIndex) return {};
  const char* name = a->GetName();
  const int lastVisit = a->GetLastVisitTurn();
  char text[orders::kTextSize + 1] = {};
  const CIDString& texts = *g_gameData->textIndex;
  if (lastVisit == 0 && !a->HasAnyATVs()) {
    texts.GetText("S_UNKNON", text, orders::kTextSize, name);
  } else {
    const long long d = static_cast<long long>(g_gameData->turn) - lastVisit;
    if (d == 0 || d == -1)
      texts.GetText("S_UPTODT", text, orders::kTextSize, name);
    else if (d == 1)
      texts.GetText("S_LSTUD1", text, orders::kTextSize, name);
    else
      texts.GetText("S_LSTUD2", text, orders::kTextSize, name, static_cast<std::int32_t>(d));
  }
  return text;
}

// ---- controls ----

void CVTerrain::UpdateControlPanel() {
  CVGeneric::UpdateControlPanel();
  const int show = SharedScreen().infoPanelVisible ? SW_HIDE : SW_SHOW;
  for (CImageButton* b : filterButtons) ShowWindow(b->window, show);
  ShowWindow(goToSpaceButton->window, show);
  ShowWindow(automanageButton->window, show);
  // The automanage button shows pressed exactly while the asteroid is automanaged.
  const CGAsteroid* a = Asteroid();
  const bool on = a && a->automanage != 0;
  if ((automanageButton->normalShown == 0) != on) automanageButton->Toggle();
  if (!SharedScreen().infoPanelVisible) {
    for (CImageButton* b : filterButtons) DrawButton(b, 0);
    DrawButton(automanageButton, 0);
    DrawButton(goToSpaceButton, 0);
  }
}

void CVTerrain::DrawButton(CImageButton* button, int selected) {
  if (!button || !button->sprite) return;
  const char* face = button->disabled ? button->disabledImage : selected ? button->pressedImage : button->normalImage;
  button->sprite->SetImageName(face);
  button->sprite->LoadImage(nullptr);
  DrawViewSprite(button->sprite.get(), button->x, button->y, nullptr);
  // The display keeps a shown button's window out of the screen's copies: its
  // face reaches the screen through the button's own window.
  ShowInButtonWindow(*button);
}

void CVTerrain::OnDrawItem(DRAWITEMSTRUCT* item) {
  if (!item) return;
  CImageButton* button = nullptr;
  if (item->CtlID == kAutomanageId) button = automanageButton;
  if (item->CtlID == kGoToSpaceId) button = goToSpaceButton;
  if (item->CtlID >= kFirstFilterId && item->CtlID < kFirstFilterId + kFilterCount)
    button = filterButtons[item->CtlID - kFirstFilterId];
  if (!button) return;
  DrawButton(button, (item->itemState & ODS_SELECTED) != 0);
  FlushScreen();
}

void CVTerrain::RouteDrawItem(DRAWITEMSTRUCT* item, int viewSpecific) {
  if (item && item->CtlID == kAutomanageId) {
    OnDrawItem(item);
    return;
  }
  CVGeneric::RouteDrawItem(item, viewSpecific);
}

LRESULT CVTerrain::OnCommand(std::uint32_t id) {
  if (id >= kFirstFilterId && id < kFirstFilterId + kFilterCount) {
    SelectFilter(static_cast<std::uint8_t>(id - kFirstFilterId));
  } else if (id == kAutomanageId) {
    ToggleAutomanage();
  } else if (id == kGoToSpaceId || id == kMainGoToSpaceId) {
    if (!placement) GoToView(VIEW_ASTEROID_SPACE, static_cast<LPARAM>(kAsteroidSubject | asteroidId));
  } else {
    return 0;
  }
  SetFocus(SharedScreen().viewWnd);
  return 1;
}

void CVTerrain::SelectFilter(std::uint8_t chosen) {
  if (chosen >= kFilterCount) return;
  if (filter != kNoFilter) filterButtons[filter]->Toggle();
  if (chosen != filter) {
    filter = chosen;
    filterButtons[filter]->Toggle();
  } else {
    filter = kNoFilter;
  }
  if (!SharedScreen().infoPanelVisible) {
    for (CImageButton* b : filterButtons) DrawButton(b, 0);
  }
  RedrawAllZones(1);
  FlushScreen();
}

void CVTerrain::ToggleAutomanage() {
  CGAsteroid* a = Asteroid();
  if (!a) return;
  const std::uint8_t local = static_cast<std::uint8_t>(LocalChapterId(0));
  bool alone = true;
  for (int i = 0; i < a->GetZoneCount(); ++i) {
    const CGZone* z = a->GetZone(static_cast<std::uint16_t>(i));
    if (z && z->owner < kOwnerChapters && z->owner != local) alone = false;
  }
  const bool present = a->IsChapterPresent(local) != 0;
  if (alone && present) {
    a->SetAutomanage(a->automanage ? 0 : 1, 1);
    SetStatusFromId(a->automanage ? "AUTOMSET" : "AUTONSET");
  } else {
    SetStatusFromId(present ? "CANTAUT2" : "CANTAUT1");
  }
  // Shown again with the new button face and status line.
  UpdateControlPanel();
  ShowOnScreen();
}

void CVTerrain::DrawZone(int zone) {
  const CGAsteroid* a = Asteroid();
  if (!a || zone < 0 || zone >= a->GetZoneCount()) return;
  const int ring = terrain::RingOfZone(zone);
  if (ring < 0) {
    DrawCell(terrain::kCentreRing, 0);
    return;
  }
  for (int kind = 0; kind < kAtvKinds; ++kind)
    DrawCell(ring, terrain::PositionOfZone(zone, kind, a->ringRotations[ring]));
}

void CVTerrain::SetStatusFromId(const char* id) { SetStatusText(Text(id).c_str(), kStatusAttribute); }

// ---- input ----

int CVTerrain::OnRButtonDown(int x, int y, WPARAM keys) {
  if (CVGeneric::OnRButtonDown(x, y, keys)) return 1;
  if (GetKeyState(VK_MENU) < 0 && x >= kViewportRect.left && x <= kViewportRect.right && y >= kViewportRect.top &&
      y <= kViewportRect.bottom) {
    ShowHelpTopic(kAltHelpTopic, x, y);
    return 1;
  }
  return 0;
}

int CVTerrain::OnLButtonDblClk(int x, int y) {
  if (placement) return 0;
  if (CVGeneric::OnLButtonDblClk(x, y)) return 1;
  Hit hit;
  if (y > 74 && x < 637 && !HitZone(x, y, &hit)) {
    GoToView(VIEW_ASTEROID_SPACE, static_cast<LPARAM>(kAsteroidSubject | asteroidId));
    return 1;
  }
  return 0;
}

void CVTerrain::NextAsteroid(int backwards) {
  if (!g_gameData) return;
  const int count = CGSolarDB::GetAsteroidCount();
  if (count <= 0) return;
  const auto local = static_cast<std::uint8_t>(LocalChapterId(0));
  int id = asteroidId;
  for (int step = 0; step < count; ++step) {
    id = backwards ? (id + count - 1) % count : (id + 1) % count;
    const CGAsteroid* a = g_gameData->solarDB.GetAsteroid(static_cast<std::uint32_t>(id));
    if (a && (a->owner == local || a->IsChapterPresent(local))) {
      GoToView(VIEW_TERRAIN, static_cast<LPARAM>(kAsteroidSubject + static_cast<std::uint32_t>(id)));
      return;
    }
  }
}

int CVTerrain::OnKeyDown(WPARAM key, LPARAM flags) {
  if (CVGeneric::OnKeyDown(key, flags)) return 1;
  switch (key) {
    case VK_TAB:
      NextAsteroid(GetKeyState(VK_SHIFT) < 0);
      return 1;
    case 0x3B:
    case 0xBA:
      SharedScreen().gotoGroup = static_cast<std::uint8_t>((SharedScreen().gotoGroup + 1) % kGotoGroups);
      DrawGotoBar();
      FlushScreen();
      return 1;
    case 'F':
      SelectFilter(filter == kNoFilter || filter + 1 >= kFilterCount ? 0 : static_cast<std::uint8_t>(filter + 1));
      return 1;
    case 'J':
      GoToView(VIEW_ASTEROID_SPACE, static_cast<LPARAM>(kAsteroidSubject | asteroidId));
      return 1;
    case VK_PRIOR:
    case VK_NEXT: {
      POINT cursor{};
      GetCursorPos(&cursor);
      return TurnZonePage(cursor.x, cursor.y, key == VK_PRIOR ? 1 : 0);
    }
    default:
      return 0;
  }
}

void CVTerrain::PlayFrameAnimation(std::uint32_t elapsedMs) {
  CVGeneric::PlayFrameAnimation(elapsedMs);
  // A cargo the server sent again while a landing is being placed: the bar
  // and the zones' counts show the two agreed.
  if (placement && built && MatchLandingToCargo(PlacementUnit())) {
    RedrawAllZones(0);
    DrawPlacementBar();
    if (SharedScreen().infoPanelVisible)
      FlushScreen();
    else
      ShowOnScreen();
  }
  CountDownStatus(elapsedMs);
}

void CVTerrain::CountDownStatus(std::uint32_t elapsedMs) {
  g_animElapsedMs += elapsedMs;
  // The status line counts down one step each 75 ms (no display list here
  // takes the accumulated time); a line shown until replaced stays.
  if (SharedScreen().statusShown && g_animElapsedMs >= kStatusStepMs) {
    g_animElapsedMs = 0;
    // The line a timed one covered (the survey under "Game saved") shows again.
    if (CountDownStatusLine() && SharedScreen().statusShown && !SharedScreen().infoPanelVisible && built)
      ShowOnScreen();
  }
  // The status line's time ran out: the view shows again without it.
  if (SharedScreen().statusShown == 0 && !SharedScreen().statusText.empty() && !SharedScreen().infoPanelVisible &&
      built) {
    SharedScreen().statusText.clear();
    ShowOnScreen();
  }
}

// ---- popup menu ----

std::array<std::uint32_t, 13> CVTerrain::MenuItemsAt(int x, int y, int* count) const {
  std::array<std::uint32_t, 13> items{};
  int n = 0;
  items[n++] = MENU_GO_SPACE;
  items[n++] = MENU_TRANSPORT;
  const CGAsteroid* a = Asteroid();
  const std::uint16_t local = LocalChapterId(0);
  if (a && a->controller == local) items[n++] = MENU_VOTES;
  Hit hit;
  const CGZone* zone = a && HitZone(x, y, &hit) ? a->GetZone(static_cast<std::uint16_t>(hit.zone)) : nullptr;
  if (zone) {
    const auto kind = static_cast<std::uint8_t>(hit.kind);
    const bool ownerKnown = zone->owner < kZoneUnknown;
    const bool ownedByLocal = zone->owner == local;
    const int localSeedBank = zone->GetChapterAtvCount(static_cast<std::uint8_t>(local), ATV_SEED_BANK);
    if (kind == ATV_SEED_BANK && hit.ring != terrain::kCentreRing && localSeedBank > 0 && !HasArtifact(*zone) &&
        zone->zoneWord == 0 && ownerKnown) {
      const auto tech = ChapterTech(zone->owner, ATV_SEED_BANK);
      if (tech[3] > 1) items[n++] = MENU_RAISE_MINING;
      if (tech[3] > 2) items[n++] = MENU_RAISE_STACKING;
    }
    if (kind == ATV_SEED_BANK && (zone->facilities & FACILITY_ATV_CONSTRUCTION) && zone->facilityOwner == local)
      items[n++] = MENU_CONSTRUCT_ATVS;
    if (zone->GetChapterAtvCount(static_cast<std::uint8_t>(local), kind) > 0 && !HasArtifact(*zone) && ownerKnown &&
        !zone->IsAtvKindEntrenched(kind)) {
      const auto tech = ChapterTech(zone->owner, kind);
      if (tech[4] == 'F' || tech[5] == 'F') items[n++] = MENU_ENTRENCH;
    }
    if (ownedByLocal && kind == ATV_MINING && !(zone->facilities & (FACILITY_MINING | FACILITY_STORAGE))) {
      const int held = zone->atvCounts[ATV_MINING];
      if (held >= g_gameVariables.costStorageFacility) items[n++] = MENU_STORAGE_FACILITY;
      if (held >= g_gameVariables.costMiningFacility) items[n++] = MENU_MINING_FACILITY;
    }
    if (ownedByLocal && kind == ATV_POWER && !(zone->facilities & FACILITY_POWER) &&
        zone->atvCounts[ATV_POWER] >= g_gameVariables.costPowerFacility)
      items[n++] = MENU_POWER_FACILITY;
    if (ownedByLocal && kind == ATV_SEED_BANK && hit.ring != terrain::kCentreRing &&
        !(zone->facilities & FACILITY_ATV_CONSTRUCTION) &&
        zone->atvCounts[ATV_SEED_BANK] >= g_gameVariables.costATVConstructionFacility)
      items[n++] = MENU_ATV_FACILITY;
  }
  *count = n;
  return items;
}

int CVTerrain::ShowContextMenu(int x, int y) {
  if (placement) return 1;
  SetCursorSet(CURSOR_NORMAL);
  if (y < 74) {
    // An empty slot too: its menu offers to keep this asteroid there.
    const GotoEntry& e = SharedScreen().gotoSlots[static_cast<std::size_t>(GetGotoSlotAtX(x))];
    const int flags = e.kind == GOTO_ASTEROID           ? 1 | 2
                      : e.kind == GOTO_UNIT             ? 1 | 4
                      : e.kind == GOTO_TERRAIN_ASTEROID ? 1 | 8
                                                        : 1;
    ShowOrderMenu(flags, e.id, x, y);
    return 1;
  }
  static const char* const kStems[] = {"gospac", "transp", "selvot", "raismn", "raisst", "entrch",
                                       "storfc", "minefc", "powrfc", "atvfcy", "conatv"};
  static const std::uint32_t kIds[] = {MENU_GO_SPACE,         MENU_TRANSPORT,       MENU_VOTES,
                                       MENU_RAISE_MINING,     MENU_RAISE_STACKING,  MENU_ENTRENCH,
                                       MENU_STORAGE_FACILITY, MENU_MINING_FACILITY, MENU_POWER_FACILITY,
                                       MENU_ATV_FACILITY,     MENU_CONSTRUCT_ATVS};
  int count = 0;
  const auto items = MenuItemsAt(x, y, &count);
  ClosePopupMenu();
  SharedScreen().popupMenu =
      new CPopupMenu(SharedScreen().viewDDraw, SharedScreen().viewWnd, SharedScreen().screenSprite,
                     static_cast<std::uint16_t>(x), static_cast<std::uint16_t>(y), 0xFFFF, 0);
  SharedScreen().menuObjectKind = GOTO_TERRAIN_ASTEROID;
  SharedScreen().menuObjectId = asteroidId;
  menuX = x;
  menuY = y;
  const std::string art = g_instData.GetGuildPath(LocalGuild());
  for (int i = 0; i < count; ++i) {
    const auto at = std::find(std::begin(kIds), std::end(kIds), items[static_cast<std::size_t>(i)]);
    const char* stem = kStems[at - std::begin(kIds)];
    SharedScreen().popupMenu->AppendItem(items[static_cast<std::size_t>(i)], (art + "pm" + stem + ".ima").c_str(),
                                         (art + "ph" + stem + ".ima").c_str(), GuildModule(LocalGuild()));
  }
  SharedScreen().popupMenu->Track();
  return 1;
}

LRESULT CVTerrain::OnMenuCommand(std::uint32_t id) {
  if (id == MENU_SET_GOTO) {
    // The goto bar's own menu opened over the slot it names.
    int slotX = 0;
    if (SharedScreen().popupMenu) SharedScreen().popupMenu->GetPosition(&slotX, nullptr);
    SetGotoSlot(GotoColumnAt(slotX), GOTO_TERRAIN_ASTEROID, asteroidId, 1);
    ClosePopupMenu();
    return 1;
  }
  if (id >= MENU_RAISE_MINING && id <= MENU_CONSTRUCT_ATVS) {
    ClosePopupMenu();
    SetCursorSet(CURSOR_AGAIN);
    RunZoneCommand(id, menuX, menuY);
    return 1;
  }
  return CVGeneric::OnMenuCommand(id);
}

void CVTerrain::RunZoneCommand(std::uint32_t id, int x, int y) {
  CGAsteroid* a = Asteroid();
  Hit hit;
  if (!a || !HitZone(x, y, &hit)) return;
  CGZone* zone = a->GetZone(static_cast<std::uint16_t>(hit.zone));
  if (!zone) return;
  const std::uint16_t local = LocalChapterId(0);
  const CGChapter* owner = Chapter(zone->owner);
  const auto ownerGuild = static_cast<std::uint16_t>(owner ? owner->guild : zone->owner >> 3);
  switch (id) {
    case MENU_RAISE_MINING:
    case MENU_RAISE_STACKING: {
      ZoneImprovementPacket p;
      p.stacking = id == MENU_RAISE_STACKING;
      p.guild = ownerGuild;
      p.chapter = zone->owner;
      p.asteroid = asteroidId;
      p.zone = zone->index;
      auto image = p.Build();
      SendToAll(image.bytes);
      zone->zoneWord = 1;
      break;
    }
    case MENU_ENTRENCH: {
      ZoneEntrenchPacket p;
      p.asteroid = asteroidId;
      p.zone = zone->index;
      p.chapter = zone->owner;
      p.guild = ownerGuild;
      p.kind = static_cast<std::uint16_t>(hit.kind);
      auto image = p.Build();
      SendToAll(image.bytes);
      zone->SetAtvKindEntrenched(static_cast<std::uint8_t>(hit.kind), 1);
      break;
    }
    case MENU_STORAGE_FACILITY:
    case MENU_MINING_FACILITY:
    case MENU_POWER_FACILITY:
    case MENU_ATV_FACILITY: {
      const std::uint32_t bit = id == MENU_STORAGE_FACILITY  ? FACILITY_STORAGE
                                : id == MENU_MINING_FACILITY ? FACILITY_MINING
                                : id == MENU_POWER_FACILITY  ? FACILITY_POWER
                                                             : FACILITY_ATV_CONSTRUCTION;
      ZoneFacilityPacket p;
      p.asteroid = asteroidId;
      p.chapter = zone->owner;
      p.zone = zone->index;
      p.cellKind = static_cast<std::uint16_t>(hit.kind);
      p.facility = bit;
      auto image = p.Build();
      SendToAll(image.bytes);
      zone->BuildFacility(bit);
      break;
    }
    case MENU_CONSTRUCT_ATVS: {
      if (!zone->atvConstruction) return;
      AtvCounts counts{};
      for (int k = 0; k < kAtvKinds; ++k)
        counts[static_cast<std::size_t>(k)] = static_cast<std::int8_t>(zone->atvConstruction[k]);
      const AtvCounts before = counts;
      CDConstructAtvDlg dialog(SharedScreen().viewDDraw, SharedScreen().viewWnd, SharedScreen().viewInstance,
                               SharedScreen().angularFont, kNoBuildRate, &counts, GuildModule(LocalGuild()),
                               asteroidId);
      if (counts == before) return;
      ZoneConstructAtvsPacket p;
      p.asteroid = asteroidId;
      p.zone = zone->index;
      p.chapter = local;
      for (int k = 0; k < kAtvKinds; ++k) {
        zone->atvConstruction[k] = static_cast<std::uint8_t>(counts[static_cast<std::size_t>(k)]);
        p.counts[static_cast<std::size_t>(k)] = zone->atvConstruction[k];
      }
      if ((counts[0] | counts[1] | counts[2] | counts[3]) == 0) {
        SetStatusFromId("ORDSCNCL");
      } else {
        PlayVoice(kVoiceConstructed);
        SetStatusFromId("CNSTINIT");
      }
      auto image = p.Build();
      SendToAll(image.bytes);
      break;
    }
    default:
      return;
  }
  RedrawAllZones(0);
  ShowOnScreen();
}
