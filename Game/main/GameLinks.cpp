#include "Game/main/GameLinks.h"

#include <memory>

#include "Game/app/AppGlobals.h"
#include "Game/app/AppViewNotices.h"
#include "Game/main/DesignLinks.h"
#include "Game/main/SaveLinks.h"
#include "Game/model/GChapter.h"
#include "Game/model/GGameData.h"
#include "Game/model/GGuild.h"
#include "Game/model/GNotify.h"
#include "Game/model/GNotifyCodes.h"
#include "Game/model/GWorldLinks.h"
#include "Game/net/NetDispatcher.h"
#include "Game/net/NetHandlerLinks.h"
#include "Game/panels/CVNotify.h"
#include "Game/views/flat/CVDesign.h"
#include "Game/views/flat/CVTerrain.h"
#include "Game/views/frame/CVGeneric.h"
#include "Game/views/frame/CVStandIn.h"
#include "Game/views/replay/CVSReplay.h"
#include "Game/views/replay/CVTReplay.h"
#include "Game/views/space/CVAstSpace.h"
#include "Game/views/space/CVSolar.h"
#include "platform/user/system.h"

void InstallGameLinks(AppLinks& links) {
  // The game screen hears what the game data, handlers and application tell it.
  RegisterAppViewNotices(&GameScreenNotices());
  links.createView = [](ViewType type, plat::HWND window, plat::HINSTANCE instance) -> std::unique_ptr<IGameView> {
    if (type == VIEW_DESIGN) return std::make_unique<CDesignView>(window, instance);
    if (type == VIEW_TERRAIN) return std::make_unique<CVTerrain>(window, instance);
    if (type == VIEW_TERRAIN_REPLAY) return std::make_unique<CVTReplay>(window, instance);
    if (type == VIEW_SOLAR) return std::make_unique<CVSolar>(window, instance);
    if (type == VIEW_ASTEROID_SPACE) return std::make_unique<CVAstSpace>(window, instance);
    if (type == VIEW_SPACE_REPLAY) return std::make_unique<CVSReplay>(window, instance);
    return std::make_unique<CVStandIn>(type, window, instance);
  };
  links.loading.closeReplayFile = [] { CloseAppReplayFile(); };
  links.game.create = [](std::uint16_t chapterId, std::uint16_t chaptersPerGuild) {
    delete g_gameData;  // clears g_gameData
    g_gameData = new CGameData(chapterId, static_cast<std::uint8_t>(chaptersPerGuild));
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
      g_gameData->notifications->Add(g_gameData->localChapterId, notify::kGameEvent, notify::kTurnComplete,
                                     nullptr, nullptr, 0, 0, 0xFFFFFFFFu);
    // The turn's notifications are read from the top.
    AppViewNotices().ScrollNotificationsToTop();
  };
  links.game.turnProcessing = [] {
    if (g_gameData) g_gameData->pieces.ClearForeignUnitsInSpace();
  };
  links.game.setChapterName = [](const char* name) {
    if (CGChapter* local = g_gameData ? g_gameData->GetLocalChapter() : nullptr) local->SetName(name);
  };
  links.game.chapterName = [] {
    const CGChapter* local = g_gameData ? g_gameData->GetLocalChapter() : nullptr;
    const char* name = local ? local->GetName() : nullptr;
    return std::string(name ? name : "");
  };
  links.game.setStateFlag = [] {
    if (CGChapter* local = g_gameData ? g_gameData->GetLocalChapter() : nullptr) local->SetStateFlag(1);
  };
  links.game.guildColours = [](plat::COLORREF& dark, plat::COLORREF& light) {
    if (!g_gameData) return false;
    std::uint32_t d = 0, l = 0;
    GetColorPair(g_gameData->localChapterId >> 3, &d, &l);
    dark = d;
    light = l;
    return true;
  };
  links.game.localHasHome = [] {
    const CGChapter* chapter = g_gameData ? g_gameData->GetLocalChapter() : nullptr;
    return chapter && chapter->homeAsteroid != 0xFFFF;
  };
  links.game.clearNotifications = [] {
    if (g_gameData && g_gameData->notifications) g_gameData->notifications->Clear(kAllChapters);
    if (SharedScreen().notifyPanel) SharedScreen().notifyPanel->ResetLines();
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
  InstallHandlerLinks(g_netHandlerLinks);
  links.dispatchPacket = [] { return g_session != nullptr && DispatchPacket(*g_session) != 0; };
  InstallSaveLinks(links);
}
