#include "Game/base/GInstData.h"

#include <cctype>
#include <cstring>
#include <string>

#include "Game/base/GNumberText.h"
#include "Game/base/TraceError.h"
#include "platform/core/dospath.h"
#include "platform/core/registry.h"

namespace {

constexpr const char* kDebugKey = "SOFTWARE\\Halvorn\\Quenbar\\Debug";
constexpr const char* kReleaseKey = "SOFTWARE\\Halvorn\\Quenbar\\Release";

const char* const kGuildPaths[5] = {"GUILD1PATH", "GUILD2PATH", "GUILD3PATH", "GUILD4PATH", "GUILD5PATH"};
const char* const kGuild3DPaths[5] = {"GUILD13DPATH", "GUILD23DPATH", "GUILD33DPATH", "GUILD43DPATH", "GUILD53DPATH"};

const char* GuildValue(const char* const (&names)[5], int guild) {
  if (guild < 0 || guild >= 5) {
    TraceError("Invalid guild number", __FILE__, __LINE__);
    guild = 0;
  }
  return names[guild];
}

plat::HKEY OpenKey(const char* subKey) {
  plat::HKEY key = nullptr;
  if (plat::RegOpenKeyEx(plat::HKEY_CURRENT_USER, subKey, 0, plat::KEY_ALL_ACCESS, &key) != plat::ERROR_SUCCESS) {
    TraceError("Could not open the registry key", __FILE__, __LINE__);
    return nullptr;
  }
  return key;
}

bool SameLetter(char a, char b) {
  return std::toupper(static_cast<unsigned char>(a)) == std::toupper(static_cast<unsigned char>(b));
}

// A path that names a drive ("D:\..."): only such a path can lie on the CD.
// (A relative name whose first letter matches the CD's drive does not.)
bool OnDrive(const std::string& path, char drive) {
  return path.size() >= 3 && path[1] == ':' && (path[2] == '\\' || path[2] == '/') && SameLetter(path[0], drive);
}

bool Found(const std::string& dosPath) {
  plat::_finddata_t data;
  const std::intptr_t search = plat::_findfirst(dosPath.c_str(), &data);
  if (search == -1) return false;
  plat::_findclose(search);
  return true;
}

}  // namespace

// A value's buffer, kept for as long as the object so earlier results stay valid.
struct CInstData::NamedBuffer {
  std::string name;
  ValueBuffer value = {};
};

// Built ahead of the default static initialisers of every other file.
__attribute__((init_priority(200))) CInstData g_instData;

CInstData::CInstData() : m_debugKey(OpenKey(kDebugKey)), m_releaseKey(OpenKey(kReleaseKey)) {
  const std::string cd = Directory("CDPATH");
  const std::string art = Directory("ARTPATH");
  if (art.empty()) TraceError("Registry corrupted!", __FILE__, __LINE__);
  m_artOnCD = (!cd.empty() && !art.empty() && SameLetter(cd[0], art[0])) ? 1 : 0;
}

CInstData::~CInstData() {
  if (m_debugKey != nullptr) plat::RegCloseKey(m_debugKey);
  if (m_releaseKey != nullptr) plat::RegCloseKey(m_releaseKey);
}

bool CInstData::ReadValue(plat::HKEY key, const char* name, ValueBuffer& out) {
  std::memset(out, 0, kValueSize);
  if (key == nullptr) {
    TraceError("Registry key not open", __FILE__, __LINE__);
    return false;
  }
  plat::DWORD size = kValueSize;
  plat::DWORD type = 0;
  // A value too long for the buffer is refused by the registry and leaves
  // `out` as it is: empty.
  if (plat::RegQueryValueEx(key, name, nullptr, &type, reinterpret_cast<plat::BYTE*>(out), &size) !=
      plat::ERROR_SUCCESS) {
    TraceError("Could not read a registry value", __FILE__, __LINE__);
    std::memset(out, 0, kValueSize);
    return false;
  }
  out[kValueSize - 1] = '\0';
  return true;
}

CInstData::ValueBuffer& CInstData::BufferOf(const char* name) {
  for (auto& b : m_values)
    if (b->name == name) return b->value;
  m_values.push_back(std::make_unique<NamedBuffer>());
  m_values.back()->name = name;
  return m_values.back()->value;
}

const char* CInstData::GetString(plat::HKEY key, const char* name) {
  ValueBuffer& buffer = BufferOf(name);
  ReadValue(key, name, buffer);
  return buffer;
}

int CInstData::GetNumber(plat::HKEY key, const char* name) {
  ValueBuffer value;
  ReadValue(key, name, value);
  return ParseInt(value);
}

std::string CInstData::Directory(const char* name) {
  ValueBuffer value;
  ReadValue(m_releaseKey, name, value);
  return value;
}

const char* CInstData::GetInstallPath() { return GetString(m_releaseKey, "PATH"); }
const char* CInstData::GetCamAIPath() { return GetString(m_releaseKey, "CAMAIPATH"); }
const char* CInstData::Get3DPath() { return GetString(m_releaseKey, "3DPATH"); }
const char* CInstData::GetArtPath() { return GetString(m_releaseKey, "ARTPATH"); }
const char* CInstData::GetGuildPath(int guild) { return GetString(m_releaseKey, GuildValue(kGuildPaths, guild)); }
const char* CInstData::GetFrontEndArtPath() { return GetString(m_releaseKey, "FRONTENDARTPATH"); }
const char* CInstData::GetGuild3DPath(int guild) { return GetString(m_releaseKey, GuildValue(kGuild3DPaths, guild)); }
const char* CInstData::GetAnimationPath() { return GetString(m_releaseKey, "ANIMATIONPATH"); }
const char* CInstData::GetSoundPath() { return GetString(m_releaseKey, "SOUNDPATH"); }
const char* CInstData::GetSavePath() { return GetString(m_releaseKey, "SAVEPATH"); }
const char* CInstData::GetTemplatePath() { return GetString(m_releaseKey, "TEMPLATE_PATH"); }
const char* CInstData::GetScenarioPath() { return GetString(m_releaseKey, "SCENARIOPATH"); }
const char* CInstData::GetTutorialPath() { return GetString(m_releaseKey, "TUTORIALPATH"); }
const char* CInstData::GetAviPath() { return GetString(m_releaseKey, "AVIPATH"); }
const char* CInstData::GetCDPath() { return GetString(m_releaseKey, "CDPATH"); }
const char* CInstData::GetEmailPath() { return GetString(m_releaseKey, "EMAILPATH"); }
const char* CInstData::GetHelpPath() { return GetString(m_releaseKey, "HELPPATH"); }
const char* CInstData::GetQuickStartFile() { return GetString(m_releaseKey, "QUICKSTARTFILE"); }
const char* CInstData::GetSnifferPath() { return GetString(m_debugKey, "SNIFFERPATH"); }

const char* CInstData::GetModelName() {
  ValueBuffer& buffer = BufferOf("MODELNAME");
  ReadValue(m_debugKey, "MODELNAME", buffer);
  buffer[0] = '0';
  return nullptr;
}

int CInstData::SetQuickStartFile(const char* name) {
  if (m_releaseKey == nullptr || name == nullptr) {
    TraceError("Could not store QUICKSTARTFILE", __FILE__, __LINE__);
    return 0;
  }
  const auto size = static_cast<plat::DWORD>(std::strlen(name) + 1);
  if (plat::RegSetValueEx(m_releaseKey, "QUICKSTARTFILE", 0, plat::REG_SZ, reinterpret_cast<const plat::BYTE*>(name),
                          size) != plat::ERROR_SUCCESS) {
    TraceError("Could not store QUICKSTARTFILE", __FILE__, __LINE__);
    return 0;
  }
  return 1;
}

int CInstData::GetExclusiveMode() { return GetNumber(m_releaseKey, "EXCLUSIVEMODE"); }
int CInstData::GetSnifferRangeMin() { return GetNumber(m_debugKey, "SNIFFER_RANGE_MIN"); }
int CInstData::GetSnifferRangeMax() { return GetNumber(m_debugKey, "SNIFFER_RANGE_MAX"); }
int CInstData::GetKillServerOnExit() { return GetNumber(m_debugKey, "KILLSERVERONEXIT"); }
int CInstData::GetPacketSniffer() { return GetNumber(m_debugKey, "PACKETSNIFFER"); }

void CInstData::BuildPath(std::span<char> dst, const char* name, int kind, int guild) {
  if (dst.empty()) return;
  const std::string file = name != nullptr ? name : "";
  std::string path;
  switch (kind) {
    case INSTPATH_INSTALL:
      path = Directory("PATH") + file;
      break;
    case INSTPATH_ART:
      path = Directory("ARTPATH") + file;
      break;
    case INSTPATH_GUILD_ART:
      path = Directory(GuildValue(kGuildPaths, guild)) + file;
      break;
    case INSTPATH_3D:
      path = Directory("3DPATH") + file;
      break;
    case INSTPATH_GUILD_3D:
      path = Directory(GuildValue(kGuild3DPaths, guild)) + file;
      break;
    case INSTPATH_CAMAI:
      path = Directory("CAMAIPATH") + file;
      break;
    case INSTPATH_SOUND:
      path = Directory("SOUNDPATH") + file;
      break;
    case INSTPATH_ASTEROID_3D:
      path = Directory("3DPATH") + "asteroid\\3dAst\\" + file;
      break;
    case INSTPATH_PROJECT:
      path = Directory("3DPATH") + "project\\" + file;
      break;
    case INSTPATH_FRONTEND_ART:
      path = Directory("FRONTENDARTPATH") + file;
      break;
    case INSTPATH_ANIMATION:
      path = Directory("ANIMATIONPATH") + file;
      break;
    default:
      break;
  }
  if (kind != INSTPATH_INSTALL && m_artOnCD != 0) {
    const std::string cd = Directory("CDPATH");
    const std::string install = Directory("PATH");
    if (!cd.empty() && !install.empty() && OnDrive(path, cd[0])) {
      const std::string installed = install + path.substr(3);
      if (Found(installed)) path = installed;
    }
  }
  if (path.size() >= dst.size()) {
    TraceError("Path too long", __FILE__, __LINE__);
    path.clear();
  }
  std::memcpy(dst.data(), path.c_str(), path.size() + 1);
}

plat::FILE* CInstData::OpenDataFile(const char* path, const char* mode) {
  const std::string p = path != nullptr ? path : "";
  const std::string cd = Directory("CDPATH");
  const std::string install = Directory("PATH");
  if (!cd.empty() && !install.empty() && OnDrive(p, cd[0])) {
    if (plat::FILE* f = plat::fopen((install + p.substr(3)).c_str(), mode)) return f;
  }
  return plat::fopen(p.c_str(), mode);
}

std::optional<plat::StampedFile> CInstData::StampDataFile(const char* path) {
  const std::string p = path != nullptr ? path : "";
  const std::string cd = Directory("CDPATH");
  const std::string install = Directory("PATH");
  if (!cd.empty() && !install.empty() && OnDrive(p, cd[0])) {
    if (auto stamped = plat::StampFile(install + p.substr(3))) return stamped;
  }
  return plat::StampFile(p);
}

plat::FILE* OpenDataFile(const char* path, const char* mode) { return g_instData.OpenDataFile(path, mode); }
