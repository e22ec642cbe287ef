#include "media/PointerRegistry.h"

#include <algorithm>
#include <array>

namespace {

std::array<const void*, kPointerRegistrySlots> g_pointerRegistry{};

const void** Find(const void* p) {
  const auto it = std::find(g_pointerRegistry.begin(), g_pointerRegistry.end(), p);
  return it != g_pointerRegistry.end() ? &*it : nullptr;
}

}  // namespace

int PointerRegistryAdd(const void* p) {
  if (p == nullptr) return 0;
  const void** slot = Find(nullptr);
  if (slot == nullptr) return 0;
  *slot = p;
  return 1;
}

int PointerRegistryContains(const void* p) { return p != nullptr && Find(p) != nullptr ? 1 : 0; }

int PointerRegistryRemove(const void* p) {
  const void** slot = p != nullptr ? Find(p) : nullptr;
  if (slot == nullptr) return 0;
  *slot = nullptr;
  return 1;
}
