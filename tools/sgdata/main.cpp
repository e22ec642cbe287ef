// quensgdata OUTDIR: writes a sample set of 3D data made by the generators: a
// ship model, a texture in every fill size, a palette, a texture with its own
// palette and a material.

#include <cstdio>
#include <exception>
#include <filesystem>
#include <fstream>
#include <string>

#include "tools/sgdata/sgdata.h"

namespace {

void Write(const std::filesystem::path& path, const sgdata::Image& bytes) {
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  if (!out) {
    throw std::runtime_error("cannot write " + path.string());
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: quensgdata OUTDIR\n");
    return 2;
  }
  try {
    const std::filesystem::path dir = argv[1];
    std::filesystem::create_directories(dir);
    Write(dir / "ship.mdl", sgdata::MakeShipModelFile(sgdata::ShipShape{}));
    for (const auto& [w, h] : sgdata::kFillSizes) {
      Write(dir / ("tex" + std::to_string(w) + "x" + std::to_string(h) + ".bin"), sgdata::MakeBinTexture(w, h, 1));
    }
    Write(dir / "spectrum.pal", sgdata::MakePalette(sgdata::Spectrum(256)));
    const sgdata::Image frame(32 * 32, 1);
    sgdata::Image own(32 * 32);
    for (std::size_t i = 0; i < own.size(); ++i) {
      own[i] = static_cast<std::uint8_t>(i);
    }
    Write(dir / "paltex.hdr", sgdata::MakePalettedTextureFile(SG_TXM_FORMAT_PAL8, 32, 32, frame, own, "spectrum.pal"));
    SGMaterial hull{};
    hull.matType = 4;
    hull.matColour = 0x80808001;
    hull.matAmbient = 0.3f;
    hull.matDiffuse = 0.7f;
    Write(dir / "hull.mat", sgdata::MakeMaterialFile(hull, {}, "tex64x64.bin"));
  } catch (const std::exception& e) {
    std::fprintf(stderr, "quensgdata: %s\n", e.what());
    return 1;
  }
  return 0;
}
