// Edit fields: typing and its notifications, limits, number-only and read-only
// fields, the selection, multi-line text; and the line layout underneath.

#include "platform/dialog/edit.h"
#include "platform/dialog/editbuffer.h"
#include "tests/platform/dialog/dialog_fixture.h"

namespace dlgtest {
namespace {

using dialog_impl::EditBuffer;
using dialog_impl::EditLine;
using dialog_impl::LayOutLines;
using dialog_impl::LineOf;

class EditTest : public ShownDialogTest {
 protected:
  void SetUp() override {
    ShownDialogTest::SetUp();
    Open("IDD_FORM");
  }
  std::size_t Beeps() const { return backend_->Beeps().size(); }
};

TEST_F(EditTest, TypingNotifiesBeforeAndAfterEachChange) {
  ClickOn(Item(IDC_NAME));
  Type("Hi 5");
  Pump(dialog_);
  EXPECT_EQ(TextOf(Item(IDC_NAME)), "Hi 5");
  std::vector<WORD> expected;
  for (int i = 0; i < 4; ++i) expected.insert(expected.end(), {EN_UPDATE, EN_CHANGE});
  std::vector<WORD> changes;
  for (WORD code : script_.Commands(IDC_NAME))
    if (code == EN_UPDATE || code == EN_CHANGE) changes.push_back(code);
  EXPECT_EQ(changes, expected);

  // WM_SETTEXT of a single line notifies too; the caret goes to the start.
  script_.log.clear();
  SetWindowText(Item(IDC_NAME), "Quenbar");
  EXPECT_EQ(script_.Commands(IDC_NAME), (std::vector<WORD>{EN_UPDATE, EN_CHANGE}));
  EXPECT_EQ(SendMessage(Item(IDC_NAME), EM_GETSEL, 0, 0), MAKELONG(0, 0));

  // Leaving the field tells its parent.
  script_.log.clear();
  Press(VK_TAB);
  Pump(dialog_);
  EXPECT_EQ(script_.Commands(IDC_NAME), std::vector<WORD>{EN_KILLFOCUS});
}

TEST_F(EditTest, TheLimitHoldsTypingOnly) {
  HWND name = Item(IDC_NAME);
  SendMessage(name, EM_LIMITTEXT, 3, 0);
  EXPECT_EQ(SendMessage(name, EM_GETLIMITTEXT, 0, 0), 3);
  SetFocus(name);
  Type("abcd");
  Pump(dialog_);
  EXPECT_EQ(TextOf(name), "abc");
  EXPECT_EQ(Beeps(), 1u);
  EXPECT_EQ(script_.Commands(IDC_NAME).back(), EN_MAXTEXT);
  // Replacing the selection still may; setting the text is not held at all.
  SendMessage(name, EM_SETSEL, 0, 1);
  Type("z");
  Pump(dialog_);
  EXPECT_EQ(TextOf(name), "zbc");
  SetWindowText(name, "longer than three");
  EXPECT_EQ(TextOf(name), "longer than three");
  SendMessage(name, EM_SETSEL, 0, -1);
  SendMessage(name, EM_REPLACESEL, 0, reinterpret_cast<LPARAM>("12345"));
  EXPECT_EQ(TextOf(name), "123");
  SendMessage(name, EM_LIMITTEXT, 0, 0);
  EXPECT_GT(SendMessage(name, EM_GETLIMITTEXT, 0, 0), 30000);
}

TEST_F(EditTest, NumberAndReadOnlyFieldsRefuseWhatTheyMayNotTake) {
  HWND number = Item(IDC_NUMBER);
  SetFocus(number);
  Type("1a2");
  Pump(dialog_);
  EXPECT_EQ(TextOf(number), "12");
  EXPECT_EQ(Beeps(), 1u);

  // Without ES_AUTOHSCROLL a single line takes no more than fits its width.
  Type("34567890123456789012345678901234567890");
  Pump(dialog_);
  const std::string full = TextOf(number);
  EXPECT_LT(full.size(), 40u);
  EXPECT_GT(full.size(), 3u);
  EXPECT_GT(Beeps(), 1u);

  HWND readOnly = Item(IDC_READONLY);
  SetWindowText(readOnly, "fixed");
  SetFocus(readOnly);
  Type("x");
  Press(VK_BACK);
  Press(VK_DELETE);
  Pump(dialog_);
  EXPECT_EQ(TextOf(readOnly), "fixed");
  SendMessage(readOnly, EM_SETREADONLY, FALSE, 0);
  Press(VK_END);
  Type("d");
  Pump(dialog_);
  EXPECT_EQ(TextOf(readOnly), "fixedd");
}

TEST_F(EditTest, SelectionCaretAndEditingKeys) {
  HWND name = Item(IDC_NAME);
  SetWindowText(name, "hello world");
  SetFocus(name);
  SendMessage(name, EM_SETSEL, 0, 5);
  DWORD start = 99, end = 99;
  EXPECT_EQ(SendMessage(name, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end)),
            MAKELONG(0, 5));
  EXPECT_EQ(start, 0u);
  EXPECT_EQ(end, 5u);
  Type("J");
  Pump(dialog_);
  EXPECT_EQ(TextOf(name), "J world");

  SendMessage(name, EM_SETSEL, 0, -1);
  EXPECT_EQ(SendMessage(name, EM_GETSEL, 0, 0), MAKELONG(0, 7));
  SendMessage(name, EM_SETSEL, static_cast<WPARAM>(-1), 0);  // drops the selection, keeps the caret
  EXPECT_EQ(SendMessage(name, EM_GETSEL, 0, 0), MAKELONG(7, 7));
  SendMessage(name, EM_SETSEL, 100, 100);  // beyond the end: the end
  EXPECT_EQ(SendMessage(name, EM_GETSEL, 0, 0), MAKELONG(7, 7));

  Press(VK_HOME);
  Press(VK_RIGHT);
  Press(VK_END, true);
  Press(VK_DELETE);
  Press(VK_BACK);
  Pump(dialog_);
  EXPECT_EQ(TextOf(name), "");
  Type("ab");
  Press(VK_LEFT);
  Type("X");
  Pump(dialog_);
  EXPECT_EQ(TextOf(name), "aXb");

  // A click places the caret; a drag selects.
  RECT r;
  GetWindowRect(name, &r);
  backend_->Click(r.left + 1, (r.top + r.bottom) / 2, input::Button::Left, 600);
  Pump(dialog_);
  EXPECT_EQ(SendMessage(name, EM_GETSEL, 0, 0), MAKELONG(0, 0));
  backend_->MoveMouse(r.left + 1, (r.top + r.bottom) / 2, 600);
  backend_->MouseDown(input::Button::Left);
  backend_->MoveMouse(r.right - 3, (r.top + r.bottom) / 2, 10);
  backend_->MouseUp(input::Button::Left, 10);
  Pump(dialog_);
  EXPECT_EQ(SendMessage(name, EM_GETSEL, 0, 0), MAKELONG(0, 3));
}

TEST_F(EditTest, MultiLineFieldsTakeEnterAndBreakLines) {
  HWND notes = Item(IDC_NOTES);
  SetFocus(notes);
  Type("ab\ncd");
  Pump(dialog_);
  EXPECT_EQ(TextOf(notes), "ab\r\ncd");
  Press(VK_HOME);
  Press(VK_BACK);  // the line break goes whole
  Pump(dialog_);
  EXPECT_EQ(TextOf(notes), "abcd");
  Press(VK_UP);  // already on the first line: stays
  Pump(dialog_);
  EXPECT_EQ(SendMessage(notes, EM_GETSEL, 0, 0), MAKELONG(2, 2));

  script_.log.clear();
  SetWindowText(notes, "one\r\ntwo");
  EXPECT_TRUE(script_.Commands(IDC_NOTES).empty());  // not for a multi-line field
  SendMessage(notes, EM_SETSEL, 9, 9);
  Press(VK_UP);
  Pump(dialog_);
  EXPECT_EQ(SendMessage(notes, EM_GETSEL, 0, 0), MAKELONG(3, 3));
}

int Chars(std::string_view s) { return static_cast<int>(s.size()); }

std::vector<std::string> Lines(std::string_view text, int width) {
  std::vector<std::string> out;
  for (const EditLine& l : LayOutLines(text, width, Chars)) out.emplace_back(text.substr(l.start, l.length));
  return out;
}

TEST(EditLayout, BreaksAtBlanksHardBreaksAndLongWords) {
  EXPECT_EQ(Lines("hello world foo", 7), (std::vector<std::string>{"hello ", "world ", "foo"}));
  EXPECT_EQ(Lines("abcdefghij", 4), (std::vector<std::string>{"abcd", "efgh", "ij"}));
  EXPECT_EQ(Lines("a\r\n\r\nb", 10), (std::vector<std::string>{"a", "", "b"}));
  EXPECT_EQ(Lines("a\nb\r\n", 10), (std::vector<std::string>{"a", "b", ""}));
  EXPECT_EQ(Lines("", 10), std::vector<std::string>{""});
  EXPECT_EQ(Lines("no width no wrap", 0), std::vector<std::string>{"no width no wrap"});
  // Blanks past the edge hang at the end of their line.
  EXPECT_EQ(Lines("abcd   efg", 4), (std::vector<std::string>{"abcd   ", "efg"}));

  const std::vector<EditLine> lines = LayOutLines("hello world", 7, Chars);
  EXPECT_EQ(LineOf(lines, 5), 0u);
  EXPECT_EQ(LineOf(lines, 6), 1u);  // at a soft break: the next line
  const std::vector<EditLine> hard = LayOutLines("ab\r\ncd", 10, Chars);
  EXPECT_EQ(LineOf(hard, 2), 0u);  // before a hard break: its own line
  EXPECT_EQ(LineOf(hard, 4), 1u);
}

TEST(EditLayout, TheCaretNeverStopsInsideALineBreak) {
  EditBuffer b;
  b.SetText("a\r\nb");
  b.MoveTo(2, false);
  EXPECT_EQ(b.Caret(), 1u);
  EXPECT_EQ(b.Next(1), 3u);
  EXPECT_EQ(b.Previous(3), 1u);
  b.MoveTo(3, false);
  EXPECT_TRUE(b.DeleteBackward());
  EXPECT_EQ(b.Text(), "ab");
  b.Select(0, 99);
  EXPECT_EQ(b.SelEnd(), 2u);
  b.Replace("xyz");
  EXPECT_EQ(b.Text(), "xyz");
  EXPECT_EQ(b.Caret(), 3u);
  EXPECT_FALSE(b.DeleteForward());
}

}  // namespace
}  // namespace dlgtest
