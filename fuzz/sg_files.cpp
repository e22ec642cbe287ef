// The readers of model, texture, palette, TGA and material files. The first
// byte picks the reader; the rest is split into the file and a second file that
// it may name ("p.pal", also "t.bin").

#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "fuzz/scratch.h"
#include "fuzz/seeds.h"
#include "platform/core/dospath.h"
#include "sg/core/datapath.h"
#include "sg/material/material.h"
#include "sg/model/model.h"
#include "tools/sgdata/sgdata.h"

namespace {

std::filesystem::path Dir() {
  static const std::filesystem::path dir = [] {
    auto d = fuzz::Scratch::Root() / ("sgfuzz-" + std::to_string(::getpid()));
    std::filesystem::create_directories(d);
    plat::ClearDrives();
    plat::SetDrive('Q', d);
    plat::SetCurrentDosDirectory("Q:\\");
    return d;
  }();
  return dir;
}

void Write(const std::string& name, const std::uint8_t* data, std::size_t size) {
  std::ofstream out(Dir() / name, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
}

// Reads an input; true when the file was taken.
bool Read(const std::uint8_t* data, std::size_t size) {
  static const char* const kNames[] = {"f.hdr", "f.bin", "f.tga", "f.mat", "f.mdl"};
  const std::uint8_t pick = data[0] % 5;
  const std::size_t half = (size - 1) / 2 + 1;
  Write(kNames[pick], data + 1, half - 1);
  Write("p.pal", data + half, size - half);
  Write("t.bin", data + half, size - half);
  if (pick == 3) {
    SGMaterial* mat = nullptr;
    if (SGMaterialLoad(nullptr, kNames[pick], &mat) != SG_ERROR_NONE) return false;
    SGMaterialDestroy(mat);
  } else if (pick == 4) {
    SGModel* model = nullptr;
    if (SGModelRead(nullptr, kNames[pick], &model) != SG_ERROR_NONE) return false;
    SGModelFree(model);
  } else {
    SGTextureMap* txm = nullptr;
    if (SGTextureMapLoad(nullptr, kNames[pick], &txm) != SG_ERROR_NONE) return false;
    const std::uint8_t* t = txm->txmInfo->tpiTexels;
    volatile std::uint8_t sink = t[static_cast<std::size_t>(txm->txmSize.u[1] - 1) * txm->txmPitch];
    (void)sink;
    SGTextureMapRelease(txm);
  }
  return true;
}

// An input of the reader `pick`: the file and the second file, the shorter
// padded with zeros so that the input splits between them.
std::vector<std::uint8_t> Input(std::uint8_t pick, sgdata::Image file, sgdata::Image second) {
  const std::size_t n = std::max(file.size(), second.size());
  file.resize(n);
  second.resize(n);
  std::vector<std::uint8_t> input{pick};
  input.insert(input.end(), file.begin(), file.end());
  input.insert(input.end(), second.begin(), second.end());
  return input;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  // A file of each kind the generators make, each one the reader takes.
  fuzz::WriteSeedsIfAsked([] {
    const sgdata::Image palette = sgdata::MakePalette(sgdata::Spectrum(16));
    SGMaterial wall{};
    wall.matType = 4;
    wall.matNumShades = 2;
    wall.matShadeRowSize = 4;
    const fuzz::Seeds seeds = {
        Input(0,
              sgdata::MakePalettedTextureFile(SG_TXM_FORMAT_PAL8_KEYED, 16, 8, sgdata::Image(16 * 8, 1),
                                              sgdata::Image(16 * 8, 9), "p.pal"),
              palette),
        Input(1, sgdata::MakeBinTexture(16, 16, 1), {}),
        Input(3, sgdata::MakeMaterialFile(wall, {1, 2, 3, 4, 5, 6, 7, 8}, "t.bin"), sgdata::MakeBinTexture(32, 16, 0)),
        Input(4, sgdata::MakeShipModelFile(sgdata::ShipShape{}), {})};
    for (const auto& seed : seeds)
      if (!Read(seed.data(), seed.size())) std::exit(1);
    return seeds;
  });
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1 || size > 1 << 18) {
    return 0;
  }
  Read(data, size);
  return 0;
}
