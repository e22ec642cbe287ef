// Saved games, loaded over a running game: the header, the game data, the
// application's block and the packed replay files. An input whose first byte
// is even is the file itself; an odd one damages a whole save the target
// makes (with two replay files): a u32 length to cut it to, then edits of
// u32 offset and u8 value. A file that is refused leaves the running game
// exactly as it was; one that loads saves again.
//
// The games have one chapter per guild: five chapters to write and compare
// per input rather than forty, the same code on every path.
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "Game/model/GGameData.h"
#include "Game/save/GameLoader.h"
#include "Game/save/SaveGame.h"
#include "fuzz/scratch.h"
#include "platform/core/bytes.h"
#include "tests/support/recording_shell.h"

namespace {

// Guild 1's first chapter, in games of one chapter per guild.
constexpr std::uint16_t kLocalChapter = 8;
constexpr std::uint8_t kChaptersPerGuild = 1;

// The application's block of every save: written and read back whole.
quentest::RecordingShell& Shell() {
  static quentest::RecordingShell& shell = []() -> quentest::RecordingShell& {
    auto* made = new quentest::RecordingShell;
    made->appState = "viewstat";
    return *made;
  }();
  return shell;
}

std::vector<std::uint8_t> ModelBytes() {
  plat::FILE* fp = plat::fopen("Q:\\model.bin", "wb");
  if (fp == nullptr || g_gameData->Save(fp) == 0) __builtin_trap();
  plat::fclose(fp);
  const auto bytes = plat::ReadWholeFile("Q:\\model.bin");
  if (!bytes) __builtin_trap();
  return *bytes;
}

const std::vector<std::uint8_t>& WholeSave() {
  static const std::vector<std::uint8_t> save = [] {
    const fuzz::Scratch& scratch = fuzz::Scratch::Get();
    const std::uint8_t replay[] = {9, 17, 0xFF, 3, 0, 1, 2, 3};
    const std::uint8_t terrain[] = {1, 0, 7, 7};
    scratch.Write("3.rpl", replay);
    scratch.Write("1.trp", terrain);
    g_gameData = new CGameData(kLocalChapter, kChaptersPerGuild);
    g_gameData->turn = 30;
    if (!WriteSaveFileAs("", "whole.clt", 0x1E0042, 0, false)) __builtin_trap();
    delete g_gameData;
    plat::remove("Q:\\3.rpl");
    plat::remove("Q:\\1.trp");
    const auto bytes = plat::ReadWholeFile("Q:\\whole.clt");
    if (!bytes) __builtin_trap();
    return *bytes;
  }();
  return save;
}

std::vector<std::uint8_t> Damaged(std::span<const std::uint8_t> edits) {
  std::vector<std::uint8_t> file = WholeSave();
  plat::ByteReader r(edits);
  std::uint32_t cut = 0;
  if (r.Read(cut) && cut < file.size()) file.resize(cut);
  std::uint32_t offset = 0;
  std::uint8_t value = 0;
  while (!file.empty() && r.Read(offset) && r.Read(value)) file[offset % file.size()] = value;
  return file;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1) return 0;
  const fuzz::Scratch& scratch = fuzz::Scratch::Get();
  Shell().boxes.clear();  // what one input showed, not the whole run's
  Shell().progress.clear();
  const std::vector<std::uint8_t> file =
      data[0] % 2 == 0 ? std::vector<std::uint8_t>(data + 1, data + size) : Damaged({data + 1, size - 1});
  g_gameData = new CGameData(kLocalChapter, kChaptersPerGuild);
  g_gameData->turn = 12;
  // Every input starts from the same running game.
  static const std::vector<std::uint8_t> running = ModelBytes();

  scratch.Write("fuzz.clt", file);
  SaveHeader header;
  ReadSaveHeader("Q:\\fuzz.clt", &header);
  const bool loaded = CGameLoader::ForRequest("fuzz.clt", LoadPlace::SaveDirectory).Load();
  if (g_gameData == nullptr) __builtin_trap();
  if (!loaded && ModelBytes() != running) __builtin_trap();
  if (loaded) ModelBytes();
  delete g_gameData;
  return 0;
}
