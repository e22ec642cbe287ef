#include "Game/base/GKeyValueReader.h"

#include <cstdio>
#include <string>

#include "Game/base/TraceError.h"

namespace {

// `next` gives the characters one at a time, then EOF.
template <class Next>
std::size_t ReadEntries(Next next, const KeyValueHandler& onEntry) {
  std::string key;
  std::string value;
  bool inValue = false;
  bool overlong = false;
  std::size_t overlongEntries = 0;
  for (int c = next(); c != EOF; c = next()) {
    const char ch = static_cast<char>(c);
    if (!inValue) {
      if (ch == ';' && key.empty()) {
        while (c != EOF && c != '\n') c = next();
        if (c == EOF) break;
      } else if (ch == '=') {
        inValue = true;
        value.clear();
      } else if (key.size() < kMaxKeyChars) {
        key += ch;
      } else {
        overlongEntries += overlong ? 0 : 1;
        overlong = true;
      }
    } else if (ch == '\n') {
      if (overlong) {
        TraceError("Entry too long in a rules file", __FILE__, __LINE__);
      } else {
        onEntry(key, value);
      }
      key.clear();
      inValue = false;
      overlong = false;
    } else if (value.size() < kMaxValueChars) {
      value += ch;
    } else {
      overlongEntries += overlong ? 0 : 1;
      overlong = true;
    }
  }
  return overlongEntries;
}

}  // namespace

std::size_t ReadKeyValueLines(plat::FILE* fp, const KeyValueHandler& onEntry) {
  return ReadEntries([fp] { return plat::fgetc(fp); }, onEntry);
}

std::size_t ReadKeyValueLines(std::string_view text, const KeyValueHandler& onEntry) {
  std::size_t at = 0;
  return ReadEntries([&] { return at < text.size() ? static_cast<unsigned char>(text[at++]) : EOF; }, onEntry);
}
