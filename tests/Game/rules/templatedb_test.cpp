#include "Game/rules/GTemplateDB.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <span>
#include <string>
#include <tuple>
#include <utility>

#include "tests/Game/rules/design_fixture.h"

namespace {

using rules_test::DesignWorld;
using rules_test::Long;
using rules_test::RulesLinksScope;
using rules_test::Sandbox;
using rules_test::Word;

class TemplateDBTest : public ::testing::Test {
 protected:
  TemplateDBTest() { links.nextSerial = 100; }
  CGUnitTemplate* Design(int chapter, std::uint32_t serial) {
    auto* t = new CGUnitTemplate(static_cast<std::uint8_t>(chapter), static_cast<std::int32_t>(chapter << 26 | serial));
    t->SetHull(world.Frame());
    t->FitModule(1, 0);
    return t;
  }
  Sandbox box;
  RulesLinksScope links;
  DesignWorld world{box};
  CGTemplateDB db;
};

TEST_F(TemplateDBTest, ClearingASlotKeepsDesignsInUse) {
  CGUnitTemplate source(4, 4 << 26 | 7);
  source.SetHull(world.Frame());
  ASSERT_EQ(db.SetFixedTemplate(source, 4, 2), 1);
  CGUnitTemplate* fixed = db.GetTemplate(4, 2, 1);
  ASSERT_NE(fixed, nullptr);
  EXPECT_NE(fixed, &source);
  EXPECT_EQ(fixed->templateId, source.templateId);
  std::uint16_t slot = 0;
  EXPECT_EQ(db.FindTemplate(source, 4, &slot), fixed);
  EXPECT_EQ(slot, 2);
  fixed->AddRef();
  fixed->AddRef();
  EXPECT_EQ(db.ClearFixedSlot(4, 2), 1);
  EXPECT_EQ(db.GetTemplate(4, 2, 1), nullptr);
  EXPECT_EQ(db.FindTemplateById(4 << 26 | 7), fixed);
  EXPECT_EQ(db.FindTemplate(source, 4, &slot), fixed);
  EXPECT_EQ(slot, kNotFixedSlot);
  EXPECT_EQ(db.ClearFixedSlot(4, 2), 0);

  ASSERT_EQ(db.SetFixedTemplate(source, 4, 3), 1);
  db.GetTemplate(4, 3, 1)->templateId = 4 << 26 | 8;
  EXPECT_EQ(db.ClearFixedSlot(4, 3), 1);  // unreferenced: deleted
  EXPECT_EQ(db.FindTemplateById(4 << 26 | 8), nullptr);
  EXPECT_EQ(db.SetFixedTemplate(source, 40, 0), 0);
  EXPECT_EQ(db.SetFixedTemplate(source, 0, 15), 0);
}

TEST_F(TemplateDBTest, ASlotCanTakeACopyOfItsOwnDesign) {
  CGUnitTemplate source(1, 1 << 26 | 3);
  source.SetName("Own");
  db.SetFixedTemplate(source, 1, 0);
  CGUnitTemplate* own = db.GetTemplate(1, 0, 1);
  ASSERT_EQ(db.SetFixedTemplate(*own, 1, 0), 1);
  ASSERT_NE(db.GetTemplate(1, 0, 1), nullptr);
  EXPECT_STREQ(db.GetTemplate(1, 0, 1)->GetName(), "Own");
}

TEST_F(TemplateDBTest, ExtraListsAndLookups) {
  for (std::uint32_t s = 1; s <= 3; ++s) db.AddTemplate(Design(6, s), 6);
  EXPECT_NE(db.GetTemplate(6, 2, 0), nullptr);
  for (auto [chapter, index] : {std::pair{6, 3}, {6, -1}, {41, 0}})
    EXPECT_EQ(db.GetTemplate(chapter, index, 0), nullptr) << chapter << " " << index;
  int fixedFlag = -1;
  EXPECT_EQ(db.GetTemplateIndex(*db.GetTemplate(6, 1, 0), 6, &fixedFlag), 1);
  EXPECT_EQ(fixedFlag, 0);
  std::unique_ptr<CGUnitTemplate> twin(Design(6, 3));  // same contents as the third
  EXPECT_EQ(db.GetTemplateIndex(*twin, 6, &fixedFlag), 2);
  twin->SetName("other");
  EXPECT_EQ(db.GetTemplateIndex(*twin, 6, &fixedFlag), -1);
  EXPECT_EQ(db.AddTemplate(Design(6, 9), 40), 0);  // taken and deleted

  // The chapter of an id must be one in play.
  links.localChapter = 0;
  links.chaptersPerGuild = 4;
  db.AddTemplate(Design(36, 1), 36);
  EXPECT_EQ(db.FindTemplateById(36u << 26 | 1), nullptr);
  links.chaptersPerGuild = 8;
  EXPECT_NE(db.FindTemplateById(36u << 26 | 1), nullptr);
  EXPECT_EQ(db.FindTemplateById(63u << 26 | 1), nullptr);
}

TEST_F(TemplateDBTest, ReleasingTheLastReference) {
  CGUnitTemplate* t = Design(2, 1);
  db.AddTemplate(t, 2);
  db.AddRefTemplate(2 << 26 | 1);
  db.AddRefTemplate(2 << 26 | 1);
  EXPECT_EQ(db.ReleaseTemplate(2 << 26 | 1), nullptr);
  EXPECT_EQ(db.FindTemplateById(2 << 26 | 1), t);

  CGUnit* const fakeUnit = reinterpret_cast<CGUnit*>(&links);  // only compared
  links.builtFrom[t] = fakeUnit;
  EXPECT_EQ(db.ReleaseTemplate(2 << 26 | 1), fakeUnit);  // a unit still uses it: kept
  EXPECT_EQ(db.FindTemplateById(2 << 26 | 1), t);
  links.builtFrom.clear();
  EXPECT_EQ(db.ReleaseTemplate(2 << 26 | 1), nullptr);
  EXPECT_EQ(db.FindTemplateById(2 << 26 | 1), nullptr);
  EXPECT_EQ(db.ReleaseTemplate(2 << 26 | 1), nullptr);  // unknown now
}

TEST_F(TemplateDBTest, DesignMessageLayout) {
  CGUnitTemplate t(3, 3 << 26 | 44);
  t.SetName("A name longer than the twenty-nine characters");
  t.SetHull(world.Frame());
  t.FitModule(1, 0);
  t.FitModule(3, 3);
  t.slots[5] = {2, 0};  // names a module but is not fitted
  db.SetFixedTemplate(t, 3, 14);
  db.SendTemplate(14, 3);
  db.SendTemplate(13, 3);  // empty slot: nothing
  ASSERT_EQ(links.sent.size(), 1u);
  const auto& p = links.sent[0].bytes;
  ASSERT_EQ(p.size(), 124u);
  EXPECT_EQ(std::make_tuple(Word(p, 0), Long(p, 8), Word(p, 12), Word(p, 14)),
            std::make_tuple(200, 3u << 26 | 44, 14, 3));
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(&p[16])), "A name longer than the twenty");
  EXPECT_EQ(std::make_tuple(p[45], p[46]), std::make_tuple(0, 0));  // the name's end, the hull index
  // Module ids from 48, fitted flags from 98.
  EXPECT_EQ(std::make_tuple(Word(p, 48), Word(p, 48 + 2), Word(p, 48 + 6), Word(p, 48 + 10)),
            std::make_tuple(0, 0, 3, 0));
  EXPECT_EQ(std::make_tuple(p[98 + 1], p[98 + 3], p[98 + 5]), std::make_tuple(1, 1, 0));
  for (int i = 118; i < 124; ++i) EXPECT_EQ(p[i], 0);
}

TEST_F(TemplateDBTest, DesignMessageReadsBackAndShortOnesAreRefused) {
  CGUnitTemplate t(3, 3 << 26 | 44);
  t.SetName("Lancer");
  t.SetHull(world.Frame());
  t.FitModule(3, 3);
  const auto image = BuildTemplatePacket(t, 14, 3);
  TemplatePacket back;
  ASSERT_TRUE(ParseTemplatePacket(image.bytes, &back));
  EXPECT_EQ(std::make_tuple(back.templateId, back.slot, back.chapter, back.name, back.hull),
            std::make_tuple(3u << 26 | 44, 14, 3, std::string("Lancer"), 0));
  EXPECT_EQ(std::make_tuple(back.modules[3], back.fitted[3], back.fitted[2]), std::make_tuple(3, 1, 0));

  // A name that fills its field without its NUL stops at the field's end.
  auto unterminated = image.bytes;
  std::fill(unterminated.begin() + 16, unterminated.begin() + 46, std::uint8_t{'x'});
  ASSERT_TRUE(ParseTemplatePacket(unterminated, &back));
  EXPECT_EQ(back.name, std::string(30, 'x'));
  EXPECT_FALSE(ParseTemplatePacket(std::span(image.bytes).first(123), &back));
}

TEST_F(TemplateDBTest, AnotherHullNumberChangesOnlyTheHullOfTheDesignMessage) {
  CGUnitTemplate t(3, 3 << 26 | 44);
  t.SetName("Lancer");
  t.SetHull(world.Frame());
  t.FitModule(3, 3);
  const auto image = BuildTemplatePacket(t, 14, 3);
  auto renamed = image;
  SetTemplatePacketHull(renamed, 7);
  TemplatePacket back;
  ASSERT_TRUE(ParseTemplatePacket(renamed.bytes, &back));
  EXPECT_EQ(back.hull, 7);
  EXPECT_EQ(back.name, "Lancer") << "the name's field ends before the hull";
  EXPECT_EQ(back.modules[3], 3);
  std::size_t differing = 0;
  for (std::size_t i = 0; i < image.bytes.size(); ++i) differing += image.bytes[i] != renamed.bytes[i] ? 1 : 0;
  EXPECT_EQ(differing, 1u);
}

TEST_F(TemplateDBTest, ClassStatRanges) {
  std::vector<std::uint8_t> message(8 + 968);
  message[8 + 968 - 2] = 0x34;
  message[8 + 968 - 1] = 0x12;
  message[8] = 7;
  EXPECT_EQ(db.SetClassStatRanges(std::span(message).first(975)), 0);
  EXPECT_EQ(db.GetClassStatRanges(0)[0], 0);
  EXPECT_EQ(db.SetClassStatRanges(message), 1);
  EXPECT_EQ(std::make_tuple(db.GetClassStatRanges(0)[0], db.GetClassStatRanges(10)[43]), std::make_tuple(7, 0x1234));
}

TEST_F(TemplateDBTest, EmptyDatabaseSavesFifteenZerosAndACountPerChapter) {
  const std::string bytes = box.SavedOf(db);
  EXPECT_EQ(bytes, std::string(40 * (15 * 4 + 4) + 11 * 44 * 2, '\0'));
  CGTemplateDB again;
  EXPECT_EQ(box.LoadedInto(again, bytes), 1);
}

TEST_F(TemplateDBTest, SaveLoadRoundTrip) {
  CGUnitTemplate source(7, 7 << 26 | 1);
  source.SetHull(world.Frame());
  source.FitModule(1, 0);
  db.SetFixedTemplate(source, 7, 4);
  db.AddTemplate(Design(7, 2), 7);
  db.AddTemplate(Design(39, 3), 39);
  db.classStatRanges[5][6] = 99;
  const std::string bytes = box.SavedOf(db);

  CGTemplateDB again;
  again.AddTemplate(Design(1, 1), 1);  // replaced by the load
  ASSERT_EQ(box.LoadedInto(again, bytes), 1);
  EXPECT_EQ(again.GetTemplate(1, 0, 0), nullptr);
  ASSERT_NE(again.GetTemplate(7, 4, 1), nullptr);
  EXPECT_EQ(again.GetTemplate(7, 4, 1)->hull, world.Frame());
  EXPECT_EQ(std::make_tuple(again.GetTemplate(7, 0, 0)->templateId, again.GetTemplate(39, 0, 0)->templateId,
                            again.classStatRanges[5][6]),
            std::make_tuple(7u << 26 | 2, 39u << 26 | 3, 99));
  EXPECT_EQ(box.SavedOf(again), bytes);

  std::string bad = bytes;
  bad[0] = 2;  // a present flag that is neither 0 nor 1
  EXPECT_EQ(box.LoadedInto(again, bad), 0);
  bad = bytes;
  bad.replace(15 * 4, 4, std::string("\xFF\xFF\xFF\x7F", 4));  // chapter 0's extra count
  EXPECT_EQ(box.LoadedInto(again, bad), 0);
  EXPECT_EQ(box.LoadedInto(again, bytes.substr(0, bytes.size() - 1)), 0);
}

}  // namespace
