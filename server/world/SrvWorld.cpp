#include "server/world/SrvWorld.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <filesystem>
#include <fstream>

#include "Game/base/GInstData.h"
#include "Game/model/GAsteroid.h"
#include "Game/model/GChapter.h"
#include "Game/model/GPoolDB.h"
#include "Game/model/GUnit.h"
#include "Game/model/GWorldMath.h"
#include "Game/model/GZone.h"
#include "Game/model/GameWorld.h"
#include "Game/rules/GGameVar.h"
#include "platform/core/dospath.h"
#include "server/world/SrvCentreZone.h"
#include "server/world/SrvRandom.h"
#include "server/world/SrvStartingUnits.h"

namespace {

constexpr double kTwoPi = 6.283;
constexpr std::int16_t kStarOffset = 4000;

// Type 0 and the last three are even mixes; types 1..16 lean, four steps
// each, toward metals, silicates, exotics and reactives in turn.
std::array<std::array<std::uint8_t, 4>, 20> MakeResourceMix() {
  std::array<std::array<std::uint8_t, 4>, 20> mix{};
  for (auto& m : mix) m = {25, 25, 25, 25};
  for (int t = 1; t <= 16; ++t) {
    const int mineral = (t - 1) / 4, step = (t - 1) % 4;
    const int main = 40 + 10 * step, rest = 100 - main;
    for (int k = 0; k < 4; ++k) mix[t][k] = static_cast<std::uint8_t>(k == mineral ? main : rest / 3);
    mix[t][(mineral + 1) % 4] = static_cast<std::uint8_t>(mix[t][(mineral + 1) % 4] + rest % 3);
  }
  return mix;
}

void MakeStars(CGSolarDB& solar, SrvRandom& rng) {
  solar.CreateStarArray(2);
  solar.CreateStars();
  for (std::uint16_t i = 0; i < 2; ++i) {
    CGStar* s = solar.GetStar(i);
    const Location at{i, static_cast<std::int16_t>(i == 0 ? -kStarOffset : kStarOffset), 0, 0};
    s->SetLocation(&at);
    s->GetName();  // settles the star's own name, which the clients are sent
    const double peak = rng.Range(2000, 9000);
    s->SetRadiationCycle(peak, rng.Range(0, static_cast<int>(peak)));
    s->baseRadiation = rng.Range(1000, 3000);
    s->rising = static_cast<std::uint32_t>(rng.Range(0, 1));
  }
}

void MakeZones(CGAsteroid& a, SrvRandom& rng) {
  a.CreateZones();
  for (std::uint16_t i = 0; i < a.GetZoneCount(); ++i) {
    CGZone* z = a.GetZone(i);
    z->Reset();
    z->SetOwner(kZoneNobody);
    z->atvLimit = static_cast<std::uint8_t>(4 + 2 * a.sizeClass);
    z->miningValue = static_cast<std::uint8_t>(rng.Range(1, 10));
  }
}

// What a chapter starts with at the average starting values; the
// settings' scales make half as much again of it, or half.
constexpr std::uint32_t kStartingMinerals = 400;  // of each
constexpr std::uint32_t kStartingCredits = 5000;
constexpr std::array<int, 4> kStartingAtvs{4, 2, 2, 2};  // combat, mining, power, seed bank

std::array<std::uint8_t, 4> StartingAtvs(std::uint16_t forceScale) {
  const double factor = StartingScaleFactor(forceScale);
  std::array<std::uint8_t, 4> atvs{};
  for (std::size_t t = 0; t < atvs.size(); ++t) atvs[t] = static_cast<std::uint8_t>(kStartingAtvs[t] * factor);
  return atvs;
}

// A home's ground forces: the seed banks in the centre, the only kind it
// holds; the others dealt one at a time over the two ring-0 zones, and on
// outwards when both are full. The storage facility stands in zone 1, where
// its mining cell shows it: the miners go to zone 2 while it has room, as an
// ATV's picture in that cell would hide the facility's. ATVs no zone has room
// for are not made.
void PlaceHomeForces(CGAsteroid& a, std::uint8_t chapter, const std::array<std::uint8_t, 4>& atvs) {
  CGZone* centre = a.GetZone(kSrvCentreZone);
  centre->SetOwner(chapter);
  centre->SetAtvCounts(0, 0, 0, atvs[ATV_SEED_BANK]);
  constexpr std::uint16_t kStoreZone = 1, kRingZeroZones = 2;
  const auto room = [](const CGZone& z) {
    return z.atvCounts[0] + z.atvCounts[1] + z.atvCounts[2] + z.atvCounts[3] < z.atvLimit;
  };
  int dealt = 0;
  for (int kind = ATV_COMBAT; kind < ATV_SEED_BANK; ++kind) {
    for (int n = 0; n < atvs[static_cast<std::size_t>(kind)]; ++n) {
      const int first = kind == ATV_MINING ? 1 : dealt++ % kRingZeroZones;
      CGZone* put = nullptr;
      for (int i = 0; i < kRingZeroZones && put == nullptr; ++i) {
        CGZone* z = a.GetZone(static_cast<std::uint16_t>(kStoreZone + (first + i) % kRingZeroZones));
        if (z != nullptr && room(*z)) put = z;
      }
      for (int i = kStoreZone + kRingZeroZones; i < a.GetZoneCount() && put == nullptr; ++i)
        if (CGZone* z = a.GetZone(static_cast<std::uint16_t>(i)); z != nullptr && room(*z)) put = z;
      if (put == nullptr) return;
      put->SetOwner(chapter);
      ++put->atvCounts[kind];
    }
  }
  if (CGZone* store = a.GetZone(kStoreZone)) {
    store->SetOwner(chapter);
    store->SetFacilities(FACILITY_STORAGE);
    store->SetFacilityOwner(chapter);
  }
}

// A round orbit (a home whose player asked for no elliptic one) takes the
// same draws as any other, so the rest of the system is the same either way.
void MakeAsteroid(CGAsteroid& a, const CGSolarDB& solar, bool chaotic, bool round, SrvRandom& rng,
                  const std::string& name) {
  a.sizeClass = static_cast<std::uint8_t>(rng.Range(0, 4));
  a.SetName(name.c_str());
  a.SetCompositionType(static_cast<std::uint8_t>(rng.Range(0, 19)));
  Location c1, c2;
  solar.GetStar(a.id % 2)->GetLocation(&c1);
  solar.GetStar((a.id + 1) % 2)->GetLocation(&c2);
  bool oscillating = chaotic && rng.Range(0, 3) == 0;
  const auto r1 = static_cast<std::uint16_t>(rng.Range(1500, 14000));
  auto r2 = static_cast<std::uint16_t>(r1 * rng.Range(60, 100) / 100);
  const auto z = static_cast<float>(rng.Range(-600, 600));
  double angle;
  float speed;
  if (oscillating) {
    angle = rng.Range(-r1 + 1, r1 - 1);
    speed = static_cast<float>(rng.Range(20, 80)) * (rng.Range(0, 1) ? 1.0f : -1.0f);
  } else {
    angle = kTwoPi * rng.Range(0, 999) / 1000.0;
    speed = static_cast<float>(rng.Range(10, 50));
  }
  if (round) {
    r2 = r1;
    if (oscillating) {
      // The place along the swing becomes a place around the circle.
      angle = kTwoPi * (angle + r1) / (2.0 * r1);
      speed = std::clamp(std::fabs(speed), 10.0f, 50.0f);
      oscillating = false;
    }
  }
  a.SetOrbitShape(oscillating ? ORBIT_OSCILLATING : ORBIT_ELLIPTIC, z / 10.0f, speed, angle);
  a.SetOrbitAngle(angle, speed);
  a.SetOrbitRadii(r1, r2);
  a.SetOrbitCenters(&c1, &c2);
  a.SetPowerCoefficients(static_cast<std::uint8_t>(rng.Range(0, 100)), 0, static_cast<std::uint8_t>(rng.Range(0, 100)));
  // One step places it on its orbit and derives its thermal and radiation
  // coefficients, exactly as every later turn does.
  Location at{g_numAsteroids, 0, 0, 0};
  a.SetPosition(&at);
  a.AdvanceOrbit(0, 1);
}

// The whole of a host file; empty when it cannot be read or is far larger
// than any rules file.
std::vector<std::uint8_t> HostFile(const std::filesystem::path& path) {
  constexpr std::uintmax_t kMaxRulesFile = 16u << 20;
  std::error_code ec;
  const std::uintmax_t size = std::filesystem::file_size(path, ec);
  if (ec || size > kMaxRulesFile) return {};
  std::vector<std::uint8_t> bytes(static_cast<std::size_t>(size));
  std::ifstream in(path, std::ios::binary);
  if (!in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()))) return {};
  return bytes;
}

// A rules file of the installation folder, else of the current folder (a
// server started outside an installation reads the rules beside it).
std::vector<std::uint8_t> RulesFile(const char* name) {
  CInstData inst;
  const char* install = inst.GetInstallPath();
  if (install != nullptr && *install != '\0')
    if (const auto dir = plat::ResolveDosPath(install))
      if (std::vector<std::uint8_t> bytes = HostFile(*dir / name); !bytes.empty()) return bytes;
  return HostFile(name);
}

// The server's world as the model and the rules data see it. The server plays
// no chapter: what a local player has seen is the clients' own.
class SrvModelWorld final : public GameWorld {
 public:
  explicit SrvModelWorld(const SrvWorld& world) : world(world) {}

  std::uint16_t LocalChapterId() const override { return kNoChapter; }
  std::uint32_t CurrentTurn() const override { return world.turn; }
  bool AllDesignsVisible() const override { return world.allShipsScanned; }
  std::uint8_t ChaptersPerGuild() const override { return world.chaptersPerGuild; }
  // Only the chapters of the game's guild size take part.
  std::uint8_t ChapterTrait(std::uint8_t chapter, int trait) const override {
    const CGChapter* c = world.Chapter(chapter);
    return c != nullptr ? c->GetTrait(trait) : std::uint8_t{0};
  }
  std::uint32_t AllocateId(std::uint8_t chapter) override {
    CGChapter* c = world.Chapter(chapter);
    return c != nullptr ? c->AllocateId() : std::uint32_t{chapter} << 26;
  }
  // The world's own database as it is now: units released while it is being
  // replaced (or destroyed) find none.
  CGUnit* FindUnitBuiltFrom(const CGUnitTemplate& design, std::uint8_t chapter) const override {
    if (!world.pieces) return nullptr;
    for (std::uint16_t at = 0; at <= CGSolarDB::GetAsteroidCount() && at < kPieceLocations; ++at)
      for (std::uint32_t k = 0, n = world.pieces->CountUnits(at, chapter); k < n; ++k)
        if (CGUnit* unit = world.pieces->GetUnitAt(at, chapter, static_cast<std::uint16_t>(k));
            unit != nullptr && unit->GetTemplate() == &design)
          return unit;
    return nullptr;
  }

 protected:
  bool MixOf(std::uint8_t type, std::uint8_t out[4]) const override {
    if (type >= world.resourceMix.size()) return false;
    for (int k = 0; k < 4; ++k) out[k] = world.resourceMix[type][k];
    return true;
  }

 private:
  const SrvWorld& world;
};

}  // namespace

SrvWorld::SrvWorld()
    : guilds(std::make_unique<CGuildList>(8)),
      resourceMix(MakeResourceMix()),
      hulls(std::make_unique<CGHullDB>("")),
      modules(std::make_unique<CGModuleDB>("")),
      templates(std::make_unique<CGTemplateDB>()),
      pieces(std::make_unique<CGGamePieceDB>()) {
  RegisterWorld();
}

SrvWorld::~SrvWorld() {
  // The units go first, while the world their destructors ask is still this one.
  pieces.reset();
  templates.reset();
  if (IsGameWorld(model.get())) RegisterGameWorld(nullptr);
}

bool SrvWorld::LoadRules(std::string* fault) {
  // The game variables price the ATVs and rate their mining.
  const std::vector<std::uint8_t> variables = RulesFile("gamevar.dat");
  if (!variables.empty())
    g_gameVariables =
        CGameVariables(std::string_view(reinterpret_cast<const char*>(variables.data()), variables.size()));
  const bool ok = UseRules(RulesFile("hulls.dat"), RulesFile("modules.dat"));
  if (!ok && fault != nullptr) {
    // The modules are read only after the hulls were.
    int hullCount = 0;
    for (int section = 0; section < kHullSections; ++section) hullCount += hulls->GetHullCount(section);
    *fault = hullCount == 0 ? "hulls.dat" : "modules.dat";
  }
  return ok;
}

bool SrvWorld::UseRules(std::span<const std::uint8_t> hullsImage, std::span<const std::uint8_t> modulesImage) {
  hulls = std::make_unique<CGHullDB>("");
  modules = std::make_unique<CGModuleDB>("");
  const bool ok = hulls->LoadHulls(hullsImage) != 0 && modules->LoadModules(modulesImage) != 0;
  RegisterWorld();
  return ok;
}

CGUnit* SrvWorld::CreateUnit(std::uint16_t chapter, CGUnitTemplate* design, const Location& at) {
  CGChapter* owner = Chapter(chapter);
  if (owner == nullptr || design == nullptr || at.asteroid > CGSolarDB::GetAsteroidCount()) return nullptr;
  CGUnit* unit = pieces->CreateUnit(design, &at, static_cast<std::uint8_t>(chapter), owner->AllocateId());
  if (unit != nullptr) unit->RecomputeStats();
  return unit;
}

SrvPool SrvWorld::Pool(std::uint16_t asteroid) const {
  SrvPool p;
  if (asteroid >= kMaxAsteroids) return p;
  const PoolRecord& r = poolDB.pools[asteroid];
  p.asteroid = asteroid;
  p.storage = r.storageFacilities;
  p.blockade = r.blockade;
  for (int k = 0; k < 4; ++k) p.minerals[k] = r.amounts[k];
  return p;
}

void SrvWorld::ResetResearch() {
  for (int g = 0; g < kGuildCount; ++g) {
    SrvGuildResearch& r = research[static_cast<std::size_t>(g)];
    r.modulePercent.assign(modules->GetCount(), 0);
    r.modulePoints.assign(modules->GetCount(), 0);
    for (auto& given : r.moduleBonus) given.assign(modules->GetCount(), 0);
    for (int m = 0; m < modules->GetCount(); ++m)
      if (modules->IsResearched(m) != 0) r.modulePoints[static_cast<std::size_t>(m)] = kResearched;
    const int hullCount = hulls->GetHullCount(g);
    r.hullPercent.assign(static_cast<std::size_t>(hullCount), 0);
    r.hullPoints.assign(static_cast<std::size_t>(hullCount), 0);
    for (auto& given : r.hullBonus) given.assign(static_cast<std::size_t>(hullCount), 0);
    for (int h = 0; h < hullCount; ++h)
      if (const CGHull* hull = hulls->GetHull(g, h); hull != nullptr && hull->available != 0)
        r.hullPoints[static_cast<std::size_t>(h)] = kResearched;
  }
}

void SrvWorld::RegisterWorld() {
  if (!model) model = std::make_unique<SrvModelWorld>(*this);
  model->solar = &solar;
  model->guilds = guilds.get();
  model->pools = &poolDB;
  model->notifications = &notices;
  model->pieces = pieces.get();
  model->templates = templates.get();
  model->hulls = hulls.get();
  model->modules = modules.get();
  RegisterGameWorld(model.get());
}

bool SrvWorld::HasChapter(std::uint16_t chapter) const {
  return chapter < kMaxChapters && (chapter & 7) < chaptersPerGuild;
}

bool SrvWorld::MayTrade(std::uint16_t chapter) const {
  const CGChapter* c = Chapter(chapter);
  return c != nullptr && c->renegade == 0;
}

CGChapter* SrvWorld::Chapter(std::uint16_t chapter) const {
  return HasChapter(chapter) ? guilds->GetChapter(chapter) : nullptr;
}

void SrvWorld::Generate(const SrvSetup& setup, std::uint32_t newSeed, const SrvAsteroidNames& names,
                        const SrvChapterTraits& traits) {
  seed = newSeed;
  turn = 0;
  chaptersPerGuild = setup.ChaptersPerGuild();
  allShipsScanned = setup.ShipsStartScanned();
  guilds = std::make_unique<CGuildList>(chaptersPerGuild);
  scores = {};
  pieces = std::make_unique<CGGamePieceDB>();
  templates = std::make_unique<CGTemplateDB>();
  poolDB = CGPoolDB{};
  notices.Clear(kAllChapters);
  autoTransfers.clear();
  inTransit.clear();
  shipBids.clear();
  voteBids.clear();
  soldVotes.clear();
  refuels.clear();
  distributions.clear();
  RegisterWorld();
  ResetResearch();
  // Before any unit: the traits shape the units' statistics.
  for (std::uint16_t c = 0; c < kMaxChapters; ++c)
    if (CGChapter* chapter = Chapter(c)) chapter->SetTraits(traits[c].data());
  // Homes are spread evenly over the asteroid list, which is in no spatial
  // order, so neighbours in the list are not neighbours in space.
  const int chapters = setup.ChapterCount();
  const std::uint16_t count = setup.AsteroidCount();
  const auto homeOf = [&](int k) { return static_cast<std::uint16_t>(k * count / chapters); };
  const auto isHome = [&](std::uint16_t i) {
    const int k = (i * chapters + count - 1) / count;
    return k < chapters && homeOf(k) == i;
  };
  SrvRandom rng(seed);
  solar.orbitDirection = static_cast<std::int8_t>(rng.Range(0, 1) ? 1 : -1);
  solar.orbitMotion = setup.OrbitMotion();
  MakeStars(solar, rng);
  solar.CreateAsteroidArray(count);
  for (std::uint16_t i = 0; i < count; ++i) {
    auto a = std::make_unique<CGAsteroid>(i);
    std::string name = names ? names(i + 1u).value_or("") : "";
    if (name.empty()) name = "Asteroid " + std::to_string(i + 1);
    MakeAsteroid(*a, solar, setup.ChaoticOrbits(), isHome(i) && !setup.RandomOrbits(), rng, name);
    MakeZones(*a, rng);
    solar.SetAsteroid(std::move(a));
  }
  const double resources = StartingScaleFactor(setup.ResourceScale());
  const std::uint32_t minerals = TruncToU32(kStartingMinerals * resources);
  const std::array<std::uint8_t, 4> atvs = StartingAtvs(setup.ForceScale());
  int k = 0;
  for (std::uint16_t c = 0; c < kMaxChapters; ++c) {
    CGChapter* chapter = Chapter(c);
    if (chapter == nullptr) continue;
    const std::uint16_t home = homeOf(k);
    ++k;
    CGAsteroid* a = solar.GetAsteroid(home);
    if (a->sizeClass < 2) {
      a->sizeClass = 2;
      MakeZones(*a, rng);
    }
    chapter->SetHomeAsteroid(home);
    chapter->credits = TruncToU32(kStartingCredits * resources);
    a->SetOwner(c);
    a->SetController(c);
    PlaceHomeForces(*a, static_cast<std::uint8_t>(c), atvs);
    // The pool counts the storage facility PlaceHomeForces put up.
    poolDB.SetStorageFacilities(home, 1);
    for (std::uint32_t m = 0; m < 4; ++m) poolDB.SetMineral(home, m, minerals);
  }
  for (std::uint16_t c = 0; c < kMaxChapters; ++c)
    if (HasChapter(c)) SrvGiveStartingForces(*this, c);
}

void SrvWorld::AdoptLoaded(std::unique_ptr<CGuildList> loaded, std::uint32_t loadedTurn, std::uint32_t loadedSeed,
                           std::uint8_t perGuild) {
  guilds = std::move(loaded);
  turn = loadedTurn;
  seed = loadedSeed;
  chaptersPerGuild = perGuild;
  refuels.clear();
  distributions.clear();
  RegisterWorld();
}

void SrvWorld::AdvanceTurn() {
  solar.AdvanceTurn();
  ++turn;
}
