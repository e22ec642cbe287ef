#pragma once
// A private folder for the targets whose readers only take files: it is drive
// Q and the current DOS directory, so "name.dat" and "Q:\name.dat" both land in
// it, and it goes when the program ends normally. It lies in memory where the
// system offers a memory file system: a target's files then cost no disk
// writes, and the syncs that make saves durable return at once.

#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <span>
#include <string>

#include "platform/core/dospath.h"
#include "platform/core/files.h"

namespace fuzz {

class Scratch {
 public:
  static Scratch& Get() {
    static Scratch scratch;
    return scratch;
  }

  const std::filesystem::path& dir() const { return dir_; }

  // Replaces the file `name` of the folder by `bytes`.
  void Write(const std::string& name, std::span<const std::uint8_t> bytes) const {
    std::ofstream out(dir_ / name, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  }

  // Writes `bytes` as `name` and opens it with `mode`; null when it cannot.
  plat::FILE* Open(const std::string& name, std::span<const std::uint8_t> bytes, const char* mode = "rb") const {
    Write(name, bytes);
    return plat::fopen(("Q:\\" + name).c_str(), mode);
  }

  // The memory file system's folder when there is one, else the temporary folder.
  static std::filesystem::path Root() {
    std::error_code ec;
    const std::filesystem::path shm = "/dev/shm";
    if (std::filesystem::is_directory(shm, ec) && ::access(shm.c_str(), W_OK) == 0) return shm;
    return std::filesystem::temp_directory_path();
  }

  Scratch(const Scratch&) = delete;
  Scratch& operator=(const Scratch&) = delete;

 private:
  Scratch() : dir_(Root() / ("quenfuzz-" + std::to_string(::getpid()))) {
    std::filesystem::create_directories(dir_);
    plat::ClearDrives();
    plat::SetDrive('Q', dir_);
    plat::SetCurrentDosDirectory("Q:\\");
  }
  ~Scratch() {
    std::error_code ec;
    std::filesystem::remove_all(dir_, ec);
  }

  std::filesystem::path dir_;
};

}  // namespace fuzz
