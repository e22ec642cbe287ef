#include "Game/panels/CVNotify.h"

CVNotify::CVNotify(CDDraw*, CSprite* screen_, plat::HWND, plat::HINSTANCE, plat::RECT* dirtyRect_, plat::HWND,
                   std::uint16_t localChapter_)
    : localChapter(localChapter_), screen(screen_), dirtyRect(dirtyRect_) {}

void CVNotify::Refresh() {}
void CVNotify::ScrollOneLine(int, int) {}
void CVNotify::ScrollToTop() {}
void CVNotify::ResetLines() {}
void CVNotify::ResetFilters() {}
int CVNotify::OnClick(int, int) { return 0; }
int CVNotify::OnRightClick(int, int) { return 0; }
int CVNotify::OnDoubleClick(int, int) { return 0; }
int CVNotify::OnHover(int, int) { return 0; }
int CVNotify::OnWheel(int) { return 0; }
void CVNotify::ToggleCategoryFilter(std::uint32_t) {}
void CVNotify::FilterSelectedKind() {}
void CVNotify::ToggleShowAll() {}
CImageButton* CVNotify::Button(std::uint32_t) { return nullptr; }
