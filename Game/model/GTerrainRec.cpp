#include "Game/model/GTerrainRec.h"

#include <utility>

#include "Game/base/TraceError.h"
#include "Game/model/GSpriteMoverOwner.h"
#include "Game/model/GWorldArrays.h"

namespace {

void FreeTracks(TrackRecord*& head) {
  while (head != nullptr) {
    TrackRecord* track = head;
    head = track->next;
    while (track->steps != nullptr) {
      TrackStep* step = track->steps;
      track->steps = step->next;
      delete step;
    }
    delete track;
  }
}

bool CarriesValue(std::uint32_t type) { return type >= 1 && type <= 7; }

// The value an element of `type` keeps: facilities only their bit, the other
// element types the value given, none for type 0 and unknown types.
std::uint32_t ElementValue(std::uint32_t type, std::uint32_t value) {
  if (type == kTerrainNone) return 0;
  if (type == kTerrainFacility) {
    if (value == 1 || value == 2 || value == 4 || value == 8) return value;
    TraceError("Unknown facility type!", __FILE__, __LINE__);
    return 0;
  }
  if (!CarriesValue(type)) {
    TraceError("Unknown terrain unit type!", __FILE__, __LINE__);
    return 0;
  }
  return value;
}

void WriteTracks(BlockWriter& w, const TrackRecord* head) {
  for (const TrackRecord* t = head; t != nullptr; t = t->next) {
    w.U32(t->next != nullptr ? 1 : 0);
    for (std::uint16_t v : t->values) w.U16(v);
    w.U32(t->steps != nullptr ? 1 : 0);
    for (const TrackStep* s = t->steps; s != nullptr; s = s->next) {
      w.U32(s->next != nullptr ? 1 : 0);
      for (std::uint8_t v : s->values) w.U8(v);
    }
  }
}

// Reads a list until a continuation is zero; the list is built in file order.
LoadStatus ReadTracks(BlockReader& r, TrackRecord*& head) {
  TrackRecord** tail = &head;
  for (std::uint32_t tracks = 0;; ++tracks) {
    if (tracks == kMaxTrackRecords) return LoadStatus::kBadCount;
    auto* t = new TrackRecord;
    *tail = t;
    tail = &t->next;
    const std::uint32_t more = r.U32();
    for (std::uint16_t& v : t->values) r.Read(v);
    std::uint32_t moreSteps = r.U32();
    TrackStep** stepTail = &t->steps;
    for (std::uint32_t steps = 0; moreSteps != 0 && r.Ok(); ++steps) {
      if (steps == kMaxTrackRecords) return LoadStatus::kBadCount;
      auto* s = new TrackStep;
      *stepTail = s;
      stepTail = &s->next;
      moreSteps = r.U32();
      for (std::uint8_t& v : s->values) r.Read(v);
    }
    if (!r.Ok()) return LoadStatus::kTruncated;
    if (more == 0) return LoadStatus::kOk;
  }
}

}  // namespace

CRecorder::~CRecorder() { Clear(); }

void CRecorder::Clear() {
  FreeTracks(firstTracks);
  FreeTracks(secondTracks);
  ReleaseEventMovers();
  DeleteAllElements(terrainEvents);
}

void CRecorder::SetTrackStepFlags() {
  for (TrackRecord* t = firstTracks; t != nullptr; t = t->next)
    for (TrackStep* s = t->steps; s != nullptr; s = s->next) s->values[3] = 1;
}

void CRecorder::ReleaseEventMovers() {
  for (std::uint16_t i = 0; i < terrainEvents.count; ++i) {
    TerrainEvent* e = terrainEvents.items[i];
    if (e->mover == nullptr) continue;
    SpriteMoverOwner().ReleaseSpriteMover(e->mover);
    e->mover = nullptr;
  }
}

int CRecorder::AddTerrainEvents(std::uint32_t a, std::uint32_t b, std::uint32_t sourceType, std::uint32_t d,
                                std::uint32_t sourceValue, std::uint32_t targetType, std::uint32_t g,
                                std::uint32_t targetValue, std::uint16_t w, int n) {
  for (int i = 0; i < n; ++i) {
    auto* e = new TerrainEvent;
    e->a = a;
    e->b = b;
    e->sourceType = sourceType;
    e->d = d;
    e->sourceValue = ElementValue(sourceType, sourceValue);
    e->targetType = targetType;
    e->g = g;
    e->targetValue = ElementValue(targetType, targetValue);
    e->w = w;
    if (!AppendOwned(terrainEvents, e)) break;
  }
  return 0;
}

int CRecorder::AddTerrainEventPacket(std::span<const std::uint8_t> packet) {
  constexpr std::size_t kFirstRecord = 12;
  plat::ByteReader r(packet);
  std::uint16_t n = 0;
  if (!r.ReadAt(8, n) || packet.size() < kFirstRecord + std::size_t{n} * kTerrainEventRecordSize) return 0;
  for (std::size_t i = 0; i < n; ++i) {
    std::uint32_t v[8] = {};
    std::uint16_t w = 0;
    const std::size_t at = kFirstRecord + i * kTerrainEventRecordSize;
    for (std::size_t k = 0; k < 8; ++k) r.ReadAt(at + 4 * k, v[k]);
    r.ReadAt(at + 32, w);
    AddTerrainEvents(v[0], v[1], v[2], v[3], v[4], v[5], v[6], v[7], w, 1);
  }
  return 1;
}

int CRecorder::Save(plat::FILE* fp) const {
  BlockWriter w(fp);
  return Save(w) ? 1 : 0;
}

int CRecorder::Load(plat::FILE* fp) {
  BlockReader r(fp);
  return LoadResult(Load(r));
}

bool CRecorder::Save(BlockWriter& w) const {
  const std::uint8_t flags =
      static_cast<std::uint8_t>((firstTracks != nullptr ? 0x01 : 0) | (secondTracks != nullptr ? 0x80 : 0));
  w.U8(flags);
  WriteTracks(w, firstTracks);
  WriteTracks(w, secondTracks);
  w.U16(terrainEvents.count);
  for (std::uint16_t i = 0; i < terrainEvents.count; ++i) {
    const TerrainEvent& e = *terrainEvents.items[i];
    w.U32(e.a);
    w.U32(e.b);
    w.U32(e.sourceType);
    w.U32(e.d);
    if (CarriesValue(e.sourceType)) w.U32(e.sourceValue);
    w.U32(e.targetType);
    w.U32(e.g);
    if (CarriesValue(e.targetType)) w.U32(e.targetValue);
    w.U16(e.w);
  }
  return w.Ok();
}

LoadStatus CRecorder::Load(BlockReader& r) {
  CRecorder fresh;
  const std::uint8_t flags = r.U8();
  if (!r.Ok()) return LoadStatus::kTruncated;
  if ((flags & 0x01) != 0) {
    const LoadStatus s = ReadTracks(r, fresh.firstTracks);
    if (s != LoadStatus::kOk) return s;
  }
  if ((flags & 0x80) != 0) {
    const LoadStatus s = ReadTracks(r, fresh.secondTracks);
    if (s != LoadStatus::kOk) return s;
  }
  const std::uint16_t n = r.U16();
  // An event without its two values is 26 bytes.
  ReserveForBlock(fresh.terrainEvents, n, r, 26);
  for (std::uint32_t i = 0; i < n && r.Ok(); ++i) {
    auto e = std::make_unique<TerrainEvent>();
    r.Read(e->a);
    r.Read(e->b);
    r.Read(e->sourceType);
    r.Read(e->d);
    if (CarriesValue(e->sourceType)) r.Read(e->sourceValue);
    r.Read(e->targetType);
    r.Read(e->g);
    if (CarriesValue(e->targetType)) r.Read(e->targetValue);
    r.Read(e->w);
    if (r.Ok()) AppendOwned(fresh.terrainEvents, e.release());
  }
  if (!r.Ok()) return LoadStatus::kTruncated;
  Clear();
  SwapRecord(fresh);
  return LoadStatus::kOk;
}

void CRecorder::SwapRecord(CRecorder& other) noexcept {
  std::swap(firstTracks, other.firstTracks);
  std::swap(secondTracks, other.secondTracks);
  SwapArrays(terrainEvents, other.terrainEvents);
}
