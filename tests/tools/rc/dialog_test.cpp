// Dialog statements compile into templates the reader parses back.
#include "platform/resource/dialogtemplate.h"

#include <tuple>

#include "tests/tools/rc/helpers.h"

namespace {

std::optional<plat::DialogTemplate> CompileDialog(std::string_view script, const plat::ResName& name) {
  auto rs = rctest::MustCompile(script);
  rctest::Loaded m(rs);
  return plat::LoadDialogTemplate(m.Get(), name);
}

TEST(DialogScript, DefaultsFollowTheClassicCompiler) {
  auto d = CompileDialog("D DIALOG 1, 2, 3, 4\nBEGIN\nEND\n", "D");
  ASSERT_TRUE(d);
  EXPECT_EQ(d->style, 0x80880000u);  // WS_POPUP | WS_BORDER | WS_SYSMENU
  EXPECT_FALSE(d->hasFont);
  EXPECT_TRUE(d->items.empty());

  d = CompileDialog("D DIALOG 0, 0, 9, 9 CAPTION \"c\" { }", "D");
  ASSERT_TRUE(d);
  EXPECT_EQ(d->style, 0x80880000u | 0x00C00000u);
}

TEST(DialogScript, ItemDefaultsAndStyleArithmetic) {
  auto d = CompileDialog(
      "D DIALOG 0, 0, 100, 100\nSTYLE WS_CHILD | DS_CONTROL\nMENU 12\n{\n"
      "  CHECKBOX \"c\", 1, 0, 0, 1, 1\n"
      "  RADIOBUTTON \"r\", 2, 0, 0, 1, 1, WS_GROUP\n"
      "  CTEXT \"t\", 3, 0, 0, 1, 1, NOT WS_GROUP | SS_NOTIFY\n"
      "  RTEXT \"t\", 4, 0, 0, 1, 1, 0, WS_EX_STATICEDGE\n"
      "  CONTROL \"\", 5, STATIC, SS_OWNERDRAW | NOT WS_VISIBLE, 0, 0, 1, 1\n"
      "  CONTROL 9, 6, 0x85, 0, 0, 0, 1, 1\n"
      "  ICON \"named\", 7, 1, 2, 3, 4, SS_CENTERIMAGE\n"
      "}\n",
      "D");
  ASSERT_TRUE(d);
  EXPECT_EQ(d->style, 0x40000400u);
  EXPECT_TRUE(d->menu.isOrdinal);
  EXPECT_EQ(d->menu.ordinal, 12);
  ASSERT_EQ(d->items.size(), 7u);
  EXPECT_EQ(std::make_tuple(d->items[0].style, d->items[1].style, d->items[2].style),
            std::make_tuple(0x50010002u, 0x50020004u, 0x50000101u));
  EXPECT_EQ(std::make_tuple(d->items[3].exStyle, d->items[4].style, d->items[4].windowClass.ordinal),
            std::make_tuple(0x00020000u, 0x4000000Du, plat::DLG_CLASS_STATIC));
  EXPECT_TRUE(d->items[5].text.isOrdinal);
  EXPECT_EQ(d->items[5].text.ordinal, 9);
  EXPECT_EQ(d->items[5].windowClass.ordinal, plat::DLG_CLASS_COMBOBOX);
  EXPECT_EQ(d->items[6].text.text, "named");
  EXPECT_EQ(std::make_tuple(d->items[6].cy, d->items[6].style), std::make_tuple(4, 0x50000203u));
}

TEST(DialogScript, ExtendedOnlyFieldsNeedDialogEx) {
  EXPECT_NE(rctest::CompileError("D DIALOG 0, 0, 1, 1 FONT 8, \"f\", 400, 0, 0 { }").find("DIALOGEX"),
            std::string::npos);
  EXPECT_NE(rctest::CompileError("D DIALOG 0, 0, 1, 1 { LTEXT \"a\", 1, 0, 0, 1, 1, 0, 0, 5 }").find("DIALOGEX"),
            std::string::npos);
  auto d = CompileDialog("D DIALOGEX 0, 0, 1, 1 FONT 8, \"f\" { LTEXT \"a\", 1, 0, 0, 1, 1, 0, 0, 5 }", "D");
  ASSERT_TRUE(d);
  EXPECT_EQ(std::make_tuple(d->weight, d->items[0].helpId), std::make_tuple(0, 5u));
}

TEST(DialogScript, EncoderAndParserAgreeOnEveryField) {
  plat::DialogTemplate t;
  t.extended = true;
  t.helpId = 3;
  t.style = 0x80C80040u;
  t.exStyle = 0x10;
  t.x = -5;
  t.y = 6;
  t.cx = 700;
  t.cy = 8;
  t.menu.text = "MENU";
  t.windowClass.isOrdinal = true;
  t.windowClass.ordinal = 0x1234;
  t.caption = "Caption \xE9";
  t.hasFont = true;
  t.pointSize = 10;
  t.weight = 600;
  t.italic = true;
  t.charset = 2;
  t.faceName = "Face";
  plat::DialogItem item;
  item.helpId = 9;
  item.style = 0x50000000;
  item.id = 0x12345;
  item.windowClass.text = "Custom";
  item.text.text = "odd";  // an odd length puts the next item off a 4-byte boundary
  item.creationData = {1, 2, 3};
  t.items = {item, item};
  for (bool ex : {true, false}) {
    t.extended = ex;
    auto back = plat::ParseDialogTemplate(rc::EncodeDialogTemplate(t));
    ASSERT_TRUE(back);
    EXPECT_EQ(back->caption, t.caption);
    EXPECT_EQ(back->menu.text, "MENU");
    EXPECT_EQ(std::make_tuple(back->windowClass.ordinal, back->x, back->cx), std::make_tuple(0x1234, -5, 700));
    EXPECT_EQ(back->faceName, "Face");
    EXPECT_EQ(back->weight, ex ? 600 : 0);
    ASSERT_EQ(back->items.size(), 2u);
    for (const auto& i : back->items) {
      EXPECT_EQ(i.id, ex ? 0x12345u : 0x2345u);
      EXPECT_EQ(i.windowClass.text, "Custom");
      EXPECT_EQ(i.text.text, "odd");
      EXPECT_EQ(std::make_tuple(i.creationData, i.helpId), std::make_tuple(item.creationData, ex ? 9u : 0u));
    }
  }
}

}  // namespace
