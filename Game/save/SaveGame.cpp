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

void CloseProgress() { ClientShell().CloseProgress(); }

void CopyName(std::span<std::uint8_t> packet, const std::string& name) {
  const std::size_t n = std::min(name.size(), kSavePacketNameSize - 1);
  std::memcpy(packet.data() + 8, name.data(), n);
}

// The files the player's own saves stand in until the server answers: named
// apart from the temporary file of any other write ("<name>.ownN.tmp"), and
// one a save, as an earlier save of the same name may still wait in its own.
constexpr const char* kOwnAsideMark = ".own";

// The first free one beside `path`; empty when every one is taken.
std::string FreeAside(const std::string& path) {
  constexpr int kMostAsides = 64;
  for (int i = 0; i < kMostAsides; ++i) {
    std::string aside = path + kOwnAsideMark + std::to_string(i) + ".tmp";
    if (!plat::GetFileWriteTime(aside)) return aside;
  }
  return {};
}

// The save proper, in place or aside (SafeWrite.h) under a progress dialog.
SaveOutcome SaveAs(const std::string& name, std::uint32_t identifier, bool aside) {
  SaveOutcome outcome{SaveOutcome::End::CannotCreate, {name, {}}};
  const std::string path = g_instData.GetSavePath() + name;
  if (aside && (outcome.file.aside = FreeAside(path)).empty()) return outcome;
  const std::string serverFile = ReplaceExtension(name, ".svr");
  const auto body = [&](plat::FILE* fp) { return WriteSaveFile(fp, identifier, 0, serverFile.c_str()) != 0; };
  ClientShell().OpenProgress("SAVEGAME", 0);
  const WriteResult result = aside ? WriteFileAside(outcome.file.aside, body) : WriteFileSafely(path, body);
  CloseProgress();
  if (result == WriteResult::Written) outcome.end = SaveOutcome::End::Written;
  if (result == WriteResult::Failed) outcome.end = SaveOutcome::End::Failed;
  return outcome;
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
  const std::string serverFile = ReplaceExtension(name, ".svr");
  return WriteFileSafely(directory + name, [&](plat::FILE* fp) {
           return WriteSaveFile(fp, identifier, advance, email ? nullptr : serverFile.c_str()) != 0;
         }) == WriteResult::Written;
}

SaveOutcome SaveGame(std::span<const std::uint8_t> request, const char* chosen) {
  if (g_gameData == nullptr) return {};
  if (!request.empty()) {
    if (request.size() < kSavePacketSize) return {};
    const char* text = reinterpret_cast<const char*>(request.data() + 8);
    const std::string requested(text, strnlen(text, kSavePacketNameSize));
    // The name comes from another machine: it may only name a file in the
    // save directory.
    if (!IsPlainFileName(requested)) return {};
    const std::string name = ReplaceExtension(requested, ".clt");
    std::uint32_t identifier = 0;
    plat::ByteReader(request).ReadAt(264, identifier);
    const std::string path = g_instData.GetSavePath() + name;
    if (plat::GetFileWriteTime(path) && !ClientShell().AskYesNo("SAVEYSNO", name.c_str())) return {};
    return SaveAs(name, identifier, false);
  }

  std::string asked;
  if (chosen == nullptr) {
    if (!ClientShell().ChooseSaveName(&asked)) return {};
    chosen = asked.c_str();
  }
  if (chosen[0] == '\0' || chosen[0] == '.') return {};
  if (!IsPlainFileName(chosen)) return {SaveOutcome::End::CannotCreate, {chosen, {}}};
  const std::string name = ReplaceExtension(chosen, ".clt");
  const std::uint32_t identifier = (g_gameData->turn << 16) + static_cast<std::uint32_t>(plat::rand() % 65535);
  SaveOutcome outcome = SaveAs(name, identifier, true);
  if (!outcome) return outcome;
  std::array<std::uint8_t, kSavePacketSize> packet{};
  plat::ByteWriter pw(packet);
  pw.WriteAt<std::uint16_t>(0, PKT_SAVE_GAME);
  CopyName(packet, ReplaceExtension(name, ".svr"));
  pw.WriteAt<std::uint32_t>(264, identifier);
  pw.WriteAt<std::uint16_t>(268, g_gameData->localChapterId);
  PacketSink().SendToAll(packet);
  return outcome;
}

bool SettleOwnSave(const SaveFile& save, bool serverSaved) {
  if (save.aside.empty()) return serverSaved;
  const std::string path = g_instData.GetSavePath() + save.name;
  if (!serverSaved) {
    DropFileAside(save.aside);
    return false;
  }
  if (!PutFileInPlace(save.aside, path)) return false;
  ClientShell().OwnSaveWritten(save.name);
  return true;
}

void DropOwnSavesAside() {
  const std::string dir = g_instData.GetSavePath();
  for (const std::string& name : MatchingFiles(dir, "*.tmp"))
    if (name.find(std::string(".clt") + kOwnAsideMark) != std::string::npos) plat::remove((dir + name).c_str());
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
