#pragma once
// What the dialog tests share: the test templates (data/dialogs.rc, compiled
// with quenrc once per run), a fresh window layer on the headless backend (its
// window DCs draw onto the screen), an owner window, scripted dialog
// procedures that log what they receive, and input helpers.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "platform/dialog/commctrl.h"
#include "platform/dialog/dialog.h"
#include "platform/display/screen.h"
#include "platform/gdi/pixels.h"
#include "platform/resource/module.h"
#include "tests/platform/user/user_fixture.h"
#include "tests/support/temp_dir.h"

namespace dlgtest {

using namespace plat;
using namespace usertest;

// The controls of the templates.
constexpr int IDC_NAME = 101, IDC_NUMBER = 102, IDC_READONLY = 103, IDC_NOTES = 104, IDC_CHECK = 110;
constexpr int IDC_RADIO1 = 111, IDC_RADIO2 = 112, IDC_RADIO3 = 113, IDC_LABEL = 120, IDC_DISABLED = 121;
constexpr int IDC_HIDDEN = 122, IDC_TAIL = 123, IDC_BOX = 124;
constexpr int IDC_LIST = 201, IDC_DRAWN = 202, IDC_COMBO = 203, IDC_BUDDY = 204, IDC_UPDOWN = 205, IDC_BAR = 206;

// The module compiled from data/dialogs.rc, made once per test program in a
// folder of its own that goes when the program ends.
inline const std::filesystem::path& TemplatesPath() {
  struct Compiled {
    quentest::TempDir dir{"quen-dialog-tests"};
    std::filesystem::path module;
    Compiled() {
      const std::filesystem::path out = dir.path() / "dialogs.dll";
      const std::string command = std::string("\"") + QUEN_BUILD_DIR + "/tools/rc/quenrc\" \"" + QUEN_TEST_DATA_DIR +
                                  "/dialogs.rc\" -o \"" + out.string() + "\"";
      if (std::system(command.c_str()) == 0) module = out;
    }
  };
  static const Compiled compiled;
  return compiled.module;
}

// One dialog's procedure: what it received and how it answers. The dialog
// procedure finds it through WM_INITDIALOG's parameter (kept in DWLP_USER);
// messages before that go to the script being built (Pending()).
struct Script;
// The scripts that exist: a dialog outliving its test's script (torn down
// with the window layer) finds none.
inline std::set<const Script*>& LiveScripts() {
  static std::set<const Script*> live;
  return live;
}

struct Script {
  Script() { LiveScripts().insert(this); }
  ~Script() { LiveScripts().erase(this); }
  Script(const Script&) = delete;
  Script& operator=(const Script&) = delete;

  std::vector<Seen> log;
  std::function<LRESULT(HWND, UINT, WPARAM, LPARAM)> on;

  std::vector<Seen> Only(UINT msg) const { return OnlyOf(log, msg); }
  // The notification codes of WM_COMMAND from control `id`.
  std::vector<WORD> Commands(int id) const {
    std::vector<WORD> out;
    for (const Seen& s : log)
      if (s.msg == WM_COMMAND && LOWORD(s.wParam) == id) out.push_back(HIWORD(s.wParam));
    return out;
  }
};

inline Script*& Pending() {
  static Script* pending = nullptr;
  return pending;
}

constexpr UINT_PTR kWatchdogTimer = 0xD06;
constexpr LRESULT kTimedOut = -77;

inline LRESULT ScriptedProc(HWND h, UINT m, WPARAM w, LPARAM l) {
  if (m == WM_INITDIALOG) {
    SetWindowLongPtr(h, DWLP_USER, l);
    // A dialog the script forgot to end ends itself rather than hang the test.
    SetTimer(h, kWatchdogTimer, 600000, nullptr);
  }
  if (m == WM_TIMER && w == kWatchdogTimer) {
    EndDialog(h, kTimedOut);
    return TRUE;
  }
  auto* s = reinterpret_cast<Script*>(GetWindowLongPtr(h, DWLP_USER));
  if (!s) s = Pending();
  if (!s || !LiveScripts().count(s)) return FALSE;
  s->log.push_back({h, m, w, l});
  return s->on ? s->on(h, m, w, l) : FALSE;
}

// The owner is a recording window of the user layer's tests: what it received
// is in Log(), its reaction in Reactions()[owner_].
class DialogTest : public usertest::UserTest {
 protected:
  void SetUp() override {
    UserTest::SetUp();
    InitCommonControls();
    Pending() = nullptr;
    ASSERT_FALSE(TemplatesPath().empty()) << "quenrc could not compile data/dialogs.rc";
    module_ = LoadLibrary(TemplatesPath().c_str());
    ASSERT_NE(module_, nullptr) << LastModuleError();
    owner_ = Popup(0, 0, 800, 600);
    ASSERT_NE(owner_, nullptr);
  }
  void TearDown() override {
    ResetUserLayer();
    FreeLibrary(module_);
    UserTest::TearDown();
  }

  // A modeless dialog of the templates, with `script` as its procedure's.
  HWND Modeless(const ResName& name, Script* script, HWND owner = nullptr) {
    Pending() = script;
    HWND h = CreateDialogParam(module_, name, owner ? owner : owner_, ScriptedProc, reinterpret_cast<LPARAM>(script));
    Pending() = nullptr;
    return h;
  }
  // A modeless dialog, shown and settled.
  HWND Shown(const ResName& name, Script* script) {
    HWND h = Modeless(name, script);
    ShowWindow(h, SW_SHOW);
    Pump(h);
    return h;
  }
  LRESULT Modal(const ResName& name, Script* script, HWND owner = nullptr) {
    Pending() = script;
    return DialogBoxParam(module_, name, owner ? owner : owner_, ScriptedProc, reinterpret_cast<LPARAM>(script));
  }

  // Runs the loop through IsDialogMessage (null: plain dispatch) until the
  // script is done and nothing waits; timers due on the way fire.
  void Pump(HWND dialog) {
    for (int guard = 0; guard < 100000; ++guard) {
      MSG m;
      if (PeekMessage(&m, nullptr, 0, 0, PM_REMOVE)) {
        if (m.message == WM_QUIT) return;
        if (!dialog || !IsWindow(dialog) || !IsDialogMessage(dialog, &m)) {
          TranslateMessage(&m);
          DispatchMessage(&m);
        }
        continue;
      }
      // Moves the clock on to the next timer or scripted input.
      if (backend_->ScriptDone()) return;
      WaitMessage();
    }
    ADD_FAILURE() << "the loop never went idle";
  }

  static POINT Centre(HWND h) {
    RECT r;
    GetWindowRect(h, &r);
    return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
  }
  void ClickOn(HWND h, DWORD afterMs = 10) {
    const POINT p = Centre(h);
    backend_->Click(p.x, p.y, input::Button::Left, afterMs);
  }
  // Keys for the characters: letters, digits, blanks and a few signs.
  void Type(const std::string& text) {
    for (char c : text) {
      if (c >= 'A' && c <= 'Z') Press(static_cast<UINT>(c), true);
      if (c >= 'a' && c <= 'z') Press(static_cast<UINT>(c - 'a' + 'A'));
      if (c >= '0' && c <= '9') Press(static_cast<UINT>(c));
      if (c == ' ') Press(VK_SPACE);
      if (c == '-') Press(VK_OEM_MINUS);
      if (c == '\n') Press(VK_RETURN);
    }
  }
  void Press(UINT vk, bool shift = false) {
    if (shift) backend_->KeyDown(VK_SHIFT, 5);
    backend_->PressKey(vk, 5);
    if (shift) backend_->KeyUp(VK_SHIFT, 5);
  }

  static std::string TextOf(HWND h) {
    char buf[512];
    GetWindowText(h, buf, sizeof buf);
    return buf;
  }
  static std::uint16_t Pixel(int x, int y) { return GetScreen().At(x, y); }
  static std::uint16_t Encoded(COLORREF c) {
    return static_cast<std::uint16_t>(EncodeColour(PixelFormat::kRgb565, {}, c));
  }

  HMODULE module_ = nullptr;
  HWND owner_ = nullptr;
};

// A test around one shown dialog of the templates, its script the fixture's.
class ShownDialogTest : public DialogTest {
 protected:
  void Open(const ResName& name) { dialog_ = Shown(name, &script_); }
  HWND Item(int id) const { return GetDlgItem(dialog_, id); }

  Script script_;
  HWND dialog_ = nullptr;
};

}  // namespace dlgtest
