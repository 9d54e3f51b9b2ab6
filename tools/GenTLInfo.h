// Answers of the GenTL information calls. Numbers are read in whatever integer or boolean type
// the producer reports them: producers differ (a count as UINT32 or SIZET, a flag as BOOL8 or
// UINT64), and a consumer has to take the type the answer says it has.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include "tools/GenTLError.h"

namespace Kavrin::Tools {

// A text answer; empty when the producer does not give it. query(type, buffer, size) is one
// information call.
template <typename Query>
std::string InfoText(Query query) {
    char text[1024] = {};
    size_t size = sizeof text;
    GenTL::INFO_DATATYPE type = GenTL::INFO_DATATYPE_UNKNOWN;
    if (query(&type, text, &size) != GenTL::GC_ERR_SUCCESS || type != GenTL::INFO_DATATYPE_STRING)
        return "";
    text[sizeof text - 1] = '\0';
    return text;
}

// A numeric answer; call names the information call in errors.
template <typename Query>
uint64_t InfoNumber(GenTLProducer& producer, const char* call, Query query) {
    using namespace GenTL;
    alignas(8) unsigned char bytes[16] = {};
    size_t size = sizeof bytes;
    INFO_DATATYPE type = INFO_DATATYPE_UNKNOWN;
    CheckGenTL(producer, query(&type, bytes, &size), call);
    const auto as = [&](auto value) {
        std::memcpy(&value, bytes, sizeof value);
        return value;
    };
    switch (type) {
        case INFO_DATATYPE_BOOL8:
            return as(uint8_t{}) != 0;
        case INFO_DATATYPE_INT16:
            return static_cast<uint64_t>(as(int16_t{}));
        case INFO_DATATYPE_UINT16:
            return as(uint16_t{});
        case INFO_DATATYPE_INT32:
            return static_cast<uint64_t>(as(int32_t{}));
        case INFO_DATATYPE_UINT32:
            return as(uint32_t{});
        case INFO_DATATYPE_INT64:
            return static_cast<uint64_t>(as(int64_t{}));
        case INFO_DATATYPE_UINT64:
            return as(uint64_t{});
        case INFO_DATATYPE_SIZET:
            return as(size_t{});
        case INFO_DATATYPE_PTR:
            return reinterpret_cast<uintptr_t>(as(static_cast<void*>(nullptr)));
        case INFO_DATATYPE_PTRDIFF:
            return static_cast<uint64_t>(as(ptrdiff_t{}));
        default:
            throw GenTLError(call, GC_ERR_INVALID_PARAMETER,
                             "the answer is not a number (type " + std::to_string(type) + ")");
    }
}

}  // namespace Kavrin::Tools
