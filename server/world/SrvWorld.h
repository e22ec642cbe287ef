#pragma once
// The server's game world: the solar system (the model's own CGSolarDB, so
// that the orbits the server advances are the ones every client predicts),
// the chapters through the model's guild list, the resource mix of the
// composition types and each chapter's starting pool.
//
// The model finds its databases through process-wide links: a world installs
// itself there while it lives, so a process holds one world at a time.
// One thread only.

#include <array>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <span>
#include <string>

#include <vector>

#include "Game/model/GGamePieceDB.h"
#include "Game/model/GGuild.h"
#include "Game/model/GNotify.h"
#include "Game/model/GPoolDB.h"
#include "Game/model/GSolarSys.h"
#include "Game/model/GWorldTypes.h"
#include "Game/model/GameWorld.h"
#include "Game/rules/GHullDB.h"
#include "Game/rules/GModuleDB.h"
#include "Game/rules/GTemplateDB.h"
#include "server/world/SrvSetup.h"
#include "server/world/SrvTraits.h"

// Gives asteroid name n (from 1), or nothing past the names file's end.
using SrvAsteroidNames = std::function<std::optional<std::string>(unsigned n)>;

// The pool record of one asteroid as packet 550 carries it (the pool
// belongs to the asteroid's owner).
struct SrvPool {
  std::uint16_t asteroid = 0xFFFF;
  std::uint8_t storage = 0;
  std::uint32_t blockade = 0;
  std::uint32_t minerals[4] = {};
};

// The key of SrvWorld::atvOrigins: ATVs of `chapter` bound for a zone.
constexpr std::uint32_t SrvAtvOriginKey(std::uint16_t asteroid, std::uint16_t zone, std::uint8_t chapter) {
  return (std::uint32_t{asteroid} << 16) | (std::uint32_t{zone & 0xFFu} << 8) | chapter;
}

// A guild's research: per module index and per hull of the guild's hull
// section, the allocation in percent (0, 25, 50, 75, 100) its members set
// and the points gathered (10,000: researched); and per member slot the
// science-bonus points it gives each (SrvScienceBonus.h).
struct SrvGuildResearch {
  std::vector<std::uint16_t> modulePercent, modulePoints;
  std::vector<std::uint16_t> hullPercent, hullPoints;
  std::array<std::vector<std::uint16_t>, 8> moduleBonus, hullBonus;
};

// A chapter's transfer of minerals from one of its pools to another this
// turn (packet 555; a standing transfer comes again every turn); what leaves
// a pool arrives `transitTurns` later (SrvTransferInTransit).
struct SrvAutoTransfer {
  std::uint8_t chapter = 0;
  std::uint8_t source = 0;
  std::uint8_t destination = 0;
  std::uint8_t mineral = 0;
  std::uint16_t amount = 0;
  std::uint16_t transitTurns = 0;
};
// A shipment names its sender and source when a standing transfer sent it,
// so that the sender is told of its arrival; a purchase's (told as it is
// bought) names none.
constexpr std::uint8_t kSrvNoSender = 0xFF;
struct SrvTransferInTransit {
  std::uint8_t destination = 0;
  std::uint8_t mineral = 0;
  std::uint16_t amount = 0;
  std::uint32_t arrivalTurn = 0;
  std::uint8_t sender = kSrvNoSender;
  std::uint8_t source = 0;
};

// A chapter's bid for a ship on its guild's board, taken from its pool
// until the offer is settled (SrvShipTrade.h).
struct SrvShipBid {
  std::uint8_t bidder = 0;
  std::uint32_t unitId = 0;
  std::uint16_t pool = 0;
  std::uint32_t bid[4] = {};
  std::uint32_t Key() const { return unitId; }
};

// A chapter's bid for an asteroid's vote on its guild's board, taken from
// its pool until the offer is settled (SrvVoteTrade.h).
struct SrvVoteBid {
  std::uint8_t bidder = 0;
  std::uint8_t asteroid = 0;
  std::uint16_t pool = 0;
  std::uint32_t bid[4] = {};
  std::uint32_t Key() const { return asteroid; }
};
// An asteroid's vote sold by its controller: it counts for the buyer while
// the seller controls the asteroid.
struct SrvSoldVote {
  std::uint8_t asteroid = 0;
  std::uint8_t seller = 0;
  std::uint8_t buyer = 0;
};

// A chapter's request of the running turn about one of its asteroids
// (SrvAsteroidOrders.h): a unit refuelled there (126, `unitId` set), or the
// asteroid's pool distributed (405).
struct SrvAsteroidRequest {
  std::uint8_t chapter = 0;
  std::uint16_t asteroid = 0;
  std::uint32_t unitId = 0;
};

class SrvWorld {
 public:
  SrvWorld();
  ~SrvWorld();
  SrvWorld(const SrvWorld&) = delete;
  SrvWorld& operator=(const SrvWorld&) = delete;

  // Builds a new world from the set-up; the same set-up and seed always give
  // the same world. Names come from `names` (a missing one becomes
  // "Asteroid <n>"). Chapters of the set-up's guild size all take part, each
  // with a home asteroid of its own and its `traits`.
  void Generate(const SrvSetup& setup, std::uint32_t seed, const SrvAsteroidNames& names,
                const SrvChapterTraits& traits = {});
  // Takes a loaded game's guilds and counters (its solar system was loaded in place).
  void AdoptLoaded(std::unique_ptr<CGuildList> loaded, std::uint32_t loadedTurn, std::uint32_t loadedSeed,
                   std::uint8_t perGuild);
  // The end of a turn as every client performs it: stars, orbits, the turn.
  void AdvanceTurn();
  // Reads the rules ("hulls.dat", "modules.dat", and "gamevar.dat" into the
  // process's game variables when there is one) from the installation
  // folder, else from the current folder; false, with empty databases, when either cannot be read
  // (`fault`, when given, then names the file). A world without rules has no designs and no units.
  bool LoadRules(std::string* fault = nullptr);
  // The same from file images (tests, tools).
  bool UseRules(std::span<const std::uint8_t> hullsImage, std::span<const std::uint8_t> modulesImage);

  // A new unit of `chapter` from its design at `at`, with the chapter's next
  // id; null when the design or the place is not valid. The world owns it.
  CGUnit* CreateUnit(std::uint16_t chapter, CGUnitTemplate* design, const Location& at);
  // Calls visit(CGUnit&) for every unit: by chapter, then location, then its
  // place in the cell (operational ones first). `visit` adds and removes no unit.
  template <class F>
  void ForEachUnit(F&& visit) const {
    for (std::uint16_t c = 0; c < kMaxChapters; ++c)
      for (std::uint16_t at = 0; at <= CGSolarDB::GetAsteroidCount() && at < kPieceLocations; ++at)
        for (std::uint32_t k = 0, n = pieces->CountUnits(at, static_cast<std::int16_t>(c)); k < n; ++k)
          if (CGUnit* u = pieces->GetUnitAt(at, c, static_cast<std::uint16_t>(k))) visit(*u);
  }
  // The pool of an asteroid as packet 550 carries it.
  SrvPool Pool(std::uint16_t asteroid) const;

  CGSolarDB solar;
  std::unique_ptr<CGuildList> guilds;
  std::uint32_t seed = 0;
  std::uint32_t turn = 0;
  std::uint8_t chaptersPerGuild = 8;
  // The settings' "all ships start scanned" (their u16 at 42 is 0): every
  // design made is shown to every chapter (the rules' allDesignsVisible).
  bool allShipsScanned = false;
  // Four percentages (metals, silicates, exotics, reactives) per type.
  std::array<std::array<std::uint8_t, 4>, 20> resourceMix{};
  std::array<std::uint32_t, kMaxChapters> scores{};

  // The rules every design is built from (never null; empty without rules).
  std::unique_ptr<CGHullDB> hulls;
  std::unique_ptr<CGModuleDB> modules;
  // Every chapter's designs: 15 fixed slots each, and the designs units still
  // use after leaving their slot.
  std::unique_ptr<CGTemplateDB> templates;
  // Every unit, filed by owner and location. A unit's queued orders are its
  // own queue (CGUnit::orders, first order first), as in the client.
  std::unique_ptr<CGGamePieceDB> pieces;
  // The minerals of every asteroid's pool.
  CGPoolDB poolDB;
  // What the turn's steps and the model raise for the players; drained into
  // packets 1500 at the end of each turn (SrvDrainNotifications).
  CGNotificationList notices;
  std::array<SrvGuildResearch, kGuildCount> research{};
  // The transfers of the running turn, emptied as the turn resolves them.
  std::vector<SrvAutoTransfer> autoTransfers;
  std::vector<SrvTransferInTransit> inTransit;
  std::vector<SrvShipBid> shipBids;
  std::vector<SrvVoteBid> voteBids;
  std::vector<SrvSoldVote> soldVotes;
  // The running turn's refuelling and distribution requests, in the order
  // they came; carried out and emptied as the turn resolves. A save does
  // not keep them (a loaded turn starts without any).
  std::vector<SrvAsteroidRequest> refuels, distributions;
  // The zone a chapter's ATVs last set off from for a zone (600, 607), by
  // SrvAtvOriginKey: the terrain replay draws an attack there. Kept while
  // the server runs only; an attack without one is drawn in the zone attacked.
  std::map<std::uint32_t, std::uint16_t> atvOrigins;

  // Chapter number guild x 8 + slot takes part in this game.
  bool HasChapter(std::uint16_t chapter) const;
  // The chapter is in the game and no renegade (renegades do not trade).
  bool MayTrade(std::uint16_t chapter) const;
  CGChapter* Chapter(std::uint16_t chapter) const;

  // Registers this world as the game's world the model and the rules data
  // see (again after its databases were replaced).
  void RegisterWorld();

 private:
  void ResetResearch();

  // What the model sees of this world.
  std::unique_ptr<GameWorld> model;
};
