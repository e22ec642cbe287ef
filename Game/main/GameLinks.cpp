#include "Game/main/GameLinks.h"

#include "Game/app/AppGlobals.h"
#include "Game/model/GGameData.h"
#include "Game/model/GNotify.h"
#include "Game/net/NetDispatcher.h"

void InstallGameLinks(AppLinks& links) {
  links.game.create = [](std::uint16_t chapterId, std::uint16_t chaptersPerGuild) {
    delete g_gameData;  // clears g_gameData
    new CGameData(chapterId, static_cast<std::uint8_t>(chaptersPerGuild));  // stores itself in g_gameData
    AttachSessionLinks(g_session);
    return g_gameData != nullptr && g_gameData->RulesLoaded();
  };
  links.game.destroy = [] {
    AttachSessionLinks(nullptr);
    delete g_gameData;
  };
  links.game.exists = [] { return g_gameData != nullptr; };
  links.game.localChapterId = [] { return g_gameData ? g_gameData->localChapterId : std::uint16_t{255}; };
  links.game.guildModule = [](int guild) { return g_gameData ? g_gameData->GetGuildModule(guild) : nullptr; };
  links.game.imageModule = [] { return g_gameData ? g_gameData->GetImageModule() : nullptr; };
  links.game.turn = [] { return g_gameData ? g_gameData->turn : 0u; };
  links.game.turnResults = [](bool advance) {
    if (!g_gameData) return;
    if (advance) g_gameData->AdvanceModelTurn();
    // The new turn in the local chapter's notification list.
    if (g_gameData->notifications)
      g_gameData->notifications->Add(g_gameData->localChapterId, 4, 403, nullptr, nullptr, 0, 0, 0xFFFFFFFFu);
  };
  links.game.turnProcessing = [] {
    if (!g_gameData) return;
    if (g_gameData->notifications) g_gameData->notifications->Clear(kAllChapters);
    g_gameData->pieces.ClearForeignUnitsInSpace();
  };
  links.game.applyGameSetup = [](const GameSettingsPacket& settings, const GameConfigPacket* config,
                                 std::uint16_t chapterId) {
    if (!g_gameData) return;
    const auto setup = ToBytes(settings);
    if (config) {
      g_gameData->ApplyGameSetup(setup, chapterId, ToBytes(*config));
    } else {
      g_gameData->ApplyGameSetup(setup, chapterId, {});
    }
  };
  links.dispatchPacket = [] {
    if (g_session) DispatchPacket(*g_session);
  };
}
