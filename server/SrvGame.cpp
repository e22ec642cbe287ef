#include "server/SrvGame.h"

#include <algorithm>

#include "Game/base/Packets.h"
#include "Game/model/GChapter.h"
#include "Game/model/GNotifyCodes.h"
#include "Game/model/GUnit.h"
#include "Game/net/AutosavePacket.h"
#include "Game/net/GuildPackets.h"
#include "Game/net/HostPackets.h"
#include "Game/net/OrderMenuPackets.h"
#include "Game/net/SessionPackets.h"
#include "Game/rules/GTemplateDB.h"
#include "Game/setup/SetupRules.h"
#include "platform/core/bytes.h"
#include "platform/core/random.h"
#include "server/ai/SrvChapterState.h"
#include "server/ai/SrvVotes.h"
#include "server/orders/SrvAsteroidOrders.h"
#include "server/orders/SrvDesigns.h"
#include "server/orders/SrvOrders.h"
#include "server/orders/SrvPacketRead.h"
#include "server/orders/SrvUnitPackets.h"
#include "server/orders/SrvZoneOrders.h"
#include "server/trade/SrvBoardPackets.h"
#include "server/trade/SrvMineralTrade.h"
#include "server/trade/SrvShipTrade.h"
#include "server/trade/SrvTradeNotices.h"
#include "server/trade/SrvVoteTrade.h"
#include "server/turn/SrvRandomEvents.h"
#include "server/turn/SrvTurnSteps.h"
#include "server/world/SrvChapterNames.h"
#include "server/world/SrvDesignPackets.h"
#include "server/world/SrvUnitsInPlay.h"

namespace {

constexpr std::size_t kMaxChapterNameChars = 30;
constexpr std::uint16_t kGiveUpOffset = 100;
// The chapter number a stand-alone host claims: one past the last chapter.
constexpr std::uint16_t kRunWithoutChapter = kMaxChapters;
constexpr std::uint32_t kMaxLoggedRefusals = 1000;
// A joining player's front end may take minutes; what the others say
// meanwhile is held for it up to this many messages.
constexpr std::size_t kMaxHeldChat = 32;
// 23 from the host's front end carries this plus its chapters per guild.
constexpr std::uint16_t kChaptersAnnounced = 100;
constexpr std::size_t kChapterReportsFieldsEnd = 10;
// How long a hosted start waits for the host's configuration (52) before
// the game starts with the one the server holds.
constexpr std::uint64_t kConfigAnswerWaitMs = 60'000;

// The smallest block each handled type must have.
std::size_t MinimumSize(std::uint16_t type) {
  switch (type) {
    case PKT_START:
      return 12;
    case PKT_END_TURN:
      return kEndTurnSize;
    case PKT_CHAPTER_CLAIM:
      return kChapterClaimSize;
    case PKT_PLAYER_NAME:
      return kPlayerNameSize;
    case PKT_STATUS:
      return kStatusSize;
    case PKT_GAME_CONFIG:
      return 40;
    case PKT_GAME_SETTINGS:
      return 68;
    case PKT_SAVE_GAME:
      return kSaveGameSize;
    case PKT_LOAD_GAME:
      return kLoadGameSize;
    case PKT_LOAD_REQUEST:
      return 276;
    case PKT_RESTART_REQUEST:
      return 12;
    case PKT_RESTART_ANSWER:
      return kAnswerSize;
    case PKT_LOAD_ANSWER:
      return kAnswerSize;
    case PKT_AUTOSAVE:
      return kAutosavePacketSize;
    case PKT_READY:
      return kReadySize;
    case PKT_REMOVE_PLAYER:
      return kRemovePlayerSize;
    case PKT_CHAT:
      return kChatTextOffset;
    case PKT_CHAPTER_NAME:
      return kChapterNameSize;
    case PKT_SHIP_OFFER_WITHDRAWN:
      return 16;
    case PKT_VOTE_OFFER_WITHDRAWN:
    case PKT_SHIP_OFFER_POSTED:
    case PKT_VOTE_OFFER_POSTED:
    case PKT_MINERAL_OFFER_POSTED:
    case PKT_MINERAL_OFFER_WITHDRAWN:
      return 12;
    default:
      return kPacketHeaderSize;
  }
}

}  // namespace

SrvGame::SrvGame(SrvOutbox& out, SrvLog& log, SrvAsteroidNames names, std::uint32_t seed, std::string folder)
    : m_out(out),
      m_log(log),
      m_names(std::move(names)),
      m_seed(seed),
      m_folder(std::move(folder)),
      m_defaultNames(SrvDefaultChapterNames()) {}

void SrvGame::PlayerJoined(std::uint32_t player) {
  if (std::find(m_players.begin(), m_players.end(), player) == m_players.end()) m_players.push_back(player);
  m_log.Line("player %u joined", player);
  if (m_started) {
    GreetPlayerInPlay(player);
    return;
  }
  for (const auto& [sender, state] : m_ready) {
    if (sender == player) continue;
    const auto ready = ReadyPacket{sender, state}.Build();
    m_out.Send(player, SrvPacket(ready.bytes.begin(), ready.bytes.end()), false);
  }
}

void SrvGame::PlayerLeft(std::uint32_t player) {
  // A player who quits (20) is then reported gone by the library as well:
  // its leave is taken, logged and told once.
  if (std::find(m_players.begin(), m_players.end(), player) == m_players.end()) return;
  m_players.erase(std::remove(m_players.begin(), m_players.end(), player), m_players.end());
  m_ready.erase(player);
  m_alive.Forget(player);
  const std::int32_t chapter = HeldChapter(player);
  if (chapter >= 0) {
    m_holder[chapter] = 0;
    m_stateDue[static_cast<std::size_t>(chapter)] = false;
    m_heldChat[static_cast<std::size_t>(chapter)].clear();
    if (!m_started) m_traits[static_cast<std::size_t>(chapter)] = {};
    m_log.Line("player %u left; chapter %d is computer-held from now on", player, chapter);
    // The host's leave ends the session with the game: nobody is left to tell.
    if (player != m_host) {
      for (std::uint32_t p : m_players) SendChapterName(p, static_cast<std::uint16_t>(chapter));
      if (m_started) SendPlayerId(static_cast<std::uint16_t>(chapter));
    }
  } else {
    m_log.Line("player %u left", player);
  }
  if (m_asker != 0) {
    if (player == m_asker)
      m_asker = 0;
    else
      FinishQuestionWhenAnswered();
  }
  if (m_players.empty()) {
    m_ended = true;
    m_log.Line("no human player remains: the game ends");
  } else if (m_started) {
    // The leaver may have been the last one the turn waited for.
    bool allDone = true;
    for (std::uint16_t c = 0; c < kMaxChapters; ++c)
      if (m_holder[c] != 0 && !m_turnDone[c]) allDone = false;
    if (allDone) ResolveTurn();
  }
}

bool SrvGame::Refuse(std::uint32_t from, std::uint16_t type, const char* why) {
  // A client that floods the server with bad packets must not fill its disk.
  const std::uint32_t count = ++m_refusals[from];
  if (count <= kMaxLoggedRefusals)
    m_log.Line("refused packet %u from player %u: %s", type, from, why);
  else if (count == kMaxLoggedRefusals + 1)
    m_log.Line("player %u: further refusals are not logged", from);
  return false;
}

bool SrvGame::RefuseAnswering(std::uint32_t from, std::span<const std::uint8_t> packet, const char* why) {
  const std::uint16_t type = ReadU16(packet, 0);
  // The question's own number goes back with its answer, where it came.
  const std::uint16_t askTag = ReadU16(packet, type == PKT_LOAD_REQUEST ? 268 : 8);
  if (type == PKT_SAVE_GAME) {
    const auto notSaved = SaveDonePacket{0}.Build();
    m_out.Send(from, SrvPacket(notSaved.bytes.begin(), notSaved.bytes.end()), true);
  } else if (type == PKT_LOAD_GAME) {
    AfterLoad(from, false);
  } else if (type == PKT_LOAD_REQUEST || type == PKT_RESTART_REQUEST) {
    const auto no = AnswerPacket{type == PKT_RESTART_REQUEST, 0, askTag}.Build();
    m_out.Send(from, SrvPacket(no.bytes.begin(), no.bytes.end()), true);
  }
  return Refuse(from, type, why);
}

bool SrvGame::MaySetUp(std::uint32_t player) const {
  // Only the waiting room's initiator may start, and the others' clients
  // send their copy of the set-up as they pick a chapter: taken from anyone,
  // it would overwrite the host's. A game without a host (e-mail) has only
  // its chapters' players.
  return m_host == 0 || player == m_host;
}

std::int32_t SrvGame::HeldChapter(std::uint32_t player) const {
  if (player == 0) return -1;
  for (std::uint16_t c = 0; c < kMaxChapters; ++c)
    if (m_holder[c] == player) return c;
  return -1;
}

bool SrvGame::StateDue(std::uint32_t player) const {
  const std::int32_t chapter = HeldChapter(player);
  return chapter >= 0 && m_stateDue[static_cast<std::size_t>(chapter)];
}

bool SrvGame::HasGame(std::uint32_t player) const {
  const std::int32_t chapter = HeldChapter(player);
  return chapter >= 0 && !m_stateDue[static_cast<std::size_t>(chapter)];
}

std::string SrvGame::ChapterName(std::uint16_t chapter) const {
  if (!m_names40[chapter].empty()) return m_names40[chapter];
  return m_defaultNames[chapter];
}

bool SrvGame::Receive(std::uint32_t from, std::span<const std::uint8_t> packet) {
  const SrvLog::Blame blame(m_log, from);
  PacketHeader header;
  if (!ReadPacketHeader(packet, header)) return Refuse(from, 0xFFFF, "shorter than a header");
  if (std::find(m_players.begin(), m_players.end(), from) == m_players.end())
    return Refuse(from, header.type, "sender is not in the session");
  m_alive.Heard(from, m_nowMs);
  if (packet.size() < MinimumSize(header.type)) return RefuseAnswering(from, packet, "too short");
  switch (header.type) {
    case PKT_SETTINGS_QUERY: {
      const auto p = GameStartedPacket{m_started ? 1u : 0u}.Build();
      m_out.Send(from, SrvPacket(p.bytes.begin(), p.bytes.end()), false);
      return true;
    }
    case PKT_CHAPTER_REPORTS:
      return OnChapterReports(from, packet);
    case PKT_CHAPTER_CLAIM:
      return OnChapterClaim(from, packet);
    case PKT_GAME_SETTINGS:
      return OnSettings(from, packet);
    case PKT_GAME_CONFIG:
      return OnConfig(from, packet);
    case PKT_PLAYER_NAME:
      return OnPlayerName(from, packet);
    case PKT_STATUS: {
      StatusPacket status;
      StatusPacket::Parse(packet, &status);
      m_log.Line("status of player %u: chapter %u, session open %u", from, status.chapter, status.sessionOpen);
      return true;
    }
    case PKT_DEFAULT_BATTLE_PLANS:
      m_log.Line("default battle plans of player %u taken", from);
      return true;
    case PKT_KEEPALIVE:
    case PKT_TURN_PROCESSING_ACK:
      return true;
    case PKT_READY:
      return OnReady(from, packet);
    case PKT_REMOVE_PLAYER:
      return OnRemovePlayer(from, packet);
    case PKT_START:
      return OnStart(from);
    case PKT_END_TURN:
      return OnEndTurn(from, packet);
    case PKT_SAVE_GAME:
      return OnSaveOrLoad(from, packet, true);
    case PKT_LOAD_GAME:
      return OnSaveOrLoad(from, packet, false);
    case PKT_CHAT:
      return OnChat(from, packet);
    case PKT_CHAPTER_NAME:
      return OnChapterRenamed(from, packet);
    case PKT_SHIP_OFFER_WITHDRAWN:
    case PKT_VOTE_OFFER_WITHDRAWN:
    case PKT_SHIP_OFFER_POSTED:
    case PKT_VOTE_OFFER_POSTED:
    case PKT_MINERAL_OFFER_POSTED:
    case PKT_MINERAL_OFFER_WITHDRAWN:
      return OnTradeBoard(from, header.type, packet);
    case PKT_MINERAL_TRADE:
      return OnMineralTrade(from, packet);
    case PKT_TEMPLATE:
      return OnDesign(from, packet);
    case PKT_TRADE_REQUEST:
    case PKT_TRADE_ANSWER:
      return OnBid(from, header.type, packet);
    case PKT_RENEGADE_VOTE:
    case PKT_IMPERATOR_VOTE:
      return OnVote(from, header.type, packet);
    case PKT_LOAD_REQUEST:
    case PKT_RESTART_REQUEST:
      return OnQuestion(from, header.type, packet);
    case PKT_LOAD_ANSWER:
    case PKT_RESTART_ANSWER:
      return OnAnswer(from, header.type, packet);
    case PKT_AUTOSAVE:
      // The switch is the game's, not one player's: the others' clients save with it.
      if (!MaySetUp(from)) return Refuse(from, PKT_AUTOSAVE, "only the host switches the autosave");
      if (std::uint32_t on = 0; ParseAutosavePacket(packet, &on)) m_autosave = on != 0;
      m_log.Line("autosave %s by player %u", m_autosave ? "on" : "off", from);
      return true;
    case PKT_QUIT:
      PlayerLeft(from);
      return true;
    case PKT_END_GAME:
      if (from != m_host) return Refuse(from, PKT_END_GAME, "only the host ends the game");
      m_ended = true;
      m_log.Line("player %u ended the game", from);
      return true;
    default:
      if (SrvIsOrderPacket(header.type) || SrvIsZonePacket(header.type) || SrvIsAsteroidRequestPacket(header.type))
        return OnOrder(from, header.type, packet);
      return Refuse(from, header.type, "not handled by this server");
  }
}

bool SrvGame::OnChapterReports(std::uint32_t from, std::span<const std::uint8_t> packet) {
  // The host's front end announces the chapters per guild it configured as
  // 100 + their number; the rest of the configuration it gives when asked (50).
  // A request that stops after its count is taken; a shorter one announces nothing.
  ChapterReportsPacket asked;
  if (packet.size() >= kChapterReportsFieldsEnd)
    ChapterReportsPacket::Parse(SrvFilledTo<kChapterReportsSize>(packet), &asked);
  const std::uint16_t announced = asked.chapters;
  if (announced > kChaptersAnnounced && announced <= kChaptersAnnounced + kMaxChaptersPerGuild && !m_started &&
      MaySetUp(from)) {
    GameConfigPacket config = m_setup.Config();
    config.chapters = static_cast<std::uint16_t>(announced - kChaptersAnnounced);
    m_setup.SetConfig(config);
    m_log.Line("player %u announces %u chapters per guild", from, announced - kChaptersAnnounced);
  }
  const auto p = ChapterReportsPacket{m_setup.ChaptersPerGuild()}.Build();
  m_out.Send(from, SrvPacket(p.bytes.begin(), p.bytes.end()), false);
  for (std::uint16_t c = 0; c < kMaxChapters; ++c) SendChapterName(from, c);
  return true;
}

void SrvGame::SendChapterName(std::uint32_t to, std::uint16_t chapter) {
  ChapterNamePacket name;
  name.chapter = chapter;
  const bool outsideGuild = (chapter & 7) >= m_setup.ChaptersPerGuild();
  name.taken = (outsideGuild || m_holder[chapter] != 0) ? 1 : 0;
  name.name = ChapterName(chapter);
  const auto p = name.Build();
  m_out.Send(to, SrvPacket(p.bytes.begin(), p.bytes.end()), false);
}

bool SrvGame::OnChapterClaim(std::uint32_t from, std::span<const std::uint8_t> packet) {
  ChapterClaimPacket claim;
  if (!ChapterClaimPacket::Parse(packet, &claim)) return Refuse(from, PKT_CHAPTER_CLAIM, "too short");
  const std::uint16_t asked = claim.chapter;
  if (asked >= kGiveUpOffset) {
    const std::uint16_t chapter = static_cast<std::uint16_t>(asked - kGiveUpOffset);
    if (chapter >= kMaxChapters || m_holder[chapter] != from)
      return Refuse(from, PKT_CHAPTER_CLAIM, "gives up a chapter it does not hold");
    if (m_started) return Refuse(from, PKT_CHAPTER_CLAIM, "gives up a chapter in play");
    ReleaseChapter(chapter);
    for (std::uint32_t p : m_players) SendChapterName(p, chapter);
    return true;
  }
  if (asked == kRunWithoutChapter) return OnRunWithoutChapter(from);
  ChapterClaimPacket answer;
  answer.chapter = asked;
  const bool inGame = asked < kMaxChapters && (asked & 7) < m_setup.ChaptersPerGuild();
  const bool free = inGame && (m_holder[asked] == 0 || m_holder[asked] == from);
  const bool granted = free && (!m_started || MayTakeInPlay(from, asked));
  if (inGame) answer.name = ChapterName(asked);
  answer.granted = granted ? 1 : 0;
  if (granted && m_started) {
    // The chapter keeps its traits (the world has been made with them); a
    // name given replaces the one the others knew it by.
    m_holder[asked] = from;
    TakeClaimedName(asked, claim.name);
    answer.name = ChapterName(asked);
    m_stateDue[asked] = true;
    m_turnDone[asked] = false;
    m_alive.Watch(from, m_nowMs);
    m_log.Line("chapter %u granted to player %u in play", asked, from);
    for (std::uint32_t p : m_players) SendChapterName(p, asked);
    SendPlayerId(asked);
    if (m_asker != 0) FinishQuestionWhenAnswered();
  } else if (granted) {
    const std::int32_t before = HeldChapter(from);
    if (before >= 0 && before != asked) ReleaseChapter(static_cast<std::uint16_t>(before));
    m_holder[asked] = from;
    TakeClaimedName(asked, claim.name);
    answer.name = ChapterName(asked);
    m_log.Line("chapter %u granted to player %u", asked, from);
    for (std::uint32_t p : m_players) {
      if (before >= 0 && before != asked) SendChapterName(p, static_cast<std::uint16_t>(before));
      SendChapterName(p, asked);
    }
  } else {
    m_log.Line("chapter %u refused to player %u", asked, from);
  }
  const auto image = answer.Build();
  m_out.Send(from, SrvPacket(image.bytes.begin(), image.bytes.end()), false);
  return true;
}

void SrvGame::TakeClaimedName(std::uint16_t chapter, std::string name) {
  if (name.size() > kMaxChapterNameChars) name.resize(kMaxChapterNameChars);
  if (!name.empty()) m_names40[chapter] = name;
}

bool SrvGame::MayTakeInPlay(std::uint32_t from, std::uint16_t chapter) const {
  return !m_ended && !m_byFiles && m_holder[chapter] == 0 && HeldChapter(from) < 0 && SrvInPlay(m_world, chapter);
}

void SrvGame::SendStateInPlay(std::uint32_t player, std::uint16_t chapter) {
  m_stateDue[chapter] = false;
  auto sequence = StartSequenceFor(chapter);
  SrvTellUnitsAsTheyStand(m_world, chapter, sequence);
  m_sight.Filter(m_world, SrvFogRules::From(m_setup), chapter, sequence);
  for (const SrvPacket& packet : sequence) m_out.Send(player, packet, true);
  // The lamps already lit are told only as they change: after the start
  // signal, which opens the views that show them.
  m_out.Send(player, TurnLampsPacket(chapter), true);
  for (const SrvPacket& offer : SrvGuildBoardPackets(m_world, static_cast<std::uint16_t>(chapter >> 3)))
    m_out.Send(player, offer, true);
  // After the start signal, which opens the chat panel that shows them.
  for (const SrvPacket& message : m_heldChat[chapter]) m_out.Send(player, message, true);
  m_heldChat[chapter].clear();
  m_log.Line("chapter %u of player %u joins the game in play at turn %u", chapter, player, m_world.turn);
}

bool SrvGame::OnRunWithoutChapter(std::uint32_t from) {
  // The client takes anything but a grant as a refusal and goes on to claim
  // real chapters, so the host's request is granted like a chapter.
  const bool granted = from == m_host && !m_started;
  const auto answer = ChapterClaimPacket{kRunWithoutChapter, "", granted ? 1u : 0u}.Build();
  if (granted) {
    const std::int32_t before = HeldChapter(from);
    if (before >= 0) {
      ReleaseChapter(static_cast<std::uint16_t>(before));
      for (std::uint32_t p : m_players) SendChapterName(p, static_cast<std::uint16_t>(before));
    }
    m_log.Line("player %u runs the game without a chapter", from);
  } else {
    m_log.Line("player %u may not run the game without a chapter", from);
  }
  m_out.Send(from, SrvPacket(answer.bytes.begin(), answer.bytes.end()), false);
  return true;
}

bool SrvGame::OnSettings(std::uint32_t from, std::span<const std::uint8_t> packet) {
  GameSettingsPacket sent;
  FromBytes(packet, sent);
  if (sent.isSettings == 0) {
    SrvPacket p(m_setup.settings.bytes.begin(), m_setup.settings.bytes.end());
    m_out.Send(from, p, false);
    return true;
  }
  if (m_started) {
    // The settings a client sends on leaving the chapter screen are the sign
    // that its front end takes no more packets: a chapter taken in play gets
    // the game now (sent earlier, the screen would drop it). Its traits came
    // too late for the world.
    const std::uint16_t slot = sent.chapterSlot;
    if (slot < kMaxChapters && m_holder[slot] == from && m_stateDue[slot]) {
      SendStateInPlay(from, slot);
      return true;
    }
    return Refuse(from, PKT_GAME_SETTINGS, "settings after the start");
  }
  // Every player's client sends its settings with its chapter's traits; the
  // rest of the settings is the host's to set.
  const std::uint16_t slot = sent.chapterSlot;
  const bool ownChapter = slot < kMaxChapters && m_holder[slot] == from;
  if (!MaySetUp(from) && !ownChapter)
    return Refuse(from, PKT_GAME_SETTINGS, "settings from a player who is not the host");
  SrvTraitBytes traits{};
  std::copy_n(sent.traits.begin(), traits.size(), traits.begin());
  if (ownChapter) {
    if (!TraitPicksAllowed(traits)) return Refuse(from, PKT_GAME_SETTINGS, "traits the traits screen does not allow");
    m_traits[slot] = traits;
    m_log.Line("traits of chapter %u from player %u", slot, from);
  }
  if (!MaySetUp(from)) return true;
  m_setup.TakeSettings(packet);
  PassSettingsOn(from);
  return true;
}

void SrvGame::PassSettingsOn(std::uint32_t from) {
  for (std::uint32_t p : m_players) {
    if (p == from) continue;
    GameSettingsPacket settings = m_setup.Settings();
    const std::int32_t held = HeldChapter(p);
    const SrvTraitBytes own = held >= 0 ? m_traits[static_cast<std::size_t>(held)] : SrvTraitBytes{};
    std::copy_n(own.begin(), settings.traits.size(), settings.traits.begin());
    const auto image = ToBytes(settings);
    m_out.Send(p, SrvPacket(image.begin(), image.end()), false);
  }
}

void SrvGame::ReleaseChapter(std::uint16_t chapter) {
  m_holder[chapter] = 0;
  m_names40[chapter].clear();
  m_traits[chapter] = {};
}

bool SrvGame::OnConfig(std::uint32_t from, std::span<const std::uint8_t> packet) {
  if (m_started) return Refuse(from, PKT_GAME_CONFIG, "configuration after the start");
  if (!MaySetUp(from)) return Refuse(from, PKT_GAME_CONFIG, "configuration from a player who is not the host");
  // A session's host gives its configuration in answer to 50 alone.
  if (m_host != 0 && !m_configAsked) return Refuse(from, PKT_GAME_CONFIG, "configuration nobody asked for");
  m_setup.TakeConfig(packet);
  m_log.Line("configuration from player %u: %u chapters per guild, %u asteroids", from, m_setup.ChaptersPerGuild(),
             m_setup.AsteroidCount());
  const SrvPacket config(m_setup.config.bytes.begin(), m_setup.config.bytes.end());
  if (!m_configAsked) {
    SendToOthers(from, config);
    return true;
  }
  // The others' games are made: they take it as the game's settings.
  SendToOthers(from, config, true);
  StartGame();
  return true;
}

bool SrvGame::OnPlayerName(std::uint32_t from, std::span<const std::uint8_t> packet) {
  PlayerNamePacket named;
  if (!PlayerNamePacket::Parse(packet, &named)) return Refuse(from, PKT_PLAYER_NAME, "too short");
  const std::uint16_t chapter = named.chapter;
  if (chapter >= kMaxChapters || m_holder[chapter] != from)
    return Refuse(from, PKT_PLAYER_NAME, "names a chapter it does not hold");
  std::string name = std::move(named.name);
  if (name.size() > kMaxChapterNameChars) name.resize(kMaxChapterNameChars);
  if (!name.empty()) m_names40[chapter] = name;
  return true;
}

bool SrvGame::OnChapterRenamed(std::uint32_t from, std::span<const std::uint8_t> packet) {
  if (!m_started) return Refuse(from, PKT_CHAPTER_NAME, "no game runs");
  ChapterNamePacket renamed;
  if (!ChapterNamePacket::Parse(packet, &renamed)) return Refuse(from, PKT_CHAPTER_NAME, "too short");
  const std::uint16_t chapter = renamed.chapter;
  if (chapter >= kMaxChapters || m_holder[chapter] != from)
    return Refuse(from, PKT_CHAPTER_NAME, "names a chapter it does not hold");
  std::string name = std::move(renamed.name);
  if (name.size() > kMaxChapterNameChars) name.resize(kMaxChapterNameChars);
  if (name.empty()) return Refuse(from, PKT_CHAPTER_NAME, "an empty name");
  m_names40[chapter] = name;
  const auto p =
      ChapterRenamedPacket{static_cast<std::uint16_t>(chapter >> 3), static_cast<std::uint16_t>(chapter & 7), name}
          .Build();
  SendToOthers(from, SrvPacket(p.bytes.begin(), p.bytes.end()), true);
  return true;
}

bool SrvGame::OnChat(std::uint32_t from, std::span<const std::uint8_t> packet) {
  if (!m_started) return Refuse(from, PKT_CHAT, "no game runs");
  const std::int32_t chapter = HeldChapter(from);
  ChatPacket chat;
  if (!ChatPacket::Parse(packet, &chat)) return Refuse(from, PKT_CHAT, "too short");
  if (chapter < 0 || chat.sender != chapter) return Refuse(from, PKT_CHAT, "speaks for a chapter it does not hold");
  const std::uint8_t to = chat.target;
  // The line goes on as it came, but interception is the server's to decide,
  // never the sender's.
  SrvPacket message(packet.begin(), packet.end());
  ChatPacket::SetIntercepted(message, 0);
  for (std::uint16_t c = 0; c < kMaxChapters; ++c) {
    if (m_holder[c] == 0 || c == chapter) continue;
    if (to != kChatToAll && !(to == kChatToGuild && (c >> 3) == (chapter >> 3)) && to != c) continue;
    if (m_stateDue[c])
      HoldChat(c, message);
    else
      m_out.Send(m_holder[c], message, true);
  }
  m_log.Line("chat of player %u taken", from);
  return true;
}

void SrvGame::HoldChat(std::uint16_t chapter, const SrvPacket& message) {
  std::vector<SrvPacket>& held = m_heldChat[chapter];
  if (held.size() == kMaxHeldChat) {
    held.erase(held.begin());
    m_log.Line("chat held for chapter %u: the oldest message dropped", chapter);
  }
  held.push_back(message);
}

bool SrvGame::OnTradeBoard(std::uint32_t from, std::uint16_t type, std::span<const std::uint8_t> packet) {
  if (!m_started || m_ended) return Refuse(from, type, "no game runs");
  const std::int32_t chapter = HeldChapter(from);
  if (chapter < 0) return Refuse(from, type, "sender holds no chapter");
  // Ship and vote offers name their guild, mineral offers their seller: a
  // player posts and withdraws only its own guild's or its own offers.
  const bool bySeller = type == PKT_MINERAL_OFFER_POSTED || type == PKT_MINERAL_OFFER_WITHDRAWN;
  const std::optional<std::uint16_t> named = SrvBoardPoster(packet);
  if (!named) return Refuse(from, type, SrvOrderVerdictText(SrvOrderVerdict::kTooShort));
  if (bySeller ? *named != chapter : *named != (chapter >> 3)) return Refuse(from, type, "another's offer");
  const auto poster = static_cast<std::uint16_t>(chapter);
  SrvOrderVerdict verdict = SrvOrderVerdict::kAccepted;
  if (type == PKT_MINERAL_OFFER_POSTED) verdict = SrvPostMineralOffer(m_world, poster, packet);
  if (type == PKT_MINERAL_OFFER_WITHDRAWN) verdict = SrvWithdrawMineralOffer(m_world, poster, packet);
  if (type == PKT_SHIP_OFFER_POSTED) verdict = SrvPostShipOffer(m_world, poster, packet);
  if (type == PKT_SHIP_OFFER_WITHDRAWN) verdict = SrvWithdrawShipOffer(m_world, poster, packet);
  if (type == PKT_VOTE_OFFER_POSTED) verdict = SrvPostVoteOffer(m_world, poster, packet);
  if (type == PKT_VOTE_OFFER_WITHDRAWN) verdict = SrvWithdrawVoteOffer(m_world, poster, packet);
  if (verdict != SrvOrderVerdict::kAccepted) {
    // The poster's client showed nothing of the offer: it reads why it did not stand.
    if (verdict == SrvOrderVerdict::kBadTarget && type == PKT_VOTE_OFFER_POSTED)
      TellOfferNotice(from, poster, notify::kVoteNotHeld, false, packet);
    return Refuse(from, type, SrvOrderVerdictText(verdict));
  }
  // A posted offer goes back to its poster too: its client puts nothing on
  // its own board when it posts, and could neither see nor withdraw the offer
  // otherwise. A withdrawal the poster's client has carried out already.
  const bool posted =
      type == PKT_MINERAL_OFFER_POSTED || type == PKT_SHIP_OFFER_POSTED || type == PKT_VOTE_OFFER_POSTED;
  // A guild mate whose state is due finds the board as it stands in its state.
  const SrvPacket board(packet.begin(), packet.end());
  for (std::uint16_t c = 0; c < kMaxChapters; ++c)
    if (m_holder[c] != 0 && !m_stateDue[c] && (posted || c != chapter) && (c >> 3) == (chapter >> 3))
      m_out.Send(m_holder[c], board, true);
  // The poster reads its ship or vote offer posted at once: with the turn's
  // notices, a ship sold in that turn would leave the line nothing to name.
  if (type == PKT_SHIP_OFFER_POSTED || type == PKT_VOTE_OFFER_POSTED) {
    const bool ship = type == PKT_SHIP_OFFER_POSTED;
    TellOfferNotice(from, poster, ship ? notify::kShipPosted : notify::kVotePosted, ship, packet);
  }
  m_log.Line("packet %u of player %u taken", type, from);
  return true;
}

// A ship offer's line names the ship (parameter 3), a vote offer's the
// asteroid (parameter 1).
void SrvGame::TellOfferNotice(std::uint32_t player, std::uint16_t poster, std::uint16_t code, bool ship,
                              std::span<const std::uint8_t> packet) {
  Notification n{};
  n.chapter = poster;
  n.category = notify::kTradeEvent;
  n.code = code;
  ShipOfferPostedPacket shipOffer;
  VoteOfferPostedPacket voteOffer;
  if (ship)
    ShipOfferPostedPacket::Parse(packet, &shipOffer);
  else
    VoteOfferPostedPacket::Parse(packet, &voteOffer);
  // The boards name a vote offer's asteroid by its low byte.
  n.param1 = ship ? 0 : static_cast<std::uint8_t>(voteOffer.asteroid);
  n.param3 = ship ? shipOffer.unitId : kSrvTradeNoUnit;
  m_out.Send(player, BuildNotificationPacket(n), true);
}

bool SrvGame::OnVote(std::uint32_t from, std::uint16_t type, std::span<const std::uint8_t> packet) {
  const std::int32_t chapter = HeldChapter(from);
  if (!m_started || m_ended || chapter < 0) return Refuse(from, type, "no chapter in play");
  // A client applying the guild's votes (401) sends its guild mates' votes
  // too; only the sender's own count.
  if (!SrvTakeVotePacket(m_world, static_cast<std::uint16_t>(chapter), packet))
    return Refuse(from, type, "vote outside the rules");
  m_log.Line("packet %u of player %u taken", type, from);
  return true;
}

bool SrvGame::OnBid(std::uint32_t from, std::uint16_t type, std::span<const std::uint8_t> packet) {
  const std::int32_t chapter = HeldChapter(from);
  if (!m_started || m_ended || chapter < 0) return Refuse(from, type, "no chapter in play");
  // Bids are sealed: nobody else is told until the offer is settled.
  const auto bidder = static_cast<std::uint16_t>(chapter);
  const SrvOrderVerdict verdict =
      type == PKT_TRADE_REQUEST ? SrvBidForShip(m_world, bidder, packet) : SrvBidForVote(m_world, bidder, packet);
  if (verdict != SrvOrderVerdict::kAccepted) return Refuse(from, type, SrvOrderVerdictText(verdict));
  m_log.Line("packet %u of player %u taken", type, from);
  return true;
}

bool SrvGame::OnMineralTrade(std::uint32_t from, std::span<const std::uint8_t> packet) {
  if (!m_started || m_ended) return Refuse(from, PKT_MINERAL_TRADE, "no game runs");
  const std::int32_t chapter = HeldChapter(from);
  if (chapter < 0) return Refuse(from, PKT_MINERAL_TRADE, "sender holds no chapter");
  SrvPacket board;
  const SrvOrderVerdict verdict = SrvBuyMinerals(m_world, static_cast<std::uint16_t>(chapter), packet, board);
  if (verdict != SrvOrderVerdict::kAccepted) return Refuse(from, PKT_MINERAL_TRADE, SrvOrderVerdictText(verdict));
  for (std::uint16_t c = 0; c < kMaxChapters; ++c)
    if (m_holder[c] != 0 && !m_stateDue[c] && (c >> 3) == (chapter >> 3)) m_out.Send(m_holder[c], board, true);
  m_log.Line("packet %u of player %u taken", PKT_MINERAL_TRADE, from);
  return true;
}

bool SrvGame::OnDesign(std::uint32_t from, std::span<const std::uint8_t> packet) {
  const std::int32_t chapter = HeldChapter(from);
  if (!m_started || m_ended || chapter < 0) return Refuse(from, PKT_TEMPLATE, "no chapter in play");
  const auto own = static_cast<std::uint16_t>(chapter);
  const SrvOrderVerdict verdict = SrvTakeDesign(m_world, own, packet);
  if (verdict != SrvOrderVerdict::kAccepted) return Refuse(from, PKT_TEMPLATE, SrvOrderVerdictText(verdict));
  // The others learn the design as the server holds it, so that their
  // databases and the server's resolve its id alike; so does the sender when
  // the server gave it another id.
  TemplatePacket sent;
  ParseTemplatePacket(packet, &sent);
  const std::uint16_t slot = sent.slot;
  const CGUnitTemplate& design = *m_world.templates->GetTemplate(own, slot, 1);
  const auto stored = BuildTemplatePacket(design, slot, own);
  const bool renumbered = design.templateId != sent.templateId;
  const SrvPacket values = BuildTemplateValuesPacket(design);
  for (std::uint32_t p : m_players) {
    if (p != from || renumbered) m_out.Send(p, SrvPacket(stored.bytes.begin(), stored.bytes.end()), true);
    m_out.Send(p, values, true);
  }
  m_log.Line("design %u of player %u taken in slot %u", design.templateId, from, slot);
  return true;
}

void SrvGame::SendToOthers(std::uint32_t from, const SrvPacket& packet, bool sequenced) {
  for (std::uint32_t p : m_players)
    if (p != from) m_out.Send(p, packet, sequenced);
}

bool SrvGame::OnReady(std::uint32_t from, std::span<const std::uint8_t> packet) {
  // Waiting rooms go on announcing readiness until they close; once play has
  // begun nobody is listening for it.
  if (m_started) return true;
  // Every repeat travels, not only changes: a player still choosing its
  // chapter drops what reaches it there, and learns the state from the next
  // repeat once its own room is open.
  ReadyPacket ready;
  ReadyPacket::Parse(packet, &ready);
  m_ready[from] = ready.state;
  // Clients send 0 for themselves: the receivers need to know whose it is.
  ready.player = from;
  const auto image = ready.Build();
  SendToOthers(from, SrvPacket(image.bytes.begin(), image.bytes.end()));
  return true;
}

bool SrvGame::OnRemovePlayer(std::uint32_t from, std::span<const std::uint8_t> packet) {
  if (from != m_host) return Refuse(from, PKT_REMOVE_PLAYER, "only the host removes players");
  if (m_started) return Refuse(from, PKT_REMOVE_PLAYER, "the game has started");
  RemovePlayerPacket removed;
  RemovePlayerPacket::Parse(packet, &removed);
  const std::uint32_t named = removed.player;
  if (named == from) return Refuse(from, PKT_REMOVE_PLAYER, "the host cannot remove itself");
  if (std::find(m_players.begin(), m_players.end(), named) == m_players.end())
    return Refuse(from, PKT_REMOVE_PLAYER, "names a player not in the session");
  // Whoever receives this leaves the session as removed, so it goes to the
  // named player alone; the others see that player's leave.
  m_log.Line("player %u removed by the host", named);
  const auto removal = RemovePlayerPacket{named}.Build();
  m_out.Send(named, SrvPacket(removal.bytes.begin(), removal.bytes.end()), false);
  return true;
}

bool SrvGame::OnStart(std::uint32_t from) {
  if (m_started || m_configAsked) return Refuse(from, PKT_START, "the game has started");
  if (!MaySetUp(from)) return Refuse(from, PKT_START, "only the host starts the game");
  if (HeldChapter(from) < 0 && from != m_host) return Refuse(from, PKT_START, "sender holds no chapter");
  if (m_host == 0) {
    StartGame();
    return true;
  }
  // The waiting rooms end first: the host's game then answers 50 with its
  // configuration (52), from which the world is made.
  SendRoomStart();
  PacketImage<12> ask(PKT_CONFIG_EXCHANGE);
  m_out.Send(m_host, SrvPacket(ask.bytes.begin(), ask.bytes.end()), true);
  m_configAsked = true;
  m_configAskedMs = m_nowMs;
  m_log.Line("the host is asked for the configuration");
  return true;
}

void SrvGame::SendRoomStart() {
  // Every waiting room ends on a plain start (its word at 8 is 0, which the
  // dispatcher ignores) and leaves what follows to the game's dispatcher.
  for (std::uint32_t p : m_players) m_out.Send(p, BuildRoomStartPacket(), true);
}

void SrvGame::StartGame() {
  plat::srand(m_seed);
  m_world.Generate(m_setup, m_seed, m_names, m_traits);
  m_started = true;
  m_turnDone = {};
  m_turnStartMs = m_nowMs;
  m_log.Line("game started: seed %u, %u asteroids, %d chapters", m_seed, m_setup.AsteroidCount(),
             m_setup.ChapterCount());
  if (!m_configAsked) SendRoomStart();
  m_configAsked = false;
  m_sight = SrvUnitSight{};
  m_asteroidNews.Reset(m_world);
  m_classRanges = BuildClassStatRangesPacket(m_world);
  TurnBegins();
  for (std::uint32_t p : m_players) {
    const std::int32_t chapter = HeldChapter(p);
    if (chapter < 0) continue;
    auto sequence = StartSequenceFor(static_cast<std::uint16_t>(chapter));
    m_sight.Filter(m_world, SrvFogRules::From(m_setup), static_cast<std::uint16_t>(chapter), sequence);
    for (const SrvPacket& packet : sequence) m_out.Send(p, packet, true);
  }
}

bool SrvGame::OnOrder(std::uint32_t from, std::uint16_t type, std::span<const std::uint8_t> packet) {
  if (!m_started || m_ended) return Refuse(from, type, "no game runs");
  const std::int32_t chapter = HeldChapter(from);
  if (chapter < 0) return Refuse(from, type, "sender holds no chapter");
  if (m_turnDone[chapter]) return Refuse(from, type, "the chapter's turn has ended");
  const auto own = static_cast<std::uint16_t>(chapter);
  const SrvOrderVerdict verdict = SrvIsZonePacket(type)              ? SrvSubmitZoneOrder(m_world, own, packet)
                                  : SrvIsAsteroidRequestPacket(type) ? SrvSubmitAsteroidRequest(m_world, own, packet)
                                                                     : SrvSubmitOrder(m_world, own, packet);
  if (verdict == SrvOrderVerdict::kAccepted) {
    // A unit's order names its kind, so that a game's log tells what was played.
    OrderPacket order;
    if (type == PKT_ORDER && ParseOrderPacket(packet, &order))
      m_log.Line("order %u for unit %u of player %u taken", order.type, order.unitId, from);
    else
      m_log.Line("packet %u of player %u taken", type, from);
    return true;
  }
  // The client queued the order already: its queue is brought back in step.
  if (type == PKT_ORDER)
    if (const SrvPacket notice = SrvRefusedOrderNotice(m_world, own, packet, verdict); !notice.empty())
      m_out.Send(from, notice, true);
  return Refuse(from, type, SrvOrderVerdictText(verdict));
}

bool SrvGame::OnEndTurn(std::uint32_t from, std::span<const std::uint8_t> packet) {
  if (!m_started || m_ended) return Refuse(from, PKT_END_TURN, "no game runs");
  const std::int32_t chapter = HeldChapter(from);
  if (chapter < 0) return Refuse(from, PKT_END_TURN, "sender holds no chapter");
  EndTurnPacket ended;
  if (!EndTurnPacket::Parse(packet, &ended) || ended.turn != m_world.turn)
    return Refuse(from, PKT_END_TURN, "for another turn");
  m_turnDone[chapter] = true;
  SendTurnLamps(static_cast<std::uint16_t>(chapter));
  for (std::uint16_t c = 0; c < kMaxChapters; ++c)
    if (m_holder[c] != 0 && !m_turnDone[c]) return true;
  ResolveTurn();
  return true;
}

void SrvGame::SeatEveryChapter() {
  m_byFiles = true;
  for (std::uint16_t c = 0; c < kMaxChapters; ++c) {
    if ((c & 7) >= m_setup.ChaptersPerGuild()) continue;
    PlayerJoined(c + 1u);
    m_holder[c] = c + 1u;
  }
}

void SrvGame::EndTurnNow() {
  if (m_started && !m_ended) ResolveTurn();
}

void SrvGame::Tick(std::uint64_t nowMs) {
  // A turn begun before the clock was first read (the start can arrive with
  // the first packets) begins now, not at the clock's zero.
  const bool firstReading = !m_clockRead;
  if (firstReading) m_turnStartMs = m_configAskedMs = m_askedMs = nowMs;
  m_clockRead = true;
  m_nowMs = nowMs;
  if (firstReading) TurnBegins();
  if (m_configAsked && nowMs - m_configAskedMs >= kConfigAnswerWaitMs) {
    m_log.Line("the host did not give its configuration: the game starts with the one held");
    StartGame();
  }
  EndQuestionUnanswered();
  if (!m_started || m_ended) return;
  // Computer chapters end their turns as the turns begin: a game nobody
  // plays in runs on at once, a turn a tick.
  if (std::all_of(m_holder.begin(), m_holder.end(), [](std::uint32_t holder) { return holder == 0; })) {
    ResolveTurn();
    return;
  }
  KeepAliveTick();
  const std::uint16_t limit = m_setup.TurnTimeLimitMinutes();
  if (m_ended || limit == 0) return;
  if (nowMs - m_turnStartMs >= std::uint64_t{limit} * 60'000u) {
    m_log.Line("turn %u: time limit reached", m_world.turn);
    ResolveTurn();
  }
}

void SrvGame::ResolveTurn() {
  // The turn's lines are the game's, whoever's end of turn set it off.
  const SrvLog::Blame nobody(m_log, 0);
  PacketImage<12> processing(PKT_TURN_PROCESSING);
  for (std::uint32_t p : m_players)
    if (HasGame(p)) m_out.Send(p, SrvPacket(processing.bytes.begin(), processing.bytes.end()), true);
  if (m_autosave) Autosave();
  SrvRandom random(m_world.seed ^ (m_world.turn * 0x9E3779B9u));
  // The model draws a few numbers of its own (star cycles, detours) from the
  // C runtime's generator: seeded by the game and turn, so a seed replays the
  // same game whatever ran in the process before.
  plat::srand(m_world.seed ^ (m_world.turn * 0x85EBCA6Bu));
  SrvTurnContext turn{m_world, m_setup, m_log, random};
  for (std::uint16_t c = 0; c < kMaxChapters; ++c) turn.human[c] = m_holder[c] != 0;
  SrvPlayComputerChapters(turn);
  SrvResolveOrders(turn);
  SrvResolveBattles(turn);
  SrvResolvePolitics(turn);
  if (const std::optional<SrvGameEnd> end = SrvCheckGameEnd(turn)) {
    m_ended = true;
    m_log.Line("turn %u: the game ends (condition %u, %zu winners)", m_world.turn, end->condition, end->winners.size());
  }
  SrvRandomEvents(turn);
  TurnNews(turn);
  m_world.AdvanceTurn();
  m_log.Line("turn %u resolved", m_world.turn - 1);
  // A chapter whose state is due is told nothing of the turn: its state,
  // when sent, is the game as the turn left it.
  for (std::uint16_t c = 0; c < kMaxChapters; ++c)
    if (m_holder[c] != 0 && !m_stateDue[c]) m_sight.Filter(m_world, SrvFogRules::From(m_setup), c, turn.toChapter[c]);
  // The game's end goes after all else the turn tells (its news, what came
  // into view or left it): the client shows the end's dialogs as it hears of
  // it, and places the high-score row from the game as it then holds it.
  for (std::vector<SrvPacket>& told : turn.toChapter)
    std::stable_partition(told.begin(), told.end(),
                          [](const SrvPacket& p) { return SrvPacketType(p) != PKT_GAME_OVER; });
  const SrvPacket standings = BuildStandingsPacket(m_world);
  const SrvPacket scores = BuildScoresPacket(m_world);
  PacketImage<12> results(PKT_TURN_RESULTS);
  for (std::uint32_t p : m_players) {
    const std::int32_t chapter = HeldChapter(p);
    if (chapter < 0 || m_stateDue[static_cast<std::size_t>(chapter)]) continue;
    const CGChapter* c = m_world.Chapter(static_cast<std::uint16_t>(chapter));
    m_out.Send(p, BuildCreditsPacket(c != nullptr ? c->credits : 0), true);
    m_out.Send(p, standings, true);
    m_out.Send(p, scores, true);
    for (const SrvPacket& told : turn.toChapter[static_cast<std::size_t>(chapter)]) m_out.Send(p, told, true);
    m_out.Send(p, SrvPacket(results.bytes.begin(), results.bytes.end()), true);
  }
  m_turnDone = {};
  m_turnStartMs = m_nowMs;
  TurnBegins();
}
