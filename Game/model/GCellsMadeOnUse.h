#pragma once
// A fixed table of N cells, each made the first time it is asked for to be
// changed. The piece database has 6,080 cells (chapter by location) and most
// of them never hold a unit, while every load builds a new database and
// destroys the old one: a table of cells all made up front is 140 KB written
// when the database is made and read twice when it goes (emptied, then
// destroyed), most of it out of the cache. Here a new table writes only its
// map of made cells, and its end visits the made cells alone.
//
// A cell never made reads as an empty one. Not thread-safe.

#include <array>
#include <bit>
#include <cassert>
#include <cstddef>
#include <cstdint>
#include <new>

template <class T, std::size_t N>
class CellsMadeOnUse {
 public:
  // Writes the map alone, even where the table is value-initialised.
  CellsMadeOnUse() {}
  ~CellsMadeOnUse() {
    ForEachMadeBackward([](std::size_t, T& cell) { cell.~T(); });
  }
  CellsMadeOnUse(const CellsMadeOnUse&) = delete;
  CellsMadeOnUse& operator=(const CellsMadeOnUse&) = delete;

  static constexpr std::size_t size() { return N; }

  // The cell `i`, made as T() first if it was not yet.
  T& Make(std::size_t i) {
    assert(i < N);
    std::uint64_t& word = m_made[i / kBits];
    const std::uint64_t bit = std::uint64_t{1} << (i % kBits);
    if ((word & bit) == 0) {
      ::new (static_cast<void*>(m_storage + i * sizeof(T))) T();
      word |= bit;
    }
    return *Made(i);
  }

  // The cell `i` as it stands: a shared empty T while it was never made.
  const T& operator[](std::size_t i) const {
    assert(i < N);
    return IsMade(i) ? *Made(i) : Empty();
  }

  bool IsMade(std::size_t i) const { return (m_made[i / kBits] >> (i % kBits) & 1) != 0; }

  // visit(index, cell) for every made cell, in index order.
  template <class F>
  void ForEachMade(F&& visit) const {
    for (std::size_t w = 0; w < kWords; ++w) {
      for (std::uint64_t bits = m_made[w]; bits != 0; bits &= bits - 1) {
        const std::size_t i = w * kBits + static_cast<std::size_t>(std::countr_zero(bits));
        visit(i, static_cast<const T&>(*Made(i)));
      }
    }
  }

  // visit(index, cell) for every made cell, from the last to the first.
  template <class F>
  void ForEachMadeBackward(F&& visit) {
    for (std::size_t w = kWords; w-- > 0;) {
      for (std::uint64_t bits = m_made[w]; bits != 0;) {
        const int top = kBits - 1 - std::countl_zero(bits);
        bits &= ~(std::uint64_t{1} << top);
        const std::size_t i = w * kBits + static_cast<std::size_t>(top);
        visit(i, *Made(i));
      }
    }
  }

 private:
  static constexpr int kBits = 64;
  static constexpr std::size_t kWords = (N + kBits - 1) / kBits;

  T* Made(std::size_t i) { return std::launder(reinterpret_cast<T*>(m_storage + i * sizeof(T))); }
  const T* Made(std::size_t i) const { return std::launder(reinterpret_cast<const T*>(m_storage + i * sizeof(T))); }
  static const T& Empty() {
    static const T empty{};
    return empty;
  }

  std::array<std::uint64_t, kWords> m_made{};
  // Left unwritten until a cell is made there.
  alignas(T) std::byte m_storage[N * sizeof(T)];
};
