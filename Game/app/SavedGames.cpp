#include "Game/app/SavedGames.h"

#include <vector>

#include "Game/app/AppGlobals.h"
#include "Game/app/CClntApp.h"
#include "Game/net/NetDispatcher.h"
#include "Game/net/NetSession.h"
#include "Game/save/EmailTurn.h"
#include "Game/save/GameLoader.h"

// The save request's packet (6) reaches the shell through the message's
// pointer, the load data (7) through the session, which kept it; the
// dispatcher passed them on only when they hold every field.
SaveOutcome SaveRequestedGame(const char* packet) {
  if (!packet) return SaveGame({}, nullptr);
  return SaveGame({reinterpret_cast<const std::uint8_t*>(packet), kSavePacketSize}, nullptr);
}

// A load makes new game data: its orders go out through the session as a new
// game's do (a game left for the main screen took the links away).
bool LoadKeptGame() {
  if (!LoadKeptLoader()) return false;
  AttachSessionLinks(g_session);
  return true;
}

bool LoadSessionCopy() {
  const std::vector<std::uint8_t> packet = g_session ? g_session->TakeKeptLoad() : std::vector<std::uint8_t>{};
  if (packet.size() < kLoadPacketSize || !LoadFromLoadPacket(packet)) return false;
  AttachSessionLinks(g_session);
  return true;
}

// An order that cannot reach the turn file would be lost unseen.
void WriteTurnFilePacket(const std::uint8_t* packet, std::uint32_t length) {
  if (g_session && !WriteEmailPacket(*g_session, LocalChapterId(kNoChapterChosen), packet, length) && g_app)
    g_app->ShowTextBox("SAVEFAIL");
}
