#include "Game/net/ReplayFile.h"

#include <cstdio>
#include <string>

#include "Game/base/ClientShell.h"
#include "Game/base/GInstData.h"
#include "platform/core/bytes.h"
#include "platform/core/files.h"

CReplayWriter g_replayWriter;

namespace {

bool WriteFailed(const char* name) {
  ClientShell().ShowTextBox("ERRWRITE", name);
  return false;
}

}  // namespace

bool CReplayWriter::AddPart(std::span<const std::uint8_t> packet) {
  plat::ByteReader r(packet);
  std::uint8_t part = 0;
  std::uint16_t replay = 0, length = 0;
  r.ReadAt(8, part);
  r.ReadAt(10, replay);
  r.ReadAt(12, length);
  char name[300];
  std::snprintf(name, sizeof(name), "%s%d.rpl", g_instData.GetSavePath(), replay);
  plat::FILE* fp = plat::fopen(name, "ab+");
  if (fp == nullptr) return WriteFailed(name);
  // Each replay numbers its own parts: a new replay starts counting afresh,
  // so its part 1 does not look like a restart of the one before.
  if (replay != m_lastReplay) m_lastPart = 0;
  m_lastReplay = replay;
  // The turn's replay files are deleted before the next turn's arrive: a part
  // that finds its file empty starts the replay, whatever came before.
  const bool empty = plat::fseek(fp, 0, SEEK_END) == 0 && plat::ftell(fp) == 0;
  if (part != 0 && part <= m_lastPart && !empty) {
    plat::fclose(fp);
    fp = plat::fopen(name, "wb");
    if (fp == nullptr) return WriteFailed(name);
    const std::uint8_t marker[4] = {0xFF, 0xFF, 0xFF, 0xFF};
    const bool ok = plat::fwrite(marker, 1, sizeof(marker), fp) == sizeof(marker);
    plat::fclose(fp);
    return ok || WriteFailed(name);
  }
  m_lastPart = part;
  const std::size_t n = std::min<std::size_t>(length, packet.size() - kReplayDataOffset);
  const bool ok = plat::fwrite(packet.data() + kReplayDataOffset, 1, n, fp) == n;
  plat::fclose(fp);
  return ok || WriteFailed(name);
}
