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
#include "server/email/SrvEmail.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static SrvLog log;
  const std::string folder = fuzz::Scratch::Get().dir().string() + "/";
  static const bool created = CreateEmailGame(folder, "F", 1, log);
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
