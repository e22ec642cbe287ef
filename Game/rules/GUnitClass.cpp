#include "Game/rules/GUnitClass.h"

#include <cstring>

#include "Game/base/TraceError.h"
#include "Game/rules/GRulesFacts.h"

namespace {

struct ClassNames {
  const char* abbreviation;
  const char* textId;
  const char* model;
};

constexpr ClassNames kClasses[kUnitClassCount] = {
    {"genp", "GENPRPSE", "genphull"}, {"usta", "SPACESTA", "ustahull"}, {"asta", "ARMSPAST", "astahull"},
    {"usct", "SCOUT___", "uscthull"}, {"asct", "ARMSCOUT", "ascthull"}, {"uasl", "ASSAULT_", "uaslhull"},
    {"aasl", "ARMASALT", "aaslhull"}, {"cons", "CONSTRUC", "conshull"}, {"dest", "DESTROYR", "desthull"},
    {"crus", "CRUISER_", "crushull"}, {"batt", "BATTLSHP", "batthull"},
};

bool Known(int unitClass) { return unitClass >= 0 && unitClass < kUnitClassCount; }

}  // namespace

const char* GetUnitClassAbbreviation(int unitClass) {
  return Known(unitClass) ? kClasses[unitClass].abbreviation : kClasses[0].abbreviation;
}

int GetUnitClassFromAbbreviation(const char* abbreviation) {
  if (abbreviation != nullptr) {
    for (int c = 0; c < kUnitClassCount; ++c) {
      if (std::strcmp(abbreviation, kClasses[c].abbreviation) == 0) return c;
    }
  }
  TraceError("Unknown unit class abbreviation", __FILE__, __LINE__);
  return 0;
}

const char* GetUnitClassTextId(int unitClass) { return Known(unitClass) ? kClasses[unitClass].textId : "UNKNOWN_"; }

const char* GetHullModelNameOfClass(int unitClass) { return Known(unitClass) ? kClasses[unitClass].model : nullptr; }

const char* GetUnitClassName(int unitClass) {
  static char buffer[32];
  return FetchRulesText(GetUnitClassTextId(unitClass), buffer, sizeof buffer);
}
