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

// Packet types, grouped by hundreds. "in": read by the client's dispatcher;
// "out": built by the client; both where both hold.
enum PacketType : std::uint16_t {
  // Session and system.
  PKT_START = 0,                // both: the game starts
  PKT_END_TURN = 1,             // both
  PKT_TURN_RESULTS = 2,         // in
  PKT_CHAPTER_CLAIM = 3,        // out: chapter claim or give-up of the front end; also the leave packet
  PKT_PLAYER_ID = 4,            // in: a player slot's library identifier
  PKT_END_GAME = 5,             // out, unsequenced: the host ends the game for everyone
  PKT_SAVE_GAME = 6,            // both
  PKT_LOAD_GAME = 7,            // both
  PKT_AUTOSAVE = 8,             // both
  PKT_SAVE_DONE = 9,            // in
  PKT_LOAD_REPLY = 10,          // in
  PKT_LOAD_REQUEST = 11,        // both
  PKT_LOAD_ANSWER = 12,         // both
  PKT_PLAYER_NAME = 13,         // out
  PKT_TURN_PROCESSING = 14,     // in
  PKT_TURN_PROCESSING_ACK = 15, // out
  PKT_STATUS = 16,              // out
  PKT_INTERREGNUM_START = 17,   // both
  PKT_INTERREGNUM_END = 18,     // both
  PKT_GAME_OVER = 19,           // in
  PKT_QUIT = 20,                // out
  PKT_RESTART = 21,             // in
  PKT_RESTART_VIEWS = 22,       // in
  PKT_CHAPTER_REPORTS = 23,     // out, unsequenced
  PKT_SETTINGS_QUERY = 24,      // out, unsequenced
  PKT_CHAPTER_NAME = 25,        // both
  PKT_KEEPALIVE_REQUEST = 26,   // in
  PKT_RESTART_REQUEST = 27,     // both
  PKT_RESTART_ANSWER = 28,      // both
  PKT_REMOVE_PLAYER = 29,       // waiting room: the initiator removes a player
  PKT_TURN_LAMPS = 31,          // in
  PKT_READY = 32,               // both
  PKT_KEEPALIVE = 33,           // out
  PKT_CONFIG_EXCHANGE = 50,     // in
  PKT_STATUS_REQUEST = 51,      // in
  PKT_GAME_CONFIG = 52,         // both
  PKT_GAME_SETTINGS = 53,       // out, unsequenced
  PKT_GAME_SETTINGS_STORE = 54, // in

  // Solar system, stars and asteroids.
  PKT_SOLAR_SYSTEM = 100,
  PKT_STAR = 110,
  PKT_ASTEROID = 120,
  PKT_ASTEROID_ZONES = 121,
  PKT_ASTEROID_OWNER = 123,
  PKT_RESOURCE_MIX = 124,
  PKT_ORBIT_RADII = 125,
  PKT_REFUEL_AT_ASTEROID = 126, // out: a unit recharges from the asteroid it is at
  PKT_ASTEROID_WITH_ZONES = 127,
  PKT_ASTEROID_COMPOSITION = 128,

  // Templates.
  PKT_TEMPLATE = 200,           // both: a unit design
  PKT_TEMPLATE_VALUES = 201,

  // Units and orders.
  PKT_UNIT = 300,
  PKT_ORDER = 301,              // both
  PKT_UNIT_MOVED = 302,
  PKT_ORDER_REMOVED = 303,
  PKT_UNIT_STATUS = 304,
  PKT_CONSTRUCTEE_BOUND = 305,
  PKT_ORDERS_CANCELLED = 306,   // out
  PKT_UNIT_WITH_TEMPLATE = 309,
  PKT_ORDER_TARGET_BOUND = 310,
  PKT_UNIT_POWER = 311,         // both
  PKT_ATV_CARGO = 312,
  PKT_BATTLE_PLAN = 314,        // out
  PKT_DEFAULT_BATTLE_PLANS = 315, // out, unsequenced

  // Chapters, guilds and trade.
  PKT_GUILD_VOTES = 401,
  PKT_SHIP_OFFER_WITHDRAWN = 402,  // both
  PKT_VOTE_OFFER_WITHDRAWN = 403,  // both
  PKT_DISTRIBUTE_RESOURCES = 405,  // out: an asteroid's pool spread over its owner's stores
  PKT_CHAPTER_START = 450,
  PKT_CHAPTER_NAME_SET = 451,
  PKT_RENEGADE_VOTE = 455,         // out
  PKT_IMPERATOR_VOTE = 456,        // out
  PKT_TRADE_REQUEST = 457,         // out, from the trade panel
  PKT_SHIP_OFFER_POSTED = 460,     // both
  PKT_VOTE_OFFER_POSTED = 461,     // both
  PKT_TRADE_ANSWER = 462,          // out, from the trade panel
  PKT_CHAPTER_TRAITS = 464,

  // Turn data and replays.
  PKT_ASTEROID_POWER = 502,
  PKT_REPLAY_DATA = 503,
  PKT_MODULE_RESEARCH = 504,
  PKT_TURN_STANDINGS = 505,
  PKT_CHAPTER_SCORES = 507,
  PKT_CLASS_STAT_RANGES = 508,
  PKT_HULL_RESEARCH = 509,
  PKT_MODULE_ALLOCATION = 510,     // out: research allocation of a module
  PKT_HULL_ALLOCATION = 511,       // out: research allocation of a hull
  PKT_MODULE_SCIENCE_BONUS = 512,  // out
  PKT_HULL_SCIENCE_BONUS = 513,    // out
  PKT_POOL_STATE = 550,
  PKT_CREDITS = 551,
  PKT_MINERAL_OFFER_POSTED = 552,  // both
  PKT_MINERAL_OFFER_WITHDRAWN = 553, // both
  PKT_MINERAL_TRADE = 554,         // out, from the trade panel
  PKT_AUTO_TRANSFER = 555,         // out

  // Terrain.
  PKT_ZONE_ARRIVING_ATVS = 600,    // out
  PKT_ZONE_ATVS = 601,             // out
  PKT_TERRAIN_CLEARED = 602,
  PKT_TERRAIN_EVENTS = 603,
  PKT_TERRAIN_ACCEPTED = 604,
  PKT_TERRAIN_VIEW_605 = 605,      // out, from the terrain view
  PKT_TERRAIN_VIEW_606 = 606,      // out, from the terrain view
  PKT_ZONE_ATTACKING_ATVS = 607,   // out
  PKT_ZONE_ENTRENCHED = 608,       // out
  PKT_ATVS_RETURNED = 609,         // out
  PKT_AUTOMANAGE = 610,            // out
  PKT_TERRAIN_VIEW_611 = 611,      // out, from the terrain view
  PKT_TERRAIN_VIEW_612 = 612,      // out, from the terrain view

  // Results.
  PKT_UNIT_DELETED = 1308,
  PKT_UNIT_RESULT = 1313,
  PKT_NOTIFICATION = 1500,
  PKT_MODULE_RESEARCH_DONE = 1501,
  PKT_HULL_RESEARCH_DONE = 1502,
  PKT_CHAT = 1506,                 // both
};
