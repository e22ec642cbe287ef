#pragma once
// The eleven unit classes of ships and stations (the class byte of a hull and
// of a design), with their abbreviations, text IDs and hull model names.

#include <cstdint>

enum UnitClass : std::uint8_t {
  UNITCLASS_GENP = 0,   // general purpose
  UNITCLASS_USTA = 1,   // space station
  UNITCLASS_ASTA = 2,   // armed space station
  UNITCLASS_USCT = 3,   // scout
  UNITCLASS_ASCT = 4,   // armed scout
  UNITCLASS_UASL = 5,   // transport
  UNITCLASS_AASL = 6,   // assault
  UNITCLASS_CONS = 7,   // construction
  UNITCLASS_DEST = 8,   // destroyer
  UNITCLASS_CRUS = 9,   // cruiser
  UNITCLASS_BATT = 10,  // battleship
};
constexpr int kUnitClassCount = 11;

// "genp" .. "batt"; "genp" for a class outside 0..10.
const char* GetUnitClassAbbreviation(int unitClass);
// The class of a four-letter abbreviation; an unknown text is reported and gives 0.
int GetUnitClassFromAbbreviation(const char* abbreviation);
// "GENPRPSE" .. "BATTLSHP"; "UNKNOWN_" for a class outside 0..10.
const char* GetUnitClassTextId(int unitClass);
// "genphull" .. "batthull"; null for a class outside 0..10.
const char* GetHullModelNameOfClass(int unitClass);
// The class's display text through the game's text index, into a shared 32-byte
// buffer (empty without a text index).
const char* GetUnitClassName(int unitClass);
