#pragma once
// The growable array of element pointers that carries the lists of the game
// model. It never owns its elements: the owner deletes them before the array
// goes. Index 0xFFFF means "at the end", so an array holds at most 65,535
// elements; a store that would go past that is refused.
//
// A plain value of 16 bytes, with no virtual calls: no array type derives
// from it, and the model holds thousands of them (every zone three, every
// unit one, the piece database one per cell), which a load writes and a
// game's end reads again.
//
// The element type's saved form comes from ElementIO, which gives each element
// type its own Save and Load:
//   static int Write(plat::FILE*, const T&);          nonzero on success
//   static std::unique_ptr<T> Read(plat::FILE*);     null on failure
// An element of a fixed saved size may instead give its record form, and the
// whole list then moves in one block read or write:
//   static constexpr std::size_t kRecordSize;
//   static void Write(plat::ByteWriter&, const T&);
//   static std::unique_ptr<T> Read(plat::ByteReader&);   null on failure
// GenericElementIO stores no elements: Save writes only the count and Load reads
// it and discards it (owners of such arrays store their elements themselves).
//
// `capacity` moves in grow steps as the algorithms say; the block behind it is
// sized to the next power of two at or above it, so a long run of appends
// copies the pointers only a logarithmic number of times. The block's size is
// a function of `capacity` alone: code that swaps `items` and `capacity`
// together keeps them consistent. Blocks come from SizedBlocks.h: a saved
// game's hundreds of short lists cost no heap call each.

#include <algorithm>
#include <bit>
#include <cstdint>
#include <memory>
#include <type_traits>

#include "Game/arrayman/PooledElement.h"
#include "Game/arrayman/SizedBlocks.h"
#include "Game/base/ByteStream.h"
#include "Game/base/TraceError.h"
#include "platform/core/files.h"

struct GenericElementIO {};

template <class IO, class T>
concept RecordElementIO = requires(plat::ByteReader& r, plat::ByteWriter& w, const T& item) {
  { IO::kRecordSize } -> std::convertible_to<std::size_t>;
  { IO::Read(r) } -> std::same_as<std::unique_ptr<T>>;
  IO::Write(w, item);
};

template <class T, class ElementIO = GenericElementIO>
class ArrayMan {
 public:
  static constexpr std::uint16_t kAtEnd = 0xFFFF;

  ArrayMan() = default;
  // Frees the pointer block, never the elements.
  ~ArrayMan() = default;
  ArrayMan(const ArrayMan&) = delete;
  ArrayMan& operator=(const ArrayMan&) = delete;

  // Adds growStep slots (never past 65,535).
  void Grow() {
    const std::uint32_t wanted = std::min<std::uint32_t>(std::uint32_t{capacity} + Step(), kMaxCapacity);
    if (wanted != capacity) Reallocate(static_cast<std::uint16_t>(wanted));
  }
  // Removes growStep slots; refused when the used slots would not fit.
  void Shrink() {
    if (capacity < growStep || capacity - growStep < count) return;
    Reallocate(static_cast<std::uint16_t>(capacity - growStep));
  }
  // Makes room for `n` more elements in one block, as a list whose length is
  // known before its elements come: the capacity becomes what `n` appends
  // would make it, step by step, so the array filled afterwards is the one the
  // appends alone give, with one block instead of one per step. False, and
  // nothing changed, when they would pass 65,535.
  bool Reserve(std::uint32_t n) {
    const std::uint32_t wanted = std::uint32_t{count} + n;
    if (wanted > kMaxCapacity) return false;
    if (wanted <= capacity) return true;
    const std::uint32_t steps = (wanted - capacity + Step() - 1) / Step();
    Reallocate(static_cast<std::uint16_t>(std::min(std::uint32_t{capacity} + steps * Step(), kMaxCapacity)));
    return true;
  }
  // The u16 count, then every element in index order. The result of the last
  // write; it stops at the first failing one. An empty slot cannot be saved
  // and fails the save.
  int Save(plat::FILE* fp) {
    // The elements are written field by field: the file's lock is taken once.
    plat::FileLockGuard hold(fp);
    if constexpr (RecordElementIO<ElementIO, T>) {
      plat::ByteWriter w;
      w.Write(count);
      for (std::uint16_t i = 0; i < count; ++i) {
        if (items[i] == nullptr) {
          TraceError("ArrayMan saves an empty slot", __FILE__, __LINE__);
          return 0;
        }
        ElementIO::Write(w, *items[i]);
      }
      const auto bytes = w.Data();
      return FileWriter(fp).WriteBytes(bytes) ? 1 : 0;
    }
    FileWriter w(fp);
    int result = w.Write(count) ? 1 : 0;
    if constexpr (!std::is_same_v<ElementIO, GenericElementIO> && !RecordElementIO<ElementIO, T>) {
      for (std::uint16_t i = 0; i < count && result != 0; ++i) {
        if (items[i] == nullptr) {
          TraceError("ArrayMan saves an empty slot", __FILE__, __LINE__);
          return 0;
        }
        result = ElementIO::Write(fp, *items[i]);
      }
    }
    return result;
  }
  // Reads a u16 count, then that many elements, each appended as read. Stops
  // at the first element that cannot be read and returns 0; the elements read
  // before it stay. Elements from slots (PooledElement.h) are made from one
  // run of them.
  int Load(plat::FILE* fp) {
    plat::FileLockGuard hold(fp);
    FileReader r(fp);
    std::uint16_t n = 0;
    if (!r.Read(n)) return 0;
    [[maybe_unused]] RunOf<T> run;
    if constexpr (RecordElementIO<ElementIO, T>) {
      // A short block still gives the whole elements it holds, as reading
      // them one at a time would. Every byte decoded was read: the block is
      // not cleared first.
      const std::size_t size = std::size_t{n} * ElementIO::kRecordSize;
      const auto block = std::make_unique_for_overwrite<std::uint8_t[]>(size);
      const std::size_t got = size == 0 ? 0 : plat::fread(block.get(), 1, size, fp);
      plat::ByteReader records{std::span<const std::uint8_t>(block.get(), got)};
      Reserve(static_cast<std::uint32_t>(got / ElementIO::kRecordSize));
      for (std::uint16_t i = 0; i < n; ++i) {
        if (records.Remaining() < ElementIO::kRecordSize) return 0;
        std::unique_ptr<T> element = ElementIO::Read(records);
        if (!element) return 0;
        if (!Append(element.get())) return 0;
        element.release();  // the array's owner owns it from here
      }
    } else if constexpr (!std::is_same_v<ElementIO, GenericElementIO>) {
      for (std::uint16_t i = 0; i < n; ++i) {
        std::unique_ptr<T> element = ElementIO::Read(fp);
        if (!element) return 0;
        if (!Append(element.get())) return 0;
        element.release();  // the array's owner owns it from here
      }
    }
    return 1;
  }
  // Inserts before slot `index`, shifting the tail up; an index past the end
  // stores there, the slots between holding null; kAtEnd appends.
  void InsertAt(T* item, std::uint16_t index) {
    if (index <= count) {
      if (index == kAtEnd || !MakeRoomForOne()) return Refuse();
      T** slots = items.get();
      std::move_backward(slots + index, slots + count, slots + count + 1);
      items[index] = item;
      ++count;
    } else if (index == kAtEnd) {
      Append(item);
    } else {
      StorePastEnd(item, index);
    }
  }
  // Takes slot `index` out, shifting the tail down; null (and no change) when
  // there is no such slot.
  T* RemoveAt(std::uint16_t index) {
    if (index >= count) return nullptr;
    if (std::uint32_t{capacity} > std::uint32_t{count} + growStep) Shrink();
    T** slots = items.get();
    T* taken = slots[index];
    std::move(slots + index + 1, slots + count, slots + index);
    items[count - 1] = nullptr;
    --count;
    return taken;
  }

  // Overwrites slot `index` (kAtEnd appends); never shifts.
  void SetAt(T* item, std::uint16_t index) {
    if (index == kAtEnd) {
      Append(item);
      return;
    }
    StorePastEnd(item, index);
  }
  // The element at `index`, or null when the index is not below count.
  T* GetAt(std::uint16_t index) const { return index < count ? items[index] : nullptr; }

  std::unique_ptr<T*[], SizedBlockDeleter> items;  // capacity slots; null while capacity is 0
  std::uint16_t capacity = 0;
  std::uint16_t count = 0;
  std::uint16_t cursor = 0xFFFF;  // kept for the owners; the array never uses it
  std::uint16_t growStep = 10;

 private:
  static constexpr std::uint32_t kMaxCapacity = 0xFFFF;

  struct NoRun {};
  template <class E>
  using RunOf = std::conditional_t<std::is_base_of_v<PooledElement<E>, E>, ElementRun<E>, NoRun>;

  // A grow step of 0 would never make room.
  std::uint16_t Step() const { return std::max<std::uint16_t>(growStep, 1); }

  void Refuse() { TraceError("ArrayMan is full", __FILE__, __LINE__); }

  // The slots of the block behind a capacity.
  static std::uint32_t BlockSlots(std::uint32_t capacity) { return capacity == 0 ? 0 : std::bit_ceil(capacity); }

  // Capacity `n`: the used pointers kept, every other slot null. A new block
  // is made only when the block's size changes.
  void Reallocate(std::uint16_t n) {
    if (n == 0) {
      items.reset();
      capacity = 0;
      return;
    }
    if (items && BlockSlots(n) == BlockSlots(capacity)) {
      capacity = n;
      return;
    }
    auto block = MakeSizedBlock<T*>(BlockSlots(n));
    if (count != 0) std::copy_n(items.get(), count, block.get());
    items = std::move(block);
    capacity = n;
  }

  // Grows when every slot is used; false when the array is at its limit.
  bool MakeRoomForOne() {
    if (count == capacity) Grow();
    return count < capacity;
  }

  bool Append(T* item) {
    if (!MakeRoomForOne()) {
      Refuse();
      return false;
    }
    items[count++] = item;
    return true;
  }

  // Stores at `index` (below kAtEnd); when the index is at or past count, count
  // becomes index + 1, growing the block to the next multiple of the step.
  void StorePastEnd(T* item, std::uint16_t index) {
    if (index >= capacity) {
      const std::uint32_t wanted = (std::uint32_t{index} / Step() + 1) * Step();
      Reallocate(static_cast<std::uint16_t>(std::min(wanted, kMaxCapacity)));
    }
    if (index >= count) {
      std::fill(items.get() + count, items.get() + index, nullptr);
      count = static_cast<std::uint16_t>(index + 1);
    }
    items[index] = item;
  }
};
