// The chat and player-notes pages of the info panel: the local chapter's
// received chat messages (five a page) with sending and deleting, and its
// notes (four a page) with adding and deleting.
#include <cstring>
#include <string>

#include "Game/app/AppGlobals.h"
#include "Game/dialogs/CDChatDlg.h"
#include "Game/dialogs/CDMultilineEditDlg.h"
#include "Game/model/GChapter.h"
#include "Game/model/GGameData.h"
#include "Game/model/GGuild.h"
#include "Game/model/GLocalChapter.h"
#include "Game/net/GuildPackets.h"
#include "Game/net/NetSession.h"
#include "Game/panels/CInfoPanel.h"
#include "Game/panels/InfoPageDraw.h"
#include "media/CSndPlay.h"

using namespace plat;
using namespace infopage;

namespace {

constexpr int kButtonTop = 441, kButtonBottom = 459;
constexpr int kChatBlocks = 5, kNoteBlocks = 4;
constexpr std::size_t kNoteShownChars = 535;
constexpr std::size_t kNoteBufferSize = 980;
constexpr COLORREF kForeignRed = 0x0000FF;

void Click() {
  if (g_sndPlay) g_sndPlay->PlayEffect("click", 1.0f, 0.0f, 0);
}

CGChapter* Local() { return g_gameData ? g_gameData->GetLocalChapter() : nullptr; }

const char* ChapterName(std::uint8_t id) {
  const CGChapter* c = g_gameData && g_gameData->guildList ? g_gameData->guildList->GetChapter(id) : nullptr;
  return c && c->GetName() ? c->GetName() : "";
}

// Paging boxes shared by both pages: MORE and PREVIOUS, grey when idle.
void DrawPaging(bool more, bool previous) {
  Box(450, 342, 580, 362, kBlack, 35, kGreen);
  Caption("INFOMORE", 463, 345, 70, Pick(more));
  Caption("INFOPREV", 511, 345, 100, Pick(previous));
}

// A delete box framed on its top and left only.
void DeleteBox(int left, int bottom, const char* id, int width) {
  PanelFrame().ShadeViewportRect(left, bottom - 10, 579, bottom - 1, kBlack, 35);
  Line(left, bottom - 10, 579, bottom - 10, kGreen);
  Line(left, bottom - 10, left, bottom - 1, kGreen);
  Caption(id, left, bottom - 7, width, kWhite, DT_CENTER);
}

}  // namespace

std::vector<std::uint8_t> MakeChatPacket(std::uint8_t sender, std::uint8_t target, const char* text) {
  ChatPacket packet;
  packet.sender = sender;
  packet.target = target;
  // At most 499 characters, so the text always ends with its zero.
  packet.text.assign(text, strnlen(text, kChatPacketText - 1));
  std::vector<std::uint8_t> bytes = packet.Build();
  bytes.resize(kChatPacketSize, 0);
  return bytes;
}

void CInfoPanel::DrawChat() {
  ResetHotSpots();
  PanelFrame().SetChatLight(0);
  const CGChapter* local = Local();
  const int count = local ? local->chatMessages.count : 0;
  const std::uint16_t localId = LocalChapterId(0);
  for (int i = 0; i < kChatBlocks && chatFirst + i < count; ++i) {
    const ChatMessage* m = local->GetChatMessage(chatFirst + i);
    if (!m) break;
    const int b = 92 + 60 * i;
    Box(5, b - 55, 580, b, kBlack, 35, kGreen);
    DeleteBox(460, b, "CHATDELM", 120);
    const bool toChapter = m->recipient < kChatToGuild;
    COLORREF colour = kWhite;
    if (toChapter && m->sender != localId && m->recipient != localId)
      colour = kForeignRed;
    else if (toChapter && m->sender == localId)
      colour = GetBrightColor(g_gameData->GetLocalGuildIndex());
    // Kept from draw to draw: a redraw makes no heap call for it.
    static std::string header;
    if (m->recipient == kChatToAll)
      header = Text("CHATALL_", ChapterName(m->sender));
    else if (m->recipient == kChatToGuild)
      header = Text("CHATGILD", ChapterName(m->sender));
    else
      header = Text("CHATPLYR", ChapterName(m->sender), ChapterName(m->recipient));
    if (m->intercepted) header.append("    ").append(Text("INTRCEPT"));
    // Players' texts and chapter names as typed: an ampersand is a letter.
    Write(header, 10, b - 52, 585, colour, DT_LEFT | DT_NOPREFIX);
    Write(m->text ? m->text.get() : "", 15, b - 37, 560, colour, DT_LEFT | DT_WORDBREAK | DT_NOPREFIX);
  }
  Box(5, 5, 160, 25, kBlack, 35, kGreen);
  Caption("ICHTITLE", 5, 8, 155, kWhite, DT_CENTER);
  Line(5, 30, 580, 30, kGreen);
  Line(5, 337, 580, 337, kGreen);
  Box(5, 342, 110, 362, kBlack, 35, kGreen);
  Caption("SENDCHAT", 5, 345, 105, kWhite, DT_CENTER);
  DrawPaging(chatFirst + kChatBlocks<count, chatFirst> 0);
  hotSpotCount = 3;
}

int CInfoPanel::ClickChat(int x, int y, WPARAM) {
  CGChapter* local = Local();
  if (!local) return 0;
  const int count = local->chatMessages.count;
  if (y >= kButtonTop && y <= kButtonBottom) {
    if (x >= 35 && x <= 138) {
      Click();
      char text[kChatBufferSize] = {};
      std::uint8_t target = kChatToAll;
      if (RunChatDialog(text, &target) && text[0] != '\0') {
        const std::uint16_t localId = g_gameData->localChapterId;
        std::vector<std::uint8_t> packet = MakeChatPacket(static_cast<std::uint8_t>(localId), target, text);
        if (g_session) g_session->Send(-1, packet.data(), static_cast<std::uint32_t>(packet.size()));
        // A message to one chapter is not sent back: keep the local copy.
        if (target < 32 + g_gameData->chaptersPerGuild && target != localId) local->AddChatMessage(packet);
      }
      return 1;
    }
    if (x >= 490 && x <= 536) {
      if (chatFirst + kChatBlocks >= count) return 0;
      ++chatFirst;
      Click();
      return 1;
    }
    if (x >= 540 && x <= 608) {
      if (chatFirst == 0) return 0;
      --chatFirst;
      Click();
      return 1;
    }
    return 0;
  }
  if (y < 139 || y > 439 || x < 490 || x > 608) return 0;
  const int row = (y - 138) / 60;
  if (y <= 60 * row + 180 || y >= 60 * row + 190 || row >= kChatBlocks) return 0;
  local->DeleteChatMessage(chatFirst + row);
  Click();
  return 1;
}

void CInfoPanel::DrawPlayerNotes() {
  ResetHotSpots();
  const CGChapter* local = Local();
  const int count = local ? local->notes.count : 0;
  const COLORREF pale = GetPaleColor(LocalGuild());
  for (int i = 0; i < kNoteBlocks && noteFirst + i < count; ++i) {
    const PlayerNote* n = local->GetNote(noteFirst + i);
    if (!n) break;
    const int b = 106 + 74 * i;
    Box(5, b - 69, 580, b, kBlack, 35, kGreen);
    static std::string text;  // kept from draw to draw, as the chat's header
    text = Text("IPNTURN_", static_cast<std::int32_t>(n->turn));
    if (n->text) text.append(n->text.get(), strnlen(n->text.get(), kNoteShownChars));
    Write(text, 10, b - 66, 565, pale, DT_LEFT | DT_WORDBREAK | DT_NOPREFIX);
    DeleteBox(480, b, "IPNLMBDL", 100);
  }
  Box(5, 5, 140, 25, kBlack, 35, kGreen);
  Caption("IPNTITLE", 5, 8, 135, kWhite, DT_CENTER);
  Box(5, 342, 110, 362, kBlack, 35, kGreen);
  Caption("IPNADDNT", 5, 345, 105, kWhite, DT_CENTER);
  DrawPaging(noteFirst + kNoteBlocks<count, noteFirst> 0);
  hotSpotCount = 7;
}

int CInfoPanel::ClickPlayerNotes(int x, int y, WPARAM) {
  CGChapter* local = Local();
  if (!local) return 0;
  const int count = local->notes.count;
  if (y >= kButtonTop && y <= kButtonBottom) {
    if (x >= 35 && x <= 138) {
      Click();
      char text[kNoteBufferSize] = {};
      if (RunNoteDialog(text, sizeof text) && text[0] != '\0') {
        local->AddNote(text);
        // Keep the new note on the page: fewer than four from the first to it.
        while (count - noteFirst >= kNoteBlocks) ++noteFirst;
      }
      return 1;
    }
    if (x >= 490 && x <= 536) {
      if (noteFirst + kNoteBlocks >= count) return 0;
      ++noteFirst;
      Click();
      return 1;
    }
    if (x >= 540 && x <= 608) {
      if (noteFirst == 0) return 0;
      --noteFirst;
      Click();
      return 1;
    }
    return 0;
  }
  if (y < 139 || y > 434 || x < 510 || x > 608) return 0;
  const int row = (y - 138) / 74;
  if (y <= 74 * row + 194 || y >= 74 * row + 204 || row >= kNoteBlocks) return 0;
  local->DeleteNote(noteFirst + row);
  Click();
  return 1;
}
