#pragma once
// The result type and success value shared by the multimedia calls.

#include "platform/core/types.h"

namespace plat {

using MMRESULT = UINT;
constexpr MMRESULT MMSYSERR_NOERROR = 0;

}  // namespace plat
