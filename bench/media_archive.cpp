// Loading a whole ".nob" archive (every resource got and released, in stdio
// and mapped mode) as a ratio to reading the same file's bytes with one read,
// both timed in the same run.

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <vector>

#include "media/ArchiveFormat.h"
#include "media/ResourceArchive.h"
#include "platform/core/dospath.h"
#include "tools/nob/nobwriter.h"

namespace {

// 400 resources of 1 to 64 KB with a fix-up each, as a 3D archive holds.
struct Files {
  Files() {
    dir = std::filesystem::temp_directory_path() / "quen-bench-archive";
    std::filesystem::create_directories(dir);
    plat::SetDrive('Q', dir);
    std::vector<nob::Resource> resources(400);
    for (std::size_t i = 0; i < resources.size(); ++i) {
      resources[i].type = 1 + i % 7;
      resources[i].data.assign(1024 + (i * 2654435761u) % 65536, static_cast<std::uint8_t>(i));
      resources[i].data[0] = 8;
      resources[i].data[1] = resources[i].data[2] = resources[i].data[3] = 0;
      resources[i].fixups = {0};
    }
    for (const std::uint32_t mode : {kArchiveModeStdio, kArchiveModeMapped}) {
      const auto image = nob::WriteArchive(1000, mode, resources);
      std::ofstream(dir / (mode == kArchiveModeStdio ? "stdio.nob" : "mapped.nob"), std::ios::binary)
          .write(reinterpret_cast<const char*>(image->data()), static_cast<std::streamsize>(image->size()));
    }
    ArchiveSystemInit(nullptr, 0, 16384, 200000);
  }
  std::filesystem::path dir;
};

Files& Get() {
  static Files files;
  return files;
}

using Clock = std::chrono::steady_clock;

// The baseline: the file's bytes with one read, one byte a page touched.
void OneRead(const std::filesystem::path& file, std::vector<char>* buffer) {
  std::FILE* f = std::fopen(file.c_str(), "rb");
  benchmark::DoNotOptimize(std::fread(buffer->data(), 1, buffer->size(), f));
  std::fclose(f);
  std::uint64_t sum = 0;
  for (std::size_t i = 7; i < buffer->size(); i += 4096) sum += static_cast<unsigned char>((*buffer)[i]);
  benchmark::DoNotOptimize(sum);
}

// Alternates the archive load with the baseline read of the same file, so the
// ratio of their times is measured under the same conditions.
void LoadWhole(benchmark::State& state, const char* name) {
  const auto file = Get().dir / name;
  std::vector<char> buffer(std::filesystem::file_size(file));
  const std::string path = std::string("Q:\\") + name;
  Clock::duration loadTime{}, readTime{};
  for (auto _ : state) {
    const auto t0 = Clock::now();
    if (ArchiveOpen(path.c_str(), 0) != 0) state.SkipWithError("open failed");
    ResourceCursor cursor;
    std::vector<std::uint8_t*> got;
    while (ResourceEnumNext(&cursor)) got.push_back(ResourceGet(cursor.id));
    std::uint64_t sum = 0;
    for (auto* d : got) sum += d[7];
    benchmark::DoNotOptimize(sum);
    for (auto* d : got) ResourceRelease(d);
    ArchiveClose(name);
    const auto t1 = Clock::now();
    OneRead(file, &buffer);
    readTime += Clock::now() - t1;
    loadTime += t1 - t0;
  }
  state.counters["ratio_to_one_read"] =
      std::chrono::duration<double>(loadTime).count() / std::chrono::duration<double>(readTime).count();
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * buffer.size()));
}

void BM_ArchiveStdio(benchmark::State& state) { LoadWhole(state, "stdio.nob"); }
BENCHMARK(BM_ArchiveStdio);

void BM_ArchiveMapped(benchmark::State& state) { LoadWhole(state, "mapped.nob"); }
BENCHMARK(BM_ArchiveMapped);

}  // namespace

BENCHMARK_MAIN();
