// Packets below 100: the start of play, the turn cycle, saving, loading and
// restarting, the end of the game, the configuration exchange and settings.
#include <array>
#include <cstdio>
#include <cstring>

#include "Game/base/ByteStream.h"
#include "Game/base/ClientShell.h"
#include "Game/base/GInstData.h"
#include "Game/base/Packets.h"
#include "Game/model/GChapter.h"
#include "Game/model/GControlIds.h"
#include "Game/model/GGameData.h"
#include "Game/model/GNotifyCodes.h"
#include "Game/model/GViewNotices.h"
#include "Game/net/NetDispatcher.h"
#include "Game/net/NetHandlers.h"
#include "Game/net/NetSession.h"
#include "Game/net/SessionPackets.h"
#include "hvmulti/HvPlayerList.h"
#include "platform/core/clock.h"

namespace {

// The load data packet (7): name, identifier, chapter and place.
constexpr std::size_t kLoadDataBytes = 276;

std::uint16_t LocalChapterId(const PacketContext& p) {
  return ClientShell().HandlerChapterId(p.game != nullptr ? p.game->localChapterId : 0);
}

template <std::size_t N>
struct Out {
  std::array<std::uint8_t, N> bytes{};
  explicit Out(std::uint16_t type) { Put<std::uint16_t>(0, type); }
  template <class T>
  void Put(std::size_t offset, T v) {
    plat::ByteWriter w(bytes);
    w.WriteAt<T>(offset, v);
  }
};

bool Post(const PacketContext& p, std::uint32_t msg, std::uintptr_t w = 0, std::intptr_t l = 0) {
  NotifyWindow(p, msg, w, l);
  return true;
}

int Ask(const char* textId) { return ClientShell().AskInPlay(textId) ? 1 : 0; }

void SendStatus(const PacketContext& p) {
  StatusPacket status;
  status.chapter = LocalChapterId(p);
  status.sessionOpen = p.session != nullptr ? p.session->opened : 0;
  auto image = status.Build();
  SendToAll(p, image.bytes);
}

bool GameStarted(const PacketContext& p) { return p.U16(8) == 0 || Post(p, WM_NET_GAME_STARTED); }

bool EndTurnCommand(const PacketContext&) {
  ViewNotices().ControlCommand(control::kEndTurn);
  return true;
}

bool PlayerId(const PacketContext& p) {
  const std::uint16_t slot = p.U16(8);
  if (slot >= kPlayerSlots) return Refuse(p, "Player slot outside the table");
  if (p.session != nullptr) p.session->StorePlayerId(slot, p.U32(12));
  return true;
}

bool SaveRequest(const PacketContext& p) {
  NotifyWindow(p, WM_NET_SAVE, 0, reinterpret_cast<std::intptr_t>(p.bytes.data()), true);
  return true;
}

// Loaded by the main loop once the dispatcher is done: a copy that cannot be
// read is told in a box, which must not hold up the packets behind it.
bool LoadData(const PacketContext& p) {
  if (p.session == nullptr || !p.session->KeepAgreedLoad(p.bytes.first(kLoadDataBytes)))
    return Refuse(p, "Load data of a load this player never agreed to");
  return Post(p, WM_NET_LOAD_DATA);
}

bool LoadReply(const PacketContext& p) {
  Post(p, WM_NET_LOAD_REPLY, p.U32(8));
  ViewNotices().SetTurnLampCount(p.U16(12));
  return true;
}

// The player has the game when its file opens and names the same save
// identifier (the u32 after the first byte).
bool HasSavedGame(const char* name, bool scenario, std::uint32_t saveId) {
  char path[600];
  std::snprintf(path, sizeof(path), "%s%s", scenario ? g_instData.GetScenarioPath() : g_instData.GetSavePath(), name);
  plat::FILE* fp = OpenDataFile(path, "rb");
  if (fp == nullptr) {
    // The client's own copy: the name's extension (never a dot of a folder
    // above it) becomes ".clt", or ".clt" is added to a name without one.
    char* name = path;
    for (char* c = path; *c != '\0'; ++c)
      if (*c == '\\' || *c == '/' || *c == ':') name = c + 1;
    char* dot = std::strrchr(name, '.');
    if (dot == nullptr) dot = name + std::strlen(name);
    if (static_cast<std::size_t>(dot - path) + 5 > sizeof(path)) return false;
    std::memcpy(dot, ".clt", 5);
    fp = OpenDataFile(path, "rb");
    if (fp == nullptr) return false;
  }
  FileReader r(fp);
  r.U8();
  const std::uint32_t stored = r.U32();
  const bool ok = r.Ok();
  plat::fclose(fp);
  return ok && stored == saveId;
}

bool LoadQuestion(const PacketContext& p) {
  char name[257];
  p.Text(8, 256, name);
  int answer = 1;
  if (p.game != nullptr) answer = Ask(HasSavedGame(name, p.U32(272) != 0, p.U32(264)) ? "LOADGMYN" : "QTLDGMYN");
  if (answer == 1 && p.session != nullptr) p.session->AgreeLoad(p.U32(264));
  auto reply = AnswerPacket{false, static_cast<std::uint32_t>(answer), p.U16(268)}.Build();
  SendToAll(p, reply.bytes);
  return true;
}

bool TurnProcessing(const PacketContext& p) {
  Out<12> ack(PKT_TURN_PROCESSING_ACK);
  ack.Put<std::uint16_t>(8, LocalChapterId(p));
  SendToAll(p, ack.bytes);
  return Post(p, WM_NET_TURN_PROCESSING);
}

bool InterregnumStart(const PacketContext& p) {
  const std::uint16_t guild = p.U16(8);
  if (guild >= kGuildCount) return Refuse(p, "Guild outside the table");
  CGuild* g = p.game->guildList->GetGuild(guild);
  // Without every member's byte the guild would pick the sides itself.
  if (p.bytes.size() < std::size_t{12} + g->GetChaptersPerGuild()) return Refuse(p, "Interregnum without its members");
  g->BeginInterregnum(p.bytes);
  p.game->notifications->Add(p.game->localChapterId, notify::kGameEvent, notify::kInterregnumBegun, nullptr, nullptr,
                             guild, 0, 0xFFFFFFFFu);
  return true;
}

bool InterregnumEnd(const PacketContext& p) {
  const std::uint16_t guild = p.U16(8);
  if (guild >= kGuildCount) return Refuse(p, "Guild outside the table");
  p.game->guildList->GetGuild(guild)->ClearRenegades();
  p.game->notifications->Add(p.game->localChapterId, notify::kGameEvent, notify::kInterregnumEnded, nullptr, nullptr,
                             guild, 0, 0xFFFFFFFFu);
  return true;
}

bool GameOver(const PacketContext& p) {
  // The server ends with the game: its going away from now on is no fault.
  if (p.session != nullptr) p.session->NoteGameEnded();
  ClientShell().CloseProgress();
  const std::uint16_t local = LocalChapterId(p);
  if (local < kMaxChapters) {
    static constexpr const char* kMovies[3] = {"loss.avi", "minorwin.avi", "majorwin.avi"};
    if (const std::uint8_t result = p.U8(8 + local); result < 3) ClientShell().PlayMovie(kMovies[result]);
  }
  ViewNotices().GameOverDialogs(p.bytes);
  ClientShell().SetPendingEscape();
  if (p.U16(48) != 32 && p.game != nullptr) p.game->victoryFlags = 1;
  return true;
}

bool ChapterName(const PacketContext& p) {
  if (p.game == nullptr) return true;
  const std::uint16_t chapter = p.U16(8);
  if (chapter >= kMaxChapters) return Refuse(p, "Chapter outside the table");
  char name[kMaxPacketSize];
  if (CGChapter* c = p.game->guildList->GetChapter(chapter)) c->SetName(p.Text(16, sizeof(name) - 1, name));
  return true;
}

bool KeepAlive(const PacketContext& p) {
  Out<12> alive(PKT_KEEPALIVE);
  alive.Put<std::uint16_t>(8, LocalChapterId(p));
  SendToAll(p, alive.bytes);
  return true;
}

bool RestartQuestion(const PacketContext& p) {
  auto reply = AnswerPacket{true, static_cast<std::uint32_t>(Ask("RSTRTGYN")), p.U16(8)}.Build();
  SendToAll(p, reply.bytes);
  return true;
}

bool TurnLamps(const PacketContext& p) {
  ViewNotices().TurnLampPacket(p.bytes);
  return true;
}

bool Ready(const PacketContext& p) {
  if (p.session != nullptr && p.session->players) p.session->players->TogglePlayerFlagByID(p.from, 1);
  return true;
}

bool ConfigExchange(const PacketContext& p) {
  constexpr std::size_t kConfigSize = 40;
  std::span<std::uint8_t> block = ClientShell().GameConfigBlock();
  if (block.size() < kConfigSize) return Refuse(p, "No game configuration to exchange");
  block = block.first(kConfigSize);
  if (block[12] == 0 && block[13] == 0) {
    ClientShell().RunConfigScreen(block);
  }
  SendToAll(p, block);
  if (ClientShell().LobbyLaunch()) {
    Out<12> quit(PKT_QUIT);
    quit.Put<std::uint16_t>(8, LocalChapterId(p));
    SendToAll(p, quit.bytes);
    ClientShell().PostQuit(0);
  } else {
    SendStatus(p);
  }
  return true;
}

bool StatusRequest(const PacketContext& p) {
  plat::Sleep(1000);
  SendStatus(p);
  return true;
}

bool GameSettings(const PacketContext& p) {
  CGameData& g = *p.game;
  // The guilds were made for the game's count of chapters; a configuration
  // naming another count cannot change them any more (a save would no longer
  // load), so the rest of it is taken and the count kept.
  if (p.U8(14) != g.chaptersPerGuild)
    Refuse(p, "Configuration with another count of chapters per guild than the game's");
  else
    g.SetChaptersPerGuild(p.U8(14));
  g.turnTimeLimit = p.U16(18);
  g.victoryFlags = p.U16(20);
  g.gameLength = p.U16(22);
  g.guildControlPercent = p.U16(24);
  g.imperatorVotePercent = p.U16(26);
  g.randomEvents = p.U16(28);
  g.researchSharedPercent = p.U8(32);
  g.chaoticOrbits = p.U16(34);
  const std::uint16_t motion = p.U16(30);
  g.solarDB.orbitMotion = motion == 3 ? 4 : motion;
  return true;
}

bool StoreSettings(const PacketContext& p) {
  ClientShell().ApplyReceivedSettings(p.bytes);
  return true;
}

template <std::uint32_t Msg>
bool PostPlain(const PacketContext& p) {
  return Post(p, Msg);
}
template <std::uint32_t Msg>
bool PostWord(const PacketContext& p) {
  return Post(p, Msg, p.U32(8));
}
template <std::uint32_t Msg>
bool PostLong(const PacketContext& p) {
  return Post(p, Msg, 0, static_cast<std::intptr_t>(p.U32(8)));
}

constexpr HandlerEntry kHandlers[] = {
    {PKT_START, 10, false, GameStarted},
    {PKT_END_TURN, 8, false, EndTurnCommand},
    {PKT_TURN_RESULTS, 8, false, PostPlain<WM_NET_TURN_RESULTS>},
    {PKT_PLAYER_ID, 16, false, PlayerId},
    {PKT_SAVE_GAME, 272, false, SaveRequest},
    {PKT_LOAD_GAME, kLoadDataBytes, false, LoadData},
    {PKT_AUTOSAVE, 12, false, PostLong<WM_NET_AUTOSAVE>},
    {PKT_SAVE_DONE, 12, false, PostWord<WM_NET_SAVE_DONE>},
    {PKT_LOAD_REPLY, 14, false, LoadReply},
    {PKT_LOAD_REQUEST, 276, false, LoadQuestion},
    {PKT_LOAD_ANSWER, 12, false, PostWord<WM_NET_LOAD_PERMISSION>},
    {PKT_TURN_PROCESSING, 8, false, TurnProcessing},
    {PKT_INTERREGNUM_START, 12, true, InterregnumStart},
    {PKT_INTERREGNUM_END, 10, true, InterregnumEnd},
    {PKT_GAME_OVER, 50, false, GameOver},
    {PKT_RESTART, 8, false, PostPlain<WM_NET_RESTART>},
    {PKT_RESTART_VIEWS, 8, false, PostPlain<WM_NET_RESTART_VIEWS>},
    {PKT_CHAPTER_NAME, 16, false, ChapterName},
    {PKT_KEEPALIVE_REQUEST, 8, false, KeepAlive},
    {PKT_RESTART_REQUEST, 10, false, RestartQuestion},
    {PKT_RESTART_ANSWER, 12, false, PostWord<WM_NET_RESTART_REPLY>},
    {PKT_TURN_LAMPS, 8, false, TurnLamps},
    {PKT_READY, 8, false, Ready},
    {PKT_CONFIG_EXCHANGE, 8, false, ConfigExchange},
    {PKT_STATUS_REQUEST, 8, false, StatusRequest},
    {PKT_GAME_CONFIG, 36, true, GameSettings},
    {PKT_GAME_SETTINGS_STORE, 68, false, StoreSettings},
};

}  // namespace

std::span<const HandlerEntry> SystemHandlers() { return kHandlers; }
