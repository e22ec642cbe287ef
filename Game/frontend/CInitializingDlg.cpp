#include "Game/frontend/CInitializingDlg.h"

#include <algorithm>
#include <cstdio>

#include "Game/base/GInstData.h"
#include "media/CSndPlay.h"
#include "media/CSprite.h"
#include "platform/core/clock.h"
#include "platform/gdi/dc.h"
#include "platform/gdi/text.h"
#include "platform/resource/module.h"
#include "platform/user/cursor.h"
#include "platform/user/paint.h"
#include "platform/user/queue.h"
#include "platform/user/window.h"

using namespace plat;

namespace {
constexpr int kFrameWidth = 325;
constexpr int kFrameHeight = 275;
constexpr RECT kFrameOnScreen{238, 163, 563, 438};
constexpr DWORD kShortestLoadMs = 16;
constexpr DWORD kFramePauseMs = 50;

void CopyText(char (&to)[100], const char* from) { std::snprintf(to, sizeof to, "%s", from ? from : ""); }
}  // namespace

ProgressAnimation ProgressAnimationOf(int kind) {
  if (kind == 0) return {"prgs", 36};
  if (kind == 1) return {"prog", 38};
  return {"circ", 36};
}

std::int16_t NextProgressFrame(std::int16_t frame, std::int16_t& step, std::int16_t frames) {
  const int next = frame + step;
  if (next < 0) step = 1;
  if (next < 0 || next >= frames) return 0;
  return static_cast<std::int16_t>(next);
}

UINT ProgressPeriod(DWORD loadMs) { return std::max(loadMs, kShortestLoadMs) + kFramePauseMs; }

CInitializingDlg::CInitializingDlg(CDDraw* display, HWND parent, HINSTANCE instance, const char* first,
                                   const char* second, int kind)
    : CDlgBase(display, parent, instance, 0, nullptr) {
  SetTexts(first, second);
  SetAnimation(kind);
  char path[260];
  g_instData.BuildPath(path, "anim.dll", INSTPATH_ANIMATION);
  m_anim = LoadLibrary(path);
  m_dialog = CreateModeless("IDD_INITIALIZING");
}

CInitializingDlg::~CInitializingDlg() {
  Close();
  m_sprite.reset();
  if (m_anim) FreeLibrary(m_anim);
}

void CInitializingDlg::SetTexts(const char* first, const char* second) {
  CopyText(m_first, first);
  CopyText(m_second, second);
}

void CInitializingDlg::SetAnimation(int kind) { m_animation = ProgressAnimationOf(kind); }

void CInitializingDlg::Close() {
  if (!m_dialog) return;
  KillTimer(m_dialog, kAnimationTimer);
  DestroyWindow(m_dialog);
  m_dialog = nullptr;
}

void CInitializingDlg::LoadFrame() {
  if (!m_sprite) return;
  char name[300];
  std::snprintf(name, sizeof name, "%s%s%04d.ima", g_instData.GetAnimationPath(), m_animation.kind, m_frame);
  m_sprite->SetImageName(name);
  m_sprite->LoadImage(m_anim);
}

LRESULT CInitializingDlg::OnInitDialog(HWND window) {
  CDlgBase::OnInitDialog(window);
  MoveWindow(window, 0, 0, 800, 600, FALSE);
  m_frame = 0;
  m_step = 1;
  const DWORD started = timeGetTime();
  if (m_display && m_anim) {
    m_sprite = std::make_unique<CSprite>(m_display, nullptr, m_anim, kNoColourKey, kFrameWidth, kFrameHeight,
                                         kFrameOnScreen.left, kFrameOnScreen.top, 0);
    LoadFrame();
  }
  SetTimer(window, kAnimationTimer, ProgressPeriod(timeGetTime() - started), nullptr);
  return 0;
}

LRESULT CInitializingDlg::OnTimer(UINT_PTR timer, LPARAM lParam, HWND window) {
  if (timer != kAnimationTimer) return CDlgBase::OnTimer(timer, lParam, window);
  m_frame = NextProgressFrame(m_frame, m_step, m_animation.frames);
  LoadFrame();
  InvalidateRect(window, nullptr, FALSE);
  UpdateWindow(window);
  if (g_sndPlay) g_sndPlay->OnTimer(timeGetTime());
  Sleep(1);
  return 0;
}

LRESULT CInitializingDlg::OnPaint(HWND) {
  if (!m_sprite) return 0;
  if (HDC dc = m_sprite->GetDC()) {
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, RGB(255, 255, 0));
    if (m_font) SelectObject(dc, m_font);
    RECT top{69, 6, 262, 23};
    RECT bottom{69, 250, 262, 267};
    DrawText(dc, m_first, -1, &top, DT_CENTER | DT_WORDBREAK);
    DrawText(dc, m_second, -1, &bottom, DT_CENTER | DT_WORDBREAK);
    m_sprite->ReleaseDC(dc);
  }
  ShowCursor(FALSE);
  m_sprite->BltToPrimary(&kFrameOnScreen, nullptr);
  ShowCursor(TRUE);
  m_painted = 1;
  return 0;
}
