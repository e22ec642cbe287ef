// Loading and saving the rules data and the model's arrays against the plain
// file work underneath. Every figure is also reported as a ratio ("x_raw") to
// one read or write of the same bytes, or ("x_vector") to std::vector's
// push_back of the same pointers, measured in the same run; "allocs" counts
// the heap calls of a design's save.

#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <time.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

#include "Game/arrayman/ArrayMan.h"
#include "Game/arrayman/PooledElement.h"
#include "Game/base/ByteStream.h"
#include "Game/rules/GHullDB.h"
#include "Game/rules/GModuleDB.h"
#include "Game/rules/GUnitTem.h"
#include "bench/count_allocations.h"
#include "bench/rules_images.h"
#include "platform/core/dospath.h"
#include "platform/core/files.h"

namespace {

using Clock = std::chrono::steady_clock;

// A scratch drive C for the files the benchmarks read and write.
struct ScratchDrive {
  ScratchDrive() {
    std::string pattern = (std::filesystem::temp_directory_path() / "quenbench-XXXXXX").string();
    root = ::mkdtemp(pattern.data());
    plat::SetDrive('C', root);
  }
  ~ScratchDrive() {
    plat::ClearDrives();
    std::error_code ec;
    std::filesystem::remove_all(root, ec);
  }
  std::filesystem::path root;
};

ScratchDrive& Drive() {
  static ScratchDrive drive;
  return drive;
}

void WriteFile(const char* dosPath, const std::vector<std::uint8_t>& bytes) {
  plat::FILE* fp = plat::fopen(dosPath, "wb");
  plat::fwrite(bytes.data(), 1, bytes.size(), fp);
  plat::fclose(fp);
}

double Seconds(Clock::duration d) { return std::chrono::duration<double>(d).count(); }

// Times `op` and `baseline` in turn each iteration and reports op / baseline.
template <class Op, class Baseline>
void Compare(benchmark::State& state, const char* counter, Op op, Baseline baseline) {
  Clock::duration opTime{}, baseTime{};
  for (auto _ : state) {
    auto t0 = Clock::now();
    op();
    auto t1 = Clock::now();
    baseline();
    auto t2 = Clock::now();
    opTime += t1 - t0;
    baseTime += t2 - t1;
  }
  state.counters[counter] = Seconds(opTime) / Seconds(baseTime);
}

// One read of `size` bytes from the start of the open file.
void RawRead(plat::FILE* fp, std::size_t size) {
  std::vector<std::uint8_t> bytes(size);
  plat::fseek(fp, 0, SEEK_SET);
  benchmark::DoNotOptimize(plat::fread(bytes.data(), 1, size, fp));
}

struct Element {
  std::uint32_t a = 0;
  std::uint16_t b = 0;
  std::uint8_t c = 0;
};
// The same element made from slots, as the model's list elements are.
struct SlotElement : Element, PooledElement<SlotElement> {};

template <class E>
struct ElementIO {  // field by field
  static int Write(plat::FILE* fp, const E& e) {
    FileWriter w(fp);
    return w.Write(e.a) && w.Write(e.b) && w.Write(e.c) ? 1 : 0;
  }
  static std::unique_ptr<E> Read(plat::FILE* fp) {
    auto e = std::make_unique<E>();
    FileReader r(fp);
    return r.Read(e->a) && r.Read(e->b) && r.Read(e->c) ? std::move(e) : nullptr;
  }
};
template <class E>
struct ElementRecordIO {  // one block for the whole list
  static constexpr std::size_t kRecordSize = 7;
  static void Write(plat::ByteWriter& w, const E& e) {
    w.U32(e.a);
    w.U16(e.b);
    w.U8(e.c);
  }
  static std::unique_ptr<E> Read(plat::ByteReader& r) {
    auto e = std::make_unique<E>();
    r.Read(e->a);
    r.Read(e->b);
    r.Read(e->c);
    return e;
  }
};

// Deletes the elements a load made, as their owner does; slots go back
// together.
template <class E, class IO>
void DeleteLoaded(ArrayMan<E, IO>& list) {
  if constexpr (std::is_base_of_v<PooledElement<E>, E>) {
    ElementReturn<E> together;
    for (std::uint16_t i = 0; i < list.count; ++i) delete list.items[i];
  } else {
    for (std::uint16_t i = 0; i < list.count; ++i) delete list.items[i];
  }
}

// Loads of a 10,000-element list against a raw read of its bytes, each load
// timed with the deletion of what it made. The list's elements are objects
// of their own, each freed by its owner: from the heap, a load makes one
// allocation per element whatever the array does, and with kWithAllocations
// the baseline makes those allocations too, which shows the array's own
// share; from slots, the load and the deletion take and give them a run at a
// time. Making 10,000 elements from a run of slots and deleting them, with no
// array and no file, was timed alone at 34 millionths of a second against
// the 4 of one read of the list's 70 KB (the making alone 23): one object per
// element, freed by its owner, keeps such a load above five plain reads.
template <template <class> class IO, class E = Element, bool kWithAllocations = false>
void ArrayLoad(benchmark::State& state) {
  Drive();
  constexpr std::uint16_t kElements = 10000;
  std::vector<E> elements(kElements);
  {
    ArrayMan<E, IO<E>> list;
    for (auto& e : elements) list.SetAt(&e, ArrayMan<E>::kAtEnd);
    plat::FILE* fp = plat::fopen("C:\\array.bin", "wb");
    list.Save(fp);
    plat::fclose(fp);
  }
  plat::FILE* fp = plat::fopen("C:\\array.bin", "rb");
  const std::size_t size = 2 + std::size_t{kElements} * 7;
  std::vector<Element*> made(kElements);
  Compare(
      state, kWithAllocations ? "x_raw_and_alloc" : "x_raw",
      [&] {
        plat::fseek(fp, 0, SEEK_SET);
        ArrayMan<E, IO<E>> list;
        benchmark::DoNotOptimize(list.Load(fp));
        DeleteLoaded(list);
      },
      [&] {
        RawRead(fp, size);
        if constexpr (kWithAllocations) {
          for (auto& e : made) e = new Element;
          benchmark::DoNotOptimize(made.data());
          for (Element* e : made) delete e;
        }
      });
  plat::fclose(fp);
}
BENCHMARK(ArrayLoad<ElementIO>)->Name("ArrayMan/Load10000/ElementByElement");
BENCHMARK(ArrayLoad<ElementRecordIO>)->Name("ArrayMan/Load10000/Block");
BENCHMARK(ArrayLoad<ElementRecordIO, Element, true>)->Name("ArrayMan/Load10000/BlockAgainstAllocation");
BENCHMARK(ArrayLoad<ElementIO, Element, true>)->Name("ArrayMan/Load10000/ElementByElementAgainstAllocation");
BENCHMARK(ArrayLoad<ElementIO, SlotElement>)->Name("ArrayMan/Load10000/ElementByElementFromSlots");
BENCHMARK(ArrayLoad<ElementRecordIO, SlotElement>)->Name("ArrayMan/Load10000/BlockFromSlots");

void ArrayAppend(benchmark::State& state) {
  constexpr int kElements = 60000;
  Element e;
  Compare(
      state, "x_vector",
      [&] {
        ArrayMan<Element> list;
        for (int i = 0; i < kElements; ++i) list.SetAt(&e, ArrayMan<Element>::kAtEnd);
        benchmark::DoNotOptimize(list.items.get());
      },
      [&] {
        std::vector<Element*> list;
        for (int i = 0; i < kElements; ++i) list.push_back(&e);
        benchmark::DoNotOptimize(list.data());
      });
}
BENCHMARK(ArrayAppend)->Name("ArrayMan/Append60000");

// A named design, saved as C:\design.tem (left open in `mode`).
plat::FILE* DesignFile(const CGUnitTemplate& design, const char* mode) {
  Drive();
  plat::FILE* out = plat::fopen("C:\\design.tem", "wb");
  design.Save(out);
  if (std::string_view(mode) == "wb") return out;
  plat::fclose(out);
  return plat::fopen("C:\\design.tem", mode);
}

void TemplateLoad(benchmark::State& state) {
  CGUnitTemplate design(0, 1);
  design.name = "Benchmark design";
  plat::FILE* fp = DesignFile(design, "rb");
  plat::fseek(fp, 0, SEEK_END);
  const auto size = static_cast<std::size_t>(plat::ftell(fp));
  Compare(
      state, "x_raw",
      [&] {
        plat::fseek(fp, 0, SEEK_SET);
        CGUnitTemplate loaded(0, 1);
        benchmark::DoNotOptimize(loaded.Load(fp));
      },
      [&] { RawRead(fp, size); });
  plat::fclose(fp);
}
BENCHMARK(TemplateLoad)->Name("Template/Load");

void TemplateSave(benchmark::State& state) {
  CGUnitTemplate design(0, 1);
  design.name = "Benchmark design";
  plat::FILE* fp = DesignFile(design, "wb");
  const auto size = static_cast<std::size_t>(plat::ftell(fp));
  const std::vector<std::uint8_t> bytes(size, 1);
  std::size_t allocations = 0;
  Compare(
      state, "x_raw",
      [&] {
        plat::fseek(fp, 0, SEEK_SET);
        const std::size_t before = bench::g_allocations.load(std::memory_order_relaxed);
        benchmark::DoNotOptimize(design.Save(fp));
        allocations += bench::g_allocations.load(std::memory_order_relaxed) - before;
      },
      [&] {
        plat::fseek(fp, 0, SEEK_SET);
        benchmark::DoNotOptimize(plat::fwrite(bytes.data(), 1, size, fp));
      });
  state.counters["allocs"] = static_cast<double>(allocations) / static_cast<double>(state.iterations());
  plat::fclose(fp);
}
BENCHMARK(TemplateSave)->Name("Template/Save");

// Sets a file's modification time an hour back, as an installation's rules
// files are when a game starts.
void Settle(const char* dosPath) {
  const auto host = plat::ResolveDosPath(dosPath);
  timespec now{};
  ::clock_gettime(CLOCK_REALTIME, &now);
  const timespec times[2] = {{now.tv_sec - 3600, 0}, {now.tv_sec - 3600, 0}};
  if (!host || ::utimensat(AT_FDCWD, host->c_str(), times, 0) != 0) std::abort();
}

// The rules files as the data build makes them: 5 x 40 hulls, 600 modules.
// Just written, they are read and parsed by every database made; settled,
// every database after the first is made from the rules kept from them.
void RulesFilesLoad(benchmark::State& state, bool settled) {
  Drive();
  const auto [hullBytes, moduleBytes] = BenchRulesImages();
  WriteFile("C:\\hulls.dat", hullBytes);
  WriteFile("C:\\modules.dat", moduleBytes);
  if (settled) {
    Settle("C:\\hulls.dat");
    Settle("C:\\modules.dat");
  }
  // The baseline opens, reads and closes the files as the loads do.
  auto rawFile = [](const char* path, std::size_t size) {
    plat::FILE* fp = plat::fopen(path, "rb");
    RawRead(fp, size);
    plat::fclose(fp);
  };
  Compare(
      state, "x_raw",
      [&] {
        CGHullDB hullDB("C:\\hulls.dat");
        CGModuleDB moduleDB("C:\\modules.dat");
        benchmark::DoNotOptimize(hullDB.GetHullCount(0) + moduleDB.GetCount());
      },
      [&] {
        rawFile("C:\\hulls.dat", hullBytes.size());
        rawFile("C:\\modules.dat", moduleBytes.size());
      });
}
BENCHMARK_CAPTURE(RulesFilesLoad, parsed, false)->Name("Rules/LoadHullsAndModules");
BENCHMARK_CAPTURE(RulesFilesLoad, kept, true)->Name("Rules/LoadHullsAndModulesKept");

}  // namespace
