// Named CamResult values (the numbers of GenTL's GC_ERROR) for code that talks to CamLib.h.
#pragma once

#include "camlib/CamLib.h"

namespace Tevold::Result {

constexpr CamResult kSuccess = 0;
constexpr CamResult kError = -1001;
constexpr CamResult kNotInitialized = -1002;
constexpr CamResult kNotImplemented = -1003;
constexpr CamResult kResourceInUse = -1004;
constexpr CamResult kAccessDenied = -1005;
constexpr CamResult kInvalidHandle = -1006;
constexpr CamResult kInvalidId = -1007;
constexpr CamResult kNoData = -1008;
constexpr CamResult kInvalidParameter = -1009;
constexpr CamResult kIo = -1010;
constexpr CamResult kTimeout = -1011;
constexpr CamResult kAbort = -1012;
constexpr CamResult kInvalidBuffer = -1013;
constexpr CamResult kNotAvailable = -1014;
constexpr CamResult kBufferTooSmall = -1016;

}  // namespace Tevold::Result
