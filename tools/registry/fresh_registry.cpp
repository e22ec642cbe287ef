#include "tools/registry/fresh_registry.h"

#include <algorithm>
#include <system_error>

#include "platform/core/registry.h"

namespace registrydata {
namespace {

using Values = std::vector<std::pair<std::string, std::string>>;

// Stores `values` under `root`\`subKey`; false (with `error`) at the first failure.
bool Store(plat::HKEY root, const char* subKey, const Values& values, std::string& error) {
  plat::HKEY key = nullptr;
  if (plat::RegCreateKeyEx(root, subKey, 0, nullptr, plat::REG_OPTION_NON_VOLATILE, plat::KEY_ALL_ACCESS, nullptr, &key,
                           nullptr) != plat::ERROR_SUCCESS) {
    error = std::string("cannot create the key ") + subKey;
    return false;
  }
  bool ok = true;
  for (const auto& [name, data] : values) {
    const auto size = static_cast<plat::DWORD>(data.size() + 1);
    if (plat::RegSetValueEx(key, name.c_str(), 0, plat::REG_SZ, reinterpret_cast<const plat::BYTE*>(data.c_str()),
                            size) != plat::ERROR_SUCCESS) {
      error = std::string("cannot store ") + subKey + "\\" + name;
      ok = false;
      break;
    }
  }
  plat::RegCloseKey(key);
  return ok;
}

// Every directory value ends with a backslash: the program appends names directly.
std::string DirectoryValue(const std::string& root, std::string folder) {
  if (folder == ".") return root + "\\";
  std::replace(folder.begin(), folder.end(), '/', '\\');
  return root + "\\" + folder + "\\";
}

}  // namespace

bool WriteFreshRegistry(const std::filesystem::path& file, const FreshInstallation& install, std::string& error) {
  // Built in a file of its own and moved into place whole, so a failed run
  // leaves no half registry behind.
  const std::filesystem::path building = file.string() + ".new";
  std::error_code ec;
  std::filesystem::remove(building, ec);
  plat::SetRegistryFile(building);

  Values release;
  for (const auto& [value, folder] : install.directories)
    release.emplace_back(value, DirectoryValue(install.installRoot, folder));
  release.emplace_back("CDPATH", install.cdRoot);
  release.emplace_back("QUICKSTARTFILE", "");
  release.emplace_back("EXCLUSIVEMODE", "0");
  const Values debug = {{"SNIFFERPATH", install.installRoot + "\\SNIFFER\\"},
                        {"SNIFFER_RANGE_MIN", "0"},
                        {"SNIFFER_RANGE_MAX", "0"},
                        {"MODELNAME", ""},
                        // A single-player server ends with the client that started it.
                        {"KILLSERVERONEXIT", "1"},
                        {"PACKETSNIFFER", "0"}};
  const Values drives = {{"C", install.driveC.string()}, {"D", install.driveD.string()}, {"DType", "cdrom"}};
  const Values programs = {{"QuenSrvr.exe", install.server.string()}};

  const bool ok = Store(plat::HKEY_CURRENT_USER, "SOFTWARE\\Halvorn\\Quenbar\\Release", release, error) &&
                  Store(plat::HKEY_CURRENT_USER, "SOFTWARE\\Halvorn\\Quenbar\\Debug", debug, error) &&
                  Store(plat::HKEY_LOCAL_MACHINE, "SOFTWARE\\QuenbarPlatform\\Drives", drives, error) &&
                  Store(plat::HKEY_LOCAL_MACHINE, "SOFTWARE\\QuenbarPlatform\\Programs", programs, error);
  plat::ResetRegistryFile();
  if (!ok) {
    std::filesystem::remove(building, ec);
    return false;
  }
  std::filesystem::rename(building, file, ec);
  if (ec) {
    error = "cannot write " + file.string() + ": " + ec.message();
    return false;
  }
  return true;
}

}  // namespace registrydata
