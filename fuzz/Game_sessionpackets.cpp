// The session's packets as the server reads them, and the host's, the
// world's, the chapters' and the units' as the server writes them and the
// client reads them: any bytes either refuse or read within the image, names
// stay within their fields, and what reads builds again into the same fields
// (the server's into the same image: their floats may read as NaN).
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>

#include "Game/net/AsteroidPackets.h"
#include "Game/net/AutosavePacket.h"
#include "Game/net/BattleNewsPackets.h"
#include "Game/net/ChapterPackets.h"
#include "Game/net/HostPackets.h"
#include "Game/net/NoticePackets.h"
#include "Game/net/SessionPackets.h"
#include "Game/net/UnitPackets.h"
#include "fuzz/packet_round_trip.h"

namespace {

template <class Packet>
bool SameImage(const Packet& a, const Packet& b) {
  return a.Build().bytes == b.Build().bytes;
}

void WorldPackets(std::span<const std::uint8_t> image) {
  RoundTrip<SolarSystemPacket>(image, kSolarSystemSize, SameImage);
  RoundTrip<StarPacket>(image, kStarSize, SameImage);
  RoundTrip<ResourceMixPacket>(image, kResourceMixSize, SameImage);
  RoundTrip<AsteroidWithZonesPacket>(image, kAsteroidWithZonesSize, SameImage);
  RoundTrip<ZonePacket>(image, kZoneSize, SameImage);
  RoundTrip<AsteroidControlPacket>(image, kAsteroidControlSize, SameImage);
  RoundTrip<OrbitRadiiPacket>(image, kOrbitRadiiSize, SameImage);
  RoundTrip<CompositionPacket>(image, kCompositionSize, SameImage);
  RoundTrip<AsteroidMakeUpPacket>(image, kAsteroidMakeUpSize, SameImage);
  RoundTrip<StartSignalPacket>(image, kStartSignalSize, SameImage);
  RoundTrip<ChapterStartPacket>(image, kChapterStartSize, SameImage);
  RoundTrip<ChapterTraitsPacket>(image, kChapterTraitsSize, SameImage);
  RoundTrip<PoolStatePacket>(image, kPoolStateSize, SameImage);
  RoundTrip<CreditsPacket>(image, kCreditsSize, SameImage);
  RoundTrip<StandingsPacket>(image, kStandingsSize, SameImage);
  RoundTrip<ScoresPacket>(image, kScoresSize, SameImage);
  RoundTrip<ResearchProgressPacket>(image, kResearchProgressSize, SameImage);
  RoundTrip<TemplateValuesPacket>(image, kTemplateValuesSize, SameImage);
}

void HostPackets(std::span<const std::uint8_t> image) {
  RoundTrip<PlayerIdPacket>(image, kPlayerIdSize, SameImage);
  RoundTrip<SaveDonePacket>(image, kSaveDoneSize, SameImage);
  RoundTrip<LoadReplyPacket>(image, kLoadReplySize, SameImage);
  RoundTrip<GameStartedPacket>(image, kGameStartedSize, SameImage);
  RoundTrip<TurnLampsPacket>(image, kTurnLampsSize, SameImage);
  RoundTrip<ChapterRenamedPacket>(image, kChapterRenamedSize, SameImage);
}

// A battle's packets of variable length; one no longer than a packet builds
// again whole.
void BattleNews(std::span<const std::uint8_t> image) {
  const bool fits = image.size() <= kMaxPacketSize;
  ReplayPartPacket part, partAgain;
  if (ReplayPartPacket::Parse(image, &part) && fits &&
      (!ReplayPartPacket::Parse(part.Build(), &partAgain) || partAgain.part != part.part ||
       partAgain.replay != part.replay || partAgain.data != part.data))
    std::abort();
  TerrainEventsPacket events, eventsAgain;
  if (!TerrainEventsPacket::Parse(image, &events)) return;
  if (!fits) return;
  if (!TerrainEventsPacket::Parse(events.Build(), &eventsAgain) || eventsAgain.asteroid != events.asteroid ||
      eventsAgain.events.size() != events.events.size())
    std::abort();
  for (std::size_t i = 0; i < events.events.size(); ++i)
    if (eventsAgain.events[i].words != events.events[i].words || eventsAgain.events[i].w != events.events[i].w)
      std::abort();
}

void UnitPackets(std::span<const std::uint8_t> image) {
  RoundTrip<UnitEntersPacket>(image, kUnitEntersSize, SameImage);
  RoundTrip<UnitMovedPacket>(image, kUnitMovedSize, SameImage);
  RoundTrip<OrderRemovedPacket>(image, kOrderRemovedSize, SameImage);
  RoundTrip<UnitStatusPacket>(image, kUnitStatusRecordSize, SameImage);
  RoundTrip<OrderStagePacket>(image, kOrderStageSize, SameImage);
  RoundTrip<UnitPowerPacket>(image, kUnitPowerSize, SameImage);
  RoundTrip<AtvCargoPacket>(image, kAtvCargoSize, SameImage);
  RoundTrip<UnitDeletedPacket>(image, kUnitDeletedSize, SameImage);
  RoundTrip<UnitResultPacket>(image, kUnitResultSize, SameImage);
  RoundTrip<NotificationPacket>(image, kNotificationSize, SameImage);
  RoundTrip<ResearchDonePacket>(image, kResearchDoneSize, SameImage);
}

}  // namespace

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
  // A question parsed is as long as its kind, and a restart built from it
  // reads back the same.
  QuestionPacket asked;
  if (QuestionPacket::Parse(image, &asked)) {
    if (size < (asked.restart ? kRestartRequestSize : kLoadGameSize)) std::abort();
    QuestionPacket back;
    if (!QuestionPacket::Parse(QuestionPacket{true, asked.chapter}.BuildRestart().bytes, &back) ||
        back.chapter != asked.chapter)
      std::abort();
  }
  std::uint32_t on = 0;
  if (ParseAutosavePacket(image, &on) != (size >= kAutosavePacketSize)) std::abort();
  WorldPackets(image);
  HostPackets(image);
  UnitPackets(image);
  BattleNews(image);
  return 0;
}
