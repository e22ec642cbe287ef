// The voting page of the info panel: the local guild's members, who is
// renegade, the local chapter's renegade and imperator votes (clicked to
// change) and what each member declares about the local chapter.
#include <string>

#include "Game/model/GChapter.h"
#include "Game/model/GGameData.h"
#include "Game/model/GGuild.h"
#include "Game/panels/CInfoPanel.h"
#include "Game/panels/InfoPageDraw.h"
#include "media/CSprite.h"

using namespace plat;
using namespace infopage;

namespace {

constexpr COLORREF kRenegadeRed = 0x0000FF;
constexpr int kFirstRowScreenY = 176;
constexpr int kRowHeight = 36;

CGChapter* Member(int slot) {
  return g_gameData && g_gameData->guildList ? g_gameData->guildList->GetChapter(g_gameData->GetLocalGuildIndex() * 8u +
                                                                                 static_cast<std::uint32_t>(slot))
                                             : nullptr;
}

int Members() { return g_gameData ? std::min<int>(g_gameData->chaptersPerGuild, kMaxChaptersPerGuild) : 0; }

}  // namespace

void CInfoPanel::DrawVotePanel() {
  ResetHotSpots();
  hotSpotCount = 0;
  Box(5, 3, 130, 35, kBlack, 35, kGreen);
  Caption("IVTTITLE", 18, 10, 100, kWhite);
  Box(315, 3, 580, 35, kBlack, 35, kGreen);
  CGuild* guild = g_gameData ? g_gameData->GetLocalGuild() : nullptr;
  CGChapter* local = g_gameData ? g_gameData->GetLocalChapter() : nullptr;
  if (!guild || !local) return;
  Write(Text("IVTGUILD", static_cast<std::int32_t>(guild->totalVotes)), 325, 5, 585, kWhite);
  // The votes the guild's tally gives the local chapter: a vote sold stays
  // with the asteroid's controller but is held by its buyer.
  const int localSlot = g_gameData->localChapterId & 7;
  Write(Text("IVTYOURS", static_cast<std::int32_t>(guild->votesHeld[localSlot])), 325, 20, 585, kWhite);
  for (int y : {42, 75, 364}) Line(5, y, 580, y, kGreen);
  for (int x : {150, 290, 365, 435, 510}) Line(x, 42, x, 364, kGreen);
  Caption("IVTHDR01", 25, 45, 60, kWhite);
  Caption("IVTHDR01", 95, 45, 60, kWhite);
  Caption("IVTHDR02", 5, 60, 75, kWhite);
  Caption("IVTHDR02", 440, 45, 70, kWhite);
  Caption("IVTHDR03", 80, 60, 70, kWhite);
  Caption("IVTHDR03", 515, 45, 65, kWhite);
  Caption("IVTHDR04", 150, 60, 140, kWhite, DT_CENTER);
  Caption("IVTHDR05", 290, 45, 75, kWhite, DT_CENTER);
  Caption("IVTHDR06", 290, 60, 75, kWhite, DT_CENTER);
  Caption("IVTHDR07", 365, 60, 70, kWhite, DT_CENTER);
  Caption("IVTHDR08", 455, 60, 60, kWhite);
  Caption("IVTHDR08", 525, 60, 55, kWhite);

  const COLORREF pale = GetPaleColor(g_gameData->GetLocalGuildIndex());
  for (int i = 0; i < Members(); ++i) {
    const int y = 83 + kRowHeight * i;
    const CGChapter* member = Member(i);
    Write(member && member->GetName() ? member->GetName() : "", 155, y, 135, pale);
    const bool renegade = guild->IsRenegade(static_cast<std::uint32_t>(i)) != 0;
    Caption(renegade ? "IVTRENEG" : "IVTLOYAL", 370, y, 95, renegade ? kRenegadeRed : pale);
    CSprite* renegadeVote = local->renegadeVotes[i] ? voteYes : voteNo;
    if (renegadeVote && screen) renegadeVote->BltToSurface(screen, 119, y + 91, nullptr);
    Write(std::to_string(guild->renegadeVotes[i]), 542, y, 30, pale);
    CSprite* imperatorVote = local->imperatorVotes[i] ? voteYes : voteNo;
    if (imperatorVote && screen) imperatorVote->BltToSurface(screen, 49, y + 91, nullptr);
    Write(std::to_string(guild->ImperatorVotesFor(static_cast<std::uint32_t>(i))), 470, y, 30, pale);
    const char* declares = "IVTLOYAL";
    if (member && member->imperatorVotes[localSlot])
      declares = "IVTIMPER";
    else if (member && member->renegadeVotes[localSlot])
      declares = "IVTRENEG";
    Caption(declares, 295, y, 150, pale);
  }
}

int CInfoPanel::ClickVotePanel(int x, int y, WPARAM) {
  if (y < kFirstRowScreenY) return 0;
  const int row = (y - kFirstRowScreenY) / kRowHeight;
  CGuild* guild = g_gameData ? g_gameData->GetLocalGuild() : nullptr;
  CGChapter* local = g_gameData ? g_gameData->GetLocalChapter() : nullptr;
  if (!guild || !local || row >= Members()) return 0;
  if (x >= 120 && x <= 156) {
    // The renegade vote is suspended while the guild has no imperator.
    if (guild->interregnum) return 0;
    local->ToggleRenegadeVote(row);
    return 1;
  }
  if (x >= 50 && x <= 86) {
    local->VoteForImperator(row);
    return 1;
  }
  return 0;
}
