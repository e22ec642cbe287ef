// What the front end's screens choose for the game to come: the way this
// program takes part, the connection, the file to load, the chapter and the
// set-up blocks' marks.
#include <cstdio>
#include <cstring>

#include "Game/app/CClntApp.h"
#include "media/CSprite.h"

void CClntApp::ReplaceConfig(const GameConfigPacket& config) {
  if (m_gameConfig) *m_gameConfig = config;
}

void CClntApp::ChooseNewEmailGame(std::string serverCommand) {
  m_role.lobbyArgument = std::move(serverCommand);
  m_role.emailGame = 1;
}

void CClntApp::PlayEmailTurnAs(std::uint16_t chapter) {
  m_chapter.id = chapter;
  m_role.singlePlayer = m_role.emailGame = 1;
  MarkConfigForStart();
}

void CClntApp::ChooseService(std::uint16_t connectionKind, std::uint8_t serviceType) {
  m_network.connection.connectionKind = connectionKind;
  m_network.connection.serviceType = serviceType;
}

void CClntApp::DescribeSession(const char* description) {
  std::snprintf(m_network.connection.description, sizeof m_network.connection.description, "%s", description);
}

void CClntApp::NameSessionAfterGameFile() {
  ConnectionInfo& connection = m_network.connection;
  const std::size_t length = std::strlen(m_load.fileName);
  if (length >= sizeof connection.sessionName) return;
  std::memcpy(connection.sessionName, m_load.fileName, length + 1);
  std::snprintf(connection.description, sizeof connection.description, "%s", "s");
}

void CClntApp::HostLocalGame(std::uint16_t connectionKind) {
  m_role.host = m_role.singlePlayer = m_network.sessionOpen = m_network.inSession = 1;
  m_network.connection.connectionKind = connectionKind;
}

void CClntApp::HostOpenedSession() { m_role.host = m_network.sessionOpen = m_network.inSession = 1; }

void CClntApp::NoteSessionJoined() { m_network.sessionOpen = m_network.inSession = 1; }

void CClntApp::ChooseGameFile(const char* directory, const char* fileName) {
  ChooseGameDirectory(directory);
  std::snprintf(m_load.fileName, sizeof m_load.fileName, "%s", fileName);
}

void CClntApp::ChooseGameFile(const char* directory, const char* fileName, bool scenario) {
  ChooseGameFile(directory, fileName);
  m_load.scenario = scenario ? 1 : 0;
}

void CClntApp::ChooseGameDirectory(const char* directory) {
  std::snprintf(m_load.directory, sizeof m_load.directory, "%s", directory);
}

void CClntApp::ClaimChapter(std::uint16_t chapter, std::uint16_t chaptersPerGuild) {
  m_chapter.id = m_chapter.secondId = chapter;
  m_chapter.perGuild = chaptersPerGuild;
}

void CClntApp::ChooseChapter(std::uint16_t chapter, std::uint16_t chaptersPerGuild) {
  m_chapter.id = chapter;
  m_chapter.perGuild = chaptersPerGuild;
}

void CClntApp::MarkConfigFromFile(bool settingsLocked) {
  m_gameConfig->word8 = 1;
  m_gameConfig->word12 = 1;
  m_gameConfig->word36 = settingsLocked ? 1 : 0;
}

void CClntApp::RefreshGameSettings() {
  if (m_settingsRequested) RequestGameSettings(*m_gameSettings, m_chapter.id);
  m_settingsRequested = 1;
}

AppScreens& CClntApp::RestartScreenHistory() {
  m_screens.count = 0;
  return m_screens;
}

std::unique_ptr<CSprite> CClntApp::TakeBackdrop() { return std::move(m_backdrop); }

void CClntApp::ReturnBackdrop(std::unique_ptr<CSprite> backdrop) { m_backdrop = std::move(backdrop); }
