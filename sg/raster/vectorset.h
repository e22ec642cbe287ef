#pragma once
// The vector instructions the fills may use. The processor is asked once;
// a caller may then hold the fills to a smaller set, which is how the tests
// compare the wide paths with the ones every x86-64 processor runs. Not for
// use while another thread draws.

enum class ISGVectorSet {
  kBase,  // what every processor the build targets has (SSE2 on x86-64)
  kAvx2,  // 256-bit integer lanes with gathers
};

// The set the fills use now: the largest the processor has, or less after
// ISGLimitVectorSet.
ISGVectorSet ISGVectorSetInUse();

// Holds the fills to at most `most` (never more than the processor has).
void ISGLimitVectorSet(ISGVectorSet most);

namespace isg_detail {
extern bool g_useAvx2;
}

// True when the fills draw with the 256-bit paths.
inline bool ISGUseAvx2() {
  return isg_detail::g_useAvx2;
}
