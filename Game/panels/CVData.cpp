#include "Game/panels/CVData.h"

CVData::CVData(plat::HFONT boldFont_, CSprite* screen_, plat::RECT* dirtyRect_, CDDraw*, plat::HWND, plat::HINSTANCE)
    : boldFont(boldFont_), screen(screen_), dirtyRect(dirtyRect_) {}

int CVData::OnClick(int, int) { return 0; }
void CVData::SetUnitPicture(std::uint32_t) {}
