// The info panel's pages as the frame routes to them. Each page's drawing,
// clicks, hover and reset come with that page; until then a page draws
// nothing and takes no click.
#include "Game/panels/CInfoPanel.h"

using namespace plat;

int CInfoPanel::ClickTrade(int, int, WPARAM) { return 0; }
int CInfoPanel::ClickAsteroidList(int, int, WPARAM) { return 0; }
int CInfoPanel::ClickResearch(int, int, WPARAM) { return 0; }
void CInfoPanel::HoverTrade(int, int) {}
void CInfoPanel::HoverAsteroidList(int, int) {}
void CInfoPanel::HoverResearch(int, int) {}
void CInfoPanel::ResetAsteroidList() {}
void CInfoPanel::InitTradeState() {}
void CInfoPanel::DrawTrade() {}
void CInfoPanel::DrawAsteroidList() {}
void CInfoPanel::DrawResearch() {}
