// Saved blocks of the game model: a list of locations as the array manager
// loads it, then the validity byte that closes a block. A list that loads whole
// saves back to exactly the bytes it was read from.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <vector>

#include "Game/arrayman/ArrayMan.h"
#include "Game/base/GPersist.h"
#include "Game/model/GLocation.h"
#include "fuzz/scratch.h"

namespace {

struct LocationIO {
  static int Write(plat::FILE* fp, const Location& loc) { return SaveLocation(&loc, fp); }
  static std::unique_ptr<Location> Read(plat::FILE* fp) {
    auto loc = std::make_unique<Location>();
    if (LoadLocation(loc.get(), fp) == 0) return nullptr;
    return loc;
  }
};

using LocationList = ArrayMan<Location, LocationIO>;

void DeleteAll(LocationList& list) {
  for (std::uint16_t i = 0; i < list.count; ++i) delete list.items[i];
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1) return 0;
  const fuzz::Scratch& scratch = fuzz::Scratch::Get();
  const std::span<const std::uint8_t> block(data + 1, size - 1);
  plat::FILE* fp = scratch.Open("block.sav", block);
  if (fp == nullptr) __builtin_trap();

  LocationList list;
  list.growStep = data[0];  // 0 included: the array must still make room
  const int loaded = list.Load(fp);
  const long used = plat::ftell(fp);
  ReadValidityByte(fp);
  ArrayMan<Location> counted;
  counted.Load(fp);
  plat::fclose(fp);

  if (loaded != 0) {
    if (used != 2 + 8 * static_cast<long>(list.count)) __builtin_trap();
    plat::FILE* out = plat::fopen("Q:\\again.sav", "w+b");
    if (out == nullptr || list.Save(out) == 0) __builtin_trap();
    plat::rewind(out);
    std::vector<std::uint8_t> again(static_cast<std::size_t>(used) + 1);
    if (plat::fread(again.data(), 1, again.size(), out) != static_cast<std::size_t>(used)) __builtin_trap();
    again.pop_back();
    if (!std::equal(again.begin(), again.end(), block.begin())) __builtin_trap();
    plat::fclose(out);
  }
  DeleteAll(list);
  return 0;
}
