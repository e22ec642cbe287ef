#include "platform/sound/waveout.h"

#include <array>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "platform/core/lifelong.h"
#include "platform/display/audio.h"
#include "platform/sound/mixer.h"
#include "platform/user/queue.h"
#include "platform/user/window.h"

struct plat::HWAVEOUT__ {
  plat::WAVEFORMATEX format;
  std::uintptr_t callback = 0;
  std::uintptr_t instance = 0;
  plat::DWORD kind = plat::CALLBACK_NULL;
  // Guarded by the wave mixer's mutex.
  std::array<plat::WAVEHDR*, plat::kMaxQueuedBlocks> queue{};
  std::size_t head = 0;
  std::size_t queued = 0;
  std::array<plat::WAVEHDR*, plat::kMaxQueuedBlocks> done{};
  std::size_t doneCount = 0;
  std::uint64_t position = 0;  // frames into the head block, 32.32
  std::uint64_t played = 0;    // frames played, 32.32
  bool paused = false;
};

namespace plat {
namespace {

constexpr char kNotifyClass[] = "QuenWaveOutNotify";
constexpr UINT kDeliverMessage = WM_USER + 0x51;

LRESULT NotifyProc(HWND, UINT, WPARAM, LPARAM);

// Mixes the open devices; a thread of its own turns finished blocks into a
// message to a hidden window of the game thread, which runs the callbacks.
// Never destroyed: the audio output's thread mixes it until the process ends.
class WaveMixer final : public AudioSource {
 public:
  static WaveMixer& Get() { return Lifelong<WaveMixer>(); }

  std::mutex mutex;
  std::array<HWAVEOUT, kMaxWaveOuts> devices{};

  bool Add(HWAVEOUT h) {
    EnsureWindow();
    std::lock_guard lock(mutex);
    for (auto& d : devices)
      if (!d) {
        d = h;
        if (!notifier_.joinable()) {
          quit_ = false;
          notifier_ = std::thread([this] { Notify(); });
        }
        return true;
      }
    return false;
  }

  void Remove(HWAVEOUT h) {
    bool last = true;
    {
      std::lock_guard lock(mutex);
      for (auto& d : devices) {
        if (d == h) d = nullptr;
        if (d) last = false;
      }
    }
    if (last) StopNotifier();
  }

  bool Open(HWAVEOUT h) {
    std::lock_guard lock(mutex);
    for (auto d : devices)
      if (d == h) return true;
    return false;
  }

  // Runs the callbacks of the finished blocks; game thread.
  void Deliver() {
    for (HWAVEOUT h : devices) {
      std::array<WAVEHDR*, kMaxQueuedBlocks> finished;
      std::size_t n = 0;
      {
        std::lock_guard lock(mutex);
        if (!Contains(h)) continue;
        n = h->doneCount;
        finished = h->done;
        h->doneCount = 0;
      }
      for (std::size_t i = 0; i < n; ++i) Callback(h, MM_WOM_DONE, finished[i]);
    }
    std::lock_guard lock(mutex);
    posted_ = false;
  }

  static void Callback(HWAVEOUT h, UINT message, WAVEHDR* header) {
    if (header) header->dwFlags = (header->dwFlags | WHDR_DONE) & ~WHDR_INQUEUE;
    if (h->kind == CALLBACK_FUNCTION && h->callback)
      reinterpret_cast<WAVEOUTPROC>(h->callback)(h, message, h->instance, reinterpret_cast<std::uintptr_t>(header), 0);
    else if (h->kind == CALLBACK_WINDOW && h->callback)
      PostMessage(reinterpret_cast<HWND>(h->callback), message, reinterpret_cast<WPARAM>(h),
                  reinterpret_cast<LPARAM>(header));
  }

  void MixInto(std::int32_t* mix, std::size_t frames) override {
    std::lock_guard lock(mutex);
    bool finished = false;
    for (HWAVEOUT h : devices)
      if (h && !h->paused) finished = MixDevice(*h, mix, frames) || finished;
    if (finished) ready_.notify_one();
  }

  void Prepare(std::size_t) override { Deliver(); }

 private:
  friend WaveMixer& Lifelong<WaveMixer>();
  WaveMixer() { AddAudioSource(this); }

  bool Contains(HWAVEOUT h) const {
    for (auto d : devices)
      if (d == h && h) return true;
    return false;
  }

  static bool MixDevice(HWAVEOUT__& d, std::int32_t* mix, std::size_t frames) {
    const WORD align = d.format.nBlockAlign;
    const std::uint64_t step = (static_cast<std::uint64_t>(d.format.nSamplesPerSec) << 32) / kAudioRate;
    const int right = d.format.nChannels > 1 ? 1 : 0;
    bool finished = false;
    for (std::size_t i = 0; i < frames && d.queued > 0;) {
      WAVEHDR* h = d.queue[d.head];
      const std::uint64_t blockFrames = h->dwBufferLength / align;
      if ((d.position >> 32) >= blockFrames) {
        d.position -= blockFrames << 32;
        d.done[d.doneCount++] = h;
        d.head = (d.head + 1) % kMaxQueuedBlocks;
        --d.queued;
        finished = true;
        continue;
      }
      const BYTE* frame = reinterpret_cast<const BYTE*>(h->lpData) + (d.position >> 32) * align;
      mix[2 * i] += static_cast<std::int32_t>(PcmSample(frame, d.format.wBitsPerSample, 0));
      mix[2 * i + 1] += static_cast<std::int32_t>(PcmSample(frame, d.format.wBitsPerSample, right));
      d.position += step;
      d.played += step;
      ++i;
    }
    return finished;
  }

  void Notify() {
    std::unique_lock lock(mutex);
    for (;;) {
      ready_.wait(lock, [&] { return quit_ || (!posted_ && AnyDone()); });
      if (quit_) return;
      posted_ = true;
      const HWND window = window_;
      lock.unlock();
      PostMessage(window, kDeliverMessage, 0, 0);
      lock.lock();
    }
  }

  bool AnyDone() const {
    for (auto d : devices)
      if (d && d->doneCount) return true;
    return false;
  }

  void StopNotifier() {
    {
      std::lock_guard lock(mutex);
      quit_ = true;
    }
    ready_.notify_all();
    if (notifier_.joinable()) notifier_.join();
  }

  void EnsureWindow() {
    if (window_ && IsWindow(window_)) return;
    WNDCLASSEX wc;
    wc.lpszClassName = kNotifyClass;
    wc.lpfnWndProc = NotifyProc;
    RegisterClassEx(&wc);
    window_ = CreateWindowEx(0, kNotifyClass, "", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr);
  }

  std::condition_variable ready_;
  std::thread notifier_;
  bool quit_ = false;
  bool posted_ = false;
  HWND window_ = nullptr;
};

LRESULT NotifyProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == kDeliverMessage) {
    WaveMixer::Get().Deliver();
    return 0;
  }
  return DefWindowProc(hwnd, message, wParam, lParam);
}

// Every call first mixes up to the program clock and hands out finished blocks.
WaveMixer& Sync() {
  CurrentAudioOutput().CatchUp();
  WaveMixer& m = WaveMixer::Get();
  m.Deliver();
  return m;
}

}  // namespace

UINT waveOutGetNumDevs() { return 1; }

MMRESULT waveOutOpen(HWAVEOUT* out, UINT device, const WAVEFORMATEX* f, std::uintptr_t callback,
                     std::uintptr_t instance, DWORD flags) {
  if (!out || !f) return MMSYSERR_INVALPARAM;
  *out = nullptr;
  if (device != 0 && device != WAVE_MAPPER) return MMSYSERR_BADDEVICEID;
  const DWORD kind = flags & 0x00070000;
  if (kind != CALLBACK_NULL && kind != CALLBACK_FUNCTION && kind != CALLBACK_WINDOW) return MMSYSERR_INVALFLAG;
  if (f->wFormatTag != WAVE_FORMAT_PCM || (f->nChannels != 1 && f->nChannels != 2) ||
      (f->wBitsPerSample != 8 && f->wBitsPerSample != 16) || f->nSamplesPerSec < 100 || f->nSamplesPerSec > 100000 ||
      f->nBlockAlign != f->nChannels * f->wBitsPerSample / 8)
    return WAVERR_BADFORMAT;
  auto device_ = std::make_unique<HWAVEOUT__>();
  device_->format = *f;
  device_->callback = callback;
  device_->instance = instance;
  device_->kind = kind;
  HWAVEOUT h = device_.get();
  if (!Sync().Add(h)) return MMSYSERR_ALLOCATED;
  device_.release();
  *out = h;
  WaveMixer::Callback(h, MM_WOM_OPEN, nullptr);
  return MMSYSERR_NOERROR;
}

MMRESULT waveOutPrepareHeader(HWAVEOUT h, WAVEHDR* header, UINT size) {
  if (!Sync().Open(h)) return MMSYSERR_INVALHANDLE;
  if (!header || size < sizeof(WAVEHDR) || !header->lpData) return MMSYSERR_INVALPARAM;
  header->dwFlags = (header->dwFlags | WHDR_PREPARED) & ~WHDR_DONE;
  return MMSYSERR_NOERROR;
}

MMRESULT waveOutUnprepareHeader(HWAVEOUT h, WAVEHDR* header, UINT size) {
  if (!Sync().Open(h)) return MMSYSERR_INVALHANDLE;
  if (!header || size < sizeof(WAVEHDR)) return MMSYSERR_INVALPARAM;
  if (header->dwFlags & WHDR_INQUEUE) return WAVERR_STILLPLAYING;
  header->dwFlags &= ~WHDR_PREPARED;
  return MMSYSERR_NOERROR;
}

MMRESULT waveOutWrite(HWAVEOUT h, WAVEHDR* header, UINT size) {
  WaveMixer& m = Sync();
  if (!m.Open(h)) return MMSYSERR_INVALHANDLE;
  if (!header || size < sizeof(WAVEHDR)) return MMSYSERR_INVALPARAM;
  if (!(header->dwFlags & WHDR_PREPARED)) return WAVERR_UNPREPARED;
  if (header->dwFlags & WHDR_INQUEUE) return WAVERR_STILLPLAYING;
  std::lock_guard lock(m.mutex);
  if (h->queued + h->doneCount >= kMaxQueuedBlocks) return MMSYSERR_NOMEM;
  header->dwFlags = (header->dwFlags | WHDR_INQUEUE) & ~WHDR_DONE;
  h->queue[(h->head + h->queued) % kMaxQueuedBlocks] = header;
  ++h->queued;
  return MMSYSERR_NOERROR;
}

namespace {

MMRESULT SetPaused(HWAVEOUT h, bool paused) {
  WaveMixer& m = Sync();
  if (!m.Open(h)) return MMSYSERR_INVALHANDLE;
  std::lock_guard lock(m.mutex);
  h->paused = paused;
  return MMSYSERR_NOERROR;
}

}  // namespace

MMRESULT waveOutPause(HWAVEOUT h) { return SetPaused(h, true); }

MMRESULT waveOutRestart(HWAVEOUT h) { return SetPaused(h, false); }

MMRESULT waveOutReset(HWAVEOUT h) {
  WaveMixer& m = Sync();
  if (!m.Open(h)) return MMSYSERR_INVALHANDLE;
  {
    std::lock_guard lock(m.mutex);
    while (h->queued > 0) {
      h->done[h->doneCount++] = h->queue[h->head];
      h->head = (h->head + 1) % kMaxQueuedBlocks;
      --h->queued;
    }
    h->position = h->played = 0;
    h->paused = false;
  }
  m.Deliver();
  return MMSYSERR_NOERROR;
}

MMRESULT waveOutClose(HWAVEOUT h) {
  WaveMixer& m = Sync();
  if (!m.Open(h)) return MMSYSERR_INVALHANDLE;
  {
    std::lock_guard lock(m.mutex);
    if (h->queued > 0) return WAVERR_STILLPLAYING;
  }
  m.Remove(h);
  WaveMixer::Callback(h, MM_WOM_CLOSE, nullptr);
  std::unique_ptr<HWAVEOUT__> owned(h);
  return MMSYSERR_NOERROR;
}

MMRESULT waveOutGetPosition(HWAVEOUT h, MMTIME* time, UINT size) {
  WaveMixer& m = Sync();
  if (!m.Open(h)) return MMSYSERR_INVALHANDLE;
  if (!time || size < sizeof(MMTIME)) return MMSYSERR_INVALPARAM;
  std::uint64_t frames;
  {
    std::lock_guard lock(m.mutex);
    frames = h->played >> 32;
  }
  switch (time->wType) {
    case TIME_SAMPLES:
      time->u.sample = static_cast<DWORD>(frames);
      break;
    case TIME_BYTES:
      time->u.cb = static_cast<DWORD>(frames * h->format.nBlockAlign);
      break;
    default:
      time->wType = TIME_MS;
      time->u.ms = static_cast<DWORD>(frames * 1000 / h->format.nSamplesPerSec);
  }
  return MMSYSERR_NOERROR;
}

}  // namespace plat
