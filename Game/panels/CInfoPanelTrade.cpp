// The trade screen of the info panel: the local chapter's pools, the guild's
// three boards and the shipments under way, with the selected pool's details
// below every page; and the trades started from them (offers, purchases,
// bids, withdrawals, one-off and automatic transfers).
#include <algorithm>
#include <array>
#include <cstdio>
#include <memory>
#include <string>

#include "Game/app/AppGlobals.h"
#include "Game/app/CMessageBoxes.h"
#include "Game/app/GameView.h"
#include "Game/base/GInstData.h"
#include "Game/dialogs/CDBuyDlg.h"
#include "Game/dialogs/CDEnterNameDlg.h"
#include "Game/dialogs/CDSellDlg.h"
#include "Game/dialogs/CDSetPriceDlg.h"
#include "Game/model/GAsteroid.h"
#include "Game/model/GChapter.h"
#include "Game/model/GGameData.h"
#include "Game/model/GGuild.h"
#include "Game/model/GLocalChapter.h"
#include "Game/net/GuildPackets.h"
#include "Game/net/NetSession.h"
#include "Game/net/OrderMenuPackets.h"
#include "Game/net/TradePackets.h"
#include "Game/panels/CInfoPanel.h"
#include "Game/panels/InfoPageDraw.h"
#include "Game/panels/Legibility.h"
#include "Game/rules/GHullDB.h"
#include "media/CSndPlay.h"
#include "media/CSprite.h"
#include "platform/gdi/text.h"
#include "platform/user/cursor.h"

using namespace plat;
using namespace infopage;

namespace {

constexpr std::uint8_t kNoPool = 255;
constexpr int kPoolRows = 8;
constexpr int kOfferRows = 7;
constexpr int kShipmentRows = 8;
constexpr int kCursorNormal = 0;
constexpr int kCursorTransfer = 14;
constexpr std::uint32_t kIconUnit = 2000;
constexpr std::uint32_t kMaxTransfer = 0xFFFF;  // a transfer's amount travels as a u16
constexpr RECT kViewportScreen{29, 98, 614, 465};
constexpr int kDetailRowY[4] = {267, 292, 317, 342};
constexpr const char* kDetailNames[4] = {"ITDCOCNT", "ITDRACNT", "ITDVRCNT", "ITDRCCNT"};
constexpr const char* kPlainIcons[4] = {"common", "rare", "veryrare", "reactive"};
constexpr const char* kPlusIcons[4] = {"common+", "rare+", "veryrar+", "reactiv+"};

CGChapter* LocalChapter() { return g_gameData ? g_gameData->GetLocalChapter() : nullptr; }
CGuild* LocalGuildRecord() { return g_gameData ? g_gameData->GetLocalGuild() : nullptr; }

CGAsteroid* Asteroid(std::uint32_t a) {
  return g_gameData && a != kNoPanelItem ? g_gameData->solarDB.GetAsteroid(a) : nullptr;
}

std::string AsteroidName(std::uint32_t a) {
  CGAsteroid* asteroid = Asteroid(a);
  const char* name = asteroid ? asteroid->GetName() : nullptr;
  return name ? name : "";
}

bool HasPool(std::uint16_t a) { return Asteroid(a) && g_gameData->poolDB.GetStorageFacilities(a) != 0; }

std::string MineralName(std::uint32_t mineral) {
  char id[16];
  std::snprintf(id, sizeof id, "MINTYPE%u", mineral);
  return Text(id);
}

// The next asteroid with a local pool in name order after `from`.
std::uint16_t NextPool(std::uint16_t from, int ascending) {
  if (!g_gameData) return kNoPanelItem;
  std::uint16_t at = from;
  for (int guard = 0; guard <= CGSolarDB::GetAsteroidCount(); ++guard) {
    at = g_gameData->solarDB.GetNextAsteroidByName(at, ascending);
    if (at == kNoPanelItem || HasPool(at)) return at;
  }
  return kNoPanelItem;
}

std::string ChapterName(std::uint32_t slot) {
  CGuild* guild = LocalGuildRecord();
  const CGChapter* chapter = guild ? guild->GetChapter(slot & 7) : nullptr;
  return chapter && chapter->GetName() ? chapter->GetName() : "";
}

std::string Number(long long n) { return std::to_string(n); }

// A stock as the pool rows show it: thousands from 1000 up.
std::string Stock(std::uint32_t amount) { return amount >= 1000 ? Number(amount / 1000) + "K" : Number(amount); }

void Click() {
  if (g_sndPlay) g_sndPlay->PlayEffect("click", 1.0f, 0.0f, 0);
}

void Send(std::span<std::uint8_t> bytes) {
  if (g_session) g_session->Send(-1, bytes.data(), static_cast<std::uint32_t>(bytes.size()));
}

// The arrival of a transfer that takes `transit` turns; none when it cannot move.
bool RecordShipment(std::uint16_t destination, std::uint8_t kind, std::uint32_t amount, int transit,
                    std::uint8_t reason) {
  CGAsteroid* a = Asteroid(destination);
  if (!a || transit < 0) return false;
  a->AddEvent(AsteroidEvent{kind, amount, g_gameData->turn + static_cast<std::uint32_t>(transit), reason});
  return true;
}

class TradeScreen {
 public:
  explicit TradeScreen(CInfoPanel& panel) : p_(panel), s_(panel.trade) {}

  void Draw();
  int OnClick(int x, int y, WPARAM keys);
  void OnMouseMove(int x, int y);

 private:
  // Drawing.
  void DrawTabStrip();
  void DrawPoolsPage();
  void DrawPoolRows();
  void DrawOffersPage();
  void DrawOfferRows();
  void DrawShipmentsPage();
  void DrawPoolDetails();
  void DrawPicker();
  int DrawMineralIcons(CSprite* plain, CSprite* plus, std::uint32_t amount, int x, int y);
  void DrawScroll(int left, int top, int moreX, int prevX, int moreWidth, UINT format, bool more, bool previous);

  // Clicks.
  int ClickTabs(int x, int y);
  int ClickScroll(int x, int y);
  int ClickPoolRow(int x, int y);
  int ClickPicker(int x, int y);
  int ClickOfferRow(int x, int y);
  int ClickDetails(int x, int y);
  int ChangePage(std::uint8_t page);

  // Actions.
  void OnMineralButton(std::uint8_t mineral, int action);
  void PostMineralOffer();
  int OnMineralOfferClick(MineralOffer& offer);
  void TransferOnce(int row);
  void SetAutoTransferTo(int row);
  void BidForShip(const ShipOffer& offer);
  void BidForVote(const VoteOffer& offer);
  // The bid on an offer's terms from the selected pool: checked, confirmed in
  // the price dialog and taken from the pool; false (with `shortText` shown
  // when the pool cannot pay) when no bid is made.
  bool TakeBid(const std::uint32_t (&terms)[4], const char* shortText, std::uint32_t (&bid)[4]);
  void CancelShipOffer(const ShipOffer& offer);
  void CancelVoteOffer(const VoteOffer& offer);
  bool MayTrade();

  void ShowBox(const std::string& text);
  bool Ask(const char* id);
  void Darken();
  bool Blockaded() const { return s_.selectedPool != kNoPool && g_gameData->poolDB.IsBlockaded(s_.selectedPool) != 0; }
  std::uint32_t OfferCount(int page) const;

  CInfoPanel& p_;
  TradePageState& s_;
};

// ---------------------------------------------------------------- drawing

void TradeScreen::DrawTabStrip() {
  Box(5, 5, 355, 25);
  Line(125, 10, 125, 21);
  Line(250, 10, 250, 21);
  const bool offers = s_.page >= 1 && s_.page <= 3;
  Write(Text("ITDLPOOL"), 5, 8, 120, s_.page == 0 ? kWhite : kGrey, DT_CENTER, 1, 1);
  Write(Text("ITDOFFTR"), 125, 8, 125, offers ? kWhite : kGrey, DT_CENTER, 1, 1);
  Write(Text("SHIPMNTS"), 250, 8, 105, s_.page == 4 ? kWhite : kGrey, DT_CENTER, 1, 1);
}

void TradeScreen::DrawScroll(int left, int top, int moreX, int prevX, int moreWidth, UINT format, bool more,
                             bool previous) {
  Box(left, top, left + 130, top + 20);
  Write(Text("INFOMORE"), moreX, top + 3, moreWidth, more ? kWhite : kGrey, format, 1, 1);
  Write(Text("INFOPREV"), prevX, top + 3, 100, previous ? kWhite : kGrey, format, 1, 1);
}

void TradeScreen::DrawPoolsPage() {
  DrawTabStrip();
  for (int y : {30, 50, 180}) Line(5, y, 580, y);
  Line(200, 30, 200, 180);
  Line(460, 30, 460, 180);
  Line(200, 39, 460, 39);
  for (int x : {265, 330, 395}) Line(x, 40, x, 180);
  Write(Text("ITDASTER"), 5, 38, 195, kWhite, DT_CENTER, 0, 1);
  Write(Text("ITDSTOCK"), 200, 32, 260, kWhite, DT_CENTER, 0, 1);
  for (int m = 0; m < 4; ++m) Write(MineralName(m), 200 + 65 * m, 42, 65, kWhite, DT_CENTER, 0, 1);
  Write(Text("TRDPG1T4"), 460, 34, 115, kWhite, DT_CENTER, 0, 1);

  if (s_.firstPool == kNoPanelItem) s_.firstPool = NextPool(kNoPanelItem, 1);
  s_.poolRows.fill(kNoPanelItem);
  std::uint16_t at = s_.firstPool;
  std::uint16_t last = kNoPanelItem;
  for (int row = 0; row < kPoolRows && at != kNoPanelItem; ++row) {
    s_.poolRows[row] = at;
    if (s_.selectedPool == kNoPool) s_.selectedPool = static_cast<std::uint8_t>(at);
    last = at;
    at = NextPool(at, 1);
  }
  // Named once the rows are walked, so that the first drawing names the pool it selects.
  if (s_.selectedPool != kNoPool) Write(AsteroidName(s_.selectedPool), 460, 42, 115, kWhite, DT_CENTER, 0, 1);
  DrawPoolRows();
  s_.poolsMore = last != kNoPanelItem && NextPool(last, 1) != kNoPanelItem;
  s_.poolsPrevious = s_.firstPool != kNoPanelItem && NextPool(s_.firstPool, 0) != kNoPanelItem;
  DrawScroll(450, 184, 463, 511, 80, DT_WORDBREAK, s_.poolsMore, s_.poolsPrevious);
  DrawPoolDetails();
  if (s_.picking) DrawPicker();
}

void TradeScreen::DrawPoolRows() {
  const COLORREF pale = GetPaleColor(LocalGuild());
  for (int row = 0; row < kPoolRows; ++row) {
    const std::uint16_t a = s_.poolRows[row];
    const int y = 55 + 15 * row;
    if (a == kNoPanelItem || y >= 175) continue;
    const COLORREF colour = s_.hoveredRow[0] == row ? kWhite : pale;
    Write(AsteroidName(a), 15, y, 130, colour, DT_LEFT, 1, 1);
    std::uint32_t stocks[4] = {};
    g_gameData->poolDB.GetMinerals(a, stocks);
    for (int m = 0; m < 4; ++m) Write(Stock(stocks[m]), 220 + 65 * m, y, 30, colour, DT_LEFT, 1, 1);
    if (g_gameData->poolDB.IsBlockaded(a)) {
      Write(Text("BLOCKADE"), 480, y, 100, kRed, DT_LEFT, 1, 1);
    } else if (s_.selectedPool != kNoPool) {
      const int turns = CGChapter::ComputeTransferTurns(static_cast<std::uint8_t>(a), s_.selectedPool);
      Write(turns < 0 ? Text("ITDNEVER") : Text("ITDXFRTM", turns), 500, y, 100, colour, DT_LEFT, 1, 0);
    }
  }
}

std::uint32_t TradeScreen::OfferCount(int page) const {
  const CGuild* guild = LocalGuildRecord();
  if (!guild) return 0;
  if (page == 1) return guild->mineralOffers.count;
  if (page == 2) return guild->shipOffers.count;
  return guild->voteOffers.count;
}

void TradeScreen::DrawOffersPage() {
  DrawTabStrip();
  PanelFrame().ShadeViewportRect(5, 30, 580, 205, kBlack, 35);
  Line(5, 30, 5, 205);
  Line(5, 205, 580, 205);
  Line(580, 205, 580, 30);
  constexpr int kTabLeft[3] = {400, 465, 520};
  constexpr int kTabRight[3] = {465, 520, 575};
  constexpr const char* kTabIds[3] = {"ITDRESOU", "ITDSHIPS", "ITDVOTES"};
  Line(5, 30, kTabLeft[s_.page - 1], 30);
  Line(kTabRight[s_.page - 1], 30, 580, 30);
  for (int t = 0; t < 3; ++t) {
    const bool current = t == s_.page - 1;
    const int top = current ? 10 : 12;
    PanelFrame().ShadeViewportRect(kTabLeft[t], top, kTabRight[t], 30, kBlack, 50);
    Line(kTabLeft[t], 30, kTabLeft[t], top);
    Line(kTabLeft[t], top, kTabRight[t], top);
    Line(kTabRight[t], top, kTabRight[t], 30);
    Write(Text(kTabIds[t]), kTabLeft[t], top + 3, kTabRight[t] - kTabLeft[t], current ? kWhite : kGrey, DT_CENTER, 0,
          1);
  }
  Write(Text(s_.page == 1 ? "ITDOCPET" : "ITDTOTCT"), 335, 37, 240, kWhite, DT_CENTER, 0, 1);
  constexpr int kPriceX[4] = {335, 390, 455, 510};
  constexpr int kPriceWidth[4] = {55, 65, 55, 65};
  for (int m = 0; m < 4; ++m) Write(MineralName(m), kPriceX[m], 47, kPriceWidth[m], kWhite, DT_CENTER, 0, 1);
  Write(Text("ITDOFFER"), 10, 43, 185, kWhite, DT_CENTER, 0, 1);
  Write(Text("ITDCHAPT"), 200, 43, 135, kWhite, DT_CENTER, 0, 1);
  Line(10, 55, 575, 55);
  Line(10, 175, 575, 175);
  Line(335, 44, 575, 44);
  Line(195, 34, 195, 175);
  Line(335, 34, 335, 175);
  for (int x : {390, 455, 510}) Line(x, 44, x, 175);
  DrawOfferRows();
  TradePageState::Scroll& scroll = s_.scroll[s_.page - 1];
  scroll.more = std::uint32_t{scroll.offset} + kOfferRows < OfferCount(s_.page);
  scroll.previous = scroll.offset != 0;
  DrawScroll(445, 180, 458, 506, 70, DT_LEFT, scroll.more, scroll.previous);
  DrawPoolDetails();
}

void TradeScreen::DrawOfferRows() {
  CGuild* guild = LocalGuildRecord();
  if (!guild) return;
  const COLORREF pale = GetPaleColor(LocalGuild());
  const std::uint32_t offset = s_.scroll[s_.page - 1].offset;
  const std::uint32_t count = OfferCount(s_.page);
  constexpr int kPriceX[4] = {335, 390, 455, 510};
  constexpr int kPriceWidth[4] = {55, 65, 55, 65};
  if (s_.page == 1) {
    PanelFrame().ShadeViewportRect(10, 178, 180, 188, kBlack, 100);
    Outline(10, 178, 180, 188);
  }
  for (int row = 0; row < kOfferRows && offset + row < count; ++row) {
    const int y = 60 + 15 * row;
    const bool hovered = s_.hoveredRow[s_.page] == row;
    const COLORREF colour = hovered ? kWhite : pale;
    const std::uint32_t index = offset + row;
    if (s_.page == 1) {
      const MineralOffer* o = guild->GetMineralOffer(index);
      if (!o || o->terms[0] == 0) continue;
      char text[160];
      std::snprintf(text, sizeof text, "%d %s at %s", o->terms[0], MineralName(o->mineral).c_str(),
                    AsteroidName(o->asteroid).c_str());
      Write(text, 10, y, 185, colour, DT_LEFT, 1, 0);
      Write(ChapterName(o->seller), 200, y, 130, colour, DT_LEFT, 1, 0);
      for (int m = 0; m < 4; ++m)
        Write(o->terms[1 + m] ? Number(o->terms[1 + m]) : "---", kPriceX[m], y, kPriceWidth[m], colour, DT_CENTER, 1,
              0);
      if (hovered && s_.selectedPool != kNoPool) {
        // Without propulsion nothing arrives: that reads as on the pools page.
        const int turns = CGChapter::ComputeTransferTurns(o->asteroid, s_.selectedPool);
        Write(turns < 0 ? Text("ITDNEVER") : Text("TRANTIME", turns), 15, 181, 170, kWhite, DT_LEFT, 0, 0);
      }
      continue;
    }
    const std::uint32_t* prices = nullptr;
    if (s_.page == 2) {
      const ShipOffer* o = guild->GetShipOffer(index);
      if (!o) continue;
      const char* hull = CGHullDB::GetHullClassText(static_cast<int>(o->firstTerm & 0xFF));
      Write(hull ? hull : "", 10, y, 185, colour, DT_WORDBREAK, 1, 0);
      Write(ChapterName(o->sellerSlot), 200, y, 130, colour, DT_WORDBREAK, 1, 0);
      prices = o->terms;
    } else {
      const VoteOffer* o = guild->GetVoteOffer(index);
      if (!o) continue;
      Write(AsteroidName(o->asteroid), 10, y, 185, colour, DT_LEFT, 1, 0);
      Write(ChapterName(o->sellerSlot), 200, y, 130, colour, DT_LEFT, 1, 0);
      prices = o->terms;
    }
    for (int m = 0; m < 4; ++m)
      if (prices[m] > 0) Write(Number(prices[m]), kPriceX[m], y, kPriceWidth[m], colour, DT_CENTER, 1, 0);
  }
}

void TradeScreen::DrawShipmentsPage() {
  DrawTabStrip();
  for (int y : {30, 50, 180}) Line(5, y, 580, y);
  for (int x : {200, 395, 475}) Line(x, 30, x, 180);
  Write(Text("TRDPG5T0"), 5, 38, 195, kWhite, DT_CENTER, 0, 0);
  Write(Text("TRDPG5T1"), 200, 38, 195, kWhite, DT_CENTER, 0, 0);
  Write(Text("TRDPG5T2"), 395, 38, 80, kWhite, DT_CENTER, 0, 0);
  Write(Text("TRDPG5T3"), 475, 38, 105, kWhite, DT_CENTER, 0, 0);
  const COLORREF pale = GetPaleColor(LocalGuild());
  TradePageState::Scroll& scroll = s_.scroll[3];
  std::uint32_t index = 0;
  int shown = 0;
  bool more = false;
  for (std::uint16_t a = NextPool(kNoPanelItem, 1); a != kNoPanelItem && !more; a = NextPool(a, 1)) {
    CGAsteroid* asteroid = Asteroid(a);
    for (std::uint16_t e = 0; e < asteroid->GetEventCount(); ++e, ++index) {
      if (index < scroll.offset) continue;
      if (shown == kShipmentRows) {
        more = true;
        break;
      }
      const int y = 55 + 15 * shown++;
      const std::uint8_t kind = asteroid->GetEventKind(e);
      const std::uint32_t value = asteroid->GetEventValue(e);
      std::string what;
      if (kind < 4) {
        what = Number(value) + " " + MineralName(kind);
      } else {
        const char* hull = CGHullDB::GetHullClassText(static_cast<int>(value));
        what = hull ? hull : "";
      }
      Write(what, 20, y, 180, pale, DT_LEFT, 1, 0);
      Write(asteroid->GetName(), 215, y, 180, pale, DT_LEFT, 1, 0);
      Write(Text("TRDPG5F2", asteroid->GetEventExpiry(e)), 410, y, 65, pale, DT_LEFT, 1, 0);
      const std::uint8_t reason = asteroid->GetEventFlag(e);
      if (reason <= 2) {
        char id[16];
        std::snprintf(id, sizeof id, "REASON%02u", reason);
        Write(Text(id), 490, y, 90, pale, DT_LEFT, 1, 0);
      }
    }
  }
  scroll.more = more;
  scroll.previous = scroll.offset != 0;
  DrawScroll(450, 184, 463, 511, 80, DT_WORDBREAK, scroll.more, scroll.previous);
  DrawPoolDetails();
}

int TradeScreen::DrawMineralIcons(CSprite* plain, CSprite* plus, std::uint32_t amount, int x, int y) {
  const std::uint64_t unit = kIconUnit;
  const std::uint64_t a = amount;
  CSprite* icon = plain;
  std::uint64_t count = 0;
  std::uint64_t width = 0;
  if (a >= 5 * unit) {
    icon = plus;
    count = std::min<std::uint64_t>(a / (5 * unit), 5);
    const std::uint64_t rest = a - 5 * unit * count;
    if (count < 5) width = (rest % (5 * unit)) * 16 / (5 * unit);
  } else {
    count = a / unit;
    width = (a % unit) * 16 / unit;
  }
  for (std::uint64_t i = 0; i < count; ++i)
    PanelFrame().DrawViewSprite(icon, kLeft + x + 16 * static_cast<int>(i), kTop + y, nullptr);
  if (width > 0) {
    const RECT part{0, 0, static_cast<LONG>(width), 16};
    PanelFrame().DrawViewSprite(icon, kLeft + x + 16 * static_cast<int>(count), kTop + y, &part);
  }
  return x + 16 * static_cast<int>(count) + static_cast<int>(width);
}

void TradeScreen::DrawPoolDetails() {
  Line(5, 210, 580, 210, kGreen, 2);
  if (s_.selectedPool == kNoPool || !g_gameData) return;
  const std::string dir = g_instData.GetArtPath() ? g_instData.GetArtPath() : "";
  HMODULE module = g_gameData->GetImageModule();
  std::array<std::unique_ptr<CSprite>, 4> plain;
  std::array<std::unique_ptr<CSprite>, 4> plus;
  for (int m = 0; m < 4; ++m) {
    plain[m] = std::make_unique<CSprite>(p_.owner, (dir + kPlainIcons[m] + ".ima").c_str(), module, 0, 16, 16, 0, 0, 0);
    plain[m]->LoadImage(module);
    plus[m] = std::make_unique<CSprite>(p_.owner, (dir + kPlusIcons[m] + ".ima").c_str(), module, 0, 16, 16, 0, 0, 0);
    plus[m]->LoadImage(module);
  }
  const std::uint8_t pool = s_.selectedPool;
  std::uint32_t stocks[4] = {};
  g_gameData->poolDB.GetMinerals(pool, stocks);
  std::uint16_t output[4] = {};
  if (CGAsteroid* a = Asteroid(pool))
    a->GetChapterMiningOutput(LocalChapterId(0), &output[0], &output[1], &output[2], &output[3]);
  const bool blockaded = g_gameData->poolDB.IsBlockaded(pool) != 0;

  PanelFrame().ShadeViewportRect(5, 232, 580, 362, kBlack, 35);
  PanelFrame().ShadeViewportRect(5, 214, 220, 232, kBlack, 50);
  Line(5, 214, 220, 214);
  Line(220, 214, 220, 232);
  Line(220, 232, 580, 232);
  Line(580, 232, 580, 362);
  Line(580, 362, 5, 362);
  Line(5, 362, 5, 214);
  Write(Text("ITDLPTIT", AsteroidName(pool)), 15, 217, 585, kWhite, DT_LEFT, 1, 1);
  if (blockaded) {
    Box(480, 215, 580, 229, 35, kRed);
    Write(Text("BLOCKADE"), 480, 215, 100, kRed, DT_CENTER, 1, 1);
  }
  // A mineral whose colour is too dark for the panel's dim tint (the exotics'
  // deep blue) gets a light band under the cells its row writes in that
  // colour, laid before the grid so the cell lines stay whole.
  for (int m = 0; m < 4; ++m)
    if (const std::uint8_t light = LightGroundPercent(kMineralColours[m]))
      PanelFrame().ShadeViewportRect(11, kDetailRowY[m] - 2, 470, kDetailRowY[m] + 15, kWhite, light);
  Line(10, 262, 575, 262);
  for (int x : {85, 235, 305, 470}) Line(x, 237, x, 358);
  Line(305, 250, 470, 250);
  Line(350, 250, 350, 262);
  Line(435, 250, 435, 262);
  Write(Text("ITDRESRC"), 10, 250, 75, kWhite, DT_CENTER, 0, 1);
  Write(Text("ITDSTOCK"), 85, 250, 150, kWhite, DT_CENTER, 0, 1);
  Write(Text("ITDPRODT"), 235, 250, 70, kWhite, DT_CENTER, 0, 1);
  Write(Text("ITDAUTOT"), 305, 242, 165, kWhite, DT_CENTER, 0, 1);
  Write(Text("ITDAMONT"), 305, 254, 45, kWhite, DT_CENTER, 0, 1);
  Write(Text("ITDASTER"), 350, 254, 85, kWhite, DT_CENTER, 0, 1);
  Write(Text("ITDHTIME"), 435, 254, 35, kWhite, DT_CENTER, 0, 1);
  Write(Text("ITDACTIN"), 470, 250, 105, kWhite, DT_CENTER, 0, 1);
  CGChapter* chapter = LocalChapter();
  for (int m = 0; m < 4; ++m) {
    const int y = kDetailRowY[m];
    const COLORREF colour = kMineralColours[m];
    Write(Text(kDetailNames[m]), 15, y, 140, colour, DT_LEFT, 1, 1);
    const int end = DrawMineralIcons(plain[m].get(), plus[m].get(), stocks[m], 90, y);
    Write(Number(stocks[m]), end + 15, y, 50, colour, DT_LEFT, 1, 0);
    Write(Number(output[m]), 265, y, 250, colour, DT_LEFT, 1, 0);
    if (const AutoTransfer* t = chapter ? chapter->FindAutoTransfer(pool, static_cast<std::uint8_t>(m)) : nullptr) {
      Write(Number(t->amount), 310, y, 35, colour, DT_LEFT, 1, 0);
      Write(AsteroidName(t->destination), 355, y + 3, 80, colour, DT_LEFT, 0, 0);
      Write(Number(t->transitTurns), 445, y, 25, colour, DT_LEFT, 1, 0);
    }
    Box(520, y, 575, y + 14);
    Write(Text("ITDTRANF"), 520, y + 5, 55, kWhite, DT_CENTER, 0, 1);
    Box(475, y, 515, y + 14);
    Write(Text("ITDBSELL"), 475, y + 5, 40, kWhite, DT_CENTER, 0, 1);
    if (blockaded) {
      for (int left : {475, 520}) {
        const int right = left == 475 ? 515 : 575;
        Line(left, y, right, y + 14, kRed);
        Line(left, y + 14, right, y, kRed);
      }
    }
  }
  if (blockaded) {
    Line(306, 263, 470, 358, kRed);
    Line(306, 357, 470, 262, kRed);
  }
}

void TradeScreen::DrawPicker() {
  PanelFrame().ShadeViewportRect(6, 233, 580, 362, kBlack, 50);
  PanelFrame().DrawViewSprite(p_.arrow, 200, 285, nullptr);
  Write(Text("ITDSELTD"), 171, 225, 283, kWhite, DT_CENTER, 0, 1);
  Write(Text("ITDFORDS", s_.quantity, MineralName(s_.mineral)), 260, 260, 283, kWhite, DT_LEFT, 0, 1);
  Write(Text("ITDAUTOT"), 280, 295, 283, kWhite, DT_LEFT, 0, 1);
  Write(Text("ITDTHAMT"), 280, 305, 283, kWhite, DT_LEFT, 0, 1);
  Write(Text("ITDONNTU"), 280, 315, 283, kWhite, DT_LEFT, 0, 1);
  Box(260, 300, 275, 315);
  if (s_.autoTick) {
    Line(260, 300, 275, 315);
    Line(260, 315, 275, 300);
  }
  Box(5, 184, 105, 204);
  Write(Text("_CANCEL_"), 5, 187, 100, kWhite, DT_CENTER, 1, 1);
}

void TradeScreen::Draw() {
  if (!g_gameData) return;
  if (s_.page == 0)
    DrawPoolsPage();
  else if (s_.page <= 3)
    DrawOffersPage();
  else if (s_.page == 4)
    DrawShipmentsPage();
}

// ----------------------------------------------------------------- clicks

int TradeScreen::ChangePage(std::uint8_t page) {
  if (page == s_.page) return 0;
  s_.page = page;
  if (page >= 1 && page <= 3) s_.offersPage = page;
  p_.highlight = kNoHighlight;
  p_.InitTradeState();
  Click();
  return 1;
}

int TradeScreen::ClickTabs(int x, int y) {
  if (y >= 6 && y <= 24) {
    if (x >= 6 && x <= 124) return ChangePage(0);
    if (x >= 126 && x <= 249) return s_.page == 0 || s_.page == 4 ? ChangePage(s_.offersPage) : 0;
    if (x >= 251 && x <= 354) return ChangePage(4);
  }
  if (s_.page >= 1 && s_.page <= 3 && y >= 11 && y <= 29) {
    if (x >= 401 && x <= 464) return ChangePage(1);
    if (x >= 466 && x <= 519) return ChangePage(2);
    if (x >= 521 && x <= 574) return ChangePage(3);
  }
  return -1;
}

int TradeScreen::ClickScroll(int x, int y) {
  if (y < 181 || y > 199) return -1;
  if (s_.page == 0) {
    const bool more = x >= 461 && x <= 508 && s_.poolsMore;
    const bool previous = x >= 511 && x <= 574 && s_.poolsPrevious;
    if (!more && !previous) return -1;
    for (int passed = 0; passed < kPoolRows && s_.firstPool != kNoPanelItem; ++passed)
      s_.firstPool = NextPool(s_.firstPool, more ? 1 : 0);
    Click();
    return 1;
  }
  TradePageState::Scroll& scroll = s_.scroll[s_.page - 1];
  const int step = s_.page == 4 ? kShipmentRows : kOfferRows;
  const int moreLeft = s_.page == 1 ? 456 : 461;
  const int moreRight = s_.page == 1 ? 509 : s_.page == 4 ? 508 : 507;
  if (x >= moreLeft && x <= moreRight && scroll.more) {
    scroll.offset = static_cast<std::uint16_t>(scroll.offset + step);
  } else if (x >= 511 && x <= 574 && scroll.previous) {
    scroll.offset = static_cast<std::uint16_t>(std::max(0, scroll.offset - step));
  } else {
    return -1;
  }
  Click();
  return 1;
}

int TradeScreen::ClickPoolRow(int x, int y) {
  if (y < 56 || y > 174 || x < 11 || x > 574) return -1;
  const std::uint16_t a = s_.poolRows[(y - 55) / 15];
  s_.selectedPool = a == kNoPanelItem ? kNoPool : static_cast<std::uint8_t>(a);
  Click();
  return 1;
}

int TradeScreen::ClickPicker(int x, int y) {
  if (y >= 56 && y <= 174 && x >= 11 && x <= 574) {
    const int row = (y - 55) / 15;
    if (s_.poolRows[row] == kNoPanelItem) return 0;
    p_.EndTransferPicking();
    if (s_.autoTick)
      SetAutoTransferTo(row);
    else
      TransferOnce(row);
    return 1;
  }
  const int scrolled = ClickScroll(x, y);
  if (scrolled >= 0) return scrolled;
  if (x >= 6 && x <= 104 && y >= 181 && y <= 199) {
    p_.EndTransferPicking();
    Click();
    return 1;
  }
  if (x >= 261 && x <= 274 && y >= 301 && y <= 314) {
    s_.autoTick = !s_.autoTick;
    Click();
    return 1;
  }
  return 0;
}

int TradeScreen::ClickOfferRow(int x, int y) {
  if (y < 61 || y > 164 || x < 6 || x > 579) return -1;
  CGuild* guild = LocalGuildRecord();
  const std::uint32_t index = s_.scroll[s_.page - 1].offset + (y - 60) / 15;
  if (!guild || index >= OfferCount(s_.page)) return 0;
  const std::uint8_t localSlot = LocalChapterId(0) & 7;
  if (s_.page == 1) return OnMineralOfferClick(*guild->GetMineralOffer(index));
  if (s_.page == 2) {
    const ShipOffer offer = *guild->GetShipOffer(index);
    if (offer.sellerSlot != localSlot)
      BidForShip(offer);
    else
      CancelShipOffer(offer);
    return 1;
  }
  const VoteOffer offer = *guild->GetVoteOffer(index);
  if (offer.sellerSlot != localSlot)
    BidForVote(offer);
  else
    CancelVoteOffer(offer);
  return 1;
}

int TradeScreen::ClickDetails(int x, int y) {
  if (s_.selectedPool == kNoPool || y < 268 || y > 355) return -1;
  int mineral = -1;
  for (int m = 0; m < 4; ++m)
    if (y >= kDetailRowY[m] + 1 && y <= kDetailRowY[m] + 13) mineral = m;
  if (mineral < 0) return -1;
  if (x >= 476 && x <= 514) {
    OnMineralButton(static_cast<std::uint8_t>(mineral), 1);
    return 1;
  }
  if (x >= 521 && x <= 574) {
    OnMineralButton(static_cast<std::uint8_t>(mineral), 2);
    return 1;
  }
  CGChapter* chapter = LocalChapter();
  if (x >= 306 && x <= 469 && chapter &&
      chapter->HasAutoTransfer(s_.selectedPool, static_cast<std::uint8_t>(mineral))) {
    Click();
    if (Ask("ITDAXMSG")) {
      chapter->CancelAutoTransfer(s_.selectedPool, static_cast<std::uint8_t>(mineral));
      ShowBox(Text("AXFRCNCL"));
    }
    return 1;
  }
  return -1;
}

int TradeScreen::OnClick(int sx, int sy, WPARAM) {
  if (!g_gameData || s_.page > 4) return 0;
  const int x = sx - kLeft;
  const int y = sy - kTop;
  if (s_.page == 0 && s_.picking) return ClickPicker(x, y);
  int result = ClickTabs(x, y);
  if (result >= 0) return result;
  if (s_.page >= 1 && (x < 5 || x > 580)) return 0;
  if ((result = ClickScroll(x, y)) >= 0) return result;
  if (s_.page == 0 && (result = ClickPoolRow(x, y)) >= 0) return result;
  if (s_.page >= 1 && s_.page <= 3 && (result = ClickOfferRow(x, y)) >= 0) return result;
  if ((result = ClickDetails(x, y)) >= 0) return result;
  return 0;
}

void TradeScreen::OnMouseMove(int sx, int sy) {
  if (s_.page > 3 || !g_gameData) return;
  const int x = sx - kLeft;
  const int y = sy - kTop;
  std::uint16_t row = kNoPanelItem;
  if (s_.page == 0 && y >= 56 && y <= 174 && x >= 11 && x <= 574) row = static_cast<std::uint16_t>((y - 55) / 15);
  if (s_.page > 0 && y >= 61 && y <= 164 && x >= 6 && x <= 579) row = static_cast<std::uint16_t>((y - 60) / 15);
  if (row == s_.hoveredRow[s_.page]) return;
  s_.hoveredRow[s_.page] = row;
  PanelFrame().RedrawInfoPanel();
}

// ---------------------------------------------------------------- actions

void TradeScreen::ShowBox(const std::string& text) {
  COkDlg box(p_.owner, p_.window, p_.instance, text.c_str(), LocalGuild());
}

bool TradeScreen::Ask(const char* id) {
  std::uint32_t answer = 0;
  CYesNoDlg box(p_.owner, p_.window, p_.instance, Text(id).c_str(), LocalGuild(), &answer);
  return answer == 1;
}

void TradeScreen::Darken() {
  PanelFrame().ShadeViewportRect(1, 1, 584, 366, kBlack, 60);
  PanelFrame().FlushViewport();
}

bool TradeScreen::MayTrade() {
  const CGChapter* chapter = LocalChapter();
  if (chapter && chapter->renegade) {
    ShowBox(Text("ITDRENEG"));
    return false;
  }
  return true;
}

// Leading decimal digits; 0 when there are none. Stops growing at `limit`.
std::uint32_t ReadQuantity(const char* text, std::uint32_t limit) {
  std::uint64_t value = 0;
  for (const char* c = text; *c >= '0' && *c <= '9'; ++c) {
    value = value * 10 + static_cast<std::uint64_t>(*c - '0');
    if (value > limit) return limit;
  }
  return static_cast<std::uint32_t>(value);
}

void TradeScreen::OnMineralButton(std::uint8_t mineral, int action) {
  if (Blockaded()) {
    ShowBox(Text("ITDBLOKD"));
    return;
  }
  s_.mineral = mineral;
  if (action == 1) {
    PostMineralOffer();
    return;
  }
  const std::uint32_t stock = g_gameData->poolDB.GetMineral(s_.selectedPool, mineral);
  const std::string prompt = Text("ITDXFQTY", MineralName(mineral), stock);
  char answer[kNameBufferSize] = "0";
  std::uint32_t confirmed = 0;
  Click();
  CDEnterNameDlg dialog(p_.owner, p_.window, p_.instance, prompt, static_cast<int>(LocalGuild()), answer, &confirmed);
  // A transfer's amount travels in 16 bits; more than that is not offered.
  s_.quantity = static_cast<std::int32_t>(ReadQuantity(answer, std::min(stock, kMaxTransfer)));
  if (s_.quantity <= 0 || !confirmed) return;
  s_.autoTick = 0;
  if (s_.page != 0) {
    s_.page = 0;
    p_.InitTradeState();
  }
  if (g_currentView) g_currentView->SetCursorSet(kCursorTransfer);
  ClipCursor(&kViewportScreen);
  s_.picking = 1;
}

void TradeScreen::PostMineralOffer() {
  if (!MayTrade()) return;
  MineralOfferPacket record;
  record.seller = static_cast<std::uint8_t>(LocalChapterId(0));
  record.asteroid = s_.selectedPool;
  record.mineral = s_.mineral;
  Click();
  Darken();
  std::uint32_t confirmed = 0;
  const std::uint32_t stock = g_gameData->poolDB.GetMineral(s_.selectedPool, s_.mineral);
  CGuild* guild = LocalGuildRecord();
  const MineralOffer* standing =
      guild ? guild->FindMineralOffer(record.seller, record.asteroid, record.mineral) : nullptr;
  {
    CDSellDlg dialog(p_.owner, p_.window, p_.instance, &record, &confirmed, stock, standing);
    if (dialog.m_result != 1) confirmed = 0;
  }
  if (!confirmed) return;
  if (record.price[0] == 0 && record.price[1] == 0 && record.price[2] == 0 && record.price[3] == 0) {
    ShowBox(Text("ITDNOPAY"));
    return;
  }
  if (record.amount == 0) {
    ShowBox(Text("ITDNOSEL"));
    return;
  }
  const std::uint16_t before = standing ? standing->terms[0] : 0;
  if (standing && record.amount < before) {
    auto packet = record.Build();
    Send(packet.bytes);
    ShowBox(Text("ITDXCESS"));
    return;
  }
  // The minerals are taken before the offer goes out: an offer the pool
  // cannot cover is not posted.
  if (!g_gameData->poolDB.TakeMineral(record.asteroid, record.mineral, record.amount - before)) {
    ShowBox(Text("ITDOVRFL"));
    return;
  }
  auto packet = record.Build();
  Send(packet.bytes);
  ShowBox(Text("ITDPOSTD"));
}

int TradeScreen::OnMineralOfferClick(MineralOffer& offer) {
  if (!MayTrade()) return 0;
  Click();
  if (Blockaded()) {
    ShowBox(Text("ITDBLOKD"));
    return 0;
  }
  CGuild* guild = LocalGuildRecord();
  if (offer.seller == LocalChapterId(0)) {
    if (Ask("ITDCANOF")) {
      auto packet = MineralOfferWithdrawnPacket{offer.seller, offer.asteroid, offer.mineral}.Build();
      Send(packet.bytes);
      guild->RemoveMineralOffer(offer.seller, offer.asteroid, offer.mineral);
    }
    return 1;
  }
  if (s_.selectedPool == kNoPool) {
    ShowBox(Text("ITDNOLOC"));
    return 0;
  }
  Darken();
  std::array<std::uint32_t, 4> pool{};
  g_gameData->poolDB.GetMinerals(s_.selectedPool, pool.data());
  std::uint16_t amount = 0;
  std::uint8_t paying = 0;
  std::uint32_t confirmed = 0;
  { CDBuyDlg dialog(p_.owner, p_.window, p_.instance, offer, s_.selectedPool, pool, &amount, &paying, &confirmed); }
  if (!confirmed || amount == 0 || paying > 3) return 1;
  // The server sells whole tens only and refuses a purchase that pays
  // nothing: the board and the arrival show what it will deliver, never the
  // odd units the arrows took from the end of an offer.
  const auto bought = static_cast<std::uint16_t>(UnitsBought(amount));
  const std::uint32_t payment = TradeCost(bought, offer.terms[1 + paying]);
  if (payment == 0) {
    ShowBox(Text("ITDNOPAY"));
    return 1;
  }
  if (!g_gameData->poolDB.TakeMineral(s_.selectedPool, paying, payment)) {
    ShowBox(Text("ITDOVRFL"));
    return 1;
  }
  auto packet = MineralPurchasePacket{offer.seller,    offer.asteroid,
                                      offer.mineral,   static_cast<std::uint8_t>(LocalChapterId(0)),
                                      s_.selectedPool, paying,
                                      bought}
                    .Build();
  Send(packet.bytes);
  offer.terms[0] = static_cast<std::uint16_t>(offer.terms[0] > bought ? offer.terms[0] - bought : 0);
  RecordShipment(s_.selectedPool, offer.mineral, bought,
                 CGChapter::ComputeTransferTurns(offer.asteroid, s_.selectedPool), 2);
  return 1;
}

void TradeScreen::TransferOnce(int row) {
  const std::uint16_t destination = s_.poolRows[row];
  if (destination == kNoPanelItem || destination == s_.selectedPool || s_.quantity <= 0) return;
  const auto amount = static_cast<std::uint32_t>(std::min<std::int64_t>(s_.quantity, kMaxTransfer));
  if (!g_gameData->poolDB.TakeMineral(s_.selectedPool, s_.mineral, amount)) return;
  const int transit = CGChapter::ComputeTransferTurns(s_.selectedPool, static_cast<std::uint8_t>(destination));
  auto packet = MineralTransferPacket{static_cast<std::uint8_t>(LocalChapterId(0)), s_.selectedPool,
                                      static_cast<std::uint8_t>(destination),       s_.mineral,
                                      static_cast<std::uint16_t>(amount),           static_cast<std::uint16_t>(transit)}
                    .Build();
  Send(packet.bytes);
  RecordShipment(destination, s_.mineral, amount, transit, 0);
}

void TradeScreen::SetAutoTransferTo(int row) {
  const std::uint16_t destination = s_.poolRows[row];
  CGChapter* chapter = LocalChapter();
  if (destination == kNoPanelItem || !chapter) return;
  if (destination == s_.selectedPool) {
    chapter->CancelAutoTransfer(s_.selectedPool, s_.mineral);
    ShowBox(Text("AXFRCNCL"));
    return;
  }
  if (s_.quantity <= 0) return;
  chapter->SetAutoTransfer(s_.selectedPool, static_cast<std::uint8_t>(destination), s_.mineral,
                           static_cast<std::uint16_t>(std::min<std::int64_t>(s_.quantity, kMaxTransfer)));
  ShowBox(Text("ITDAXBGN"));
}

bool TradeScreen::TakeBid(const std::uint32_t (&terms)[4], const char* shortText, std::uint32_t (&bid)[4]) {
  if (!MayTrade()) return false;
  Click();
  if (Blockaded()) {
    ShowBox(Text("ITDBLOKD"));
    return false;
  }
  if (s_.selectedPool == kNoPool) {
    ShowBox(Text("ITDNOLOC"));
    return false;
  }
  std::uint32_t stocks[4] = {};
  g_gameData->poolDB.GetMinerals(s_.selectedPool, stocks);
  std::copy(terms, terms + 4, bid);
  for (int m = 0; m < 4; ++m)
    if (stocks[m] < bid[m]) {
      ShowBox(Text(shortText));
      return false;
    }
  std::uint32_t confirmed = 0;
  { CDSetPriceDlg dialog(p_.owner, p_.window, p_.instance, bid, &confirmed, stocks); }
  if (!confirmed) return false;
  if (!g_gameData->poolDB.TakeMinerals(s_.selectedPool, bid)) {
    ShowBox(Text(shortText));
    return false;
  }
  return true;
}

void TradeScreen::BidForShip(const ShipOffer& offer) {
  std::uint32_t bid[4] = {};
  if (!TakeBid(offer.terms, "ITDNOBUY", bid)) return;
  ShipBidPacket packet;
  packet.guild = static_cast<std::uint16_t>(LocalGuild());
  packet.slot = LocalChapterId(0) & 7;
  packet.unitId = offer.unitId;
  packet.unitClass = static_cast<std::uint8_t>(offer.firstTerm);
  packet.pool = s_.selectedPool;
  std::copy(bid, bid + 4, packet.bid.begin());
  auto image = packet.Build();
  Send(image.bytes);
  ShowBox(Text("ITDBIDSB"));
}

void TradeScreen::BidForVote(const VoteOffer& offer) {
  std::uint32_t bid[4] = {};
  if (!TakeBid(offer.terms, "ITDERR07", bid)) return;
  VoteBidPacket packet;
  packet.guild = static_cast<std::uint16_t>(LocalGuild());
  packet.slot = LocalChapterId(0) & 7;
  packet.asteroid = offer.asteroid;
  packet.pool = s_.selectedPool;
  std::copy(bid, bid + 4, packet.bid.begin());
  auto image = packet.Build();
  Send(image.bytes);
  ShowBox(Text("ITDBIDSB"));
}

void TradeScreen::CancelShipOffer(const ShipOffer& offer) {
  Click();
  if (!Ask("ITDCANOF")) return;
  auto packet =
      ShipOfferWithdrawnPacket{static_cast<std::uint8_t>(LocalGuild()), offer.sellerSlot, offer.unitId}.Build();
  Send(packet.bytes);
  if (CGuild* guild = LocalGuildRecord()) guild->RemoveShipOffer(offer.unitId);
  ShowBox(Text("ITDCNCLD"));
}

void TradeScreen::CancelVoteOffer(const VoteOffer& offer) {
  Click();
  if (!Ask("ITDCANOF")) return;
  auto packet =
      VoteOfferWithdrawnPacket{static_cast<std::uint8_t>(LocalGuild()), offer.sellerSlot, offer.asteroid}.Build();
  Send(packet.bytes);
  if (CGuild* guild = LocalGuildRecord()) guild->RemoveVoteOffer(offer.asteroid);
}

}  // namespace

// The trade screen fills no hot spots. Its starting state is the state
// block's own; the frame's construction, before any page is chosen, keeps
// every hot spot counted.
void CInfoPanel::InitTradeState() {
  if (type != 1) return;
  hotSpotCount = 0;
  ResetHotSpots();
}

void CInfoPanel::DrawTrade() { TradeScreen(*this).Draw(); }

int CInfoPanel::ClickTrade(int x, int y, WPARAM keys) { return TradeScreen(*this).OnClick(x, y, keys); }

void CInfoPanel::HoverTrade(int x, int y) { TradeScreen(*this).OnMouseMove(x, y); }

void CInfoPanel::EndTransferPicking() {
  if (!trade.picking) return;
  trade.picking = 0;
  if (g_currentView) g_currentView->SetCursorSet(kCursorNormal);
  ClipCursor(nullptr);
}
