#include "tools/GenTLError.h"

namespace Kavrin::Tools {

namespace {

std::string Describe(const std::string& call, GenTL::GC_ERROR code, const std::string& lastError) {
    std::string text = call + " failed: " + GenTLCodeName(code) + " (" + std::to_string(code) + ")";
    if (!lastError.empty()) text += ": " + lastError;
    return text;
}

}  // namespace

GenTLError::GenTLError(const std::string& call, GenTL::GC_ERROR code, const std::string& lastError)
    : std::runtime_error(Describe(call, code, lastError)), code_(code) {}

std::string GenTLCodeName(GenTL::GC_ERROR code) {
    using namespace GenTL;
    switch (code) {
        case GC_ERR_SUCCESS:
            return "GC_ERR_SUCCESS";
        case GC_ERR_ERROR:
            return "GC_ERR_ERROR";
        case GC_ERR_NOT_INITIALIZED:
            return "GC_ERR_NOT_INITIALIZED";
        case GC_ERR_NOT_IMPLEMENTED:
            return "GC_ERR_NOT_IMPLEMENTED";
        case GC_ERR_RESOURCE_IN_USE:
            return "GC_ERR_RESOURCE_IN_USE";
        case GC_ERR_ACCESS_DENIED:
            return "GC_ERR_ACCESS_DENIED";
        case GC_ERR_INVALID_HANDLE:
            return "GC_ERR_INVALID_HANDLE";
        case GC_ERR_INVALID_ID:
            return "GC_ERR_INVALID_ID";
        case GC_ERR_NO_DATA:
            return "GC_ERR_NO_DATA";
        case GC_ERR_INVALID_PARAMETER:
            return "GC_ERR_INVALID_PARAMETER";
        case GC_ERR_IO:
            return "GC_ERR_IO";
        case GC_ERR_TIMEOUT:
            return "GC_ERR_TIMEOUT";
        case GC_ERR_ABORT:
            return "GC_ERR_ABORT";
        case GC_ERR_INVALID_BUFFER:
            return "GC_ERR_INVALID_BUFFER";
        case GC_ERR_NOT_AVAILABLE:
            return "GC_ERR_NOT_AVAILABLE";
        case GC_ERR_INVALID_ADDRESS:
            return "GC_ERR_INVALID_ADDRESS";
        case GC_ERR_BUFFER_TOO_SMALL:
            return "GC_ERR_BUFFER_TOO_SMALL";
        case GC_ERR_INVALID_INDEX:
            return "GC_ERR_INVALID_INDEX";
        case GC_ERR_PARSING_CHUNK_DATA:
            return "GC_ERR_PARSING_CHUNK_DATA";
        case GC_ERR_INVALID_VALUE:
            return "GC_ERR_INVALID_VALUE";
        case GC_ERR_RESOURCE_EXHAUSTED:
            return "GC_ERR_RESOURCE_EXHAUSTED";
        case GC_ERR_OUT_OF_MEMORY:
            return "GC_ERR_OUT_OF_MEMORY";
        case GC_ERR_BUSY:
            return "GC_ERR_BUSY";
        case GC_ERR_AMBIGUOUS:
            return "GC_ERR_AMBIGUOUS";
        default:
            return "GC_ERR_" + std::to_string(code);
    }
}

void CheckGenTL(GenTLProducer& producer, GenTL::GC_ERROR result, const char* call) {
    if (result == GenTL::GC_ERR_SUCCESS) return;
    GenTL::GC_ERROR lastCode = GenTL::GC_ERR_SUCCESS;
    char text[1024] = {};
    size_t size = sizeof text;
    if (producer.GCGetLastError(&lastCode, text, &size) != GenTL::GC_ERR_SUCCESS) text[0] = '\0';
    throw GenTLError(call, result, text);
}

}  // namespace Kavrin::Tools
