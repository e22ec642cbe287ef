// DOS paths and drives: any text resolves on a mapped drive to a place inside
// its directory (".." never climbs out), or not at all; a directory made
// current is one that exists, and the current directory reads back as a path
// that resolves to it.
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

#include "fuzz/platform_paths.h"
#include "fuzz/scratch.h"
#include "platform/core/dospath.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const fuzz::Scratch& scratch = fuzz::Scratch::Get();
  static const bool made = [&] {
    std::filesystem::create_directories(scratch.dir() / "Art" / "Sub");
    std::filesystem::create_directories(scratch.dir() / "SAVE");
    return true;
  }();
  (void)made;
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  plat::SetCurrentDosDirectory("Q:\\ART");

  const char first = text.empty() ? '\0' : static_cast<char>(text[0] | 0x20);
  const bool onOtherDrive = text.size() >= 2 && text[1] == ':' && first >= 'a' && first <= 'z' && first != 'q';
  if (auto host = plat::ResolveDosPath(text)) {
    if (onOtherDrive || !fuzz::Inside(scratch.dir(), *host)) __builtin_trap();
  }
  plat::GetDriveType(std::string(text).c_str());
  plat::MatchesDosPattern(text, "NAME.RPL");
  plat::MatchesDosPattern("*.rpl", text);

  if (plat::SetCurrentDosDirectory(text)) {
    const std::string now = plat::GetCurrentDosDirectory();
    auto host = plat::ResolveDosPath(now);
    std::error_code ec;
    if (!host || !std::filesystem::is_directory(*host, ec) || !fuzz::Inside(scratch.dir(), *host)) __builtin_trap();
    if (plat::GetCurrentDosDirectory() != now) __builtin_trap();
  }
  return 0;
}
