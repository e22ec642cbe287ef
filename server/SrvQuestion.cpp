// Questions put to every player: may another player load a game, or
// restart this one. The requester hears the answer once all others gave
// theirs (or left); a restart that all agreed to is carried out at once.
#include <algorithm>

#include "Game/base/Packets.h"
#include "Game/model/GChapter.h"
#include "Game/net/SessionPackets.h"
#include "server/SrvGame.h"
#include "server/world/SrvDesignPackets.h"

namespace {

// How long a question waits for the other players' answers.
constexpr std::uint64_t kQuestionWaitMs = 60'000;

}  // namespace

bool SrvGame::OnQuestion(std::uint32_t from, std::uint16_t type, std::span<const std::uint8_t> packet) {
  if (HeldChapter(from) < 0) return RefuseAnswering(from, packet, "sender holds no chapter");
  if (type == PKT_RESTART_REQUEST && !m_started) return RefuseAnswering(from, packet, "no game runs");
  if (m_asker != 0) return RefuseAnswering(from, packet, "another question is waiting");
  QuestionPacket asked;
  if (!QuestionPacket::Parse(packet, &asked)) return RefuseAnswering(from, packet, "too short");
  m_asker = from;
  m_question = type;
  m_askTag = asked.chapter;
  m_askedMs = m_nowMs;
  m_agreed = true;
  // A player still in the front end after taking a chapter in play drops
  // whatever reaches its chapter screen: asked, it would never answer.
  m_awaited.clear();
  for (std::uint32_t p : m_players)
    if (p != from && !StateDue(p)) m_awaited.push_back(p);
  const std::size_t length = type == PKT_LOAD_REQUEST ? 276 : 12;
  const SrvPacket question(packet.begin(), packet.begin() + static_cast<std::ptrdiff_t>(length));
  for (std::uint32_t p : m_awaited) m_out.Send(p, question, true);
  FinishQuestionWhenAnswered();
  return true;
}

bool SrvGame::OnAnswer(std::uint32_t from, std::uint16_t type, std::span<const std::uint8_t> packet) {
  const std::uint16_t asked = type == PKT_LOAD_ANSWER ? PKT_LOAD_REQUEST : PKT_RESTART_REQUEST;
  const auto awaited = std::find(m_awaited.begin(), m_awaited.end(), from);
  if (m_asker == 0 || m_question != asked || awaited == m_awaited.end())
    return Refuse(from, type, "no question waits for this answer");
  m_awaited.erase(awaited);
  AnswerPacket answer;
  if (AnswerPacket::Parse(packet, &answer) && answer.answer == 0) m_agreed = false;
  FinishQuestionWhenAnswered();
  return true;
}

void SrvGame::FinishQuestionWhenAnswered() {
  // Those who left, or took a chapter in play since, will not answer.
  std::erase_if(m_awaited, [this](std::uint32_t p) {
    return std::find(m_players.begin(), m_players.end(), p) == m_players.end() || StateDue(p);
  });
  if (!m_awaited.empty()) return;
  const bool restart = m_question == PKT_RESTART_REQUEST;
  const auto answer = AnswerPacket{restart, m_agreed ? 1u : 0u, m_askTag}.Build();
  m_out.Send(m_asker, SrvPacket(answer.bytes.begin(), answer.bytes.end()), true);
  m_log.Line("%s request of player %u: %s", restart ? "restart" : "load", m_asker, m_agreed ? "agreed" : "refused");
  m_asker = 0;
  if (restart && m_agreed) Restart();
}

void SrvGame::EndQuestionUnanswered() {
  if (m_asker == 0 || m_nowMs - m_askedMs < kQuestionWaitMs) return;
  m_log.Line("a question of player %u waited a minute for %zu answers: taken as no", m_asker, m_awaited.size());
  m_awaited.clear();
  m_agreed = false;
  FinishQuestionWhenAnswered();
}

void SrvGame::Restart() {
  ++m_seed;
  // The chapters keep their traits (a loaded game's too).
  SrvChapterTraits traits{};
  for (std::uint16_t c = 0; c < kMaxChapters; ++c)
    if (const CGChapter* chapter = m_world.Chapter(c))
      for (int t = 0; t < kTraitCount; ++t) traits[c][static_cast<std::size_t>(t)] = chapter->GetTrait(t);
  m_world.Generate(m_setup, m_seed, m_names, traits);
  m_turnDone = {};
  m_turnStartMs = m_nowMs;
  m_log.Line("game restarted: seed %u", m_seed);
  const PacketImage<12> restart(PKT_RESTART), views(PKT_RESTART_VIEWS);
  m_sight = SrvUnitSight{};
  m_asteroidNews.Reset(m_world);
  m_classRanges = BuildClassStatRangesPacket(m_world);
  TurnBegins();
  for (std::uint32_t p : m_players) {
    const std::int32_t chapter = HeldChapter(p);
    // A chapter taken in play whose state is due gets the new world whole
    // once its front end is done.
    if (chapter < 0 || m_stateDue[static_cast<std::size_t>(chapter)]) continue;
    m_out.Send(p, SrvPacket(restart.bytes.begin(), restart.bytes.end()), true);
    auto sequence = StartSequenceFor(static_cast<std::uint16_t>(chapter));
    sequence.pop_back();  // the views' restart stands for the start signal
    m_sight.Filter(m_world, SrvFogRules::From(m_setup), static_cast<std::uint16_t>(chapter), sequence);
    for (const SrvPacket& packet : sequence) m_out.Send(p, packet, true);
    m_out.Send(p, SrvPacket(views.bytes.begin(), views.bytes.end()), true);
  }
}
