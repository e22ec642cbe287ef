// The trade screen: what each page shows of the pools, boards and shipments,
// the page tabs, paging and hover; the transfer from the amount prompt
// through the destination picker to the stocks and shipment it leaves, and
// answers a player should not be able to hurt it with; and the pictures.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>

#include "Game/model/GAsteroid.h"
#include "Game/model/GChapter.h"
#include "Game/model/GGuild.h"
#include "Game/model/GPoolDB.h"
#include "Game/net/GuildPackets.h"
#include "Game/net/NetSession.h"
#include "Game/panels/Legibility.h"
#include "Game/rules/GModuleDB.h"
#include "platform/backend/headless.h"
#include "platform/user/cursor.h"
#include "platform/user/keys.h"
#include "tests/Game/views/frame/info_pages.h"
#include "tests/support/recording_sink.h"

namespace {

using namespace plat;

constexpr std::uint16_t kAlpha = 0, kBeta = 1, kGamma = 2, kDelta = 3;

class TradeScreen : public views_test::InfoPages {
 protected:
  void SetUp() override {
    OpenPages("TradeScreenMain");
    CGameData& g = *g_gameData;
    g.turn = 12;
    const char* names[] = {"Alpha", "Beta", "Gamma", "Delta"};
    g.solarDB.CreateAsteroidArray(4);
    for (std::uint16_t i = 0; i < 4; ++i) {
      auto a = std::make_unique<CGAsteroid>(i);
      a->SetName(names[i]);
      a->position = {static_cast<std::uint16_t>(i), static_cast<std::int16_t>(i * 8000), 0, 0};
      g.solarDB.SetAsteroid(std::move(a));
    }
    for (std::uint16_t a : {kAlpha, kBeta, kGamma}) g.poolDB.SetStorageFacilities(a, 1);
    const std::uint32_t alpha[4] = {999, 1000, 25500, 60000};
    const std::uint32_t beta[4] = {0, 4000000000u, 12, 7000};
    g.poolDB.SetMinerals(kAlpha, alpha);
    g.poolDB.SetMinerals(kBeta, beta);
    g.poolDB.SetBlockade(kGamma, 1);
    g.GetLocalChapter()->SetName("Ninth");
    g.guildList->GetChapter(11)->SetName("Eleventh");
    g.guildList->GetChapter(13)->SetName("Thirteenth");
    g.guildList->GetChapter(12)->SetName("Twelfth");
    g.guildList->GetChapter(14)->SetName("Fourteenth");
    g.guildList->GetChapter(15)->SetName("Fifteenth");
    g.moduleDB->count = 0;
  }
  void TearDown() override {
    ClipCursor(nullptr);
    ClosePages();
  }

  void PostMineralOffer(std::uint8_t seller, std::uint8_t asteroid, std::uint8_t mineral, std::uint16_t amount,
                        std::array<std::uint16_t, 4> prices) {
    MineralOfferPacket p;
    p.seller = seller;
    p.asteroid = asteroid;
    p.mineral = mineral;
    p.amount = amount;
    std::copy(prices.begin(), prices.end(), p.price);
    const auto image = p.Build();
    ASSERT_EQ(g_gameData->GetLocalGuild()->PostMineralOffer(image.bytes), 1);
  }
  // A propulsion module the local guild has researched: transfers can move.
  void ResearchPropulsion() {
    ModuleRecord m{};
    std::snprintf(m.name, sizeof m.name, "Drive");
    m.guildMask = 1 << 1;
    m.type = 5;
    m.typeData[0] = 60;
    m.typeData[8] = 1;
    const ModuleRecord records[] = {m};
    ASSERT_EQ(g_gameData->moduleDB->LoadModules(WriteModulesImage(records)), 1);
    g_gameData->moduleDB->GetRecord(g_gameData->moduleDB->GetCount() - 1)->researchPoints = 10000;
  }
  // Answers the amount prompt with `text` and Enter.
  void Answer(const std::string& text) {
    backend->PressKey(VK_BACK, 50);
    for (char c : text) backend->PressKey(static_cast<UINT>(c == '-' ? VK_SUBTRACT : std::toupper(c)), 10);
    backend->PressKey(VK_RETURN, 10);
  }
  static int PoolRowY(int row) { return 55 + 15 * row + 5; }
  TradePageState& T() { return panel->trade; }
  std::uint32_t Stock(std::uint16_t a, int m) { return g_gameData->poolDB.GetMineral(a, m); }
};

TEST_F(TradeScreen, ThePoolsPageShowsStocksInThousandsAndTheFirstPoolsDetails) {
  ShowPage(1);
  EXPECT_EQ(T().page, 0);
  EXPECT_EQ(T().poolRows[0], kAlpha);
  EXPECT_EQ(T().poolRows[1], kBeta);
  EXPECT_EQ(T().poolRows[2], kGamma);
  EXPECT_EQ(T().poolRows[3], kNoPanelItem) << "an asteroid without a pool is not listed";
  EXPECT_EQ(T().selectedPool, kAlpha) << "the first pool listed is selected";
  EXPECT_EQ(T().poolsMore, 0);
  EXPECT_EQ(T().poolsPrevious, 0);
  EXPECT_EQ(panel->hotSpotCount, 0);
  EXPECT_TRUE(LooksLike("trade_pools.png"));
  // Another row selects its pool; an empty one leaves none and no details.
  EXPECT_EQ(Click(50, PoolRowY(2)), 1);
  EXPECT_EQ(T().selectedPool, kGamma);
  Redraw();
  EXPECT_TRUE(LooksLike("trade_blockaded.png"));
  EXPECT_EQ(Click(50, PoolRowY(5)), 1);
  EXPECT_EQ(T().selectedPool, 255);
}

// A pool row under the mouse lights up on the panel as drawn, not on the
// view's picture kept under it.
TEST_F(TradeScreen, HoverShowsThePanelNotThePictureUnderIt) {
  ShowPage(1);
  UseGameFrameOverPlainPicture();
  ASSERT_EQ(BarePixels(), 0);
  Hover(50, PoolRowY(1));
  EXPECT_EQ(T().hoveredRow[0], 1);
  EXPECT_EQ(BarePixels(), 0);
  UseRecordingFrame();
}

TEST_F(TradeScreen, TabsChangePagesAndTheOffersTabRemembersItsLastBoard) {
  ShowPage(1);
  EXPECT_EQ(Click(60, 15), 0) << "the current page's own tab";
  EXPECT_EQ(Click(125, 15), 0) << "a gap between tabs";
  EXPECT_EQ(Click(180, 15), 1);
  EXPECT_EQ(T().page, 1);
  EXPECT_EQ(Click(540, 20), 1);
  EXPECT_EQ(T().page, 3);
  EXPECT_EQ(Click(300, 15), 1);
  EXPECT_EQ(T().page, 4);
  EXPECT_EQ(Click(180, 15), 1);
  EXPECT_EQ(T().page, 3) << "the offers tab opens the board chosen last";
  EXPECT_EQ(Click(490, 20), 1);
  EXPECT_EQ(T().page, 2);
  EXPECT_EQ(Click(2, 100), 0) << "left of the board";
  // The page survives other panel types.
  view->SelectInfoPanel(264, 0);
  view->SelectInfoPanel(261, 0);
  EXPECT_EQ(T().page, 2);
}

TEST_F(TradeScreen, MineralOffersPageSevenToAPageWithDashesForNoPrice) {
  PostMineralOffer(11, kDelta, 0, 250, {0, 4, 0, 12});
  PostMineralOffer(12, kBeta, 2, 0, {1, 1, 1, 1});
  for (std::uint8_t i = 0; i < 5; ++i)
    PostMineralOffer(static_cast<std::uint8_t>(11 + i), kBeta, static_cast<std::uint8_t>(i % 4), 10 + i, {5, 0, 0, 0});
  ShowPage(1);
  ASSERT_EQ(Click(180, 15), 1);
  ASSERT_EQ(g_gameData->GetLocalGuild()->mineralOffers.count, 7u);
  Redraw();
  EXPECT_EQ(T().scroll[0].more, 0) << "seven offers fit one page";
  PostMineralOffer(kLocal, kAlpha, 1, 100, {0, 0, 9, 0});
  Hover(100, 65);
  Redraw();
  EXPECT_EQ(T().scroll[0].more, 1);
  EXPECT_TRUE(LooksLike("trade_mineral_offers.png"));
  EXPECT_EQ(Click(480, 190), 1);
  EXPECT_EQ(T().scroll[0].offset, 7);
  Redraw();
  EXPECT_EQ(T().scroll[0].more, 0);
  EXPECT_EQ(T().scroll[0].previous, 1);
  EXPECT_EQ(Click(540, 190), 1);
  EXPECT_EQ(T().scroll[0].offset, 0);
}

TEST_F(TradeScreen, ShipVoteAndShipmentPagesShowTheirRows) {
  CGuild* guild = g_gameData->GetLocalGuild();
  std::uint8_t ship[kShipOfferPacketSize] = {};
  ship[10] = 3;
  ship[12] = 0x44;
  ship[16] = 4;
  ship[20] = 100;
  ship[28] = 40;
  ASSERT_EQ(guild->PostShipOffer(ship), 1);
  std::uint8_t vote[kVoteOfferPacketSize] = {};
  vote[10] = 1;
  vote[12] = kDelta;
  vote[20] = 75;
  ASSERT_EQ(guild->PostVoteOffer(vote), 1);
  CGAsteroid* beta = g_gameData->solarDB.GetAsteroid(kBeta);
  beta->AddEvent({1, 300, 14, 0});
  beta->AddEvent({6, 2, 15, 2});
  beta->AddEvent({3, 5, 16, 3});
  g_gameData->solarDB.GetAsteroid(kAlpha)->AddEvent({0, 40, 13, 1});
  ShowPage(1);
  ASSERT_EQ(Click(180, 15), 1);
  ASSERT_EQ(Click(490, 20), 1);
  Redraw();
  EXPECT_TRUE(LooksLike("trade_ship_offers.png"));
  ASSERT_EQ(Click(540, 20), 1);
  Redraw();
  EXPECT_TRUE(LooksLike("trade_vote_offers.png"));
  ASSERT_EQ(Click(300, 15), 1);
  Redraw();
  EXPECT_EQ(T().scroll[3].more, 0);
  EXPECT_TRUE(LooksLike("trade_shipments.png"));
}

// The exotics' deep blue keeps its colour and reads on the pool details at
// 4.5:1 or better, pixel by pixel against the ground touching its letters,
// over a dark view and over a bright one.
TEST_F(TradeScreen, TheExoticsLabelReadsOnItsGroundOverAnyView) {
  ShowPage(1);
  RegisterPanelFrame(nullptr);
  InstallPanelFrame(true);
  for (COLORREF view : {RGB(0, 0, 0), RGB(255, 255, 255)}) {
    SharedScreen().screenSprite->FillSurface(view, &kViewportRect);
    Redraw();
    const Image shot = quentest::ScreenArea({29 + 15, 98 + 317, 29 + 84, 98 + 331});
    auto ink = [](std::uint32_t p) { return (p & 0xFF) >= 180 && ((p >> 8) & 0xFF) <= 30 && (p >> 16) <= 30; };
    int letters = 0;
    double worst = 21;
    for (int y = 0; y < shot.height; ++y)
      for (int x = 0; x < shot.width; ++x) {
        const std::uint32_t p = shot.rgb[y * shot.width + x];
        if (!ink(p)) continue;
        ++letters;
        for (int dy = -1; dy <= 1; ++dy)
          for (int dx = -1; dx <= 1; ++dx) {
            const int nx = x + dx, ny = y + dy;
            if (nx < 0 || ny < 0 || nx >= shot.width || ny >= shot.height) continue;
            const std::uint32_t q = shot.rgb[ny * shot.width + nx];
            // Screen pixels are 0x00RRGGBB, colour values red in the low byte.
            auto ref = [](std::uint32_t c) { return RGB((c >> 16) & 0xFF, (c >> 8) & 0xFF, c & 0xFF); };
            if (!ink(q)) worst = std::min(worst, infopage::ContrastRatio(ref(p), ref(q)));
          }
      }
    EXPECT_GT(letters, 40) << "the label is drawn in its own blue";
    EXPECT_GE(worst, infopage::kReadableContrast) << "over a view of " << std::hex << view;
  }
  InstallPanelFrame(false);
  RegisterPanelFrame(&frame);
}

TEST_F(TradeScreen, ATransferGoesFromThePromptThroughThePickerToTheStocks) {
  ShowPage(1);
  // TRANSFER on the silicates row: 500 of 1000.
  Answer("500");
  EXPECT_EQ(Click(540, 297), 1);
  EXPECT_EQ(T().quantity, 500);
  ASSERT_EQ(T().picking, 1);
  RECT clip{};
  GetClipCursor(&clip);
  EXPECT_EQ(clip.left, 29);
  EXPECT_EQ(clip.bottom, 465);
  Redraw();
  EXPECT_TRUE(LooksLike("trade_picker.png"));
  EXPECT_EQ(Click(50, PoolRowY(5)), 0) << "an empty row picks nothing";
  EXPECT_EQ(Click(267, 307), 1);
  EXPECT_EQ(T().autoTick, 1);
  EXPECT_EQ(Click(267, 307), 1);
  EXPECT_EQ(T().autoTick, 0);
  // No propulsion researched: the minerals still go, but no arrival is recorded.
  EXPECT_EQ(Click(50, PoolRowY(1)), 1);
  EXPECT_EQ(T().picking, 0);
  GetClipCursor(&clip);
  EXPECT_EQ(clip.right, 800) << "the cursor is free again";
  EXPECT_EQ(Stock(kAlpha, 1), 500u);
  EXPECT_EQ(g_gameData->solarDB.GetAsteroid(kBeta)->GetEventCount(), 0);

  ResearchPropulsion();
  const int transit = CGChapter::ComputeTransferTurns(kAlpha, kBeta);
  ASSERT_GT(transit, 0);
  Answer("200");
  EXPECT_EQ(Click(540, 297), 1);
  EXPECT_EQ(Click(50, PoolRowY(1)), 1);
  EXPECT_EQ(Stock(kAlpha, 1), 300u);
  CGAsteroid* beta = g_gameData->solarDB.GetAsteroid(kBeta);
  ASSERT_EQ(beta->GetEventCount(), 1);
  EXPECT_EQ(beta->GetEventValue(0), 200u);
  EXPECT_EQ(beta->GetEventKind(0), 1);
  EXPECT_EQ(beta->GetEventExpiry(0), 12u + static_cast<std::uint32_t>(transit));
  EXPECT_EQ(beta->GetEventFlag(0), 0);
}

TEST_F(TradeScreen, OddAnswersStartNoTransferAndLargeOnesAreBounded) {
  ShowPage(1);
  for (const char* text : {"", "abc", "-5", "0"}) {
    Answer(text);
    EXPECT_EQ(Click(540, 297), 1) << text;
    EXPECT_EQ(T().picking, 0) << text;
  }
  Answer("99999999999");
  EXPECT_EQ(Click(540, 297), 1);
  EXPECT_EQ(T().quantity, 1000) << "no more than the stock";
  EXPECT_EQ(T().picking, 1);
  // Leaving the page type ends the picking and frees the cursor.
  view->SelectInfoPanel(264, 0);
  EXPECT_EQ(T().picking, 0);
  RECT clip{};
  GetClipCursor(&clip);
  EXPECT_EQ(clip.right, 800);
  // A stock beyond what a transfer carries offers at most 65535.
  view->SelectInfoPanel(261, 0);
  EXPECT_EQ(Click(50, PoolRowY(1)), 1);
  Answer("99999999999");
  EXPECT_EQ(Click(540, 297), 1);
  EXPECT_EQ(T().quantity, 65535);
  EXPECT_EQ(Click(50, 190), 1) << "CANCEL";
  EXPECT_EQ(T().picking, 0);
}

TEST_F(TradeScreen, AnAutomaticTransferIsSetAndCancelledFromThePicker) {
  ShowPage(1);
  Answer("400");
  EXPECT_EQ(Click(540, 322), 1);  // exotics
  EXPECT_EQ(Click(267, 307), 1);
  backend->PressKey(VK_RETURN, 50);  // "Auto-transfer initiated"
  EXPECT_EQ(Click(50, PoolRowY(1)), 1);
  const AutoTransfer* t = g_gameData->GetLocalChapter()->FindAutoTransfer(kAlpha, 2);
  ASSERT_NE(t, nullptr);
  EXPECT_EQ(t->destination, kBeta);
  EXPECT_EQ(t->amount, 400);
  EXPECT_EQ(Stock(kAlpha, 2), 25500u) << "nothing leaves before the turn ends";
  // The pool itself as destination cancels it.
  Answer("1");
  EXPECT_EQ(Click(540, 322), 1);
  EXPECT_EQ(Click(267, 307), 1);
  backend->PressKey(VK_RETURN, 50);  // "Auto-transfer cancelled"
  EXPECT_EQ(Click(50, PoolRowY(0)), 1);
  EXPECT_EQ(g_gameData->GetLocalChapter()->FindAutoTransfer(kAlpha, 2), nullptr);
}

// Packets the trade screen sends, as the session writes them.
class TradeActions : public TradeScreen {
 protected:
  void SetUp() override {
    TradeScreen::SetUp();
    sink.emailInto = &sent;
    g_session = new CNetSession();
    g_session->fileSendMode = 1;
  }
  void TearDown() override {
    delete g_session;
    g_session = nullptr;
    TradeScreen::TearDown();
  }
  void Yes() { backend->Click(263 + 47 + 35, 229 + 108 + 17, input::Button::Left, 50); }
  void Ok() { backend->PressKey(VK_RETURN, 50); }
  // The body of the last packet, from offset 8 (its sequence number aside).
  std::vector<std::uint8_t> LastBody(std::uint16_t type, std::size_t size) {
    EXPECT_FALSE(sent.empty());
    if (sent.empty()) return {};
    const std::vector<std::uint8_t>& p = sent.back();
    EXPECT_EQ(p.size(), size);
    EXPECT_EQ(p[0] | (p[1] << 8), type);
    return {p.begin() + std::min<std::size_t>(8, p.size()), p.end()};
  }
  std::vector<std::vector<std::uint8_t>> sent;
  quentest::RecordingSink sink;  // the session's turn-file writes land in `sent`
};

TEST_F(TradeActions, AOneOffTransferSendsItsAmountAndTransitAsComputed) {
  ShowPage(1);
  Answer("500");
  ASSERT_EQ(Click(540, 297), 1);
  ASSERT_EQ(Click(50, PoolRowY(1)), 1);
  // No propulsion: the transit goes out as computed (-1 in 16 bits).
  EXPECT_EQ(LastBody(555, 20),
            (std::vector<std::uint8_t>{kLocal, kAlpha, kBeta, 1, 0xF4, 0x01, 0xFF, 0xFF, 0, 0, 0, 0}));
  // The selected pool as the destination sends nothing and moves nothing.
  const std::size_t before = sent.size();
  Answer("5");
  ASSERT_EQ(Click(540, 297), 1);
  ASSERT_EQ(Click(50, PoolRowY(0)), 1);
  EXPECT_EQ(T().picking, 0);
  EXPECT_EQ(sent.size(), before);
  EXPECT_EQ(Stock(kAlpha, 1), 500u);
}

TEST_F(TradeActions, OwnOffersAreWithdrawnAndOthersBidFor) {
  CGuild* guild = g_gameData->GetLocalGuild();
  PostMineralOffer(kLocal, kAlpha, 3, 100, {2, 0, 0, 0});
  ShowPage(1);
  ASSERT_EQ(Click(180, 15), 1);
  Yes();
  EXPECT_EQ(Click(100, 65), 1);
  EXPECT_EQ(LastBody(553, 12), (std::vector<std::uint8_t>{kLocal, kAlpha, 3, 0}));
  EXPECT_EQ(guild->mineralOffers.count, 0u);

  // A vote offer of another chapter: the minimum bid is its price.
  std::uint8_t vote[kVoteOfferPacketSize] = {};
  vote[10] = 4;
  vote[12] = kDelta;
  vote[16] = 200;  // metals
  vote[28] = 30;   // reactives
  ASSERT_EQ(guild->PostVoteOffer(vote), 1);
  ASSERT_EQ(Click(540, 20), 1);
  backend->Click(169 + 21 + 50, 106 + 298 + 20, input::Button::Left, 400);  // the price dialog's OK, as it starts
  Ok();                                                                     // "Bid submitted"
  EXPECT_EQ(Click(100, 65), 1);
  EXPECT_EQ(LastBody(462, 32), (std::vector<std::uint8_t>{1, 0, kLocal & 7, 0, kDelta, 0, kAlpha, 0, 200, 0, 0, 0,
                                                          0, 0, 0,          0, 0,      0, 0,      0, 30,  0, 0, 0}));
  EXPECT_EQ(Stock(kAlpha, 0), 799u);
  EXPECT_EQ(Stock(kAlpha, 3), 59970u);

  // A bid the pool cannot meet is refused before the dialog.
  const std::size_t before = sent.size();
  vote[16] = 0xE8;  // 1000 metals
  vote[17] = 0x03;
  ASSERT_EQ(guild->PostVoteOffer(vote), 1);
  Ok();  // "You cannot afford the minimum bid for this vote"
  EXPECT_EQ(Click(100, 65), 1);
  EXPECT_EQ(sent.size(), before);

  // The own vote offer is withdrawn.
  vote[10] = kLocal & 7;
  vote[12] = kGamma;
  ASSERT_EQ(guild->PostVoteOffer(vote), 1);
  Yes();
  EXPECT_EQ(Click(100, 80), 1);
  EXPECT_EQ(LastBody(403, 12), (std::vector<std::uint8_t>{1, kLocal & 7, kGamma, 0}));
  EXPECT_EQ(guild->FindVoteOffer(kGamma), nullptr);
}

// The buy dialog's amount arrows pressed `ups` times, then its OK, as the
// click on the first offer row opens it.
void BuyFromFirstOffer(plat::HeadlessBackend& backend, int ups) {
  const int upX = 27 + 157 + 5, upY = 96 + 65 + 5;
  for (int i = 0; i < ups; ++i) backend.Click(upX, upY, input::Button::Left, i == 0 ? 400 : 800);
  backend.Click(27 + 124 + 90, 96 + 247 + 37, input::Button::Left, 800);
}

TEST_F(TradeActions, BuyingTwentyFiveAtFourPerTenPaysEight) {
  PostMineralOffer(11, kDelta, 1, 25, {0, 0, 4, 6});
  ShowPage(1);
  ASSERT_EQ(Click(180, 15), 1);
  // The amount up three times (10, 20, all 25): the price is per ten, so
  // twenty are bought and the odd five stay on the board, as the server sells.
  BuyFromFirstOffer(*backend, 3);
  EXPECT_EQ(Click(100, 65), 1);
  EXPECT_EQ(LastBody(554, 16), (std::vector<std::uint8_t>{11, kDelta, 1, kLocal, kAlpha, 2, 20, 0}));
  EXPECT_EQ(Stock(kAlpha, 2), 25500u - 8u);
  EXPECT_EQ(g_gameData->GetLocalGuild()->GetMineralOffer(0)->terms[0], 5) << "the board shows the purchase at once";
  // Nothing can travel without propulsion: no arrival is recorded.
  EXPECT_EQ(g_gameData->solarDB.GetAsteroid(kAlpha)->GetEventCount(), 0);

  // With propulsion the arrival lists the twenty delivered, not the 25 asked.
  ResearchPropulsion();
  PostMineralOffer(11, kDelta, 1, 25, {0, 0, 4, 6});
  BuyFromFirstOffer(*backend, 3);
  EXPECT_EQ(Click(100, 65), 1);
  CGAsteroid* alpha = g_gameData->solarDB.GetAsteroid(kAlpha);
  ASSERT_EQ(alpha->GetEventCount(), 1);
  EXPECT_EQ(alpha->GetEventValue(0), 20u);
  EXPECT_EQ(g_gameData->GetLocalGuild()->GetMineralOffer(0)->terms[0], 5);
}

TEST_F(TradeActions, TheOddRestOfAnOfferBuysNothingAndCostsNothing) {
  PostMineralOffer(11, kDelta, 1, 5, {0, 0, 4, 6});
  ShowPage(1);
  ASSERT_EQ(Click(180, 15), 1);
  // One step up takes the whole five, which no price per ten pays for.
  BuyFromFirstOffer(*backend, 1);
  Ok();  // "Transaction cancelled. No payment specified."
  EXPECT_EQ(Click(100, 65), 1);
  EXPECT_TRUE(sent.empty());
  EXPECT_EQ(Stock(kAlpha, 2), 25500u);
  EXPECT_EQ(g_gameData->GetLocalGuild()->GetMineralOffer(0)->terms[0], 5);
  EXPECT_EQ(g_gameData->solarDB.GetAsteroid(kAlpha)->GetEventCount(), 0);
}

TEST_F(TradeActions, TheOwnShipOfferIsWithdrawnAndItsMineralsComeBackNextTurn) {
  std::uint8_t ship[kShipOfferPacketSize] = {};
  ship[10] = kLocal & 7;
  ship[12] = 0x21;
  ship[15] = 0x24;
  ship[16] = 4;
  ASSERT_EQ(g_gameData->GetLocalGuild()->PostShipOffer(ship), 1);
  ShowPage(1);
  ASSERT_EQ(Click(180, 15), 1);
  ASSERT_EQ(Click(490, 20), 1);
  Yes();
  Ok();  // "Minerals will be returned next turn"
  EXPECT_EQ(Click(100, 65), 1);
  EXPECT_EQ(LastBody(402, 16), (std::vector<std::uint8_t>{1, kLocal & 7, 0, 0, 0x21, 0, 0, 0x24}));
  EXPECT_EQ(g_gameData->GetLocalGuild()->shipOffers.count, 0u);
}

TEST_F(TradeActions, RenegadesAndBlockadedPoolsTradeNothing) {
  PostMineralOffer(11, kDelta, 0, 250, {0, 4, 0, 12});
  ShowPage(1);
  g_gameData->GetLocalChapter()->renegade = 1;
  ASSERT_EQ(Click(180, 15), 1);
  Ok();  // "Renegade chapters may not conduct trade"
  EXPECT_EQ(Click(100, 65), 0);
  g_gameData->GetLocalChapter()->renegade = 0;
  g_gameData->poolDB.SetBlockade(kAlpha, 1);
  Ok();  // "This local pool is currently blockaded..."
  EXPECT_EQ(Click(100, 65), 0);
  Ok();
  EXPECT_EQ(Click(495, 272), 1);  // SELL
  EXPECT_TRUE(sent.empty());
  EXPECT_EQ(Stock(kAlpha, 0), 999u);
}

}  // namespace
