#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <tuple>
#include <vector>

#include "platform/core/dospath.h"
#include "platform/gdi/bitmaps.h"
#include "platform/sound/dsound.h"
#include "platform/video/avifile.h"
#include "tests/platform/video/avi_writer.h"
#include "tests/support/temp_dir.h"

namespace {

using namespace plat;
using avitest::AviSpec;

struct Movie {
  explicit Movie(const std::vector<std::uint8_t>& bytes) { EXPECT_EQ(AVIFileOpenBytes(&file, bytes), AVIERR_OK); }
  ~Movie() {
    if (video) AVIStreamRelease(video);
    if (audio) AVIStreamRelease(audio);
    AVIFileRelease(file);
  }
  // Both streams of the movie, or a failed assertion.
  void OpenStreams() {
    ASSERT_EQ(AVIFileGetStream(file, &video, streamtypeVIDEO, 0), AVIERR_OK);
    ASSERT_EQ(AVIFileGetStream(file, &audio, streamtypeAUDIO, 0), AVIERR_OK);
  }
  PAVIFILE file = nullptr;
  PAVISTREAM video = nullptr;
  PAVISTREAM audio = nullptr;
};

AviSpec TenFrames() {
  AviSpec s;
  s.frames = avitest::ColourFrames(10, 4);
  s.frames[6].dropped = true;
  s.audioRate = 22050;
  s.channels = 2;
  for (int i = 0; i < 22050 * 10 / 15; ++i) s.audio.push_back(static_cast<std::int16_t>(i));
  return s;
}

TEST(AviFile, StreamsDescribeTheMovie) {
  const AviSpec movie = TenFrames();
  Movie m(avitest::WriteAvi(movie));
  m.OpenStreams();
  PAVISTREAM none = nullptr;
  EXPECT_EQ(AVIFileGetStream(m.file, &none, streamtypeVIDEO, 1), AVIERR_NODATA);
  EXPECT_EQ(none, nullptr);

  AVISTREAMINFO v, a;
  static_assert(sizeof(AVISTREAMINFO) == 140);
  ASSERT_EQ(AVIStreamInfo(m.video, &v, sizeof v), AVIERR_OK);
  EXPECT_EQ(std::make_tuple(v.fccType, static_cast<double>(v.dwRate) / v.dwScale, v.dwLength, v.dwSampleSize,
                            v.dwSuggestedBufferSize),
            std::make_tuple(streamtypeVIDEO, 15.0, 10u, 0u, 32u * 3 * 24));
  ASSERT_EQ(AVIStreamInfo(m.audio, &a, sizeof a), AVIERR_OK);
  EXPECT_EQ(std::make_tuple(a.dwSampleSize, std::size_t{a.dwLength}, static_cast<double>(a.dwRate) / a.dwScale),
            std::make_tuple(4u, movie.audio.size(), 22050.0));
  EXPECT_GT(a.dwSuggestedBufferSize, 0u);
  EXPECT_EQ(a.dwSuggestedBufferSize % 4, 0u);

  LONG size = 0;
  ASSERT_EQ(AVIStreamReadFormat(m.video, 0, nullptr, &size), AVIERR_OK);
  ASSERT_EQ(size, 40);
  BITMAPINFOHEADER bi;
  ASSERT_EQ(AVIStreamReadFormat(m.video, 0, &bi, &size), AVIERR_OK);
  EXPECT_EQ(std::make_tuple(bi.biWidth, bi.biHeight, bi.biBitCount, bi.biCompression), std::make_tuple(32, 24, 24, 0u));
  WAVEFORMATEX wf;
  size = sizeof wf;
  ASSERT_EQ(AVIStreamReadFormat(m.audio, 0, &wf, &size), AVIERR_OK);
  EXPECT_EQ(std::make_tuple(size, wf.wFormatTag, wf.nChannels, wf.nSamplesPerSec, wf.nAvgBytesPerSec),
            std::make_tuple(16, WAVE_FORMAT_PCM, 2, 22050u, 88200u));
}

TEST(AviFile, SamplesReadAsWrittenWithinTheirBounds) {
  const AviSpec movie = TenFrames();
  Movie m(avitest::WriteAvi(movie));
  m.OpenStreams();
  std::vector<std::uint8_t> frame(4000);
  LONG bytes = 0, samples = 0;
  ASSERT_EQ(AVIStreamRead(m.video, 3, 1, frame.data(), 4000, &bytes, &samples), AVIERR_OK);
  ASSERT_EQ(bytes, 32 * 3 * 24);
  EXPECT_EQ(samples, 1);
  const auto raw = avitest::RawFrame(movie, movie.frames[3]);
  EXPECT_TRUE(std::equal(raw.begin(), raw.end(), frame.begin()));
  ASSERT_EQ(AVIStreamRead(m.video, 6, 1, frame.data(), 4000, &bytes, nullptr), AVIERR_OK);
  EXPECT_EQ(bytes, 0) << "a dropped frame reads empty";
  EXPECT_EQ(AVIStreamRead(m.video, 3, 1, frame.data(), 100, &bytes, nullptr), AVIERR_BUFFERTOOSMALL);
  EXPECT_EQ(AVIStreamRead(m.video, 10, 1, frame.data(), 4000, &bytes, nullptr), AVIERR_BADPARAM);
  EXPECT_EQ(AVIStreamRead(m.video, -1, 1, frame.data(), 4000, &bytes, nullptr), AVIERR_BADPARAM);
  ASSERT_EQ(AVIStreamRead(m.video, 3, 1, nullptr, 0, &bytes, nullptr), AVIERR_OK);
  EXPECT_EQ(bytes, 32 * 3 * 24);

  // Sound: what is asked, cut at the end of the stream and at the buffer's size.
  std::vector<std::int16_t> pcm(4000);
  const LONG length = AVIStreamLength(m.audio);
  ASSERT_EQ(AVIStreamRead(m.audio, 100, 50, pcm.data(), 8000, &bytes, &samples), AVIERR_OK);
  EXPECT_EQ(std::make_tuple(samples, bytes, pcm[0], pcm[1], pcm[99]), std::make_tuple(50, 200, 100, 100, 149));
  ASSERT_EQ(AVIStreamRead(m.audio, length - 10, 50, pcm.data(), 8000, &bytes, &samples), AVIERR_OK);
  EXPECT_EQ(samples, 10);
  ASSERT_EQ(AVIStreamRead(m.audio, 0, AVISTREAMREAD_CONVENIENT, pcm.data(), 402, &bytes, &samples), AVIERR_OK);
  EXPECT_EQ(samples, 100);
  EXPECT_EQ(AVIStreamRead(m.audio, length, 1, pcm.data(), 8000, &bytes, &samples), AVIERR_BADPARAM);
}

// IMA ADPCM in blocks of 256 bytes (505 samples each): the stream is counted
// in blocks at the byte rate its header states, not as 16-bit samples.
TEST(AviFile, CompressedSoundKeepsItsOwnRates) {
  AviSpec movie = TenFrames();
  movie.audioRate = 0;
  movie.blockAlign = 256;
  movie.bytesPerSecond = 11155;
  plat::ByteWriter wf;
  for (std::uint16_t v : {0x11, 1}) wf.U16(v);
  wf.U32(22050);
  wf.U32(movie.bytesPerSecond);
  for (std::uint16_t v : {256, 4, 2, 505}) wf.U16(v);
  movie.soundFormat = wf.Take();
  for (std::size_t b = 0; b < movie.frames.size(); ++b)
    movie.soundBlocks.push_back(std::vector<std::uint8_t>(256, static_cast<std::uint8_t>(b)));
  Movie m(avitest::WriteAvi(movie));
  m.OpenStreams();
  AVISTREAMINFO a;
  ASSERT_EQ(AVIStreamInfo(m.audio, &a, sizeof a), AVIERR_OK);
  EXPECT_EQ(std::make_tuple(a.dwSampleSize, a.dwScale, a.dwRate, a.dwLength), std::make_tuple(256u, 256u, 11155u, 10u));
  std::vector<BYTE> format(64);
  LONG size = static_cast<LONG>(format.size());
  ASSERT_EQ(AVIStreamReadFormat(m.audio, 0, format.data(), &size), AVIERR_OK);
  ASSERT_GE(size, 20);
  WAVEFORMATEX wf2;
  std::memcpy(&wf2, format.data(), sizeof wf2);
  EXPECT_EQ(
      std::make_tuple(wf2.wFormatTag, wf2.nSamplesPerSec, wf2.nAvgBytesPerSec, wf2.nBlockAlign, wf2.wBitsPerSample),
      std::make_tuple(0x11, 22050u, 11155u, 256, 4));
  std::vector<BYTE> block(512);
  LONG bytes = 0, samples = 0;
  ASSERT_EQ(AVIStreamRead(m.audio, 3, 1, block.data(), 512, &bytes, &samples), AVIERR_OK);
  EXPECT_EQ(std::make_tuple(bytes, samples, block[0], block[255]), std::make_tuple(256, 1, 3, 3));
}

// An IMA ADPCM stream whose header counts 2041 samples a block at 22,050 a
// second: the stream is timed by its header, not by its format's block and
// byte rate (1024 / 16,000).
TEST(AviFile, SoundIsTimedByItsStreamHeader) {
  AviSpec movie = TenFrames();
  movie.audioRate = 0;
  movie.blockAlign = 1024;
  movie.bytesPerSecond = 16000;
  movie.soundScale = 2041;
  movie.soundRate = 22050;
  plat::ByteWriter wf;
  for (std::uint16_t v : {0x11, 1}) wf.U16(v);
  wf.U32(22050);
  wf.U32(movie.bytesPerSecond);
  for (std::uint16_t v : {1024, 4, 2, 2041}) wf.U16(v);
  movie.soundFormat = wf.Take();
  for (std::size_t b = 0; b < movie.frames.size(); ++b)
    movie.soundBlocks.push_back(std::vector<std::uint8_t>(1024, static_cast<std::uint8_t>(b)));
  Movie m(avitest::WriteAvi(movie));
  m.OpenStreams();
  AVISTREAMINFO a;
  ASSERT_EQ(AVIStreamInfo(m.audio, &a, sizeof a), AVIERR_OK);
  EXPECT_EQ(std::make_tuple(a.dwScale, a.dwRate, a.dwSampleSize, a.dwLength),
            std::make_tuple(2041u, 22050u, 1024u, 10u));
  // Block 3 starts 3 x 2041 samples in: 277.7 ms, rounded up.
  EXPECT_EQ(AVIStreamSampleToTime(m.audio, 3), 278);
  // The video keeps its own timing beside it.
  AVISTREAMINFO v;
  ASSERT_EQ(AVIStreamInfo(m.video, &v, sizeof v), AVIERR_OK);
  EXPECT_EQ(static_cast<double>(v.dwRate) / v.dwScale, 15.0);
}

TEST(AviFile, KeyFramesFoundEitherWay) {
  // Raw frames are all key frames whatever the index says; a codec's are not.
  AviSpec movie = TenFrames();
  movie.compression = "QXYZ";
  for (auto& f : movie.frames) f.bytes = {1, 2, 3};
  Movie m(avitest::WriteAvi(movie));  // keys 0, 4, 8; 6 dropped
  ASSERT_EQ(AVIFileGetStream(m.file, &m.video, streamtypeVIDEO, 0), AVIERR_OK);
  // from, how, found
  for (auto [from, how, found] : {std::tuple{5, FIND_PREV | FIND_KEY, 4},
                                  {4, FIND_PREV | FIND_KEY, 4},
                                  {5, FIND_NEXT | FIND_KEY, 8},
                                  {9, FIND_NEXT | FIND_KEY, -1},
                                  {99, FIND_PREV | FIND_KEY, 8},
                                  {6, FIND_NEXT | FIND_ANY, 7},
                                  {6, FIND_PREV | FIND_ANY, 5}})
    EXPECT_EQ(AVIStreamFindSample(m.video, from, how), found) << from << " " << how;
}

TEST(AviFile, TimesAndSamplesConvertBothWaysWithoutOverflow) {
  Movie m(avitest::WriteAvi(TenFrames()));
  m.OpenStreams();
  for (LONG n : {0, 1, 2, 14, 15, 1000})
    EXPECT_EQ(AVIStreamTimeToSample(m.video, AVIStreamSampleToTime(m.video, n)), n);
  EXPECT_EQ(AVIStreamSampleToTime(m.video, 1), 67);
  EXPECT_EQ(AVIStreamTimeToSample(m.video, 66), 0);
  EXPECT_EQ(AVIStreamTimeToSample(m.audio, 1000), 22050);
  // Products beyond 32 bits: nine hours of frames, a day of sound.
  EXPECT_EQ(AVIStreamSampleToTime(m.video, 30'000'000), 2'000'000'000);
  EXPECT_EQ(AVIStreamTimeToSample(m.audio, 86'400'000), 22050 * 86400);
}

TEST(AviFile, OpeningRefusesWhatItCannotRead) {
  quentest::TempDir dir("avifile");
  SetDrive('T', dir.path());
  PAVIFILE f = nullptr;
  EXPECT_EQ(AVIFileOpen(&f, "T:\\missing.avi", OF_SHARE_DENY_WRITE, nullptr), AVIERR_FILEOPEN);
  std::ofstream(dir.path() / "text.avi") << "RIFF not really a movie";
  EXPECT_EQ(AVIFileOpen(&f, "T:\\TEXT.AVI", OF_SHARE_DENY_WRITE, nullptr), AVIERR_BADFORMAT);
  const auto bytes = avitest::WriteAvi(TenFrames());
  std::ofstream(dir.path() / "good.avi", std::ios::binary)
      .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  EXPECT_EQ(AVIFileOpen(&f, "T:\\good.avi", OF_WRITE, nullptr), AVIERR_READONLY);
  ASSERT_EQ(AVIFileOpen(&f, "T:\\good.avi", OF_SHARE_DENY_WRITE, nullptr), AVIERR_OK);
  PAVISTREAM s = nullptr;
  ASSERT_EQ(AVIFileGetStream(f, &s, streamtypeVIDEO, 0), AVIERR_OK);
  // The stream outlives its file.
  EXPECT_EQ(AVIFileRelease(f), 0u);
  EXPECT_EQ(AVIStreamLength(s), 10);
  AVIStreamRelease(s);
  ClearDrives();

  // A movie of sound only has no video stream; one cut short keeps what is whole.
  AviSpec sound = TenFrames();
  sound.video = false;
  Movie m(avitest::WriteAvi(sound));
  PAVISTREAM v = nullptr;
  EXPECT_EQ(AVIFileGetStream(m.file, &v, streamtypeVIDEO, 0), AVIERR_NODATA);
  auto cut = avitest::WriteAvi(TenFrames());
  cut.resize(cut.size() / 2);
  Movie half(cut);
  ASSERT_EQ(AVIFileGetStream(half.file, &half.video, streamtypeVIDEO, 0), AVIERR_OK);
  EXPECT_GT(AVIStreamLength(half.video), 2);
  EXPECT_LT(AVIStreamLength(half.video), 10);

  // A header's picture size too large to count reads without overflowing.
  AviSpec wide;
  wide.width = 0x08000000;
  wide.height = 1;
  wide.frames.resize(2);
  for (auto& frame : wide.frames) frame.bytes = {1, 2, 3, 4};
  Movie huge(avitest::WriteAvi(wide));
  if (AVIFileGetStream(huge.file, &huge.video, streamtypeVIDEO, 0) == AVIERR_OK) {
    BITMAPINFOHEADER format;
    LONG size = sizeof format;
    ASSERT_EQ(AVIStreamReadFormat(huge.video, 0, &format, &size), AVIERR_OK);
    EXPECT_EQ(format.biWidth, 0x08000000);
    EXPECT_GE(format.biSizeImage, 0x01000000u);
  }
}

}  // namespace
