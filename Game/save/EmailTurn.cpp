#include "Game/save/EmailTurn.h"

#include <array>
#include <cstdio>

#include "Game/base/ByteStream.h"
#include "Game/base/ClientShell.h"
#include "Game/base/GInstData.h"
#include "Game/base/Packets.h"
#include "Game/model/GChapter.h"
#include "Game/model/GGameData.h"
#include "Game/model/GNotifyCodes.h"
#include "Game/model/GViewNotices.h"
#include "Game/net/NetDispatcher.h"
#include "Game/net/NetSession.h"
#include "Game/save/GameLoader.h"

namespace {

constexpr std::size_t kSuffixSize = 4;  // ".s03"
constexpr std::size_t kNamePacketSize = 44;

std::string WithoutSuffix(const std::string& gameName) {
  return gameName.size() >= kSuffixSize ? gameName.substr(0, gameName.size() - kSuffixSize) : std::string();
}

std::string TwoDigits(std::uint16_t chapter) {
  char text[8];
  std::snprintf(text, sizeof text, "%02u", static_cast<unsigned>(chapter % 100));
  return text;
}

// The chapter number of G's last two characters; -1 when they are not digits.
int ChapterOfName(const std::string& g) {
  if (g.size() < 2 || g[g.size() - 2] < '0' || g[g.size() - 2] > '9' || g.back() < '0' || g.back() > '9') return -1;
  return (g[g.size() - 2] - '0') * 10 + (g.back() - '0');
}

// Whether the file stands at its end: a record that cannot be read whole
// anywhere else is damage, not the end of the turn.
bool AtEnd(plat::FILE* fp) {
  const long at = plat::ftell(fp);
  if (at < 0 || plat::fseek(fp, 0, SEEK_END) != 0) return false;
  const long end = plat::ftell(fp);
  plat::fseek(fp, at, SEEK_SET);
  return end == at;
}

void CloseEmailInput(CNetSession& session) {
  if (session.emailInput == nullptr) return;
  plat::fclose(session.emailInput);
  session.emailInput = nullptr;
}

}  // namespace

std::string EmailInputFileName(const std::string& gameName) { return g_instData.GetEmailPath() + gameName; }

std::string EmailTurnFileName(const std::string& gameName, std::uint16_t chapter) {
  return g_instData.GetEmailPath() + WithoutSuffix(gameName) + ".c" + TwoDigits(chapter);
}

std::string EmailClientFileName(const std::string& gameName, std::uint16_t chapter) {
  return WithoutSuffix(gameName) + "-" + TwoDigits(chapter) + ".ecl";
}

int ReadEmailInputFile(CNetSession& session, std::uint16_t localChapter) {
  CloseEmailInput(session);
  session.emailInput = plat::fopen(EmailInputFileName(session.emailGameName).c_str(), "rb");
  session.emailHeader = 0;
  session.emailInputDamaged = false;
  std::uint32_t playing = 0;
  if (session.emailInput != nullptr) {
    FileReader r(session.emailInput);
    session.emailHeader = r.U32();
    // The first turn's file carries the turn itself; every later one the
    // turn its results close, and the player plays the one after it: the
    // turn file names the turn played, which the server compares with its own.
    playing = session.emailHeader == kEmailSkipReload ? r.U32() : session.emailHeader + 1;
    // A file too short for its header holds no packets: it is not kept open.
    if (!r.Ok()) {
      CloseEmailInput(session);
      session.emailHeader = 0;
      playing = 0;
    }
  }
  const std::string turnFile = EmailTurnFileName(session.emailGameName, localChapter);
  plat::remove(turnFile.c_str());
  if (plat::FILE* out = plat::fopen(turnFile.c_str(), "wb")) {
    FileWriter(out).U32(playing);
    plat::fclose(out);
  }
  return ChapterOfName(session.emailGameName);
}

bool WriteEmailPacket(const CNetSession& session, std::uint16_t localChapter, const std::uint8_t* packet,
                      std::uint32_t length) {
  plat::FILE* out = plat::fopen(EmailTurnFileName(session.emailGameName, localChapter).c_str(), "ab");
  if (out == nullptr) return false;
  FileWriter w(out);
  w.U32(length);
  w.WriteBytes(std::span(packet, length));
  const bool ok = w.Ok();
  return plat::fclose(out) == 0 && ok;
}

int ReadEmailPacket(CNetSession& session, std::span<std::uint8_t> buffer, std::uint32_t* length) {
  if (session.emailInput == nullptr) return kEmailNoPacket;
  if (AtEnd(session.emailInput)) {
    CloseEmailInput(session);
    return kEmailNoPacket;
  }
  FileReader r(session.emailInput);
  const std::uint32_t n = r.U32();
  if (!r.Ok() || n > kMaxPacketSize || n > buffer.size() || !r.ReadBytes(buffer.first(n))) {
    session.emailInputDamaged = true;
    CloseEmailInput(session);
    return kEmailNoPacket;
  }
  *length = n;
  return 0;
}

bool ProcessEmailTurn(CNetSession& session) {
  if (session.emailHeader < kEmailSkipReload) {
    // Between turns the program holds no game: the chapter is the
    // application's, or the one the input file is addressed to.
    const std::uint16_t chapter =
        g_gameData != nullptr
            ? g_gameData->localChapterId
            : ClientShell().AppChapterId(static_cast<std::uint16_t>(ChapterOfName(session.emailGameName)));
    if (!CGameLoader::ForEmail(EmailClientFileName(session.emailGameName, chapter).c_str()).Load()) {
      CloseEmailInput(session);
      ClientShell().ShowTextBox("EMAILCSE", nullptr);
      return false;
    }
    g_gameData->emailGame = true;
    g_gameData->turn = session.emailHeader;
    if (g_gameData->notifications) g_gameData->notifications->Clear(kAllChapters);
    g_gameData->pieces.ClearForeignUnitsInSpace();
    ClientShell().DeleteReplayFiles();
  }
  if (g_gameData == nullptr) {
    CloseEmailInput(session);
    return false;
  }
  while (DispatchPacket(session) != 0) {
  }
  // A damaged input, or a first one that brought no world, leaves nothing
  // that could be played or sent back: the player is told, and the turn file
  // holds its header alone.
  if (session.emailInputDamaged || g_gameData->solarDB.GetAsteroid(0) == nullptr) {
    CloseEmailInput(session);
    ClientShell().ShowTextBox("EMAILERR", nullptr);
    return false;
  }
  CGameData& game = *g_gameData;
  if (game.notifications)
    game.notifications->Add(game.localChapterId, notify::kGameEvent, notify::kTurnComplete, nullptr, nullptr, 0, 0,
                            0xFFFFFFFFu);
  if (session.emailHeader + 1 < 0xFFFFFFFFu) game.turn = session.emailHeader + 1;
  CloseEmailInput(session);

  const char* name = ClientShell().PlayerName();
  std::array<std::uint8_t, kNamePacketSize> packet{};
  plat::ByteWriter w(packet);
  w.WriteAt<std::uint16_t>(0, PKT_PLAYER_NAME);
  w.WriteAt<std::uint16_t>(8, game.localChapterId);
  std::snprintf(reinterpret_cast<char*>(packet.data() + 10), kNamePacketSize - 10, "%s", name);
  session.Send(kAllPlayersSlot, packet.data(), kNamePacketSize);
  ClientShell().PostToMainWindow(WM_NET_GAME_STARTED);

  game.solarDB.AdvanceTurn();
  if (CGChapter* local = game.GetLocalChapter()) {
    local->RecordTurnStatistics();
    local->SetName(name);
  }
  ViewNotices().ScrollNotificationsToTop();
  return true;
}
