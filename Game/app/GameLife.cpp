#include "Game/app/GameLife.h"

#include "Game/app/AppGlobals.h"
#include "Game/app/AppViewNotices.h"
#include "Game/model/GChapter.h"
#include "Game/model/GGameData.h"
#include "Game/model/GGuild.h"
#include "Game/model/GNotify.h"
#include "Game/model/GNotifyCodes.h"
#include "Game/net/NetDispatcher.h"

bool CreateGame(std::uint16_t chapterId, std::uint16_t chaptersPerGuild) {
  delete g_gameData;  // clears g_gameData
  g_gameData = new CGameData(chapterId, static_cast<std::uint8_t>(chaptersPerGuild));
  AttachSessionLinks(g_session);
  return g_gameData->RulesLoaded();
}

void DestroyGame() {
  AttachSessionLinks(nullptr);
  delete g_gameData;
}

void ApplyGameSetup(const GameSettingsPacket& settings, const GameConfigPacket* config, std::uint16_t chapterId) {
  if (!g_gameData) return;
  const auto setup = ToBytes(settings);
  if (config) {
    g_gameData->ApplyGameSetup(setup, chapterId, ToBytes(*config));
  } else {
    g_gameData->ApplyGameSetup(setup, chapterId, {});
  }
}

std::string LocalChapterName() {
  const CGChapter* local = g_gameData ? g_gameData->GetLocalChapter() : nullptr;
  const char* name = local ? local->GetName() : nullptr;
  return std::string(name ? name : "");
}

void SetLocalChapterName(const char* name) {
  if (CGChapter* local = g_gameData ? g_gameData->GetLocalChapter() : nullptr) local->SetName(name);
}

void MarkLocalChapterPlaying() {
  if (CGChapter* local = g_gameData ? g_gameData->GetLocalChapter() : nullptr) local->SetStateFlag(1);
}

bool LocalGuildColours(plat::COLORREF& dark, plat::COLORREF& light) {
  if (!g_gameData) return false;
  std::uint32_t d = 0, l = 0;
  GetColorPair(g_gameData->localChapterId >> 3, &d, &l);
  dark = d;
  light = l;
  return true;
}

bool LocalChapterHasHome() {
  const CGChapter* chapter = g_gameData ? g_gameData->GetLocalChapter() : nullptr;
  return chapter && chapter->homeAsteroid != 0xFFFF;
}

std::uint32_t GameTurn() { return g_gameData ? g_gameData->turn : 0u; }

void TurnResultsArrived(bool advance) {
  if (!g_gameData) return;
  if (advance) g_gameData->AdvanceModelTurn();
  // The new turn in the local chapter's notification list.
  if (g_gameData->notifications)
    g_gameData->notifications->Add(g_gameData->localChapterId, notify::kGameEvent, notify::kTurnComplete, nullptr,
                                   nullptr, 0, 0, 0xFFFFFFFFu);
  // The turn's notifications are read from the top.
  AppViewNotices().ScrollNotificationsToTop();
}

void TurnProcessingBegins() {
  if (g_gameData) g_gameData->pieces.ClearForeignUnitsInSpace();
}

void ClearNotifications() {
  if (g_gameData && g_gameData->notifications) g_gameData->notifications->Clear(kAllChapters);
  AppViewNotices().ClearNotificationLines();
}

plat::HMODULE GameGuildModule(int guild) { return g_gameData ? g_gameData->GetGuildModule(guild) : nullptr; }

plat::HMODULE GameImageModule() { return g_gameData ? g_gameData->GetImageModule() : nullptr; }
