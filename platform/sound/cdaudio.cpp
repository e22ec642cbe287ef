#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/core/dospath.h"
#include "platform/core/lifelong.h"
#include "platform/display/audio.h"
#include "platform/sound/mci.h"
#include "platform/sound/mixer.h"
#include "platform/sound/trackdecoder.h"
#include "platform/user/queue.h"

namespace plat {
namespace {

constexpr MCIDEVICEID kCdDevice = 1;
constexpr std::size_t kRingFrames = kAudioRate;  // a second decoded ahead
constexpr std::size_t kDecodeBlock = 4096;
constexpr auto kPrepareWait = std::chrono::seconds(5);

// The drive holding the game CD: the first CD-ROM drive.
char CdDrive() {
  for (char d = 'C'; d <= 'Z'; ++d)
    if (GetDriveType(d) == DriveType::CdRom) return d;
  return 0;
}

std::optional<std::filesystem::path> TrackFile(char drive, int track) {
  char pattern[32];
  std::snprintf(pattern, sizeof pattern, "%c:\\MUSIC\\TRACK%02d.*", drive, track);
  _finddata_t found;
  const std::intptr_t h = _findfirst(pattern, &found);
  if (h == -1) return std::nullopt;
  _findclose(h);
  std::string dos = std::string(pattern, std::strlen(pattern) - std::strlen("TRACK00.*")) + found.name;
  return ResolveDosPath(dos);
}

// Plays a list of track files through the mix, decoded ahead on its own
// thread into a ring of one second. Never destroyed: the audio output's
// thread mixes it until the process ends.
class CdPlayer final : public AudioSource {
 public:
  CdPlayer() : ring_(kRingFrames * kAudioChannels) { AddAudioSource(this); }

  void Start(std::vector<std::filesystem::path> files, HWND notify) {
    Stop();
    std::lock_guard lock(mutex_);
    readAt_ = count_ = 0;
    decoded_ = finished_ = stop_ = false;
    playing_ = true;
    notify_ = notify;
    worker_ = std::thread([this, files = std::move(files)] { Decode(files); });
  }

  // Ends a play; a pending notification is posted as aborted.
  void Stop() {
    {
      std::lock_guard lock(mutex_);
      stop_ = true;
      playing_ = false;
    }
    changed_.notify_all();
    if (worker_.joinable()) worker_.join();
    PostOnce(MCI_NOTIFY_ABORTED);
  }

  void SetGains(float left, float right) {
    std::lock_guard lock(mutex_);
    gainLeft_ = left;
    gainRight_ = right;
  }

  void MixInto(std::int32_t* mix, std::size_t frames) override {
    std::unique_lock lock(mutex_);
    if (!playing_) return;
    const std::size_t n = std::min(frames, count_);
    for (std::size_t i = 0; i < n; ++i) {
      const std::size_t at = ((readAt_ + i) % kRingFrames) * kAudioChannels;
      mix[2 * i] += static_cast<std::int32_t>(static_cast<float>(ring_[at]) * gainLeft_);
      mix[2 * i + 1] += static_cast<std::int32_t>(static_cast<float>(ring_[at + 1]) * gainRight_);
    }
    readAt_ = (readAt_ + n) % kRingFrames;
    count_ -= n;
    if (count_ == 0 && decoded_) {
      playing_ = false;
      finished_ = true;
    }
    lock.unlock();
    changed_.notify_all();
  }

  void Prepare(std::size_t frames) override {
    {
      std::unique_lock lock(mutex_);
      if (playing_)
        changed_.wait_for(lock, kPrepareWait,
                          [&] { return count_ >= std::min(frames, kRingFrames) || decoded_ || stop_; });
    }
    PostIfFinished();
  }

 private:
  void Decode(const std::vector<std::filesystem::path>& files) {
    std::vector<std::int16_t> block(kDecodeBlock * kAudioChannels);
    for (const auto& file : files) {
      auto decoder = TrackDecoder::Open(file);
      if (!decoder) continue;
      for (;;) {
        const std::size_t got = decoder->Read(block.data(), kDecodeBlock);
        if (got == 0) break;
        std::size_t put = 0;
        while (put < got) {
          std::unique_lock lock(mutex_);
          changed_.wait(lock, [&] { return count_ < kRingFrames || stop_; });
          if (stop_) return;
          const std::size_t n = std::min(got - put, kRingFrames - count_);
          for (std::size_t i = 0; i < n; ++i) {
            const std::size_t at = ((readAt_ + count_ + i) % kRingFrames) * kAudioChannels;
            ring_[at] = block[(put + i) * kAudioChannels];
            ring_[at + 1] = block[(put + i) * kAudioChannels + 1];
          }
          count_ += n;
          put += n;
          lock.unlock();
          changed_.notify_all();
        }
      }
    }
    {
      std::unique_lock lock(mutex_);
      decoded_ = true;
      if (count_ == 0) {
        playing_ = false;
        finished_ = true;
      }
      changed_.notify_all();
      // Real time: wait for the mix to drain the ring, then tell the window.
      changed_.wait(lock, [&] { return finished_ || stop_; });
    }
    PostIfFinished();
  }

  void PostIfFinished() {
    bool done;
    {
      std::lock_guard lock(mutex_);
      done = finished_;
    }
    if (done) PostOnce(MCI_NOTIFY_SUCCESSFUL);
  }

  void PostOnce(WPARAM result) {
    HWND window;
    {
      std::lock_guard lock(mutex_);
      window = notify_;
      notify_ = nullptr;
    }
    if (window) PostMessage(window, MM_MCINOTIFY, result, kCdDevice);
  }

  std::mutex mutex_;
  std::condition_variable changed_;
  std::vector<std::int16_t> ring_;
  std::size_t readAt_ = 0;
  std::size_t count_ = 0;
  bool playing_ = false;
  bool decoded_ = false;
  bool finished_ = false;
  bool stop_ = false;
  HWND notify_ = nullptr;
  float gainLeft_ = 1.0f;
  float gainRight_ = 1.0f;
  std::thread worker_;
};

struct CdDevice {
  int opens = 0;
  DWORD timeFormat = MCI_FORMAT_TMSF;
  DWORD volume = 0xFFFFFFFF;
  CdPlayer& Player() { return Lifelong<CdPlayer>(); }
};

CdDevice& Device() { return Lifelong<CdDevice>(); }

MCIERROR Play(DWORD flags, const MCI_PLAY_PARMS* p) {
  const char drive = CdDrive();
  if (!drive) return MCIERR_DEVICE_NOT_READY;
  const int from = (flags & MCI_FROM) && p ? static_cast<int>(p->dwFrom & 0xFF) : 2;
  const int to = (flags & MCI_TO) && p ? static_cast<int>(p->dwTo & 0xFF) : 100;
  if (from < 1 || from > 99 || to <= from) return MCIERR_OUTOFRANGE;
  std::vector<std::filesystem::path> files;
  for (int t = from; t < to; ++t) {
    auto file = TrackFile(drive, t);
    if (!file) break;
    files.push_back(*file);
  }
  if (files.empty()) return MCIERR_OUTOFRANGE;
  const HWND notify = (flags & MCI_NOTIFY) && p ? reinterpret_cast<HWND>(p->dwCallback) : nullptr;
  Device().Player().Start(std::move(files), notify);
  return 0;
}

}  // namespace

MCIERROR mciSendCommand(MCIDEVICEID device, UINT message, DWORD flags, void* param) {
  CdDevice& d = Device();
  if (message == MCI_OPEN) {
    auto* p = static_cast<MCI_OPEN_PARMS*>(param);
    if (!p) return MCIERR_MISSING_PARAMETER;
    const bool cd =
        (flags & MCI_OPEN_TYPE_ID) ? p->lpstrDeviceType == MCI_DEVTYPE_CD_AUDIO
        : (flags & MCI_OPEN_TYPE)
            ? p->lpstrDeviceType && SameNameNoCase(reinterpret_cast<const char*>(p->lpstrDeviceType), "cdaudio")
            : false;
    if (!cd || !CdDrive()) return MCIERR_INVALID_DEVICE_NAME;
    if (d.opens > 0 && !(flags & MCI_OPEN_SHAREABLE)) return MCIERR_HARDWARE;
    ++d.opens;
    p->wDeviceID = kCdDevice;
    return 0;
  }
  if (device != kCdDevice || d.opens == 0) return MCIERR_INVALID_DEVICE_ID;
  switch (message) {
    case MCI_SET: {
      auto* p = static_cast<MCI_SET_PARMS*>(param);
      if (!(flags & MCI_SET_TIME_FORMAT)) return 0;
      if (!p) return MCIERR_MISSING_PARAMETER;
      if (p->dwTimeFormat != MCI_FORMAT_TMSF) return MCIERR_BAD_TIME_FORMAT;
      d.timeFormat = p->dwTimeFormat;
      return 0;
    }
    case MCI_PLAY:
      return Play(flags, static_cast<MCI_PLAY_PARMS*>(param));
    case MCI_STOP:
      d.Player().Stop();
      return 0;
    case MCI_CLOSE:
      if (--d.opens == 0) d.Player().Stop();
      if ((flags & MCI_NOTIFY) && param)
        if (HWND w = reinterpret_cast<HWND>(static_cast<MCI_GENERIC_PARMS*>(param)->dwCallback))
          PostMessage(w, MM_MCINOTIFY, MCI_NOTIFY_SUCCESSFUL, kCdDevice);
      return 0;
    default:
      return MCIERR_UNRECOGNIZED_COMMAND;
  }
}

BOOL mciGetErrorString(MCIERROR error, char* text, UINT size) {
  const char* message = nullptr;
  switch (error) {
    case MCIERR_INVALID_DEVICE_ID:
      message = "Invalid device ID.";
      break;
    case MCIERR_UNRECOGNIZED_COMMAND:
      message = "The driver cannot recognize the specified command.";
      break;
    case MCIERR_HARDWARE:
      message = "The device is in use by another program.";
      break;
    case MCIERR_INVALID_DEVICE_NAME:
      message = "The specified device is not open or is not recognized.";
      break;
    case MCIERR_MISSING_PARAMETER:
      message = "The specified command requires a parameter.";
      break;
    case MCIERR_DEVICE_NOT_READY:
      message = "The device is not ready.";
      break;
    case MCIERR_OUTOFRANGE:
      message = "The specified track is not on the disc.";
      break;
    case MCIERR_BAD_TIME_FORMAT:
      message = "The specified time format is not supported.";
      break;
    default:
      return FALSE;
  }
  if (!text || size == 0) return FALSE;
  std::snprintf(text, size, "%s", message);
  return TRUE;
}

UINT auxSetVolume(UINT device, DWORD volume) {
  if (device != kCdAudioAuxDevice) return MCIERR_INVALID_DEVICE_ID;
  Device().volume = volume;
  Device().Player().SetGains(static_cast<float>(volume & 0xFFFF) / 65535.0f,
                             static_cast<float>(volume >> 16) / 65535.0f);
  return 0;
}

UINT auxGetVolume(UINT device, DWORD* volume) {
  if (device != kCdAudioAuxDevice || !volume) return MCIERR_INVALID_DEVICE_ID;
  *volume = Device().volume;
  return 0;
}

}  // namespace plat
