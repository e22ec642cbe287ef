#include "Game/model/GUnitOrder.h"

#include "Game/base/ByteStream.h"
#include "Game/base/GBlockStream.h"
#include "Game/base/GPersist.h"
#include "Game/model/GUnit.h"
#include "platform/core/bytes.h"

UnitOrder::UnitOrder(const UnitOrder& other)
    : head(other.head), flag(other.flag), target(other.target), type(other.type), savedTargetId(other.savedTargetId) {
  if (other.construction) construction = std::make_unique<ConstructionBlock>(*other.construction);
  if (other.landing) landing = std::make_unique<LandingBlock>(*other.landing);
  if (other.recovery) recovery = std::make_unique<RecoveryBlock>(*other.recovery);
}

std::uint32_t UnitOrder::Word(int n) const {
  std::uint32_t v = 0;
  if (n == 0 || n == 1) plat::ByteReader(head).ReadAt(4 * static_cast<std::size_t>(n), v);
  return v;
}

void UnitOrder::SetWord(int n, std::uint32_t value) {
  if (n == 0 || n == 1) plat::ByteWriter(head).WriteAt(4 * static_cast<std::size_t>(n), value);
}

Location UnitOrder::GetLocation() const {
  Location loc;
  plat::ByteReader r(head);
  r.Read(loc.asteroid);
  r.Read(loc.x);
  r.Read(loc.y);
  r.Read(loc.z);
  return loc;
}

void UnitOrder::SetLocation(const Location& loc) {
  plat::ByteWriter w(head);
  w.Write(loc.asteroid);
  w.Write(loc.x);
  w.Write(loc.y);
  w.Write(loc.z);
}

bool IsConstructionOrderType(std::uint32_t type) {
  return type == ORDER_BUILD_ATVS || type == ORDER_BUILD_SHIP || type == ORDER_MODIFY_SHIP ||
         type == ORDER_BUILD_OR_REPAIR_SHIP || type == ORDER_REBUILD_UNIT;
}

bool UnitOrder::OwnsConstructionBlock() const { return IsConstructionOrderType(type); }

namespace {

// Words of the construction block that the version-2 form keeps.
constexpr int kV2Words[] = {0, 1, 2, 4, 5, 6, 8};

// Version 2 wrote no block for type 18, so a type-18 order lost its payment
// and a cancel after loading refunded nothing; version 3 keeps every word.
bool SavesConstructionBlock(std::uint32_t type, std::uint8_t version) {
  return IsConstructionOrderType(type) && (version >= 3 || type != ORDER_BUILD_OR_REPAIR_SHIP);
}

}  // namespace

int WriteUnitOrder(plat::FILE* fp, const UnitOrder& order, std::uint8_t version) {
  BlockWriter w(fp);
  return WriteUnitOrder(w, order, version);
}

int WriteUnitOrder(BlockWriter& w, const UnitOrder& order, std::uint8_t version) {
  w.WriteBytes(order.head);
  w.U32(0);  // words 2 and 3 named the blocks in memory
  w.U32(0);
  w.U32(order.target != nullptr ? order.target->id : kNoTargetId);
  w.U32(order.type);
  w.U8(order.flag);
  if (SavesConstructionBlock(order.type, version)) {
    w.U8(order.construction ? 1 : 0);
    if (order.construction) {
      if (version >= 3) {
        for (std::uint16_t word : order.construction->words) w.U16(word);
      } else {
        for (int i : kV2Words) w.U16(order.construction->words[i]);
      }
    }
  } else if (order.type == ORDER_RECOVER_ATVS) {
    w.U8(order.recovery ? 1 : 0);
    if (order.recovery) {
      for (std::uint16_t word : order.recovery->words) w.U16(word);
    }
  } else if (order.type == ORDER_LAND_ATVS) {
    w.U8(order.landing ? 1 : 0);
    if (order.landing) w.WriteBytes(order.landing->bytes);
  }
  w.U8(kValidityByte);
  return w.Ok() ? 1 : 0;
}

std::unique_ptr<UnitOrder> ReadUnitOrder(plat::FILE* fp, std::uint8_t version) {
  BlockReader r(fp);
  return ReadUnitOrder(r, version);
}

std::unique_ptr<UnitOrder> ReadUnitOrder(BlockReader& r, std::uint8_t version) {
  auto order = std::make_unique<UnitOrder>();
  r.ReadBytes(order->head);
  r.U32();
  r.U32();
  order->savedTargetId = r.U32();
  order->type = r.U32();
  order->flag = r.U8();
  if (!r.Ok()) return nullptr;
  auto present = [&r]() -> int {
    std::uint8_t b = 0;
    if (!r.Read(b) || b > 1) return -1;
    return b;
  };
  if (SavesConstructionBlock(order->type, version)) {
    const int has = present();
    if (has < 0) return nullptr;
    if (has == 1) {
      order->construction = std::make_unique<ConstructionBlock>();
      if (version >= 3) {
        for (std::uint16_t& word : order->construction->words) word = r.U16();
      } else {
        for (int i : kV2Words) order->construction->words[i] = r.U16();
      }
    }
  } else if (order->type == ORDER_RECOVER_ATVS) {
    const int has = present();
    if (has < 0) return nullptr;
    if (has == 1) {
      order->recovery = std::make_unique<RecoveryBlock>();
      for (std::uint16_t& word : order->recovery->words) word = r.U16();
    }
  } else if (order->type == ORDER_LAND_ATVS) {
    const int has = present();
    if (has < 0) return nullptr;
    if (has == 1) {
      order->landing = std::make_unique<LandingBlock>();
      r.ReadBytes(order->landing->bytes);
    }
  }
  if (!r.Ok() || r.U8() != kValidityByte || !r.Ok()) return nullptr;
  return order;
}
