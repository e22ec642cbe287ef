// quencontent3d index <out>: writes index202.bin and index3d.rc (the program's
// resource 202) into <out>.
// quencontent3d data <out>: writes c/QUENBAR/3DDATA/ (3ddata.nob, Quenbar.con,
// palette.dat) below <out>, the installation tree's layout, with the pictures
// of units and asteroids drawn by the renderer.
#include <cstdio>
#include <exception>
#include <filesystem>
#include <fstream>
#include <string>

#include "tools/content3d/content3d.h"
#include "tools/content3d/studio.h"

namespace {

void Write(const std::filesystem::path& file, const std::string& bytes) {
  std::filesystem::create_directories(file.parent_path());
  std::ofstream out(file, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!out) throw std::runtime_error("cannot write " + file.string());
}

std::string AsString(const content3d::Image& image) { return {image.begin(), image.end()}; }

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: quencontent3d index|data <out>\n");
    return 2;
  }
  try {
    const std::string what = argv[1];
    const std::filesystem::path out = argv[2];
    if (what == "index") {
      // The index names the pictures; their looks do not matter to it.
      const auto catalog = content3d::MakeCatalog(content3d::PlaceholderPicture);
      Write(out / "index202.bin", AsString(content3d::MakeIndexTable(catalog)));
      Write(out / "index3d.rc",
            "// The index of the 3D data names, made by quencontent3d.\n202 INDEXTABLE \"index202.bin\"\n");
    } else if (what == "data") {
      content3d::Studio studio;
      const auto catalog =
          content3d::MakeCatalog([&](const content3d::Mesh& mesh, const std::array<float, 3>& toCamera) {
            return studio.Picture(mesh, toCamera, content3d::kUnitPictureSide);
          });
      const auto dir = out / "c" / "QUENBAR" / "3DDATA";
      Write(dir / "3ddata.nob", AsString(content3d::MakeArchive(catalog)));
      Write(dir / "Quenbar.con", content3d::MakeSceneFile());
      Write(dir / "palette.dat", AsString(content3d::MakeScenePalette()));
    } else {
      std::fprintf(stderr, "quencontent3d: unknown output %s\n", what.c_str());
      return 2;
    }
  } catch (const std::exception& e) {
    std::fprintf(stderr, "quencontent3d: %s\n", e.what());
    return 1;
  }
  return 0;
}
