#include "server/SrvDurableFile.h"

#include <fcntl.h>
#include <unistd.h>

#include <array>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <system_error>

namespace {

bool g_synced = true;

// Writes all of `bytes` to `fd`, riding out short writes and interruptions.
bool WriteAll(int fd, std::span<const std::uint8_t> bytes) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += static_cast<std::size_t>(n);
  }
  return true;
}

// Forces the folder's entries (a rename into it) to the disk.
void SyncFolder(const std::string& hostPath) {
  std::filesystem::path folder = std::filesystem::path(hostPath).parent_path();
  if (folder.empty()) folder = ".";
  const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  ::fsync(fd);
  ::close(fd);
}

// "name.svr.new", "name.esv.new", "name-3.s07.new": a temporary of one of the
// server's own files, with any letter case the folder gives it.
bool IsServerTemporary(const std::string& name) {
  const std::string suffix = kSrvTemporarySuffix;
  if (name.size() < suffix.size() + 4 || name.compare(name.size() - suffix.size(), suffix.size(), suffix) != 0)
    return false;
  std::string ext = name.substr(name.size() - suffix.size() - 4, 4);
  for (char& c : ext) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  if (ext == ".svr" || ext == ".esv") return true;
  return ext[1] == 's' && std::isdigit(static_cast<unsigned char>(ext[2])) &&
         std::isdigit(static_cast<unsigned char>(ext[3]));
}

}  // namespace

bool SrvWriteFileDurably(const std::string& hostPath, std::span<const std::uint8_t> bytes) {
  return SrvWriteFileDurablyKeeping(hostPath, "", bytes);
}

bool SrvWriteFileDurablyKeeping(const std::string& hostPath, const std::string& keptPath,
                                std::span<const std::uint8_t> bytes) {
  const std::string temporary = hostPath + kSrvTemporarySuffix;
  const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0) return false;
  bool ok = WriteAll(fd, bytes);
  ok = (!g_synced || ::fsync(fd) == 0) && ok;
  ok = ::close(fd) == 0 && ok;
  // Renames take no room on the disk: once the new file is whole, a full
  // disk can no longer cost the kept one.
  bool kept = false;
  if (ok && !keptPath.empty()) {
    kept = ::rename(hostPath.c_str(), keptPath.c_str()) == 0;
    ok = kept || errno == ENOENT;
  }
  ok = ok && ::rename(temporary.c_str(), hostPath.c_str()) == 0;
  if (!ok) {
    if (kept) ::rename(keptPath.c_str(), hostPath.c_str());
    ::unlink(temporary.c_str());
    return false;
  }
  // The file is whole under its name either way; a folder that cannot be
  // synced only leaves the rename to the system's own schedule.
  if (g_synced) SyncFolder(hostPath);
  return true;
}

void SrvSetSyncedWrites(bool on) { g_synced = on; }

std::optional<std::vector<std::uint8_t>> SrvReadWholeFile(const std::string& hostPath, std::size_t limit) {
  std::ifstream in(hostPath, std::ios::binary);
  if (!in) return std::nullopt;
  std::vector<std::uint8_t> bytes;
  char chunk[4096];
  while (in.read(chunk, sizeof chunk) || in.gcount() > 0) {
    bytes.insert(bytes.end(), chunk, chunk + in.gcount());
    if (bytes.size() > limit) return std::nullopt;
  }
  if (in.bad()) return std::nullopt;
  return bytes;
}

int SrvRemoveStaleTemporaries(const std::string& folder) {
  std::error_code ec;
  const std::filesystem::path dir = folder.empty() ? std::filesystem::path(".") : std::filesystem::path(folder);
  std::vector<std::filesystem::path> stale;
  for (auto it = std::filesystem::directory_iterator(dir, ec); !ec && it != std::filesystem::directory_iterator();
       it.increment(ec))
    if (it->is_regular_file(ec) && IsServerTemporary(it->path().filename().string())) stale.push_back(it->path());
  int removed = 0;
  for (const auto& path : stale) removed += std::filesystem::remove(path, ec) ? 1 : 0;
  return removed;
}

std::uint32_t SrvChecksum(std::span<const std::uint8_t> bytes) {
  static const std::array<std::uint32_t, 256> table = [] {
    std::array<std::uint32_t, 256> t{};
    for (std::uint32_t n = 0; n < 256; ++n) {
      std::uint32_t c = n;
      for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
      t[n] = c;
    }
    return t;
  }();
  std::uint32_t crc = 0xFFFFFFFFu;
  for (std::uint8_t b : bytes) crc = table[(crc ^ b) & 0xFF] ^ (crc >> 8);
  return crc ^ 0xFFFFFFFFu;
}
