#include "Game/frontend/SessionList.h"

#include <cstdio>
#include <cstring>

namespace {
constexpr int kMinutesPerHour = 60;

struct VictoryText {
  int bit;
  const char* id;
};
// In the order the line shows them.
constexpr VictoryText kVictoryTexts[] = {{0x2, "SESSION5"}, {0x4, "SESSION6"}, {0x10, "SESSION7"}, {0x8, "SESSION8"}};
}  // namespace

SessionEntry MakeSessionEntry(const HvMSession_Struct& session, const SessionTextFn& text) {
  SessionEntry entry;
  const std::string name = session.Text(HvMSession_Struct::kName, HvMSession_Struct::kNameWidth);
  const std::string description = session.Text(HvMSession_Struct::kDescription, HvMSession_Struct::kDescriptionWidth);
  entry.id = session.U32(HvMSession_Struct::kSessionId);
  std::snprintf(entry.name, sizeof entry.name, "%s", name.c_str());
  char kind = 0;
  int minutes = 0, chapters = 0, asteroids = 0, bits = 0;
  const int fields = std::sscanf(description.c_str(), "%c_%d_%d_%d_%d", &kind, &minutes, &chapters, &asteroids, &bits);
  entry.kind = fields >= 1 ? kind : 0;
  entry.text = name;
  if (session.Text(HvMSession_Struct::kPassword, HvMSession_Struct::kPasswordWidth) == "x") {
    entry.password = true;
    entry.text += " (Password required)";
  }
  entry.text += '^';
  if (entry.kind == 's') {
    entry.text += text("SESSSAVE", 0);
  } else if (entry.kind == 'n') {
    const bool wholeHours = minutes > kMinutesPerHour && minutes % kMinutesPerHour == 0;
    entry.text += wholeHours ? text("SESSION1", minutes / kMinutesPerHour) : text("SESSION2", minutes);
    entry.text += text("SESSION3", chapters);
    entry.text += text("SESSION4", asteroids);
    for (const VictoryText& v : kVictoryTexts)
      if (bits & v.bit) entry.text += text(v.id, 0);
    entry.text += text("SESSION9", 0);
  }
  return entry;
}

std::string NewSessionDescription(int turnMinutes, int chapters, int asteroids, int victory) {
  char text[64];
  std::snprintf(text, sizeof text, "n_%d_%d_%d_%d", turnMinutes, chapters, asteroids, victory);
  return text;
}

void ReplaceBlanks(char* text) {
  for (; *text; ++text)
    if (std::strchr(" \r\t\f", *text)) *text = '_';
}
