#include "Game/panels/CVData.h"

#include <algorithm>
#include <cstring>

#include "Game/base/GInstData.h"
#include "Game/model/GLocalChapter.h"
#include "Game/model/GUnit.h"
#include "Game/panels/CVDataText.h"
#include "Game/rules/GTemplateDB.h"
#include "media/CSprite.h"
#include "platform/gdi/dc.h"
#include "platform/gdi/shapes.h"
#include "platform/gdi/text.h"
#include "platform/resource/module.h"

using namespace plat;
using namespace datapanel;

namespace {

constexpr LONG kBackgroundX = 653;
constexpr LONG kBackgroundY = 200;
constexpr LONG kBackgroundWidth = 132;
constexpr LONG kBackgroundHeight = 263;
constexpr DWORD kPictureWidth = 98;
constexpr DWORD kPictureHeight = 94;
constexpr DWORD kMagentaKey = 0xFF00FF;

bool OnBackdrop(const RECT& rect) {
  return rect.top >= kBackgroundY && rect.bottom <= kBackgroundY + kBackgroundHeight && rect.left >= kBackgroundX &&
         rect.right <= kBackgroundX + kBackgroundWidth;
}

// The row's rectangle stretched to the backdrop's edges on the side(s) a text
// of this alignment overflows, keeping the point it is aligned to: a centred
// text keeps its middle, so both sides grow by the smaller margin.
RECT WidenedToBackdrop(RECT rect, UINT format) {
  const LONG leftRoom = rect.left - kBackgroundX;
  const LONG rightRoom = kBackgroundX + kBackgroundWidth - rect.right;
  if (format & DT_CENTER) {
    const LONG room = std::min(leftRoom, rightRoom);
    rect.left -= room;
    rect.right += room;
  } else if (format & DT_RIGHT) {
    rect.left -= leftRoom;
  } else {
    rect.right += rightRoom;
  }
  return rect;
}

// A sprite whose surface could not be made counts as absent.
CSprite* Usable(CSprite* sprite) {
  if (sprite && !sprite->surface) {
    delete sprite;
    return nullptr;
  }
  return sprite;
}

CSprite* LoadPanelSprite(CDDraw* owner, const std::string& path, HMODULE module, DWORD key, DWORD width, DWORD height,
                         LONG x, LONG y) {
  if (!owner) return nullptr;
  CSprite* sprite = Usable(new CSprite(owner, path.c_str(), module, key, width, height, x, y, 0));
  if (sprite) sprite->LoadImage(module);
  return sprite;
}

HMODULE GuildModule(int guild) { return g_gameData ? g_gameData->GetGuildModule(guild) : nullptr; }
HMODULE ImageModule() { return g_gameData ? g_gameData->GetImageModule() : nullptr; }

void Unite(RECT* dirty, const RECT& r) {
  if (!dirty || r.left >= r.right || r.top >= r.bottom) return;
  if (dirty->left >= dirty->right || dirty->top >= dirty->bottom) {
    *dirty = r;
    return;
  }
  dirty->left = std::min(dirty->left, r.left);
  dirty->top = std::min(dirty->top, r.top);
  dirty->right = std::max(dirty->right, r.right);
  dirty->bottom = std::max(dirty->bottom, r.bottom);
}

// The class icons of the template lists, by unit class, at x 692, 674, 656.
enum Icon { GUN, RADAR, BOX, STAT, WRENCH, NONE };
constexpr Icon kClassIcons[11][3] = {
    {NONE, NONE, NONE}, {STAT, NONE, NONE}, {STAT, GUN, NONE}, {RADAR, NONE, NONE},
    {RADAR, GUN, NONE}, {BOX, NONE, NONE},  {BOX, GUN, NONE},  {WRENCH, NONE, NONE},
    {GUN, NONE, NONE},  {GUN, GUN, NONE},   {GUN, GUN, GUN},
};
constexpr const char* kIconFiles[5] = {"stgun.ima", "stradar.ima", "stbox.ima", "ststat.ima", "stwrench.ima"};
constexpr int kIconX[3] = {692, 674, 656};

}  // namespace

CVData::CVData(HFONT font_, CSprite* screen_, RECT* dirty_, CDDraw* owner_, HWND window_, HINSTANCE instance_,
               IDataPanelHost& host)
    : font(font_), screen(screen_), dirty(dirty_), owner(owner_), window(window_), instance(instance_), m_host(host) {
  const int guild = LocalGuild();
  const std::string guildArt = g_instData.GetGuildPath(guild);
  background = LoadPanelSprite(owner, guildArt + "datafil.ima", GuildModule(guild), kNoColourKey, kBackgroundWidth,
                               kBackgroundHeight, kBackgroundX, kBackgroundY);
  emptyPicture = LoadPanelSprite(owner, guildArt + "dpicfil.ima", GuildModule(guild), kNoColourKey, kPictureWidth,
                                 kPictureHeight, kDataPictureRect.left, kDataPictureRect.top);
  mask = LoadPanelSprite(owner, std::string(g_instData.GetArtPath()) + "98x94msk.ima", ImageModule(), 0, kPictureWidth,
                         kPictureHeight, kDataPictureRect.left, kDataPictureRect.top);
  if (owner)
    compose = Usable(new CSprite(owner, nullptr, kMagentaKey, kPictureWidth, kPictureHeight, kDataPictureRect.left,
                                 kDataPictureRect.top, 0));
}

CVData::~CVData() {
  if (asteroidPictures) FreeLibrary(asteroidPictures);
  delete compose;
  delete mask;
  delete background;
  delete emptyPicture;
  delete fixedPicture;
}

void CVData::DrawRowRect(RECT rect, const char* text, COLORREF colour, std::uint8_t flags, int row, int column) {
  if (!text) return;
  shown.push_back({row, column, text, colour, flags});
  if (!screen) return;
  HDC dc = screen->GetDC();
  if (!dc) return;
  HGDIOBJ old = font ? SelectObject(dc, font) : nullptr;
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, colour);
  UINT format = DT_SINGLELINE | DT_VCENTER | DT_NOCLIP | DT_NOPREFIX;
  if (flags & kRowCentre)
    format |= DT_CENTER;
  else if (flags & kRowRight)
    format |= DT_RIGHT;
  // A text wider than its row runs on past it, but only as far as the
  // backdrop's edge: `Clear` repaints the backdrop alone, so letters drawn
  // beyond it would stay on the screen frame for ever.
  RECT measured = rect;
  DrawText(dc, text, -1, &measured, format | DT_CALCRECT);
  if (measured.right - measured.left > rect.right - rect.left && OnBackdrop(rect)) {
    RECT widened = WidenedToBackdrop(rect, format);
    DrawText(dc, text, -1, &widened, format & ~DT_NOCLIP);
  } else {
    DrawText(dc, text, -1, &rect, format);
  }
  if (old) SelectObject(dc, old);
  screen->ReleaseDC(dc);
  const LONG width = measured.right - measured.left;
  RECT covered = rect;
  if (width > rect.right - rect.left) {
    if (format & DT_CENTER) {
      const LONG middle = (rect.left + rect.right) / 2;
      covered.left = middle - width / 2 - 1;
      covered.right = middle + width / 2 + 1;
    } else if (format & DT_RIGHT) {
      covered.left = rect.right - width;
    } else {
      covered.right = rect.left + width;
    }
  }
  covered.left = std::max<LONG>(covered.left, 0);
  covered.right = std::min<LONG>(covered.right, 800);
  Unite(dirty, covered);
}

int CVData::TextWidth(const std::string& text) const {
  if (!screen) return 0;
  HDC dc = screen->GetDC();
  if (!dc) return 0;
  HGDIOBJ old = font ? SelectObject(dc, font) : nullptr;
  SIZE size{};
  GetTextExtentPoint32(dc, text.c_str(), static_cast<int>(text.size()), &size);
  if (old) SelectObject(dc, old);
  screen->ReleaseDC(dc);
  return static_cast<int>(size.cx);
}

std::vector<std::string> CVData::WrapLines(const std::string& text, int column, int next, std::uint8_t flags,
                                           int rows) const {
  // A centred line keeps its middle, so it has the row's width and no more.
  const int right = (flags & kRowCentre) ? kDataRight : kDataEdge;
  return Wrap(text, right - kDataLeft - column, right - kDataLeft - next, rows);
}

std::vector<std::string> CVData::Wrap(const std::string& text, int first, int next, int rows) const {
  std::vector<std::string> lines;
  std::string rest = text;
  while (!rest.empty() && static_cast<int>(lines.size()) < rows) {
    const int room = lines.empty() ? first : next;
    if (static_cast<int>(lines.size()) + 1 == rows && TextWidth(rest) > room) {
      std::size_t keep = rest.size();
      while (keep > 0 && (rest[keep - 1] == ' ' || TextWidth(rest.substr(0, keep) + "...") > room)) --keep;
      lines.push_back(rest.substr(0, keep) + "...");
      break;
    }
    // Words leave the line from its end until it fits; a word wider than the
    // row keeps the letters that fit and goes on in the next row.
    std::size_t cut = rest.size();
    while (TextWidth(rest.substr(0, cut)) > room) {
      const std::size_t space = rest.rfind(' ', cut - 1);
      if (space != std::string::npos && space > 0) {
        cut = space;
        continue;
      }
      std::size_t fit = 1;
      while (fit < cut && TextWidth(rest.substr(0, fit + 1)) <= room) ++fit;
      cut = fit;
      break;
    }
    lines.push_back(rest.substr(0, cut));
    const std::size_t after = rest.find_first_not_of(' ', cut);
    rest.erase(0, after == std::string::npos ? rest.size() : after);
  }
  return lines;
}

int CVData::AddRowWrapped(int row, int column, const std::string& text, COLORREF colour, int next, std::uint8_t flags,
                          int rows) {
  const std::vector<std::string> lines = WrapLines(text, column, next, flags, rows);
  for (std::size_t i = 0; i < lines.size(); ++i)
    AddRowText(static_cast<std::uint16_t>(row + static_cast<int>(i)), static_cast<std::uint8_t>(i == 0 ? column : next),
               lines[i].c_str(), colour, flags);
  return static_cast<int>(lines.size());
}

void CVData::AddRowValue(int row, int column, const std::string& text, COLORREF colour, int labelEnd) {
  const int width = TextWidth(text);
  const bool fits = kDataLeft + column + width <= kDataRight && kDataLeft + column >= labelEnd + kTextGap;
  AddRowText(static_cast<std::uint16_t>(row), static_cast<std::uint8_t>(column), text.c_str(), colour,
             fits ? 0 : kRowRight);
}

void CVData::AddRow(std::uint16_t row, const char* text, COLORREF colour, std::uint8_t flags) {
  if (row >= kDataRows) return;
  const int down = (flags & kRowHalfDown) ? 6 : 0;
  const LONG top = kDataRowTop + kDataRowHeight * row + down;
  DrawRowRect({kDataLeft, top, kDataRight, top + kDataRowHeight}, text, colour, flags, row, 0);
}

void CVData::AddRowText(std::uint16_t row, std::uint8_t column, const char* text, COLORREF colour, std::uint8_t flags) {
  if (row >= kDataRows || column >= kDataRight - kDataLeft) return;
  const int down = (flags & kRowHalfDown) ? 6 : 0;
  const LONG top = kDataRowTop + kDataRowHeight * row + down;
  DrawRowRect({kDataLeft + column, top, kDataRight, top + kDataRowHeight}, text, colour, flags, row, column);
}

void CVData::DrawTextAt(int x, int y, const char* text, COLORREF colour, std::uint8_t flags) {
  if (x < 0 || x > 790 || y < 0 || y > 440) return;
  DrawRowRect({kDataLeft + x, kDataRowTop + y, kDataRight, kDataRowTop + kDataRowHeight + y}, text, colour, flags, -1,
              x);
}

void CVData::DrawCaption(const char* text, COLORREF colour, int top) {
  if (!text) return;
  // A caption wider than the picture goes on in a second line towards the
  // picture's middle, and is cut short past that: letters drawn beyond the
  // picture stayed on the screen's frame.
  constexpr LONG kLeft = 668, kRight = 766, kTop = 102, kBottom = 181;
  const std::vector<std::string> lines = Wrap(text, kRight - kLeft, kRight - kLeft, 2);
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const LONG y = top ? kTop + kDataRowHeight * static_cast<LONG>(i)
                       : kBottom - kDataRowHeight * static_cast<LONG>(lines.size() - 1 - i);
    DrawRowRect({kLeft, y, kRight, y + kDataRowHeight}, lines[i].c_str(), colour, kRowCentre, -1, top ? -1 : -2);
  }
}

void CVData::DrawLine(int x1, int y1, int x2, int y2, COLORREF colour, int width) {
  if (!screen) return;
  HDC dc = screen->GetDC();
  if (!dc) return;
  HPEN pen = CreatePen(PS_SOLID, width, colour);
  HGDIOBJ old = SelectObject(dc, pen);
  MoveToEx(dc, x1, y1, nullptr);
  LineTo(dc, x2, y2);
  SelectObject(dc, old);
  DeleteObject(pen);
  screen->ReleaseDC(dc);
  const int half = width / 2 + 1;
  Unite(dirty, {std::min(x1, x2) - half, std::min(y1, y2) - half, std::max(x1, x2) + half, std::max(y1, y2) + half});
}

void CVData::DrawRowLine(int row, COLORREF colour) {
  const int y = kDataRowTop + kDataRowHeight * row;
  DrawLine(kDataLeft, y, kDataRight, y, colour, 1);
}

void CVData::Blit(CSprite* sprite, int x, int y) {
  if (!sprite || !screen) return;
  Unite(dirty, {x, y, x + static_cast<LONG>(sprite->width), y + static_cast<LONG>(sprite->height)});
  sprite->BltToSurface(screen, x, y, nullptr);
}

void CVData::Flush() { m_host.FlushScreen(); }

void CVData::Clear(int redrawPicture) {
  std::fill(rowAction.begin(), rowAction.begin() + kDataRows, ROW_NOTHING);
  shown.clear();
  if (background) Blit(background, background->x, background->y);
  if (redrawPicture) ShowOwnPicture();
}

void CVData::ShowOwnPicture() {
  if (fixedPicture) {
    DrawPicture(0, fixedPicture);
  } else {
    DrawPicture(0, emptyPicture);
    rowAction[kPictureAction] = ROW_NOTHING;
    zoneKey = kNoZoneKey;
  }
}

void CVData::SetPicture(const char* fileName, int colourKeyed) {
  delete fixedPicture;
  fixedPicture = nullptr;
  if (fileName && owner) {
    const int guild = LocalGuild();
    fixedPicture = LoadPanelSprite(owner, fileName, GuildModule(guild), colourKeyed ? 0 : kNoColourKey, kPictureWidth,
                                   kPictureHeight, kDataPictureRect.left, kDataPictureRect.top);
  }
  // Shown at once: the read-outs that keep the picture (a hull's costs, the
  // design rows) would otherwise stand beside whichever picture came before.
  ShowOwnPicture();
}

int CVData::DrawPicture(int /*flag*/, CSprite* sprite) {
  if (!sprite) return 0;
  if (pictureName[0] && sprite->imageName == pictureName) return 0;
  if (sprite == emptyPicture || !compose) {
    Blit(sprite, kDataPictureRect.left, kDataPictureRect.top);
  } else {
    sprite->BltToSurface(compose, 0, 0, nullptr);
    if (mask) mask->BltToSurface(compose, 0, 0, nullptr);
    Blit(compose, kDataPictureRect.left, kDataPictureRect.top);
  }
  std::snprintf(pictureName, sizeof pictureName, "%s", sprite->imageName.c_str());
  return static_cast<int>(std::strlen(pictureName));
}

bool CVData::DrawPictureFile(const std::string& path, HMODULE module, bool forget) {
  if (!owner) return false;
  // A new picture drops what a click on the last one did: an asteroid shown
  // where a ship was is no ship to rename. The unit's picture sets its own.
  rowAction[kPictureAction] = ROW_NOTHING;
  CSprite* sprite = LoadPanelSprite(owner, path, module, kNoColourKey, kPictureWidth, kPictureHeight,
                                    kDataPictureRect.left, kDataPictureRect.top);
  if (!sprite) return false;
  if (forget) ForgetPicture();
  DrawPicture(0, sprite);
  delete sprite;
  return true;
}

void CVData::ShowLine(const char* text, int clear, std::uint16_t row, COLORREF colour) {
  if (clear) Clear(1);
  AddRow(row, text, colour, 0);
}

void CVData::ShowText(const char* text, std::uint8_t column, int clear, std::uint16_t row, COLORREF colour) {
  if (clear) Clear(1);
  AddRowText(row, column, text, colour, 0);
}

int CVData::RowFromY(std::uint16_t y) {
  const int row = (static_cast<int>(y) - kDataRowTop) / kDataRowHeight;
  return row < 0 || row >= kDataRows ? -1 : row;
}

int CVData::OnClick(int /*x*/, int y, std::uint32_t extra) {
  int target;
  int row;
  if (y > 101 && y < 195) {
    target = kPictureAction;
    row = kPictureAction;
  } else {
    row = RowFromY(static_cast<std::uint16_t>(y));
    if (row < 0) return 0;
    target = row;
  }
  switch (rowAction[static_cast<std::size_t>(target)]) {
    case ROW_VIEW_COMMAND:
      m_host.DataPanelCommand(row, extra);
      break;
    case ROW_EDIT_NAME:
      EditShipName();
      return 1;
    case ROW_SELECT_GUILD:
      m_host.SelectGuild(row);
      break;
    case ROW_SELECT_CHAPTER:
      m_host.SelectChapter(static_cast<std::uint32_t>(row));
      break;
    case ROW_NEXT_PAGE:
      TurnPage(1, 1);
      break;
    case ROW_PREVIOUS_PAGE:
      TurnPage(0, 1);
      break;
    default:
      break;
  }
  return 0;
}

int CVData::SetUnitPicture(int y) {
  const int row = RowFromY(static_cast<std::uint16_t>(y));
  if (row < 0 || rowAction[static_cast<std::size_t>(row)] != ROW_VIEW_COMMAND) return 0;
  if (!g_gameData) return 1;
  const CGUnitTemplate* design = g_gameData->templates.GetTemplate(LocalChapterId(), row, 1);
  if (!design) return 1;
  const int guild = LocalGuild();
  char path[300];
  std::snprintf(path, sizeof path, "%sunits\\%s_ds.ima", g_instData.GetGuildPath(guild),
                design->GetClassAbbreviation());
  return DrawPictureFile(path, GuildModule(guild), false) ? 1 : 0;
}

CGUnit* CVData::ShownUnit() const { return g_gameData ? g_gameData->pieces.FindUnit(unitId, nullptr) : nullptr; }

void CVData::TurnPage(int forward, int which) {
  if (which == 1) {
    unitPage = forward ? static_cast<std::uint8_t>((unitPage + 1) % 4) : static_cast<std::uint8_t>((unitPage + 3) % 4);
    lastDirection = forward ? 1 : 0;
    ShowUnitPages(ShownUnit(), unitContext, 0);
    Flush();
  } else if (which == 2) {
    zoneMode = forward ? static_cast<std::uint8_t>((zoneMode + 1) % 3) : static_cast<std::uint8_t>((zoneMode + 2) % 3);
    zoneKey = kNoZoneKey;
  }
}

void CVData::ShowTemplateRows(int highlighted, CGUnit* constructor, int option, CGUnit* target, bool design) {
  const int guild = LocalGuild();
  const std::string art = g_instData.GetArtPath();
  std::array<CSprite*, 5> icons{};
  for (int i = 0; i < 5; ++i)
    icons[static_cast<std::size_t>(i)] = LoadPanelSprite(owner, art + kIconFiles[i], ImageModule(), 0, 16, 16, 0, 0);
  const std::uint16_t chapter = LocalChapterId();
  for (int s = 0; s < 15; ++s) {
    const CGUnitTemplate* t = g_gameData ? g_gameData->templates.GetTemplate(chapter, s, 1) : nullptr;
    bool bright;
    if (design)
      bright = s == highlighted;
    else
      bright = t && constructor && constructor->CanAffordFixedTemplate(s, option != 0, target);
    const COLORREF colour =
        bright ? GetBrightColor(static_cast<std::uint32_t>(guild)) : GetDarkColor(static_cast<std::uint32_t>(guild));
    const auto row = static_cast<std::uint16_t>(s);
    if (!t) {
      if (design) {
        AddRowText(row, 60, "<< EMPTY >>", colour, kRowCentre);
        rowAction[static_cast<std::size_t>(s)] = ROW_VIEW_COMMAND;
      } else {
        AddRow(row, "<< EMPTY >>", colour, kRowCentre);
      }
      continue;
    }
    AddRowText(row, 54, t->GetName() ? t->GetName() : "", colour, 0);
    const int unitClass = t->unitClass <= 10 ? t->unitClass : 0;
    for (int i = 0; i < 3; ++i) {
      const Icon icon = kClassIcons[unitClass][i];
      if (icon != NONE) Blit(icons[icon], kIconX[i], 204 + 13 * s);
    }
    rowAction[static_cast<std::size_t>(s)] = ROW_VIEW_COMMAND;
  }
  for (CSprite* icon : icons) delete icon;
}

std::uint8_t CVData::ShowTemplateList(CGUnit* constructor, int option, CGUnit* target) {
  Clear(0);
  ShowTemplateRows(-1, constructor, option, target, false);
  return 0;
}

void CVData::ShowDesignTemplateList(int scanMode, int highlighted) {
  Clear(0);
  if (scanMode) {
    AddRow(0, Text("SCANMODE").c_str(), kYellow, kRowCentre);
    return;
  }
  ShowTemplateRows(highlighted, nullptr, 0, nullptr, true);
}
