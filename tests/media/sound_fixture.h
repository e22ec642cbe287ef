#pragma once
// A scratch drive T: of WAV files and a CD drive D: for the sound player
// tests, on the headless backend's memory audio output.

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "media/CSndPlay.h"
#include "platform/backend/headless.h"
#include "platform/core/bytes.h"
#include "platform/core/clock.h"
#include "platform/core/dospath.h"
#include "platform/display/audio.h"
#include "tests/support/temp_dir.h"

namespace mediatest {

using namespace plat;

// A RIFF WAVE image: chunks given as (id, bytes).
inline std::vector<std::uint8_t> Riff(const std::vector<std::pair<std::string, std::vector<std::uint8_t>>>& chunks,
                                      const char* form = "WAVE") {
  ByteWriter body;
  body.Chars(form);
  for (const auto& [id, bytes] : chunks) {
    body.Chars(id);
    body.U32(static_cast<std::uint32_t>(bytes.size()));
    body.WriteBytes(bytes);
    if (bytes.size() & 1) body.U8(0);
  }
  ByteWriter out;
  out.Chars("RIFF");
  out.U32(static_cast<std::uint32_t>(body.Size()));
  out.WriteBytes(body.Data());
  return out.Take();
}

inline std::vector<std::uint8_t> Fmt(std::uint16_t tag, std::uint16_t channels, std::uint32_t rate,
                                     std::uint16_t bits) {
  const auto align = static_cast<std::uint16_t>(channels * bits / 8);
  ByteWriter w;
  for (std::uint16_t v : {tag, channels}) w.U16(v);
  for (std::uint32_t v : {rate, rate * align}) w.U32(v);
  for (std::uint16_t v : {align, bits}) w.U16(v);
  return w.Take();
}

// 16-bit mono samples of one value per tenth of a second: 300, 600, ...
inline std::vector<std::uint8_t> Steps(std::uint32_t rate, int tenths) {
  ByteWriter w;
  for (int t = 0; t < tenths; ++t)
    for (std::uint32_t i = 0; i < rate / 10; ++i) w.I16(static_cast<std::int16_t>((t + 1) * 300));
  return w.Take();
}

class SoundPlayerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    backend_ = &StartHeadlessBackend();
    std::filesystem::create_directories(dir_ / "sound");
    std::filesystem::create_directories(dir_ / "cd" / "Avi");
    std::filesystem::create_directories(dir_ / "cd" / "MUSIC");
    SetDrive('T', dir_);
    SetDrive('D', dir_ / "cd", DriveType::CdRom);
    CSndPlay::soundPathSource = [](char* out, std::size_t size) {
      std::snprintf(out, size, "T:\\sound\\");
      return true;
    };
  }
  void TearDown() override {
    player_.reset();
    CSndPlay::soundPathSource = nullptr;
    StopBackend();
    ClearDrives();
  }
  void Write(const std::string& name, const std::vector<std::uint8_t>& bytes) {
    quentest::WriteHostFile(dir_ / name, std::string(bytes.begin(), bytes.end()));
  }
  CSndPlay& Player(short music = 0, short effects = 3) {
    player_ = std::make_unique<CSndPlay>();
    player_->Init(nullptr, music, effects, 1);
    return *player_;
  }
  // Runs the main window's 90 ms timer for `ms`.
  void Tick(CSndPlay& p, DWORD ms) {
    for (DWORD t = 0; t < ms; t += 90) {
      AdvanceVirtualClock(90);
      p.OnTimer(timeGetTime());
    }
  }

  HeadlessBackend* backend_ = nullptr;
  quentest::TempDir tmp_{"quen_sndplay"};
  const std::filesystem::path& dir_ = tmp_.path();
  std::unique_ptr<CSndPlay> player_;
};

}  // namespace mediatest
