#pragma once
// The catalogue of notifications: categories and codes (category x 100 +
// number), as the server raises them, the client raises its own, and the
// notification panel words and follows them. What each code's parameters hold
// is told where it is raised.

#include <cstdint>

namespace notify {

enum Category : std::uint16_t {
  kUnitEvent = 1,
  kTradeEvent = 2,
  kDiplomacyEvent = 3,
  kGameEvent = 4,
  kChatEvent = 5,
  kVoteEvent = 6,
};

enum Code : std::uint16_t {
  // Units.
  kUnitNoSubtype = 100,
  kOrderDone = 101,
  kOrderCancelled = 102,
  kUnitDestroyed = 103,
  kShipScanned = 104,
  kAsteroidScanned = 105,
  kAtvsLanded = 106,
  kMiningRaised = 107,
  kStackingRaised = 108,
  kUnitDamaged = 109,
  kOutOfAmmo = 110,
  kOrderHeld = 111,
  kTargetStunned = 112,
  kAtvsBuilt = 113,
  kLandingHeldBack = 114,
  // Trade.
  kTradeNoSubtype = 200,
  kShipBought = 201,
  kShipBidRejected = 202,
  kMineralsSold = 203,
  kMineralsBought = 204,
  kMineralOfferGone = 205,
  kTransferReceived = 206,
  kShipSold = 207,
  kResourcesMined = 208,
  kShipLost = 209,
  kShipPosted = 210,
  kPowerMined = 211,
  kVotePosted = 212,
  kVoteBidRejected = 213,
  kVoteBought = 214,
  kVoteNotHeld = 215,
  kVoteOfferRescinded = 216,
  kMineralOffersPosted = 217,
  kShipHasOrder = 218,
  kRecycled = 219,
  kAtvBuildReduced = 220,
  kTraitNoOrganics = 221,
  kTraitNoVotes = 222,
  kTraitAlreadyHeld = 223,
  kTraitBought = 224,
  kTransferFailed = 225,
  kVoteOffersPosted = 226,
  kMiningLost = 227,
  kVoteSold = 228,
  kLostToBlockade = 229,
  kShipOffersPosted = 230,
  // Diplomacy.
  kDiplomacyNoSubtype = 300,
  kUnderAttack = 301,
  kRelationsWorsened = 302,
  kRelationsImproved = 303,
  // The game.
  kGameNoSubtype = 400,
  kSpaceBattle = 401,
  kWelcome = 402,
  kTurnComplete = 403,
  kResearchComplete = 404,
  kBreakthroughNear = 405,
  kResearchSetback = 406,
  kControlGained = 407,
  kControlLost = 408,
  kChapterEliminated = 409,
  kCrossResearch = 410,
  kTerrainBattle = 411,
  kInterregnumBegun = 412,
  kInterregnumEnded = 413,
  kAsteroidLocated = 414,
  kArtifactFound = 415,
  kEnemyDetected = 416,
  kAtvsUpgraded = 417,
  kAsteroidsCollided = 418,
  kWelcomeSolarView = 419,
  kWelcomeGotoButton = 420,
  kWelcomeSurface = 421,
  kWelcomeDesign = 422,
  kWelcomeGoodLuck = 423,
  kTerrainMovement = 424,
  kAutomanageOff = 425,
  kHullResearched = 426,
  kResearchUnspent = 427,
  kBlockadeImposed = 428,
  kBlockadeLifted = 429,
  // Chat.
  kChatNoSubtype = 500,
  kRemoveForces = 501,
  // Votes.
  kVoteNoSubtype = 600,
  kDeclaredRenegade = 601,
  kDeclaredLoyal = 602,
  kRenegadeVoteCast = 603,
  kRenegadeVoteWithdrawn = 604,
  kBackingGiven = 605,
  kBackingWithdrawn = 606,
};

}  // namespace notify
