#pragma once
// modules.txt -> "modules.dat". The source:
//
//   modules TYPE                     the modules of one type follow (construction
//                                    computer damagecontrol defense power propulsion
//                                    scout ecm tracking transport weapon)
//   module NAME GUILD TECH NEXT METALS SILICATES EXOTICS REACTIVES CREDITS BUILD POWER MASS IMAGE SOUND ...
//       then the columns of the type:
//       construction, damagecontrol, scout, ecm, tracking: VALUE
//       computer:   SUBTYPE (defense scout combat transport construction) and nine
//                   signed bonuses, comma-separated: ATV capacity, tracking,
//                   construction, damage control, ADF, power generation, ECM,
//                   survey, speed (each worth twice its value in percent)
//       defense:    ADF and eight shield values, comma-separated, one per attack
//                   type, then eight 0/1 flags (a string such as 11000000) of the
//                   attack types the module defends against
//       power:      TRANSFER STORAGE GENERATION (per turn)
//       propulsion: DEEP_THRUST LOCAL_THRUST
//       transport:  ATV_CAPACITY
//       weapon:     ATTACK (solid explosive corrosive chemical heat radiation
//                   discharge nuclear) STRENGTH RANGE EFFECTIVE_RANGE (the game
//                   multiplies both by 104) RATE_OF_FIRE HIT_PERCENT AMMO (a number
//                   below 255 or "unlimited") PATTERN (missile beam cannon)
//   GUILD 0..4; TECH 1 = researched from the start; NEXT the name of the module
//   of the same guild that improves on it, or "-"; IMAGE at most 5 characters;
//   SOUND at most 6 characters ('@' first: the shared sound directory) or "-".
//   Each module's help topic is 1000 + its type.

#include <string_view>

#include "tools/rulesdata/hulls.h"

namespace rulesdata {

CompiledFile CompileModules(std::string_view source);

}  // namespace rulesdata
