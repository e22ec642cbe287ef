#include "tests/support/scratch_drive.h"

#include "platform/core/dospath.h"
#include "platform/core/registry.h"

namespace quentest {

ScratchDrive::ScratchDrive(char letter) : root_("quentest-drive"), letter_(letter) {
  std::filesystem::create_directories(Host());
  std::filesystem::create_directories(OnCd());
  plat::SetRegistryFile(RegistryFile());
  plat::ClearDrives();
  plat::SetDrive(letter_, Host());
  if (letter_ != 'D') plat::SetDrive('D', OnCd(), plat::DriveType::CdRom);
  plat::SetCurrentDosDirectory(std::string(1, letter_) + ":\\");
}

ScratchDrive::~ScratchDrive() {
  plat::ResetRegistryFile();
  plat::ClearDrives();
}

std::string ScratchDrive::Dos(const std::string& rel) const {
  std::string path = std::string(1, letter_) + ":\\" + rel;
  for (char& c : path)
    if (c == '/') c = '\\';
  return path;
}

}  // namespace quentest
