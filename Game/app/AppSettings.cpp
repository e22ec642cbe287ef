// The application's settings files and game set-up blocks.
#include <string>

#include "Game/app/AppGlobals.h"
#include "Game/app/CClntApp.h"
#include "Game/app/GameLife.h"
#include "Game/app/SettingsFile.h"
#include "Game/base/GInstData.h"
#include "Game/base/Packets.h"
#include "Game/net/NetSession.h"
#include "Game/rules/GDefBP.h"

namespace {

// The most packets of other types a settings request drops while it waits.
constexpr int kMaxPacketsSkipped = 10000;

std::string InstallFile(const std::string& name) { return std::string(g_instData.GetInstallPath()) + name; }

}  // namespace

UserInfoFields CClntApp::UserInfo() {
  if (!m_gameConfig) m_gameConfig = std::make_unique<GameConfigPacket>();
  if (!m_gameSettings) m_gameSettings = std::make_unique<GameSettingsPacket>();
  return {m_network.connection.playerName,
          m_network.connection.nickname,
          m_chapter.name,
          &m_chapter.id,
          &m_chapter.secondId,
          m_gameConfig.get(),
          m_gameSettings.get(),
          &m_options};
}

void CClntApp::WriteUserInfo() { WriteSettingsFile(InstallFile("UserInfo.dat"), FormatUserInfo(UserInfo())); }

bool CClntApp::ReadUserInfo(const char* fileName) {
  std::string text;
  if (!fileName || !ReadSettingsFile(InstallFile(fileName), text)) return false;
  return ParseUserInfo(text, UserInfo());
}

void CClntApp::LoadUserInfo() {
  std::string text;
  if (!ReadUserInfo("UserInfo.dat") && ReadSettingsFile(InstallFile("UserInfo.dat"), text)) WriteUserInfo();
}

void CClntApp::WriteEmailInfo() {
  const std::string name = g_session ? g_session->emailGameName : std::string();
  UserInfo();
  WriteSettingsFile(InstallFile(EmailInfoPrefix(name) + "eminfo.dat"), FormatEmailInfo(*m_gameConfig, *m_gameSettings));
}

void CClntApp::ResetSettings(std::int16_t group, std::int16_t level) {
  UserInfo();
  ResetSetupGroup(*m_gameConfig, *m_gameSettings, m_options, group, level);
}

std::uint16_t CClntApp::GetDifficulty(std::uint16_t mode) const {
  return m_gameSettings ? RateDifficulty(*m_gameSettings, mode) : (mode <= 1 ? std::uint16_t{DIFFICULTY_EASY} : mode);
}

void CClntApp::SendGameSettings(GameSettingsPacket& packet, std::uint16_t chapterSlot) {
  packet.type = PKT_GAME_SETTINGS;
  packet.isSettings = 1;
  packet.chapterSlot = chapterSlot;
  packet.difficulty = RateDifficulty(packet, 0);
  auto bytes = ToBytes(packet);
  if (g_session) g_session->BroadcastUnsequenced(kAllPlayersSlot, bytes.data(), bytes.size());
  if (chapterSlot != kNoChapterSlot) DefaultBattlePlanTable().ReadFile(chapterSlot);
}

bool CClntApp::RequestGameSettings(GameSettingsPacket& destination, std::uint16_t chapterSlot) {
  if (!g_session) return false;
  GameSettingsPacket request;
  request.chapterSlot = chapterSlot;
  request.isSettings = 0;
  auto bytes = ToBytes(request);
  g_session->BroadcastUnsequenced(kAllPlayersSlot, bytes.data(), bytes.size());
  for (int skipped = 0; skipped < kMaxPacketsSkipped; ++skipped) {
    std::uint8_t* data = nullptr;
    if (g_session->Receive(&data) != 0 || !data) return false;
    PacketHeader header;
    if (!ReadPacketHeader(std::span<const std::uint8_t>(data, kPacketHeaderSize), header) ||
        header.type != PKT_GAME_SETTINGS)
      continue;
    GameSettingsPacket received;
    // The queue keeps every packet in a buffer of the largest packet's size.
    if (!FromBytes(std::span<const std::uint8_t>(data, kMaxPacketSize), received)) return false;
    // A block last sent while no chapter was chosen carries that chapter
    // (255) and is kept as it is; one never sent carries no sender (40) and
    // takes the answer like one sent for a chapter.
    if (destination.chapterSlot != kNoChapterChosen) {
      // Every field but the two unused words and the traits, which are the
      // player's own: a request made on every return to the chapter choice
      // must not wipe what the traits screen set.
      const std::uint16_t unused14 = destination.unused14;
      const std::uint16_t unused30 = destination.unused30;
      const auto traits = destination.traits;
      destination = received;
      destination.unused14 = unused14;
      destination.unused30 = unused30;
      destination.traits = traits;
    }
    return true;
  }
  return false;
}

void CClntApp::ApplyReceivedSettings(const GameSettingsPacket& packet) {
  UserInfo();
  const std::uint16_t slot = m_gameSettings->chapterSlot;
  *m_gameSettings = packet;
  m_gameSettings->chapterSlot = slot;
  m_gameSettings->difficulty = DIFFICULTY_CUSTOM;
  ApplyGameSetup(*m_gameSettings, m_gameConfig.get(), m_chapter.id);
}
