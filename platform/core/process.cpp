#include "platform/core/process.h"

#include <array>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdarg>
#include <cstdlib>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "platform/core/clock.h"
#include "platform/core/dospath.h"
#include "platform/core/registry.h"

extern char** environ;

namespace plat {

namespace {

// The programs started and not yet waited for, a slot each (0 free,
// kStarting while a start is under way). Lock-free, so that a signal handler
// may end them; a slot is let go only once its program has ended, so the
// number cannot meanwhile name another process.
constexpr std::size_t kMaxChildren = 64;
constexpr pid_t kStarting = -1;
using ChildSlot = std::atomic<pid_t>;
static_assert(ChildSlot::is_always_lock_free);
std::array<ChildSlot, kMaxChildren> g_children{};

ChildSlot* TakeFreeSlot() {
  for (ChildSlot& slot : g_children) {
    pid_t free = 0;
    if (slot.compare_exchange_strong(free, kStarting)) return &slot;
  }
  return nullptr;
}

ChildSlot* SlotOf(pid_t pid) {
  if (pid <= 0) return nullptr;
  for (ChildSlot& slot : g_children)
    if (slot.load() == pid) return &slot;
  return nullptr;
}

bool IsExecutableFile(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && ::access(path.c_str(), X_OK) == 0;
}

// The host executable mapped to the program's DOS name, if any.
std::optional<std::string> FromProgramMap(std::string_view program) {
  const std::size_t cut = program.find_last_of("\\/:");
  const std::string_view name = cut == std::string_view::npos ? program : program.substr(cut + 1);
  HKEY key = nullptr;
  if (RegOpenKeyEx(HKEY_LOCAL_MACHINE, "SOFTWARE\\QuenbarPlatform\\Programs", 0, KEY_READ, &key) != ERROR_SUCCESS) {
    return std::nullopt;
  }
  std::optional<std::string> found;
  char valueName[256];
  char value[4096];
  for (DWORD i = 0;; ++i) {
    DWORD nameSize = sizeof valueName;
    DWORD size = sizeof value;
    const LONG rc = RegEnumValue(key, i, valueName, &nameSize, nullptr, nullptr, reinterpret_cast<BYTE*>(value), &size);
    if (rc == ERROR_NO_MORE_ITEMS) break;
    if (rc == ERROR_SUCCESS && SameNameNoCase(valueName, name)) {
      found = value;
      break;
    }
  }
  RegCloseKey(key);
  return found;
}

// A bare name along the host's PATH, as the classic runtime searched its own.
std::optional<std::string> FromSearchPath(std::string_view program) {
  const char* path = std::getenv("PATH");
  if (path == nullptr || program.find_first_of("\\/:") != std::string_view::npos) return std::nullopt;
  std::string_view dirs = path;
  while (!dirs.empty()) {
    const std::size_t cut = dirs.find(':');
    const std::string_view dir = dirs.substr(0, cut);
    dirs = cut == std::string_view::npos ? std::string_view{} : dirs.substr(cut + 1);
    if (dir.empty()) continue;
    std::string candidate = std::string(dir) + "/" + std::string(program);
    if (IsExecutableFile(candidate)) return candidate;
  }
  return std::nullopt;
}

std::optional<std::string> FindExecutable(const char* program, bool searchPath) {
  if (program == nullptr || *program == '\0') return std::nullopt;
  if (auto mapped = FromProgramMap(program)) return mapped;
  if (auto host = ResolveDosPath(program); host && IsExecutableFile(host->string())) return host->string();
  if (program[0] == '/' && IsExecutableFile(program)) return std::string(program);
  if (searchPath) return FromSearchPath(program);
  return std::nullopt;
}

// The arguments as the started program sees them: joined into one command line
// and split again at blanks outside double quotes.
std::vector<std::string> CommandLineArguments(const char* const* argv) {
  std::string line;
  for (const char* const* a = argv; a != nullptr && *a != nullptr; ++a) {
    if (a != argv) line += ' ';
    line += *a;
  }
  std::vector<std::string> args;
  std::string current;
  bool inArg = false, quoted = false;
  for (std::size_t i = 0; i < line.size(); ++i) {
    const char c = line[i];
    if (c == '\\' && i + 1 < line.size() && line[i + 1] == '"') {
      current += '"';
      inArg = true;
      ++i;
    } else if (c == '"') {
      quoted = !quoted;
      inArg = true;
    } else if ((c == ' ' || c == '\t') && !quoted) {
      if (inArg) args.push_back(std::move(current));
      current.clear();
      inArg = false;
    } else {
      current += c;
      inArg = true;
    }
  }
  if (inArg) args.push_back(std::move(current));
  return args;
}

// Waits for `pid`, servicing the idle hook, and lets its slot go; the exit
// code, or 128 + signal.
int WaitForChild(pid_t pid, ChildSlot& slot) {
  for (;;) {
    // Seen ended but not yet collected: the number stays its own until then.
    siginfo_t info{};
    const int r = ::waitid(P_PID, static_cast<id_t>(pid), &info, WEXITED | WNOHANG | WNOWAIT);
    if (r == 0 && info.si_pid == pid) break;
    if (r < 0 && errno != EINTR) break;
    RunIdleHook();
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  slot.store(0);
  int status = 0;
  pid_t r;
  do {
    r = ::waitpid(pid, &status, 0);
  } while (r < 0 && errno == EINTR);
  if (r != pid) return -1;
  if (WIFEXITED(status)) return WEXITSTATUS(status);
  if (WIFSIGNALED(status)) return 128 + WTERMSIG(status);
  return -1;
}

std::intptr_t Spawn(int mode, const char* program, const char* const* argv, bool searchPath) {
  if (mode != _P_WAIT && mode != _P_NOWAIT) {
    errno = EINVAL;
    return -1;
  }
  const auto exe = FindExecutable(program, searchPath);
  if (!exe) {
    errno = ENOENT;
    return -1;
  }
  std::vector<std::string> args = CommandLineArguments(argv);
  if (args.empty()) args.push_back(*exe);
  std::vector<char*> cargs;
  for (std::string& a : args) cargs.push_back(a.data());
  cargs.push_back(nullptr);

  ChildSlot* slot = TakeFreeSlot();
  if (!slot) {
    errno = EAGAIN;
    return -1;
  }
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  const auto cwd = ResolveDosPath(GetCurrentDosDirectory());
  std::string cwdText;
  if (cwd && std::filesystem::is_directory(*cwd)) {
    cwdText = cwd->string();
    posix_spawn_file_actions_addchdir_np(&actions, cwdText.c_str());
  }
  pid_t pid = 0;
  const int rc = ::posix_spawn(&pid, exe->c_str(), &actions, nullptr, cargs.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (rc != 0) {
    slot->store(0);
    errno = rc;
    return -1;
  }
  slot->store(pid);
  if (mode == _P_WAIT) return WaitForChild(pid, *slot);
  return pid;
}

}  // namespace

std::intptr_t _spawnv(int mode, const char* program, const char* const* argv) {
  return Spawn(mode, program, argv, false);
}

std::intptr_t _spawnvp(int mode, const char* program, const char* const* argv) {
  return Spawn(mode, program, argv, true);
}

namespace {

// arg0 and the arguments after it up to the null that ends them.
std::vector<const char*> ArgumentList(const char* arg0, std::va_list args) {
  std::vector<const char*> argv{arg0};
  while (argv.back() != nullptr) argv.push_back(va_arg(args, const char*));
  return argv;
}

}  // namespace

std::intptr_t _spawnl(int mode, const char* program, const char* arg0, ...) {
  std::va_list args;
  va_start(args, arg0);
  const std::vector<const char*> argv = ArgumentList(arg0, args);
  va_end(args);
  return _spawnv(mode, program, argv.data());
}

std::intptr_t _spawnlp(int mode, const char* program, const char* arg0, ...) {
  std::va_list args;
  va_start(args, arg0);
  const std::vector<const char*> argv = ArgumentList(arg0, args);
  va_end(args);
  return _spawnvp(mode, program, argv.data());
}

std::intptr_t _cwait(int* status, std::intptr_t handle, int /*action*/) {
  const auto pid = static_cast<pid_t>(handle);
  ChildSlot* slot = SlotOf(pid);
  if (!slot) return -1;
  const int code = WaitForChild(pid, *slot);
  if (status != nullptr) *status = code;
  return handle;
}

bool KillProcess(std::intptr_t handle) {
  const auto pid = static_cast<pid_t>(handle);
  return SlotOf(pid) && ::kill(pid, SIGKILL) == 0;
}

void KillChildProcesses() {
  for (ChildSlot& slot : g_children) {
    const pid_t pid = slot.load();
    if (pid > 0) ::kill(pid, SIGKILL);
  }
}

}  // namespace plat
