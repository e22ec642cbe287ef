// The view framework's block of a saved game, read from hostile bytes with no
// screen around it: a block that reads is applied, anything else changes
// nothing and never reads past its end.
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "Game/model/GNotify.h"
#include "Game/views/frame/CVGeneric.h"
#include "Game/views/frame/CVSavedState.h"
#include "fuzz/seeds.h"

namespace {

// A block of `version` holding a few notifications, as written by this program
// (version 3) or laid out as older ones wrote it.
std::vector<std::uint8_t> Block(std::uint8_t version) {
  std::vector<std::uint8_t> bytes;
  BlockWriter w(&bytes);
  w.U8(version);
  w.U32(1);
  CGNotificationList list;
  list.Add(9, 4, 402, nullptr, nullptr, 0, 2, 0xFFFFFFFFu);
  list.Add(9, 2, 208, "12", "", 3, 10, 0x00200010u);
  list.categoryFilters[4] = 1;
  list.Save(w);
  for (int i = 0; i < 100; ++i) {
    w.U16(static_cast<std::uint16_t>(i % 3 == 0 ? 100 : i % 3));
    w.U32(static_cast<std::uint32_t>(i));
  }
  w.U8(0xFE);
  w.U32(4);
  w.U16(0);
  w.U32(2);
  w.U32(3);
  w.U8(1);
  w.U16(5);
  w.U32(1);
  if (version > 2) {
    w.U32(0);
    w.U32(1);
  }
  w.U8(5);
  if (version > 1) w.U16(3);
  w.U8(0xFE);
  return bytes;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  fuzz::WriteSeedsIfAsked([] { return fuzz::Seeds{Block(1), Block(2), Block(3)}; });
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::span<const std::uint8_t> bytes(data, size);
  SharedScreen().gotoGroup = 0;
  BlockReader r(bytes);
  const LoadStatus status = ReadSavedViewBlock(r);
  if (r.Pos() > size) __builtin_trap();
  if (status == LoadStatus::kOk) {
    if (SharedScreen().gotoGroup >= kGotoGroups || SharedScreen().endTurnSentTurn != 0xFFFFFFFFu) __builtin_trap();
  } else if (SharedScreen().gotoGroup != 0) {
    __builtin_trap();
  }
  return 0;
}
