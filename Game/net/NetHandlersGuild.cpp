// Packets 401 to 553 and 1506: chapters, guild votes, trade boards, pools,
// credits and chat.
#include <algorithm>

#include "Game/base/Packets.h"
#include "Game/model/GAsteroid.h"
#include "Game/model/GChapter.h"
#include "Game/model/GGameData.h"
#include "Game/model/GViewNotices.h"
#include "Game/net/NetHandlers.h"

namespace {

CGuild* GuildAt(const PacketContext& p, std::uint16_t guild) {
  return guild < kGuildCount ? p.game->guildList->GetGuild(guild) : nullptr;
}

// The votes are the other members' own: they are stored as they come and,
// unlike the local player's votes, not sent on to anyone.
bool GuildVotes(const PacketContext& p) {
  CGuild* guild = GuildAt(p, p.U16(8));
  if (guild == nullptr) return Refuse(p, "Guild outside the table");
  guild->SetVotes(p.bytes.data() + 10, p.bytes.data() + 18, p.U16(98));
  const int members = std::min<int>(p.game->chaptersPerGuild, kMaxChaptersPerGuild);
  for (int c = 0; c < members; ++c) {
    CGChapter* member = guild->GetChapter(static_cast<std::uint32_t>(c));
    if (member == nullptr) continue;
    if (const std::uint8_t choice = p.U8(90 + c); choice < members) {
      std::fill(std::begin(member->imperatorVotes), std::end(member->imperatorVotes), 0u);
      member->imperatorVotes[choice] = 1;
    }
    for (int s = 0; s < members; ++s) member->renegadeVotes[s] = p.U8(26 + 8 * c + s);
  }
  return true;
}

bool ShipOfferWithdrawn(const PacketContext& p) {
  CGuild* guild = GuildAt(p, p.U8(8));
  if (guild == nullptr) return Refuse(p, "Guild outside the table");
  guild->RemoveShipOffer(p.U32(12));
  return true;
}

bool VoteOfferWithdrawn(const PacketContext& p) {
  CGuild* guild = GuildAt(p, p.U8(8));
  if (guild == nullptr) return Refuse(p, "Guild outside the table");
  guild->RemoveVoteOffer(p.U8(10));
  return true;
}

CGChapter* ChapterOf(const PacketContext& p, std::uint16_t* number) {
  const std::uint16_t guild = p.U16(8), slot = p.U16(10);
  if (guild >= kGuildCount || slot >= kMaxChaptersPerGuild) return nullptr;
  *number = static_cast<std::uint16_t>(guild * 8 + slot);
  return p.game->guildList->GetChapter(*number);
}

bool ChapterStart(const PacketContext& p) {
  CGameData& g = *p.game;
  std::uint16_t number = 0;
  CGChapter* chapter = ChapterOf(p, &number);
  if (chapter == nullptr) return Refuse(p, "Chapter outside the table");
  const std::uint16_t home = p.U16(64);
  CGAsteroid* asteroid = g.solarDB.GetAsteroid(home);
  if (asteroid == nullptr) return Refuse(p, "Home asteroid outside the solar system");
  char name[53];
  if (number != g.localChapterId) chapter->SetName(p.Text(12, 52, name));
  chapter->SetHomeAsteroid(home);
  asteroid->SetOwner(number);
  if (number == g.localChapterId) g.poolDB.InitForNewGame();
  return true;
}

bool ChapterNameSet(const PacketContext& p) {
  std::uint16_t number = 0;
  CGChapter* chapter = ChapterOf(p, &number);
  if (chapter == nullptr) return Refuse(p, "Chapter outside the table");
  char name[53];
  if (number != p.game->localChapterId) chapter->SetName(p.Text(12, 52, name));
  return true;
}

bool ShipOfferPosted(const PacketContext& p) {
  CGuild* guild = GuildAt(p, p.U16(8));
  if (guild == nullptr) return Refuse(p, "Guild outside the table");
  return guild->PostShipOffer(p.bytes) != 0 || Refuse(p, "Short ship offer");
}

bool VoteOfferPosted(const PacketContext& p) {
  CGuild* guild = GuildAt(p, p.U16(8));
  if (guild == nullptr) return Refuse(p, "Guild outside the table");
  return guild->PostVoteOffer(p.bytes) != 0 || Refuse(p, "Short vote offer");
}

// The 20 trait bytes travel in the packet itself, from offset 8.
bool ChapterTraits(const PacketContext& p) {
  if (CGChapter* local = p.game->GetLocalChapter()) local->SetTraits(p.bytes.data() + 8);
  return true;
}

bool PoolState(const PacketContext& p) {
  const std::uint16_t asteroid = p.U16(8);
  if (asteroid >= kMaxAsteroids) return Refuse(p, "Asteroid outside the pool table");
  CGPoolDB& pools = p.game->poolDB;
  pools.SetStorageFacilities(asteroid, p.U8(10));
  pools.SetBlockade(asteroid, p.U32(12));
  const std::uint32_t minerals[4] = {p.U32(16), p.U32(20), p.U32(24), p.U32(28)};
  pools.SetMinerals(asteroid, minerals);
  return true;
}

bool Credits(const PacketContext& p) {
  if (CGChapter* local = p.game->GetLocalChapter()) local->credits = p.U32(8);
  return true;
}

bool MineralOfferPosted(const PacketContext& p) {
  const std::uint8_t seller = p.U8(8);
  CGuild* guild = seller < kMaxChapters ? GuildAt(p, seller >> 3) : nullptr;
  if (guild == nullptr) return Refuse(p, "Chapter outside the table");
  return guild->PostMineralOffer(p.bytes) != 0 || Refuse(p, "Short mineral offer");
}

bool MineralOfferWithdrawn(const PacketContext& p) {
  const std::uint8_t seller = p.U8(8);
  CGuild* guild = seller < kMaxChapters ? GuildAt(p, seller >> 3) : nullptr;
  if (guild == nullptr) return Refuse(p, "Chapter outside the table");
  guild->RemoveMineralOffer(seller, p.U8(9), p.U8(10));
  return true;
}

bool Chat(const PacketContext& p) {
  if (CGChapter* local = p.game->GetLocalChapter()) local->AddChatMessage(p.bytes);
  ViewNotices().ChatLight(1, 0);
  if (ViewNotices().InfoPanelShowsChat()) ViewNotices().InvalidateView();
  return true;
}

constexpr HandlerEntry kHandlers[] = {
    {PKT_GUILD_VOTES, 100, true, GuildVotes},
    {PKT_SHIP_OFFER_WITHDRAWN, 16, true, ShipOfferWithdrawn},
    {PKT_VOTE_OFFER_WITHDRAWN, 11, true, VoteOfferWithdrawn},
    {PKT_CHAPTER_START, 66, true, ChapterStart},
    {PKT_CHAPTER_NAME_SET, 12, true, ChapterNameSet},
    {PKT_SHIP_OFFER_POSTED, kShipOfferPacketSize, true, ShipOfferPosted},
    {PKT_VOTE_OFFER_POSTED, kVoteOfferPacketSize, true, VoteOfferPosted},
    {PKT_CHAPTER_TRAITS, 28, true, ChapterTraits},
    {PKT_POOL_STATE, 32, true, PoolState},
    {PKT_CREDITS, 12, true, Credits},
    {PKT_MINERAL_OFFER_POSTED, kMineralOfferPacketSize, true, MineralOfferPosted},
    {PKT_MINERAL_OFFER_WITHDRAWN, 11, true, MineralOfferWithdrawn},
    {PKT_CHAT, 16, true, Chat},
};

}  // namespace

std::span<const HandlerEntry> GuildHandlers() { return kHandlers; }
