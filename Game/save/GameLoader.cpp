#include "Game/save/GameLoader.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

#include "Game/base/ByteStream.h"
#include "Game/base/ClientShell.h"
#include "Game/base/GBlockStream.h"
#include "Game/base/GInstData.h"
#include "Game/base/GPersist.h"
#include "Game/base/PacketSink.h"
#include "Game/base/Packets.h"
#include "Game/base/TraceError.h"
#include "Game/model/GGameData.h"
#include "Game/save/SafeWrite.h"

namespace {

// An open file that closes itself, with the bytes left after the position.
class OpenFile {
 public:
  explicit OpenFile(plat::FILE* fp) : m_fp(fp) {}
  ~OpenFile() {
    if (m_fp != nullptr) plat::fclose(m_fp);
  }
  OpenFile(const OpenFile&) = delete;
  OpenFile& operator=(const OpenFile&) = delete;
  plat::FILE* get() const { return m_fp; }
  // The file's length, from its start, which it is left at; -1 when the file
  // cannot be measured. Taken before anything is read, it spares a seek to
  // the end later, which would drop the bytes read ahead.
  long Length() const {
    if (plat::fseek(m_fp, 0, SEEK_END) != 0) return -1;
    const long end = plat::ftell(m_fp);
    return plat::fseek(m_fp, 0, SEEK_SET) == 0 ? end : -1;
  }
  long Remaining() const {
    const long at = plat::ftell(m_fp);
    if (at < 0 || plat::fseek(m_fp, 0, SEEK_END) != 0) return 0;
    const long end = plat::ftell(m_fp);
    plat::fseek(m_fp, at, SEEK_SET);
    return end > at ? end - at : 0;
  }

 private:
  plat::FILE* m_fp;
};

std::string NameInPacket(std::span<const std::uint8_t> packet) {
  const char* text = reinterpret_cast<const char*>(packet.data() + 8);
  return std::string(text, strnlen(text, kSavePacketNameSize));
}

void SendLoadPacket(std::uint16_t type, const std::string& name, std::uint32_t identifier, LoadPlace place) {
  std::array<std::uint8_t, kLoadPacketSize> packet{};
  plat::ByteWriter w(packet);
  w.WriteAt<std::uint16_t>(0, type);
  std::memcpy(packet.data() + 8, name.data(), std::min(name.size(), kSavePacketNameSize - 1));
  w.WriteAt<std::uint32_t>(264, identifier);
  std::uint16_t chapter = 0;
  if (g_gameData != nullptr)
    chapter = g_gameData->localChapterId;
  else
    chapter = ClientShell().AppChapterId(0);
  w.WriteAt<std::uint16_t>(268, chapter);
  w.WriteAt<std::uint32_t>(272, static_cast<std::uint32_t>(place));
  PacketSink().SendToAll(packet);
}

// The number a replay file is stored under: the u16 after the end of its
// participant list (the battle's asteroid); 65535 for a reset replay.
std::optional<std::uint16_t> ReplayNumber(const std::vector<std::uint8_t>& data) {
  const auto end = std::find(data.begin(), data.end(), std::uint8_t{0xFF});
  const std::size_t at = static_cast<std::size_t>(end - data.begin());
  if (at + 2 >= data.size()) return std::nullopt;
  return static_cast<std::uint16_t>(data[at + 1] | (data[at + 2] << 8));
}

void WriteWhole(const std::string& path, const std::vector<std::uint8_t>& data) {
  plat::FILE* out = plat::fopen(path.c_str(), "wb");
  // A replay that cannot be written is only missing from the replay views.
  if (out == nullptr) return;
  plat::fwrite(data.data(), 1, data.size(), out);
  plat::fclose(out);
}

// Reads the packed files (u16 count, each u32 length and bytes) and hands
// each to `store`; false for a list that runs past the file's end. `store`
// returns false to stop taking files (the rest is still read past).
template <class Store>
bool UnpackFiles(const OpenFile& file, Store store) {
  FileReader r(file.get());
  const std::uint16_t count = r.U16();
  bool taking = true;
  for (std::uint16_t i = 0; i < count && r.Ok(); ++i) {
    const std::uint32_t length = r.U32();
    if (!r.Ok() || static_cast<long>(length) > file.Remaining() || length > 0x7FFFFFFFu) return false;
    std::vector<std::uint8_t> data(length);
    if (!r.ReadBytes(data)) return false;
    if (taking) taking = store(data);
  }
  return r.Ok();
}

// The running game, kept whole while another is loaded in its place: a file
// that turns out damaged half-way through its load costs the player nothing,
// and the new game finds the resource modules the running one holds still
// loaded. Whenever the kept game's own code runs again (its return, or its
// destruction once the new game stands) it is the game data of record: its
// link tables and asteroid count, which the new game took over, are put back
// for that time.
class KeptGame {
 public:
  KeptGame() : m_game(g_gameData), m_asteroids(g_numAsteroids) {
    if (m_game != nullptr) m_email = m_game->emailGame;
    g_gameData = nullptr;
  }
  KeptGame(const KeptGame&) = delete;
  KeptGame& operator=(const KeptGame&) = delete;
  // A load cut short (by an exception) gives the running game back.
  ~KeptGame() {
    if (!m_settled) Restore();
  }

  bool Email() const { return m_email; }

  // The load failed: its game goes, and the kept one, if any, is the running
  // game again.
  void Restore() {
    m_settled = true;
    delete g_gameData;
    g_gameData = nullptr;
    if (m_game != nullptr) MakeCurrent(std::exchange(m_game, nullptr), m_asteroids);
  }

  // Runs `step` with the kept game as the running game again, the loaded one
  // put back after it.
  template <typename Step>
  void WhileKeptRuns(Step step) {
    if (m_game == nullptr) {
      step();
      return;
    }
    CGameData* loaded = g_gameData;
    const std::uint16_t loadedAsteroids = g_numAsteroids;
    MakeCurrent(m_game, m_asteroids);
    step();
    if (loaded != nullptr) MakeCurrent(loaded, loadedAsteroids);
  }

  // The load stands: the kept game is destroyed as the running game it was,
  // and the loaded one takes its place again.
  void Discard() {
    m_settled = true;
    if (m_game == nullptr) return;
    CGameData* loaded = g_gameData;
    const std::uint16_t loadedAsteroids = g_numAsteroids;
    MakeCurrent(std::exchange(m_game, nullptr), m_asteroids);
    delete g_gameData;
    if (loaded != nullptr) MakeCurrent(loaded, loadedAsteroids);
  }

 private:
  static void MakeCurrent(CGameData* game, std::uint16_t asteroids) {
    g_gameData = game;
    g_numAsteroids = asteroids;
    game->RegisterWorld();
  }

  CGameData* m_game;
  std::uint16_t m_asteroids;
  bool m_email = false;
  bool m_settled = false;
};

// Above this many bytes after the header, the game is read from the file
// field by field rather than from one copy in memory.
constexpr long kMostReadAtOnce = 64L << 20;

// Reads the game data and its validity byte. The bytes left in the file are
// read with one call and decoded in memory; the file is then placed just
// after the game data, where the application's block begins. Decoding from
// the file mapped into memory (its pages filled at once) instead of a copy
// was measured and left out: three runs of the load bench alternating,
// medians 14.04 -> 14.06 x a plain read (200 units, from the front end),
// 16.76 -> 15.38 x (2,000), over a running game 18.88 -> 17.82 x and
// 21.81 -> 21.04 x, the fastest loads no faster (17.53 -> 18.03 x, 2,000 units
// over a running game); and a file cut short by another program while mapped
// would end the game with a bus error, where a short read is refused. One
// block kept from load to load for the copy was left out too: its read took
// 24 to 28 millionths of a second against a new block's 31 (2,000 units),
// which the load bench's ratios (15.6 and 16.1 x) could not tell from their
// noise, and it would hold the largest game's bytes for the program's life.
bool LoadModel(const OpenFile& file, long fileLength, CGameData& game) {
  const long start = plat::ftell(file.get());
  const long size = fileLength - start;
  if (start < 0 || fileLength < 0 || size < 0 || size > kMostReadAtOnce) {
    BlockReader r(file.get());
    return game.Load(r) != 0 && ReadValidityByte(r) != 0;
  }
  // Every byte is read over: the block is not cleared first.
  const auto length = static_cast<std::size_t>(size);
  const auto bytes = std::make_unique_for_overwrite<std::uint8_t[]>(length);
  if (plat::fread(bytes.get(), 1, length, file.get()) != length) return false;
  BlockReader r(std::span<const std::uint8_t>(bytes.get(), length));
  const bool read = game.Load(r) != 0 && ReadValidityByte(r) != 0;
  return read && plat::fseek(file.get(), start + static_cast<long>(r.Pos()), SEEK_SET) == 0;
}

plat::FILE* OpenSave(const std::string& directory, const std::string& name) {
  plat::FILE* fp = plat::fopen((directory + name).c_str(), "rb");
  if (fp == nullptr) fp = plat::fopen((directory + ReplaceExtension(name, ".clt")).c_str(), "rb");
  return fp;
}

}  // namespace

CGameLoader::CGameLoader(Mode mode, std::string directory, std::string name, LoadPlace place)
    : m_mode(mode), m_directory(std::move(directory)), m_name(std::move(name)), m_place(place) {
  m_valid = IsPlainFileName(m_name);
}

CGameLoader CGameLoader::ForEmail(const char* name) {
  return CGameLoader(Mode::Email, g_instData.GetEmailPath(), StripExtension(name ? name : "") + ".ecl",
                     LoadPlace::SaveDirectory);
}

CGameLoader CGameLoader::FromLoadPacket(std::span<const std::uint8_t> packet) {
  if (packet.size() < kLoadPacketSize) {
    CGameLoader refused(Mode::LoadData, {}, {}, LoadPlace::SaveDirectory);
    refused.m_valid = false;
    return refused;
  }
  std::uint32_t place = 0;
  plat::ByteReader(packet).ReadAt(272, place);
  const LoadPlace where = place == 1 ? LoadPlace::ScenarioDirectory : LoadPlace::SaveDirectory;
  const char* dir = where == LoadPlace::ScenarioDirectory ? g_instData.GetScenarioPath() : g_instData.GetSavePath();
  const std::string name = NameInPacket(packet);
  return CGameLoader(Mode::LoadData, dir, name.empty() ? name : ReplaceExtension(name, ".clt"), where);
}

CGameLoader CGameLoader::ForRequest(const char* name, LoadPlace place) {
  const char* dir = place == LoadPlace::ScenarioDirectory ? g_instData.GetScenarioPath() : g_instData.GetSavePath();
  return CGameLoader(Mode::Request, dir, name ? name : "", place);
}

int CGameLoader::Request() {
  if (!m_valid) return 3;
  OpenFile file(OpenSave(m_directory, m_name));
  if (file.get() == nullptr || !ReadSaveHeader(file.get(), false, &m_header)) return 3;
  SendLoadPacket(PKT_LOAD_REQUEST, ReplaceExtension(m_name, ".clt"), m_header.identifier, m_place);
  return 1;
}

bool CGameLoader::Load() {
  if (!m_valid) return false;
  OpenFile file(OpenSave(m_directory, m_name));
  if (file.get() == nullptr) {
    ClientShell().ShowPlainBox("Cannot open file!");
    return false;
  }
  // The header, the application's block and the packed files are read field by
  // field: the file's lock is taken once for all of them.
  plat::FileLockGuard hold(file.get());
  const long length = file.Length();
  const bool email = m_mode == Mode::Email;
  if (!ReadSaveHeader(file.get(), email, &m_header)) return false;
  // The server loads the file the packet names as it stands, and the other
  // players load their ".clt" copy of it: the header's server file name
  // serves both, where the player's own name would send the server to a
  // client file.
  if (m_mode == Mode::Request)
    SendLoadPacket(PKT_LOAD_GAME, m_header.serverFile.empty() ? m_name : m_header.serverFile, m_header.identifier,
                   m_place);

  FileReader r(file.get());
  const std::uint16_t chapter = r.U16();
  const std::uint8_t perGuild = r.U8();
  if (!r.Ok()) return false;

  KeptGame before;
  g_gameData = new CGameData(chapter, perGuild);
  g_gameData->emailGame = before.Email();
  if (!LoadModel(file, length, *g_gameData)) {
    before.Restore();
    return false;
  }
  // The screen that shows the running game goes while that game is the one
  // of record: what its views release (a terrain replay's movers, say) is
  // found in the game they were made over, not in the one loaded.
  before.WhileKeptRuns([] { ClientShell().ReleaseGameScreen(); });
  if (ClientShell().LoadAppState(file.get()) == 0) {
    before.Restore();
    return false;
  }
  before.Discard();

  // The replays only enrich the loaded game: a damaged list ends the
  // extraction, not the load.
  const std::string saveDir = g_instData.GetSavePath();
  const bool replaysRead = UnpackFiles(file, [&](const std::vector<std::uint8_t>& data) {
    if (const auto number = ReplayNumber(data)) WriteWhole(saveDir + std::to_string(*number) + ".rpl", data);
    return true;
  });
  if (replaysRead) {
    UnpackFiles(file, [&](const std::vector<std::uint8_t>& data) {
      if (data.size() < 2) return true;
      const std::uint16_t number = static_cast<std::uint16_t>(data[0] | (data[1] << 8));
      if (number >= g_numAsteroids) return false;
      WriteWhole(saveDir + std::to_string(number) + ".trp", data);
      return true;
    });
  }
  return true;
}

namespace {
std::optional<CGameLoader> g_keptLoader;
}  // namespace

int RequestLoad(const char* name, LoadPlace place) {
  g_keptLoader.reset();
  if (name == nullptr || name[0] == '\0' || name[0] == '.') return 2;
  ClientShell().OpenProgress("LOADGAME", 0);
  g_keptLoader = CGameLoader::ForRequest(name, place);
  return g_keptLoader->Request();
}

bool KeptLoaderExists() { return g_keptLoader.has_value(); }

void DeleteKeptLoader() { g_keptLoader.reset(); }

bool LoadKeptLoader() { return g_keptLoader && g_keptLoader->Load(); }

bool LoadFromLoadPacket(std::span<const std::uint8_t> packet) { return CGameLoader::FromLoadPacket(packet).Load(); }
