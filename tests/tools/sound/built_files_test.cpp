// The sound, voice, music and movie files of the inventory, as the data build
// laid them out, open with the game's own readers.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <initializer_list>
#include <string_view>
#include <utility>
#include <vector>

#include "media/WavFile.h"
#include "platform/core/dospath.h"
#include "platform/sound/trackdecoder.h"
#include "tools/art/inventory.h"
#include "tools/music/loudness.h"

namespace {

namespace fs = std::filesystem;

const fs::path kTree = fs::path(QUEN_BUILD_DIR) / "gamedata";

class BuiltFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    plat::SetDrive('C', kTree / "c");
    plat::SetDrive('D', kTree / "d", plat::DriveType::CdRom);
    inventory_ = art::ReadInventory(fs::path(QUEN_SOURCE_DIR) / "data" / "assets");
  }
  void TearDown() override { plat::ClearDrives(); }

  // The DOS path the game would build for a file of a container.
  static std::string DosPath(const art::Container& c, const art::Asset& a) {
    std::string path = c.path.rfind("CD:", 0) == 0 ? "D:\\" + c.path.substr(3) : "C:\\QUENBAR\\" + c.path;
    for (char& ch : path) ch = ch == '/' ? '\\' : ch;
    return path + "\\" + a.name;
  }

  // Frames the game's track decoder reads from a file, up to a limit.
  static std::size_t DecodedFrames(const fs::path& path, std::size_t limit) {
    auto decoder = plat::TrackDecoder::Open(path);
    if (!decoder) return 0;
    std::vector<std::int16_t> buffer(2 * 4096);
    std::size_t frames = 0;
    while (frames < limit) {
      const std::size_t n = decoder->Read(buffer.data(), 4096);
      if (n == 0) break;
      frames += n;
    }
    return frames;
  }

  // The assets of the inventory of any of `kinds`, with their containers.
  std::vector<std::pair<const art::Container*, const art::Asset*>> Assets(
      std::initializer_list<std::string_view> kinds) const {
    std::vector<std::pair<const art::Container*, const art::Asset*>> out;
    for (const auto& c : inventory_.containers)
      for (const auto& a : c.assets)
        if (std::find(kinds.begin(), kinds.end(), a.kind) != kinds.end()) out.emplace_back(&c, &a);
    return out;
  }

  art::Inventory inventory_;
};

}  // namespace

TEST_F(BuiltFiles, EverySoundAndVoiceIsPcmTheWavReaderAccepts) {
  const auto sounds = Assets({"effect", "voice"});
  EXPECT_EQ(sounds.size(), 50u + 5 * 38);
  for (const auto& [c, a] : sounds) {
    const std::string path = DosPath(*c, *a);
    plat::HMMIO file = nullptr;
    std::unique_ptr<WavFormat> format;
    plat::MMCKINFO riff, data;
    ASSERT_EQ(WavOpen(path.c_str(), &file, &format, &riff), 0u) << path;
    EXPECT_EQ(format->head.wFormatTag, 1) << path;
    EXPECT_EQ(format->head.wBitsPerSample, 16) << path;
    EXPECT_EQ(WavSeekData(file, &data, &riff), 0u) << path;
    EXPECT_GT(data.cksize, 1000u) << path;
    WavClose(&file, &format);
  }
}

TEST_F(BuiltFiles, MusicTracksDecodeForAMinuteOrMore) {
  const auto tracks = Assets({"music"});
  EXPECT_EQ(tracks.size(), 10u);
  for (const auto& [c, a] : tracks) {
    const fs::path path = kTree / art::TreeFolder(*c) / a->name;
    EXPECT_GE(DecodedFrames(path, 61 * 44100), 59u * 44100u) << path;
  }
}

TEST_F(BuiltFiles, MusicTracksRunTwoMinutesAtTheTargetLoudness) {
  for (const auto& [c, a] : Assets({"music"})) {
    const fs::path path = kTree / art::TreeFolder(*c) / a->name;
    auto decoder = plat::TrackDecoder::Open(path);
    ASSERT_TRUE(decoder) << path;
    std::vector<std::int16_t> pcm;
    std::vector<std::int16_t> buffer(2 * 4096);
    while (pcm.size() < 2u * 200 * 44100) {
      const std::size_t n = decoder->Read(buffer.data(), 4096);
      if (n == 0) break;
      pcm.insert(pcm.end(), buffer.begin(), buffer.begin() + static_cast<std::ptrdiff_t>(2 * n));
    }
    std::vector<float> stereo(pcm.size());
    for (std::size_t i = 0; i < pcm.size(); ++i) stereo[i] = pcm[i] / 32768.0f;
    EXPECT_GE(stereo.size() / 2, 120u * 44100u) << path;
    EXPECT_NEAR(music::IntegratedLoudness(stereo, 44100), music::kTargetLufs, 1.0) << path;
  }
}

TEST_F(BuiltFiles, MoviesAreAviWithMpeg4VideoAndSoundFfmpegReads) {
  const auto movies = Assets({"movie"});
  EXPECT_EQ(movies.size(), 5u);
  for (const auto& [c, a] : movies) {
    const fs::path path = kTree / art::TreeFolder(*c) / a->name;
    std::ifstream in(path, std::ios::binary);
    std::string head(4096, '\0');
    in.read(head.data(), static_cast<std::streamsize>(head.size()));
    EXPECT_EQ(head.substr(0, 4), "RIFF") << path;
    EXPECT_EQ(head.substr(8, 4), "AVI ") << path;
    EXPECT_NE(head.find("vids"), std::string::npos) << path;
    EXPECT_NE(head.find("FMP4"), std::string::npos) << path;          // FFmpeg's MPEG-4 part 2
    EXPECT_GE(DecodedFrames(path, 10 * 44100), 5u * 44100u) << path;  // the soundtrack
    // every video frame decodes with FFmpeg's decoder (until the game's movie decoder can say so)
    const std::string decode = "ffmpeg -v error -nostdin -i '" + path.string() + "' -map 0:v -f null - 2>&1";
    EXPECT_EQ(std::system(decode.c_str()), 0) << path;
  }
}
