// The info panel's pages as the frame routes to them. Each page's drawing,
// clicks, hover and reset come with that page; until then a page draws
// nothing and takes no click.
#include "Game/panels/CInfoPanel.h"

using namespace plat;

int CInfoPanel::ClickVotePanel(int, int, WPARAM) { return 0; }
int CInfoPanel::ClickShipList(int, int, WPARAM) { return 0; }
int CInfoPanel::ClickStatus(int, int, WPARAM) { return 0; }
int CInfoPanel::ClickChat(int, int, WPARAM) { return 0; }
int CInfoPanel::ClickTechInfo(int, int, WPARAM) { return 0; }
int CInfoPanel::ClickCombatSummary(int, int, WPARAM) { return 0; }
int CInfoPanel::ClickPlayerNotes(int, int, WPARAM) { return 0; }
void CInfoPanel::HoverShipList(int, int) {}
void CInfoPanel::HoverTechInfo(int, int) {}
void CInfoPanel::ResetShipList() {}
void CInfoPanel::ResetTechInfo() {}
void CInfoPanel::ResetCombatSummary() {}
void CInfoPanel::DrawVotePanel() {}
void CInfoPanel::DrawShipList() {}
void CInfoPanel::DrawStatus() {}
void CInfoPanel::DrawChat() {}
void CInfoPanel::DrawTechInfo() {}
void CInfoPanel::DrawCombatSummary() {}
void CInfoPanel::DrawGameSetup() {}
void CInfoPanel::DrawPlayerNotes() {}
void CInfoPanel::DrawKeyboardReference() {}
