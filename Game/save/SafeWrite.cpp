#include "Game/save/SafeWrite.h"

#include <filesystem>
#include <system_error>

#include "platform/core/dospath.h"

std::string AsideOf(const std::string& dosPath) { return dosPath + ".tmp"; }

WriteResult WriteFileAside(const std::string& aside, const std::function<bool(plat::FILE*)>& body) {
  // "c": the flush below forces the bytes to the disk before the rename
  // makes them the file.
  plat::FILE* fp = plat::fopen(aside.c_str(), "wbc");
  if (fp == nullptr) return WriteResult::CannotCreate;
  bool ok = false;
  {
    // The save writes field by field: its lock is taken once for all of them.
    plat::FileLockGuard hold(fp);
    ok = body(fp);
  }
  ok = plat::fflush(fp) == 0 && ok;
  ok = plat::ferror(fp) == 0 && ok;
  ok = plat::fclose(fp) == 0 && ok;
  if (ok) return WriteResult::Written;
  plat::remove(aside.c_str());
  return WriteResult::Failed;
}

bool PutFileInPlace(const std::string& aside, const std::string& dosPath) {
  const auto from = plat::ResolveDosPath(aside);
  const auto to = plat::ResolveDosPath(dosPath);
  std::error_code ec;
  // The host's rename replaces the old file in one step, unlike the
  // classic runtime's, which refuses an existing name.
  if (from && to) std::filesystem::rename(*from, *to, ec);
  if (from && to && !ec) return true;
  DropFileAside(aside);
  return false;
}

void DropFileAside(const std::string& aside) { plat::remove(aside.c_str()); }

WriteResult WriteFileSafely(const std::string& dosPath, const std::function<bool(plat::FILE*)>& body) {
  const std::string aside = AsideOf(dosPath);
  const WriteResult result = WriteFileAside(aside, body);
  if (result != WriteResult::Written) return result;
  return PutFileInPlace(aside, dosPath) ? WriteResult::Written : WriteResult::Failed;
}

std::string ReplaceExtension(std::string_view name, std::string_view extension) {
  return StripExtension(name) + std::string(extension);
}

std::string StripExtension(std::string_view name) {
  const std::size_t dot = name.rfind('.');
  return std::string(dot == std::string_view::npos ? name : name.substr(0, dot));
}

bool IsPlainFileName(std::string_view name) {
  if (name.empty() || name.find_first_of("\\/:") != std::string_view::npos) return false;
  return name != "." && name != "..";
}
