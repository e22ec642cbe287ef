// Compares the asteroids of a game saved by the player's program (its .clt
// file) with the server's file of the same save (.svr): after the turns
// played, every asteroid must stand where the server has it.
//
//   quen_solar_positions CLIENT.clt SERVER.svr
//
// Exit status 0 when every position agrees (the count is printed), 1 at the
// first asteroid that differs (both positions printed), 2 when a file is
// missing, short or holds no solar system that loads.
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <span>
#include <vector>

#include "Game/base/GBlockStream.h"
#include "Game/model/GAsteroid.h"
#include "Game/model/GSolarSys.h"

namespace {

// Far above any game's file.
constexpr std::size_t kMaxFileBytes = 16u << 20;
// The server file's fixed header before the chapters' names.
constexpr std::size_t kServerHeaderBytes = 125;
constexpr int kServerChapterNames = 40;
// Enough of the solar block (version, star count, the first star) to find it
// in the player's file.
constexpr std::size_t kProbeBytes = 48;

bool ReadAll(const char* path, std::vector<std::uint8_t>* out) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  out->assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  return out->size() <= kMaxFileBytes;
}

std::uint32_t U32At(const std::vector<std::uint8_t>& b, std::size_t at) {
  return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | static_cast<std::uint32_t>(b[at + 3]) << 24;
}

// The server's solar block: the first length-prefixed block after the header
// and the chapters' names. Empty when the file is cut short.
std::span<const std::uint8_t> ServerSolarBlock(const std::vector<std::uint8_t>& file) {
  std::size_t at = kServerHeaderBytes;
  for (int c = 0; c < kServerChapterNames && at < file.size(); ++c) at += 1u + file[at];
  if (at + 4 > file.size()) return {};
  const std::uint32_t n = U32At(file, at);
  if (n > file.size() - at - 4) return {};
  return std::span<const std::uint8_t>(file).subspan(at + 4, n);
}

struct Position {
  std::int16_t x, y, z;
};

// The positions of a solar system loaded from `bytes`; false when it does not load.
bool Positions(std::span<const std::uint8_t> bytes, std::vector<Position>* out) {
  CGSolarDB solar;
  BlockReader r(bytes);
  if (solar.Load(r) != LoadStatus::kOk) return false;
  out->clear();
  for (std::uint16_t i = 0; i < CGSolarDB::GetAsteroidCount(); ++i) {
    const CGAsteroid* a = solar.GetAsteroid(i);
    Location l{};
    if (a) a->GetPosition(&l);
    out->push_back({l.x, l.y, l.z});
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: %s CLIENT.clt SERVER.svr\n", argv[0]);
    return 2;
  }
  std::vector<std::uint8_t> client, server;
  if (!ReadAll(argv[1], &client) || !ReadAll(argv[2], &server)) {
    std::fprintf(stderr, "a file cannot be read\n");
    return 2;
  }
  const std::span<const std::uint8_t> theirs = ServerSolarBlock(server);
  std::vector<Position> serverAt, clientAt;
  if (theirs.size() < kProbeBytes || !Positions(theirs, &serverAt)) {
    std::fprintf(stderr, "the server's file holds no solar system\n");
    return 2;
  }
  // The player's file holds the same block among its own: found by its start.
  bool found = false;
  for (std::size_t at = 0; !found && at + kProbeBytes <= client.size(); ++at) {
    if (!std::equal(theirs.begin(), theirs.begin() + kProbeBytes, client.begin() + static_cast<std::ptrdiff_t>(at)))
      continue;
    found = Positions(std::span<const std::uint8_t>(client).subspan(at), &clientAt);
  }
  if (!found) {
    std::fprintf(stderr, "the player's file holds no solar system like the server's\n");
    return 2;
  }
  if (clientAt.size() != serverAt.size()) {
    std::fprintf(stderr, "%zu asteroids in the player's file, %zu in the server's\n", clientAt.size(), serverAt.size());
    return 1;
  }
  for (std::size_t i = 0; i < serverAt.size(); ++i) {
    const Position& c = clientAt[i];
    const Position& s = serverAt[i];
    if (c.x != s.x || c.y != s.y || c.z != s.z) {
      std::fprintf(stderr, "asteroid %zu: the player has (%d, %d, %d), the server (%d, %d, %d)\n", i, c.x, c.y, c.z,
                   s.x, s.y, s.z);
      return 1;
    }
  }
  std::printf("%zu asteroids where the server has them\n", serverAt.size());
  return 0;
}
