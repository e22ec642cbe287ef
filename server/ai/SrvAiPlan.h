#pragma once
// A computer chapter's turn while its orders are being chosen: what it may
// still spend, what it has and has already ordered, and the orders so far.
//
// One thread only.

#include <array>
#include <cstdint>
#include <vector>

#include "server/ai/SrvAiBudget.h"
#include "server/ai/SrvAiLevel.h"
#include "server/world/SrvRandom.h"
#include "server/world/SrvStartPackets.h"

struct SrvAiPlan {
  SrvAiPlan(SrvWorld& w, std::uint16_t c, const SrvAiLevel& l, std::uint32_t seed)
      : world(w), chapter(c), level(l), rng(seed), budget(w, c, l.reservePercent) {}

  SrvWorld& world;
  std::uint16_t chapter;
  SrvAiLevel level;
  SrvRandom rng;
  SrvAiBudget budget;
  // Operational units, and ships ordered this turn.
  int units = 0;
  // Of those, the ones that build or carry ATVs, and the armed ones.
  int workers = 0;
  int warships = 0;
  // Asteroids a unit has been sent to settle this turn.
  std::vector<std::uint16_t> settling;
  // The guild its prizes are weighed against (SrvAiQuarry), -1: none.
  int quarry = -1;
  // This turn a raid may set out (SrvAiLevel::raidPercent).
  bool raiding = false;
  // Its side holds enough of the asteroids an imperator needs, more than any
  // other guild, to push for the rest (SrvAiClosingIn), at a level that does.
  bool closingIn = false;
  // Flags its side holds, when the flags can win the game.
  int sideFlags = 0;
  // The most flags another side holds.
  int rivalFlags = 0;
  // The minerals its pools hold more of than it can spend
  // (SrvAiPlentifulMinerals), and whether that is every one of them.
  SrvAiPlenty plenty{};
  bool mineralsToSpare = false;
  // Its units on offer to guild mates, kept from other work.
  std::vector<std::uint32_t> offered;
  // Its ships a builder refits this turn, kept from other work.
  std::vector<std::uint32_t> refitting;
  std::vector<SrvPacket> orders;
};

// Metals, silicates, exotics, reactives: a price on the guild's ship board.
using SrvAiMinerals = std::array<std::uint32_t, 4>;

// The order of one idle operational unit of the chapter, if it gets one:
// fight an enemy where it stands (by a special attack when its bombard reaches
// it, so that the bombard fires beside the guns); build a ship or ATVs (mining ones, and a
// combat one when the level goes to war) where the chapter has a pool; land ATVs it carries on free zones, or carry
// them to the nearest asteroid it may settle; on land of its own not worth mining, put power ATVs in the miners' place
// and take the miners aboard (at hard, carriers take them at once, fetch them from outlying land and keep them aboard,
// and gather the combat ATVs quiet land does not need into war loads); a warship bombards the enemy asteroid it stands
// at when no landing would take it (average and hard), else sets out against the nearest enemy asteroid, or the best
// prize at a level that weighs them, as often as the level's aggression says; a worker with nothing to do goes home.
void SrvAiCommandUnit(SrvAiPlan& plan, CGUnit& unit);
// Whether the unit's bombardment of the asteroid it stands at still does
// what the chapter gave it for (see SrvAiCommandUnit); else it is idle.
bool SrvAiBombardmentStands(const SrvAiPlan& plan, const CGUnit& unit);
// The guild, other than the chapter's own, whose members in play control
// the fewest asteroids: at a level that weighs prizes, every guild goes for
// the weakest, so that its members fall one after another rather than every
// guild wearing every other down evenly (-1: no other guild in play).
int SrvAiQuarry(const SrvWorld& world, std::uint16_t chapter);
// Whether the chapter's side controls this percent of `target`, the
// asteroids an imperator's side needs, and more asteroids than any other
// guild (never with no target): it then pushes for the rest, as a side ahead
// in flags does for the last flags.
constexpr int kSrvAiClosingInPercent = 50;
bool SrvAiClosingIn(const SrvWorld& world, std::uint16_t chapter, int target);
// The flags (guild flag-bearers' homes) that chapters on the chapter's side
// control, and the most that another side controls.
struct SrvAiFlagCount {
  int side = 0;
  int rival = 0;
};
SrvAiFlagCount SrvAiCountFlags(const SrvWorld& world, std::uint16_t chapter);
// Offers a surplus of the home pool on the guild's board, and buys a mineral
// the home pool is short of from a guildmate's offer (nothing for a renegade).
void SrvAiTrade(SrvAiPlan& plan);
// Builders change hands in the guild: with builders to spare, the chapter
// offers an idle one at half its design's minerals while a guild mate
// without any could pay for it, and withdraws the offer once none could;
// with no builder left, it bids such an offer from its home pool.
void SrvAiTradeBuilders(SrvAiPlan& plan);
// A builder refits an idle ship of the chapter where it stands, which no
// other order was given this turn, to the fixed design of the ship's hull
// that improves on the ship's own, when the pool there pays for that design.
bool SrvAiRefit(SrvAiPlan& plan, CGUnit& builder);
// Allocates the level's percent to the guild's next research: the
// unresearched module of the lowest technology level while no allocation is
// given to an unresearched module (a player's to a researched one leaves the
// chapter its own), or, with every module researched and no hull allocation
// at work, the next hull its guild may research (the first whose predecessor
// is researched).
void SrvAiResearch(SrvAiPlan& plan);
// Stores at most one design a turn (200) from what the guild has researched
// (SrvAiBestDesign): in the guild's hull order, the first researched hull
// with no fixed design of the chapter's, into the first free fixed slot, or
// whose design there the best one improves on (SrvAiDesignImproves), into
// that slot.
void SrvAiStoreDesign(SrvAiPlan& plan);
// One task for each zone the chapter holds: combat ATVs attack the weakest
// neighbouring enemy zone they outgun (when the level sends warships out),
// keeping one back on a zone they hold alone, mining ATVs build a mining
// facility (a storage facility first on an outlying asteroid without a
// store), ATVs to spare spread to a neighbouring free zone.
void SrvAiWorkZones(SrvAiPlan& plan);
