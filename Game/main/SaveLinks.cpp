#include "Game/main/SaveLinks.h"

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "Game/app/AppGlobals.h"
#include "Game/app/CClntApp.h"
#include "Game/net/NetDispatcher.h"
#include "Game/net/NetSession.h"
#include "Game/save/EmailTurn.h"
#include "Game/save/GameLoader.h"
#include "Game/save/SaveGame.h"
#include "platform/user/queue.h"

void InstallSaveLinks(AppLinks& links) {
  // The save request's packet (6) reaches the shell through the message's
  // pointer, the load data (7) through the session, which kept it; the
  // dispatcher passed them on only when they hold every field.
  // The save request of a packet carries its address; the player's own (the
  // view's Ctrl+S) carries none, and the name is then the player's to choose.
  links.saveGame = [](const char* packet) {
    if (!packet) return SaveGame({}, nullptr);
    return SaveGame({reinterpret_cast<const std::uint8_t*>(packet), kSavePacketSize}, nullptr);
  };
  links.autoSave = [](plat::LPARAM identifier) { return AutoSave(static_cast<std::uint32_t>(identifier)); };
  links.loading.loaderExists = [] { return KeptLoaderExists(); };
  links.loading.deleteLoader = [] { DeleteKeptLoader(); };
  // A load makes new game data: its orders go out through the session as a
  // new game's do (a game left for the main screen took the links away).
  links.loading.load = [] {
    const bool loaded = LoadKeptLoader();
    if (loaded) AttachSessionLinks(g_session);
    return loaded;
  };
  links.loading.loadData = [] {
    const std::vector<std::uint8_t> packet = g_session ? g_session->TakeKeptLoad() : std::vector<std::uint8_t>{};
    if (packet.size() < kLoadPacketSize || !LoadFromLoadPacket(packet)) return false;
    AttachSessionLinks(g_session);
    return true;
  };
  links.loading.writeClientTurnFile = [](const char* name) { return WriteEmailClientFile(name); };
  // An order that cannot reach the turn file would be lost unseen.
  links.writeEmailPacket = [](const std::uint8_t* packet, std::uint32_t length, int) {
    if (g_session && !WriteEmailPacket(*g_session, LocalChapterId(kNoChapterChosen), packet, length) && g_app)
      g_app->ShowTextBox("SAVEFAIL");
  };
}
