// The registry file: any text is read into keys and values that can all be
// enumerated and opened, and a change saves a file that reads back as the same
// registry.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>
#include <string>

#include "fuzz/scratch.h"
#include "platform/core/registry.h"

namespace {

constexpr int kMaxDepth = 12;

// Every key and value below `key`, as text.
void Dump(plat::HKEY key, int depth, std::string& out) {
  for (plat::DWORD i = 0;; ++i) {
    char name[512];
    plat::BYTE data[512];
    plat::DWORD nameSize = sizeof name;
    plat::DWORD size = sizeof data;
    plat::DWORD type = 0;
    const plat::LONG rc = plat::RegEnumValue(key, i, name, &nameSize, nullptr, &type, data, &size);
    if (rc == plat::ERROR_NO_MORE_ITEMS) break;
    if (rc == plat::ERROR_MORE_DATA) {
      out += "(too long)\n";
      continue;
    }
    if (rc != plat::ERROR_SUCCESS || type != plat::REG_SZ || size == 0 || data[size - 1] != 0) __builtin_trap();
    out.append(name, nameSize).append("=").append(reinterpret_cast<const char*>(data), size).append("\n");
  }
  if (depth == kMaxDepth) return;
  for (plat::DWORD i = 0;; ++i) {
    char name[512];
    plat::DWORD nameSize = sizeof name;
    const plat::LONG rc = plat::RegEnumKeyEx(key, i, name, &nameSize, nullptr, nullptr, nullptr, nullptr);
    if (rc == plat::ERROR_NO_MORE_ITEMS) break;
    if (rc != plat::ERROR_SUCCESS) {
      out += "[too long]\n";
      continue;
    }
    out.append("[").append(name, nameSize).append("]\n");
    // A name holding a NUL cannot be passed back as a C string.
    if (std::strlen(name) != nameSize) continue;
    plat::HKEY sub = nullptr;
    if (plat::RegOpenKeyEx(key, name, 0, plat::KEY_READ, &sub) != plat::ERROR_SUCCESS) __builtin_trap();
    Dump(sub, depth + 1, out);
    out += "[end]\n";
    plat::RegCloseKey(sub);
  }
}

std::string DumpAll() {
  std::string out;
  Dump(plat::HKEY_CURRENT_USER, 0, out);
  out += "--\n";
  Dump(plat::HKEY_LOCAL_MACHINE, 0, out);
  return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const fuzz::Scratch& scratch = fuzz::Scratch::Get();
  scratch.Write("registry.reg", std::span<const std::uint8_t>(data, size));
  plat::SetRegistryFile(scratch.dir() / "registry.reg");
  DumpAll();

  // Storing a value saves the whole registry; reading that file back gives it again.
  const char text[] = "probe";
  if (plat::RegSetValueEx(plat::HKEY_LOCAL_MACHINE, "quenfuzz", 0, plat::REG_SZ,
                          reinterpret_cast<const plat::BYTE*>(text), sizeof text) != plat::ERROR_SUCCESS)
    __builtin_trap();
  const std::string stored = DumpAll();
  plat::SetRegistryFile(scratch.dir() / "registry.reg");
  if (DumpAll() != stored) __builtin_trap();
  return 0;
}
