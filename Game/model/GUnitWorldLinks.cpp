#include "Game/model/GUnitWorldLinks.h"

#include "Game/model/GAsteroid.h"
#include "Game/model/GChapter.h"
#include "Game/model/GGamePieceDB.h"
#include "Game/model/GNotify.h"
#include "Game/model/GPoolDB.h"
#include "Game/model/GSolarSys.h"
#include "Game/model/GUnitLinks.h"
#include "Game/model/GWorldLinks.h"
#include "Game/model/GWorldTypes.h"
#include "Game/model/GZone.h"

void ConnectUnitAndWorldLinks() {
  UnitLinks& u = g_unitLinks;
  u.numAsteroids = [] { return g_numAsteroids; };
  u.asteroidExists = [](std::uint16_t a) { return WorldAsteroid(a) != nullptr; };
  u.asteroidPosition = [](std::uint16_t a, Location* out) {
    const CGAsteroid* asteroid = WorldAsteroid(a);
    if (asteroid == nullptr) return false;
    asteroid->GetPosition(out);
    out->asteroid = g_numAsteroids;
    return true;
  };
  u.asteroidOrbit = [](std::uint16_t a, float* speed, double* angle) {
    const CGAsteroid* asteroid = WorldAsteroid(a);
    if (asteroid == nullptr) return false;
    *speed = asteroid->speed;
    *angle = asteroid->angle;
    return true;
  };
  u.predictOrbitStep = [](std::uint16_t a, Location* out, float* speed, double* angle) {
    if (const CGAsteroid* asteroid = WorldAsteroid(a)) asteroid->PredictOrbitStep(out, speed, angle);
  };
  u.asteroidSizeClass = [](std::uint16_t a) {
    const CGAsteroid* asteroid = WorldAsteroid(a);
    return asteroid != nullptr ? asteroid->sizeClass : std::uint8_t{0};
  };
  u.asteroidName = [](std::uint16_t a) {
    CGAsteroid* asteroid = WorldAsteroid(a);
    const char* name = asteroid != nullptr ? asteroid->GetName() : nullptr;
    return std::string(name != nullptr ? name : "");
  };
  u.asteroidPowerOutput = [](std::uint16_t a, std::uint16_t chapter) {
    const CGAsteroid* asteroid = WorldAsteroid(a);
    return asteroid != nullptr ? asteroid->GetChapterPowerOutput(chapter) : 0u;
  };
  u.asteroidOwner = [](std::uint16_t a) {
    const CGAsteroid* asteroid = WorldAsteroid(a);
    return asteroid != nullptr ? asteroid->owner : kNoChapter;
  };
  u.asteroidDetected = [](std::uint16_t a) {
    const CGAsteroid* asteroid = WorldAsteroid(a);
    return asteroid == nullptr || asteroid->detected != 0;
  };
  u.setAsteroidDetected = [](std::uint16_t a) {
    if (CGAsteroid* asteroid = WorldAsteroid(a)) asteroid->detected = 1;
  };
  u.refreshAsteroidScanTurn = [](std::uint16_t a) {
    if (CGAsteroid* asteroid = WorldAsteroid(a)) asteroid->GetLastScanTurn();
  };
  u.findNearestAsteroid = [](const Location* at, std::uint32_t maxAxis, std::uint32_t* outSq) {
    *outSq = 0xFFFFFFFFu;
    const CGSolarDB* solar = WorldSolarDB();
    const CGAsteroid* nearest = solar != nullptr ? solar->FindNearestAsteroid(at, maxAxis, outSq) : nullptr;
    return nearest != nullptr ? int{nearest->id} : -1;
  };
  u.hasMinerals = [](std::uint16_t a, const std::uint32_t amounts[4]) {
    return WorldPoolDB() != nullptr && WorldPoolDB()->HasMinerals(a, amounts) != 0;
  };
  u.takeMinerals = [](std::uint16_t a, const std::uint32_t amounts[4]) {
    return WorldPoolDB() != nullptr && WorldPoolDB()->TakeMinerals(a, amounts) != 0;
  };
  u.addMineral = [](std::uint16_t a, int mineral, std::uint32_t amount) {
    if (CGPoolDB* pools = WorldPoolDB()) pools->AddMineral(a, static_cast<std::uint32_t>(mineral), amount);
  };
  u.chapterExists = [](std::uint8_t c) { return WorldChapter(c) != nullptr; };
  u.chapterOrganics = [](std::uint8_t c) {
    const CGChapter* chapter = WorldChapter(c);
    return chapter != nullptr ? chapter->credits : 0u;
  };
  u.setChapterOrganics = [](std::uint8_t c, std::uint32_t amount) {
    if (CGChapter* chapter = WorldChapter(c)) chapter->credits = amount;
  };
  u.chapterRenegade = [](std::uint8_t c) {
    const CGChapter* chapter = WorldChapter(c);
    return chapter != nullptr && chapter->renegade != 0;
  };
  u.chapterCamp = [](std::uint8_t c) {
    const CGChapter* chapter = WorldChapter(c);
    return static_cast<std::uint8_t>(chapter != nullptr ? chapter->camp : 0);
  };
  u.chapterHomeAsteroid = [](std::uint8_t c) {
    const CGChapter* chapter = WorldChapter(c);
    return chapter != nullptr ? chapter->homeAsteroid : std::uint16_t{0xFFFF};
  };
  u.returnZoneAtvs = [](std::uint16_t a, int zone, std::uint8_t chapter, int kind, int n) {
    CGAsteroid* asteroid = WorldAsteroid(a);
    CGZone* z = asteroid != nullptr ? asteroid->GetZone(static_cast<std::uint16_t>(zone)) : nullptr;
    if (z == nullptr) return;
    z->SetOwner(chapter);
    z->AddAtvs(static_cast<std::uint8_t>(kind), static_cast<std::int8_t>(n), 1);
  };
  u.addNotification = [](std::uint16_t chapter, int category, int code, std::int32_t p0, std::int32_t p1,
                         std::int32_t p2) {
    WorldNotify(chapter, static_cast<std::uint16_t>(category), static_cast<std::uint16_t>(code), nullptr, nullptr,
                static_cast<std::uint16_t>(p0), static_cast<std::uint32_t>(p1), static_cast<std::uint32_t>(p2));
  };

  g_worldLinks.hasOperationalUnits = [](std::uint16_t chapter, std::uint16_t asteroid) {
    return g_unitLinks.pieces != nullptr && g_unitLinks.pieces->HasOperationalUnits(asteroid, chapter) != 0;
  };
  g_worldLinks.countOperationalUnits = [](std::uint16_t chapter, std::uint16_t asteroid) {
    return g_unitLinks.pieces != nullptr ? static_cast<int>(g_unitLinks.pieces->CountOperationalUnits(
                                               asteroid, static_cast<std::int16_t>(chapter)))
                                         : 0;
  };
  g_worldLinks.detectAsteroidsNearUnitsInSpace = [](int silent) {
    if (g_unitLinks.pieces != nullptr) g_unitLinks.pieces->DetectAsteroidsNearUnitsInSpace(silent != 0);
  };
}
