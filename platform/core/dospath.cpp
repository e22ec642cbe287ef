#include "platform/core/dospath.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <map>
#include <mutex>
#include <system_error>
#include <vector>

#include <sys/stat.h>
#include <sys/statvfs.h>
#include <time.h>

#include "platform/core/registry.h"

namespace plat {

namespace fs = std::filesystem;

namespace {

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

struct Drive {
  bool mapped = false;
  fs::path dir;
  DriveType type = DriveType::NoRootDir;
};

// A DOS path made absolute: its drive and its components, without "." or "..".
struct DosPath {
  char drive = 'C';
  std::vector<std::string> parts;
};

struct State {
  std::mutex mutex;
  bool drivesLoaded = false;
  std::array<Drive, 26> drives;
  bool cwdKnown = false;
  DosPath cwd;
};

State& S() {
  static State state;
  return state;
}

int DriveIndex(char letter) {
  const char up = UpperAscii(letter);
  return (up >= 'A' && up <= 'Z') ? up - 'A' : -1;
}

std::optional<std::string> QueryString(HKEY key, const std::string& name) {
  char buf[4096];
  DWORD size = sizeof buf;
  DWORD type = 0;
  if (RegQueryValueEx(key, name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(buf), &size) != ERROR_SUCCESS) {
    return std::nullopt;
  }
  return std::string(buf);
}

// Reads the table from the registry; called with the state locked.
void LoadDrivesLocked(State& s) {
  s.drivesLoaded = true;
  s.drives = {};
  HKEY key = nullptr;
  if (RegOpenKeyEx(HKEY_LOCAL_MACHINE, "SOFTWARE\\QuenbarPlatform\\Drives", 0, KEY_READ, &key) != ERROR_SUCCESS) {
    return;
  }
  for (char letter = 'C'; letter <= 'Z'; ++letter) {
    auto dir = QueryString(key, std::string(1, letter));
    if (!dir || dir->empty()) continue;
    Drive& d = s.drives[letter - 'A'];
    d.mapped = true;
    d.dir = *dir;
    auto kind = QueryString(key, std::string(1, letter) + "Type");
    d.type = (kind && SameNameNoCase(*kind, "cdrom")) ? DriveType::CdRom : DriveType::Fixed;
  }
  RegCloseKey(key);
}

void EnsureDrivesLocked(State& s) {
  if (!s.drivesLoaded) LoadDrivesLocked(s);
}

// At start the current directory is where the host working directory lies on
// a mapped drive (the deepest mapping wins), else the root of C.
void EnsureCwdLocked(State& s) {
  if (s.cwdKnown) return;
  EnsureDrivesLocked(s);
  s.cwdKnown = true;
  s.cwd = DosPath{};
  std::error_code ec;
  const fs::path here = fs::weakly_canonical(fs::current_path(ec), ec);
  std::size_t best = 0;
  for (int i = 0; i < 26; ++i) {
    if (!s.drives[i].mapped) continue;
    const fs::path root = fs::weakly_canonical(s.drives[i].dir, ec);
    const fs::path rel = here.lexically_relative(root);
    if (rel.empty() || *rel.begin() == "..") continue;
    const std::size_t depth = static_cast<std::size_t>(std::distance(root.begin(), root.end()));
    if (depth < best) continue;
    best = depth;
    s.cwd.drive = static_cast<char>('A' + i);
    s.cwd.parts.clear();
    for (const fs::path& part : rel) {
      if (part != ".") s.cwd.parts.push_back(part.string());
    }
  }
}

// Makes `text` absolute against the current directory and drops "." and "..".
DosPath Normalise(std::string_view text, const DosPath& cwd) {
  DosPath out;
  std::string_view rest = text;
  if (rest.size() >= 2 && rest[1] == ':' && DriveIndex(rest[0]) >= 0) {
    out.drive = UpperAscii(rest[0]);
    rest.remove_prefix(2);
  } else {
    out.drive = cwd.drive;
  }
  if (rest.empty() || !IsSeparator(rest.front())) {
    if (out.drive == cwd.drive) out.parts = cwd.parts;
  }
  std::size_t start = 0;
  while (start <= rest.size()) {
    std::size_t end = start;
    while (end < rest.size() && !IsSeparator(rest[end])) ++end;
    const std::string_view part = rest.substr(start, end - start);
    if (part == "..") {
      if (!out.parts.empty()) out.parts.pop_back();
    } else if (!part.empty() && part != ".") {
      out.parts.emplace_back(part);
    }
    start = end + 1;
  }
  return out;
}

struct Resolved {
  fs::path host;
  DosPath dos;  // with the spelling found on disk
  bool exists = false;
};

// The entry of `names` matching `part` without regard to case, the first in
// name order; empty when none does.
std::string FirstMatch(const std::vector<std::string>& names, std::string_view part) {
  std::string found;
  for (const std::string& name : names) {
    if (SameNameNoCase(name, part) && (found.empty() || name < found)) found = name;
  }
  return found;
}

// Folder listings kept between look-ups, so that a name spelt in another case
// (or missing, as a resource module the installation lacks) costs one stat of
// its folder rather than a scan of it each time. A listing is trusted while
// the folder is the same one (device and inode) with the same modification
// time, which every entry added, removed or renamed in it moves on.
struct Listing {
  dev_t device = 0;
  ino_t inode = 0;
  timespec modified{};
  std::vector<std::string> names;
};

struct Listings {
  std::mutex mutex;
  std::map<std::string, Listing, std::less<>> byFolder;
};

Listings& Kept() {
  static Listings listings;
  return listings;
}

// At most this many folders are kept (the set is emptied when it would grow
// past them), and only folders of at most this many entries.
constexpr std::size_t kMaxKeptFolders = 64;
constexpr std::size_t kMaxKeptNames = 4096;
// File systems stamp times at a coarse grain (a clock tick, two seconds on
// FAT): a folder changed again within the grain of the listing's time could
// keep its stamp, so a listing is kept only when the folder's stamp is older
// than this before the scan began.
constexpr std::int64_t kStampGrainNs = 2'000'000'000;

std::int64_t Nanoseconds(const timespec& t) { return std::int64_t{t.tv_sec} * 1'000'000'000 + t.tv_nsec; }

bool SameStamp(const timespec& a, const timespec& b) { return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec; }

// The names in `folder`; `complete` tells whether it could be read to the end
// (a folder that may be passed through but not listed cannot).
std::vector<std::string> ScanFolder(const fs::path& folder, bool* complete = nullptr) {
  std::vector<std::string> names;
  std::error_code ec;
  for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
    names.push_back(it->path().filename().string());
  }
  if (complete != nullptr) *complete = !ec;
  return names;
}

bool IsKept(const fs::path& folder) {
  Listings& kept = Kept();
  std::lock_guard lock(kept.mutex);
  return kept.byFolder.find(folder.native()) != kept.byFolder.end();
}

// The entry of `folder` matching `part`: the exact spelling when
// `exactFirst`, else the first in name order without regard to case. Empty
// when none does.
std::string MatchInFolder(const fs::path& folder, std::string_view part, bool exactFirst) {
  const auto match = [&](const std::vector<std::string>& names) {
    if (exactFirst && std::find(names.begin(), names.end(), part) != names.end()) return std::string(part);
    return FirstMatch(names, part);
  };
  timespec began{};
  ::clock_gettime(CLOCK_REALTIME, &began);
  struct stat st {};
  if (::stat(folder.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) return match(ScanFolder(folder));
  Listings& kept = Kept();
  {
    std::lock_guard lock(kept.mutex);
    auto it = kept.byFolder.find(folder.native());
    if (it != kept.byFolder.end()) {
      const Listing& l = it->second;
      if (l.device == st.st_dev && l.inode == st.st_ino && SameStamp(l.modified, st.st_mtim)) return match(l.names);
      kept.byFolder.erase(it);
    }
  }
  bool complete = false;
  std::vector<std::string> names = ScanFolder(folder, &complete);
  std::string found = match(names);
  if (complete && Nanoseconds(st.st_mtim) < Nanoseconds(began) - kStampGrainNs && names.size() <= kMaxKeptNames) {
    std::lock_guard lock(kept.mutex);
    if (kept.byFolder.size() >= kMaxKeptFolders) kept.byFolder.clear();
    kept.byFolder.insert_or_assign(folder.native(), Listing{st.st_dev, st.st_ino, st.st_mtim, std::move(names)});
  }
  return found;
}

// Walks the components below the drive's directory, taking for each the entry
// that matches without regard to case (the exact spelling first, else the
// first in name order).
Resolved Walk(const fs::path& driveDir, DosPath dos) {
  Resolved r;
  r.host = driveDir;
  std::error_code ec;
  // A folder whose listing is kept is looked in with one stat of it (which
  // also shows it is there), not a stat of each name looked for.
  bool onDisk = (!dos.parts.empty() && IsKept(r.host)) || fs::exists(r.host, ec);
  for (std::string& part : dos.parts) {
    const bool kept = onDisk && IsKept(r.host);
    if (kept || (onDisk && !fs::exists(r.host / part, ec))) {
      std::string found = MatchInFolder(r.host, part, kept);
      if (found.empty()) {
        onDisk = false;
      } else {
        part = std::move(found);
      }
    }
    r.host /= part;
  }
  r.exists = onDisk;
  r.dos = std::move(dos);
  return r;
}

std::optional<Resolved> ResolveFull(std::string_view dosPath) {
  if (dosPath.find('\0') != std::string_view::npos) return std::nullopt;
  State& s = S();
  fs::path driveDir;
  DosPath dos;
  {
    std::lock_guard lock(s.mutex);
    EnsureCwdLocked(s);
    dos = Normalise(dosPath, s.cwd);
    const Drive& d = s.drives[dos.drive - 'A'];
    if (!d.mapped) return std::nullopt;
    driveDir = d.dir;
  }
  return Walk(driveDir, std::move(dos));
}

std::string Format(const DosPath& p) {
  std::string out{p.drive, ':', '\\'};
  for (std::size_t i = 0; i < p.parts.size(); ++i) {
    if (i != 0) out += '\\';
    out += p.parts[i];
  }
  return out;
}

bool GlobNoCase(std::string_view pattern, std::string_view name) {
  std::size_t p = 0, n = 0;
  std::size_t star = std::string_view::npos, mark = 0;
  while (n < name.size()) {
    if (p < pattern.size() && (pattern[p] == '?' || UpperAscii(pattern[p]) == UpperAscii(name[n]))) {
      ++p;
      ++n;
    } else if (p < pattern.size() && pattern[p] == '*') {
      star = p++;
      mark = n;
    } else if (star != std::string_view::npos) {
      p = star + 1;
      n = ++mark;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && pattern[p] == '*') ++p;
  return p == pattern.size();
}

struct Search {
  std::vector<_finddata_t> entries;
  std::size_t next = 0;
};

struct Searches {
  std::mutex mutex;
  std::map<std::intptr_t, Search> open;
  std::intptr_t lastHandle = 0;
};

Searches& Finds() {
  static Searches searches;
  return searches;
}

bool Describe(const fs::path& host, const std::string& name, _finddata_t* out) {
  struct stat st {};
  if (::stat(host.c_str(), &st) != 0 || name.size() >= sizeof out->name) return false;
  *out = _finddata_t{};
  out->attrib = S_ISDIR(st.st_mode) ? _A_SUBDIR : _A_ARCH;
  if ((st.st_mode & S_IWUSR) == 0) out->attrib |= _A_RDONLY;
  out->time_write = st.st_mtime;
  out->time_create = st.st_mtime;
  out->time_access = st.st_atime;
  out->size = static_cast<std::uint32_t>(st.st_size);
  std::memcpy(out->name, name.c_str(), name.size() + 1);
  return true;
}

}  // namespace

bool MatchesDosPattern(std::string_view pattern, std::string_view name) {
  const bool nameHasDot = name.find('.') != std::string_view::npos;
  if (!nameHasDot && pattern.ends_with(".*") && GlobNoCase(pattern.substr(0, pattern.size() - 2), name)) {
    return true;
  }
  if (pattern.ends_with('.') && !pattern.ends_with("..")) {
    return !nameHasDot && GlobNoCase(pattern.substr(0, pattern.size() - 1), name);
  }
  return GlobNoCase(pattern, name);
}

void SetDrive(char letter, const fs::path& hostDir, DriveType type) {
  const int i = DriveIndex(letter);
  if (i < 0) return;
  State& s = S();
  std::lock_guard lock(s.mutex);
  if (!s.drivesLoaded) {
    s.drivesLoaded = true;
    s.drives = {};
  }
  s.drives[i] = Drive{true, hostDir, type == DriveType::NoRootDir ? DriveType::Fixed : type};
}

void ClearDrives() {
  State& s = S();
  std::lock_guard lock(s.mutex);
  s.drivesLoaded = true;
  s.drives = {};
}

void ReloadDriveTable() {
  State& s = S();
  std::lock_guard lock(s.mutex);
  LoadDrivesLocked(s);
}

DriveType GetDriveType(char letter) {
  const int i = DriveIndex(letter);
  if (i < 0) return DriveType::NoRootDir;
  State& s = S();
  std::lock_guard lock(s.mutex);
  EnsureDrivesLocked(s);
  return s.drives[i].mapped ? s.drives[i].type : DriveType::NoRootDir;
}

UINT GetDriveType(const char* rootPath) {
  char letter = 0;
  if (rootPath == nullptr) {
    letter = GetCurrentDosDirectory().front();
  } else if (rootPath[0] != '\0' && rootPath[1] == ':') {
    letter = rootPath[0];
  } else {
    return DRIVE_NO_ROOT_DIR;
  }
  return static_cast<UINT>(GetDriveType(letter));
}

std::optional<fs::path> GetDriveDirectory(char letter) {
  const int i = DriveIndex(letter);
  if (i < 0) return std::nullopt;
  State& s = S();
  std::lock_guard lock(s.mutex);
  EnsureDrivesLocked(s);
  if (!s.drives[i].mapped) return std::nullopt;
  return s.drives[i].dir;
}

std::optional<fs::path> ResolveDosPath(std::string_view dosPath) {
  auto r = ResolveFull(dosPath);
  if (!r) return std::nullopt;
  return std::move(r->host);
}

std::optional<FoundDosPath> FindDosPath(std::string_view dosPath) {
  auto r = ResolveFull(dosPath);
  if (!r) return std::nullopt;
  return FoundDosPath{std::move(r->host), r->exists};
}

std::string GetCurrentDosDirectory() {
  State& s = S();
  std::lock_guard lock(s.mutex);
  EnsureCwdLocked(s);
  return Format(s.cwd);
}

bool SetCurrentDosDirectory(std::string_view dosPath) {
  auto r = ResolveFull(dosPath);
  std::error_code ec;
  if (!r || !r->exists || !fs::is_directory(r->host, ec)) return false;
  State& s = S();
  std::lock_guard lock(s.mutex);
  s.cwd = std::move(r->dos);
  s.cwdKnown = true;
  return true;
}

char* _getcwd(char* buf, int size) {
  const std::string dir = GetCurrentDosDirectory();
  if (buf == nullptr || size < 0 || dir.size() + 1 > static_cast<std::size_t>(size)) return nullptr;
  std::memcpy(buf, dir.c_str(), dir.size() + 1);
  return buf;
}

int _chdir(const char* dosPath) { return (dosPath != nullptr && SetCurrentDosDirectory(dosPath)) ? 0 : -1; }

std::intptr_t _findfirst(const char* searchPath, _finddata_t* out) {
  if (searchPath == nullptr || out == nullptr) return -1;
  const std::string_view text = searchPath;
  std::size_t cut = text.find_last_of("\\/");
  if (cut == std::string_view::npos && text.size() >= 2 && text[1] == ':') cut = 1;
  const std::string_view dir = cut == std::string_view::npos ? std::string_view(".") : text.substr(0, cut + 1);
  const std::string_view pattern = cut == std::string_view::npos ? text : text.substr(cut + 1);
  auto where = ResolveFull(dir);
  if (!where || !where->exists || pattern.empty()) return -1;

  Search search;
  std::error_code ec;
  for (fs::directory_iterator it(where->host, ec), end; !ec && it != end; it.increment(ec)) {
    const std::string name = it->path().filename().string();
    _finddata_t entry;
    if (MatchesDosPattern(pattern, name) && Describe(it->path(), name, &entry)) search.entries.push_back(entry);
  }
  if (search.entries.empty()) return -1;
  std::sort(search.entries.begin(), search.entries.end(), [](const _finddata_t& a, const _finddata_t& b) {
    const std::string_view x = a.name, y = b.name;
    return std::lexicographical_compare(x.begin(), x.end(), y.begin(), y.end(),
                                        [](char p, char q) { return UpperAscii(p) < UpperAscii(q); });
  });
  *out = search.entries.front();
  search.next = 1;
  Searches& f = Finds();
  std::lock_guard lock(f.mutex);
  const std::intptr_t handle = ++f.lastHandle;
  f.open.emplace(handle, std::move(search));
  return handle;
}

int _findnext(std::intptr_t handle, _finddata_t* out) {
  if (out == nullptr) return -1;
  Searches& f = Finds();
  std::lock_guard lock(f.mutex);
  auto it = f.open.find(handle);
  if (it == f.open.end() || it->second.next >= it->second.entries.size()) return -1;
  *out = it->second.entries[it->second.next++];
  return 0;
}

int _findclose(std::intptr_t handle) {
  Searches& f = Finds();
  std::lock_guard lock(f.mutex);
  return f.open.erase(handle) != 0 ? 0 : -1;
}

std::optional<time_t> GetFileWriteTime(std::string_view dosPath) {
  auto host = ResolveDosPath(dosPath);
  struct stat st {};
  if (!host || ::stat(host->c_str(), &st) != 0) return std::nullopt;
  return static_cast<time_t>(st.st_mtime);
}

BOOL GetDiskFreeSpaceEx(const char* dosDirectory, ULARGE_INTEGER* freeBytesAvailable, ULARGE_INTEGER* totalBytes,
                        ULARGE_INTEGER* totalFreeBytes) {
  auto host = ResolveDosPath(dosDirectory != nullptr ? dosDirectory : ".");
  struct statvfs st {};
  if (!host || ::statvfs(host->c_str(), &st) != 0) return FALSE;
  const std::uint64_t unit = st.f_frsize;
  if (freeBytesAvailable != nullptr) freeBytesAvailable->SetQuadPart(st.f_bavail * unit);
  if (totalBytes != nullptr) totalBytes->SetQuadPart(st.f_blocks * unit);
  if (totalFreeBytes != nullptr) totalFreeBytes->SetQuadPart(st.f_bfree * unit);
  return TRUE;
}

}  // namespace plat
