#include "sg/core/datapath.h"

#include <cstring>

#include "platform/core/dospath.h"
#include "sg/core/apphooks.h"
#include "sg/core/context.h"
#include "sg/core/malloc.h"

namespace {

constexpr std::size_t kJoinedNameSize = 512;

bool IsAbsolute(const char* name) { return name[0] == '\\' || (name[0] != '\0' && name[1] == ':'); }

}  // namespace

std::FILE* ISGFileOpen(const char* dosName, const char* mode) {
  const auto host = plat::ResolveDosPath(dosName);
  if (!host) {
    return nullptr;
  }
  return std::fopen(host->c_str(), mode);
}

std::uint64_t ISGFileRemaining(std::FILE* file) {
  const long here = std::ftell(file);
  if (here < 0 || std::fseek(file, 0, SEEK_END) != 0) {
    return 0;
  }
  const long end = std::ftell(file);
  std::fseek(file, here, SEEK_SET);
  return end > here ? static_cast<std::uint64_t>(end - here) : 0;
}

SGError SGDataPathCreate(SGContext* ctx, const char* dir, std::uint32_t, SGDataPath** out) {
  auto* dp = static_cast<SGDataPath*>(SGCalloc(1, sizeof(SGDataPath)));
  if (dp == nullptr) {
    return SG_ERROR_NO_MEMORY;
  }
  dp->dpContext = ctx;
  const std::size_t len = std::strlen(dir);
  // Two spare bytes: the backslash that may be appended and the terminator.
  dp->dpDir = static_cast<char*>(SGMalloc(len + 2));
  if (dp->dpDir == nullptr) {
    SGFree(dp);
    return SG_ERROR_NO_MEMORY;
  }
  std::memcpy(dp->dpDir, dir, len + 1);
  if (ISGCallCheckDataPathHook(dp->dpDir) != 0) {
    SGFree(dp->dpDir);
    SGFree(dp);
    return SG_ERROR_OPEN;
  }
  if (len == 0 || dp->dpDir[len - 1] != '\\') {
    dp->dpDir[len] = '\\';
    dp->dpDir[len + 1] = '\0';
  }
  *out = dp;
  return SG_ERROR_NONE;
}

SGError SGDataPathOpen(const SGDataPath* dp, const char* name, const char* mode, std::FILE** out) {
  *out = nullptr;
  if (IsAbsolute(name) || dp == nullptr || dp->dpContext == nullptr || dp->dpDir == nullptr || dp->dpDir[0] == '\0') {
    *out = ISGFileOpen(name, mode);
  } else {
    const std::size_t dirLen = std::strlen(dp->dpDir);
    const std::size_t nameLen = std::strlen(name);
    if (dirLen + nameLen >= kJoinedNameSize) {
      return SG_ERROR_OPEN;
    }
    char joined[kJoinedNameSize];
    std::memcpy(joined, dp->dpDir, dirLen);
    std::memcpy(joined + dirLen, name, nameLen + 1);
    *out = ISGFileOpen(joined, mode);
  }
  return *out != nullptr ? SG_ERROR_NONE : SG_ERROR_OPEN;
}

SGError SGDataPathDestroy(SGDataPath* dp) {
  ISGCallCheckDataPathHook(dp->dpContext != nullptr && dp->dpContext->ctxName != nullptr ? dp->dpContext->ctxName : "");
  SGFree(dp->dpDir);
  SGFree(dp);
  return SG_ERROR_NONE;
}
