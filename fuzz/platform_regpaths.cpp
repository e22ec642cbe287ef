// Registry values turned into paths: a registry file maps drives and names the
// installation's directories; every drive it maps keeps ".." inside its
// directory, and every installation value resolves inside its drive.
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include "fuzz/platform_paths.h"
#include "fuzz/scratch.h"
#include "platform/core/dospath.h"
#include "platform/core/registry.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const fuzz::Scratch& scratch = fuzz::Scratch::Get();
  scratch.Write("registry.reg", std::span<const std::uint8_t>(data, size));
  plat::SetRegistryFile(scratch.dir() / "registry.reg");
  plat::ReloadDriveTable();

  for (char letter = 'A'; letter <= 'Z'; ++letter) {
    const auto dir = plat::GetDriveDirectory(letter);
    if (!dir) continue;
    const std::string root = std::string(1, letter) + ":\\";
    plat::GetDriveType(root.c_str());
    if (auto host = plat::ResolveDosPath(root + "..\\..\\QUENBAR\\..\\..\\x.dat")) {
      if (!fuzz::Inside(*dir, *host)) __builtin_trap();
    }
  }

  plat::HKEY key = nullptr;
  if (plat::RegOpenKeyEx(plat::HKEY_CURRENT_USER, "SOFTWARE\\Halvorn\\Quenbar\\Release", 0, plat::KEY_READ, &key) !=
      plat::ERROR_SUCCESS)
    return 0;
  for (plat::DWORD i = 0; i < 64; ++i) {
    char name[128];
    char value[512];
    plat::DWORD nameSize = sizeof name, valueSize = sizeof value;
    const plat::LONG rc =
        plat::RegEnumValue(key, i, name, &nameSize, nullptr, nullptr, reinterpret_cast<plat::BYTE*>(value), &valueSize);
    if (rc == plat::ERROR_NO_MORE_ITEMS) break;
    if (rc != plat::ERROR_SUCCESS) continue;
    const std::string path = std::string(value) + "ART\\..\\..\\name.ima";
    const char letter = path.size() >= 2 && path[1] == ':' ? path[0] : plat::GetCurrentDosDirectory()[0];
    auto host = plat::ResolveDosPath(path);
    if (!host) continue;
    auto dir = plat::GetDriveDirectory(letter);
    if (!dir || !fuzz::Inside(*dir, *host)) __builtin_trap();
  }
  plat::RegCloseKey(key);
  return 0;
}
