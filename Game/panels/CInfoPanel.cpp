#include "Game/panels/CInfoPanel.h"

CInfoPanel::CInfoPanel(CDDraw*, plat::HWND, plat::HINSTANCE, CSprite* screen_) : screen(screen_) {}

std::uint8_t CInfoPanel::SetType(std::uint8_t newType) {
  const std::uint8_t previous = type;
  type = newType;
  return previous;
}

void CInfoPanel::Draw() {}
int CInfoPanel::OnClick(int, int) { return 0; }
int CInfoPanel::OnRightClick(int, int) { return 0; }
int CInfoPanel::OnDoubleClick(int, int) { return 0; }
int CInfoPanel::OnHover(int, int) { return 0; }
void CInfoPanel::ShowContextHelp(int, int) {}
bool CInfoPanel::HighlightedRect(plat::RECT*) const { return false; }
