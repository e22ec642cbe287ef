#include "Game/model/GChapter.h"

#include <algorithm>
#include <cctype>
#include <cstring>

#include "Game/base/GPersist.h"
#include "Game/base/Packets.h"
#include "Game/base/TraceError.h"
#include "Game/model/GAsteroid.h"
#include "Game/model/GGuild.h"
#include "Game/model/GPoolDB.h"
#include "Game/model/GSolarSys.h"
#include "Game/model/GWorldArrays.h"
#include "Game/model/GWorldMath.h"
#include "Game/model/GameWorld.h"
#include "Game/rules/GGameVar.h"
#include "Game/rules/GModuleDB.h"
#include "Game/rules/GRulesFacts.h"
#include "Game/rules/GRulesLinks.h"
#include "Game/rules/GRulesPackets.h"
#include "platform/core/random.h"

namespace {

constexpr std::size_t kChatTextOffset = 16;
constexpr std::uint32_t kMaxListCount = 0xFFFF;

// Cut to what a save carries (its length counts the closing zero), so that a
// long chat message or note never makes the saved game unloadable.
ChapterText CopyText(const char* text, std::size_t n) {
  n = std::min<std::size_t>(n, kMaxChapterText - 1);
  auto copy = MakeSizedBlock<char>(n + 1);
  if (n != 0) std::memcpy(copy.get(), text, n);
  return copy;
}

ChapterText CopyText(const char* text) { return CopyText(text, text != nullptr ? std::strlen(text) : 0); }

// A u32 length (at most kMaxChapterText) and that many characters.
LoadStatus ReadText(BlockReader& r, ChapterText& out) {
  std::uint32_t length = 0;
  if (!r.Read(length)) return LoadStatus::kTruncated;
  if (length > kMaxChapterText) return LoadStatus::kBadCount;
  auto text = MakeSizedBlock<char>(std::size_t{length} + 1);
  if (!r.ReadBytes({reinterpret_cast<std::uint8_t*>(text.get()), length})) return LoadStatus::kTruncated;
  out = std::move(text);
  return LoadStatus::kOk;
}

}  // namespace

CGChapter::CGChapter(std::uint8_t chapterSlot, std::uint8_t chapterGuild) : slot(chapterSlot), guild(chapterGuild) {
  nextObjectId = std::uint32_t{GetChapterNumber()} << 26;
  std::uint8_t settings[kTraitCount] = {};
  std::uint8_t settingsDifficulty = 0;
  if (World().SettingsTraits(settings, &settingsDifficulty)) {
    std::copy(std::begin(settings), std::end(settings), traits);
    difficulty = settingsDifficulty;
  }
  if (slot < kMaxChaptersPerGuild) imperatorVotes[slot] = 1;
  SetATVTechLevels(255, 0);
}

CGChapter::~CGChapter() { FreeLists(); }

void CGChapter::FreeLists() {
  DeleteAllElements(chatMessages);
  DeleteAllElements(notes);
  DeleteAllElements(autoTransfers);
}

void CGChapter::SetName(const char* text) { name.Assign(text); }

std::uint16_t CGChapter::SetHomeAsteroid(std::uint16_t asteroid) {
  if (asteroid == 0xFFFF) asteroid = GetChapterNumber();
  homeAsteroid = asteroid;
  if (CGAsteroid* a = World().Asteroid(asteroid)) {
    a->SetOwner(GetChapterNumber());
    a->SetController(GetChapterNumber());
  }
  return asteroid;
}

int CGChapter::SetRenegade(std::uint32_t flag) {
  const int changed = flag != renegade ? 1 : 0;
  renegade = flag;
  return changed;
}

int CGChapter::CountControlledAsteroids() const {
  int n = 0;
  for (std::uint16_t i = 0; i < g_numAsteroids; ++i)
    if (const CGAsteroid* a = World().Asteroid(i); a != nullptr && a->controller == GetChapterNumber()) ++n;
  return n;
}

void CGChapter::SetTraits(const std::uint8_t* values) {
  if (values != nullptr) std::copy_n(values, kTraitCount, traits);
}

void CGChapter::DecOwnedAsteroidCount() {
  if (ownedAsteroids != 0) --ownedAsteroids;
}

void CGChapter::GetTurnStatistics(int row, std::uint32_t out[kStatFields]) const {
  if (row < 0 || row >= kStatRows) return;
  std::copy(std::begin(statistics[row].values), std::end(statistics[row].values), out);
}

const std::uint8_t* CGChapter::GetATVTechStats(int type) const {
  return type >= 0 && type < kAtvKinds ? atvTech[type].values : nullptr;
}

void CGChapter::SetRenegadeVote(int targetSlot, std::uint16_t value) {
  if (targetSlot < 0 || targetSlot >= kMaxChaptersPerGuild || renegadeVotes[targetSlot] == value) return;
  renegadeVotes[targetSlot] = value;
  PacketImage<16> p(PKT_RENEGADE_VOTE);
  p.Put<std::uint16_t>(8, GetChapterNumber());
  p.Put<std::uint16_t>(10, static_cast<std::uint16_t>(targetSlot));
  p.Put<std::uint16_t>(12, value);
  RulesSendToAll(p.bytes);
}

void CGChapter::ToggleRenegadeVote(int targetSlot) {
  if (targetSlot < 0 || targetSlot >= kMaxChaptersPerGuild) return;
  SetRenegadeVote(targetSlot, renegadeVotes[targetSlot] != 0 ? 0 : 1);
}

void CGChapter::VoteForImperator(int targetSlot) {
  if (targetSlot < 0 || targetSlot >= kMaxChaptersPerGuild || imperatorVotes[targetSlot] != 0) return;
  const int members = std::min<int>(RulesFacts().ChaptersPerGuild(), kMaxChaptersPerGuild);
  for (int i = 0; i < members; ++i) imperatorVotes[i] = 0;
  imperatorVotes[targetSlot] = 1;
  PacketImage<12> p(PKT_IMPERATOR_VOTE);
  p.Put<std::uint16_t>(8, GetChapterNumber());
  p.Put<std::uint16_t>(10, static_cast<std::uint16_t>(targetSlot));
  RulesSendToAll(p.bytes);
}

void CGChapter::SetATVTechLevels(std::uint8_t type, std::uint8_t level) {
  if (level >= kAtvTechLevels) return;
  if (type == 255) {
    for (std::uint8_t t = 0; t < kAtvKinds; ++t) SetATVTechLevels(t, level);
    return;
  }
  if (type >= kAtvKinds) {
    TraceError("Invalid ATV type in SetATVTechLevels", __FILE__, __LINE__);
    return;
  }
  ATVTechEntry entry{};
  g_gameVariables.GetATVTechEntry(guild, level, type, &entry);
  atvTech[type].level = level;
  std::copy(entry.begin(), entry.end(), atvTech[type].values);
}

void CGChapter::UpgradeATVTechLevel(std::uint8_t type) {
  if (type < kAtvKinds && atvTech[type].level + 1 < kAtvTechLevels)
    SetATVTechLevels(type, static_cast<std::uint8_t>(atvTech[type].level + 1));
}

int CGChapter::AddChatMessage(std::span<const std::uint8_t> packet) {
  if (packet.size() < kChatTextOffset) return 0;
  if (chatMessages.count >= kMaxChatMessages) delete chatMessages.RemoveAt(0);
  auto m = std::make_unique<ChatMessage>();
  plat::ByteReader r(packet);
  r.ReadAt(8, m->sender);
  r.ReadAt(9, m->recipient);
  r.ReadAt(12, m->intercepted);
  // The text runs to its zero or, in a packet that has none, to the end.
  const auto text = packet.subspan(kChatTextOffset);
  const auto end = std::find(text.begin(), text.end(), std::uint8_t{0});
  m->text = CopyText(reinterpret_cast<const char*>(text.data()), static_cast<std::size_t>(end - text.begin()));
  if (m->intercepted != 0) GarbleInterceptedText(m->text.get());
  return AppendOwned(chatMessages, m.release()) ? 1 : 0;
}

void CGChapter::GarbleInterceptedText(char* text) {
  if (text == nullptr) return;
  const int p = plat::rand() % 50;
  for (char* c = text; *c != '\0'; ++c)
    if (std::isalnum(static_cast<unsigned char>(*c)) != 0 && plat::rand() % 100 < p) *c = '*';
}

const ChatMessage* CGChapter::GetChatMessage(int i) const {
  return i >= 0 && i < chatMessages.count ? chatMessages.items[i] : nullptr;
}

void CGChapter::DeleteChatMessage(int i) {
  if (i >= 0 && i < chatMessages.count) delete chatMessages.RemoveAt(static_cast<std::uint16_t>(i));
}

void CGChapter::AddNote(const char* text) {
  auto* n = new PlayerNote;
  n->turn = RulesFacts().CurrentTurn();
  n->text = CopyText(text);
  AppendOwned(notes, n);
}

const PlayerNote* CGChapter::GetNote(int i) const { return i >= 0 && i < notes.count ? notes.items[i] : nullptr; }

void CGChapter::DeleteNote(int i) {
  if (i >= 0 && i < notes.count) delete notes.RemoveAt(static_cast<std::uint16_t>(i));
}

void CGChapter::RecordTurnStatistics() {
  ChapterTurnStats& row = statistics[RulesFacts().CurrentTurn() % kStatRows];
  row = ChapterTurnStats{};
  const CGPoolDB* pools = World().pools;
  for (std::uint16_t i = 0; i < g_numAsteroids; ++i) {
    const CGAsteroid* a = World().Asteroid(i);
    if (a == nullptr) continue;
    std::uint16_t mined[kMineralTypes];
    a->GetChapterMiningOutput(GetChapterNumber(), &mined[0], &mined[1], &mined[2], &mined[3]);
    for (int m = 0; m < kMineralTypes; ++m) row.values[m] += mined[m];
    row.values[8] += a->GetChapterPowerOutput(GetChapterNumber());
    if (pools != nullptr) {
      std::uint32_t held[kMineralTypes];
      pools->GetMinerals(i, held);
      for (int m = 0; m < kMineralTypes; ++m) row.values[4 + m] += held[m];
    }
  }
  row.values[9] = credits;
}

void CGChapter::SetAutoTransfer(std::uint8_t source, std::uint8_t destination, std::uint8_t mineral,
                                std::uint16_t amount) {
  CancelAutoTransfer(source, mineral);
  auto* t = new AutoTransfer{source, destination, mineral, amount, 0};
  t->transitTurns = static_cast<std::uint16_t>(ComputeTransferTurns(source, destination));
  AppendOwned(autoTransfers, t);
}

int CGChapter::CancelAutoTransfer(std::uint8_t source, std::uint8_t mineral) {
  for (std::uint16_t i = 0; i < autoTransfers.count; ++i)
    if (autoTransfers.items[i]->source == source && autoTransfers.items[i]->mineral == mineral) {
      delete autoTransfers.RemoveAt(i);
      return 1;
    }
  return 0;
}

AutoTransfer* CGChapter::FindAutoTransfer(std::uint8_t source, std::uint8_t mineral) const {
  for (std::uint16_t i = 0; i < autoTransfers.count; ++i)
    if (autoTransfers.items[i]->source == source && autoTransfers.items[i]->mineral == mineral)
      return autoTransfers.items[i];
  return nullptr;
}

int CGChapter::HasAutoTransfer(std::uint8_t source, std::uint8_t mineral) const {
  return FindAutoTransfer(source, mineral) != nullptr ? 1 : 0;
}

int CGChapter::ComputeTransferTurns(std::uint8_t source, std::uint8_t destination) {
  if (source == destination) return 0;
  const CGModuleDB* modules = World().modules;
  const CGSolarDB* solar = World().solar;
  if (modules == nullptr || solar == nullptr) return -1;
  const std::uint16_t best = modules->FindBestPropulsion();
  const ModuleRecord* record = modules->GetRecord(best);
  if (record == nullptr) return -1;
  const int thrust = record->type == MODULE_PROPULSION ? record->DeepThrust() : 0;
  // A module without thrust cannot carry anything. Three times the thrust
  // is taken whole: a thrust above 85 would wrap in a byte and read as a
  // crawl.
  if (thrust == 0) return -1;
  const double speed = 3.0 * thrust / (3.0 * (modules->GetMass(best) + 15)) * 5000.0;
  const std::int32_t d = solar->GetAsteroidDistanceSquared(source, destination);
  if (d < 0) return -1;
  return TruncToInt(d / (speed * speed)) + 1;
}

void CGChapter::SendAutoTransfers() {
  for (std::uint16_t i = 0; i < autoTransfers.count; ++i) {
    const AutoTransfer& t = *autoTransfers.items[i];
    PacketImage<20> p(PKT_AUTO_TRANSFER);
    p.Put<std::uint8_t>(8, static_cast<std::uint8_t>(RulesFacts().LocalChapterId()));
    p.Put<std::uint8_t>(9, t.source);
    p.Put<std::uint8_t>(10, t.destination);
    p.Put<std::uint8_t>(11, t.mineral);
    p.Put<std::uint16_t>(12, t.amount);
    p.Put<std::uint16_t>(14, t.transitTurns);
    p.Put<std::uint32_t>(16, 1);
    RulesSendToAll(p.bytes);
  }
  previousRenegade = renegade;
  previousCamp = camp;
}

int CGChapter::IsAlliedWith(std::uint8_t otherGuild, std::uint16_t otherSlot) const {
  if (otherGuild != guild || World().guilds == nullptr) return 0;
  const CGuild* g = World().guilds->GetGuild(otherGuild);
  const CGChapter* other = g != nullptr ? g->GetChapter(otherSlot) : nullptr;
  if (other == nullptr) return 0;
  return renegade == 0 && other->renegade == 0 && camp == other->camp ? 1 : 0;
}

int CGChapter::Save(plat::FILE* fp) {
  BlockWriter w(fp);
  return Save(w) ? 1 : 0;
}

int CGChapter::Load(plat::FILE* fp) {
  BlockReader r(fp);
  return LoadResult(Load(r));
}

bool CGChapter::Save(BlockWriter& w) const {
  w.U8(kChapterVersion);
  w.U8(slot);
  w.U8(guild);
  w.U16(homeAsteroid);
  w.U32(credits);
  w.U16(ownedAsteroids);
  for (std::uint32_t v : {stateFlag, renegade, previousRenegade, camp, previousCamp}) w.U32(v);
  for (std::uint8_t t : traits) w.U8(t);
  w.U8(difficulty);
  w.U32(nextObjectId);
  if (name)
    w.Name(name.get());
  else
    w.U8(0);
  for (int i = 0; i < kMaxChaptersPerGuild; ++i) {
    w.U32(renegadeVotes[i]);
    w.U32(imperatorVotes[i]);
  }
  for (const ChapterTurnStats& row : statistics)
    for (std::uint32_t v : row.values) w.U32(v);
  for (const AtvTech& t : atvTech) {
    w.U8(t.level);
    for (std::uint8_t v : t.values) w.U8(v);
  }
  w.U32(chatMessages.count);
  for (std::uint16_t i = 0; i < chatMessages.count; ++i) {
    w.U8(chatMessages.items[i]->sender);
    w.U8(chatMessages.items[i]->recipient);
    w.Text32(chatMessages.items[i]->text.get());
  }
  w.U32(notes.count);
  for (std::uint16_t i = 0; i < notes.count; ++i) {
    w.U32(notes.items[i]->turn);
    w.Text32(notes.items[i]->text.get());
  }
  w.U32(autoTransfers.count);
  for (std::uint16_t i = 0; i < autoTransfers.count; ++i) {
    const AutoTransfer& t = *autoTransfers.items[i];
    w.U8(t.source);
    w.U8(t.destination);
    w.U8(t.mineral);
    w.U16(t.amount);
    w.U16(t.transitTurns);
  }
  w.U8(kValidityByte);
  return w.Ok();
}

LoadStatus CGChapter::Load(BlockReader& r) {
  CGChapter c(slot, guild);
  const LoadStatus s = c.ReadInto(r);
  if (s == LoadStatus::kOk) SwapContents(c);
  return s;
}

LoadStatus CGChapter::ReadInto(BlockReader& r) {
  FreeLists();
  const std::uint8_t version = r.U8();
  if (!r.Ok()) return LoadStatus::kTruncated;
  if (version > kChapterVersion) return LoadStatus::kBadVersion;
  // The fixed fields either side of the name come as one checked block each.
  {
    constexpr std::size_t kHead = 1 + 1 + 2 + 4 + 2 + 5 * 4 + kTraitCount + 1 + 4;
    std::uint8_t scratch[kHead];
    const auto block = r.Block(scratch);
    if (block.empty()) return LoadStatus::kTruncated;
    FixedFields<kHead> f(block.first<kHead>());
    f.Read(slot);
    f.Read(guild);
    f.Read(homeAsteroid);
    f.Read(credits);
    f.Read(ownedAsteroids);
    for (std::uint32_t* v : {&stateFlag, &renegade, &previousRenegade, &camp, &previousCamp}) f.Read(*v);
    f.Bytes(traits);
    f.Read(difficulty);
    f.Read(nextObjectId);
  }
  if (!name.Read(r)) return LoadStatus::kTruncated;
  {
    constexpr std::size_t kVotes = kMaxChaptersPerGuild * 2 * 4;
    std::uint8_t scratch[kVotes];
    const auto block = r.Block(scratch);
    if (block.empty()) return LoadStatus::kTruncated;
    FixedFields<kVotes> f(block.first<kVotes>());
    for (int i = 0; i < kMaxChaptersPerGuild; ++i) {
      f.Read(renegadeVotes[i]);
      f.Read(imperatorVotes[i]);
    }
  }
  // The statistics (2,000 bytes) and the ATV technology come as one checked
  // block each, decoded in place.
  static_assert(sizeof(ChapterTurnStats) == kStatFields * sizeof(std::uint32_t));
  {
    constexpr std::size_t kStatBytes = sizeof statistics;
    std::uint8_t scratch[kStatBytes];
    const auto block = r.Block(scratch);
    if (block.empty()) return LoadStatus::kTruncated;
    constexpr std::size_t kRowBytes = sizeof(ChapterTurnStats);
    for (std::size_t row = 0; row < kStatRows; ++row)
      plat::DecodeLEArray<std::uint32_t>(block.subspan(row * kRowBytes, kRowBytes), statistics[row].values);
  }
  {
    constexpr std::size_t kTechBytes = kAtvKinds * (1 + kAtvTechValues);
    std::uint8_t scratch[kTechBytes];
    const auto block = r.Block(scratch);
    if (block.empty()) return LoadStatus::kTruncated;
    const std::uint8_t* at = block.data();
    for (AtvTech& t : atvTech) {
      t.level = *at++;
      std::memcpy(t.values, at, kAtvTechValues);
      at += kAtvTechValues;
    }
  }
  const std::uint32_t messages = r.U32();
  if (!r.Ok()) return LoadStatus::kTruncated;
  if (messages > kMaxChatMessages) return LoadStatus::kBadCount;
  // Sender, recipient and the text's length at the least.
  ReserveForBlock(chatMessages, messages, r, 6);
  for (std::uint32_t i = 0; i < messages; ++i) {
    auto m = std::make_unique<ChatMessage>();
    r.Read(m->sender);
    r.Read(m->recipient);
    const LoadStatus s = ReadText(r, m->text);
    if (s != LoadStatus::kOk) return s;
    AppendOwned(chatMessages, m.release());
  }
  const std::uint32_t noteCount = r.U32();
  if (!r.Ok()) return LoadStatus::kTruncated;
  if (noteCount > kMaxListCount) return LoadStatus::kBadCount;
  ReserveForBlock(notes, noteCount, r, 8);
  for (std::uint32_t i = 0; i < noteCount; ++i) {
    auto n = std::make_unique<PlayerNote>();
    r.Read(n->turn);
    const LoadStatus s = ReadText(r, n->text);
    if (s != LoadStatus::kOk) return s;
    AppendOwned(notes, n.release());
  }
  const std::uint32_t transfers = r.U32();
  if (!r.Ok()) return LoadStatus::kTruncated;
  if (transfers > kMaxListCount) return LoadStatus::kBadCount;
  ReserveForBlock(autoTransfers, transfers, r, version > 1 ? 7 : 5);
  for (std::uint32_t i = 0; i < transfers && r.Ok(); ++i) {
    auto t = std::make_unique<AutoTransfer>();
    r.Read(t->source);
    r.Read(t->destination);
    r.Read(t->mineral);
    r.Read(t->amount);
    if (version > 1) r.Read(t->transitTurns);
    if (r.Ok()) AppendOwned(autoTransfers, t.release());
  }
  const LoadStatus end = r.EndByte(kValidityByte);
  if (end != LoadStatus::kOk) return end;
  return LoadStatus::kOk;
}

void CGChapter::SwapContents(CGChapter& o) noexcept {
  std::swap(nextObjectId, o.nextObjectId);
  std::swap(slot, o.slot);
  std::swap(guild, o.guild);
  std::swap(name, o.name);
  std::swap(homeAsteroid, o.homeAsteroid);
  std::swap(ownedAsteroids, o.ownedAsteroids);
  std::swap(traits, o.traits);
  std::swap(difficulty, o.difficulty);
  std::swap(stateFlag, o.stateFlag);
  std::swap(renegade, o.renegade);
  std::swap(previousRenegade, o.previousRenegade);
  std::swap(camp, o.camp);
  std::swap(previousCamp, o.previousCamp);
  std::swap(credits, o.credits);
  std::swap(renegadeVotes, o.renegadeVotes);
  std::swap(imperatorVotes, o.imperatorVotes);
  std::swap(statistics, o.statistics);
  std::swap(atvTech, o.atvTech);
  SwapArrays(chatMessages, o.chatMessages);
  SwapArrays(notes, o.notes);
  SwapArrays(autoTransfers, o.autoTransfers);
}
