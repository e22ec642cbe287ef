#pragma once
// The base of every dialog and screen of the program: a dialog built from a
// template of the program's resources and drawn by the program over a
// background sprite. It maps the window messages to thirteen handlers with
// default behaviour, gives every control the guild's cursor, keeps the
// connection alive while a game runs (packet 33 every 5 s through timer 5555)
// and owns its font, background, tooltip window and, when it loaded it, its
// image module. Game thread only.

#include <memory>
#include <string>
#include <vector>

#include "platform/core/types.h"
#include "platform/dialog/ownerdraw.h"
#include "platform/gdi/objects.h"

class CDDraw;
class CSprite;

constexpr plat::UINT_PTR kKeepAliveTimer = 5555;
constexpr plat::UINT kKeepAlivePeriodMs = 1000;
constexpr plat::DWORD kKeepAliveIntervalMs = 5000;
// The private dialog message (the movie dialog posts it to itself).
constexpr plat::UINT WM_DLG_PRIVATE = 0x914;

class CDlgBase {
 public:
  // module: the module the subclass loads its images from; null takes the
  // game's image module during a game, else loads (and owns) "frontend.dll".
  CDlgBase(CDDraw* display, plat::HWND parent, plat::HINSTANCE instance, plat::DWORD helpId, plat::HMODULE module);
  virtual ~CDlgBase();
  CDlgBase(const CDlgBase&) = delete;
  CDlgBase& operator=(const CDlgBase&) = delete;

  // Runs the template of the instance modally; the EndDialog value, -1 when
  // the template is missing.
  plat::LRESULT DoModal(const char* templateName);
  // The dialog window, or null.
  plat::HWND CreateModeless(const char* templateName);

  virtual plat::LRESULT OnInitDialog(plat::HWND window);
  virtual plat::LRESULT OnPaint(plat::HWND window);
  virtual plat::LRESULT OnTimer(plat::UINT_PTR timer, plat::LPARAM lParam, plat::HWND window);
  virtual plat::LRESULT OnDrawItem(plat::DRAWITEMSTRUCT* item, plat::HWND window);
  virtual plat::LRESULT OnCtlColor(plat::HDC dc);
  virtual plat::LRESULT OnCommand(plat::WPARAM wParam, plat::LPARAM lParam, plat::HWND window);
  virtual plat::LRESULT OnNotify(plat::WPARAM wParam, plat::LPARAM lParam, plat::HWND window);
  virtual plat::LRESULT OnKeyDown(plat::HWND window, plat::WPARAM key, plat::LPARAM keyData);
  virtual plat::LRESULT OnPrivateMessage(plat::HWND window, plat::WPARAM wParam, plat::LPARAM lParam);
  virtual plat::LRESULT OnVScroll(plat::HWND window, plat::WPARAM wParam, plat::LPARAM lParam);
  virtual plat::LRESULT OnRButtonDown(plat::HWND window, plat::WPARAM wParam, plat::LPARAM lParam);
  virtual plat::LRESULT OnMouseWheel(plat::HWND window, plat::WPARAM wParam, plat::LPARAM lParam);
  virtual plat::LRESULT OnMouseMove(plat::HWND window, plat::WORD keys);

  // The template the dialog was made from.
  const std::string& TemplateName() const { return m_templateName; }

  // Gives `control` a tooltip with `text`, making the dialog's tooltip window
  // on first use. False when it cannot.
  bool AddTooltip(plat::HWND control, const char* text);

  plat::HWND m_parent = nullptr;
  plat::HWND m_window = nullptr;  // kept while the keep-alive timer runs
  plat::HINSTANCE m_instance = nullptr;
  CDDraw* m_display = nullptr;
  std::unique_ptr<CSprite> m_background;
  plat::HFONT m_font = nullptr;
  plat::HMODULE m_module = nullptr;
  plat::DWORD m_ownModule = 0;
  plat::DWORD m_word = 0;
  plat::DWORD m_helpId = 0;
  plat::DWORD m_painted = 0;
  plat::HWND m_tooltip = nullptr;
  plat::DWORD m_lastKeepAlive = 0;

 protected:
  // Frees the module when this object loaded it.
  void FreeOwnModule();
  // Frees an own module and takes `module` in its place, owned or not.
  void TakeModule(plat::HMODULE module, bool own);
  // Loads `sprite` from the module, or null when the image is missing.
  std::unique_ptr<CSprite> LoadImage(const char* name, plat::LONG x, plat::LONG y);
  // Blits `sprite` over the control's screen rectangle with the cursor hidden.
  void DrawOverControl(CSprite* sprite, plat::HWND control);

 private:
  std::string m_templateName;
};

// The one dialog procedure of every dialog of the program.
plat::LRESULT DlgBaseProc(plat::HWND window, plat::UINT message, plat::WPARAM wParam, plat::LPARAM lParam);

// The templates of the dialogs open now, oldest first (for scripted runs).
std::vector<std::string> OpenDialogTemplates();
// The same of those whose initialisation has returned: shown and taking input.
std::vector<std::string> ReadyDialogTemplates();
