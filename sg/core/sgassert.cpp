#include "sg/core/sgassert.h"

#include <cstdio>
#include <cstdlib>

void ISGAssertFailed(const char* expression, const char* module) {
  std::fprintf(stderr, "Assertion failed: %s, file %s\n", expression, module);
  std::fflush(stderr);
  std::abort();
}
