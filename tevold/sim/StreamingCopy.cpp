#include "tevold/sim/StreamingCopy.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

#include <unistd.h>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace Tevold::Sim {

#if defined(__SSE2__)
void StreamingCopy(void* destination, const void* source, size_t bytes) {
    constexpr size_t kVector = sizeof(__m128i);
    auto* to = static_cast<uint8_t*>(destination);
    const auto* from = static_cast<const uint8_t*>(source);
    const size_t head =
        std::min(bytes, (kVector - reinterpret_cast<uintptr_t>(to) % kVector) % kVector);
    std::memcpy(to, from, head);
    to += head;
    from += head;
    bytes -= head;
    for (; bytes >= 4 * kVector; bytes -= 4 * kVector, to += 4 * kVector, from += 4 * kVector) {
        const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(from));
        const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(from + kVector));
        const __m128i c = _mm_loadu_si128(reinterpret_cast<const __m128i*>(from + 2 * kVector));
        const __m128i d = _mm_loadu_si128(reinterpret_cast<const __m128i*>(from + 3 * kVector));
        _mm_stream_si128(reinterpret_cast<__m128i*>(to), a);
        _mm_stream_si128(reinterpret_cast<__m128i*>(to + kVector), b);
        _mm_stream_si128(reinterpret_cast<__m128i*>(to + 2 * kVector), c);
        _mm_stream_si128(reinterpret_cast<__m128i*>(to + 3 * kVector), d);
    }
    for (; bytes >= kVector; bytes -= kVector, to += kVector, from += kVector) {
        _mm_stream_si128(reinterpret_cast<__m128i*>(to),
                         _mm_loadu_si128(reinterpret_cast<const __m128i*>(from)));
    }
    std::memcpy(to, from, bytes);
}

// Streaming stores are weakly ordered: the fence makes them visible before the release that
// hands the image over.
void StreamingCopyDone() { _mm_sfence(); }
#else
void StreamingCopy(void* destination, const void* source, size_t bytes) {
    std::memcpy(destination, source, bytes);
}

void StreamingCopyDone() {}
#endif

size_t StreamingThreshold() {
    // A stream writes its images into several buffers in turn, commonly four or more, and other
    // work shares the last-level cache: once four images take more than half of it, the buffers
    // do not stay cached from one turn to the next.
    constexpr long kAssumedCacheBytes = 8L << 20;
    constexpr long kCacheShare = 8;
    static const size_t threshold = [] {
        long cache = sysconf(_SC_LEVEL3_CACHE_SIZE);
        if (cache <= 0) cache = sysconf(_SC_LEVEL2_CACHE_SIZE);
        return static_cast<size_t>((cache > 0 ? cache : kAssumedCacheBytes) / kCacheShare);
    }();
    return threshold;
}

}  // namespace Tevold::Sim
