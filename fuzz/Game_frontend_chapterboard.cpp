// The chapter screen's reading of the server's packets (23, 25 and the
// answers to claims) on any bytes: each input is a run of packets, each a
// length byte and that many bytes. The board keeps its bounds whatever comes.
#include <cstddef>
#include <cstdint>
#include <span>

#include "Game/frontend/ChapterBoard.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::span<const std::uint8_t> input(data, size);
  ChapterBoard board(data && size > 0 ? data[0] : 255);
  std::size_t at = 1;
  while (at < input.size()) {
    const std::size_t length = input[at++];
    const auto packet = input.subspan(at, std::min(length, input.size() - at));
    at += packet.size();
    std::uint16_t chapter = 0;
    const ChapterBoard::Event event = board.Take(packet, chapter);
    if (event == ChapterBoard::Event::Name || event == ChapterBoard::Event::Refused ||
        event == ChapterBoard::Event::Granted) {
      if (chapter >= kChapterCount) __builtin_trap();
    }
  }
  if (board.ChaptersPerGuild() < 1 || board.ChaptersPerGuild() > kSlotsPerGuild) __builtin_trap();
  for (std::uint16_t c = 0; c <= kChapterCount; ++c) {
    if (board.Open(c) && (c >= kChapterCount || c % kSlotsPerGuild >= board.ChaptersPerGuild())) __builtin_trap();
    if (board.Entry(c).name.size() > kChapterNameChars) __builtin_trap();
  }
  return 0;
}
