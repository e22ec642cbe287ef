#pragma once
// Loading a saved game into g_gameData. A loader is made in one of three
// modes: an e-mail client file, a load-data packet (type 7) from another
// player, or the player's own request. A file that is short, damaged or of
// another layout is refused whole: the game that was running before the load
// is put back as it was (from a copy taken before the load began) and the
// caller is told; the application's block and the replay files are touched
// only once the game data has loaded.
//
// Game thread only.

#include <cstdint>
#include <span>
#include <string>

#include "Game/save/SaveGame.h"

enum class LoadPlace : std::uint32_t { SaveDirectory = 0, ScenarioDirectory = 1 };

class CGameLoader {
 public:
  // E-mail mode: "<e-mail directory><name without its extension>.ecl"; no
  // server file name in the header, nothing sent.
  static CGameLoader ForEmail(const char* name);
  // From packet 7 (at least kLoadPacketSize bytes; false from Valid() when
  // shorter): its name with the extension replaced by ".clt", in the
  // scenario directory when its place flag is 1.
  static CGameLoader FromLoadPacket(std::span<const std::uint8_t> packet);
  // Request mode: `name` as the load-game screen chose it, in its place.
  static CGameLoader ForRequest(const char* name, LoadPlace place);

  bool Valid() const { return m_valid; }

  // Request mode, first step: opens the file, reads its header and sends
  // packet 11 to all. 1 when the request went out; 3 when the file cannot
  // be opened or read.
  int Request();

  // Reads the whole file: header, in request mode packet 7 (naming the
  // header's server file) to all, the game
  // data (replacing g_gameData), the application's block, the replay and
  // terrain replay files. False, with the running game as it was and the
  // "Cannot open file!" box for a file that does not open, when anything fails.
  bool Load();

  const SaveHeader& Header() const { return m_header; }
  const std::string& FileName() const { return m_name; }

 private:
  enum class Mode { Email, LoadData, Request };
  CGameLoader(Mode mode, std::string directory, std::string name, LoadPlace place);

  Mode m_mode;
  std::string m_directory;
  std::string m_name;
  LoadPlace m_place;
  bool m_valid = true;
  SaveHeader m_header;
};

// The one loader the shell keeps between the player's request and the
// answer to it (packet 12).
// Makes it over `name` in `place` and sends the request: 1 sent, 2 cancelled
// (empty name or one starting with '.'), 3 the file cannot be read.
int RequestLoad(const char* name, LoadPlace place);
bool KeptLoaderExists();
void DeleteKeptLoader();
// The kept loader reads its file (false when there is none or it fails).
bool LoadKeptLoader();
// A loader over packet 7 from another player (`packet` at least
// kLoadPacketSize bytes) reads its file; false when it fails.
bool LoadFromLoadPacket(std::span<const std::uint8_t> packet);
