#include "platform/sound/trackdecoder.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

#include "platform/display/audio.h"
#include "tests/support/temp_dir.h"

namespace {

namespace fs = std::filesystem;

class TrackDecoderTest : public ::testing::Test {
 protected:
  // A sine of `freq` Hz made by an outside encoder; the format follows the name.
  fs::path Track(const std::string& name, int rate, int channels, const char* seconds, int freq) {
    const fs::path file = dir_.path() / name;
    const std::string cmd = "sox -n -r " + std::to_string(rate) + " -c " + std::to_string(channels) + " '" +
                            file.string() + "' synth " + seconds + " sine " + std::to_string(freq) +
                            " vol 0.5 2>/dev/null";
    EXPECT_EQ(std::system(cmd.c_str()), 0) << "sox is needed: scripts/setup installs it";
    return file;
  }

  // Every frame the decoder gives, in blocks of the size the CD thread asks for.
  static std::vector<std::int16_t> DecodeAll(const fs::path& file) {
    auto decoder = plat::TrackDecoder::Open(file);
    EXPECT_NE(decoder, nullptr) << file;
    std::vector<std::int16_t> all;
    if (!decoder) return all;
    std::vector<std::int16_t> block(4096 * plat::kAudioChannels);
    for (int guard = 0; guard < 10000; ++guard) {
      const std::size_t got = decoder->Read(block.data(), 4096);
      if (got == 0) break;
      all.insert(all.end(), block.begin(), block.begin() + static_cast<std::ptrdiff_t>(got * plat::kAudioChannels));
    }
    return all;
  }

  // Upward zero crossings of one channel over its whole length.
  static int Crossings(const std::vector<std::int16_t>& s, int channel) {
    int n = 0;
    for (std::size_t i = plat::kAudioChannels + channel; i < s.size(); i += plat::kAudioChannels)
      if (s[i - plat::kAudioChannels] < 0 && s[i] >= 0) ++n;
    return n;
  }

  quentest::TempDir dir_;
};

// Tracks of any rate and channel count come out at the mix's rate in two
// channels, as long as they play and at their pitch, whichever decoder reads them.
TEST_F(TrackDecoderTest, EveryFormatComesOutAtTheMixRateAndPitch) {
  struct Case {
    const char* name;
    int rate, channels;
  } cases[] = {{"mono22.ogg", 22050, 1},
               {"stereo44.ogg", 44100, 2},
               {"stereo22.ogg", 22050, 2},
               {"stereo44.wav", 44100, 2},
               {"mono11.wav", 11025, 1}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const auto s = DecodeAll(Track(c.name, c.rate, c.channels, "1", 441));
    const double seconds = static_cast<double>(s.size() / plat::kAudioChannels) / plat::kAudioRate;
    EXPECT_NEAR(seconds, 1.0, 0.03);
    EXPECT_NEAR(Crossings(s, 0), 441, 3);
    EXPECT_NEAR(Crossings(s, 1), 441, 3);
    if (c.channels == 1) {
      std::size_t differ = 0;
      for (std::size_t i = 0; i + 1 < s.size(); i += 2) differ += s[i] != s[i + 1];
      EXPECT_EQ(differ, 0u) << "a mono track plays the same on both sides";
    }
  }
}

// A file cut short plays what it holds and ends; a file holding no audio,
// or none at all, or a layout no recording has, does not open.
TEST_F(TrackDecoderTest, DamagedAndForeignFilesEndOrAreRefused) {
  const fs::path whole = Track("whole.ogg", 44100, 2, "10", 441);
  std::vector<char> bytes(fs::file_size(whole));
  std::ifstream(whole, std::ios::binary).read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  const fs::path cut = dir_.path() / "cut.ogg";
  std::ofstream(cut, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size() / 2));
  const double seconds = static_cast<double>(DecodeAll(cut).size() / plat::kAudioChannels) / plat::kAudioRate;
  EXPECT_GT(seconds, 1.0);
  EXPECT_LT(seconds, 6.0);

  const fs::path scrambled = dir_.path() / "scrambled.ogg";
  for (std::size_t i = bytes.size() / 2; i < bytes.size(); i += 97) bytes[i] = static_cast<char>(bytes[i] ^ 0x5A);
  std::ofstream(scrambled, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  const std::size_t played = DecodeAll(scrambled).size() / plat::kAudioChannels;
  EXPECT_GT(played, 1u * plat::kAudioRate);
  EXPECT_LT(played, 6u * plat::kAudioRate);

  // Headers of rates and channel counts no recording has: a billion frames a
  // second made the resampler work out its filter for minutes before the
  // first frame, a million for a fraction of a second and then play.
  for (const auto& [rate, channels] : {std::pair{0x40010000u, 31}, std::pair{0x00100000u, 2}, std::pair{44100u, 40}}) {
    std::vector<char> wav = {'R', 'I', 'F', 'F', 60,  0,  0, 0, 'W', 'A', 'V',
                             'E', 'f', 'm', 't', ' ', 16, 0, 0, 0,   1,   0};
    wav.push_back(static_cast<char>(channels));
    wav.push_back(0);
    for (int shift = 0; shift < 32; shift += 8) wav.push_back(static_cast<char>(rate >> shift));
    for (const char c : std::initializer_list<char>{0, 0, 0, 0, 4, 0, 16, 0, 'd', 'a', 't', 'a', 24, 0, 0, 0})
      wav.push_back(c);
    wav.resize(wav.size() + 24, 7);
    const fs::path absurd = dir_.path() / "absurd.wav";
    std::ofstream(absurd, std::ios::binary).write(wav.data(), static_cast<std::streamsize>(wav.size()));
    EXPECT_EQ(plat::TrackDecoder::Open(absurd), nullptr) << rate << " Hz, " << channels << " channels";
  }

  // Bytes a fuzzer found that FFmpeg opens as audio and then decodes into
  // frames of another layout than it opened with: the resampler read past
  // them. The track ends there (or does not open), whatever FFmpeg makes of it.
  const std::vector<unsigned char> odd = {
      0x52, 0x49, 0x46, 0x46, 0x44, 0x4f, 0x57, 0x01, 0x00, 0x01, 0x00, 0x80, 0xff, 0xff, 0xff, 0xff, 0x10, 0x00,
      0x64, 0x61, 0x74, 0x61, 0x20, 0x03, 0x00, 0x00, 0xbc, 0xb8, 0xb9, 0xdf, 0x00, 0x00, 0x00, 0x52, 0x54, 0x20,
      0x53, 0x43, 0x52, 0x29, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0x10, 0x00, 0x64, 0x61, 0x74, 0x61,
      0x20, 0x03, 0x00, 0x00, 0xd2, 0x18, 0xc6, 0xc6, 0x38, 0xd4, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0x10, 0x00,
      0x9d, 0x9e, 0x8b, 0x9e, 0xdf, 0xfc, 0xff, 0xff, 0x18, 0xc6, 0xc6, 0x49, 0x54, 0x20, 0x53, 0x43,
  };
  const fs::path oddFile = dir_.path() / "odd.wav";
  std::ofstream(oddFile, std::ios::binary)
      .write(reinterpret_cast<const char*>(odd.data()), static_cast<std::streamsize>(odd.size()));
  if (auto decoder = plat::TrackDecoder::Open(oddFile)) {
    std::vector<std::int16_t> block(4096 * plat::kAudioChannels);
    std::size_t frames = 0;
    for (std::size_t got = 1; got != 0 && frames < 60u * plat::kAudioRate; frames += got)
      got = decoder->Read(block.data(), 4096);
    EXPECT_LT(frames, 60u * plat::kAudioRate) << "88 bytes hold no minute of sound";
  }

  const fs::path text = dir_.path() / "notes.ogg";
  std::ofstream(text) << "not a track at all\n";
  EXPECT_EQ(plat::TrackDecoder::Open(text), nullptr);
  EXPECT_EQ(plat::TrackDecoder::Open(dir_.path() / "missing.ogg"), nullptr);
}

}  // namespace
