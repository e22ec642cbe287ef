// The readers of model, texture, palette, TGA and material files. The first
// byte picks the reader; the rest is split into the file and a second file that
// it may name ("p.pal", also "t.bin").

#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>

#include "platform/core/dospath.h"
#include "sg/core/datapath.h"
#include "sg/material/material.h"
#include "sg/model/model.h"

namespace {

std::filesystem::path Dir() {
  static const std::filesystem::path dir = [] {
    auto d = std::filesystem::temp_directory_path() / ("sgfuzz-" + std::to_string(::getpid()));
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

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1 || size > 1 << 18) {
    return 0;
  }
  static const char* const kNames[] = {"f.hdr", "f.bin", "f.tga", "f.mat", "f.mdl"};
  const std::uint8_t pick = data[0] % 5;
  const std::size_t half = (size - 1) / 2 + 1;
  Write(kNames[pick], data + 1, half - 1);
  Write("p.pal", data + half, size - half);
  Write("t.bin", data + half, size - half);
  if (pick == 3) {
    SGMaterial* mat = nullptr;
    if (SGMaterialLoad(nullptr, kNames[pick], &mat) == SG_ERROR_NONE) {
      SGMaterialDestroy(mat);
    }
  } else if (pick == 4) {
    SGModel* model = nullptr;
    if (SGModelRead(nullptr, kNames[pick], &model) == SG_ERROR_NONE) {
      SGModelFree(model);
    }
  } else {
    SGTextureMap* txm = nullptr;
    if (SGTextureMapLoad(nullptr, kNames[pick], &txm) == SG_ERROR_NONE) {
      const std::uint8_t* t = txm->txmInfo->tpiTexels;
      volatile std::uint8_t sink = t[static_cast<std::size_t>(txm->txmSize.u[1] - 1) * txm->txmPitch];
      (void)sink;
      SGTextureMapRelease(txm);
    }
  }
  return 0;
}
