#include "platform/core/durable_file.h"

#include <cerrno>
#include <mutex>
#include <string>
#include <system_error>
#include <utility>

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

namespace plat {
namespace {

struct Observer {
  std::mutex mutex;
  std::function<void(const std::filesystem::path&)> call;
};

Observer& TheObserver() {
  static Observer o;
  return o;
}

// An open descriptor, closed on every way out.
class Fd {
 public:
  explicit Fd(int fd) : fd_(fd) {}
  ~Fd() {
    if (fd_ >= 0) ::close(fd_);
  }
  Fd(const Fd&) = delete;
  Fd& operator=(const Fd&) = delete;
  int get() const { return fd_; }
  bool Close() {
    const int fd = std::exchange(fd_, -1);
    return ::close(fd) == 0;
  }

 private:
  int fd_;
};

bool Sync(const std::filesystem::path& path, int fd) {
  {
    Observer& o = TheObserver();
    std::lock_guard lock(o.mutex);
    if (o.call) o.call(path);
  }
  return ::fsync(fd) == 0;
}

bool SyncDirectory(const std::filesystem::path& dir) {
  Fd fd(::open(dir.empty() ? "." : dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  return fd.get() >= 0 && Sync(dir, fd.get());
}

bool WriteAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t n = ::write(fd, bytes.data(), bytes.size());
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    bytes.remove_prefix(static_cast<std::size_t>(n));
  }
  return true;
}

std::string TemporaryPrefix(const std::filesystem::path& file) { return file.filename().string() + ".tmp-"; }

}  // namespace

bool ReplaceFileDurably(const std::filesystem::path& file, std::string_view contents) {
  const std::filesystem::path dir = file.parent_path();
  const std::filesystem::path temp = dir / (TemporaryPrefix(file) + std::to_string(::getpid()));
  auto fail = [&] {
    std::error_code ec;
    std::filesystem::remove(temp, ec);
    return false;
  };
  {
    Fd fd(::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644));
    if (fd.get() < 0) return false;
    if (!WriteAll(fd.get(), contents) || !Sync(temp, fd.get()) || !fd.Close()) return fail();
  }
  if (!SyncDirectory(dir)) return fail();
  std::error_code ec;
  std::filesystem::rename(temp, file, ec);
  if (ec) return fail();
  // The new file is in place; a failed sync now only weakens the guarantee.
  SyncDirectory(dir);
  return true;
}

void RemoveStaleTemporaries(const std::filesystem::path& file) {
  const std::string prefix = TemporaryPrefix(file);
  std::error_code ec;
  const std::filesystem::path dir = file.has_parent_path() ? file.parent_path() : std::filesystem::path(".");
  for (const auto& entry : std::filesystem::directory_iterator(dir, ec)) {
    const std::string name = entry.path().filename().string();
    if (!name.starts_with(prefix)) continue;
    const std::string digits = name.substr(prefix.size());
    if (digits.empty() || digits.size() > 9 || digits.find_first_not_of("0123456789") != std::string::npos) continue;
    const pid_t pid = static_cast<pid_t>(std::stol(digits));
    if (pid != ::getpid() && (::kill(pid, 0) == 0 || errno != ESRCH)) continue;  // a save still running
    std::filesystem::remove(entry.path(), ec);
  }
}

void SetSyncObserver(std::function<void(const std::filesystem::path&)> observer) {
  Observer& o = TheObserver();
  std::lock_guard lock(o.mutex);
  o.call = std::move(observer);
}

}  // namespace plat
