// The design area: the background of the design's unit class, the hull with
// its slots, and the stat box that sets each value of the design against the
// limits of its class.
#include <strings.h>
#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <string>

#include "Game/base/GInstData.h"
#include "Game/model/GGameData.h"
#include "Game/model/GGuild.h"
#include "Game/model/GLocalChapter.h"
#include "Game/panels/CVData.h"
#include "Game/panels/CVDataText.h"
#include "Game/rules/GHullDB.h"
#include "Game/rules/GModuleDB.h"
#include "Game/rules/GTemplateDB.h"
#include "Game/rules/GUnitTem.h"
#include "Game/views/flat/CVDesign.h"
#include "media/CSprite.h"
#include "platform/gdi/text.h"

using namespace plat;
using datapanel::Text;

namespace {

constexpr COLORREF kGreen = 0x00FF00;
constexpr COLORREF kDarkGreen = 0x008000;
constexpr COLORREF kValueGreen = 0x00CD00;
constexpr COLORREF kYellow = 0x00FFFF;
constexpr COLORREF kRed = 0x0000FF;
constexpr COLORREF kWhite = 0xFFFFFF;
constexpr COLORREF kSlotOutline = 180;
constexpr int kStatHalf = 22;

HMODULE GuildModule(int guild) { return g_gameData ? g_gameData->GetGuildModule(guild) : nullptr; }

// A frame in viewport coordinates.
void Frame(int left, int top, int right, int bottom, COLORREF colour) {
  DrawViewportLine(left, top, right, top, colour, 1);
  DrawViewportLine(right, top, right, bottom, colour, 1);
  DrawViewportLine(left, bottom, right + 1, bottom, colour, 1);
  DrawViewportLine(left, top, left, bottom, colour, 1);
}

// A number's digits, held for the statement that prints them.
struct Digits {
  char text[16];
  operator const char*() const { return text; }
};
Digits Number(std::uint32_t v) {
  Digits d;
  std::snprintf(d.text, sizeof d.text, "%u", v);
  return d;
}

}  // namespace

const char* CDesignView::CachedText(const char* id) {
  for (const auto& [key, text] : textCache_)
    if (key == id || std::strcmp(key, id) == 0) return text.c_str();
  textCache_.emplace_back(id, Text(id));
  return textCache_.back().second.c_str();
}

const char* CDesignView::CachedPerTurn(int line, std::uint32_t value) {
  PerTurnText& t = perTurn_[static_cast<std::size_t>(line)];
  if (!t.made || t.value != value) {
    t.text = Text("PER_TURN", static_cast<int>(value));
    t.value = value;
    t.made = true;
  }
  return t.text.c_str();
}

const char* CDesignView::ShieldLineText(int attackType) {
  std::string& text = shieldTexts_[static_cast<std::size_t>(attackType)];
  if (text.empty()) text = Text("VS_S_D__", CGModuleDB::GetAttackTypeText(attackType));
  return text.c_str();
}

CSprite* CDesignView::CachedPicture(CachedPictureKind kind, const char* path, HMODULE module, DWORD key, int width,
                                    int height) {
  KeptPicture& kept = pictures_[static_cast<std::size_t>(kind)];
  if (kept.path != path) {
    kept.path = path;
    kept.sprite.reset();
    if (SharedScreen().viewDDraw) {
      auto sprite = std::make_unique<CSprite>(SharedScreen().viewDDraw, path, module, key, static_cast<DWORD>(width),
                                              static_cast<DWORD>(height), 0, 0, 0);
      if (sprite->surface) {
        sprite->LoadImage(module);
        kept.sprite = std::move(sprite);
      }
    }
  }
  return kept.sprite.get();
}

void CDesignView::ShowDataPicture(const char* path) {
  if (!SharedScreen().dataPanel) return;
  // The panel keeps its picture: it is loaded again only when it changes.
  const CSprite* shown = SharedScreen().dataPanel->fixedPicture;
  if (path ? shown && strcasecmp(shown->imageName.c_str(), path) == 0 : !shown) return;
  SharedScreen().dataPanel->SetPicture(path, 0);
}

void CDesignView::Redraw(int flush) {
  DrawDesignBackground();
  if (!SharedScreen().infoPanelVisible) DrawDesignReadout();
  // The hull chooser writes its prompt in the status line's place.
  if (!chooserPage_) DrawStatusText();
  AddDirtyRect(kViewportRect);
  if (flush) FlushScreen();
}

void CDesignView::DrawStatusText() {
  // A line shown until replaced is another view's prompt for a pick the
  // chamber has none of.
  const std::uint16_t shown = SharedScreen().statusShown;
  if (!shown || shown == kStatusUntilReplaced || SharedScreen().statusText.empty() || SharedScreen().infoPanelVisible)
    return;
  // The read-out's frame runs through the line's place: on a darker patch,
  // as the hull chooser's prompt, the line reads clear of it, and the
  // design's name beside it stays as bright as ever.
  std::string line = SharedScreen().statusText;
  std::transform(line.begin(), line.end(), line.begin(),
                 [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
  const int margin = std::max(1, (kViewportWidth - MeasureScreenText(line.c_str(), 0)) / 2 - 6);
  ShadeViewportRect(margin, 1, kViewportWidth - margin, 18, 0, 85);
  CVGeneric::DrawStatusText();
}

void CDesignView::DrawDesignBackground() {
  const int guild = ShownGuild();
  const char* art = g_instData.GetGuildPath(guild);
  char path[300];
  if (design_->hull) {
    const char* abbr = design_->GetClassAbbreviation();
    // The data panel reads its pictures from the local guild's art.
    std::snprintf(path, sizeof path, "%sunits\\%s_ds.ima", g_instData.GetGuildPath(LocalGuild()), abbr ? abbr : "");
    ShowDataPicture(path);
    std::snprintf(path, sizeof path, "%s%sbg.ima", art, abbr ? abbr : "");
  } else {
    ShowDataPicture(nullptr);
    std::snprintf(path, sizeof path, "%snoship.ima", art);
  }
  if (CSprite* background =
          CachedPicture(kBackgroundPicture, path, GuildModule(guild), kNoColourKey, kViewportWidth, kViewportHeight);
      background && SharedScreen().screenSprite)
    background->BltToSurface(SharedScreen().screenSprite, kViewportRect.left, kViewportRect.top, nullptr);
}

void CDesignView::DrawStatBar(int y, std::uint32_t classMin, std::uint32_t classMax, std::uint32_t value,
                              bool hundredths, COLORREF colour) {
  const StatBarMeasure m = MeasureStatBar(classMin, classMax, value);
  DrawViewportLine(190, y, 190 + m.length, y, colour, 1);
  DrawScreenText("|", 187, y - 2, 6, colour, DT_LEFT, 0, 0);
  DrawScreenText("|", 288, y - 2, 6, colour, DT_LEFT, 0, 0);
  DrawViewportLine(189 + m.tick, y, 189 + m.tick, y + 2, kWhite, 1);
  DrawViewportLine(188 + m.tick, y + 1, 188 + m.tick, y + 4, kWhite, 1);
  DrawViewportLine(190 + m.tick, y + 1, 190 + m.tick, y + 4, kWhite, 1);
  char scale[24];
  if (hundredths)
    std::snprintf(scale, sizeof scale, "[%5.2f]", m.scale * 0.01);
  else
    std::snprintf(scale, sizeof scale, "[%u]", m.scale);
  DrawScreenText(scale, 297, y - 2, 50, colour, DT_LEFT, 0, 0);
}

void CDesignView::DrawStatLine(int y, const char* label, bool heading, const char* value, int k, bool hundredths,
                               COLORREF colour) {
  const char* text = CachedText(label);
  if (heading)
    DrawScreenText(text, 10, y, 110, colour == kRed ? kRed : kGreen, DT_LEFT, 0, 0);
  else
    DrawScreenText(text, 20, y, 100, colour, DT_RIGHT, 0, 0);
  if (k < 0) return;
  DrawScreenText(value, 125, y, 60, colour == kRed ? kRed : kValueGreen, DT_LEFT, 0, 0);
  const ClassStatRanges& r = g_gameData->templates.GetClassStatRanges(design_->unitClass);
  std::uint32_t v = 0;
  switch (k) {
    case 0:
      v = static_cast<std::uint32_t>(design_->GetLocalSpeedScaled() * 100.0 + 0.5);
      break;
    case 1:
      v = design_->GetDeepSpaceSpeed();
      break;
    case 2:
      v = design_->mass;
      break;
    case 4:
      v = design_->atvCapacity;
      break;
    case 5:
      v = design_->construction;
      break;
    case 6:
      v = design_->survey;
      break;
    case 7:
      v = design_->powerStorage;
      break;
    case 8:
      v = design_->powerGeneration;
      break;
    case 9:
      v = design_->transferRate;
      break;
    case 10:
      v = design_->powerUse;
      break;
    case 11:
      v = design_->attack;
      break;
    case 12:
      v = design_->stealth;
      break;
    case 13:
      v = design_->tracking;
      break;
    case 14:
      v = design_->activeDefence;
      break;
    case 20:
      v = design_->buildPoints;
      break;
    case 21:
      v = design_->damageControl;
      break;
    default:
      if (k >= 15 && k <= 19) {
        std::uint32_t costs[5] = {};
        design_->GetCost32(costs);
        v = costs[k - 15];
      }
  }
  DrawStatBar(y + 2, r[static_cast<std::size_t>(k)], r[static_cast<std::size_t>(k + kStatHalf)], v, hundredths,
              colour == kRed ? kRed : kValueGreen);
}

void CDesignView::DrawDesignReadout() {
  const CGHull* hull = design_->hull;
  if (!hull || !SharedScreen().screenSprite || !g_gameData) return;
  const int guild = LocalGuild();
  char path[300];
  std::snprintf(path, sizeof path, "%sdotdull.ima", g_instData.GetArtPath());
  CSprite* dot = CachedPicture(kAnchorPicture, path, g_gameData->GetImageModule(), 0, 8, 8);
  ShadeViewportRect(0, 0, kViewportWidth, kViewportHeight, GetMediumColor(static_cast<std::uint32_t>(guild)), 50);
  // The hull pictures of the installation are named by class abbreviation.
  const char* abbr = design_->GetClassAbbreviation();
  // The hull as its own guild draws it.
  const int shown = ShownGuild();
  std::snprintf(path, sizeof path, "%s%s.ima", g_instData.GetGuildPath(shown), abbr ? abbr : "");
  if (CSprite* picture = CachedPicture(kHullPicture, path, GuildModule(shown), 0, 242, 367))
    picture->BltToSurface(SharedScreen().screenSprite, 370, 98, nullptr);

  // The slots: a shaded box each, a line to its anchor, and the module or the types it takes.
  for (int i = 0; i < hull->GetSlotCount(); ++i) {
    const HullSlot& s = hull->slots[i];
    const std::uint16_t module = design_->GetModuleId(i);
    const bool fitted = module != kNoModuleId;
    const COLORREF outline = fitted && textMode_ ? kYellow : kSlotOutline;
    const RECT box{369 + s.x, 97 + s.y, 400 + s.x, 128 + s.y};
    SharedScreen().screenSprite->Fade(50, 0, &box);
    Frame(box.left - kViewportRect.left, box.top - kViewportRect.top, box.right - kViewportRect.left,
          box.bottom - kViewportRect.top, outline);
    if (!(s.anchorX == 1 && s.anchorY == 1)) {
      if (dot) dot->BltToSurface(SharedScreen().screenSprite, 370 + s.anchorX - 4, 98 + s.anchorY - 4, nullptr);
      const int fromX = (s.x < s.anchorX ? box.right : box.left) - kViewportRect.left;
      const int fromY = (box.top + box.bottom) / 2 - kViewportRect.top;
      DrawViewportLine(fromX, fromY, 370 + s.anchorX - kViewportRect.left, 98 + s.anchorY - kViewportRect.top, outline,
                       1);
    }
    if (!textMode_ && fitted && slotImage_[static_cast<std::size_t>(i)]) {
      slotImage_[static_cast<std::size_t>(i)]->BltToSurface(SharedScreen().screenSprite, 370 + s.x, 98 + s.y, nullptr);
      continue;
    }
    const char* labels[kModuleTypeCount] = {};
    int types[kModuleTypeCount] = {};
    const int n = SlotTypeLabels(s.typeMask, labels, types);
    const ModuleRecord* record = fitted ? g_gameData->moduleDB->GetRecord(module) : nullptr;
    for (int l = 0; l < n; ++l) {
      COLORREF colour = kGreen;
      if (fitted) colour = record && (types[l] == -1 || record->type == types[l]) ? kYellow : kDarkGreen;
      DrawScreenText(labels[l], 370 + s.x - kViewportRect.left, 98 + s.y - kViewportRect.top + 1 + 8 * l, 30, colour,
                     DT_CENTER, 0, 0);
    }
  }

  // The stat box and its switches.
  const RECT statBox{34, 103, 365, 460};
  SharedScreen().screenSprite->Fade(50, 0, &statBox);
  Frame(5, 5, 336, 362, kGreen);
  const RECT modes{200, 441, 360, 457};
  SharedScreen().screenSprite->Fade(70, 0, &modes);
  Frame(171, 343, 331, 359, kGreen);
  DrawScreenText(CachedText("GRAPMODE"), 171, 349, 80, textMode_ ? kDarkGreen : kGreen, DT_CENTER, 0, 0);
  DrawScreenText(CachedText("TEXTMODE"), 251, 349, 80, textMode_ ? kGreen : kDarkGreen, DT_CENTER, 0, 0);
  canAutoUpgrade_ = !readOnly_ && design_->CanAutoUpgrade() ? 1 : 0;
  if (canAutoUpgrade_) {
    const RECT upgrade{39, 441, 139, 457};
    SharedScreen().screenSprite->Fade(70, 0, &upgrade);
    Frame(10, 343, 110, 359, kGreen);
    DrawScreenText(CachedText("UPGRADE_"), 10, 349, 100, kGreen, DT_CENTER, 0, 0);
  }

  // Title: the name and whether it is saved, then the unit class. A unit's
  // design is shown as it is built; the working copy's state is not its own.
  char title[160];
  std::snprintf(title, sizeof title, "%s   %.49s", design_->GetName() ? design_->GetName() : "",
                saved_ || readOnly_ ? "" : CachedText("NOTSAVED"));
  DrawScreenText(title, 5, 10, 331, kGreen, DT_CENTER, 0, 0);
  DrawScreenText(design_->GetClassName(), 5, 20, 331, kGreen, DT_CENTER, 0, 0);

  const bool heavy = design_->mass > hull->massLimit;
  DrawStatLine(35, "MASS___2", true, Number(design_->mass), 2, false, heavy ? kRed : kGreen);
  DrawStatLine(49, "SPEED___", true, "", -1, false, kGreen);
  char speed[24];
  std::snprintf(speed, sizeof speed, "%.2f", design_->GetLocalSpeedScaled());
  DrawStatLine(57, "LOCLSPC_", false, speed, 0, true, kValueGreen);
  DrawStatLine(65, "DEEPSPC_", false, Number(design_->GetDeepSpaceSpeed()), 1, false, kValueGreen);
  DrawStatLine(79, "CAPACS__", true, "", -1, false, kGreen);
  DrawStatLine(87, "ATV_CAPA", false, Number(design_->atvCapacity), 4, false, kValueGreen);
  DrawStatLine(95, "CONSTRCP", false, Number(design_->construction), 5, false, kValueGreen);
  DrawStatLine(103, "SURVEYRT", false, Number(design_->survey), 6, false, kValueGreen);
  DrawStatLine(117, "POWER__2", true, "", -1, false, kGreen);
  DrawStatLine(125, "STORAGE2", false, Number(design_->powerStorage), 7, false, kValueGreen);
  DrawStatLine(133, "TRANSFRT", false, CachedPerTurn(0, design_->transferRate), 9, false, kValueGreen);
  DrawStatLine(141, "GENERATE", false, CachedPerTurn(1, design_->powerGeneration), 8, false, kValueGreen);
  DrawStatLine(149, "POWRUSAG", false, Number(design_->powerUse), 10, false, kValueGreen);
  DrawStatLine(163, "VTERCATV", true, "", -1, false, kGreen);
  DrawStatLine(171, "ATTACKST", false, Number(design_->attack), 11, false, kValueGreen);
  DrawStatLine(179, "STELTHST", false, Number(design_->stealth), 12, false, kValueGreen);
  DrawStatLine(187, "TRACK_ST", false, Number(design_->tracking), 13, false, kValueGreen);
  DrawStatLine(201, "SHIPCOST", true, "", -1, false, kGreen);
  std::uint32_t costs[5] = {};
  design_->GetCost32(costs);
  static constexpr const char* kCostLabels[5] = {"METAL___", "SILICATE", "EXOTICS_", "REACTIV_", "DCREDITS"};
  for (int c = 0; c < 5; ++c)
    DrawStatLine(209 + 8 * c, kCostLabels[c], false, Number(costs[c]), 15 + c, false, kValueGreen);
  design_->Recompute();
  DrawStatLine(249, "BUILDPT_", false, Number(design_->buildPoints), 20, false, kValueGreen);
  DrawStatLine(263, "DEFENSE_", true, "", -1, false, kGreen);
  DrawStatLine(271, "ADFVAL_2", false, Number(design_->activeDefence), 14, false, kValueGreen);
  DrawStatLine(279, "DAMGCTLP", false, Number(design_->damageControl), 21, false, kValueGreen);
  DrawStatLine(293, "SHLDDFNS", true, "", -1, false, kGreen);
  for (int t = 0; t < 8; ++t) {
    const int c = t % 2;
    const int y = 301 + 8 * (t / 2);
    DrawScreenText(ShieldLineText(t), 20 + 141 * c, y, 100, kValueGreen, DT_RIGHT, 0, 0);
    DrawScreenText(Number(design_->defences[t]), 125 + 141 * c, y, 100, kValueGreen, DT_LEFT, 0, 0);
  }
}
