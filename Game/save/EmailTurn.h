#pragma once
// E-mail games: the server's output for a player is an input file of
// packets, which the client replays through the ordinary dispatcher; what
// the client sends meanwhile goes to its own turn file, which the player
// sends back. Names, from the session's e-mail game name G (whose last four
// characters are '.', a letter and the two-digit chapter):
//   input file      "<e-mail directory>G"
//   client turn file "<e-mail directory>G without its last 4".c<chapter 2 digits>"
//   client save file  G without its last 4, "-<chapter 2 digits>.ecl"
// Input file: u32 header (0xFFFFFFFE: a u32 turn value follows), then
// records of u32 length and that many packet bytes (at most the largest
// packet). The turn file: the turn the player plays (the second u32 of a
// first turn's input, else the input's turn plus one, as the server numbers
// it), then records alike.
//
// Game thread only.

#include <cstdint>
#include <span>
#include <string>

class CNetSession;

constexpr std::uint32_t kEmailSkipReload = 0xFFFFFFFE;
constexpr int kEmailNoPacket = -22;

std::string EmailInputFileName(const std::string& gameName);
std::string EmailTurnFileName(const std::string& gameName, std::uint16_t chapter);
std::string EmailClientFileName(const std::string& gameName, std::uint16_t chapter);

// Opens the input file as session.emailInput, reads the header into
// session.emailHeader, and starts the client turn file anew with the turn
// played. The chapter number of G's last two characters (-1
// when they are not digits or G is shorter than its suffix). A missing
// input file, or one too short for its header, leaves emailInput null (the
// turn file still gets its header).
int ReadEmailInputFile(CNetSession& session, std::uint16_t localChapter);

// Appends one record to the client turn file; false when it cannot be written.
bool WriteEmailPacket(const CNetSession& session, std::uint16_t localChapter, const std::uint8_t* packet,
                      std::uint32_t length);

// The next record of session.emailInput into `buffer`: 0 with *length, or
// kEmailNoPacket at the end, with no file, for a short read, or for a record
// longer than the largest packet or than `buffer` (the input is then closed
// and, unless it stood at its end, marked damaged).
int ReadEmailPacket(CNetSession& session, std::span<std::uint8_t> buffer, std::uint32_t* length);

// One e-mail turn: reloads the client save file (unless the header says
// not to), applies every packet of the input file, starts the next turn,
// sends packet 13 (into the turn file) and advances the model's turn.
// False when the client save file could not be read ("EMAILCSE" is shown),
// or when the input was damaged or its first turn brought no world
// ("EMAILERR" is shown).
// The input file is closed whatever the outcome.
bool ProcessEmailTurn(CNetSession& session);
