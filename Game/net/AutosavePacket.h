#pragma once
// Packet 8, 12 bytes, a u32 at offset 8. Sent by a client it switches the
// game's autosave (1 on, 0 off); sent by the server it asks for an autosave
// and the u32 is the save's identifier. Plain functions: any thread.

#include <cstddef>
#include <cstdint>
#include <span>

#include "Game/rules/GRulesPackets.h"

constexpr std::size_t kAutosavePacketSize = 12;

PacketImage<kAutosavePacketSize> BuildAutosaveSwitchPacket(bool on);
// The server's request to autosave under `identifier`; kAutosaveFailed tells
// that the server could not write its half, so the players keep their last
// autosave and are told. No autosave has that identifier.
constexpr std::uint32_t kAutosaveFailed = 0;
PacketImage<kAutosavePacketSize> BuildAutosaveRequestPacket(std::uint32_t identifier);
// The u32 of a packet 8; false when the image is shorter than 12 bytes.
bool ParseAutosavePacket(std::span<const std::uint8_t> image, std::uint32_t* value);
