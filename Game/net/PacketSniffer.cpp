#include "Game/net/PacketSniffer.h"

#include <cstdio>
#include <cstring>
#include <ctime>

#include "Game/base/GInstData.h"
#include "Game/base/TraceError.h"
#include "platform/core/bytes.h"
#include "platform/core/files.h"

namespace {

constexpr const char* kSnifferFile = "PacketSniffer.cpp";
constexpr std::size_t kTemplateInfoSize = 124;

// The definitions text read a word at a time, or up to a stop character.
class DefinitionText {
 public:
  explicit DefinitionText(std::string_view text) : m_text(text) {}

  bool Word(std::string& out) {
    while (m_pos < m_text.size() && IsBlank(m_text[m_pos])) ++m_pos;
    const std::size_t start = m_pos;
    while (m_pos < m_text.size() && !IsBlank(m_text[m_pos])) ++m_pos;
    out.assign(m_text.substr(start, m_pos - start));
    return !out.empty();
  }
  // Moves past the next of `stops` and returns it; 0 at the end of the text.
  char PastNext(const char* stops) {
    while (m_pos < m_text.size() && std::strchr(stops, m_text[m_pos]) == nullptr) ++m_pos;
    return m_pos < m_text.size() ? m_text[m_pos++] : '\0';
  }

 private:
  static bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f'; }
  std::string_view m_text;
  std::size_t m_pos = 0;
};

// The field code of a type word; 0 for a word that is not one.
std::uint8_t TypeCode(const std::string& word) {
  static constexpr struct {
    const char* word;
    std::uint8_t code;
  } kTypes[] = {{"char", 1},    {"short", 3},           {"int", 5},       {"long", 7},
                {"BOOL", 9},    {"float", 10},          {"DWORD", 11},    {"Location", 12},
                {"double", 13}, {"SlotAttributes", 14}, {"SlotData", 15}, {"P_TemplateInfo", 16}};
  for (const auto& t : kTypes)
    if (word == t.word) return t.code;
  return 0;
}

// A member's element count: "[n" after its name, else 1.
std::uint32_t MemberCount(DefinitionText& text) {
  if (text.PastNext("[;") != '[') return 1;
  std::string word;
  text.Word(word);
  std::uint32_t n = 0;
  for (char c : word) {
    if (c < '0' || c > '9' || n > 100000000) break;
    n = n * 10 + static_cast<std::uint32_t>(c - '0');
  }
  return n;
}

std::size_t ElementSize(std::uint8_t code) {
  switch (code) {
    case 1:
    case 2:
    case 14:
      return 1;
    case 3:
    case 4:
      return 2;
    case 12:
    case 13:
      return 8;
    case 15:
      return 3;
    case 16:
      return kTemplateInfoSize;
    default:
      return 4;
  }
}

template <class T>
T At(std::span<const std::uint8_t> p, std::size_t offset) {
  T v{};
  plat::ByteReader(p).ReadAt(offset, v);
  return v;
}

void Format(std::string& out, const char* format, auto... args) {
  char text[320];
  std::snprintf(text, sizeof text, format, args...);
  out += text;
}

std::string Text(std::span<const std::uint8_t> p, std::size_t offset, std::size_t max) {
  const char* s = reinterpret_cast<const char*>(p.data() + offset);
  return std::string(s, strnlen(s, max));
}

// One element of a member at `p` (as long as the element).
void AppendElement(std::string& out, std::uint8_t code, std::span<const std::uint8_t> p) {
  switch (code) {
    case 2:
      Format(out, "%d ", p[0]);
      break;
    case 3:
      Format(out, "%d ", At<std::int16_t>(p, 0));
      break;
    case 4:
      Format(out, "%d ", At<std::uint16_t>(p, 0));
      break;
    case 9:
      Format(out, "%s ", At<std::uint32_t>(p, 0) == 1 ? "TRUE" : "FALSE");
      break;
    case 10:
      Format(out, "%f ", static_cast<double>(At<float>(p, 0)));
      break;
    case 12:
      Format(out, "[%d %d %d %d ] ", At<std::uint16_t>(p, 0), At<std::int16_t>(p, 2), At<std::int16_t>(p, 4),
             At<std::int16_t>(p, 6));
      break;
    case 13:
      Format(out, "%f ", At<double>(p, 0));
      break;
    case 14:
      Format(out, "[%d] ", p[0]);
      break;
    case 15:
      Format(out, "[%d %d %d %d %d ] ", p[0], p[1] & 0x0F, (p[1] >> 4) & 0x07, p[1] >> 7, p[2]);
      break;
    case 16:
      Format(out, "[%d %d %s [", At<std::uint16_t>(p, 12), At<std::uint16_t>(p, 14), Text(p, 16, 32).c_str());
      for (int i = 0; i < 10; ++i) Format(out, i == 9 ? "%d" : "%d ", At<std::int16_t>(p, 48 + 2 * i));
      out += "] <<SLOT ATTRIBUTES>>";
      break;
    default:
      Format(out, "%d ", At<std::int32_t>(p, 0));
      break;
  }
}

// A member's text; `pos` advances past it. Elements beyond the packet's end
// are not shown.
void AppendMember(std::string& out, std::uint8_t code, std::uint32_t count, std::span<const std::uint8_t> packet,
                  std::size_t& pos) {
  if (code == 1) {
    if (pos >= packet.size()) return;
    if (count == 1) {
      Format(out, "'%c' ", packet[pos]);
    } else {
      out += "'" + Text(packet, pos, std::min<std::size_t>(count, packet.size() - pos)) + "' ";
    }
    pos += count;
    return;
  }
  const std::size_t size = ElementSize(code);
  for (std::uint32_t i = 0; i < count && pos + size <= packet.size(); ++i, pos += size)
    AppendElement(out, code, packet.subspan(pos, size));
}

std::string TimeOfDay() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  char text[16];
  std::snprintf(text, sizeof text, "%02d:%02d:%02d", local.tm_hour % 100, local.tm_min % 100, local.tm_sec % 100);
  return text;
}

}  // namespace

CPacketSniffer::CPacketSniffer()
    : m_logPath(std::string(g_instData.GetSnifferPath()) + "packetcl.dat"),
      m_rangeMin(g_instData.GetSnifferRangeMin()),
      m_rangeMax(g_instData.GetSnifferRangeMax()) {
  StartLog();
  const std::string path = std::string(g_instData.GetInstallPath()) + "packet.h";
  const auto text = plat::ReadWholeFile(path);
  if (!text) {
    TraceError("The packet definitions file cannot be opened", kSnifferFile, __LINE__);
    return;
  }
  ReadDefinitions({reinterpret_cast<const char*>(text->data()), text->size()});
}

CPacketSniffer::CPacketSniffer(std::string_view definitions, std::string logPath, int rangeMin, int rangeMax)
    : m_logPath(std::move(logPath)), m_rangeMin(rangeMin), m_rangeMax(rangeMax) {
  StartLog();
  ReadDefinitions(definitions);
}

void CPacketSniffer::StartLog() {
  std::strcpy(m_types[0].name, "Unknown packet type");
  plat::FILE* fp = plat::fopen(m_logPath.c_str(), "w");
  if (fp == nullptr) {
    TraceError("The packet log cannot be created", kSnifferFile, __LINE__);
    return;
  }
  plat::fclose(fp);
}

void CPacketSniffer::ReadDefinitions(std::string_view source) {
  DefinitionText text(source);
  std::string word;
  while (text.Word(word) && word != "PACKET_SNIFFER_START") {
  }
  while (text.Word(word) && word != "PACKET_SNIFFER_END_DEFINITIONS") {
    if (word != "#define") continue;
    std::string name, number;
    if (!text.Word(name) || !text.Word(number)) return;
    if (m_count >= kSnifferTypes) continue;
    SnifferType& e = m_types[m_count++];
    std::snprintf(e.name, sizeof e.name, "%s", name.c_str());
    e.type = static_cast<std::uint16_t>(std::strtoul(number.c_str(), nullptr, 10));
  }

  // The n-th structure describes the n-th define; structures past the
  // defines in use are read over.
  int structure = 0, members = 0;
  bool inList = false, isUnsigned = false, inUnion = false;
  while (text.Word(word) && word != "PACKET_SNIFFER_END") {
    if (word == "typedef") {
      ++structure;
      if (structure < m_count) {
        std::memset(m_types[structure].codes, 0, sizeof m_types[structure].codes);
        std::memset(m_types[structure].counts, 0, sizeof m_types[structure].counts);
      }
      inList = true;
      members = 0;
      isUnsigned = inUnion = false;
      continue;
    }
    if (!inList) continue;
    if (std::uint8_t code = TypeCode(word)) {
      if (isUnsigned && code <= 7) ++code;
      isUnsigned = false;
      const std::uint32_t count = MemberCount(text);
      if (structure < m_count && members < kSnifferMembers) {
        m_types[structure].codes[members] = code;
        m_types[structure].counts[members] = count;
        ++members;
      }
      // A union is as wide as its first member.
      if (inUnion) {
        text.PastNext("}");
        inUnion = false;
      }
    } else if (word == "unsigned") {
      isUnsigned = true;
    } else if (word == "union") {
      inUnion = true;
    }
    if (word.rfind("P_", 0) == 0) inList = false;
  }
}

int CPacketSniffer::FindType(std::uint16_t type) const {
  for (int i = 1; i < m_count; ++i)
    if (m_types[i].type == type) return i;
  return 0;
}

bool CPacketSniffer::InRange(std::span<const std::uint8_t> packet) const {
  if (packet.size() < 2) return false;
  const int type = At<std::uint16_t>(packet, 0);
  return type >= m_rangeMin && type <= m_rangeMax;
}

void CPacketSniffer::Append(const std::string& text) const {
  plat::FILE* fp = plat::fopen(m_logPath.c_str(), "a");
  if (fp == nullptr) {
    TraceError("The packet log cannot be opened", kSnifferFile, __LINE__);
    return;
  }
  plat::fputs(text.c_str(), fp);
  plat::fclose(fp);
}

void CPacketSniffer::LogSend(std::span<const std::uint8_t> packet, int slot) {
  if (!InRange(packet)) return;
  const SnifferType& e = m_types[FindType(At<std::uint16_t>(packet, 0))];
  char destination[32] = "Server";
  if (slot != -1) std::snprintf(destination, sizeof destination, "Player #%d", slot);
  std::string line;
  Format(line, "%s - Sending: %40.40s %d  ID=%d  ----> %s\n", TimeOfDay().c_str(), e.name, e.type,
         At<std::int32_t>(packet, 4), destination);
  Append(line);
}

void CPacketSniffer::LogReceive(std::span<const std::uint8_t> packet) {
  if (!InRange(packet)) return;
  const SnifferType& e = m_types[FindType(At<std::uint16_t>(packet, 0))];
  std::string text;
  Format(text, "%s - Processing: %40.40s  %d ID=%d\n\t", TimeOfDay().c_str(), e.name, e.type,
         At<std::int32_t>(packet, 4));
  // The first two members are the header; the fields start after it.
  std::size_t pos = 8;
  for (int m = 2; m < kSnifferMembers && e.codes[m] != 0; ++m) {
    AppendMember(text, e.codes[m], e.counts[m], packet, pos);
    text += "| ";
  }
  text += "\n";
  Append(text);
}
