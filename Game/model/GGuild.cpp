#include "Game/model/GGuild.h"

#include <algorithm>
#include <cstddef>
#include <cstdio>

#include "Game/model/GNotifyCodes.h"
#include "Game/model/GWorldArrays.h"
#include "Game/model/GameWorld.h"
#include "Game/rules/GRulesFacts.h"

namespace {

constexpr std::uint32_t kMaxOffers = 0xFFFF;

template <class T>
T Field(std::span<const std::uint8_t> p, std::size_t offset) {
  T v{};
  plat::ByteReader(p).ReadAt(offset, v);
  return v;
}

template <class T, class Match>
T* FindFirst(const ArrayMan<T>& list, Match match) {
  for (std::uint16_t i = 0; i < list.count; ++i)
    if (match(*list.items[i])) return list.items[i];
  return nullptr;
}

template <class T, class Match>
int RemoveFirst(ArrayMan<T>& list, Match match) {
  for (std::uint16_t i = 0; i < list.count; ++i)
    if (match(*list.items[i])) {
      delete list.RemoveAt(i);
      return 1;
    }
  return 0;
}

// The record under the key, or a new one appended for it; null when the
// board is full.
template <class T, class Match>
T* FindOrAppend(ArrayMan<T>& list, Match match) {
  if (T* found = FindFirst(list, match)) return found;
  auto* fresh = new T{};
  return AppendOwned(list, fresh) ? fresh : nullptr;
}

// Reads `count` records with `read` into `list`; the status of the first failure.
template <class T, class Read>
LoadStatus ReadBoard(BlockReader& r, ArrayMan<T>& list, Read read) {
  const std::uint32_t n = r.U32();
  if (!r.Ok()) return LoadStatus::kTruncated;
  if (n > kMaxOffers) return LoadStatus::kBadCount;
  for (std::uint32_t i = 0; i < n; ++i) {
    auto record = std::make_unique<T>();
    read(*record);
    if (!r.Ok()) return LoadStatus::kTruncated;
    AppendOwned(list, record.release());
  }
  return LoadStatus::kOk;
}

}  // namespace

CGuild::CGuild(std::uint32_t guildIndex, std::uint8_t chaptersPerGuild)
    : index(guildIndex), memberCount(std::min<std::uint8_t>(chaptersPerGuild, kMaxChaptersPerGuild)) {
  for (std::uint8_t i = 0; i < memberCount; ++i) {
    members[i] = new CGChapter(i, static_cast<std::uint8_t>(guildIndex));
    votesHeld[i] = 1;
  }
  totalVotes = memberCount;
}

CGuild::~CGuild() {
  FreeBoards();
  for (CGChapter*& c : members) {
    delete c;
    c = nullptr;
  }
}

void CGuild::FreeBoards() {
  DeleteAllElements(mineralOffers);
  DeleteAllElements(voteOffers);
  DeleteAllElements(shipOffers);
}

CGChapter* CGuild::GetChapter(std::uint32_t slot) const { return slot < memberCount ? members[slot] : nullptr; }

void CGuild::SetVotes(const std::uint8_t* renegadeTable, const std::uint8_t* heldTable, std::uint16_t total) {
  if (renegadeTable != nullptr) std::copy_n(renegadeTable, memberCount, renegadeVotes);
  if (heldTable != nullptr) std::copy_n(heldTable, memberCount, votesHeld);
  totalVotes = total;
  for (std::uint8_t i = 0; i < memberCount; ++i) members[i]->SetRenegade(static_cast<std::uint32_t>(IsRenegade(i)));
}

int CGuild::IsRenegade(std::uint32_t slot) const {
  if (slot >= kMaxChaptersPerGuild) return 0;
  return renegadeVotes[slot] > totalVotes * 0.5 ? 1 : 0;
}

std::uint32_t CGuild::ImperatorVotesFor(std::uint32_t slot) const {
  if (slot >= memberCount) return 0;
  std::uint32_t votes = 0;
  for (std::uint8_t voter = 0; voter < memberCount; ++voter) {
    // A member backs one candidate; the first vote set is the one it cast.
    const std::uint32_t* choice = members[voter]->imperatorVotes;
    const auto backed = std::find_if(choice, choice + memberCount, [](std::uint32_t v) { return v != 0; });
    if (backed - choice == static_cast<std::ptrdiff_t>(slot)) votes += votesHeld[voter];
  }
  return votes;
}

void CGuild::BeginInterregnum(std::span<const std::uint8_t> packet) {
  interregnum = 1;
  if (packet.size() >= std::size_t{12} + memberCount) {
    interregnumLeader = packet[10];
    for (std::uint8_t i = 0; i < memberCount; ++i) members[i]->camp = packet[12 + i] == 0 ? 1 : 0;
  } else {
    int leader = -1;
    for (std::uint8_t i = 0; i < memberCount; ++i)
      if (votesHeld[i] >= 1 && (leader < 0 || votesHeld[i] > votesHeld[leader])) leader = i;
    if (leader < 0) {
      interregnumLeader = 0xFF;
      return;
    }
    interregnumLeader = static_cast<std::uint8_t>(leader);
    for (std::uint8_t i = 0; i < memberCount; ++i) members[i]->camp = members[i]->imperatorVotes[leader] == 0 ? 1 : 0;
  }
  for (std::uint8_t i = 0; i < memberCount; ++i) members[i]->SetRenegade(0);
}

void CGuild::ClearRenegades() {
  interregnum = 0;
  for (std::uint8_t i = 0; i < memberCount; ++i) {
    if (members[i]->camp == 0) continue;
    members[i]->camp = 0;
    members[i]->SetRenegade(0);
  }
}

void CGuild::Notice(std::uint8_t* stamp, std::uint16_t code) {
  const auto s = static_cast<std::uint8_t>(RulesFacts().CurrentTurn() % 255);
  if (s == *stamp) return;
  *stamp = s;
  World().Notify(RulesFacts().LocalChapterId(), notify::kTradeEvent, code, nullptr, nullptr, 0, 0, 0);
}

int CGuild::PostMineralOffer(std::span<const std::uint8_t> p) {
  if (p.size() < kMineralOfferPacketSize) return 0;
  const std::uint8_t seller = p[8], asteroid = p[9], mineral = p[10];
  MineralOffer* o = FindOrAppend(mineralOffers, [&](const MineralOffer& m) {
    return m.seller == seller && m.asteroid == asteroid && m.mineral == mineral;
  });
  if (o == nullptr) return 0;
  o->seller = seller;
  o->asteroid = asteroid;
  o->mineral = mineral;
  for (int i = 0; i < 5; ++i) o->terms[i] = Field<std::uint16_t>(p, 12 + 2 * i);
  if (seller != RulesFacts().LocalChapterId()) Notice(&mineralStamp, notify::kMineralOffersPosted);
  return 1;
}

int CGuild::PostVoteOffer(std::span<const std::uint8_t> p) {
  if (p.size() < kVoteOfferPacketSize) return 0;
  const std::uint8_t asteroid = p[12];
  VoteOffer* o = FindOrAppend(voteOffers, [&](const VoteOffer& v) { return v.asteroid == asteroid; });
  if (o == nullptr) return 0;
  o->sellerSlot = p[10];
  o->asteroid = asteroid;
  for (int i = 0; i < 4; ++i) o->terms[i] = Field<std::uint32_t>(p, 16 + 4 * i);
  if (o->sellerSlot != (RulesFacts().LocalChapterId() & 7)) Notice(&voteStamp, notify::kVoteOffersPosted);
  return 1;
}

int CGuild::PostShipOffer(std::span<const std::uint8_t> p) {
  if (p.size() < kShipOfferPacketSize) return 0;
  const auto unit = Field<std::uint32_t>(p, 12);
  ShipOffer* o = FindOrAppend(shipOffers, [&](const ShipOffer& s) { return s.unitId == unit; });
  if (o == nullptr) return 0;
  o->sellerSlot = p[10];
  o->unitId = unit;
  o->firstTerm = Field<std::uint32_t>(p, 16);
  for (int i = 0; i < 4; ++i) o->terms[i] = Field<std::uint32_t>(p, 20 + 4 * i);
  if (o->sellerSlot != (RulesFacts().LocalChapterId() & 7)) Notice(&shipStamp, notify::kShipOffersPosted);
  return 1;
}

MineralOffer* CGuild::GetMineralOffer(std::uint32_t i) const {
  return i < mineralOffers.count ? mineralOffers.items[i] : nullptr;
}
VoteOffer* CGuild::GetVoteOffer(std::uint32_t i) const { return i < voteOffers.count ? voteOffers.items[i] : nullptr; }
ShipOffer* CGuild::GetShipOffer(std::uint32_t i) const { return i < shipOffers.count ? shipOffers.items[i] : nullptr; }

MineralOffer* CGuild::FindMineralOffer(std::uint8_t seller, std::uint8_t asteroid, std::uint8_t mineral) const {
  return FindFirst(mineralOffers, [&](const MineralOffer& m) {
    return m.seller == seller && m.asteroid == asteroid && m.mineral == mineral;
  });
}

VoteOffer* CGuild::FindVoteOffer(std::uint8_t asteroid) const {
  return FindFirst(voteOffers, [&](const VoteOffer& v) { return v.asteroid == asteroid; });
}

ShipOffer* CGuild::FindShipOffer(std::uint32_t unitId) const {
  return FindFirst(shipOffers, [&](const ShipOffer& s) { return s.unitId == unitId; });
}

int CGuild::RemoveMineralOffer(std::uint8_t seller, std::uint8_t asteroid, std::uint8_t mineral) {
  return RemoveFirst(mineralOffers, [&](const MineralOffer& m) {
    return m.seller == seller && m.asteroid == asteroid && m.mineral == mineral;
  });
}

int CGuild::RemoveVoteOffer(std::uint8_t asteroid) {
  return RemoveFirst(voteOffers, [&](const VoteOffer& v) { return v.asteroid == asteroid; });
}

int CGuild::RemoveShipOffer(std::uint32_t unitId) {
  return RemoveFirst(shipOffers, [&](const ShipOffer& s) { return s.unitId == unitId; });
}

int CGuild::Save(plat::FILE* fp) {
  BlockWriter w(fp);
  return Save(w) ? 1 : 0;
}

int CGuild::Load(plat::FILE* fp) {
  BlockReader r(fp);
  return LoadResult(Load(r));
}

bool CGuild::Save(BlockWriter& w) const {
  w.U8(kGuildVersion);
  for (int i = 0; i < kMaxChaptersPerGuild; ++i) {
    w.U8(renegadeVotes[i]);
    w.U8(votesHeld[i]);
  }
  w.U32(mineralOffers.count);
  for (std::uint16_t i = 0; i < mineralOffers.count; ++i) {
    const MineralOffer& o = *mineralOffers.items[i];
    w.U8(o.seller);
    w.U8(o.asteroid);
    w.U8(o.mineral);
    for (std::uint16_t t : o.terms) w.U16(t);
  }
  w.U32(voteOffers.count);
  for (std::uint16_t i = 0; i < voteOffers.count; ++i) {
    const VoteOffer& o = *voteOffers.items[i];
    w.U8(o.sellerSlot);
    w.U8(o.asteroid);
    for (std::uint32_t t : o.terms) w.U32(t);
  }
  w.U32(shipOffers.count);
  for (std::uint16_t i = 0; i < shipOffers.count; ++i) {
    const ShipOffer& o = *shipOffers.items[i];
    w.U8(o.sellerSlot);
    w.U32(o.unitId);
    w.U8(static_cast<std::uint8_t>(o.firstTerm));
    for (std::uint32_t t : o.terms) w.U32(t);
  }
  w.U16(totalVotes);
  w.U32(interregnum);
  for (std::uint8_t i = 0; i < memberCount; ++i) members[i]->Save(w);
  w.U8(kGuildEndByte);
  return w.Ok();
}

LoadStatus CGuild::Load(BlockReader& r) {
  CGuild g(index, memberCount);
  const LoadStatus s = g.ReadInto(r);
  if (s == LoadStatus::kOk) SwapContents(g);
  return s;
}

LoadStatus CGuild::ReadInto(BlockReader& r) {
  const std::uint8_t version = r.U8();
  if (!r.Ok()) return LoadStatus::kTruncated;
  if (version > kGuildVersion) return LoadStatus::kBadVersion;
  FreeBoards();
  for (int i = 0; i < kMaxChaptersPerGuild; ++i) {
    r.Read(renegadeVotes[i]);
    r.Read(votesHeld[i]);
  }
  LoadStatus s = ReadBoard(r, mineralOffers, [&r](MineralOffer& o) {
    r.Read(o.seller);
    r.Read(o.asteroid);
    r.Read(o.mineral);
    for (std::uint16_t& t : o.terms) r.Read(t);
  });
  if (s == LoadStatus::kOk)
    s = ReadBoard(r, voteOffers, [&r](VoteOffer& o) {
      r.Read(o.sellerSlot);
      r.Read(o.asteroid);
      for (std::uint32_t& t : o.terms) r.Read(t);
    });
  if (s == LoadStatus::kOk)
    s = ReadBoard(r, shipOffers, [&r](ShipOffer& o) {
      r.Read(o.sellerSlot);
      r.Read(o.unitId);
      o.firstTerm = r.U8();
      for (std::uint32_t& t : o.terms) r.Read(t);
    });
  if (s != LoadStatus::kOk) return s;
  r.Read(totalVotes);
  r.Read(interregnum);
  if (!r.Ok()) return LoadStatus::kTruncated;
  for (std::uint8_t i = 0; i < memberCount; ++i) {
    s = members[i]->ReadInto(r);
    if (s != LoadStatus::kOk) return s;
  }
  s = r.EndByte(kGuildEndByte);
  if (s != LoadStatus::kOk) return s;
  return LoadStatus::kOk;
}

void CGuild::SwapContents(CGuild& o) noexcept {
  std::swap(index, o.index);
  SwapArrays(mineralOffers, o.mineralOffers);
  SwapArrays(voteOffers, o.voteOffers);
  SwapArrays(shipOffers, o.shipOffers);
  std::swap(renegadeVotes, o.renegadeVotes);
  std::swap(votesHeld, o.votesHeld);
  std::swap(totalVotes, o.totalVotes);
  std::swap(interregnum, o.interregnum);
  const std::uint8_t shared = std::min(memberCount, o.memberCount);
  for (std::uint8_t i = 0; i < shared; ++i) members[i]->SwapContents(*o.members[i]);
}

CGuildList::CGuildList(std::uint8_t chaptersPerGuild) {
  for (int i = 0; i < kGuildCount; ++i) guilds[i] = new CGuild(static_cast<std::uint32_t>(i), chaptersPerGuild);
}

CGuildList::~CGuildList() {
  for (CGuild*& g : guilds) {
    delete g;
    g = nullptr;
  }
}

CGChapter* CGuildList::GetChapter(std::uint32_t chapter) const {
  if (chapter >= kMaxChapters) return nullptr;
  return guilds[chapter >> 3]->GetChapter(chapter & 7);
}

int CGuildList::Save(plat::FILE* fp) {
  BlockWriter w(fp);
  return Save(w) ? 1 : 0;
}

int CGuildList::Load(plat::FILE* fp) {
  BlockReader r(fp);
  return LoadResult(Load(r));
}

bool CGuildList::Save(BlockWriter& w) const {
  for (const CGuild* g : guilds)
    if (!g->Save(w)) return false;
  return true;
}

LoadStatus CGuildList::Load(BlockReader& r) {
  CGuildList fresh(guilds[0]->GetChaptersPerGuild());
  for (int i = 0; i < kGuildCount; ++i) {
    const LoadStatus s = fresh.guilds[i]->ReadInto(r);
    if (s != LoadStatus::kOk) return s;
  }
  for (int i = 0; i < kGuildCount; ++i) guilds[i]->SwapContents(*fresh.guilds[i]);
  return LoadStatus::kOk;
}

LoadStatus CGuildList::ReadInto(BlockReader& r) {
  for (CGuild* g : guilds) {
    const LoadStatus s = g->ReadInto(r);
    if (s != LoadStatus::kOk) return s;
  }
  return LoadStatus::kOk;
}

void GetGuildName(std::uint32_t guild, char* out) {
  char id[16];
  std::snprintf(id, sizeof id, "GUILD0%02u", guild);
  FetchRulesText(id, out, 50);
}

namespace {

struct GuildColors {
  std::uint32_t pairDark, pairLight, medium, bright, dark, full, pale;
};
constexpr GuildColors kColors[kGuildCount] = {
    {0x000080, 0x9696FF, 0x6464C8, 0x3232DC, 0x000080, 0x3232FF, 0xBEBEFF},
    {0x008000, 0x96FF96, 0x64C864, 0x3CDC3C, 0x008000, 0x3CFF3C, 0xBEFFBE},
    {0x800000, 0xFF9696, 0xC8501E, 0xDC6428, 0xA01E1E, 0xFF6428, 0xFFD7D7},
    {0x008080, 0x96FFFF, 0x2882B4, 0x32DCDC, 0x008080, 0x32FFFF, 0xBEFFFF},
    {0x800080, 0xFF96FF, 0x962896, 0xDC28DC, 0x800080, 0xFF28FF, 0xFFBEFF},
};
constexpr GuildColors kOtherColors = {0xFFFFFF, 0x000000, 0xFFFFFF, 0xFFFFFF, 0xFFFFFF, 0xFFFFFF, 0xFFFFFF};

const GuildColors& ColorsOf(std::uint32_t guild) { return guild < kGuildCount ? kColors[guild] : kOtherColors; }

}  // namespace

void GetColorPair(std::uint32_t guild, std::uint32_t* dark, std::uint32_t* light) {
  *dark = ColorsOf(guild).pairDark;
  *light = ColorsOf(guild).pairLight;
}
std::uint32_t GetMediumColor(std::uint32_t guild) { return ColorsOf(guild).medium; }
std::uint32_t GetBrightColor(std::uint32_t guild) { return ColorsOf(guild).bright; }
std::uint32_t GetDarkColor(std::uint32_t guild) { return ColorsOf(guild).dark; }
std::uint32_t GetFullColor(std::uint32_t guild) { return ColorsOf(guild).full; }
std::uint32_t GetPaleColor(std::uint32_t guild) { return ColorsOf(guild).pale; }
