#include "Game/save/SaveGame.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <utility>
#include <vector>

#include "Game/base/ByteStream.h"
#include "Game/base/ClientShell.h"
#include "Game/base/GInstData.h"
#include "Game/base/GPersist.h"
#include "Game/base/PacketSink.h"
#include "Game/base/Packets.h"
#include "Game/model/GGameData.h"
#include "Game/save/SafeWrite.h"
#include "platform/core/dospath.h"
#include "platform/core/random.h"

namespace {

constexpr std::uint16_t kMaxPackedFiles = 0xFFFF;

// The turn counter holds the header's turn while the model is written, and
// goes back to the live value whatever happens.
class TurnOverride {
 public:
  TurnOverride(CGameData& game, std::uint32_t turn) : m_game(game), m_live(game.turn) { game.turn = turn; }
  ~TurnOverride() { m_game.turn = m_live; }
  TurnOverride(const TurnOverride&) = delete;
  TurnOverride& operator=(const TurnOverride&) = delete;

 private:
  CGameData& m_game;
  std::uint32_t m_live;
};

std::vector<std::string> MatchingFiles(const std::string& directory, const char* pattern) {
  std::vector<std::string> names;
  plat::_finddata_t found;
  const std::intptr_t search = plat::_findfirst((directory + pattern).c_str(), &found);
  if (search == -1) return names;
  do {
    if ((found.attrib & plat::_A_SUBDIR) == 0) names.emplace_back(found.name);
  } while (names.size() < kMaxPackedFiles && plat::_findnext(search, &found) == 0);
  plat::_findclose(search);
  return names;
}

// u16 count, then each file as u32 length and its bytes; a file that cannot
// be read is packed empty.
bool PackFiles(FileWriter& w, const std::string& directory, const char* pattern) {
  const std::vector<std::string> names = MatchingFiles(directory, pattern);
  w.U16(static_cast<std::uint16_t>(names.size()));
  for (const std::string& name : names) {
    const auto bytes = plat::ReadWholeFile(directory + name);
    if (!bytes || bytes->size() > 0xFFFFFFFFu) {
      w.U32(0);
      continue;
    }
    w.U32(static_cast<std::uint32_t>(bytes->size()));
    w.WriteBytes(std::span<const std::uint8_t>(*bytes));
  }
  return w.Ok();
}

void Show(const char* textId, const char* arg = nullptr) { ClientShell().ShowTextBox(textId, arg); }

void CloseProgress() { ClientShell().CloseProgress(); }

void CopyName(std::span<std::uint8_t> packet, const std::string& name) {
  const std::size_t n = std::min(name.size(), kSavePacketNameSize - 1);
  std::memcpy(packet.data() + 8, name.data(), n);
}

// The player's own save written aside, by its name in the save directory,
// until the server answers for its half; empty when none waits.
std::string g_ownSaveAside;

// In place, or `aside` (SafeWrite.h).
WriteResult WriteSave(const std::string& directory, const std::string& name, std::uint32_t identifier, int advance,
                      bool email, bool aside = false) {
  const std::string serverFile = ReplaceExtension(name, ".svr");
  const auto body = [&](plat::FILE* fp) {
    return WriteSaveFile(fp, identifier, advance, email ? nullptr : serverFile.c_str()) != 0;
  };
  return aside ? WriteFileAside(directory + name, body) : WriteFileSafely(directory + name, body);
}

// The save proper, with its boxes.
bool SaveAs(const std::string& name, std::uint32_t identifier, bool aside) {
  ClientShell().OpenProgress("SAVEGAME", 0);
  const WriteResult result = WriteSave(g_instData.GetSavePath(), name, identifier, 0, false, aside);
  CloseProgress();
  if (result == WriteResult::CannotCreate) Show("NOCRTFLE", name.c_str());
  if (result == WriteResult::Failed) Show("SAVEFAIL");
  return result == WriteResult::Written;
}

}  // namespace

int WriteSaveFile(plat::FILE* fp, std::uint32_t identifier, int advance, const char* serverFileName) {
  if (g_gameData == nullptr || fp == nullptr) return 0;
  CGameData& game = *g_gameData;
  const std::uint32_t turn = game.turn + (advance != 0 ? 1 : 0);
  FileWriter w(fp);
  w.U8(kSaveVersion);
  w.U32(identifier);
  w.U32(turn);
  w.U32(game.GetLocalGuildIndex());
  if (serverFileName != nullptr) {
    const std::size_t n = std::min<std::size_t>(std::strlen(serverFileName), 254);
    w.U8(static_cast<std::uint8_t>(n + 1));
    w.WriteBytes(std::span(reinterpret_cast<const std::uint8_t*>(serverFileName), n));
    w.U8(0);
  }
  w.U16(game.localChapterId);
  w.U8(game.chaptersPerGuild);
  if (!w.Ok()) return 0;
  {
    TurnOverride during(game, turn);
    if (game.Save(fp) == 0) return 0;
  }
  if (WriteValidityByte(fp) == 0) return 0;
  // The application writes no block while no view is up, and says 0; that
  // is no failure of the save. A write that fails leaves the file in error,
  // which the safe write finds before the file takes the old one's place.
  ClientShell().SaveAppState(fp);
  const std::string saveDir = g_instData.GetSavePath();
  if (!PackFiles(w, saveDir, "*.rpl") || !PackFiles(w, saveDir, "*.trp")) return 0;
  return 1;
}

bool WriteSaveFileAs(const std::string& directory, const std::string& name, std::uint32_t identifier, int advance,
                     bool email) {
  return WriteSave(directory, name, identifier, advance, email) == WriteResult::Written;
}

bool SaveGame(std::span<const std::uint8_t> request, const char* chosen) {
  if (g_gameData == nullptr) return false;
  if (!request.empty()) {
    if (request.size() < kSavePacketSize) return false;
    const char* text = reinterpret_cast<const char*>(request.data() + 8);
    const std::string requested(text, strnlen(text, kSavePacketNameSize));
    // The name comes from another machine: it may only name a file in the
    // save directory.
    if (!IsPlainFileName(requested)) return false;
    const std::string name = ReplaceExtension(requested, ".clt");
    std::uint32_t identifier = 0;
    plat::ByteReader(request).ReadAt(264, identifier);
    const std::string path = g_instData.GetSavePath() + name;
    if (plat::GetFileWriteTime(path) && !ClientShell().AskYesNo("SAVEYSNO", name.c_str())) return false;
    return SaveAs(name, identifier, false);
  }

  std::string asked;
  if (chosen == nullptr) {
    if (!ClientShell().ChooseSaveName(&asked)) return false;
    chosen = asked.c_str();
  }
  if (chosen[0] == '\0' || chosen[0] == '.') return false;
  if (!IsPlainFileName(chosen)) {
    Show("NOCRTFLE", chosen);
    return false;
  }
  const std::string name = ReplaceExtension(chosen, ".clt");
  const std::uint32_t identifier = (g_gameData->turn << 16) + static_cast<std::uint32_t>(plat::rand() % 65535);
  SettleOwnSave(false);  // one the server never answered for
  if (!SaveAs(name, identifier, true)) return false;
  g_ownSaveAside = name;
  std::array<std::uint8_t, kSavePacketSize> packet{};
  plat::ByteWriter pw(packet);
  pw.WriteAt<std::uint16_t>(0, PKT_SAVE_GAME);
  CopyName(packet, ReplaceExtension(name, ".svr"));
  pw.WriteAt<std::uint32_t>(264, identifier);
  pw.WriteAt<std::uint16_t>(268, g_gameData->localChapterId);
  PacketSink().SendToAll(packet);
  return true;
}

bool SettleOwnSave(bool serverSaved) {
  const std::string name = std::exchange(g_ownSaveAside, {});
  if (name.empty()) return serverSaved;
  const std::string path = g_instData.GetSavePath() + name;
  if (!serverSaved) {
    DropFileAside(path);
    return false;
  }
  if (!PutFileInPlace(path)) return false;
  ClientShell().OwnSaveWritten(name);
  return true;
}

bool AutoSave(std::uint32_t identifier) {
  if (g_gameData == nullptr) return false;
  const std::string dir = g_instData.GetSavePath();
  // Without its backup the old autosave would be gone before the new one is
  // safe: no backup, no autosave.
  if (const auto old = plat::ReadWholeFile(dir + "autosave.clt")) {
    const bool copied = WriteFileSafely(dir + "asavebak.clt", [&](plat::FILE* fp) {
                          return plat::fwrite(old->data(), 1, old->size(), fp) == old->size();
                        }) == WriteResult::Written;
    if (!copied) return false;
  }
  return WriteSaveFileAs(dir, "autosave.clt", identifier, 1, false);
}

bool WriteEmailClientFile(const char* name) {
  if (g_gameData == nullptr || name == nullptr || !IsPlainFileName(name)) return false;
  return WriteSaveFileAs(g_instData.GetEmailPath(), StripExtension(name) + ".ecl", kEmailSaveIdentifier, 0, true);
}

bool ReadSaveHeader(plat::FILE* fp, bool email, SaveHeader* out) {
  FileReader r(fp);
  SaveHeader h;
  r.Read(h.version);
  r.Read(h.identifier);
  if (h.version > 1) {
    r.Read(h.turn);
    r.Read(h.guild);
  }
  if (!email) {
    const std::uint8_t n = r.U8();
    std::array<std::uint8_t, 255> text{};
    r.ReadBytes(std::span(text.data(), n));
    h.serverFile.assign(reinterpret_cast<const char*>(text.data()),
                        strnlen(reinterpret_cast<const char*>(text.data()), n));
  }
  if (!r.Ok() || h.version == 0 || h.version > kSaveVersion) return false;
  *out = std::move(h);
  return true;
}

bool ReadSaveHeader(const char* name, SaveHeader* out) {
  if (name == nullptr) return false;
  plat::FILE* fp = plat::fopen(name, "rb");
  if (fp == nullptr) fp = plat::fopen(ReplaceExtension(name, ".clt").c_str(), "rb");
  if (fp == nullptr) return false;
  const bool ok = ReadSaveHeader(fp, false, out);
  plat::fclose(fp);
  return ok;
}
