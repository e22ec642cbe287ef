#include "server/SrvWorld.h"

#include <cmath>

#include "Game/model/GAsteroid.h"
#include "Game/model/GChapter.h"
#include "Game/model/GWorldLinks.h"
#include "Game/model/GZone.h"
#include "Game/rules/GRulesLinks.h"
#include "server/SrvRandom.h"

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

void MakeAsteroid(CGAsteroid& a, const CGSolarDB& solar, bool chaotic, SrvRandom& rng,
                  const std::string& name) {
  a.sizeClass = static_cast<std::uint8_t>(rng.Range(0, 4));
  a.SetName(name.c_str());
  a.SetCompositionType(static_cast<std::uint8_t>(rng.Range(0, 19)));
  Location c1, c2;
  solar.GetStar(a.id % 2)->GetLocation(&c1);
  solar.GetStar((a.id + 1) % 2)->GetLocation(&c2);
  const bool oscillating = chaotic && rng.Range(0, 3) == 0;
  const auto r1 = static_cast<std::uint16_t>(rng.Range(1500, 14000));
  const auto r2 = static_cast<std::uint16_t>(r1 * rng.Range(60, 100) / 100);
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
  a.SetOrbitShape(oscillating ? ORBIT_OSCILLATING : ORBIT_ELLIPTIC, z / 10.0f, speed, angle);
  a.SetOrbitAngle(angle, speed);
  a.SetOrbitRadii(r1, r2);
  a.SetOrbitCenters(&c1, &c2);
  a.SetPowerCoefficients(static_cast<std::uint8_t>(rng.Range(0, 100)), 0,
                         static_cast<std::uint8_t>(rng.Range(0, 100)));
  // One step places it on its orbit and derives its thermal and radiation
  // coefficients, exactly as every later turn does.
  Location at{g_numAsteroids, 0, 0, 0};
  a.SetPosition(&at);
  a.AdvanceOrbit(0, 1);
}

}  // namespace

SrvWorld::SrvWorld() : guilds(std::make_unique<CGuildList>(8)), resourceMix(MakeResourceMix()) {
  InstallLinks();
}

SrvWorld::~SrvWorld() {
  if (g_worldLinks.solarDB == &solar) g_worldLinks = WorldLinks{};
  g_rulesLinks.currentTurn = nullptr;
  g_rulesLinks.chaptersPerGuild = nullptr;
  g_rulesLinks.localChapterId = nullptr;
}

void SrvWorld::InstallLinks() {
  g_worldLinks.solarDB = &solar;
  g_worldLinks.guildList = guilds.get();
  g_worldLinks.resourceMix = [this](std::uint8_t type, std::uint8_t out[4]) {
    if (type >= resourceMix.size()) return false;
    for (int k = 0; k < 4; ++k) out[k] = resourceMix[type][k];
    return true;
  };
  g_rulesLinks.currentTurn = [this] { return turn; };
  // The server plays no chapter: what a local player has seen is the clients' own.
  g_rulesLinks.localChapterId = [] { return kNoChapter; };
  g_rulesLinks.chaptersPerGuild = [this] { return chaptersPerGuild; };
}

bool SrvWorld::HasChapter(std::uint16_t chapter) const {
  return chapter < kMaxChapters && (chapter & 7) < chaptersPerGuild;
}

CGChapter* SrvWorld::Chapter(std::uint16_t chapter) const {
  return HasChapter(chapter) ? guilds->GetChapter(chapter) : nullptr;
}

void SrvWorld::Generate(const SrvSetup& setup, std::uint32_t newSeed, const SrvAsteroidNames& names) {
  seed = newSeed;
  turn = 0;
  chaptersPerGuild = setup.ChaptersPerGuild();
  guilds = std::make_unique<CGuildList>(chaptersPerGuild);
  pools = {};
  scores = {};
  InstallLinks();
  SrvRandom rng(seed);
  solar.orbitDirection = static_cast<std::int8_t>(rng.Range(0, 1) ? 1 : -1);
  solar.orbitMotion = setup.OrbitMotion();
  MakeStars(solar, rng);
  const std::uint16_t count = setup.AsteroidCount();
  solar.CreateAsteroidArray(count);
  for (std::uint16_t i = 0; i < count; ++i) {
    auto a = std::make_unique<CGAsteroid>(i);
    std::string name = names ? names(i + 1u).value_or("") : "";
    if (name.empty()) name = "Asteroid " + std::to_string(i + 1);
    MakeAsteroid(*a, solar, setup.ChaoticOrbits(), rng, name);
    MakeZones(*a, rng);
    solar.SetAsteroid(std::move(a));
  }
  // Homes are spread evenly over the asteroid list, which is in no spatial
  // order, so neighbours in the list are not neighbours in space.
  const int chapters = setup.ChapterCount();
  const std::uint32_t startMinerals = 200u * (setup.ResourceScale() + 1u);
  int k = 0;
  for (std::uint16_t c = 0; c < kMaxChapters; ++c) {
    CGChapter* chapter = Chapter(c);
    if (chapter == nullptr) continue;
    const auto home = static_cast<std::uint16_t>(k * count / chapters);
    ++k;
    CGAsteroid* a = solar.GetAsteroid(home);
    if (a->sizeClass < 2) {
      a->sizeClass = 2;
      MakeZones(*a, rng);
    }
    chapter->SetHomeAsteroid(home);
    chapter->credits = 5000;
    a->SetOwner(c);
    a->SetController(c);
    CGZone* z = a->GetZone(0);
    z->SetOwner(static_cast<std::uint8_t>(c));
    z->SetAtvCounts(4, 2, 2, 2);
    z->SetFacilityOwner(static_cast<std::uint8_t>(c));
    pools[c] = SrvPool{home, 1, 0, {startMinerals, startMinerals, startMinerals, startMinerals}};
  }
}

void SrvWorld::AdoptLoaded(std::unique_ptr<CGuildList> loaded, std::uint32_t loadedTurn,
                           std::uint32_t loadedSeed, std::uint8_t perGuild) {
  guilds = std::move(loaded);
  turn = loadedTurn;
  seed = loadedSeed;
  chaptersPerGuild = perGuild;
  InstallLinks();
}

void SrvWorld::AdvanceTurn() {
  solar.AdvanceTurn();
  ++turn;
}
