// E-mail input files from any bytes: the header, then packet records read
// one by one as the dispatcher takes them. Every record handed out fits the
// packet size, and the reading ends.
#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>

#include "Game/base/Packets.h"
#include "Game/net/NetSession.h"
#include "Game/save/EmailTurn.h"
#include "fuzz/scratch.h"
#include "hvmulti/HvMulti.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const fuzz::Scratch& scratch = fuzz::Scratch::Get();
  static CNetSession session(std::make_unique<CHvMulti>());
  session.emailGameName = "fuzz.s07";
  scratch.Write("fuzz.s07", std::span(data, size));
  if (ReadEmailInputFile(session, 7) != 7) __builtin_trap();
  std::array<std::uint8_t, kMaxPacketSize> buffer;
  std::uint32_t length = 0;
  std::size_t records = 0;
  while (ReadEmailPacket(session, buffer, &length) == 0) {
    if (length > buffer.size() || ++records > size) __builtin_trap();
  }
  if (session.emailInput != nullptr) __builtin_trap();
  return 0;
}
