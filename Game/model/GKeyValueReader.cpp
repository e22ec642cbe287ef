#include "Game/model/GKeyValueReader.h"

#include <cstdio>
#include <string>

#include "Game/model/TraceError.h"

void ReadKeyValueLines(plat::FILE* fp, const KeyValueHandler& onEntry) {
  std::string key;
  std::string value;
  bool inValue = false;
  bool overlong = false;
  for (int c = plat::fgetc(fp); c != EOF; c = plat::fgetc(fp)) {
    const char ch = static_cast<char>(c);
    if (!inValue) {
      if (ch == ';' && key.empty()) {
        while (c != EOF && c != '\n') c = plat::fgetc(fp);
        if (c == EOF) break;
      } else if (ch == '=') {
        inValue = true;
        value.clear();
      } else if (key.size() < kMaxKeyChars) {
        key += ch;
      } else {
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
      overlong = true;
    }
  }
}
