// The template file form of a design (also the design block inside a saved unit).
#include <algorithm>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "Game/base/ByteStream.h"
#include "Game/base/GBlockStream.h"
#include "Game/base/GInstData.h"
#include "Game/base/TraceError.h"
#include "Game/rules/GHullDB.h"
#include "Game/rules/GRulesFacts.h"
#include "Game/rules/GUnitTem.h"

namespace {

constexpr std::uint8_t kOldestTemplateVersion = 1;
constexpr int kChapters = 40;
constexpr std::size_t kMaxStoredName = 255;  // the length is one byte
// More than the longest design takes (about 200 bytes and its name).
constexpr std::size_t kReadAhead = 1024;

template <class Stream, class T, std::size_t N>
void EachOf(Stream& s, T (&values)[N]) {
  for (T& v : values) s.Read(v);
}

}  // namespace

// The design goes out in one write: its fields are laid out in memory first,
// on the stack (a design and its longest name take well under kReadAhead bytes).
int CGUnitTemplate::Save(plat::FILE* fp) const {
  BlockWriter w(fp);
  return Save(w);
}

int CGUnitTemplate::Save(BlockWriter& out) const {
  std::uint8_t image[kReadAhead];
  plat::ByteWriter w{std::span<std::uint8_t>(image)};
  w.Write(kTemplateVersion);
  w.Write(chapter);
  w.Write(unitClass);
  w.Write(templateId);
  if (hull != nullptr) {
    w.Write(hull->index);
    w.Write(hull->section);
  } else {
    w.Write(kNoHullInFile);
  }
  w.Write(references);
  w.Write(moduleCount);
  w.Write(static_cast<std::uint16_t>(buildPoints));
  w.Write(static_cast<std::uint16_t>(buildPoints >> 16));
  for (std::uint32_t v : {powerUse, mass, deepThrust, localThrust, reservedThrust}) w.Write(v);
  for (std::uint16_t v : {atvCapacity, stealth, tracking}) w.Write(v);
  w.Write(computerType);
  for (std::uint16_t v : {attack, construction, survey, damageControl, activeDefence}) w.Write(v);
  w.Write(powerStorage);
  w.Write(powerGeneration);
  w.Write(transferRate);
  w.Write(totalAmmo);
  for (std::uint16_t v : {creationTurn, creationTurnHigh, trailingWords[0], trailingWords[1]}) w.Write(v);
  for (std::uint32_t v : trailingLongs) w.Write(v);
  w.Write(visible);
  for (std::uint16_t v : costs) w.Write(v);
  for (std::uint16_t v : defences) w.Write(v);
  for (const TemplateModuleSlot& slot : slots) {
    w.Write(slot.moduleId);
    w.Write(slot.fitted);
  }
  if (name) {
    const std::size_t length = std::min(name->size(), kMaxStoredName);
    w.Write(std::uint8_t{1});
    w.Write(static_cast<std::uint8_t>(length));
    w.Chars(std::string_view(*name).substr(0, length));
  } else {
    w.Write(std::uint8_t{0});
  }
  w.Write(kTemplateEndByte);
  return w.Ok() && out.WriteBytes(w.Data()) ? 1 : 0;
}

// The design comes in with one read: more than it can take is read ahead,
// and what it did not use is given back to the file.
int CGUnitTemplate::Load(plat::FILE* fp) {
  std::uint8_t ahead[kReadAhead];
  const std::size_t got = fp != nullptr ? plat::fread(ahead, 1, sizeof ahead, fp) : 0;
  plat::ByteReader r(std::span<const std::uint8_t>(ahead, got));
  const int result = Load(r);
  if (const auto unused = static_cast<long>(got - r.Pos()); unused > 0) plat::fseek(fp, -unused, SEEK_CUR);
  return result;
}

int CGUnitTemplate::Load(BlockReader& r) {
  if (r.File() != nullptr) return Load(r.File());
  plat::ByteReader within(r.Rest());
  const int result = Load(within);
  return r.Skip(within.Pos()) ? result : 0;
}

int CGUnitTemplate::Load(plat::ByteReader& r) {
  std::uint8_t version = 0;
  if (!r.Read(version) || version < kOldestTemplateVersion || version > kTemplateVersion) return 0;
  r.Read(chapter);
  r.Read(unitClass);
  r.Read(templateId);
  std::uint8_t hullIndex = kNoHullInFile;
  std::uint8_t hullSection = 0;
  r.Read(hullIndex);
  if (hullIndex != kNoHullInFile) r.Read(hullSection);
  if (!r.Ok() || chapter >= kChapters) return 0;
  hull = nullptr;
  if (hullIndex != kNoHullInFile && RulesFacts().Hulls() != nullptr) {
    hull = RulesFacts().Hulls()->FindHull(hullSection, hullIndex);
  }
  r.Read(references);
  r.Read(moduleCount);
  std::uint16_t buildLow = 0;
  std::uint16_t buildHigh = 0;
  r.Read(buildLow);
  r.Read(buildHigh);
  buildPoints = std::uint32_t{buildHigh} << 16 | buildLow;
  for (std::uint32_t* v : {&powerUse, &mass, &deepThrust, &localThrust, &reservedThrust}) r.Read(*v);
  for (std::uint16_t* v : {&atvCapacity, &stealth, &tracking}) r.Read(*v);
  r.Read(computerType);
  for (std::uint16_t* v : {&attack, &construction, &survey, &damageControl, &activeDefence}) r.Read(*v);
  r.Read(powerStorage);
  r.Read(powerGeneration);
  r.Read(transferRate);
  r.Read(totalAmmo);
  for (std::uint16_t* v : {&creationTurn, &creationTurnHigh, &trailingWords[0], &trailingWords[1]}) r.Read(*v);
  EachOf(r, trailingLongs);
  r.Read(visible);
  for (std::uint16_t& cost : costs) {
    r.Read(cost);
    std::uint16_t oldExtra = 0;
    if (version == 1) r.Read(oldExtra);
  }
  EachOf(r, defences);
  for (TemplateModuleSlot& slot : slots) {
    r.Read(slot.moduleId);
    r.Read(slot.fitted);
  }
  std::uint8_t hasName = 0;
  if (!r.Read(hasName) || hasName > 1) return 0;
  name.reset();
  if (hasName == 1) {
    std::uint8_t length = 0;
    r.Read(length);
    std::vector<std::uint8_t> text(length);
    if (!r.ReadBytes(text)) return 0;
    name = std::string(text.begin(), std::find(text.begin(), text.end(), std::uint8_t{0}));
  }
  std::uint8_t end = 0;
  return r.Read(end) && end == kTemplateEndByte ? 1 : 0;
}

int GetTemplateFileDescription(const char* dir, const char* name, const char* ext, std::span<char> out) {
  if (out.empty()) return 0;
  out[0] = '\0';
  const std::string path = std::string(dir) + name + "." + ext;
  plat::FILE* fp = OpenDataFile(path.c_str(), "rb");
  if (fp == nullptr) return 0;
  FileReader r(fp);
  std::uint8_t head[3] = {};
  EachOf(r, head);
  plat::fclose(fp);
  if (!r.Ok()) return 0;
  const std::string guild = RulesFacts().GuildName(head[1] >> 3);
  const int n = std::snprintf(out.data(), out.size(), " - %s %s", guild.c_str(), GetUnitClassName(head[2]));
  if (n < 0 || static_cast<std::size_t>(n) >= out.size()) {
    out[0] = '\0';
    return 0;
  }
  return 1;
}
