#include "sg/raster/vectorset.h"

namespace {

bool ProcessorHasAvx2() {
#if defined(__x86_64__) || defined(__i386__)
  return __builtin_cpu_supports("avx2");
#else
  return false;
#endif
}

}  // namespace

namespace isg_detail {
bool g_useAvx2 = ProcessorHasAvx2();
}

ISGVectorSet ISGVectorSetInUse() {
  return isg_detail::g_useAvx2 ? ISGVectorSet::kAvx2 : ISGVectorSet::kBase;
}

void ISGLimitVectorSet(ISGVectorSet most) {
  isg_detail::g_useAvx2 = most == ISGVectorSet::kAvx2 && ProcessorHasAvx2();
}
