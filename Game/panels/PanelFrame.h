#pragma once
// What the panels need of the game screen around them (the view framework
// lies above the panels): the screen flush, the current view's object
// display, the info panel's selection and visibility, and help topics. The
// view framework registers its implementation while the game screen exists;
// until then, and in tests of a panel alone, the default does nothing.
//
// Game thread only.

#include <cstdint>

#include "platform/core/types.h"

class CGUnit;
class CSprite;
struct CGHull;
struct Notification;

class IPanelFrame {
 public:
  virtual ~IPanelFrame() = default;
  // Copies the dirty rectangle to the display.
  virtual void FlushScreen() {}
  // The current view shows an object while the mouse rests on a line: kind 0
  // an asteroid number, kind 2 a unit id.
  virtual void ShowObject(int /*kind*/, std::uint32_t /*id*/) {}
  // Selects the info-panel type of control id 260..271 and shows the panel.
  virtual void OpenInfoPanel(std::uint32_t /*controlId*/) {}
  // Hides the info panel.
  virtual void HideInfoPanel() {}
  // A help topic of the game's help library at (x, y).
  virtual void ShowHelpTopic(std::uint32_t /*topic*/, int /*x*/, int /*y*/) {}

  // Drawing in viewport coordinates (origin at screen (29, 98)), as the view
  // framework draws. Text gives the drawn height, 0 when refused; line and
  // shade 0 when refused.
  virtual int DrawScreenText(const char* /*text*/, int /*x*/, int /*y*/, int /*width*/, plat::COLORREF /*colour*/,
                             plat::UINT /*format*/, int /*bold*/, int /*upperCase*/) {
    return 0;
  }
  // The width in pixels a text takes in the font DrawScreenText would use; 0
  // when it cannot be measured.
  virtual int MeasureScreenText(const char* /*text*/, int /*bold*/) { return 0; }
  virtual int DrawViewportLine(int /*x1*/, int /*y1*/, int /*x2*/, int /*y2*/, plat::COLORREF /*colour*/,
                               int /*penWidth*/) {
    return 0;
  }
  virtual int ShadeViewportRect(int /*left*/, int /*top*/, int /*right*/, int /*bottom*/, plat::COLORREF /*colour*/,
                                std::uint8_t /*percent*/) {
    return 0;
  }
  // A sprite at screen position (x, y), the part `source` of it (null: all).
  virtual void DrawViewSprite(CSprite* /*sprite*/, int /*x*/, int /*y*/, const plat::RECT* /*source*/) {}
  // Copies the viewport alone to the display.
  virtual void FlushViewport() {}
  // The info panel drawn whole over the viewport and shown at once, with the
  // rest of the dirty rectangle. The screen keeps the view's own picture under
  // the panel and lays the panel over it only as it flushes; so what the mouse
  // changes on a page (a row lit, a mark) is shown this way, never by drawing
  // a part and flushing the viewport, which would show it on that picture.
  virtual void RedrawInfoPanel() {}

  // The data panel beside the viewport: a unit's read-out at a location, a
  // module's data (mode 0 details, 1 costs, else defences) in a guild's art,
  // a hull's costs, an asteroid, or empty rows (with the empty picture when
  // redrawPicture is set).
  virtual void ShowUnitData(CGUnit* /*unit*/, std::uint16_t /*location*/) {}
  virtual void ShowModuleData(int /*mode*/, int /*module*/, int /*guild*/) {}
  virtual void ShowHullCosts(const CGHull* /*hull*/) {}
  virtual void ShowAsteroidData(std::uint16_t /*asteroid*/) {}
  virtual void ClearDataPanel(int /*redrawPicture*/) {}
  // The chat light of the control panel, drawn without a flush (the info
  // panel sets it while the screen flush draws the panel).
  virtual void SetChatLight(int /*on*/) {}
  // The notification panel's action for a notification (a battle's replay).
  virtual void ActOnGameEvent(const Notification& /*n*/) {}
};

// The registered frame, or the do-nothing default.
IPanelFrame& PanelFrame();
// Registers the game screen's frame; null goes back to the default. The
// caller keeps the object alive while it is registered.
void RegisterPanelFrame(IPanelFrame* frame);
