#pragma once
// The info panel over the viewport: one of twelve page types (0 voting, 1
// trade, 2 ship list, 3 asteroid list, 4 research, 5 status, 6 chat, 7
// technology, 8 combat summary, 9 game setup, 10 player notes, 11 keyboard
// reference), drawn over the faded viewport while shown. This frame owns what
// the pages share: the type, the clickable hot spots with the hover
// highlight, the pictures several pages draw, and the routing of drawing,
// clicks, hover, resets and help to the current page. Built by the view
// framework with the shared screen and kept for the whole game.
//
// Game thread only.

#include <array>
#include <cstdint>
#include <vector>

#include "platform/core/types.h"

class CDDraw;
class CGUnit;
class CSprite;

// One operational unit of the local chapter as the ship list shows it.
struct ShipListEntry {
  // The unit as last found by its id: a unit lost while the turn's results
  // come in, before the list is built again, is null here from then on.
  CGUnit* unit = nullptr;
  std::uint32_t unitId = 0;
  std::uint16_t location = 0;  // asteroid number; the asteroid count for solar space
  std::uint8_t condition = 0;  // 0 sound, 1 damaged, 2 critical
  std::uint8_t unitClass = 0;
  char designName[30] = {};
  char unitName[31] = {};
};

// Keys of the ship list's order.
enum ShipListSort : std::uint8_t {
  SORT_LOCATION = 0,
  SORT_NAME = 1,
  SORT_DESIGN = 2,
  SORT_CLASS = 3,
  SORT_CONDITION = 4
};

constexpr int kShipRows = 14;
constexpr int kCombatRows = 12;
constexpr int kStatusSeries = 9;
constexpr int kTechRows = 20;
// The chat packet as the panel sends it: 16 bytes of header and fields, then
// a 500-byte text field whose text ends with a zero.
constexpr std::size_t kChatPacketText = 500;
constexpr std::size_t kChatPacketSize = 16 + kChatPacketText;
// Packet 1506 from `sender` to `target` with at most 499 characters of `text`.
std::vector<std::uint8_t> MakeChatPacket(std::uint8_t sender, std::uint8_t target, const char* text);
// The combat summary's detail value while its list is shown.
constexpr std::uint8_t kCombatSummaryPage = 255;
// A 0 -> 1 -> 2 condition: power (percent of its maximum), hull and life support.
std::uint8_t ShipCondition(std::int32_t power, std::int32_t maxPower, std::uint8_t hullDamage, std::uint8_t lifeDamage);

constexpr int kInfoPanelTypes = 12;
constexpr int kInfoHotSpots = 54;
constexpr std::uint8_t kNoHighlight = 255;
constexpr plat::RECT kNoHotSpot{-1, -1, -1, -1};
constexpr std::uint16_t kNoPanelItem = 0xFFFF;
constexpr int kResearchRows = 14;
constexpr int kAsteroidListRows = 14;

// The research page's state (CInfoPanelResearch.cpp); it survives switching
// page types.
struct ResearchPageState {
  // The item whose allocation gauge, increase or decrease mark is under the mouse.
  std::uint16_t hoveredGauge = kNoPanelItem;
  std::uint16_t hoveredPlus = kNoPanelItem;
  std::uint16_t hoveredMinus = kNoPanelItem;
  std::uint8_t roleFilter = 0;             // module role 0..11
  std::uint8_t classFilter = 0;            // hull class 0..10
  std::uint16_t shownItem = kNoPanelItem;  // in the data panel
  std::array<std::uint16_t, kResearchRows> rows = FilledRows<kResearchRows>();
  std::uint16_t page = 0;
  std::uint16_t entryCount = 0;  // counted by each drawing
  std::uint8_t mode = 0;         // 0 modules, 1 hulls
  std::uint8_t recovering = 0;   // the Recover caption red while its click is shown

  template <int N>
  static constexpr std::array<std::uint16_t, N> FilledRows() {
    std::array<std::uint16_t, N> r{};
    r.fill(kNoPanelItem);
    return r;
  }
};

// The trade screen's state (CInfoPanelTrade.cpp): page 0 local pools, 1
// mineral offers, 2 ship offers, 3 vote offers, 4 shipments. It survives
// switching page types.
struct TradePageState {
  struct Scroll {
    std::uint16_t offset = 0;  // first entry shown
    std::uint8_t more = 0;
    std::uint8_t previous = 0;
  };
  std::uint8_t page = 0;
  std::uint8_t offersPage = 1;  // the OFFERED TRADES tab opens it
  std::array<std::uint16_t, 8> poolRows = ResearchPageState::FilledRows<8>();
  std::uint8_t selectedPool = 255;                                               // 255: none
  std::uint8_t picking = 0;                                                      // choosing a transfer's destination
  std::array<std::uint16_t, 4> hoveredRow = ResearchPageState::FilledRows<4>();  // pages 0..3
  std::uint8_t mineral = 0;                                                      // of the last SELL or TRANSFER pressed
  std::int32_t quantity = 0;                                                     // of the transfer being prepared
  std::uint8_t autoTick = 0;                                                     // the picker's automatic-transfer box
  std::uint16_t firstPool = kNoPanelItem;  // page 0's first row; none: the first pool
  std::uint8_t poolsMore = 0;
  std::uint8_t poolsPrevious = 0;
  std::array<Scroll, 4> scroll{};  // pages 1..4
};

// The asteroid list's state (CInfoPanelAsteroids.cpp).
struct AsteroidListState {
  std::uint16_t anchor = kNoPanelItem;  // the page starts after it in name order
  std::uint16_t lastExamined = 0;       // MORE continues after it
  std::array<std::uint16_t, kAsteroidListRows> rows = ResearchPageState::FilledRows<kAsteroidListRows>();
  std::uint16_t hovered = kNoPanelItem;  // in the data panel
  std::uint8_t filter = 0;               // 0 all, 1 mine, 2 guild, 3 surveyed
  std::uint8_t atEnd = 1;                // the name order ran out: MORE is off
};

class CInfoPanel {
 public:
  // The ship list is shown first; the shared pictures are loaded (one that
  // fails to load draws nothing).
  CInfoPanel(CDDraw* display, plat::HWND window, plat::HINSTANCE instance, CSprite* screen);
  ~CInfoPanel();
  CInfoPanel(const CInfoPanel&) = delete;
  CInfoPanel& operator=(const CInfoPanel&) = delete;

  // Selects a page type and gives back the previous one. The highlight goes,
  // all hot spots count, and a type of 0..11 runs its page's reset (also when
  // it was current); a larger value is kept with no reset and draws nothing.
  std::uint8_t SetType(std::uint8_t newType);
  void Draw();
  // Clicks in screen coordinates. Nonzero: the panel changed and the view
  // redraws it; the click sound plays unless the trade, chat or notes page
  // handled it.
  int OnLButtonDown(int x, int y, plat::WPARAM keys);
  int OnRButtonDown(int x, int y, plat::WPARAM keys);
  int OnLButtonDblClk(int x, int y);
  // Hover: 1 when the point lies in a hot spot (the first that holds it).
  int OnMouseMove(int x, int y);
  void ShowContextHelp(int x, int y);
  // The highlighted hot spot; 0 when none.
  int GetHighlightRect(plat::RECT* rect) const;
  // Every hot spot unused.
  void ResetHotSpots();

  // The research page's marks and allocation gauges of its researched rows,
  // lit as the mouse has them.
  void RedrawResearchMarks();
  // The asteroid list: whether an asteroid passes the filter and the
  // scan-visibility rule.
  bool IsAsteroidListed(std::uint16_t asteroid) const;
  // The asteroid list: the anchor of the page whose MORE led to the current
  // one, found by paging from the first asteroid as the drawing does.
  std::uint16_t PreviousAsteroidAnchor() const;
  // Ends the choice of a transfer's destination, if one is going on: the
  // normal cursor, free to leave the viewport. Any way out of the trade
  // screen calls it.
  void EndTransferPicking();

  // The pages' operations, called for the current type only (each page's own file).
  int ClickVotePanel(int x, int y, plat::WPARAM keys);
  int ClickShipList(int x, int y, plat::WPARAM keys);
  int ClickAsteroidList(int x, int y, plat::WPARAM keys);
  int ClickResearch(int x, int y, plat::WPARAM keys);
  int ClickStatus(int x, int y, plat::WPARAM keys);
  int ClickChat(int x, int y, plat::WPARAM keys);
  int ClickTechInfo(int x, int y, plat::WPARAM keys);
  int ClickCombatSummary(int x, int y, plat::WPARAM keys);
  int ClickPlayerNotes(int x, int y, plat::WPARAM keys);
  int ClickTrade(int x, int y, plat::WPARAM keys);
  void HoverTrade(int x, int y);
  void HoverShipList(int x, int y);
  void HoverAsteroidList(int x, int y);
  void HoverResearch(int x, int y);
  void HoverTechInfo(int x, int y);
  void ResetShipList();
  void ResetAsteroidList();
  void ResetTechInfo();
  void ResetCombatSummary();
  void InitTradeState();
  void DrawVotePanel();
  void DrawTrade();
  void DrawShipList();
  void DrawAsteroidList();
  void DrawResearch();
  void DrawStatus();
  void DrawChat();
  void DrawTechInfo();
  void DrawCombatSummary();
  void DrawGameSetup();
  void DrawPlayerNotes();
  void DrawKeyboardReference();

  // Ship list steps: the entries are rebuilt when the turn changes.
  void BuildShipList();
  void SortShipList();
  void DrawShipRows();
  // The unit on a row of the ship page, found again by its id; null for an
  // empty row or a unit lost since the list was built.
  CGUnit* ShipRowUnit(int row);
  // art: the five class icons, then the 6 x 12 and 10 x 12 cells they shrink into.
  void DrawShipRow(const ShipListEntry& entry, int row, CSprite* const art[7]);
  void DrawTemplateList();
  // Status pages.
  int ClickStatusChapters(int x, int y);
  int ClickStatusGuilds(int x, int y);
  int ClickStatusPersonal(int x, int y);
  void DrawPersonalPage();
  // Combat summary pages.
  void DrawCombatSummaryPage();
  void DrawCombatDetails();
  // Technology: how many of each module the local chapter's operational units carry.
  void CountModulesInUse();

  // The page shown; the first field of the panel.
  std::uint8_t type = 2;
  CDDraw* owner;
  plat::HWND window;
  plat::HINSTANCE instance;
  CSprite* screen;
  CSprite* voteYes = nullptr;
  CSprite* voteNo = nullptr;
  std::array<plat::RECT, kInfoHotSpots> hotSpots;
  std::uint8_t highlight = kNoHighlight;
  std::uint8_t hotSpotCount = kInfoHotSpots;
  // Packet 123 sets it to 65535: the owners shown have changed.
  std::uint16_t ownerChangeMark = 0;
  CSprite* arrow = nullptr;
  // Gauges for 0, 25, 50, 75 and 100 percent.
  std::array<CSprite*, 5> percentGauges{};
  std::array<CSprite*, 5> barGauges{};
  // The ship list's five class icons and the two cells they are shrunk into,
  // made at its first draw.
  std::array<CSprite*, 7> shipIcons{};
  ResearchPageState research;
  AsteroidListState asteroidList;
  TradePageState trade;

  // Ship list.
  std::uint16_t shipPosition = 0xFFFF;  // index before the first row; 0xFFFF: from entry 0
  std::uint16_t shipEnd = 0;            // index after the last row
  std::array<CGUnit*, kShipRows> shipRowUnits{};
  CGUnit* shipHovered = nullptr;
  std::uint8_t templateMode = 0;
  std::uint8_t templatePage = 0;
  std::uint32_t templateMore = 0;
  std::uint32_t shipBuiltTurn = 0xFFFFFFFFu;
  std::vector<ShipListEntry> shipEntries;
  std::uint8_t shipSortKey = SORT_LOCATION;

  // Status.
  std::uint8_t statusPage = 0;
  std::uint8_t guildFigure = 0;
  std::array<std::uint8_t, kStatusSeries> statusSeries{1, 1, 1, 1, 1, 1, 1, 1, 1};

  // Combat summary. Battles and notification indexes keep 16 bits: a turn may
  // raise more than 255 notifications.
  std::array<std::uint16_t, kCombatRows> combatRowBattles{};
  std::array<std::uint16_t, kCombatRows> combatRowNotices{};
  std::uint8_t combatDetail = kCombatSummaryPage;
  std::uint16_t combatLineOffset = 0;
  std::uint16_t combatStart = 0;
  std::uint16_t combatLast = 0;
  // Until a page is drawn there is nothing further to page to.
  std::uint8_t summaryEnd = 1;
  std::uint8_t detailsEnd = 1;

  // Chat and notes: the topmost message and note shown.
  std::uint8_t chatFirst = 0;
  std::uint16_t noteFirst = 0;

  // Technology: module indexes, 0xFFFF for none (the first: the start of the
  // name order; the next page: the order is exhausted).
  std::uint16_t techFirst = 0xFFFF;
  std::uint16_t techNext = 0xFFFF;
  std::array<std::uint16_t, kTechRows> techRows{};
  std::uint16_t techHovered = 0xFFFF;
  // Modules fitted on the local chapter's units, by module index (kept between draws).
  std::vector<std::uint32_t> techInUse;
};
