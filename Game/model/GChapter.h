#pragma once
// One player of the game, human or computer: a member of a guild with a name,
// home asteroid, credits, traits, votes in guild politics, fifty turns of
// statistics, ATV technology, chat messages, notes and standing mineral
// auto-transfers. The guild creates its chapters and saves them; everyone
// else reaches a chapter through CGuildList::GetChapter.
//
// Game thread only.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>

#include "Game/arrayman/ArrayMan.h"
#include "Game/arrayman/SizedBlocks.h"
#include "Game/base/GBlockStream.h"
#include "Game/model/GNameText.h"
#include "Game/model/GWorldTypes.h"
#include "platform/core/files.h"

constexpr std::uint8_t kChapterVersion = 2;
constexpr int kTraitCount = 20;
constexpr int kStatRows = 50;
constexpr int kStatFields = 10;
constexpr int kAtvTechValues = 6;
constexpr int kMaxChatMessages = 20;
constexpr int kAtvTechLevels = 4;
// Longest chat message or note text kept, with its zero.
constexpr std::uint32_t kMaxChapterText = 0xFFFF;

// A chat message's or note's text, ending in its zero. Short texts come from
// pooled blocks (SizedBlocks.h): a saved game brings hundreds of them.
using ChapterText = std::unique_ptr<char[], SizedBlockDeleter>;
// Trait whose percentage raises mining output.
constexpr int kMiningTrait = 13;

// Mined metals, silicates, exotics, reactives; the four pool values; power
// output; credits.
struct ChapterTurnStats {
  std::uint32_t values[kStatFields] = {};
};

struct ChatMessage {
  std::uint8_t sender = 0;
  std::uint8_t recipient = 0;  // 255 all, 254 guild, else a chapter number
  std::uint32_t intercepted = 0;
  ChapterText text;
  // Made from blocks of many, as units are (GSlotPool.cpp): a saved game
  // brings hundreds of them.
  static void* operator new(std::size_t size);
  static void operator delete(void* p, std::size_t size) noexcept;
};

struct PlayerNote {
  std::uint32_t turn = 0;
  ChapterText text;
  // Made from blocks of many, as units are (GSlotPool.cpp): a saved game
  // brings hundreds of them.
  static void* operator new(std::size_t size);
  static void operator delete(void* p, std::size_t size) noexcept;
};

struct AutoTransfer {
  std::uint8_t source = 0;
  std::uint8_t destination = 0;
  std::uint8_t mineral = 0;
  std::uint16_t amount = 0;
  std::uint16_t transitTurns = 0;
  // Made from blocks of many, as units are (GSlotPool.cpp): a saved game
  // brings hundreds of them.
  static void* operator new(std::size_t size);
  static void operator delete(void* p, std::size_t size) noexcept;
};

struct AtvTech {
  std::uint8_t level = 0;
  std::uint8_t values[kAtvTechValues] = {};
};

class CGChapter {
 public:
  // Traits and difficulty from the application's game settings (else 0), an
  // imperator vote for its own slot, ATV technology at level 0.
  CGChapter(std::uint8_t slot, std::uint8_t guild);
  virtual ~CGChapter();
  CGChapter(const CGChapter&) = delete;
  CGChapter& operator=(const CGChapter&) = delete;

  // The chapter's block (version 2, ending in 0xFE). Load takes versions 1
  // and 2 and leaves the chapter as it was unless the whole block reads.
  virtual int Save(plat::FILE* fp);
  virtual int Load(plat::FILE* fp);
  bool Save(BlockWriter& w) const;
  LoadStatus Load(BlockReader& r);
  // The block read straight into this chapter (its lists emptied first),
  // which a block that fails leaves part-read: for a guild's fresh copy, or a
  // load where what was read stays.
  LoadStatus ReadInto(BlockReader& r);

  void SetName(const char* text);
  const char* GetName() const { return name.get(); }
  // 0xFFFF: the asteroid numbered as the chapter. Becomes its owner and
  // controller; returns the asteroid.
  std::uint16_t SetHomeAsteroid(std::uint16_t asteroid);
  void SetStateFlag(std::uint32_t flag) { stateFlag = flag; }
  std::uint8_t GetChapterNumber() const { return static_cast<std::uint8_t>(guild * 8 + slot); }
  // 1 when the flag changed.
  int SetRenegade(std::uint32_t flag);
  std::uint32_t AllocateId() { return nextObjectId++; }
  int CountControlledAsteroids() const;
  void SetTraits(const std::uint8_t* values);
  std::uint8_t GetTrait(int i) const { return i >= 0 && i < kTraitCount ? traits[i] : 0; }
  int CanSelfDestruct() const { return 1; }
  std::uint16_t GetOwnedAsteroidCount() const { return ownedAsteroids; }
  void IncOwnedAsteroidCount() { ++ownedAsteroids; }
  // Never below 0.
  void DecOwnedAsteroidCount();
  void GetTurnStatistics(int row, std::uint32_t out[kStatFields]) const;
  // The 6 values of ATV type 0..3; null for another type.
  const std::uint8_t* GetATVTechStats(int type) const;

  // Votes; each change is sent to all players (455, 456).
  void SetRenegadeVote(int targetSlot, std::uint16_t value);
  void ToggleRenegadeVote(int targetSlot);
  void VoteForImperator(int targetSlot);

  // Type 0..3, or 255 for all four; the values from the game variables'
  // ATV_TECH_LEVELS of (guild, level, type). Another type changes nothing.
  void SetATVTechLevels(std::uint8_t type, std::uint8_t level);
  void UpgradeATVTechLevel(std::uint8_t type);

  // A chat packet: sender at 8, recipient at 9, intercepted u32 at 12, text
  // from 16 to its zero or the packet's end. 0 (nothing kept) for a packet
  // shorter than 16 bytes. The 21st message drops the oldest.
  int AddChatMessage(std::span<const std::uint8_t> packet);
  // Each letter or digit becomes '*' with a probability drawn once (rand).
  static void GarbleInterceptedText(char* text);
  const ChatMessage* GetChatMessage(int i) const;
  void DeleteChatMessage(int i);
  void AddNote(const char* text);
  const PlayerNote* GetNote(int i) const;
  void DeleteNote(int i);

  // Row turn mod 50: mining, pools, power of every asteroid, then credits.
  void RecordTurnStatistics();

  // Replaces any transfer of the same (source, mineral).
  void SetAutoTransfer(std::uint8_t source, std::uint8_t destination, std::uint8_t mineral, std::uint16_t amount);
  int CancelAutoTransfer(std::uint8_t source, std::uint8_t mineral);
  AutoTransfer* FindAutoTransfer(std::uint8_t source, std::uint8_t mineral) const;
  int HasAutoTransfer(std::uint8_t source, std::uint8_t mineral) const;
  // Turns a transfer takes with the local guild's best propulsion: 0 between
  // equal asteroids; -1 when it cannot move (no propulsion module, a module
  // without thrust, an unknown asteroid).
  static int ComputeTransferTurns(std::uint8_t source, std::uint8_t destination);
  // Packet 555 per transfer; then the previous renegade flag and camp copies.
  void SendAutoTransfers();

  // Exchanges everything but the object's address with another chapter (so
  // pointers to it stay valid across a load).
  void SwapContents(CGChapter& other) noexcept;

  // 1 when `otherGuild` is this guild and neither chapter is a renegade and
  // both are in the same camp.
  int IsAlliedWith(std::uint8_t otherGuild, std::uint16_t otherSlot) const;

  std::uint32_t nextObjectId = 0;
  std::uint8_t slot = 0;
  std::uint8_t guild = 0;
  NameText name;
  std::uint16_t homeAsteroid = 0xFFFF;
  std::uint16_t ownedAsteroids = 0;
  std::uint8_t traits[kTraitCount] = {};
  std::uint8_t difficulty = 0;
  std::uint32_t stateFlag = 1;
  std::uint32_t renegade = 0;
  std::uint32_t previousRenegade = 0;
  std::uint32_t camp = 0;
  std::uint32_t previousCamp = 0;
  std::uint32_t credits = 0;
  std::uint32_t renegadeVotes[kMaxChaptersPerGuild] = {};
  std::uint32_t imperatorVotes[kMaxChaptersPerGuild] = {};
  ChapterTurnStats statistics[kStatRows];
  AtvTech atvTech[kAtvKinds];
  ArrayMan<ChatMessage> chatMessages;
  ArrayMan<PlayerNote> notes;
  ArrayMan<AutoTransfer> autoTransfers;

 private:
  void FreeLists();
};
