#pragma once
// A scratch installation for one test: a temporary directory mapped as a drive
// (C unless told otherwise, with a CD drive D beside it), a registry file of
// its own, and the current directory at the drive's root. Everything goes back
// to no drives and the default registry file when it goes.

#include <filesystem>
#include <string>

#include "tests/support/temp_dir.h"

namespace quentest {

class ScratchDrive {
 public:
  explicit ScratchDrive(char letter = 'C');
  ~ScratchDrive();
  ScratchDrive(const ScratchDrive&) = delete;
  ScratchDrive& operator=(const ScratchDrive&) = delete;

  // Host path of `rel` below the drive's root ("SAVE/game.sav"), or below the
  // CD's with OnCd.
  std::filesystem::path Host(const std::string& rel = "") const { return root_.path() / "drive" / rel; }
  std::filesystem::path OnCd(const std::string& rel = "") const { return root_.path() / "cd" / rel; }
  // The DOS path of `rel` on the drive ("C:\SAVE\game.sav").
  std::string Dos(const std::string& rel) const;
  std::filesystem::path RegistryFile() const { return root_.path() / "registry.reg"; }

  void Write(const std::string& rel, const std::string& bytes) const { WriteHostFile(Host(rel), bytes); }
  std::string Read(const std::string& rel) const { return ReadHostFile(Host(rel)); }

 private:
  TempDir root_;
  char letter_;
};

}  // namespace quentest
