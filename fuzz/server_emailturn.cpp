// An e-mail turn processed from a client turn file of any records. The game
// is created once; each input follows the running turn's number in chapter
// 0's turn file, which the server must apply or refuse, and then resolve the
// turn.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>
#include <string>
#include <vector>

#include "fuzz/scratch.h"
#include "platform/core/registry.h"
#include "server/SrvDurableFile.h"
#include "server/email/SrvEmail.h"
#include "tests/server/srv_test_rules.h"

namespace {

// The game is played by rules, as the server plays none without: the test
// rules in the scratch folder, named the installation by a registry of its own.
bool CreateGame(const std::string& folder, SrvLog& log) {
  fuzz::Scratch& scratch = fuzz::Scratch::Get();
  plat::SetRegistryFile(scratch.dir() / "registry.reg");
  plat::HKEY key = nullptr;
  if (plat::RegCreateKeyEx(plat::HKEY_CURRENT_USER, "SOFTWARE\\Halvorn\\Quenbar\\Release", 0, nullptr, 0,
                           plat::KEY_ALL_ACCESS, nullptr, &key, nullptr) != plat::ERROR_SUCCESS)
    return false;
  const char install[] = "Q:\\";
  plat::RegSetValueEx(key, "PATH", 0, plat::REG_SZ, reinterpret_cast<const plat::BYTE*>(install), sizeof install);
  plat::RegCloseKey(key);
  WriteSrvTestRules(scratch.dir());
  // A small game, so that a turn costs little, under the hardest fog, so that its filters run.
  const std::string setup =
      "NumberOfChapters: 1\nNumberOfAsteroids: 8\nFOWShowInTransit: 2\nFOWShowInAsteroidal: 2\n"
      "FOWAstStartScanned: 1\nFOWShipStartScanned: 1\nFOWDispControlOfAst: 1\nFOWShowAsteroids: 1\n";
  scratch.Write("F-eminfo.dat", std::span(reinterpret_cast<const std::uint8_t*>(setup.data()), setup.size()));
  // The folder goes with the run: its files need not wait for the disk.
  SrvSetSyncedWrites(false);
  return CreateEmailGame(folder, "F", 1, log);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static SrvLog log;
  const std::string folder = fuzz::Scratch::Get().dir().string() + "/";
  static const bool created = CreateGame(folder, log);
  // Each processed turn moves the game on, and the turn file's name with it.
  static std::uint32_t turn = 0;
  if (!created) return 0;
  std::vector<std::uint8_t> file(4 + size);
  std::memcpy(file.data(), &turn, 4);
  if (size > 0) std::memcpy(file.data() + 4, data, size);
  fuzz::Scratch::Get().Write("F-" + std::to_string(turn) + ".c00", file);
  if (ProcessEmailTurn(folder, "F.esv", log)) ++turn;
  return 0;
}
