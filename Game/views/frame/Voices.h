#pragma once
// The guild voices' messages: what each voice file number says, the same
// message in every guild's voice (the files are named by guild and message in
// CVFrameEffects.h). 0 plays nothing where a voice is optional.

enum Voice : int {
  kVoiceConstructed = 1,      // construction initiated
  kVoiceConstructFailed = 2,  // the constructor is dead
  kVoiceCannotConstruct = 3,  // no construction capability
  kVoiceNoMinerals = 4,       // resource deficiency
  kVoiceModified = 5,         // modification initiated
  kVoiceModifyFailed = 6,
  kVoiceModifyTargetGone = 7,
  kVoiceNoShip = 8,        // no ship selected
  kVoiceEnemy = 9,         // cannot order an enemy ship
  kVoiceHeight = 10,       // set height
  kVoiceOwnTarget = 11,    // target acquired
  kVoiceOtherTarget = 12,  // hostile target acquired
  kVoiceInvalid = 13,      // invalid target
  kVoiceScan = 14,
  kVoiceSurvey = 15,
  kVoiceFormation = 16,
  kVoiceNoTransferRate = 17,  // the recharger has no transfer rate
  kVoiceNoPower = 18,         // the recharger has no power to transfer
  kVoiceSelf = 19,            // the recharger cannot recharge itself
  kVoiceTransfer = 20,        // power transfer target received
  kVoiceRefuel = 21,
  kVoiceRecharge = 22,
  kVoiceRepairerCannot = 23,  // the repairer has no construction capability
  kVoiceRepairing = 24,       // repairs initiated
  kVoiceRepair = 25,          // repair target received
  kVoiceRebuilding = 26,
  kVoiceRebuildStarted = 27,
  kVoiceRebuildFailed = 28,
  kVoiceRebuildTargetGone = 29,
  kVoiceConstructorCannot = 30,  // the constructor has no construction capability
  kVoiceTransferComplete = 31,
  kVoiceScrapCannot = 32,  // no deconstruction capability
  kVoiceScrapSelf = 33,    // a unit cannot scrap itself
  kVoiceScrapStarted = 34,
  kVoiceSelfDestruct = 35,
  kVoiceSolarSpace = 36,      // cannot intercept a unit in solar space
  kVoiceAllied = 37,          // cannot target friendly ships
  kVoiceAsteroidTarget = 38,  // target acquired (an asteroid)
};

// Messages 1..kVoiceMessages.
constexpr int kVoiceMessages = kVoiceAsteroidTarget;
