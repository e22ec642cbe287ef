// The session list's reading of an enumerated session record on any bytes:
// the name, the description's "%c_%d_%d_%d_%d" and the password mark. The
// entry keeps its name within its field, and a line has at most the three
// parts a list item shows plus the protected mark.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include "Game/frontend/SessionList.h"
#include "fuzz/seeds.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  // Sessions as the library enumerates them: a new game's, a saved game's,
  // one with a password.
  fuzz::WriteSeedsIfAsked([] {
    fuzz::Seeds seeds;
    const auto add = [&seeds](const char* name, const std::string& description, bool password) {
      HvMSession_Struct s;
      s.SetText(HvMSession_Struct::kName, HvMSession_Struct::kNameWidth, name);
      s.SetText(HvMSession_Struct::kDescription, HvMSession_Struct::kDescriptionWidth, description);
      s.SetU32(HvMSession_Struct::kSessionId, 7);
      s.SetText(HvMSession_Struct::kPassword, HvMSession_Struct::kPasswordWidth, password ? "x" : "");
      seeds.emplace_back(s.bytes.begin(), s.bytes.end());
    };
    add("Open skies", NewSessionDescription(120, 4, 60, 0x1E), false);
    add("Saved duel", "s_0_0_0_0", false);
    add("Guarded", NewSessionDescription(45, 8, 150, 0x04), true);
    return seeds;
  });
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  HvMSession_Struct session;
  std::copy_n(data, std::min(size, session.bytes.size()), session.bytes.begin());
  const SessionEntry entry = MakeSessionEntry(session, [](const char* id, int n) {
    return std::string(id) + std::to_string(n) + (std::strcmp(id, "SESSION4") == 0 ? "^" : "");
  });
  if (std::memchr(entry.name, '\0', sizeof entry.name) == nullptr) __builtin_trap();
  const std::string name = session.Text(HvMSession_Struct::kName, HvMSession_Struct::kNameWidth);
  if (std::count(entry.text.begin(), entry.text.end(), '^') > 2 + std::count(name.begin(), name.end(), '^'))
    __builtin_trap();
  return 0;
}
