// quenmusic: the CD's music tracks as Ogg Vorbis files.
//   quenmusic INVENTORY_DIR SECONDS OUT_DIR
// writes OUT_DIR/<folder in the installation tree>/<name> for every "music" entry of the inventory,
// its recipe naming the mood.
#include <cstdio>
#include <fstream>
#include <string>

#include "tools/art/inventory.h"
#include "tools/music/composer.h"
#include "tools/music/ogg.h"

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: quenmusic INVENTORY_DIR SECONDS OUT_DIR\n");
    return 2;
  }
  try {
    const double seconds = std::stod(argv[2]);
    const art::Inventory inv = art::ReadInventory(argv[1]);
    for (const art::Container& c : inv.containers) {
      for (const art::Asset& a : c.assets) {
        if (a.kind != "music") continue;
        const music::Mood* mood = music::FindMood(a.label);
        if (!mood) throw std::runtime_error("no mood \"" + a.label + "\" for " + a.name);
        const auto samples = music::Compose(*mood, seconds);
        const auto bytes = music::EncodeOggVorbis(samples, music::kRate, 0.1f, mood->name);
        const std::string folder = art::TreeFolder(c);
        std::filesystem::create_directories(std::filesystem::path(argv[3]) / folder);
        std::ofstream out(std::filesystem::path(argv[3]) / folder / a.name, std::ios::binary);
        out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        if (!out) throw std::runtime_error("cannot write " + a.name);
      }
    }
  } catch (const std::exception& e) {
    std::fprintf(stderr, "quenmusic: %s\n", e.what());
    return 1;
  }
  return 0;
}
