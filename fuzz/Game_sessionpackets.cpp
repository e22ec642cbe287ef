// The session's packets as the server reads them: any bytes either refuse or
// read within the image, names stay within their fields, and what reads
// builds again into the same fields.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>

#include "Game/net/AutosavePacket.h"
#include "Game/net/SessionPackets.h"
#include "fuzz/packet_round_trip.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::span<const std::uint8_t> image(data, size);
  RoundTrip<EndTurnPacket>(image, kEndTurnSize, [](const auto& a, const auto& b) { return a.turn == b.turn; });
  // A name that fills its field comes back one character shorter: the
  // builder keeps the NUL.
  RoundTrip<ChapterClaimPacket>(image, kChapterClaimSize, [](const auto& a, const auto& b) {
    return a.chapter == b.chapter && a.granted == b.granted && a.name.substr(0, 31) == b.name && a.name.size() <= 32;
  });
  RoundTrip<PlayerNamePacket>(image, kPlayerNameSize, [](const auto& a, const auto& b) {
    return a.chapter == b.chapter && a.name.substr(0, 33) == b.name && a.name.size() <= 34;
  });
  RoundTrip<StatusPacket>(image, kStatusSize, [](const auto& a, const auto& b) {
    return a.chapter == b.chapter && a.sessionOpen == b.sessionOpen;
  });
  RoundTrip<ChapterNamePacket>(image, kChapterNameSize, [](const auto& a, const auto& b) {
    return a.chapter == b.chapter && a.taken == b.taken && a.name.substr(0, 31) == b.name && a.name.size() <= 32;
  });
  RoundTrip<RemovePlayerPacket>(image, kRemovePlayerSize,
                                [](const auto& a, const auto& b) { return a.player == b.player; });
  RoundTrip<ChapterReportsPacket>(image, kChapterReportsSize,
                                  [](const auto& a, const auto& b) { return a.chapters == b.chapters; });
  RoundTrip<ReadyPacket>(image, kReadySize,
                         [](const auto& a, const auto& b) { return a.player == b.player && a.state == b.state; });
  RoundTrip<AnswerPacket>(image, kAnswerSize, [](const auto& a, const auto& b) {
    return a.restart == b.restart && a.answer == b.answer && a.answered == b.answered;
  });
  SaveOrLoadPacket saved;
  if (SaveOrLoadPacket::Parse(image, &saved) &&
      (size < (saved.load ? kLoadGameSize : kSaveGameSize) || saved.name.size() > SaveOrLoadPacket::kNameWidth))
    std::abort();
  std::uint32_t on = 0;
  if (ParseAutosavePacket(image, &on) != (size >= kAutosavePacketSize)) std::abort();
  return 0;
}
