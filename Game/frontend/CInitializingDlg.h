#pragma once
// The progress window of long steps: a looping 325 x 275 frame animation
// from "anim.dll" in the middle of the screen, a line of text above it and
// one below. Its timer also keeps the music running while the main loop is
// not. Modeless; the owner closes and deletes it. Game thread only.

#include <cstdint>
#include <memory>

#include "Game/app/CDlgBase.h"

constexpr plat::UINT_PTR kAnimationTimer = 1007;

struct ProgressAnimation {
  const char* kind;  // the frames' name prefix
  std::int16_t frames;
};

// 0 the "prgs" frames, 1 the "prog" frames, anything else the "circ" frames.
ProgressAnimation ProgressAnimationOf(int kind);
// The frame after `frame`; back to 0 at `frames`, and from below 0 (when the
// step also becomes 1).
std::int16_t NextProgressFrame(std::int16_t frame, std::int16_t& step, std::int16_t frames);
// The timer period after a first frame that took `loadMs` to load.
plat::UINT ProgressPeriod(plat::DWORD loadMs);

class CInitializingDlg : public CDlgBase {
 public:
  // Texts are cut to 99 characters; the window opens at once.
  CInitializingDlg(CDDraw* display, plat::HWND parent, plat::HINSTANCE instance, const char* first, const char* second,
                   int kind);
  ~CInitializingDlg() override;

  void SetTexts(const char* first, const char* second);
  void SetAnimation(int kind);
  // Stops the animation and destroys the window.
  void Close();

  plat::LRESULT OnInitDialog(plat::HWND window) override;
  plat::LRESULT OnPaint(plat::HWND window) override;
  plat::LRESULT OnTimer(plat::UINT_PTR timer, plat::LPARAM lParam, plat::HWND window) override;
  plat::LRESULT OnRButtonDown(plat::HWND, plat::WPARAM, plat::LPARAM) override { return 1; }

  char m_first[100] = {};
  char m_second[100] = {};
  ProgressAnimation m_animation{};
  std::int16_t m_frame = 0;
  std::int16_t m_step = 1;
  plat::HMODULE m_anim = nullptr;
  std::unique_ptr<CSprite> m_sprite;
  plat::HWND m_dialog = nullptr;

 private:
  void LoadFrame();
};
