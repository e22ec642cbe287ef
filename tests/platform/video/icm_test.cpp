#include <gtest/gtest.h>

#include <array>
#include <cstdlib>
#include <cstring>
#include <tuple>
#include <vector>

#include "platform/backend/headless.h"
#include "platform/gdi/dc.h"
#include "platform/video/avifile.h"
#include "platform/video/drawdib.h"
#include "platform/video/icm.h"
#include "tests/platform/video/avi_writer.h"
#include "tests/support/temp_dir.h"

namespace {

using namespace plat;

// A DIB header followed by room for a colour table or masks.
struct Dib {
  Dib(LONG w, LONG h, WORD bits, DWORD compression = BI_RGB) : info(*reinterpret_cast<BITMAPINFO*>(storage)) {
    info.bmiHeader = {};
    info.bmiHeader.biWidth = w;
    info.bmiHeader.biHeight = h;
    info.bmiHeader.biBitCount = bits;
    info.bmiHeader.biCompression = compression;
    pixels.resize((static_cast<std::size_t>(w) * bits + 31) / 32 * 4 * static_cast<std::size_t>(std::abs(h)));
  }
  BITMAPINFOHEADER* header() { return &info.bmiHeader; }
  // The top-down pixel (x, y) of a bottom-up DIB.
  const BYTE* At(int x, int y) {
    const auto pitch = (static_cast<std::size_t>(info.bmiHeader.biWidth) * info.bmiHeader.biBitCount + 31) / 32 * 4;
    const LONG h = info.bmiHeader.biHeight;
    const auto row = static_cast<std::size_t>(h > 0 ? h - 1 - y : y);
    return pixels.data() + row * pitch + static_cast<std::size_t>(x) * info.bmiHeader.biBitCount / 8;
  }
  RGBQUAD* Colors() { return reinterpret_cast<RGBQUAD*>(storage + 40); }
  alignas(4) BYTE storage[40 + 1024] = {};
  BITMAPINFO& info;
  std::vector<BYTE> pixels;
};

class Codec : public ::testing::Test {
 protected:
  void SetUp() override {
    spec_.width = 8;
    spec_.height = 4;
    spec_.frames = avitest::ColourFrames(2);
    spec_.frames[0].rgb = {255, 0, 0};
    spec_.frames[1].rgb = {0, 0, 255};
    in_.biWidth = 8;
    in_.biHeight = 4;
    in_.biBitCount = 24;
    codec_ = ICLocate(ICTYPE_VIDEO, 0, &in_, nullptr, ICMODE_DECOMPRESS);
    ASSERT_NE(codec_, nullptr);
  }
  void TearDown() override {
    if (codec_) ICClose(codec_);
  }
  LRESULT Decode(int frame, Dib& out, int xd, int yd, int dxd, int dyd, DWORD flags = 0) {
    auto bytes = avitest::RawFrame(spec_, spec_.frames[static_cast<std::size_t>(frame)]);
    in_.biSizeImage = static_cast<DWORD>(bytes.size());
    ICDECOMPRESSEX d{flags, &in_, bytes.data(), out.header(), out.pixels.data(), xd, yd, dxd, dyd, 0, 0, 8, 4};
    return ICDecompressEx(codec_, d);
  }
  avitest::AviSpec spec_;
  BITMAPINFOHEADER in_;
  HIC codec_ = nullptr;
};

TEST_F(Codec, RawFramesDecodeIntoEveryDepthAndPlace) {
  Dib rgb(8, 4, 24);
  ASSERT_EQ(Decode(0, rgb, 0, 0, 8, 4), ICERR_OK);
  EXPECT_EQ(std::make_tuple(rgb.At(3, 0)[2], rgb.At(3, 0)[0]), std::make_tuple(255, 0));

  // Into the lower right quarter of a larger, top-down 16-bit picture, halved.
  Dib wide(16, -8, 16);
  ASSERT_EQ(Decode(1, wide, 8, 4, 4, 2), ICERR_OK);
  EXPECT_EQ(wide.At(9, 5)[0] | wide.At(9, 5)[1] << 8, 0x001F);
  EXPECT_EQ(wide.At(2, 2)[0] | wide.At(2, 2)[1] << 8, 0) << "outside the rectangle nothing changes";

  Dib masks(8, 4, 16, BI_BITFIELDS);
  const DWORD m565[3] = {0xF800, 0x07E0, 0x001F};
  std::memcpy(masks.Colors(), m565, sizeof m565);
  ASSERT_EQ(Decode(0, masks, 0, 0, 8, 4), ICERR_OK);
  EXPECT_EQ(masks.At(0, 0)[0] | masks.At(0, 0)[1] << 8, 0xF800);

  Dib quad(8, 4, 32);
  ASSERT_EQ(Decode(1, quad, 0, 0, 8, 4), ICERR_OK);
  EXPECT_EQ(quad.At(7, 3)[0], 255);

  // Hurrying decodes without drawing.
  Dib kept(8, 4, 24);
  ASSERT_EQ(Decode(0, kept, 0, 0, 8, 4, ICDECOMPRESS_HURRYUP), ICERR_OK);
  EXPECT_EQ(kept.At(0, 0)[2], 0);

  // Rectangles outside either picture are refused.
  EXPECT_EQ(Decode(0, rgb, 4, 0, 8, 4), ICERR_BADPARAM);
  Dib odd(8, 4, 12);
  EXPECT_EQ(Decode(0, odd, 0, 0, 8, 4), ICERR_BADFORMAT);
}

TEST_F(Codec, EightBitOutputFollowsThePaletteGiven) {
  Dib out(8, 4, 8);
  ASSERT_EQ(ICDecompressGetPalette(codec_, &in_, &out.info), ICERR_OK);
  EXPECT_EQ(out.info.bmiHeader.biClrUsed, 256u);
  ASSERT_EQ(Decode(0, out, 0, 0, 8, 4), ICERR_OK);
  const RGBQUAD red = out.Colors()[*out.At(2, 1)];
  EXPECT_EQ(std::make_tuple(red.rgbRed, red.rgbGreen), std::make_tuple(255, 0));

  // A palette of the caller's: pure blue sits at 77.
  Dib given(8, 4, 8);
  given.info.bmiHeader.biClrUsed = 256;
  for (int i = 0; i < 256; ++i) given.Colors()[i] = {static_cast<BYTE>(i / 2), 90, 90, 0};
  given.Colors()[77] = {255, 0, 0, 0};
  ASSERT_EQ(ICDecompressSetPalette(codec_, &given.info), ICERR_OK);
  ASSERT_EQ(Decode(1, given, 0, 0, 8, 4), ICERR_OK);
  for (int x = 0; x < 8; ++x) EXPECT_EQ(*given.At(x, 2), 77);
  ASSERT_EQ(ICDecompressSetPalette(codec_, nullptr), ICERR_OK);
  Dib back(8, 4, 8);
  ASSERT_EQ(ICDecompressGetPalette(codec_, &in_, &back.info), ICERR_OK);
  EXPECT_EQ(std::memcmp(back.Colors(), out.Colors(), 1024), 0);
}

TEST(CodecLocate, OnlyFormatsFFmpegDecodes) {
  BITMAPINFOHEADER in;
  in.biWidth = 16;
  in.biHeight = 16;
  in.biBitCount = 24;
  in.biCompression = avitest::Cc("QXYZ");
  EXPECT_EQ(ICLocate(ICTYPE_VIDEO, 0, &in, nullptr, ICMODE_DECOMPRESS), nullptr);
  in.biCompression = avitest::Cc("FMP4");
  HIC mpeg4 = ICLocate(ICTYPE_VIDEO, 0, &in, nullptr, ICMODE_DECOMPRESS);
  EXPECT_NE(mpeg4, nullptr);
  EXPECT_EQ(ICSendMessage(mpeg4, ICM_DRAW_BEGIN, 0, 0), ICERR_UNSUPPORTED);
  ICClose(mpeg4);
  EXPECT_EQ(ICLocate(avitest::Cc("auds"), 0, &in, nullptr, ICMODE_DECOMPRESS), nullptr);
  in.biWidth = 0;
  EXPECT_EQ(ICLocate(ICTYPE_VIDEO, 0, &in, nullptr, ICMODE_DECOMPRESS), nullptr);
}

// A movie FFmpeg's own program encodes as the game's are: MPEG-4 with a key
// frame every fifth frame, decoded frame after frame.
TEST(CodecLocate, MpegFourMovieDecodesFrameAfterFrame) {
  quentest::TempDir dir("icm");
  const auto path = dir.path() / "m.avi";
  const std::string command =
      "ffmpeg -nostdin -loglevel error -y -f lavfi -i color=c=red:size=64x48:rate=15 -t 1 "
      "-c:v mpeg4 -g 5 -threads 1 '" +
      path.string() + "'";
  ASSERT_EQ(std::system(command.c_str()), 0) << "ffmpeg is needed (scripts/setup installs it)";
  PAVIFILE file = nullptr;
  PAVISTREAM video = nullptr;
  ASSERT_EQ(AVIFileOpen(&file, path.c_str(), OF_SHARE_DENY_WRITE, nullptr), AVIERR_OK);
  ASSERT_EQ(AVIFileGetStream(file, &video, streamtypeVIDEO, 0), AVIERR_OK);
  EXPECT_EQ(AVIStreamLength(video), 15);
  EXPECT_EQ(std::make_tuple(AVIStreamFindSample(video, 7, FIND_PREV | FIND_KEY),
                            AVIStreamFindSample(video, 7, FIND_NEXT | FIND_KEY)),
            std::make_tuple(5, 10));
  BITMAPINFOHEADER in;
  LONG size = sizeof in;
  ASSERT_EQ(AVIStreamReadFormat(video, 0, &in, &size), AVIERR_OK);
  ASSERT_EQ(size, 40);
  HIC codec = ICLocate(ICTYPE_VIDEO, 0, &in, nullptr, ICMODE_DECOMPRESS);
  ASSERT_NE(codec, nullptr);
  Dib out(64, 48, 24);
  std::vector<BYTE> frame(100000);
  for (LONG n = 0; n < 15; ++n) {
    LONG bytes = 0;
    ASSERT_EQ(AVIStreamRead(video, n, 1, frame.data(), 100000, &bytes, nullptr), AVIERR_OK);
    in.biSizeImage = static_cast<DWORD>(bytes);
    ICDECOMPRESSEX d{0, &in, frame.data(), out.header(), out.pixels.data(), 0, 0, 64, 48, 0, 0, 64, 48};
    ASSERT_EQ(ICDecompressEx(codec, d), ICERR_OK) << n;
    EXPECT_GT(out.At(30, 20)[2], 230) << n;
    EXPECT_LT(out.At(30, 20)[1], 25) << n;
  }
  ICClose(codec);
  AVIStreamRelease(video);
  AVIFileRelease(file);
}

// A raw movie stored top-down (a negative height in its header): its format
// says so, and its first row in the file is the top row of the picture.
TEST(CodecLocate, TopDownRawMovieShowsItsFirstRowOnTop) {
  avitest::AviSpec movie;
  movie.width = 4;
  movie.height = 3;
  movie.topDown = true;
  avitest::Frame frame;
  // Rows from the top: red, then blue; pixels as the file stores them (B, G, R).
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 4; ++x)
      for (BYTE c : y == 0 ? std::array<BYTE, 3>{0, 0, 250} : std::array<BYTE, 3>{250, 0, 0}) frame.bytes.push_back(c);
  movie.frames = {frame, frame};
  PAVIFILE file = nullptr;
  PAVISTREAM video = nullptr;
  ASSERT_EQ(AVIFileOpenBytes(&file, avitest::WriteAvi(movie)), AVIERR_OK);
  ASSERT_EQ(AVIFileGetStream(file, &video, streamtypeVIDEO, 0), AVIERR_OK);
  BITMAPINFOHEADER in;
  LONG size = sizeof in;
  ASSERT_EQ(AVIStreamReadFormat(video, 0, &in, &size), AVIERR_OK);
  EXPECT_EQ(in.biHeight, -3);
  HIC codec = ICLocate(ICTYPE_VIDEO, 0, &in, nullptr, ICMODE_DECOMPRESS);
  ASSERT_NE(codec, nullptr);
  std::vector<BYTE> bytes(64);
  LONG read = 0;
  ASSERT_EQ(AVIStreamRead(video, 0, 1, bytes.data(), 64, &read, nullptr), AVIERR_OK);
  in.biSizeImage = static_cast<DWORD>(read);
  for (LONG h : {3, -3}) {
    Dib out(4, h, 24);
    ICDECOMPRESSEX d{0, &in, bytes.data(), out.header(), out.pixels.data(), 0, 0, 4, 3, 0, 0, 4, 3};
    ASSERT_EQ(ICDecompressEx(codec, d), ICERR_OK);
    EXPECT_EQ(std::make_tuple(out.At(1, 0)[2], out.At(1, 0)[0]), std::make_tuple(250, 0)) << h;
    EXPECT_EQ(std::make_tuple(out.At(1, 2)[2], out.At(1, 2)[0]), std::make_tuple(0, 250)) << h;
  }
  ICClose(codec);
  AVIStreamRelease(video);
  AVIFileRelease(file);
}

TEST(DrawDib, DrawsAndStretchesDibsOntoADc) {
  StartHeadlessBackend();
  Dib target(8, 8, 24);
  void* bits = nullptr;
  HBITMAP section = CreateDIBSection(nullptr, &target.info, DIB_RGB_COLORS, &bits, nullptr, 0);
  ASSERT_NE(section, nullptr);
  HDC dc = CreateCompatibleDC(nullptr);
  SelectObject(dc, section);
  HDRAWDIB dd = DrawDibOpen();

  Dib quad(2, 2, 32);
  for (int i = 0; i < 4; ++i) quad.pixels[static_cast<std::size_t>(i) * 4 + 1] = 200;  // green
  ASSERT_TRUE(DrawDibDraw(dd, dc, 2, 2, 4, 4, quad.header(), quad.pixels.data(), 0, 0, -1, -1, 0));
  Dib indexed(2, 2, 8);
  indexed.info.bmiHeader.biClrUsed = 2;
  indexed.Colors()[1] = {0, 0, 250, 0};
  std::fill(indexed.pixels.begin(), indexed.pixels.end(), 1);
  ASSERT_TRUE(DrawDibDraw(dd, dc, 0, 0, -1, -1, indexed.header(), indexed.pixels.data(), 0, 0, -1, -1, 0));
  const auto px = [&](int x, int y) {
    return static_cast<const BYTE*>(bits) + static_cast<std::size_t>(7 - y) * 24 + static_cast<std::size_t>(x) * 3;
  };
  EXPECT_EQ(std::make_tuple(px(5, 5)[1], px(6, 6)[1], px(1, 1)[2]), std::make_tuple(200, 0, 250));
  Dib twelve(2, 2, 12);
  EXPECT_FALSE(DrawDibDraw(dd, dc, 0, 0, -1, -1, twelve.header(), twelve.pixels.data(), 0, 0, -1, -1, 0));
  EXPECT_TRUE(DrawDibEnd(dd));
  EXPECT_TRUE(DrawDibClose(dd));
  DeleteDC(dc);
  DeleteObject(section);
  StopBackend();
}

}  // namespace
