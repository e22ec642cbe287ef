// The server's file of a running game: "QSVR", u8 version 7 (6: shipments
// without their senders, 5: without design counters either, 4: without the
// checksum, 3: without the vote trade, 2: without the science bonus either),
// u32 identifier, u32 seed, u32 turn, the 40-byte configuration, the 68-byte
// settings, each chapter's holder name, then the solar system, the guilds and
// the rest of the world (SrvWorldSave.h) as u32-length blocks, the 40 scores,
// the end byte 0xFE and, from version 5, the CRC-32 of every byte before it.
// Loading reads the whole file before it changes anything, so a bad file
// leaves the game as it was. Also the players' side of saving and loading:
// saves and loads passed on to the others, and the turn's autosave.
#include <sys/stat.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <iterator>

#include "Game/base/GBlockStream.h"
#include "Game/base/Packets.h"
#include "Game/net/AutosavePacket.h"
#include "Game/net/HostPackets.h"
#include "Game/net/SessionPackets.h"
#include "server/SrvDurableFile.h"
#include "server/SrvGame.h"
#include "server/orders/SrvPacketRead.h"
#include "server/world/SrvDesignPackets.h"
#include "server/world/SrvWorldSave.h"

namespace {

constexpr std::uint32_t kMagic = 0x52565351;  // "QSVR"
constexpr std::uint8_t kEndByte = 0xFE;
// Far above any game's file: 150 asteroids and 40 chapters take well under 1 MB.
constexpr std::size_t kMaxFileBytes = 16u << 20;
constexpr std::size_t kChecksumBytes = 4;
constexpr const char* kSaveExtension = ".svr";
// The files one player may have the server write (a save over one of them
// adds none), and its saves in one turn: each is forced to the disk while
// the others wait, so a flood of them must end, far above what any player
// saving in every view and at every step meets.
constexpr std::size_t kMaxSaveFilesPerPlayer = 64;
constexpr int kMaxSavesPerTurn = 100;
// The turn's autosave and the one before it.
constexpr const char* kAutosaveName = "autosave.svr";
constexpr const char* kAutosaveBackupName = "asavebak.svr";
// The load packet's place flag of a scenario.
constexpr std::uint32_t kLoadFromScenarios = 1;

// A name a player may give a save: a plain file name of printable
// characters, ending in the server's own extension.
bool IsSaveName(const std::string& name) {
  if (name.size() <= std::strlen(kSaveExtension) || name.find_first_of("\\/:") != std::string::npos ||
      name.find("..") != std::string::npos)
    return false;
  for (const char c : name)
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) return false;
  std::string ext = name.substr(name.size() - std::strlen(kSaveExtension));
  for (char& c : ext) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return ext == kSaveExtension;
}

// True when nothing lies at `path`, or the server's own file does (its first
// bytes say so): a save may replace one of the server's files, never another's.
bool MayReplace(const std::string& path) {
  struct stat info {};
  if (::lstat(path.c_str(), &info) != 0) return errno == ENOENT;
  if (!S_ISREG(info.st_mode)) return false;
  std::array<std::uint8_t, 4> head{};
  std::ifstream in(path, std::ios::binary);
  return in.read(reinterpret_cast<char*>(head.data()), head.size()) && ReadU32(head, 0) == kMagic;
}

// True when `path` holds a server save of another game than the one of
// `seed` (its seed, after the magic, version and identifier, differs).
bool HoldsAnotherGame(const std::string& path, std::uint32_t seed) {
  std::array<std::uint8_t, 13> head{};
  std::ifstream in(path, std::ios::binary);
  if (!in.read(reinterpret_cast<char*>(head.data()), head.size())) return false;
  return ReadU32(head, 0) == kMagic && ReadU32(head, 9) != seed;
}

bool WriteBlock(BlockWriter& w, const std::vector<std::uint8_t>& block) {
  return w.Write(static_cast<std::uint32_t>(block.size())) && w.WriteBytes(block);
}

bool ReadBlock(BlockReader& r, std::vector<std::uint8_t>& block, std::size_t limit) {
  std::uint32_t n = 0;
  if (!r.Read(n) || n > limit) return false;
  block.resize(n);
  return r.ReadBytes(block);
}

}  // namespace

bool SrvGame::Save(const std::string& hostPath, std::uint32_t identifier, std::uint32_t turnsOn) const {
  std::vector<std::uint8_t> bytes;
  return FileImage(identifier, turnsOn, bytes) && SrvWriteFileDurably(hostPath, bytes);
}

bool SrvGame::FileImage(std::uint32_t identifier, std::uint32_t turnsOn, std::vector<std::uint8_t>& bytes) const {
  std::vector<std::uint8_t> solar, guilds, rest;
  BlockWriter ws(&solar), wg(&guilds), wr(&rest), w(&bytes);
  if (!m_world.solar.Save(ws) || !m_world.guilds->Save(wg) || !SrvSaveWorldState(m_world, wr)) return false;
  w.Write(kMagic);
  w.Write(kSrvFileVersion);
  w.Write(identifier);
  w.Write(m_seed);
  w.Write(m_world.turn + turnsOn);
  w.WriteBytes(m_setup.config.bytes);
  w.WriteBytes(m_setup.settings.bytes);
  for (const std::string& name : m_names40) w.Name(name.c_str());
  WriteBlock(w, solar);
  WriteBlock(w, guilds);
  WriteBlock(w, rest);
  for (std::uint32_t s : m_world.scores) w.Write(s);
  w.Write(kEndByte);
  w.Write(SrvChecksum(bytes));
  return w.Ok();
}

bool SrvGame::Load(const std::string& hostPath, std::uint32_t identifier) {
  const auto file = SrvReadWholeFile(hostPath, kMaxFileBytes);
  if (!file) return false;
  std::span<const std::uint8_t> bytes = *file;
  // A file of this version carries its checksum last; one that does not
  // match was damaged after it was written. Earlier versions end at their
  // end byte.
  if (bytes.size() > 4 + 1 + kChecksumBytes && bytes[4] >= kSrvFileVersionWithChecksum) {
    const std::size_t body = bytes.size() - kChecksumBytes;
    if (SrvChecksum(bytes.first(body)) != ReadU32(bytes, body)) return false;
    bytes = bytes.first(body);
  }
  BlockReader r(bytes);
  std::uint32_t magic = 0, fileId = 0, seed = 0, turn = 0;
  std::uint8_t version = 0;
  r.Read(magic);
  r.Read(version);
  r.Read(fileId);
  if (!r.Ok() || magic != kMagic || (version < kSrvFileVersionWithoutBonus || version > kSrvFileVersion) ||
      fileId != identifier)
    return false;
  r.Read(seed);
  r.Read(turn);
  SrvSetup setup;
  r.ReadBytes(setup.config.bytes);
  r.ReadBytes(setup.settings.bytes);
  std::array<std::string, kMaxChapters> names;
  for (std::string& name : names) {
    std::unique_ptr<char[]> text;
    if (!r.Name(text)) return false;
    name = text ? text.get() : "";
  }
  std::vector<std::uint8_t> solarBlock, guildBlock, restBlock;
  if (!ReadBlock(r, solarBlock, bytes.size()) || !ReadBlock(r, guildBlock, bytes.size()) ||
      !ReadBlock(r, restBlock, bytes.size()))
    return false;
  std::array<std::uint32_t, kMaxChapters> scores{};
  for (std::uint32_t& s : scores) r.Read(s);
  std::uint8_t end = 0;
  if (!r.Read(end) || end != kEndByte || r.Pos() != bytes.size()) return false;

  // The guilds load into a list of their own first: the solar system's load
  // is the last step that can fail, and it changes nothing when it does.
  auto guilds = std::make_unique<CGuildList>(setup.ChaptersPerGuild());
  BlockReader rg(guildBlock);
  if (guilds->Load(rg) != LoadStatus::kOk) return false;
  // The units and designs need the loaded solar system and chapters in place:
  // what they replace is kept, to be put back when they do not load.
  std::vector<std::uint8_t> oldSolar, oldGuilds, oldRest;
  BlockWriter os(&oldSolar), og(&oldGuilds), orest(&oldRest);
  const bool kept = m_world.solar.Save(os) && m_world.guilds->Save(og) && SrvSaveWorldState(m_world, orest);
  BlockReader rs(solarBlock);
  if (m_world.solar.Load(rs) != LoadStatus::kOk) return false;
  auto oldGuildList = std::move(m_world.guilds);
  const std::uint32_t oldTurn = m_world.turn, oldSeed = m_world.seed;
  const std::uint8_t oldPerGuild = m_world.chaptersPerGuild;
  m_world.AdoptLoaded(std::move(guilds), turn, seed, setup.ChaptersPerGuild());
  // The designs read take the loaded game's setting.
  const bool oldShipsScanned = m_world.allShipsScanned;
  m_world.allShipsScanned = setup.ShipsStartScanned();
  BlockReader rr(restBlock);
  if (!SrvLoadWorldState(m_world, rr, version)) {
    BlockReader bs(oldSolar), br(oldRest);
    m_world.allShipsScanned = oldShipsScanned;
    m_world.AdoptLoaded(std::move(oldGuildList), oldTurn, oldSeed, oldPerGuild);
    if (kept) {
      m_world.solar.Load(bs);
      SrvLoadWorldState(m_world, br);
    }
    return false;
  }
  m_setup = setup;
  m_seed = seed;
  m_names40 = names;
  m_world.scores = scores;
  m_turnDone = {};
  m_turnStartMs = m_nowMs;
  m_started = true;
  m_sight.Reset(m_world, SrvFogRules::From(m_setup));
  m_asteroidNews.Reset(m_world);
  m_classRanges = BuildClassStatRangesPacket(m_world);
  return true;
}

bool SrvGame::OnSaveOrLoad(std::uint32_t from, std::span<const std::uint8_t> packet, bool save) {
  if (!m_started) return RefuseAnswering(from, packet, "no game runs");
  if (HeldChapter(from) < 0) return RefuseAnswering(from, packet, "sender holds no chapter");
  SaveOrLoadPacket asked;
  if (!SaveOrLoadPacket::Parse(packet, &asked)) return RefuseAnswering(from, packet, "too short");
  const std::string name = asked.name;
  // The name becomes a file in the server's folder and must stay there.
  if (name.empty() || name.find_first_of("\\/:") != std::string::npos || name.find("..") != std::string::npos)
    return RefuseAnswering(from, packet, "unusable file name");
  const std::uint32_t identifier = asked.identifier;
  // A scenario's file lies with the installation's scenarios, never written.
  const bool scenario = !save && asked.fromScenarios == kLoadFromScenarios;
  if (scenario && m_scenarioFolder.empty()) return RefuseAnswering(from, packet, "the installation has no scenarios");
  const std::string path = (scenario ? m_scenarioFolder : m_folder) + name;
  if (save) {
    // Any player may save, and the folder holds the log and the players' own
    // files too: a save goes only to a name of the server's own kind, over
    // nothing but one of its own files, and one player's saves are counted.
    if (!IsSaveName(name)) return RefuseAnswering(from, packet, "not a name of a server save");
    if (!MayReplace(path)) return RefuseAnswering(from, packet, "names a file that is not a server save");
    // A guest may not put this game over another the host kept under that name.
    if (!MaySetUp(from) && HoldsAnotherGame(path, m_seed))
      return RefuseAnswering(from, packet, "a guest's save over a save of another game");
    SaveCount& count = m_saveCounts[from];
    if (count.turn != m_world.turn) count = {m_world.turn, 0, count.files};
    if (count.thisTurn >= kMaxSavesPerTurn) return RefuseAnswering(from, packet, "too many saves this turn");
    const bool newFile = std::find(count.files.begin(), count.files.end(), name) == count.files.end();
    if (newFile && count.files.size() >= kMaxSaveFilesPerPlayer)
      return RefuseAnswering(from, packet, "too many save files");
    ++count.thisTurn;
    const bool ok = Save(path, identifier);
    if (ok && newFile) count.files.push_back(name);
    m_log.Line("save of turn %u to \"%s\": %s", m_world.turn, name.c_str(), ok ? "done" : "failed");
    const auto done = SaveDonePacket{ok ? 1u : 0u}.Build();
    m_out.Send(from, SrvPacket(done.bytes.begin(), done.bytes.end()), true);
    // The others save their own copies under the same name and identifier;
    // a chapter whose state is still due has no game to save yet.
    if (ok) {
      const SrvPacket passed(packet.begin(), packet.begin() + 272);
      for (std::uint32_t p : m_players)
        if (p != from && !StateDue(p)) m_out.Send(p, passed, true);
    }
    return ok;
  }
  bool loaded = Load(path, identifier);
  // The players' "asavebak.clt", a copy of their autosave, names the
  // autosave's file; so does an autosave a client could not write, the one
  // before standing. Either holds the moment of the server's backup.
  if (!loaded && !scenario && name == kAutosaveName) loaded = Load(m_folder + kAutosaveBackupName, identifier);
  if (!loaded) return RefuseAnswering(from, packet, "the server file could not be loaded");
  m_log.Line("loaded \"%s\" at turn %u", name.c_str(), m_world.turn);
  // A chapter whose state is still due has no copy to load: it gets the
  // loaded game whole once its front end is done (AfterLoad).
  const SrvPacket loadData(packet.begin(), packet.begin() + 276);
  for (std::uint32_t p : m_players)
    if (p != from && !StateDue(p)) m_out.Send(p, loadData, true);
  AfterLoad(from, true);
  return true;
}

void SrvGame::Autosave() {
  // The clients save as the turn begins processing, their header one turn on;
  // the server's file is of the same moment and carries the same identifier.
  std::uint32_t identifier = ((m_world.turn + 1) << 16) | (m_seed & 0xFFFF);
  if (identifier == kAutosaveFailed) identifier = 1;
  // Loaded, both halves stand at the turn the clients' header names, so the
  // players' ends of turn are for the server's turn.
  std::vector<std::uint8_t> bytes;
  if (!FileImage(identifier, 1, bytes) ||
      !SrvWriteFileDurablyKeeping(m_folder + kAutosaveName, m_folder + kAutosaveBackupName, bytes)) {
    m_log.Line("autosave of turn %u failed: the players keep their last autosave", m_world.turn);
    identifier = kAutosaveFailed;
  }
  const auto p = BuildAutosaveRequestPacket(identifier);
  for (std::uint32_t player : m_players)
    if (HasGame(player)) m_out.Send(player, SrvPacket(p.bytes.begin(), p.bytes.end()), true);
}
