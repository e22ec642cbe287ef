// quenmusic: the CD's music tracks as Ogg Vorbis files.
//   quenmusic INVENTORY_DIR SECONDS OUT_DIR
// writes OUT_DIR/<folder in the installation tree>/<name> for every "music" entry of the inventory,
// its recipe naming the mood, each SECONDS long rounded up to whole bars.
#include <algorithm>
#include <atomic>
#include <cstdio>
#include <fstream>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

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
    struct Job {
      const art::Container* container;
      const art::Asset* asset;
      const music::Mood* mood;
    };
    std::vector<Job> jobs;
    for (const art::Container& c : inv.containers) {
      for (const art::Asset& a : c.assets) {
        if (a.kind != "music") continue;
        const music::Mood* mood = music::FindMood(a.label);
        if (!mood) throw std::runtime_error("no mood \"" + a.label + "\" for " + a.name);
        jobs.push_back({&c, &a, mood});
      }
    }
    // Each track on its own, as many at once as the machine has cores: the
    // pieces take most of the data build's sound time.
    std::atomic<std::size_t> next{0};
    std::mutex failureLock;
    std::string failure;
    auto work = [&] {
      for (std::size_t j = next++; j < jobs.size(); j = next++) {
        try {
          const Job& job = jobs[j];
          const auto samples = music::Compose(*job.mood, music::WholeBars(*job.mood, seconds));
          const auto bytes = music::EncodeOggVorbis(samples, music::kRate, 0.1f, job.mood->name);
          const auto folder = std::filesystem::path(argv[3]) / art::TreeFolder(*job.container);
          std::filesystem::create_directories(folder);
          std::ofstream out(folder / job.asset->name, std::ios::binary);
          out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
          if (!out) throw std::runtime_error("cannot write " + job.asset->name);
        } catch (const std::exception& e) {
          const std::lock_guard<std::mutex> hold(failureLock);
          if (failure.empty()) failure = e.what();
        }
      }
    };
    const unsigned workers = std::clamp(std::thread::hardware_concurrency(), 1u, 8u);
    std::vector<std::thread> threads;
    for (unsigned i = 1; i < workers; ++i) threads.emplace_back(work);
    work();
    for (auto& t : threads) t.join();
    if (!failure.empty()) throw std::runtime_error(failure);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "quenmusic: %s\n", e.what());
    return 1;
  }
  return 0;
}
