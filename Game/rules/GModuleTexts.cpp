// The module database's display texts, explosion models and file names.
#include <cstdio>

#include "Game/base/GInstData.h"
#include "Game/base/TraceError.h"
#include "Game/rules/GModuleDB.h"
#include "Game/rules/GRulesFacts.h"

namespace {

const char* const kComputerTextIds[] = {"DEFNCOSM", "SCOTCOSM", "COMBCOSM", "TRNSCOSM", "CNSTCOSM"};
// By ModuleType; computers are named by their ComputerType instead.
const char* const kTypeTextIds[kModuleTypeCount] = {"CONSTRUC", nullptr,    "DMGECTRL", "DEFENS__",
                                                    "POWERMOD", "PROPULSE", "SCOUT___", "__ECM___",
                                                    "TRACKING", "TRANSPRT", "WEAPON__"};
const char* const kAttackTextIds[kAttackTypeCount] = {"SOLID___", "EXPLSIVE", "CORRSIVE", "CHEMICAL",
                                                      "HEAT____", "RADATION", "DISCHRGE", "NUCLEAR_"};
const char* const kPatternTextIds[] = {"EITHER__", "NARROW__", "WIDE____"};

// Explosion models by attack type: rate of fire 1, other rates.
const char* const kRapidExplosions[kAttackTypeCount] = {"rap500", "rap100", "rap700", "rap400",
                                                        "rap200", "rap800", "rap600", "rap300"};
const char* const kExplosions[kAttackTypeCount] = {"exp500", "exp100", "exp700", "exp400",
                                                   "exp200", "exp800", "exp600", "exp300"};

char g_textBuffer[64];

const char* Text(const char* id) { return FetchRulesText(id, g_textBuffer, sizeof g_textBuffer); }

// Formats into `out`; an empty `out` and 0 when the result does not fit.
template <class... Args>
int Format(std::span<char> out, const char* format, Args... args) {
  if (out.empty()) return 0;
  const int n = std::snprintf(out.data(), out.size(), format, args...);
  if (n < 0 || static_cast<std::size_t>(n) >= out.size()) {
    out[0] = '\0';
    return 0;
  }
  return 1;
}

int Fail(std::span<char> out) {
  if (!out.empty()) out[0] = '\0';
  return 0;
}

}  // namespace

const char* CGModuleDB::GetTypeText(int index) const {
  const ModuleRecord* m = GetRecord(index);
  if (m == nullptr) return Text("UNKNOWN_");
  if (m->type == MODULE_COMPUTER) {
    const std::uint8_t sub = m->typeData[0];
    return Text(sub < std::size(kComputerTextIds) ? kComputerTextIds[sub] : "COSM____");
  }
  return Text(m->type < kModuleTypeCount ? kTypeTextIds[m->type] : "UNKNOWN_");
}

const char* CGModuleDB::GetAttackTypeText(int attackType) {
  return Text(attackType >= 0 && attackType < kAttackTypeCount ? kAttackTextIds[attackType] : "UNKNOWN_");
}

const char* CGModuleDB::GetWeaponAttackTypeText(int index) const {
  const ModuleRecord* m = GetRecord(index);
  if (m == nullptr || m->type != MODULE_WEAPON || m->AttackKind() >= kAttackTypeCount) return Text("NONE____");
  return GetAttackTypeText(m->AttackKind());
}

const char* CGModuleDB::GetWeaponPatternText(int index) const {
  const ModuleRecord* m = GetRecord(index);
  if (m == nullptr || m->type != MODULE_WEAPON || m->Pattern() >= std::size(kPatternTextIds)) return Text("NONE____");
  return Text(kPatternTextIds[m->Pattern()]);
}

const char* CGModuleDB::GetExplosionName(int index) const {
  const ModuleRecord* m = GetRecord(index);
  if (m == nullptr || m->type != MODULE_WEAPON || m->AttackKind() >= kAttackTypeCount) {
    TraceError("Explosion of something that is not a weapon", __FILE__, __LINE__);
    return "exp100";
  }
  const std::uint8_t kind = m->AttackKind();
  if (m->RateOfFire() == 1) return kRapidExplosions[kind];
  if (kind == ATTACK_DISCHARGE && m->RateOfFire() > 20) return "exp900";
  return kExplosions[kind];
}

int BuildModuleSoundPath(const char* soundDir, const char* soundName, int guild, const char* suffix,
                         std::span<char> out) {
  if (soundName[0] == '@') return Format(out, "%sgeneric\\%s%s.wav", soundDir, soundName, suffix);
  return Format(out, "%sg%d\\%s%s.wav", soundDir, guild + 1, soundName, suffix);
}

int BuildModuleImagePath(const char* dir, const char* imageName, bool small, std::span<char> out) {
  return Format(out, small ? "%s%ss.ima" : "%s%s.ima", dir, imageName);
}

int CGModuleDB::GetImageFileName(int index, std::span<char> out, int guild) const {
  const ModuleRecord* m = GetRecord(index);
  return m ? BuildModuleImagePath(g_instData.GetGuildPath(guild), m->imageName, false, out) : Fail(out);
}

int CGModuleDB::GetSmallImageFileName(int index, std::span<char> out, int guild) const {
  const ModuleRecord* m = GetRecord(index);
  return m ? BuildModuleImagePath(g_instData.GetGuildPath(guild), m->imageName, true, out) : Fail(out);
}

const char* CGModuleDB::GetSoundName(int index) const {
  const ModuleRecord* m = GetRecord(index);
  return m ? m->soundName : "";
}

int CGModuleDB::SoundFile(int index, std::span<char> out, int guild, const char* suffix) const {
  const ModuleRecord* m = GetRecord(index);
  if (m == nullptr || m->soundName[0] == '\0') return Fail(out);
  return BuildModuleSoundPath(g_instData.GetSoundPath(), m->soundName, guild, suffix, out);
}

int CGModuleDB::GetSoundFileName(int index, std::span<char> out, int guild) const {
  return SoundFile(index, out, guild, "");
}

int CGModuleDB::GetHitSoundFileName(int index, std::span<char> out, int guild) const {
  const ModuleRecord* m = GetRecord(index);
  return m && m->type == MODULE_WEAPON ? SoundFile(index, out, guild, "_h") : Fail(out);
}

int CGModuleDB::GetFireSoundFileName(int index, std::span<char> out, int guild) const {
  const ModuleRecord* m = GetRecord(index);
  return m && m->type == MODULE_WEAPON ? SoundFile(index, out, guild, "_f") : Fail(out);
}

int CGModuleDB::GetShieldSoundFileName(int index, std::span<char> out, int guild) const {
  const ModuleRecord* m = GetRecord(index);
  return m && m->type == MODULE_DEFENSE ? SoundFile(index, out, guild, "_s") : Fail(out);
}
