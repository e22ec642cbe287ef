#include "Game/save/SafeWrite.h"

#include <filesystem>
#include <system_error>

#include "platform/core/dospath.h"

namespace {

std::string Aside(const std::string& dosPath) { return dosPath + ".tmp"; }

}  // namespace

WriteResult WriteFileAside(const std::string& dosPath, const std::function<bool(plat::FILE*)>& body) {
  const std::string temp = Aside(dosPath);
  // "c": the flush below forces the bytes to the disk before the rename
  // makes them the file.
  plat::FILE* fp = plat::fopen(temp.c_str(), "wbc");
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
  plat::remove(temp.c_str());
  return WriteResult::Failed;
}

bool PutFileInPlace(const std::string& dosPath) {
  const auto from = plat::ResolveDosPath(Aside(dosPath));
  const auto to = plat::ResolveDosPath(dosPath);
  std::error_code ec;
  // The host's rename replaces the old file in one step, unlike the
  // classic runtime's, which refuses an existing name.
  if (from && to) std::filesystem::rename(*from, *to, ec);
  if (from && to && !ec) return true;
  DropFileAside(dosPath);
  return false;
}

void DropFileAside(const std::string& dosPath) { plat::remove(Aside(dosPath).c_str()); }

WriteResult WriteFileSafely(const std::string& dosPath, const std::function<bool(plat::FILE*)>& body) {
  const WriteResult result = WriteFileAside(dosPath, body);
  if (result != WriteResult::Written) return result;
  return PutFileInPlace(dosPath) ? WriteResult::Written : WriteResult::Failed;
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
