#pragma once

#include "camlib/CamLib.h"

#include <cstddef>
#include <string_view>

namespace Tevold {

// Copies text and its terminating NUL into buffer. *size is the capacity on the way in and the
// bytes written on the way out; a capacity too small gives kBufferTooSmall with the needed size.
// A null buffer asks for the size alone.
CamResult WriteText(std::string_view text, void* buffer, size_t* size);

}  // namespace Tevold
