#pragma once
// DOS-style paths ("C:\QUENBAR\ART\name.ima") on the host file system. Drive
// letters map to host directories through a drive table; backslashes and
// slashes both separate components; every component is matched without regard
// to case against what exists on disk.
//
// The drive table comes, on first use, from the registry key
// HKEY_LOCAL_MACHINE\SOFTWARE\QuenbarPlatform\Drives: string values "C".."Z"
// name the host directory of each drive, an optional value "<letter>Type" says
// "cdrom" or "fixed" (the default). May be called from several threads.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "platform/core/names.h"
#include "platform/core/systime.h"
#include "platform/core/types.h"

namespace plat {

// The classic drive kinds, numbered as GetDriveType reports them.
enum class DriveType : UINT { NoRootDir = 1, Fixed = 3, CdRom = 5 };
constexpr UINT DRIVE_UNKNOWN = 0;
constexpr UINT DRIVE_NO_ROOT_DIR = 1;
constexpr UINT DRIVE_FIXED = 3;
constexpr UINT DRIVE_CDROM = 5;

// Maps drive `letter` (A..Z, either case) to `hostDir`. A drive marked CdRom is
// the one the game looks for its CD on. SetDrive and ClearDrives replace the
// table read from the registry (which is then not read any more).
void SetDrive(char letter, const std::filesystem::path& hostDir, DriveType type = DriveType::Fixed);
void ClearDrives();
// Reads the drive table from the registry again (after the registry changed).
void ReloadDriveTable();
DriveType GetDriveType(char letter);
// The classic call on a root path such as "D:\": DRIVE_NO_ROOT_DIR for an
// unmapped drive or a path without a drive letter.
UINT GetDriveType(const char* rootPath);
// The host directory of a mapped drive.
std::optional<std::filesystem::path> GetDriveDirectory(char letter);

// Resolves a DOS path to a host path. Existing components are matched without
// regard to case; components that do not exist yet keep their spelling (so a file
// about to be created lands where a later case-blind lookup finds it). Relative
// paths start at the current directory; "." and ".." are understood and ".." never
// climbs above the drive's root. Returns nothing when the drive is unmapped.
std::optional<std::filesystem::path> ResolveDosPath(std::string_view dosPath);
// The same, also telling whether the whole path was found on disk: the look-up
// learns it on the way, so a caller need not ask the file system again.
struct FoundDosPath {
  std::filesystem::path host;
  bool exists = false;
};
std::optional<FoundDosPath> FindDosPath(std::string_view dosPath);

// The current directory, as a DOS path ("C:\QUENBAR", a root as "C:\"). At
// start it is the host working directory's place on a mapped drive, else "C:\".
std::string GetCurrentDosDirectory();
// Makes an existing directory current; false when it does not exist.
bool SetCurrentDosDirectory(std::string_view dosPath);
// The C runtime's shapes of the two: _getcwd fills `buf` and returns it (null
// when `buf` is null or too small), _chdir returns 0 or -1.
char* _getcwd(char* buf, int size);
int _chdir(const char* dosPath);

// True when `name` matches `pattern` with '*' and '?' (case ignored). A pattern
// ending in ".*" also matches a name without a dot, "*." matches only names
// without a dot, as on DOS.
bool MatchesDosPattern(std::string_view pattern, std::string_view name);

// One found file, as the classic runtime's find calls report it.
constexpr unsigned _A_NORMAL = 0x00;
constexpr unsigned _A_RDONLY = 0x01;
constexpr unsigned _A_HIDDEN = 0x02;
constexpr unsigned _A_SYSTEM = 0x04;
constexpr unsigned _A_SUBDIR = 0x10;
constexpr unsigned _A_ARCH = 0x20;
struct _finddata_t {
  unsigned attrib = 0;     // _A_SUBDIR for a directory, _A_ARCH for a file, plus _A_RDONLY
  time_t time_create = 0;  // the host keeps no reliable creation time: the write time
  time_t time_access = 0;
  time_t time_write = 0;
  std::uint32_t size = 0;  // bytes; larger files report the low 32 bits
  char name[260] = {};
};

// Starts a search for `searchPath` ("C:\SAVE\*.clt", "dir\name*.rpl"); the last
// component is the pattern, the directory before it is resolved like any path.
// Entries come in name order (case ignored); "." and ".." are not reported.
// Returns a search handle and fills `out` with the first match, or -1 when
// nothing matches.
std::intptr_t _findfirst(const char* searchPath, _finddata_t* out);
// The next match: 0, or -1 when there is none.
int _findnext(std::intptr_t handle, _finddata_t* out);
// Ends a search: 0, or -1 for an unknown handle.
int _findclose(std::intptr_t handle);

// The last write time of a file or directory (seconds since 1970 UTC).
std::optional<time_t> GetFileWriteTime(std::string_view dosPath);

// A 64-bit count split in two halves, as the disk-space call reports it.
struct ULARGE_INTEGER {
  DWORD LowPart = 0;
  DWORD HighPart = 0;
  std::uint64_t QuadPart() const { return (static_cast<std::uint64_t>(HighPart) << 32) | LowPart; }
  void SetQuadPart(std::uint64_t v) {
    LowPart = static_cast<DWORD>(v);
    HighPart = static_cast<DWORD>(v >> 32);
  }
};

// Space of the file system holding `dosDirectory` (null: the current one): the
// bytes this user may still write, the size, and the bytes free. Any pointer may
// be null. FALSE when the directory cannot be resolved or queried.
BOOL GetDiskFreeSpaceEx(const char* dosDirectory, ULARGE_INTEGER* freeBytesAvailable, ULARGE_INTEGER* totalBytes,
                        ULARGE_INTEGER* totalFreeBytes);

}  // namespace plat
