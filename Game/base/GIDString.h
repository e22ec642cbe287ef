#pragma once
// Text IDs: 8-character names ("SAVEGAME") of the texts in the program's
// string table, found through the sorted index resource 201 ("INDEXTABLE"):
// a u32 entry count, then 12-byte entries of the ID (padded with zero bytes),
// the u16 string number and the u16 buffer length (text length + 1).

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "Game/base/GTextFormat.h"
#include "platform/core/types.h"

struct IDStringEntry {
  char id[8];
  std::uint16_t stringNumber;
  std::uint16_t bufferLength;
};

// Compares two 8-byte IDs as unsigned bytes: -1, 0 or 1.
int CompareTextIds(const char* a, const char* b);

class CIDString {
 public:
  // Reads the index resource of the program's own module. A missing or
  // malformed index (a count its size cannot hold) gives an empty one.
  CIDString();
  ~CIDString();
  CIDString(const CIDString&) = delete;
  CIDString& operator=(const CIDString&) = delete;

  // Looks `id` up by its first 8 characters. Returns the string number, or -1
  // when the ID is not in the index; *stringNumber is set to -1 first, and
  // *bufferLength is only written when the ID is found.
  int Find(const char* id, int* stringNumber, int* bufferLength) const;
  // The raw text of `id`, placeholders unfilled; null when the ID is absent.
  std::unique_ptr<char[]> LoadRawText(const char* id) const;

  // The finished text of `id` (see GTextFormat.h for the arguments) copied into
  // dst, cut to dstSize - 1 characters and a NUL; an absent ID gives an empty
  // text. Returns dst. Makes no heap call for the texts of the string table.
  template <class... Args>
  char* GetText(const char* id, char* dst, std::size_t dstSize, const Args&... args) const {
    static_assert(sizeof...(Args) <= kMaxTextArgs, "a text takes at most 8 arguments");
    const std::array<TextArg, sizeof...(Args)> argv{TextArg(args)...};
    return GetTextV(id, dst, dstSize, argv);
  }
  // The finished text in a new buffer of exactly its length + 1; null when the
  // ID is absent.
  template <class... Args>
  std::unique_ptr<char[]> GetTextAlloc(const char* id, const Args&... args) const {
    static_assert(sizeof...(Args) <= kMaxTextArgs, "a text takes at most 8 arguments");
    const std::array<TextArg, sizeof...(Args)> argv{TextArg(args)...};
    return GetTextAllocV(id, argv);
  }

  char* GetTextV(const char* id, char* dst, std::size_t dstSize, std::span<const TextArg> args) const;
  std::unique_ptr<char[]> GetTextAllocV(const char* id, std::span<const TextArg> args) const;

 private:
  // The finished text into `out` (see FormatTextInto), its length; nothing
  // (and `out` untouched) when the ID is absent. No heap call for raw texts of
  // up to kMaxRawOnStack characters.
  std::optional<std::size_t> FinishedInto(const char* id, std::span<const TextArg> args, std::span<char> out) const;
  // The raw text of `id` into `out`, cut to its size; the number copied.
  std::optional<std::size_t> RawInto(const char* id, std::span<char> out) const;

  static constexpr std::size_t kMaxRawOnStack = 4096;

  std::vector<IDStringEntry> m_entries;
  plat::HMODULE m_module = nullptr;
  plat::HGLOBAL m_resource = nullptr;
};
