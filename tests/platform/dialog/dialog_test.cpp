// The dialog manager: building from templates, modal and modeless runs, the
// procedure's return protocol, item helpers, the tab walk and the dialog keys.

#include "platform/dialog/button.h"

#include <tuple>

#include "platform/dialog/edit.h"
#include "platform/gdi/dc.h"
#include "platform/gdi/objects.h"
#include "platform/gdi/text.h"
#include "platform/user/paint.h"
#include "platform/user/system.h"
#include "tests/platform/dialog/dialog_fixture.h"

namespace dlgtest {
namespace {

RECT RectIn(HWND parent, HWND child) {
  RECT r;
  GetWindowRect(child, &r);
  POINT c[2] = {{r.left, r.top}, {r.right, r.bottom}};
  MapWindowPoints(nullptr, parent, c, 2);
  return RECT{c[0].x, c[0].y, c[1].x, c[1].y};
}

TEST_F(DialogTest, BuildsATemplateByNameInItsFontsDialogUnits) {
  Script s;
  HWND d = Modeless("IDD_FORM", &s);
  ASSERT_NE(d, nullptr);

  // The procedure hears the font before WM_INITDIALOG, which carries the
  // creation parameter and the first tab stop.
  const auto inits = s.Only(WM_INITDIALOG);
  ASSERT_EQ(inits.size(), 1u);
  EXPECT_EQ(inits[0].lParam, reinterpret_cast<LPARAM>(&s));
  EXPECT_EQ(reinterpret_cast<HWND>(inits[0].wParam), GetDlgItem(d, IDC_NAME));
  const auto fonts = s.Only(WM_SETFONT);
  ASSERT_EQ(fonts.size(), 1u);
  EXPECT_EQ(fonts[0].wParam, static_cast<WPARAM>(SendMessage(d, WM_GETFONT, 0, 0)));
  EXPECT_EQ(SendDlgItemMessage(d, IDC_NAME, WM_GETFONT, 0, 0), SendMessage(d, WM_GETFONT, 0, 0));

  // Dialog units come from the template font: x / 4 of its average character
  // width, y / 8 of its height.
  HFONT font = CreateFont(-11, 0, 0, 0, FW_NORMAL, 0, 0, 0, 0, 0, 0, 0, 0, "MS Sans Serif");
  HDC dc = CreateCompatibleDC(nullptr);
  SelectObject(dc, font);
  SIZE letters;
  GetTextExtentPoint32(dc, "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz", 52, &letters);
  TEXTMETRIC tm;
  GetTextMetrics(dc, &tm);
  DeleteDC(dc);
  DeleteObject(font);
  RECT unit{4, 8, 0, 0};
  ASSERT_TRUE(MapDialogRect(d, &unit));
  EXPECT_EQ(std::make_tuple(unit.left, unit.top), std::make_tuple((letters.cx / 26 + 1) / 2, tm.tmHeight));

  // Each control's place and size are scaled apart, as the classic manager did.
  RECT name{50, 4, 100, 12};  // x, y, width, height
  MapDialogRect(d, &name);
  EXPECT_EQ(EdgesOf(RectIn(d, GetDlgItem(d, IDC_NAME))),
            (Edges{name.left, name.top, name.left + name.right, name.top + name.bottom}));
  RECT client, size{0, 0, 200, 160};
  GetClientRect(d, &client);
  MapDialogRect(d, &size);
  EXPECT_EQ(EdgesOf(client), EdgesOf(size));
  // The client area is placed from the owner's client origin; the frame and
  // caption lie around it.
  RECT place{10, 10, 0, 0};
  MapDialogRect(d, &place);
  POINT origin{0, 0};
  ClientToScreen(d, &origin);
  EXPECT_EQ(std::make_tuple(origin.x, origin.y), std::make_tuple(place.left, place.top));
  RECT window;
  GetWindowRect(d, &window);
  EXPECT_LT(window.top, origin.y - GetSystemMetrics(SM_CYCAPTION) + 1);

  EXPECT_EQ(TextOf(GetDlgItem(d, IDC_LABEL)), "Name:");
  EXPECT_FALSE(IsWindowEnabled(GetDlgItem(d, IDC_DISABLED)));
  EXPECT_FALSE(GetWindowLong(GetDlgItem(d, IDC_HIDDEN), GWL_STYLE) & static_cast<LONG>(WS_VISIBLE));
  EXPECT_FALSE(IsWindowVisible(d));  // no WS_VISIBLE in the template
  EXPECT_EQ(GetParent(d), owner_);
  EXPECT_TRUE(IsWindowEnabled(owner_));  // modeless: the owner stays enabled
  EXPECT_EQ(SendMessage(d, DM_GETDEFID, 0, 0), MAKELONG(IDOK, DC_HASDEFID));
}

TEST_F(DialogTest, NumberedTemplatesVisibleTemplatesAndFailures) {
  Script numbered, visible, tolerant;
  HWND d = Modeless(107, &numbered);
  ASSERT_NE(d, nullptr);
  EXPECT_NE(GetDlgItem(d, 205), nullptr);
  HWND shown = Modeless("IDD_VISIBLE", &visible);
  ASSERT_NE(shown, nullptr);
  EXPECT_TRUE(IsWindowVisible(shown));
  EXPECT_EQ(SendMessage(shown, WM_GETFONT, 0, 0), 0);  // no font in the template: the system font

  Script broken;
  EXPECT_EQ(Modeless("IDD_BROKEN", &broken), nullptr);
  EXPECT_TRUE(broken.Only(WM_INITDIALOG).empty());
  HWND kept = Modeless("IDD_TOLERANT", &tolerant);
  ASSERT_NE(kept, nullptr);
  EXPECT_EQ(GetDlgItem(kept, 1), nullptr);
  EXPECT_NE(GetDlgItem(kept, 2), nullptr);

  Script missing;
  EXPECT_EQ(Modal("IDD_NOTHERE", &missing), -1);
  EXPECT_EQ(Modal("IDD_BROKEN", &missing), -1);
  EXPECT_TRUE(IsWindowEnabled(owner_));
}

TEST_F(DialogTest, ModalRunDisablesTheOwnerAndReturnsTheEndDialogValue) {
  Script s;
  bool ownerEnabledInside = true;
  HWND dialog = nullptr;
  s.on = [&](HWND h, UINT m, WPARAM w, LPARAM) -> LRESULT {
    if (m == WM_INITDIALOG) {
      dialog = h;
      ClickOn(GetDlgItem(h, IDOK));
    }
    if (m == WM_COMMAND && LOWORD(w) == IDOK) {
      ownerEnabledInside = IsWindowEnabled(owner_) != FALSE;
      EndDialog(h, 42);
      return TRUE;
    }
    return FALSE;
  };
  EXPECT_EQ(Modal("IDD_FORM", &s), 42);
  EXPECT_FALSE(ownerEnabledInside);
  EXPECT_TRUE(IsWindowEnabled(owner_));
  EXPECT_FALSE(IsWindow(dialog));
  EXPECT_EQ(GetActiveWindow(), owner_);
  EXPECT_EQ(s.Commands(IDOK), std::vector<WORD>{BN_CLICKED});
}

TEST_F(DialogTest, AModalDialogOpenedFromInsideAnother) {
  Script outer, inner;
  LRESULT innerResult = 0;
  bool outerEnabledDuringInner = true, ownerEnabledDuringInner = true, outerEnabledAfter = false;
  HWND outerDialog = nullptr;
  outer.on = [&](HWND h, UINT m, WPARAM w, LPARAM) -> LRESULT {
    if (m == WM_INITDIALOG) {
      outerDialog = h;
      ClickOn(GetDlgItem(h, IDC_TAIL));
    }
    if (m == WM_COMMAND && LOWORD(w) == IDC_TAIL) {
      innerResult = Modal("IDD_INNER", &inner, h);
      outerEnabledAfter = IsWindowEnabled(h) && GetActiveWindow() == h;
      EndDialog(h, 9);
      return TRUE;
    }
    return FALSE;
  };
  inner.on = [&](HWND h, UINT m, WPARAM w, LPARAM) -> LRESULT {
    if (m == WM_INITDIALOG) {
      outerEnabledDuringInner = IsWindowEnabled(outerDialog) != FALSE;
      ownerEnabledDuringInner = IsWindowEnabled(owner_) != FALSE;
      Press(VK_ESCAPE);
    }
    if (m == WM_COMMAND && LOWORD(w) == IDCANCEL) {
      EndDialog(h, 5);
      return TRUE;
    }
    return FALSE;
  };
  EXPECT_EQ(Modal("IDD_FORM", &outer), 9);
  EXPECT_EQ(innerResult, 5);
  EXPECT_FALSE(outerEnabledDuringInner);
  EXPECT_FALSE(ownerEnabledDuringInner);
  EXPECT_TRUE(outerEnabledAfter);
  EXPECT_TRUE(IsWindowEnabled(owner_));
  // Escape reached the inner dialog only.
  EXPECT_TRUE(outer.Commands(IDCANCEL).empty());
}

TEST_F(DialogTest, TheDisabledOwnerOfAModalDialogCannotTakeItsKeys) {
  // The owner's child repaints under the dialog and asks the focus back for
  // the owner, as a window's control panel does: the dialog keeps the
  // activation and the focus, so its keys (Enter) still reach it.
  Script s;
  HWND refused = owner_, activeAfterTry = nullptr;
  bool focusStayed = false;
  s.on = [&](HWND h, UINT m, WPARAM, LPARAM) -> LRESULT {
    if (m == WM_INITDIALOG) {
      PostMessage(h, WM_USER, 0, 0);
      return TRUE;
    }
    if (m == WM_USER) {
      refused = SetFocus(owner_);
      activeAfterTry = GetActiveWindow();
      focusStayed = IsChild(h, GetFocus()) != FALSE;
      EndDialog(h, 7);
      return TRUE;
    }
    return FALSE;
  };
  EXPECT_EQ(Modal("IDD_FORM", &s), 7);
  EXPECT_EQ(refused, nullptr);
  EXPECT_NE(activeAfterTry, owner_);
  EXPECT_TRUE(focusStayed);
  // Enabled again, the owner takes the focus as before.
  SetFocus(owner_);
  EXPECT_EQ(GetFocus(), owner_);
}

TEST_F(DialogTest, EnterAndEscapeGiveTheDefaultIdAndCancel) {
  Script s;
  HWND d = Shown("IDD_FORM", &s);
  ASSERT_EQ(GetFocus(), GetDlgItem(d, IDC_NAME));  // the first tab stop after activation

  Press(VK_RETURN);
  Press(VK_ESCAPE);
  Pump(d);
  ASSERT_EQ(s.Commands(IDOK).size(), 1u);
  ASSERT_EQ(s.Commands(IDCANCEL).size(), 1u);
  for (const Seen& seen : s.Only(WM_COMMAND)) {
    if (LOWORD(seen.wParam) != IDOK) continue;
    EXPECT_EQ(reinterpret_cast<HWND>(seen.lParam), GetDlgItem(d, IDOK));
  }

  // Another default id; a focused push button answers Enter itself.
  SendMessage(d, DM_SETDEFID, IDC_TAIL, 0);
  Press(VK_RETURN);
  Pump(d);
  EXPECT_EQ(s.Commands(IDC_TAIL).size(), 1u);
  SetFocus(GetDlgItem(d, IDCANCEL));
  Press(VK_RETURN);
  Pump(d);
  EXPECT_EQ(s.Commands(IDCANCEL).size(), 2u);

  // A multi-line field with ES_WANTRETURN takes Enter as a new line.
  SetFocus(GetDlgItem(d, IDC_NOTES));
  Type("a\nb");
  Pump(d);
  EXPECT_EQ(TextOf(GetDlgItem(d, IDC_NOTES)), "a\r\nb");
  EXPECT_EQ(s.Commands(IDC_TAIL).size(), 1u);
}

TEST_F(DialogTest, TabOrderWalk) {
  Script s;
  HWND d = Modeless("IDD_FORM", &s);
  auto item = [&](int id) { return GetDlgItem(d, id); };
  const std::vector<HWND> order = {item(IDC_NAME),  item(IDC_NUMBER), item(IDC_READONLY), item(IDC_NOTES),
                                   item(IDC_CHECK), item(IDC_RADIO1), item(IDOK),         item(IDCANCEL)};
  // The walk the game does: from the first tab stop round to it again.
  std::vector<HWND> walked;
  HWND first = GetNextDlgTabItem(d, nullptr, FALSE);
  HWND h = first;
  do {
    walked.push_back(h);
    h = GetNextDlgTabItem(d, h, FALSE);
  } while (h != first && walked.size() < 50);
  EXPECT_EQ(walked, order);
  EXPECT_EQ(GetNextDlgTabItem(d, nullptr, TRUE), item(IDCANCEL));
  EXPECT_EQ(GetNextDlgTabItem(d, item(IDC_NAME), TRUE), item(IDCANCEL));
  // From a control that is no tab stop the walk goes on from where it stands.
  EXPECT_EQ(GetNextDlgTabItem(d, item(IDC_DISABLED), FALSE), item(IDOK));
  EXPECT_EQ(GetNextDlgTabItem(d, item(IDC_TAIL), FALSE), item(IDC_NAME));
  Script none;
  HWND bare = Modeless("IDD_VISIBLE", &none);
  EXPECT_EQ(GetNextDlgTabItem(bare, nullptr, FALSE), nullptr);

  // Tab and Shift+Tab move the focus; an edit gets its text selected.
  SetDlgItemText(d, IDC_NUMBER, "123");
  ShowWindow(d, SW_SHOW);
  Pump(d);
  Press(VK_TAB);
  Pump(d);
  EXPECT_EQ(GetFocus(), item(IDC_NUMBER));
  EXPECT_EQ(SendMessage(item(IDC_NUMBER), EM_GETSEL, 0, 0), MAKELONG(0, 3));
  Press(VK_TAB, true);
  Press(VK_TAB, true);
  Pump(d);
  EXPECT_EQ(GetFocus(), item(IDCANCEL));

  // Arrows move within a group; an automatic radio button gets checked.
  SetFocus(item(IDC_RADIO1));
  Press(VK_DOWN);
  Pump(d);
  EXPECT_EQ(GetFocus(), item(IDC_RADIO2));
  EXPECT_EQ(SendMessage(item(IDC_RADIO2), BM_GETCHECK, 0, 0), static_cast<LRESULT>(BST_CHECKED));
  EXPECT_EQ(s.Commands(IDC_RADIO2), std::vector<WORD>{BN_CLICKED});
  Press(VK_UP);
  Press(VK_UP);
  Pump(d);
  EXPECT_EQ(GetFocus(), GetDlgItem(d, 113));  // wrapped round within the group
}

TEST_F(DialogTest, ItemTextsAndNumbers) {
  Script s;
  HWND d = Modeless("IDD_FORM", &s);
  EXPECT_TRUE(SetDlgItemText(d, IDC_NAME, "Rangers"));
  char buf[5];
  EXPECT_EQ(GetDlgItemText(d, IDC_NAME, buf, sizeof buf), 4u);
  EXPECT_STREQ(buf, "Rang");
  EXPECT_FALSE(SetDlgItemText(d, 999, "x"));
  EXPECT_EQ(GetDlgItemText(d, 999, buf, sizeof buf), 0u);
  EXPECT_STREQ(buf, "");

  SetDlgItemInt(d, IDC_NAME, static_cast<UINT>(-5), TRUE);
  EXPECT_EQ(TextOf(GetDlgItem(d, IDC_NAME)), "-5");
  SetDlgItemInt(d, IDC_NAME, 4000000000u, FALSE);
  EXPECT_EQ(TextOf(GetDlgItem(d, IDC_NAME)), "4000000000");

  struct Case {
    const char* text;
    BOOL isSigned;
    UINT value;
    BOOL ok;
  };
  const Case cases[] = {
      {"  42", FALSE, 42, TRUE},
      {"12abc", FALSE, 12, TRUE},
      {"abc", FALSE, 0, FALSE},
      {"-7", TRUE, static_cast<UINT>(-7), TRUE},
      {"-7", FALSE, static_cast<UINT>(-7), TRUE},
      {"", TRUE, 0, FALSE},
      {"99999999999", FALSE, 0, FALSE},
      {"2147483648", TRUE, 0, FALSE},
      {"-2147483648", TRUE, 0x80000000u, TRUE},
      {"4294967295", FALSE, 4294967295u, TRUE},
  };
  for (const Case& c : cases) {
    SetDlgItemText(d, IDC_NAME, c.text);
    BOOL ok = 2;
    EXPECT_EQ(GetDlgItemInt(d, IDC_NAME, &ok, c.isSigned), c.value) << c.text;
    EXPECT_EQ(ok, c.ok) << c.text;
  }
  BOOL ok = TRUE;
  EXPECT_EQ(GetDlgItemInt(d, 999, &ok, FALSE), 0u);
  EXPECT_FALSE(ok);

  EXPECT_EQ(SendDlgItemMessage(d, 999, EM_GETLIMITTEXT, 0, 0), 0);
}

TEST_F(DialogTest, TheProceduresReturnProtocol) {
  Script s;
  HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
  s.on = [&](HWND h, UINT m, WPARAM w, LPARAM) -> LRESULT {
    if (m == WM_NOTIFY && w == 1) {
      SetWindowLongPtr(h, DWLP_MSGRESULT, 1234);
      return TRUE;
    }
    if (m == WM_NOTIFY && w == 2) return 77;  // handled, no result stored
    if (m == WM_CTLCOLORSTATIC) return reinterpret_cast<LRESULT>(red);
    return FALSE;
  };
  HWND d = Modeless("IDD_FORM", &s);
  NMHDR hdr;
  EXPECT_EQ(SendMessage(d, WM_NOTIFY, 1, reinterpret_cast<LPARAM>(&hdr)), 1234);
  EXPECT_EQ(SendMessage(d, WM_NOTIFY, 2, reinterpret_cast<LPARAM>(&hdr)), 0);
  EXPECT_EQ(SendMessage(d, WM_CTLCOLORSTATIC, 0, 0), reinterpret_cast<LRESULT>(red));
  SendMessage(d, WM_CLOSE, 0, 0);
  EXPECT_TRUE(IsWindow(d));
  Pump(nullptr);
  EXPECT_EQ(s.Commands(IDCANCEL), std::vector<WORD>{BN_CLICKED});
  DestroyWindow(d);
  DeleteObject(red);
}

TEST_F(DialogTest, ControlsPaintWithTheBrushesTheProcedureGives) {
  Script s;
  constexpr COLORREF kDialog = RGB(0, 0, 255), kStatic = RGB(255, 0, 0), kEdit = RGB(0, 255, 0);
  constexpr COLORREF kButton = RGB(255, 255, 0);
  const std::pair<UINT, HBRUSH> brushes[] = {{WM_CTLCOLORDLG, CreateSolidBrush(kDialog)},
                                             {WM_CTLCOLORSTATIC, CreateSolidBrush(kStatic)},
                                             {WM_CTLCOLOREDIT, CreateSolidBrush(kEdit)},
                                             {WM_CTLCOLORBTN, CreateSolidBrush(kButton)}};
  s.on = [&](HWND, UINT m, WPARAM, LPARAM) -> LRESULT {
    for (const auto& [msg, brush] : brushes)
      if (m == msg) return reinterpret_cast<LRESULT>(brush);
    return FALSE;
  };
  HWND d = Shown("IDD_FORM", &s);
  RECT client;
  GetClientRect(d, &client);
  POINT corner{client.right - 2, client.bottom - 2};
  ClientToScreen(d, &corner);
  EXPECT_EQ(Pixel(corner.x, corner.y), Encoded(kDialog));
  // Read-only fields ask as statics; a push button's face is its brush.
  for (auto [id, colour] :
       {std::pair{IDC_LABEL, kStatic}, {IDC_NAME, kEdit}, {IDC_READONLY, kStatic}, {IDCANCEL, kButton}}) {
    RECT r;
    GetWindowRect(GetDlgItem(d, id), &r);
    EXPECT_EQ(Pixel(r.left + 4, r.bottom - 5), Encoded(colour)) << id;
  }
  DestroyWindow(d);
  for (const auto& b : brushes) DeleteObject(b.second);
}

TEST_F(DialogTest, APaintTheProcedureTakesWithoutPaintingIsNotAskedForAgain) {
  Script s;
  int paints = 0;
  s.on = [&](HWND, UINT m, WPARAM, LPARAM) -> LRESULT {
    if (m == WM_PAINT) {
      ++paints;
      return TRUE;
    }
    return FALSE;
  };
  HWND d = Modeless("IDD_VISIBLE", &s);
  Pump(nullptr);
  InvalidateRect(d, nullptr, TRUE);
  Pump(nullptr);
  EXPECT_EQ(paints, 2);
  EXPECT_FALSE(GetUpdateRect(d, nullptr, FALSE));
}

TEST_F(DialogTest, ActivationGivesTheFocusBackToTheControlThatHadIt) {
  Script s;
  HWND d = Shown("IDD_FORM", &s);
  SetFocus(GetDlgItem(d, IDC_CHECK));
  SetActiveWindow(owner_);
  EXPECT_EQ(GetFocus(), owner_);
  SetActiveWindow(d);
  EXPECT_EQ(GetFocus(), GetDlgItem(d, IDC_CHECK));
}

}  // namespace
}  // namespace dlgtest
