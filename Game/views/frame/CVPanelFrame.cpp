// The game screen as the panels see it (Game/panels/PanelFrame.h): the flush,
// the current view's object display, the info panel and help, drawing on the
// screen and the data panel's read-outs.
#include "Game/app/AppGlobals.h"
#include "Game/panels/CVData.h"
#include "Game/panels/CVNotify.h"
#include "Game/panels/PanelFrame.h"
#include "Game/views/frame/CVGeneric.h"

namespace {

CVGeneric* CurrentView() { return dynamic_cast<CVGeneric*>(g_currentView); }

class CVPanelFrame : public IPanelFrame {
 public:
  void FlushScreen() override { ::FlushScreen(); }
  void ShowObject(int kind, std::uint32_t id) override {
    if (CVGeneric* view = CurrentView()) view->ShowObject(kind, id);
  }
  void OpenInfoPanel(std::uint32_t controlId) override {
    CVGeneric* view = CurrentView();
    if (!view) return;
    view->SelectInfoPanel(controlId, 1);
    view->SetInfoPanelVisible(1);
    // The panel shows at once over the viewport, whatever the view redraws later.
    AddDirtyRect(kViewportRect);
    ::FlushScreen();
  }
  void HideInfoPanel() override {
    if (CVGeneric* view = CurrentView()) view->SetInfoPanelVisible(0);
  }
  void ShowHelpTopic(std::uint32_t topic, int x, int y) override {
    ::ShowHelpTopic(SharedScreen().viewDDraw, SharedScreen().viewWnd, SharedScreen().viewInstance, topic, x, y);
  }
  int DrawScreenText(const char* text, int x, int y, int width, plat::COLORREF colour, plat::UINT format, int bold,
                     int upperCase) override {
    return ::DrawScreenText(text, x, y, width, colour, format, bold, upperCase);
  }
  int MeasureScreenText(const char* text, int bold) override { return ::MeasureScreenText(text, bold); }
  int DrawViewportLine(int x1, int y1, int x2, int y2, plat::COLORREF colour, int penWidth) override {
    return ::DrawViewportLine(x1, y1, x2, y2, colour, penWidth);
  }
  int ShadeViewportRect(int left, int top, int right, int bottom, plat::COLORREF colour,
                        std::uint8_t percent) override {
    return ::ShadeViewportRect(left, top, right, bottom, colour, percent);
  }
  void DrawViewSprite(CSprite* sprite, int x, int y, const plat::RECT* source) override {
    ::DrawViewSprite(sprite, x, y, source);
  }
  void FlushViewport() override { ::FlushViewport(); }
  void RedrawInfoPanel() override {
    AddDirtyRect(kViewportRect);
    ::FlushScreen();
  }
  void ShowUnitData(CGUnit* unit, std::uint16_t location) override {
    if (SharedScreen().dataPanel) SharedScreen().dataPanel->ShowUnitData(unit, location, 0);
  }
  void ShowModuleData(int mode, int module, int guild) override {
    if (SharedScreen().dataPanel) SharedScreen().dataPanel->ShowModuleData(mode, module, guild);
  }
  void ShowHullCosts(const CGHull* hull) override {
    if (SharedScreen().dataPanel && hull) SharedScreen().dataPanel->ShowHullCosts(hull);
  }
  void ShowAsteroidData(std::uint16_t asteroid) override {
    if (SharedScreen().dataPanel) SharedScreen().dataPanel->ShowAsteroidData(asteroid, 0);
  }
  void ClearDataPanel(int redrawPicture) override {
    if (SharedScreen().dataPanel) SharedScreen().dataPanel->Clear(redrawPicture);
  }
  void SetChatLight(int on) override {
    if (CVGeneric* view = CurrentView()) view->SetChatLight(on, 0);
  }
  void ActOnGameEvent(const Notification& n) override {
    if (SharedScreen().notifyPanel) SharedScreen().notifyPanel->ActOnGameEvent(n);
  }
};

CVPanelFrame g_panelFrame;

}  // namespace

void InstallPanelFrame(bool on) { RegisterPanelFrame(on ? &g_panelFrame : nullptr); }
