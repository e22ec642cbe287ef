#pragma once
// E-mail games: the server is run once per step and leaves files behind.
// Every file name carries the game's name <game>; the players' files carry
// the turn t they are played in as well, because the client derives its own
// saved state from its input file's name and names the next turn's state
// "<game>-<t + 1>-nn.ecl":
//   "<game>.esv"      the server's own file (the host's process screen lists these)
//   "<game>-<t>.snn"  chapter nn's input file for turn t: turn 0's is u32
//                     0xFFFFFFFE, u32 0, then the chapter's start sequence;
//                     a later one u32 t - 1 (the turn resolved), then the
//                     results; the packets as records of u32 length and the
//                     packet (sequence 0)
//   "<game>-<t>.cnn"  chapter nn's client turn file for turn t
//
// One thread only.

#include <cstdint>
#include <string>

#include "server/SrvLog.h"

// The identifier the server file of an e-mail game carries.
constexpr std::uint32_t kEmailGameIdentifier = 0xFFFFFFDE;

// Creates the game `game` in `folder` (a host folder ending in '/', or empty
// for the current one) with the front end's start values, and its turn 0
// input files. False, logged, when a file cannot be written.
bool CreateEmailGame(const std::string& folder, const std::string& game, std::uint32_t seed, SrvLog& log);

// Processes the running turn t of the game that `file` belongs to: its
// server file "<game>.esv" or any "<game>-<turn>.<ext>" of its players'.
// Loads the server file, applies each chapter nn's "<game>-<t>.cnn" (absent
// or stale ones are passed over), resolves the turn, and writes each
// chapter's "<game>-<t + 1>.snn" and the server file. False, logged, when
// the game cannot be read or a file written.
bool ProcessEmailTurn(const std::string& folder, const std::string& file, SrvLog& log);

// The host folder of e-mail files: the installation's e-mail directory, or
// the current folder when it names none; ends in '/' or is empty.
std::string EmailFolder();
