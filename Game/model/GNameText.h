#pragma once
// The name of a star, an asteroid or a chapter: none (null), or a text with
// its zero. A saved game brings hundreds of names, nearly all of a few
// characters: those are kept inside the object, and only a longer one takes a
// heap block of its own.

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>

class BlockReader;

class NameText {
 public:
  NameText() = default;
  NameText(const NameText&) = delete;
  NameText& operator=(const NameText&) = delete;
  NameText(NameText&& o) noexcept { TakeFrom(o); }
  NameText& operator=(NameText&& o) noexcept {
    if (this != &o) TakeFrom(o);
    return *this;
  }

  // The text, or null when there is no name.
  char* get() { return m_heap ? m_heap.get() : m_present ? m_inline : nullptr; }
  const char* get() const { return m_heap ? m_heap.get() : m_present ? m_inline : nullptr; }
  explicit operator bool() const { return m_present; }

  // No name.
  void reset() {
    m_heap.reset();
    m_present = false;
  }
  // The first `n` characters of `text` (which need not end in a zero), cut at
  // the first zero among them.
  void Assign(const char* text, std::size_t n) {
    const void* zero = n == 0 ? nullptr : std::memchr(text, 0, n);
    if (zero != nullptr) n = static_cast<std::size_t>(static_cast<const char*>(zero) - text);
    m_heap.reset();
    char* to = m_inline;
    if (n > kInline) {
      m_heap = std::make_unique_for_overwrite<char[]>(n + 1);
      to = m_heap.get();
    }
    if (n != 0) std::memcpy(to, text, n);
    to[n] = '\0';
    m_present = true;
  }
  // A copy of `text`; null gives the empty name.
  void Assign(const char* text) { Assign(text != nullptr ? text : "", text != nullptr ? std::strlen(text) : 0); }

  // The saved form (u8 length L, characters + 1, then L bytes; L = 0 for no
  // name), kept as BlockReader::Name keeps it. False, the name unchanged, when
  // the bytes are not all there.
  bool Read(BlockReader& r);

  // Characters kept inside the object.
  static constexpr std::size_t kInline = 30;

 private:
  void TakeFrom(NameText& o) noexcept {
    m_heap = std::move(o.m_heap);
    m_present = o.m_present;
    if (m_present && !m_heap) std::memcpy(m_inline, o.m_inline, sizeof m_inline);
    o.m_present = false;
  }

  std::unique_ptr<char[]> m_heap;
  char m_inline[kInline + 1];
  bool m_present = false;
};
