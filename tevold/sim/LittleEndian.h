// Registers and images are little-endian whatever the host is.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <type_traits>

namespace Tevold::Sim {

template <typename Unsigned>
void StoreLittleEndian(void* destination, Unsigned value) {
    static_assert(std::is_unsigned_v<Unsigned>);
    auto* bytes = static_cast<uint8_t*>(destination);
    for (size_t i = 0; i < sizeof(Unsigned); ++i) {
        bytes[i] = static_cast<uint8_t>(value >> (8 * i));
    }
}

template <typename Unsigned>
Unsigned LoadLittleEndian(const void* source) {
    static_assert(std::is_unsigned_v<Unsigned>);
    const auto* bytes = static_cast<const uint8_t*>(source);
    Unsigned value = 0;
    for (size_t i = 0; i < sizeof(Unsigned); ++i) {
        value |= static_cast<Unsigned>(static_cast<Unsigned>(bytes[i]) << (8 * i));
    }
    return value;
}

inline void StoreLittleEndianDouble(void* destination, double value) {
    uint64_t bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    StoreLittleEndian(destination, bits);
}

inline double LoadLittleEndianDouble(const void* source) {
    const auto bits = LoadLittleEndian<uint64_t>(source);
    double value = 0;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

}  // namespace Tevold::Sim
