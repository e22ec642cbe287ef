#include "platform/resource/dialogtemplate.h"

#include <tuple>

#include "tests/platform/resource/fixture.h"

namespace {

using restest::FixtureModule;

constexpr plat::DWORD kChildVisible = 0x50000000;
constexpr plat::DWORD kTabStop = 0x00010000;
constexpr plat::DWORD kGroup = 0x00020000;
constexpr plat::DWORD kBorder = 0x00800000;

class DialogTest : public FixtureModule {};

TEST_F(DialogTest, ReadsAClassicTemplate) {
  auto d = plat::LoadDialogTemplate(module_, "idd_ok_dlg");
  ASSERT_TRUE(d);
  EXPECT_FALSE(d->extended);
  // DS_MODALFRAME | WS_POPUP, plus WS_CAPTION for the caption and DS_SETFONT for the font.
  EXPECT_EQ(std::make_tuple(d->style, d->x, d->y, d->cx, d->cy),
            std::make_tuple(0x80000080u | 0x00C00000u | plat::DS_SETFONT, 10, 20, 200, 100));
  EXPECT_TRUE(d->menu.Empty());
  EXPECT_TRUE(d->windowClass.Empty());
  EXPECT_EQ(d->caption, "Okay");
  EXPECT_TRUE(d->hasFont);
  EXPECT_EQ(d->pointSize, 8);
  EXPECT_EQ(d->faceName, "MS Sans Serif");
  ASSERT_EQ(d->items.size(), 8u);

  const plat::DialogItem& ok = d->items[0];
  EXPECT_EQ(ok.id, 1u);
  EXPECT_TRUE(ok.windowClass.isOrdinal);
  EXPECT_EQ(ok.windowClass.ordinal, plat::DLG_CLASS_BUTTON);
  EXPECT_EQ(ok.style, kChildVisible | kTabStop | 1u);
  EXPECT_EQ(ok.text.text, "OK");
  EXPECT_EQ(ok.cx, 50);

  EXPECT_EQ(d->items[1].style, kChildVisible);  // NOT WS_TABSTOP took the default away
  const plat::DialogItem& label = d->items[2];
  EXPECT_EQ(label.id, 0xFFFFu);  // IDC_STATIC in a 16-bit field
  EXPECT_EQ(std::make_tuple(label.x, label.style, label.windowClass.ordinal),
            std::make_tuple(-1, kChildVisible | kGroup, plat::DLG_CLASS_STATIC));

  const plat::DialogItem& edit = d->items[3];
  EXPECT_EQ(edit.windowClass.ordinal, plat::DLG_CLASS_EDIT);
  EXPECT_EQ(edit.style, kChildVisible | kBorder | kTabStop | 0x2000u | 0x80u);
  EXPECT_TRUE(edit.text.Empty());

  const plat::DialogItem& updown = d->items[4];
  EXPECT_FALSE(updown.windowClass.isOrdinal);
  EXPECT_EQ(updown.windowClass.text, "msctls_updown32");
  EXPECT_EQ(updown.style, kChildVisible | 0x2u | 0x4u);

  EXPECT_EQ(d->items[5].windowClass.ordinal, plat::DLG_CLASS_LISTBOX);
  EXPECT_EQ(d->items[6].windowClass.ordinal, plat::DLG_CLASS_COMBOBOX);
  EXPECT_EQ(d->items[6].style & 0x3u, 0x3u);

  const plat::DialogItem& icon = d->items[7];
  EXPECT_TRUE(icon.text.isOrdinal);
  EXPECT_EQ(std::make_tuple(icon.text.ordinal, icon.style), std::make_tuple(1, kChildVisible | 0x3u));
  EXPECT_EQ(plat::PredefinedDialogClassName(icon.windowClass.ordinal), std::string("Static"));
}

TEST_F(DialogTest, ReadsAnExtendedTemplate) {
  auto d = plat::LoadDialogTemplate(module_, 107);
  ASSERT_TRUE(d);
  EXPECT_TRUE(d->extended);
  EXPECT_EQ(std::make_tuple(d->helpId, d->style, d->exStyle),
            std::make_tuple(77u, 0x40000000u | 0x00C00000u | plat::DS_SETFONT, 0x80u));
  EXPECT_EQ(d->windowClass.text, "FixtureClass");
  EXPECT_EQ(d->caption, "Extended");
  EXPECT_EQ(std::make_tuple(d->pointSize, d->weight), std::make_tuple(9, 700));
  EXPECT_TRUE(d->italic);
  EXPECT_EQ(d->faceName, "Times New Roman");
  ASSERT_EQ(d->items.size(), 4u);

  const plat::DialogItem& check = d->items[0];
  EXPECT_EQ(check.windowClass.ordinal, plat::DLG_CLASS_BUTTON);  // "button" stored by number
  EXPECT_EQ(std::make_tuple(check.style, check.exStyle, check.helpId),
            std::make_tuple(kChildVisible | 0x3u | kTabStop, 0x200u, 55u));
  EXPECT_EQ(d->items[1].id, 70000u);  // 32-bit ids in DIALOGEX
  EXPECT_EQ(std::make_tuple(d->items[2].style, d->items[3].windowClass.ordinal, d->items[3].style),
            std::make_tuple(kChildVisible | 0x7u, plat::DLG_CLASS_SCROLLBAR, kChildVisible | 0x1u));
}

TEST_F(DialogTest, RefusesTemplatesThatEndEarly) {
  auto bytes = plat::ResourceBytes(module_, 107, plat::RT_DIALOG);
  ASSERT_FALSE(bytes.empty());
  ASSERT_TRUE(plat::ParseDialogTemplate(bytes));
  for (std::size_t n = 0; n < bytes.size(); ++n) {
    EXPECT_FALSE(plat::ParseDialogTemplate(bytes.first(n))) << "cut at " << n;
  }
  EXPECT_FALSE(plat::LoadDialogTemplate(module_, "NO_SUCH_DIALOG"));
}

TEST(DialogTemplate, RefusesAnItemCountTheBytesCannotHold) {
  // DIALOG header claiming 65535 items and no room for any.
  const plat::BYTE bytes[] = {0, 0, 0, 0x80, 0, 0, 0, 0, 0xFF, 0xFF, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
  EXPECT_FALSE(plat::ParseDialogTemplate(bytes));
  // An extended header with an unknown version.
  const plat::BYTE ex[] = {2, 0, 0xFF, 0xFF, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
  EXPECT_FALSE(plat::ParseDialogTemplate(ex));
}

}  // namespace
