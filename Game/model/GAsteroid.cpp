#include "Game/model/GAsteroid.h"

#include <cstring>
#include <optional>
#include <string>
#include <utility>

#include "Game/base/Packets.h"
#include "Game/base/TraceError.h"
#include "Game/model/GGuild.h"
#include "Game/model/GSolarSys.h"
#include "Game/model/GWorldArrays.h"
#include "Game/model/GZonePackets.h"
#include "Game/model/GameWorld.h"
#include "Game/rules/GAstNames.h"
#include "Game/rules/GRulesFacts.h"
#include "Game/rules/GRulesLinks.h"
#include "Game/rules/GRulesPackets.h"

namespace {

bool WriteLocation(BlockWriter& w, const Location& l) {
  w.U16(l.asteroid);
  w.I16(l.x);
  w.I16(l.y);
  return w.I16(l.z);
}

// An asteroid block's fixed fields: the three places, id and owner; then,
// after the previous owner, the controller to the event count.
constexpr std::size_t kPlaceFieldBytes = 3 * 8 + 2 + 2;
constexpr std::size_t kOrbitFieldBytes = 2 + 8 + 8 + 4 + 4 + 8 + 4 + 4 + 2 + 2 + 2 + 2 + 3 * 8 + 3 * 4 + 3 * 4 + 4 + 2;

}  // namespace

std::uint32_t g_asteroidPlaceChanges = 0;

CGAsteroid::CGAsteroid(std::uint16_t asteroidId) : id(asteroidId) { ++g_asteroidPlaceChanges; }

CGAsteroid::~CGAsteroid() {
  ++g_asteroidPlaceChanges;
  DeleteZones();
  FreeEvents();
}

std::unique_ptr<CGAsteroid> CGAsteroid::CreateFromFile(plat::FILE* fp, int* ok) {
  auto a = std::make_unique<CGAsteroid>(0);
  const int result = a->Load(fp);
  if (ok != nullptr) *ok = result;
  return a;
}

std::unique_ptr<CGAsteroid> CGAsteroid::CreateFromBlock(BlockReader& r, LoadStatus* status) {
  // A new asteroid has nothing to keep: the block is read straight into it.
  auto a = std::make_unique<CGAsteroid>(0);
  *status = a->ReadInto(r);
  return a;
}

void CGAsteroid::DeleteZones() {
  zones.Clear();
  zoneCount = 0;
}

int CGAsteroid::CreateZones() {
  DeleteZones();
  const int n = ZoneCountOfSize(sizeClass);
  if (n == 0) return 1;
  // An asteroid making all its zones asks the game's scan setting once.
  zones.Make(n, id, CGZone::InitialZoneOwner());
  zoneCount = n;
  return 1;
}

CGZone* CGAsteroid::GetZone(std::uint16_t i) const { return i < zoneCount ? zones.get(i) : nullptr; }

const char* CGAsteroid::GetName(int n) {
  if (!name) {
    const unsigned number = n == 0 ? id + 1u : static_cast<unsigned>(n);
    const std::optional<std::string> read = LoadAsteroidName(number);
    name.Assign(read ? read->c_str() : "");
  }
  return name.get();
}

void CGAsteroid::SetName(const char* text) { name.Assign(text); }

void CGAsteroid::SetPosition(const Location* loc) {
  position = *loc;
  previousPosition = *loc;
  ++g_asteroidPlaceChanges;
}

void CGAsteroid::GetOrbitCenters(Location* c1, Location* c2) const {
  if (c1 != nullptr) *c1 = center1;
  if (c2 != nullptr) *c2 = center2;
}

void CGAsteroid::SetOrbitCenters(const Location* c1, const Location* c2) {
  if (c1 != nullptr) center1 = *c1;
  if (c2 != nullptr) center2 = *c2;
}

void CGAsteroid::SetOrbitShape(std::uint8_t kind, float z, float prevSpeed, double prevAngle) {
  orbitKind = kind;
  zFactor = z;
  previousSpeed = prevSpeed;
  previousAngle = prevAngle;
}

void CGAsteroid::SetOrbitAngle(double newAngle, float newSpeed) {
  angle = newAngle;
  speed = newSpeed;
}

void CGAsteroid::SetOrbitRadii(std::uint16_t r1, std::uint16_t r2) {
  radius1 = r1;
  radius2 = r2;
  radius1Squared = std::uint32_t{r1} * r1;
}

void CGAsteroid::SetPowerCoefficients(std::uint8_t spinValue, std::uint8_t thermalValue, std::uint8_t kineticValue) {
  spin = spinValue;
  thermal = thermalValue;
  kinetic = kineticValue;
}

const char* CGAsteroid::GetCompositionCode() const {
  static constexpr const char* kCodes[] = {"A",  "M1", "M2", "M3", "M4", "S1", "S2", "S3", "S4",
                                           "E1", "E2", "E3", "E4", "R1", "R2", "R3", "R4"};
  return composition < std::size(kCodes) ? kCodes[composition] : "Unknown";
}

void CGAsteroid::GetSizeText(char* out) const {
  static constexpr const char* kIds[] = {"TINY____", "SMALL___", "MEDIUM__", "LARGE___", "HUGE____"};
  // The unknown size is fetched into 4 bytes, so it reads "Unk".
  if (sizeClass < std::size(kIds))
    FetchRulesText(kIds[sizeClass], out, 8);
  else
    FetchRulesText("UNKNOWN_", out, 4);
}

void CGAsteroid::GetViewCamera(double pos[3], float first[3], float second[3]) const {
  for (int i = 0; i < 3; ++i) {
    pos[i] = cameraPosition[i];
    first[i] = cameraFirst[i];
    second[i] = cameraSecond[i];
  }
}

void CGAsteroid::SetViewCamera(const double pos[3], const float first[3], const float second[3]) {
  for (int i = 0; i < 3; ++i) {
    cameraPosition[i] = pos[i];
    cameraFirst[i] = first[i];
    cameraSecond[i] = second[i];
  }
}

void CGAsteroid::SetOwner(std::uint16_t chapter) {
  if (chapter == owner) return;
  if (CGChapter* old = World().Chapter(owner)) old->DecOwnedAsteroidCount();
  previousOwner = owner;
  owner = chapter;
  if (CGChapter* now = World().Chapter(owner)) now->IncOwnedAsteroidCount();
  if ((owner >> 3) == (RulesFacts().LocalChapterId() >> 3)) detected = 1;
}

void CGAsteroid::SetController(std::uint16_t chapter) {
  if (chapter == controller) return;
  if (controller != kNoChapter && World().guilds != nullptr) {
    if (CGuild* guild = World().guilds->GetGuild(controller >> 3)) {
      const auto key = static_cast<std::uint8_t>(id);
      if (guild->FindVoteOffer(key) != nullptr) guild->RemoveVoteOffer(key);
    }
  }
  controller = chapter;
}

void CGAsteroid::SetAutomanage(std::uint8_t flag, int send) {
  automanage = flag;
  if (send == 0) return;
  AutomanagePacket p;
  p.asteroid = id;
  p.flag = automanage;
  auto image = p.Build();
  RulesSendToAll(image.bytes);
}

void CGAsteroid::ToggleAutomanage() { SetAutomanage(automanage != 0 ? 0 : 1, 1); }

std::uint16_t CGAsteroid::GetLastScanTurn() {
  const auto turn = static_cast<std::uint16_t>(RulesFacts().CurrentTurn());
  if (lastScanTurn != turn) {
    const std::uint16_t local = RulesFacts().LocalChapterId();
    if (World().HasOperationalUnits(local, id) || owner == local) lastScanTurn = turn;
  }
  return lastScanTurn;
}

std::uint16_t CGAsteroid::GetLastVisitTurn() {
  const auto turn = static_cast<std::uint16_t>(RulesFacts().CurrentTurn());
  if (lastVisitTurn != turn && IsChapterPresent(static_cast<std::uint8_t>(RulesFacts().LocalChapterId())) != 0)
    lastVisitTurn = turn;
  return lastVisitTurn;
}

void CGAsteroid::SetVisitTurnNext() {
  const auto next = static_cast<std::uint16_t>(RulesFacts().CurrentTurn() + 1);
  lastVisitTurn = next == 1 ? 0 : next;
}

void CGAsteroid::AddEvent(const AsteroidEvent& e) { AppendOwned(events, new AsteroidEvent(e)); }

void CGAsteroid::FreeEvents() { DeleteAllElements(events); }

void CGAsteroid::ExpireEvents() {
  const std::uint64_t limit = std::uint64_t{RulesFacts().CurrentTurn()} + 1;
  for (std::uint16_t i = events.count; i-- > 0;)
    if (events.items[i]->expiryTurn <= limit) delete events.RemoveAt(i);
}

std::uint8_t CGAsteroid::GetEventKind(std::uint16_t i) const {
  const AsteroidEvent* e = events.GetAt(i);
  return e != nullptr ? e->kind : 5;
}

std::uint32_t CGAsteroid::GetEventValue(std::uint16_t i) const {
  const AsteroidEvent* e = events.GetAt(i);
  return e != nullptr ? e->value : 0;
}

std::uint32_t CGAsteroid::GetEventExpiry(std::uint16_t i) const {
  const AsteroidEvent* e = events.GetAt(i);
  return e != nullptr ? e->expiryTurn : 0;
}

std::uint8_t CGAsteroid::GetEventFlag(std::uint16_t i) const {
  const AsteroidEvent* e = events.GetAt(i);
  return e != nullptr ? e->flag : 3;
}

int CGAsteroid::Save(plat::FILE* fp) const {
  BlockWriter w(fp);
  return Save(w) ? 1 : 0;
}

int CGAsteroid::Load(plat::FILE* fp) {
  BlockReader r(fp);
  return LoadResult(Load(r));
}

bool CGAsteroid::Save(BlockWriter& w) const {
  w.U8(kAsteroidVersion);
  w.Name(name.get());
  WriteLocation(w, position);
  WriteLocation(w, center1);
  WriteLocation(w, center2);
  w.U16(id);
  w.U16(owner);
  w.U16(previousOwner);
  w.U16(controller);
  w.U8(automanage);
  w.U8(sizeClass);
  w.U8(composition);
  w.U8(spin);
  w.U8(thermal);
  w.U8(kinetic);
  w.U8(radiation);
  w.U8(orbitKind);
  w.F64(previousAngle);
  w.F32(previousSpeed);
  w.F32(zFactor);
  w.F64(angle);
  w.F32(speed);
  w.U32(radius1Squared);
  w.U16(radius1);
  w.U16(radius2);
  w.U16(lastScanTurn);
  w.U16(lastVisitTurn);
  for (double v : cameraPosition) w.F64(v);
  for (float v : cameraFirst) w.F32(v);
  for (float v : cameraSecond) w.F32(v);
  w.U32(detected);
  w.U16(events.count);
  for (std::uint16_t i = 0; i < events.count; ++i) {
    const AsteroidEvent& e = *events.items[i];
    w.U8(e.kind);
    w.U32(e.value);
    w.U32(e.expiryTurn);
    w.U8(e.flag);
  }
  for (std::int8_t r : ringRotations) w.I8(r);
  w.U32(static_cast<std::uint32_t>(zoneCount));
  for (int i = 0; i < zoneCount; ++i) zones.get(static_cast<std::uint16_t>(i))->Save(w);
  CRecorder::Save(w);
  w.U8(kAsteroidEndByte);
  return w.Ok();
}

LoadStatus CGAsteroid::Load(BlockReader& r) {
  CGAsteroid a(id);
  const LoadStatus s = a.ReadInto(r);
  if (s == LoadStatus::kOk) SwapContents(a);
  return s;
}

LoadStatus CGAsteroid::ReadInto(BlockReader& r) {
  const std::uint8_t version = r.U8();
  if (!r.Ok()) return LoadStatus::kTruncated;
  if (version > kAsteroidVersion) {
    TraceError("Load Error", __FILE__, __LINE__);
    return LoadStatus::kBadVersion;
  }
  name.Read(r);
  // The fixed fields in two checked blocks, either side of the previous
  // owner (version 3 on).
  std::uint8_t scratch[kPlaceFieldBytes + 2 + kOrbitFieldBytes];
  const auto placeBlock = r.Block({scratch, kPlaceFieldBytes});
  if (placeBlock.empty()) return LoadStatus::kTruncated;
  FixedFields<kPlaceFieldBytes> place(placeBlock.first<kPlaceFieldBytes>());
  for (Location* l : {&position, &center1, &center2}) {
    place.Read(l->asteroid);
    place.Read(l->x);
    place.Read(l->y);
    place.Read(l->z);
  }
  previousPosition = position;
  ++g_asteroidPlaceChanges;
  place.Read(id);
  place.Read(owner);
  if (version >= 3) r.Read(previousOwner);
  const auto orbitBlock = r.Block({scratch + kPlaceFieldBytes + 2, kOrbitFieldBytes});
  if (orbitBlock.empty()) return LoadStatus::kTruncated;
  FixedFields<kOrbitFieldBytes> f(orbitBlock.first<kOrbitFieldBytes>());
  f.Read(controller);
  f.Read(automanage);
  f.Read(sizeClass);
  f.Read(composition);
  f.Read(spin);
  f.Read(thermal);
  f.Read(kinetic);
  f.Read(radiation);
  f.Read(orbitKind);
  f.Read(previousAngle);
  f.Read(previousSpeed);
  f.Read(zFactor);
  f.Read(angle);
  f.Read(speed);
  f.Read(radius1Squared);
  f.Read(radius1);
  f.Read(radius2);
  f.Read(lastScanTurn);
  f.Read(lastVisitTurn);
  for (double& v : cameraPosition) f.Read(v);
  for (float& v : cameraFirst) f.Read(v);
  for (float& v : cameraSecond) f.Read(v);
  f.Read(detected);
  const std::uint16_t eventCount = f.U16();
  ReserveForBlock(events, eventCount, r, 10);
  for (std::uint32_t i = 0; i < eventCount && r.Ok(); ++i) {
    AsteroidEvent e;
    r.Read(e.kind);
    r.Read(e.value);
    r.Read(e.expiryTurn);
    r.Read(e.flag);
    if (r.Ok()) AddEvent(e);
  }
  for (std::int8_t& v : ringRotations) r.Read(v);
  if (!r.Ok()) return LoadStatus::kTruncated;
  DeleteZones();
  const std::uint32_t zoneTotal = r.U32();
  if (!r.Ok()) return LoadStatus::kTruncated;
  // The size class says how many zones the asteroid has; a block that holds
  // another number of them does not describe this asteroid.
  const int zonesOfSize = ZoneCountOfSize(sizeClass);
  if (zoneTotal != static_cast<std::uint32_t>(zonesOfSize)) return LoadStatus::kBadCount;
  const LoadStatus zonesRead = zones.Load(zonesOfSize, version, r);
  if (zonesRead != LoadStatus::kOk) return zonesRead;
  zoneCount = zonesOfSize;
  const LoadStatus rec = CRecorder::Load(r);
  if (rec != LoadStatus::kOk) return rec;
  const LoadStatus end = r.EndByte(kAsteroidEndByte);
  if (end != LoadStatus::kOk) return end;
  return LoadStatus::kOk;
}

void CGAsteroid::SwapContents(CGAsteroid& o) noexcept {
  SwapRecord(o);
  std::swap(animationStep, o.animationStep);
  std::swap(name, o.name);
  std::swap(id, o.id);
  std::swap(position, o.position);
  ++g_asteroidPlaceChanges;
  std::swap(owner, o.owner);
  std::swap(previousOwner, o.previousOwner);
  std::swap(controller, o.controller);
  std::swap(automanage, o.automanage);
  std::swap(sizeClass, o.sizeClass);
  std::swap(composition, o.composition);
  std::swap(ringRotations, o.ringRotations);
  std::swap(zones, o.zones);
  std::swap(zoneCount, o.zoneCount);
  std::swap(spin, o.spin);
  std::swap(thermal, o.thermal);
  std::swap(kinetic, o.kinetic);
  std::swap(radiation, o.radiation);
  std::swap(orbitKind, o.orbitKind);
  std::swap(previousAngle, o.previousAngle);
  std::swap(previousSpeed, o.previousSpeed);
  std::swap(zFactor, o.zFactor);
  std::swap(angle, o.angle);
  std::swap(speed, o.speed);
  std::swap(radius1Squared, o.radius1Squared);
  std::swap(radius1, o.radius1);
  std::swap(radius2, o.radius2);
  std::swap(center1, o.center1);
  std::swap(center2, o.center2);
  std::swap(lastScanTurn, o.lastScanTurn);
  std::swap(lastVisitTurn, o.lastVisitTurn);
  std::swap(cameraPosition, o.cameraPosition);
  std::swap(cameraFirst, o.cameraFirst);
  std::swap(cameraSecond, o.cameraSecond);
  std::swap(detected, o.detected);
  std::swap(previousPosition, o.previousPosition);
  SwapArrays(events, o.events);
}
