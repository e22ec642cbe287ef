#pragma once
// Game packets: the 8-byte header every packet starts with, the packet type
// numbers, and the size limit. A packet is a flat little-endian block; fields
// after the header sit at their natural alignment from offset 8.

#include <cstddef>
#include <cstdint>
#include <span>

#include "hvmulti/HvMTypes.h"

constexpr std::uint32_t kMaxPacketSize = HVM_MAX_PACKET;
constexpr std::size_t kPacketHeaderSize = 8;

struct PacketHeader {
  std::uint16_t type = 0;
  std::uint16_t reserved = 0;  // never read by the client
  std::uint32_t sequence = 0;  // 0: unsequenced, and every packet of an e-mail game
};

// False, with `out` untouched, when fewer than 8 bytes are given.
bool ReadPacketHeader(std::span<const std::uint8_t> packet, PacketHeader& out);
// Writes the sequence field; false (and nothing written) when the block is shorter than a header.
bool WritePacketSequence(std::span<std::uint8_t> packet, std::uint32_t sequence);
// Writes type, reserved and sequence; false when the block is shorter than a header.
bool WritePacketHeader(std::span<std::uint8_t> packet, const PacketHeader& header);

// Packet types, grouped by hundreds: one list gives both the numbers and
// their names, so the names the packet sniffer reads cannot fall behind.
// "in": read by the client's dispatcher; "out": built by the client; both
// where both hold.
#define QUEN_PACKET_TYPES(X)                                                                                 \
  /* Session and system. */                                                                                  \
  X(PKT_START, 0)                /* both: the game starts */                                                 \
  X(PKT_END_TURN, 1)             /* both */                                                                  \
  X(PKT_TURN_RESULTS, 2)         /* in */                                                                    \
  X(PKT_CHAPTER_CLAIM, 3)        /* out: chapter claim or give-up of the front end; also the leave packet */ \
  X(PKT_PLAYER_ID, 4)            /* in: a player slot's library identifier */                                \
  X(PKT_END_GAME, 5)             /* out, unsequenced: the host ends the game for everyone */                 \
  X(PKT_SAVE_GAME, 6)            /* both */                                                                  \
  X(PKT_LOAD_GAME, 7)            /* both */                                                                  \
  X(PKT_AUTOSAVE, 8)             /* both */                                                                  \
  X(PKT_SAVE_DONE, 9)            /* in */                                                                    \
  X(PKT_LOAD_REPLY, 10)          /* in */                                                                    \
  X(PKT_LOAD_REQUEST, 11)        /* both */                                                                  \
  X(PKT_LOAD_ANSWER, 12)         /* both */                                                                  \
  X(PKT_PLAYER_NAME, 13)         /* out */                                                                   \
  X(PKT_TURN_PROCESSING, 14)     /* in */                                                                    \
  X(PKT_TURN_PROCESSING_ACK, 15) /* out */                                                                   \
  X(PKT_STATUS, 16)              /* out */                                                                   \
  X(PKT_INTERREGNUM_START, 17)   /* both */                                                                  \
  X(PKT_INTERREGNUM_END, 18)     /* both */                                                                  \
  X(PKT_GAME_OVER, 19)           /* in */                                                                    \
  X(PKT_QUIT, 20)                /* out */                                                                   \
  X(PKT_RESTART, 21)             /* in */                                                                    \
  X(PKT_RESTART_VIEWS, 22)       /* in */                                                                    \
  X(PKT_CHAPTER_REPORTS, 23)     /* out, unsequenced */                                                      \
  X(PKT_SETTINGS_QUERY, 24)      /* out, unsequenced */                                                      \
  X(PKT_CHAPTER_NAME, 25)        /* both */                                                                  \
  X(PKT_KEEPALIVE_REQUEST, 26)   /* in */                                                                    \
  X(PKT_RESTART_REQUEST, 27)     /* both */                                                                  \
  X(PKT_RESTART_ANSWER, 28)      /* both */                                                                  \
  X(PKT_REMOVE_PLAYER, 29)       /* waiting room: the initiator removes a player */                          \
  X(PKT_TURN_LAMPS, 31)          /* in */                                                                    \
  X(PKT_READY, 32)               /* both */                                                                  \
  X(PKT_KEEPALIVE, 33)           /* out */                                                                   \
  X(PKT_CONFIG_EXCHANGE, 50)     /* in */                                                                    \
  X(PKT_STATUS_REQUEST, 51)      /* in */                                                                    \
  X(PKT_GAME_CONFIG, 52)         /* both */                                                                  \
  X(PKT_GAME_SETTINGS, 53)       /* out, unsequenced */                                                      \
  X(PKT_GAME_SETTINGS_STORE, 54) /* in */                                                                    \
  /* Solar system, stars and asteroids. */                                                                   \
  X(PKT_SOLAR_SYSTEM, 100)                                                                                   \
  X(PKT_STAR, 110)                                                                                           \
  X(PKT_ASTEROID, 120)                                                                                       \
  X(PKT_ASTEROID_ZONES, 121)                                                                                 \
  X(PKT_ASTEROID_OWNER, 123)                                                                                 \
  X(PKT_RESOURCE_MIX, 124)                                                                                   \
  X(PKT_ORBIT_RADII, 125)                                                                                    \
  X(PKT_REFUEL_AT_ASTEROID, 126) /* out: a unit recharges from the asteroid it is at */                      \
  X(PKT_ASTEROID_WITH_ZONES, 127)                                                                            \
  X(PKT_ASTEROID_COMPOSITION, 128)                                                                           \
  /* Templates. */                                                                                           \
  X(PKT_TEMPLATE, 200) /* both: a unit design */                                                             \
  X(PKT_TEMPLATE_VALUES, 201)                                                                                \
  /* Units and orders. */                                                                                    \
  X(PKT_UNIT, 300)                                                                                           \
  X(PKT_ORDER, 301) /* both */                                                                               \
  X(PKT_UNIT_MOVED, 302)                                                                                     \
  X(PKT_ORDER_REMOVED, 303)                                                                                  \
  X(PKT_UNIT_STATUS, 304)                                                                                    \
  X(PKT_CONSTRUCTEE_BOUND, 305)                                                                              \
  X(PKT_ORDERS_CANCELLED, 306) /* out */                                                                     \
  X(PKT_UNIT_WITH_TEMPLATE, 309)                                                                             \
  X(PKT_ORDER_TARGET_BOUND, 310)                                                                             \
  X(PKT_UNIT_POWER, 311) /* both */                                                                          \
  X(PKT_ATV_CARGO, 312)                                                                                      \
  X(PKT_BATTLE_PLAN, 314)          /* out */                                                                 \
  X(PKT_DEFAULT_BATTLE_PLANS, 315) /* out, unsequenced */                                                    \
  /* Chapters, guilds and trade. */                                                                          \
  X(PKT_GUILD_VOTES, 401)                                                                                    \
  X(PKT_SHIP_OFFER_WITHDRAWN, 402) /* both */                                                                \
  X(PKT_VOTE_OFFER_WITHDRAWN, 403) /* both */                                                                \
  X(PKT_DISTRIBUTE_RESOURCES, 405) /* out: an asteroid's pool spread over its owner's stores */              \
  X(PKT_CHAPTER_START, 450)                                                                                  \
  X(PKT_CHAPTER_NAME_SET, 451)                                                                               \
  X(PKT_RENEGADE_VOTE, 455)     /* out */                                                                    \
  X(PKT_IMPERATOR_VOTE, 456)    /* out */                                                                    \
  X(PKT_TRADE_REQUEST, 457)     /* out, from the trade panel */                                              \
  X(PKT_SHIP_OFFER_POSTED, 460) /* both */                                                                   \
  X(PKT_VOTE_OFFER_POSTED, 461) /* both */                                                                   \
  X(PKT_TRADE_ANSWER, 462)      /* out, from the trade panel */                                              \
  X(PKT_CHAPTER_TRAITS, 464)                                                                                 \
  /* Turn data and replays. */                                                                               \
  X(PKT_ASTEROID_POWER, 502)                                                                                 \
  X(PKT_REPLAY_DATA, 503)                                                                                    \
  X(PKT_MODULE_RESEARCH, 504)                                                                                \
  X(PKT_TURN_STANDINGS, 505)                                                                                 \
  X(PKT_CHAPTER_SCORES, 507)                                                                                 \
  X(PKT_CLASS_STAT_RANGES, 508)                                                                              \
  X(PKT_HULL_RESEARCH, 509)                                                                                  \
  X(PKT_MODULE_ALLOCATION, 510)    /* out: research allocation of a module */                                \
  X(PKT_HULL_ALLOCATION, 511)      /* out: research allocation of a hull */                                  \
  X(PKT_MODULE_SCIENCE_BONUS, 512) /* out */                                                                 \
  X(PKT_HULL_SCIENCE_BONUS, 513)   /* out */                                                                 \
  X(PKT_POOL_STATE, 550)                                                                                     \
  X(PKT_CREDITS, 551)                                                                                        \
  X(PKT_MINERAL_OFFER_POSTED, 552)    /* both */                                                             \
  X(PKT_MINERAL_OFFER_WITHDRAWN, 553) /* both */                                                             \
  X(PKT_MINERAL_TRADE, 554)           /* out, from the trade panel */                                        \
  X(PKT_AUTO_TRANSFER, 555)           /* out */                                                              \
  /* Terrain. */                                                                                             \
  X(PKT_ZONE_ARRIVING_ATVS, 600) /* out */                                                                   \
  X(PKT_ZONE_ATVS, 601)          /* out */                                                                   \
  X(PKT_TERRAIN_CLEARED, 602)                                                                                \
  X(PKT_TERRAIN_EVENTS, 603)                                                                                 \
  X(PKT_TERRAIN_ACCEPTED, 604)                                                                               \
  X(PKT_TERRAIN_VIEW_605, 605)    /* out, from the terrain view */                                           \
  X(PKT_TERRAIN_VIEW_606, 606)    /* out, from the terrain view */                                           \
  X(PKT_ZONE_ATTACKING_ATVS, 607) /* out */                                                                  \
  X(PKT_ZONE_ENTRENCHED, 608)     /* out */                                                                  \
  X(PKT_ATVS_RETURNED, 609)       /* out */                                                                  \
  X(PKT_AUTOMANAGE, 610)          /* out */                                                                  \
  X(PKT_TERRAIN_VIEW_611, 611)    /* out, from the terrain view */                                           \
  X(PKT_TERRAIN_VIEW_612, 612)    /* out, from the terrain view */                                           \
  /* Results. */                                                                                             \
  X(PKT_UNIT_DELETED, 1308)                                                                                  \
  X(PKT_UNIT_RESULT, 1313)                                                                                   \
  X(PKT_NOTIFICATION, 1500)                                                                                  \
  X(PKT_MODULE_RESEARCH_DONE, 1501)                                                                          \
  X(PKT_HULL_RESEARCH_DONE, 1502)                                                                            \
  X(PKT_CHAT, 1506) /* both */

enum PacketType : std::uint16_t {
#define QUEN_PACKET_TYPE_ENUMERATOR(name, number) name = number,
  QUEN_PACKET_TYPES(QUEN_PACKET_TYPE_ENUMERATOR)
#undef QUEN_PACKET_TYPE_ENUMERATOR
};

struct PacketTypeName {
  PacketType type;
  const char* name;
};

// Every packet type with its enumerator's name, in the order of the list.
inline constexpr PacketTypeName kPacketTypeNames[] = {
#define QUEN_PACKET_TYPE_NAME(name, number) {name, #name},
    QUEN_PACKET_TYPES(QUEN_PACKET_TYPE_NAME)
#undef QUEN_PACKET_TYPE_NAME
};
