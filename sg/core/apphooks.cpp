#include "sg/core/apphooks.h"

namespace {

char* DefaultContextName(char* buffer, std::uint32_t size) {
  if (size > 0) {
    buffer[0] = '\0';
  }
  return buffer;
}

int DefaultCheckDataPath(const char*) { return 0; }

ContextNameHook g_contextName = DefaultContextName;
CheckDataPathHook g_checkDataPath = DefaultCheckDataPath;

}  // namespace

void SGSetApplicationHooks(ContextNameHook contextName, CheckDataPathHook checkDataPath) {
  g_contextName = contextName != nullptr ? contextName : DefaultContextName;
  g_checkDataPath = checkDataPath != nullptr ? checkDataPath : DefaultCheckDataPath;
}

char* ISGCallContextNameHook(char* buffer, std::uint32_t size) { return g_contextName(buffer, size); }

int ISGCallCheckDataPathHook(const char* path) { return g_checkDataPath(path); }
