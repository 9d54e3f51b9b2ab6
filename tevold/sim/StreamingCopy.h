#pragma once

#include <cstddef>

namespace Tevold::Sim {

// Copies with stores that bypass the cache where the processor has them (SSE2), as memset and
// memcpy do for blocks larger than the cache: the destination lines are not read first, so
// writing an image that will not stay in the cache costs one pass over memory instead of two.
// Call StreamingCopyDone once after the last copy, before the memory is handed to another thread.
void StreamingCopy(void* destination, const void* source, size_t bytes);
void StreamingCopyDone();

// Images of at least this many bytes are written with StreamingCopy: the buffers a stream
// cycles through no longer stay in the last-level cache, so ordinary stores would only evict
// other data. Smaller images are written with ordinary stores, which the next turn finds cached.
size_t StreamingThreshold();

}  // namespace Tevold::Sim
