#pragma once
// E-mail games: the server is run once per step and leaves files behind.
// Creating game <name> writes the server's own file "<name>.svr" and, for
// every chapter nn of the game, the input file "<name>.snn" that the
// chapter's player opens: u32 0xFFFFFFFE, u32 turn 0, then the chapter's
// start sequence as records of u32 length and the packet (sequence 0).
//
// One thread only.

#include <cstdint>
#include <string>

#include "server/SrvLog.h"

// The identifier the server file of an e-mail game carries.
constexpr std::uint32_t kEmailGameIdentifier = 0xFFFFFFDE;

// Creates the game in `folder` (a host folder ending in '/', or empty for
// the current one) with the front end's start values. False, logged, when a
// file cannot be written.
bool CreateEmailGame(const std::string& folder, const std::string& name, std::uint32_t seed, SrvLog& log);

// Processes the running turn of the game that `file` (any of its files,
// "<name>.<ext>") belongs to: loads "<name>.svr", applies each chapter nn's
// client turn file "<name>.cnn" of this turn (absent or stale ones are
// passed over), resolves the turn, and writes each chapter's input file
// "<name>.snn" (u32 the turn resolved, then the results) and the server file.
// False, logged, when the game cannot be read or a file written.
bool ProcessEmailTurn(const std::string& folder, const std::string& file, SrvLog& log);

// The host folder of e-mail files: the installation's e-mail directory, or
// the current folder when it names none; ends in '/' or is empty.
std::string EmailFolder();
