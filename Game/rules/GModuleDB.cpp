#include "Game/rules/GModuleDB.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <optional>
#include <string>
#include <type_traits>
#include <vector>

#include "Game/base/ByteStream.h"
#include "Game/base/GBlockStream.h"
#include "Game/base/GDataFile.h"
#include "Game/base/GInstData.h"
#include "Game/base/TraceError.h"
#include "Game/rules/GKeptRules.h"
#include "Game/rules/GRulesFacts.h"
#include "Game/rules/GRulesLinks.h"
#include "Game/rules/GRulesPackets.h"

namespace {

constexpr std::uint16_t kInitialCapacity = 20;
constexpr std::uint16_t kGrowStep = 10;
constexpr std::uint32_t kMaxModules = 0xFFFE;  // 0xFFFF names no module
constexpr std::uint16_t kResearched = 10000;
// The bytes of a record before its type data.
constexpr std::size_t kCommonRecordBytes = 92;

enum class ReadResult { Record, End, Broken };

constexpr std::size_t kTypeOffset = 32;
constexpr std::size_t kSmallestRecord =
    kCommonRecordBytes + *std::min_element(std::begin(kModuleTypeDataSize), std::end(kModuleTypeDataSize));

// A text field of N bytes, kept up to its first NUL, into a new record's
// text (all zeros); a name that fills its field is cut by one character
// rather than run on into the next field. Texts are short: a pass that stops
// at the NUL costs less than a search and copies of varying length.
template <std::size_t N, std::size_t M>
void ReadText(FixedFields<M>& f, char (&out)[N]) {
  const auto field = f.template Take<N>();
  for (std::size_t i = 0; i < N - 1 && field[i] != 0; ++i) out[i] = static_cast<char>(field[i]);
}

template <class Reader, class T, std::size_t N>
void ReadAll(Reader& r, T (&out)[N]) {
  for (T& v : out) r.Read(v);
}

// Up to ten bytes, each length copied as a fixed one: a copy of varying
// length costs more to start than these take.
void CopySmall(std::uint8_t (&to)[10], std::span<const std::uint8_t> from) {
  switch (from.size()) {
    case 1:
      std::memcpy(to, from.data(), 1);
      break;
    case 2:
      std::memcpy(to, from.data(), 2);
      break;
    case 3:
      std::memcpy(to, from.data(), 3);
      break;
    case 4:
      std::memcpy(to, from.data(), 4);
      break;
    case 5:
      std::memcpy(to, from.data(), 5);
      break;
    case 6:
      std::memcpy(to, from.data(), 6);
      break;
    case 7:
      std::memcpy(to, from.data(), 7);
      break;
    case 8:
      std::memcpy(to, from.data(), 8);
      break;
    case 9:
      std::memcpy(to, from.data(), 9);
      break;
    case 10:
      std::memcpy(to, from.data(), 10);
      break;
    default:
      break;
  }
}

// The type data, packed in the file, into its in-memory places.
void ReadTypeData(plat::ByteReader& r, ModuleRecord& m) {
  if (m.type == MODULE_PROPULSION) {
    std::uint16_t words[3] = {};
    r.Read(m.typeData[0]);
    ReadAll(r, words);
    r.Read(m.typeData[8]);
    for (int i = 0; i < 3; ++i) m.SetTypeWord(i + 1, words[i]);
    return;
  }
  CopySmall(m.typeData, r.Bytes(kModuleTypeDataSize[m.type]));
  if (m.type == MODULE_WEAPON) {
    for (int w : {1, 2}) {
      m.SetTypeWord(w, static_cast<std::uint16_t>(std::min(m.TypeWord(w) * kWeaponRangeScale, 0xFFFF)));
    }
  }
}

// The fields every record has, decoded from one block of their size.
void ReadCommonFields(std::span<const std::uint8_t, kCommonRecordBytes> block, ModuleRecord& m) {
  FixedFields<kCommonRecordBytes> f(block);
  ReadText(f, m.name);
  f.Read(m.guildMask);
  f.Read(m.spareByte2);
  f.Read(m.type);
  ReadAll(f, m.costs);
  ReadAll(f, m.secondValues);
  f.Read(m.successor);
  ReadAll(f, m.spareBytesA);
  f.Read(m.helpTopic);
  f.Read(m.spareWordA);
  f.Read(m.buildPoints);
  f.Read(m.spareByteB);
  f.Read(m.techLevel);
  ReadText(f, m.imageName);
  ReadText(f, m.soundName);
  ReadAll(f, m.defenses);
  ReadAll(f, m.spareBytesC);
  f.Read(m.spareWordC);
  f.Read(m.powerUse);
  f.Read(m.mass);
}

// Reads one record into `m`, a record as its definition makes it.
ReadResult ReadModule(plat::ByteReader& r, ModuleRecord& m) {
  if (r.Remaining() == 0) return ReadResult::End;
  std::uint8_t type = 0;
  if (r.ReadAt(r.Pos() + kTypeOffset, type) && type >= kModuleTypeCount) {
    TraceError("modules.dat holds a module of an unknown type", __FILE__, __LINE__);
    return ReadResult::Broken;
  }
  const auto common = r.Bytes(kCommonRecordBytes);
  if (r.Ok()) {
    ReadCommonFields(common.first<kCommonRecordBytes>(), m);
    ReadTypeData(r, m);
  }
  if (!r.Ok()) {
    TraceError("modules.dat ends inside a record", __FILE__, __LINE__);
    return ReadResult::Broken;
  }
  m.researchPoints = m.techLevel == 1 ? kResearched : 0;
  return ReadResult::Record;
}

int CompareNoCase(const char* a, const char* b) {
  for (;; ++a, ++b) {
    const int ca = std::tolower(static_cast<unsigned char>(*a));
    const int cb = std::tolower(static_cast<unsigned char>(*b));
    if (ca != cb || ca == 0) return ca - cb;
  }
}

std::uint16_t Lowered(std::uint32_t value, std::uint8_t percent) {
  const std::uint32_t cut = value * percent / 100;
  return static_cast<std::uint16_t>(cut >= value ? 0 : value - cut);
}

std::string DefaultModulesPath() { return std::string(g_instData.GetInstallPath()) + "modules.dat"; }

// Room for `n` records, none made yet: each is made by copying one in.
ModuleBlock RoomForRecords(std::size_t n) {
  static_assert(std::is_trivially_copyable_v<ModuleRecord> && std::is_trivially_destructible_v<ModuleRecord>);
  return ModuleBlock(static_cast<ModuleRecord*>(::operator new(std::max<std::size_t>(n, 1) * sizeof(ModuleRecord))));
}

// The records of the last "modules.dat" read, as read, with the capacity
// the database reached reading them.
struct ParsedModules {
  ModuleBlock records;
  std::uint16_t count = 0;
  std::uint16_t capacity = 0;
};

KeptRules<ParsedModules>& KeptModules() {
  static KeptRules<ParsedModules> kept;
  return kept;
}

// A block of `capacity` records holding copies of the first `count` of
// `from`, padding included (see LoadModules), and new records after them.
ModuleBlock CopyRecords(const ModuleRecord* from, std::uint16_t count, std::uint16_t capacity) {
  auto block = RoomForRecords(capacity);
  if (count != 0) std::memcpy(static_cast<void*>(block.get()), from, sizeof(ModuleRecord) * count);
  std::uninitialized_value_construct_n(block.get() + count, capacity - count);
  return block;
}

}  // namespace

ModuleBlock MakeModuleBlock(std::size_t n) {
  auto block = RoomForRecords(n);
  std::uninitialized_value_construct_n(block.get(), n);
  return block;
}

CGModuleDB::CGModuleDB() : CGModuleDB(DefaultModulesPath().c_str()) {}

CGModuleDB::CGModuleDB(const char* path) {
  const auto stamped = g_instData.StampDataFile(path);
  if (stamped) {
    if (const auto kept = KeptModules().Find(*stamped)) {
      records = CopyRecords(kept->records.get(), kept->count, kept->capacity);
      count = kept->count;
      capacity = kept->capacity;
      loaded_ = true;
      return;
    }
  }
  records = MakeModuleBlock(kInitialCapacity);
  capacity = kInitialCapacity;
  // The file stamped is read where the stamp found it, its name not resolved
  // a second time.
  const auto image = stamped ? plat::ReadHostFile(stamped->host) : ReadBinaryDataFile(path);
  loaded_ = image && LoadModules(*image) != 0;
  if (!loaded_) {
    KeptModules().Forget();
    RulesShowMessage(kModulesFileDamaged);
  } else if (stamped && stamped->settled) {
    auto parsed = std::make_shared<ParsedModules>();
    parsed->records = CopyRecords(records.get(), count, count);
    parsed->count = count;
    parsed->capacity = capacity;
    KeptModules().Keep(*stamped, std::move(parsed));
  }
}

int CGModuleDB::LoadModules(std::span<const std::uint8_t> image) {
  // Half the rules is worse than none: the records are read into a block of
  // their own, which takes the place of the database's only once the whole
  // image has been read. Its size is that of the most records the image can
  // hold (every record at least its common fields and one byte of type
  // data), which spares a pass over the records' types; the capacity is the
  // one appending the records read one at a time would have reached.
  const std::size_t most = (image.size() + kSmallestRecord - 1) / kSmallestRecord;
  const auto grownFor = [&](std::size_t records) {
    std::uint32_t grown = capacity;
    while (grown < count + records) grown += kGrowStep;
    return std::min(grown, kMaxModules);
  };
  // One record past the most the database holds is enough to refuse an image.
  const std::size_t size =
      std::min<std::size_t>(std::max<std::size_t>(grownFor(most), count + most), std::size_t{kMaxModules} + 1);
  // Each record read starts as a copy of one cleared record (padding
  // included, so that equal records compare equal byte for byte): a copy of
  // fixed size, where clearing each record in turn starts a fill of its own.
  // It is made just before the record is decoded, while its bytes are at
  // hand.
  static const ModuleRecord kCleared{};
  auto block = RoomForRecords(size);
  if (count != 0) std::memcpy(static_cast<void*>(block.get()), this->records.get(), sizeof(ModuleRecord) * count);
  std::size_t read = 0;
  plat::ByteReader r(image);
  for (;;) {
    if (count + read == size) {
      // The block is full: an image of more records than the database holds.
      if (r.Remaining() == 0) break;
      TraceError("modules.dat holds no modules, or too many", __FILE__, __LINE__);
      return 0;
    }
    ModuleRecord& record = block[count + read];
    std::memcpy(static_cast<void*>(&record), &kCleared, sizeof kCleared);
    const ReadResult result = ReadModule(r, record);
    if (result == ReadResult::Broken) return 0;
    if (result == ReadResult::End) break;
    ++read;
  }
  if (read == 0 || count + read > kMaxModules) {
    TraceError("modules.dat holds no modules, or too many", __FILE__, __LINE__);
    return 0;
  }
  const std::size_t grown = grownFor(read);
  std::uninitialized_value_construct_n(block.get() + count + read, grown - (count + read));
  this->records = std::move(block);
  capacity = static_cast<std::uint16_t>(grown);
  count = static_cast<std::uint16_t>(count + read);
  return 1;
}

void CGModuleDB::Reserve(std::uint16_t slots) {
  if (slots <= capacity) return;
  records = CopyRecords(records.get(), count, slots);
  capacity = slots;
}

bool CGModuleDB::Append(const ModuleRecord& record) {
  if (count >= kMaxModules) {
    TraceError("Too many modules", __FILE__, __LINE__);
    return false;
  }
  if (count == capacity)
    Reserve(static_cast<std::uint16_t>(std::min<std::uint32_t>(capacity + kGrowStep, kMaxModules)));
  records[count++] = record;
  return true;
}

const ModuleRecord* CGModuleDB::GetRecord(int index) const {
  return index >= 0 && index < count ? &records[index] : nullptr;
}

ModuleRecord* CGModuleDB::GetRecord(int index) { return index >= 0 && index < count ? &records[index] : nullptr; }

std::uint16_t CGModuleDB::GetCostPercent(int index) const {
  const ModuleRecord* m = GetRecord(index);
  if (m == nullptr || m->researchPoints <= kResearched) return 100;
  const float percent = 100.0f - static_cast<float>(m->researchPoints - kResearched) * 2.2222222e-5f * 100.0f;
  return percent <= 0.0f ? 0 : static_cast<std::uint16_t>(percent);
}

void CGModuleDB::GetCosts(int index, std::uint16_t out[5]) const {
  const ModuleRecord* m = GetRecord(index);
  const std::uint32_t percent = GetCostPercent(index);
  for (int i = 0; i < 5; ++i) out[i] = m ? static_cast<std::uint16_t>(m->costs[i] * percent / 100) : 0;
}

std::uint16_t CGModuleDB::GetBuildPoints(int index) const {
  if (GetRecord(index) == nullptr) {
    TraceError("Module index out of range", __FILE__, __LINE__);
    return 0;
  }
  return static_cast<std::uint16_t>(GetBaseBuildPoints(index) * std::uint32_t{GetCostPercent(index)} / 100);
}

std::uint16_t CGModuleDB::GetBaseBuildPoints(int index) const {
  const ModuleRecord* m = GetRecord(index);
  if (m == nullptr) {
    TraceError("Module index out of range", __FILE__, __LINE__);
    return 0;
  }
  return m->buildPoints;
}

std::uint16_t CGModuleDB::GetMass(int index) const {
  const ModuleRecord* m = GetRecord(index);
  return m ? Lowered(m->mass, RulesFacts().ChapterTrait(static_cast<std::uint8_t>(RulesFacts().LocalChapterId()), 19))
           : 0;
}

std::uint16_t CGModuleDB::GetPowerUse(int index) const {
  const ModuleRecord* m = GetRecord(index);
  return m ? Lowered(m->powerUse,
                     RulesFacts().ChapterTrait(static_cast<std::uint8_t>(RulesFacts().LocalChapterId()), 18))
           : 0;
}

void CGModuleDB::GetDefenses(int index, std::uint8_t out[8]) const {
  const ModuleRecord* m = GetRecord(index);
  for (int i = 0; i < 8; ++i) out[i] = m ? m->defenses[i] : 0;
}

int CGModuleDB::IsResearched(int index) const {
  const ModuleRecord* m = GetRecord(index);
  return m && m->researchPoints >= kResearched ? 1 : 0;
}

int CGModuleDB::GetResearchPercent(int index) const {
  const ModuleRecord* m = GetRecord(index);
  if (m == nullptr) return 0;
  return m->researchPoints >= kResearched ? 100 : m->researchPoints * 100 / kResearched;
}

// Going up, the best is the lowest name that comes after the start (a name
// equal to the start's comes after it when its index is higher); going down,
// the mirror image. From kNoModule every name qualifies, so a name that sorts
// before any letter is listed too.
std::uint16_t CGModuleDB::GetNextByName(std::uint16_t start, int direction) const {
  const ModuleRecord* reference = start == kNoModule ? nullptr : GetRecord(start);
  if (start != kNoModule && reference == nullptr) return kNoModule;
  const int sign = direction != 0 ? 1 : -1;
  std::optional<std::uint16_t> best;
  for (std::uint16_t i = 0; i < count; ++i) {
    const char* name = records[i].name;
    if (reference != nullptr) {
      const int order = sign * CompareNoCase(name, reference->name);
      if (order < 0 || (order == 0 && i <= start)) continue;
    }
    if (!best || sign * CompareNoCase(name, records[*best].name) < 0) best = i;
  }
  return best.value_or(kNoModule);
}

std::uint8_t CGModuleDB::GetComputerType(int index) const {
  const ModuleRecord* m = GetRecord(index);
  return m && m->type == MODULE_COMPUTER ? m->typeData[0] : kNotAComputer;
}

int CGModuleDB::GetGuildIndex(int index) const {
  const ModuleRecord* m = GetRecord(index);
  for (int g = 0; m != nullptr && g < 5; ++g) {
    if ((m->guildMask & (1u << g)) != 0) return g;
  }
  TraceError("Module of no guild", __FILE__, __LINE__);
  return -1;
}

double CGModuleDB::GetEffectiveRange(int index) const {
  const ModuleRecord* m = GetRecord(index);
  return m && m->type == MODULE_WEAPON ? m->EffectiveRange() * 3.84 / 2600.0 : 0.0;
}

double CGModuleDB::GetMaxRange(int index) const {
  const ModuleRecord* m = GetRecord(index);
  return m && m->type == MODULE_WEAPON ? m->MaxRange() * 3.84 / 2600.0 : 0.0;
}

std::uint16_t CGModuleDB::FindBestPropulsion() const {
  const int guild = RulesLocalGuild();
  const unsigned guildBit = guild < 8 ? 1u << guild : 0u;
  std::uint16_t best = kNoModule;
  for (std::uint16_t i = 0; i < count; ++i) {
    const ModuleRecord& m = records[i];
    if (m.type != MODULE_PROPULSION || m.guildMask != guildBit || m.researchPoints < kResearched) continue;
    if (best == kNoModule || m.DeepThrust() > records[best].DeepThrust()) best = i;
  }
  return best;
}

std::uint16_t CGModuleDB::GetSuccessor(int index) const {
  const ModuleRecord* m = GetRecord(index);
  return m && m->successor < count ? m->successor : kNoModule;
}

void CGModuleDB::SetResearchAllocation(int index, std::uint16_t percent) {
  ModuleRecord* m = GetRecord(index);
  if (m == nullptr) return;
  m->researchAllocation = percent;
  auto packet =
      BuildModuleAllocationPacket(RulesFacts().LocalChapterId() & 7, static_cast<std::uint16_t>(index), percent);
  RulesSendToAll(packet.bytes);
}

void CGModuleDB::SetScienceBonus(int index, std::uint16_t points) {
  ModuleRecord* m = GetRecord(index);
  if (m == nullptr || m->scienceBonus == points) return;
  m->scienceBonus = points;
  auto packet = BuildModuleBonusPacket(RulesFacts().LocalChapterId() & 7, static_cast<std::uint16_t>(index), points,
                                       freeSciencePool);
  RulesSendToAll(packet.bytes);
}

// One walk over the block: when the local guild's modules hold fewer points
// than the pool stands above the limit, the walk ends with what it found
// instead of starting over for ever.
void CGModuleDB::ReclaimScienceBonus(std::uint16_t limit) {
  if (freeSciencePool <= limit) return;
  const int guild = RulesLocalGuild();
  const unsigned guildBit = guild < 8 ? 1u << guild : 0u;
  auto before = std::make_unique<std::uint16_t[]>(count);
  for (std::uint16_t i = 0; i < count; ++i) before[i] = records[i].scienceBonus;
  for (std::uint16_t i = 0; i < count && freeSciencePool > limit; ++i) {
    ModuleRecord& m = records[i];
    if ((m.guildMask & guildBit) == 0) continue;
    while (m.scienceBonus > 0 && freeSciencePool > limit) {
      --m.scienceBonus;
      --freeSciencePool;
    }
  }
  for (std::uint16_t i = 0; i < count; ++i) {
    if (records[i].scienceBonus == before[i]) continue;
    auto packet =
        BuildModuleBonusPacket(RulesFacts().LocalChapterId() & 7, i, records[i].scienceBonus, freeSciencePool);
    RulesSendToAll(packet.bytes);
  }
}

int CGModuleDB::Save(plat::FILE* fp) const {
  BlockWriter w(fp);
  return Save(w);
}

int CGModuleDB::Save(BlockWriter& w) const {
  for (std::uint16_t i = 0; i < count; ++i) {
    const ModuleRecord& m = records[i];
    w.Write(m.researchPoints);
    w.Write(m.researchAllocation);
    w.Write(m.scienceBonus);
    w.Write(m.researchWord);
  }
  w.Write(freeSciencePool);
  w.Write(kModuleDBEndByte);
  return w.Ok() ? 1 : 0;
}

int CGModuleDB::Load(plat::FILE* fp) {
  BlockReader r(fp);
  return Load(r);
}

int CGModuleDB::Load(BlockReader& r) {
  // Hundreds of records of four words each: they come as checked blocks of
  // some records at a time, rather than as four checked reads each.
  constexpr std::size_t kRecordBytes = 4 * sizeof(std::uint16_t);
  constexpr std::size_t kPerBlock = 32;
  for (std::size_t first = 0; first < count; first += kPerBlock) {
    const std::size_t n = std::min<std::size_t>(kPerBlock, count - first);
    std::uint8_t scratch[kPerBlock * kRecordBytes];
    const auto block = r.Block({scratch, n * kRecordBytes});
    if (block.empty()) return 0;
    for (std::size_t i = 0; i < n; ++i) {
      FixedFields<kRecordBytes> f(block.subspan(i * kRecordBytes).first<kRecordBytes>());
      ModuleRecord& m = records[first + i];
      m.researchPoints = f.U16();
      m.researchAllocation = f.U16();
      m.scienceBonus = f.U16();
      m.researchWord = f.U16();
    }
  }
  std::uint8_t end = 0;
  r.Read(freeSciencePool);
  return r.Read(end) && end == kModuleDBEndByte ? 1 : 0;
}
