// Designs live in blocks of slots that destroyed designs hand back. Made and
// destroyed in a shuffled order across several blocks, every design alive must
// have a place of its own and keep what it holds; one of a derived class, of
// another size, is made and destroyed too.
#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "Game/rules/GUnitTem.h"

namespace {

std::unique_ptr<CGUnitTemplate> Made(int n) {
  auto design = std::make_unique<CGUnitTemplate>(static_cast<std::uint8_t>(n % 40), 0x100 + n);
  design->SetName(("Design number " + std::to_string(n) + " of the slot test").c_str());
  design->mass = static_cast<std::uint32_t>(n) * 3;
  return design;
}

TEST(DesignSlots, DesignsMadeAndDestroyedInAnyOrderKeepTheirOwnPlaces) {
  std::mt19937 random(57);
  std::vector<std::pair<int, std::unique_ptr<CGUnitTemplate>>> alive;
  int next = 0;
  for (int round = 0; round < 6; ++round) {
    for (int i = 0; i < 150; ++i, ++next) alive.emplace_back(next, Made(next));
    std::shuffle(alive.begin(), alive.end(), random);
    alive.resize(alive.size() / 2);
  }
  struct Wider : CGUnitTemplate {
    Wider() : CGUnitTemplate(1, 7) {}
    std::uint64_t extra[8] = {1, 2, 3, 4, 5, 6, 7, 8};
  };
  auto wider = std::make_unique<Wider>();
  std::set<const void*> places{wider.get()};
  for (const auto& [n, design] : alive) {
    EXPECT_TRUE(places.insert(design.get()).second) << "two live designs share a place: " << n;
    EXPECT_EQ(design->templateId, static_cast<std::uint32_t>(0x100 + n));
    EXPECT_STREQ(design->GetName(), ("Design number " + std::to_string(n) + " of the slot test").c_str());
    EXPECT_EQ(design->mass, static_cast<std::uint32_t>(n) * 3);
  }
  EXPECT_EQ(wider->extra[7], 8u);
}

}  // namespace
