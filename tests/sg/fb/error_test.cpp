// The device error report: its text table and where the report goes.

#include "support/fbfixture.h"

#include <set>

#include "sg/fb/sgerr.h"

namespace fbtest {
namespace {

TEST(ErrorText, TableHasEveryCodeOnceInOrder) {
  const auto table = ISGDDErrorTable();
  EXPECT_EQ(table.size(), 130u);
  std::set<std::uint32_t> codes;
  for (std::size_t i = 0; i < table.size(); ++i) {
    codes.insert(table[i].code);
    if (i > 0) {
      EXPECT_LT(table[i - 1].code, table[i].code);
    }
    EXPECT_EQ(ISGDDErrorText(static_cast<std::int32_t>(table[i].code)), table[i].text);
  }
  EXPECT_EQ(codes.size(), 130u);
}

TEST(ErrorText, TellingRows) {
  const struct {
    std::uint32_t code;
    const char* text;
  } rows[] = {
      {0, "No error."},
      {0x8007000E, "DirectDraw does not have enough memory to perform the operation."},
      {0x8876017C, "DirectDraw does not have enough memory to perform the operation."},
      {0x88760078, "DirectDraw does not support the requested mode."},
      {0x8876021C,
       "Informs DirectDraw that the previous Blt which is transfering information to or from this "
       "Surface is incomplete."},
      {0x88760248,
       "Surface was not locked.  An attempt to unlock a surface that was not locked at all, or by "
       "this process, has been attempted."},
      {0x887602EE, "D3DERR_LIGHT_SET_FAILED"},
      {0x88760313, "The file was not found."},
      {0x887601C3, "Unrecognized error value."},
      {0xFFFFFFFF, "Unrecognized error value."},
  };
  for (const auto& r : rows) {
    EXPECT_STREQ(ISGDDErrorText(static_cast<std::int32_t>(r.code)), r.text) << std::hex << r.code;
  }
}

using Report = FrameBufferTest;

TEST_F(Report, WithoutWindowGoesToTheErrorFile) {
  ISGErrorReportResult(nullptr, "creating direct draw\n%s", DDERR_INVALIDMODE);
  const std::string entry =
      "SG ERROR BEFORE OR AFTER WINDOW:\r\nSG: creating direct draw\nDirectDraw does not support the "
      "requested "
      "mode.\r\n";
  EXPECT_EQ(ErrorFile(), entry);
  // A frame buffer whose device has no window yet reports the same way.
  SGFrameBuffer fb{};
  SGDDInfo ddi{};
  ddi.ddiDD = dd_;
  fb.fbDDI = &ddi;
  ISGErrorReport(&fb, "bad bits per pixel\n", "");
  EXPECT_EQ(ErrorFile(), entry + "SG ERROR BEFORE OR AFTER WINDOW:\r\nSG: bad bits per pixel\n\r\n");
}

TEST_F(Report, LongMessageIsCutToItsBuffer) {
  ISGErrorReport(nullptr, "%s", std::string(400, 'x').c_str());
  const std::string header = "SG ERROR BEFORE OR AFTER WINDOW:\r\n";
  EXPECT_EQ(ErrorFile(), header + "SG: " + std::string(SG_ERROR_REPORT_SIZE - 1 - 4, 'x'));
}

TEST_F(Report, UnwritableLocationDropsTheReport) {
  std::filesystem::create_directory(drive_.Host("SGERR.TXT"));  // a folder where the file should go
  ISGErrorReport(nullptr, "creating palette\n%s", "x");
  EXPECT_TRUE(std::filesystem::is_directory(drive_.Host("SGERR.TXT")));
}

}  // namespace
}  // namespace fbtest
