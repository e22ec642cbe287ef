#pragma once
// The lines of the session list: what a listed session's record says, in the
// words of the program's texts. Plain functions over the library's session
// record. Thread-safe (no state).

#include <cstdint>
#include <functional>
#include <string>

#include "hvmulti/HvMRecords.h"

constexpr std::size_t kMaxListedSessions = 50;

struct SessionEntry {
  std::uint32_t id = 0;
  char name[32] = {};
  char kind = 0;          // 's' a saved game, 'n' a new one
  bool password = false;  // joining needs a password
  std::string text;       // the parts of the line, separated by '^'
};

// A text of the program by ID with one number filled in.
using SessionTextFn = std::function<std::string(const char* id, int number)>;

// The list entry of one enumerated session.
SessionEntry MakeSessionEntry(const HvMSession_Struct& session, const SessionTextFn& text);

// A new session's description: the turn limit in minutes, chapters per
// guild, asteroids and the victory-condition bits.
std::string NewSessionDescription(int turnMinutes, int chapters, int asteroids, int victory);

// Blanks, carriage returns, tabs and form feeds become '_' (the library's
// names and passwords carry none).
void ReplaceBlanks(char* text);
