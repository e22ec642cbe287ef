#pragma once
// What the tests of the real server program share: where it is built and a
// scratch folder to run it in.

#include <linux/limits.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <string>

namespace {

// The server program, built beside the client program and its module.
std::string ServerPath() {
  char path[PATH_MAX] = {};
  const ssize_t n = ::readlink("/proc/self/exe", path, sizeof path - 1);
  if (n <= 0) return {};
  return (std::filesystem::path(std::string(path, static_cast<std::size_t>(n))).parent_path().parent_path() / "Game" /
          "quensrvr")
      .string();
}

// Runs the case in a folder of its own, where the server writes its log.
struct ScratchFolder {
  std::filesystem::path before = std::filesystem::current_path();
  std::filesystem::path dir;
  ScratchFolder() {
    char pattern[] = "/tmp/srvtestXXXXXX";
    dir = ::mkdtemp(pattern);
    std::filesystem::current_path(dir);
  }
  ~ScratchFolder() {
    std::filesystem::current_path(before);
    std::error_code ec;
    std::filesystem::remove_all(dir, ec);
  }
  std::string Log() const {
    std::string text;
    if (FILE* f = std::fopen((dir / "QuenSrvr.log").c_str(), "r")) {
      char buf[4096];
      std::size_t n;
      while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) text.append(buf, n);
      std::fclose(f);
    }
    return text;
  }
};

}  // namespace
