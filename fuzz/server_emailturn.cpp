// An e-mail turn processed from a client turn file of any bytes. The game is
// created once; each input is chapter 0's turn file of that game, which the
// server must apply, refuse or pass over, and then resolve the turn.
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include "fuzz/scratch.h"
#include "server/SrvEmail.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static SrvLog log;
  const std::string folder = fuzz::Scratch::Get().dir().string() + "/";
  static const bool created = CreateEmailGame(folder, "F", 1, log);
  if (!created) return 0;
  fuzz::Scratch::Get().Write("F.c00", std::span<const std::uint8_t>(data, size));
  ProcessEmailTurn(folder, "F.c00", log);
  return 0;
}
