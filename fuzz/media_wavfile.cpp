// WAV files through the sound player's reader: any bytes are refused with a
// code or read within the file. Each input is tried as it is and laid over a
// well-formed file, which stands in for a seed corpus.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "fuzz/scratch.h"
#include "fuzz/seeds.h"
#include "media/SoundStream.h"

namespace {

std::vector<std::uint8_t> Seed() {
  std::vector<std::uint8_t> w = {'R', 'I', 'F', 'F', 60, 0, 0,   0,   'W', 'A',  'V',  'E', 'f', 'm',  't',
                                 ' ', 16,  0,   0,   0,  1, 0,   1,   0,   0x22, 0x56, 0,   0,   0x44, 0xAC,
                                 0,   0,   2,   0,   16, 0, 'd', 'a', 't', 'a',  24,   0,   0,   0};
  w.resize(w.size() + 24, 7);
  return w;
}

void Read(const std::vector<std::uint8_t>& bytes) {
  const auto& scratch = fuzz::Scratch::Get();
  scratch.Write("f.wav", bytes);
  plat::HMMIO file = nullptr;
  std::unique_ptr<WavFormat> format;
  plat::MMCKINFO riff, data;
  if (WavOpen("Q:\\f.wav", &file, &format, &riff) == 0) {
    if (WavSeekData(file, &data, &riff) == 0) {
      if (data.cksize > bytes.size()) __builtin_trap();
      std::vector<plat::BYTE> buffer(512);
      plat::UINT got = 0;
      std::size_t total = 0;
      while (WavRead(file, 512, buffer.data(), &data, &got) == 0 && got > 0) total += got;
      if (total > bytes.size()) __builtin_trap();
    }
    WavClose(&file, &format);
  }
  static plat::IDirectSound* ds = [] {
    plat::IDirectSound* d = nullptr;
    DSoundCreate(&d, nullptr);
    return d;
  }();
  SoundStream stream;
  if (SoundStreamOpen(ds, &stream, "Q:\\f.wav") == 0 && stream.bufferSize > 0x01000000) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  // The well-formed file as it is, and one with a chunk to pass over before
  // its data.
  fuzz::WriteSeedsIfAsked([] {
    std::vector<std::uint8_t> listed = Seed();
    const std::uint8_t list[] = {'L', 'I', 'S', 'T', 4, 0, 0, 0, 'I', 'N', 'F', 'O'};
    listed.insert(listed.begin() + 36, std::begin(list), std::end(list));
    listed[4] = static_cast<std::uint8_t>(listed.size() - 8);
    return fuzz::Seeds{Seed(), listed};
  });
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::vector<std::uint8_t> bytes(data, data + size);
  Read(bytes);
  auto laid = Seed();
  for (std::size_t i = 0; i < size && i < laid.size(); ++i) laid[i] ^= data[i];
  Read(laid);
  return 0;
}
