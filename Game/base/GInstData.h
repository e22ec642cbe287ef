#pragma once
// Installation settings: the directories and switches the installer left in
// the registry (HKEY_CURRENT_USER\SOFTWARE\Halvorn\Quenbar\Release and
// ...\Debug), paths built by kind of directory, and the data-file opener that
// prefers a copy installed on the hard disk over the same file on the CD.
//
// There are no defaults: a value that cannot be read (missing, or longer than
// 99 characters) is reported and reads as missing: an empty string, or 0 for
// a number. Directory values end with a backslash; paths are joined without
// adding one.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "platform/core/files.h"
#include "platform/core/filestamp.h"
#include "platform/core/types.h"

// The directory kinds of CInstData::BuildPath.
enum InstPathKind : int {
  INSTPATH_INSTALL = 0,       // PATH
  INSTPATH_ART = 1,           // ARTPATH
  INSTPATH_GUILD_ART = 2,     // GUILD<n>PATH
  INSTPATH_3D = 3,            // 3DPATH
  INSTPATH_GUILD_3D = 4,      // GUILD<n>3DPATH
  INSTPATH_CAMAI = 5,         // CAMAIPATH
  INSTPATH_SOUND = 6,         // SOUNDPATH
  INSTPATH_ASTEROID_3D = 7,   // 3DPATH + "asteroid\3dAst\"
  INSTPATH_PROJECT = 8,       // 3DPATH + "project\"
  INSTPATH_FRONTEND_ART = 9,  // FRONTENDARTPATH
  INSTPATH_ANIMATION = 10,    // ANIMATIONPATH
};

class CInstData {
 public:
  // Opens both keys; notes whether the art directory lies on the CD's drive.
  CInstData();
  // Closes both keys.
  ~CInstData();
  CInstData(const CInstData&) = delete;
  CInstData& operator=(const CInstData&) = delete;

  // String getters. Each value is read into a buffer of its own, so a result
  // stays valid (and unchanged) until the same value is read again or the
  // object goes.
  const char* GetInstallPath();
  const char* GetCamAIPath();
  const char* Get3DPath();
  const char* GetArtPath();
  // Guild 0..4; another guild is reported and guild 0's value is read.
  const char* GetGuildPath(int guild);
  const char* GetFrontEndArtPath();
  const char* GetGuild3DPath(int guild);
  const char* GetAnimationPath();
  const char* GetSoundPath();
  const char* GetSavePath();
  const char* GetTemplatePath();
  const char* GetScenarioPath();
  const char* GetTutorialPath();
  const char* GetAviPath();
  const char* GetCDPath();
  const char* GetEmailPath();
  const char* GetHelpPath();
  const char* GetQuickStartFile();
  // Stores QUICKSTARTFILE; 1 on success, else 0.
  int SetQuickStartFile(const char* name);
  const char* GetSnifferPath();
  // Reads MODELNAME into its buffer, then sets the buffer's first character
  // to '0' and returns null.
  const char* GetModelName();

  // Number getters: the value as a decimal number; 0 when it cannot be read.
  int GetExclusiveMode();
  int GetSnifferRangeMin();
  int GetSnifferRangeMax();
  int GetKillServerOnExit();
  int GetPacketSniffer();

  // Writes the path of `name` in a directory of `kind` (guild 0..4 for the
  // guild kinds) into dst. With the art on the CD, a path on the CD's drive is
  // replaced by the installed copy when that exists. An unknown kind, or a
  // path that does not fit dst, gives an empty string.
  void BuildPath(std::span<char> dst, const char* name, int kind, int guild = 0);
  template <std::size_t N>
  void BuildPath(char (&dst)[N], const char* name, int kind, int guild = 0) {
    BuildPath(std::span<char>(dst, N), name, kind, guild);
  }

  // Opens a data file; a path on the CD's drive is first tried below the
  // installation directory. Null when neither opens.
  plat::FILE* OpenDataFile(const char* path, const char* mode);
  // The stamp of the file OpenDataFile opens for `path` at this moment (see
  // platform/core/filestamp.h); nothing when there is no such file.
  std::optional<plat::StampedFile> StampDataFile(const char* path);

 private:
  static constexpr std::size_t kValueSize = 100;
  using ValueBuffer = char[kValueSize];

  // Reads a value into `out`; false, with `out` empty, when it cannot.
  bool ReadValue(plat::HKEY key, const char* name, ValueBuffer& out);
  // The value's own buffer, filled by a fresh read.
  const char* GetString(plat::HKEY key, const char* name);
  int GetNumber(plat::HKEY key, const char* name);
  // A directory value without touching any getter's buffer; empty when unreadable.
  std::string Directory(const char* name);
  ValueBuffer& BufferOf(const char* name);

  plat::HKEY m_debugKey = nullptr;
  plat::HKEY m_releaseKey = nullptr;
  struct NamedBuffer;
  std::vector<std::unique_ptr<NamedBuffer>> m_values;  // one per value name read so far
  std::uint32_t m_artOnCD = 0;
};

// The installation settings of the whole run, built before the program's entry
// and before any other static object, since those may read files through it.
extern CInstData g_instData;

// g_instData.OpenDataFile.
plat::FILE* OpenDataFile(const char* path, const char* mode);
