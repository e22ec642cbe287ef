#pragma once
// Helpers shared by the 3D library's tests: a scratch drive for file tests, a
// little-endian byte builder for hand-made file images, and the out-of-memory
// sweep that fails each allocation of an operation in turn.

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <span>
#include <string>
#include <vector>

#include "platform/core/bytes.h"
#include "platform/core/dospath.h"
#include "sg/core/malloc.h"
#include "sg/core/sgerror.h"

namespace sgtest {

// A fresh host directory mapped as drive Q: and made the current DOS directory.
class TempDrive {
 public:
  TempDrive() {
    static int counter = 0;
    dir_ = std::filesystem::temp_directory_path() /
           ("sgtest-" + std::to_string(::getpid()) + "-" + std::to_string(counter++));
    std::filesystem::create_directories(dir_);
    plat::ClearDrives();
    plat::SetDrive('Q', dir_);
    plat::SetCurrentDosDirectory("Q:\\");
  }
  ~TempDrive() {
    std::error_code ec;
    std::filesystem::remove_all(dir_, ec);
  }
  TempDrive(const TempDrive&) = delete;
  TempDrive& operator=(const TempDrive&) = delete;

  std::filesystem::path Host(const std::string& name) const { return dir_ / name; }
  void Write(const std::string& name, const std::vector<std::uint8_t>& bytes) const {
    std::ofstream out(Host(name), std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  }
  void Write(const std::string& name, const std::string& text) const {
    Write(name, std::vector<std::uint8_t>(text.begin(), text.end()));
  }
  std::vector<std::uint8_t> Read(const std::string& name) const {
    std::ifstream in(Host(name), std::ios::binary);
    return std::vector<std::uint8_t>((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  }

 private:
  std::filesystem::path dir_;
};

// Little-endian image builder.
struct Bytes {
  std::vector<std::uint8_t> b;
  template <plat::LEField T>
  Bytes& Put(T v) {
    const auto image = plat::EncodeLE(v);
    b.insert(b.end(), image.begin(), image.end());
    return *this;
  }
  Bytes& U8(std::uint8_t v) { return Put(v); }
  Bytes& U16(std::uint16_t v) { return Put(v); }
  Bytes& U32(std::uint32_t v) { return Put(v); }
  Bytes& F32(float v) { return Put(v); }
  Bytes& Fill(std::size_t n, std::uint8_t v = 0) {
    b.insert(b.end(), n, v);
    return *this;
  }
  Bytes& Text(const std::string& s) {
    b.insert(b.end(), s.begin(), s.end());
    return *this;
  }
  void PutU32(std::size_t at, std::uint32_t v) { EXPECT_TRUE(plat::ByteWriter(b).WriteAt(at, v)) << at; }
};

// The 32-bit field at `at` of an image.
inline std::uint32_t U32At(std::span<const std::uint8_t> image, std::size_t at) {
  std::uint32_t v = 0;
  EXPECT_TRUE(plat::ByteReader(image).ReadAt(at, v)) << "no field at " << at;
  return v;
}

// Runs `attempt` with the 1st, 2nd, ... allocation failing until it succeeds.
// Every failing run must report SG_ERROR_NO_MEMORY and leave no block behind; a
// succeeding run frees what it made itself. Returns the number of runs.
template <class Attempt>
int ExpectCleanOutOfMemory(Attempt attempt) {
  for (std::uint32_t n = 1; n < 100000; ++n) {
    const std::size_t before = SGMallocLiveBlocks();
    SGMallocFailAt(n);
    const SGError err = attempt();
    SGMallocFailAt(0);
    EXPECT_EQ(SGMallocLiveBlocks(), before) << "allocation " << n;
    if (err == SG_ERROR_NONE) {
      return static_cast<int>(n);
    }
    EXPECT_EQ(err, SG_ERROR_NO_MEMORY) << "allocation " << n;
    if (err != SG_ERROR_NO_MEMORY) {
      return static_cast<int>(n);
    }
  }
  ADD_FAILURE() << "never succeeded";
  return 0;
}

}  // namespace sgtest
