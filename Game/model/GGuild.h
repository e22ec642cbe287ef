#pragma once
// The five guilds: each holds its member chapters, the renegade votes and
// votes held of each member, the guild's total votes, the interregnum state
// and three trade boards (minerals, asteroid votes, ships). CGuildList finds
// any chapter by its chapter number. Guild names and colours stand here too.
//
// Game thread only.

#include <cstdint>
#include <memory>
#include <span>

#include "Game/arrayman/ArrayMan.h"
#include "Game/base/GBlockStream.h"
#include "Game/model/GChapter.h"
#include "Game/model/GWorldTypes.h"
#include "platform/core/files.h"

constexpr std::uint8_t kGuildVersion = 1;
constexpr std::uint8_t kGuildEndByte = 0xCF;
constexpr std::uint8_t kNoStamp = 0xFF;

struct MineralOffer {
  std::uint8_t seller = 0;  // chapter number
  std::uint8_t asteroid = 0;
  std::uint8_t mineral = 0;
  std::uint16_t terms[5] = {};
};

struct VoteOffer {
  std::uint8_t sellerSlot = 0;
  std::uint8_t asteroid = 0;
  std::uint32_t terms[4] = {};
};

struct ShipOffer {
  std::uint8_t sellerSlot = 0;
  std::uint32_t unitId = 0;
  std::uint32_t firstTerm = 0;  // saved as its low byte
  std::uint32_t terms[4] = {};
};

using MineralOfferArray = ArrayMan<MineralOffer>;
using VoteOfferArray = ArrayMan<VoteOffer>;
using ShipOfferArray = ArrayMan<ShipOffer>;

// Smallest post packets the boards read (552, 461, 460), the guild-votes
// packet's tables, and the interregnum packet (17).
constexpr std::size_t kMineralOfferPacketSize = 22;
constexpr std::size_t kVoteOfferPacketSize = 32;
constexpr std::size_t kShipOfferPacketSize = 36;

class CGuild {
 public:
  // Empty boards; one new chapter per member slot with 0 renegade votes and 1
  // vote held; total votes = chapters per guild (1..8).
  CGuild(std::uint32_t index, std::uint8_t chaptersPerGuild);
  ~CGuild();
  CGuild(const CGuild&) = delete;
  CGuild& operator=(const CGuild&) = delete;

  // The member, or null when slot >= chapters per guild.
  CGChapter* GetChapter(std::uint32_t slot) const;
  std::uint8_t GetChaptersPerGuild() const { return memberCount; }

  // Copies the given tables (chapters-per-guild bytes each) and the total,
  // then sets every member's renegade flag from IsRenegade (packet 401).
  void SetVotes(const std::uint8_t* renegadeTable, const std::uint8_t* heldTable, std::uint16_t total);
  // 1 when the votes against the member are more than half the total.
  int IsRenegade(std::uint32_t slot) const;
  // The guild's votes behind the member as imperator: the votes each member
  // holds, counted for the member it backs. The tally the server sends holds
  // only what each member holds, which says nothing of whom it backs.
  std::uint32_t ImperatorVotesFor(std::uint32_t slot) const;
  // Packet 17 (leader at 10, camps from 12; an empty span: the member
  // holding most votes leads). A packet too short for its members' bytes is
  // taken as no packet.
  void BeginInterregnum(std::span<const std::uint8_t> packet);
  void ClearRenegades();

  // Trade boards. The post operations take the whole packet and ignore one
  // shorter than its fields (0); else 1.
  int PostMineralOffer(std::span<const std::uint8_t> packet);
  int PostVoteOffer(std::span<const std::uint8_t> packet);
  int PostShipOffer(std::span<const std::uint8_t> packet);
  MineralOffer* GetMineralOffer(std::uint32_t i) const;
  VoteOffer* GetVoteOffer(std::uint32_t i) const;
  ShipOffer* GetShipOffer(std::uint32_t i) const;
  MineralOffer* FindMineralOffer(std::uint8_t seller, std::uint8_t asteroid, std::uint8_t mineral) const;
  VoteOffer* FindVoteOffer(std::uint8_t asteroid) const;
  ShipOffer* FindShipOffer(std::uint32_t unitId) const;
  int RemoveMineralOffer(std::uint8_t seller, std::uint8_t asteroid, std::uint8_t mineral);
  int RemoveVoteOffer(std::uint8_t asteroid);
  int RemoveShipOffer(std::uint32_t unitId);

  // Exchanges everything but the object's address with another guild (so
  // pointers to it stay valid across a load).
  void SwapContents(CGuild& other) noexcept;

  // Version 1, votes, boards, total, interregnum, members, 0xCF. Load leaves
  // the guild as it was unless the whole block reads.
  int Save(plat::FILE* fp);
  int Load(plat::FILE* fp);
  bool Save(BlockWriter& w) const;
  LoadStatus Load(BlockReader& r);
  // The block read straight into this guild and its chapters (their boards
  // and lists emptied first), which a block that fails leaves part-read: for
  // a guild list's fresh copy, or a load where what was read stays.
  LoadStatus ReadInto(BlockReader& r);

  std::uint32_t index = 0;
  MineralOfferArray mineralOffers;
  VoteOfferArray voteOffers;
  ShipOfferArray shipOffers;
  std::uint8_t renegadeVotes[kMaxChaptersPerGuild] = {};
  std::uint8_t votesHeld[kMaxChaptersPerGuild] = {};
  std::uint16_t totalVotes = 0;
  std::uint32_t interregnum = 0;
  std::uint8_t interregnumLeader = 0xFF;
  std::uint8_t mineralStamp = kNoStamp;
  std::uint8_t voteStamp = kNoStamp;
  std::uint8_t shipStamp = kNoStamp;
  CGChapter* members[kMaxChaptersPerGuild] = {};

 private:
  void Notice(std::uint8_t* stamp, std::uint16_t code);
  void FreeBoards();

  std::uint8_t memberCount = 0;
};

class CGuildList {
 public:
  explicit CGuildList(std::uint8_t chaptersPerGuild);
  ~CGuildList();
  CGuildList(const CGuildList&) = delete;
  CGuildList& operator=(const CGuildList&) = delete;

  CGuild* GetGuild(std::uint32_t i) const { return i < kGuildCount ? guilds[i] : nullptr; }
  // Guild number >> 3, slot number & 7; null for 40 and above or a slot
  // beyond the chapters per guild.
  CGChapter* GetChapter(std::uint32_t chapter) const;

  // Guilds 0..4 in order, stopping with 0 at the first failure. Load leaves
  // every guild as it was unless all five read.
  int Save(plat::FILE* fp);
  int Load(plat::FILE* fp);
  bool Save(BlockWriter& w) const;
  LoadStatus Load(BlockReader& r);
  // The guilds' blocks read straight into the guilds, which a block that
  // fails leaves part-read (the game root's load, where what was read stays).
  LoadStatus ReadInto(BlockReader& r);

  CGuild* guilds[kGuildCount] = {};
};

// The guild's name (text "GUILD0%02d") copied to out (at least 50 bytes).
void GetGuildName(std::uint32_t guild, char* out);
// Colours (COLORREF, red in the low byte) by guild; another guild: the
// "other" column.
void GetColorPair(std::uint32_t guild, std::uint32_t* dark, std::uint32_t* light);
std::uint32_t GetMediumColor(std::uint32_t guild);
std::uint32_t GetBrightColor(std::uint32_t guild);
std::uint32_t GetDarkColor(std::uint32_t guild);
std::uint32_t GetFullColor(std::uint32_t guild);
std::uint32_t GetPaleColor(std::uint32_t guild);
