// The GenICam exception kinds. Inside the library every failure is one of these; only the
// export frame turns them into GenTL error codes.
#pragma once

#include <exception>
#include <string>

#include "GenTL.h"

namespace GenICam::Client {

class GenericException : public std::exception {
public:
    GenericException(std::string description, const char* sourceFile, int sourceLine);

    const char* what() const noexcept override { return description_.c_str(); }
    const std::string& GetDescription() const noexcept { return description_; }
    const char* GetSourceFileName() const noexcept { return sourceFile_; }
    int GetSourceLine() const noexcept { return sourceLine_; }

    // The GenTL code of this kind; GC_ERR_ERROR for the generic kind, which the export frame
    // reports as an unspecified error.
    virtual GenTL::GC_ERROR Code() const noexcept { return GenTL::GC_ERR_ERROR; }
    virtual bool IsSpecificKind() const noexcept { return false; }

private:
    std::string description_;
    const char* sourceFile_;
    int sourceLine_;
};

// One kind per GenTL error code; the kinds do not derive from each other.
template <GenTL::GC_ERROR ErrorCode>
class ExceptionKind final : public GenericException {
public:
    using GenericException::GenericException;
    GenTL::GC_ERROR Code() const noexcept override { return ErrorCode; }
    bool IsSpecificKind() const noexcept override { return true; }
};

using RuntimeException = ExceptionKind<GenTL::GC_ERR_ERROR>;
using NotImplementedException = ExceptionKind<GenTL::GC_ERR_NOT_IMPLEMENTED>;
using ResourceInUseException = ExceptionKind<GenTL::GC_ERR_RESOURCE_IN_USE>;
using AccessDeniedException = ExceptionKind<GenTL::GC_ERR_ACCESS_DENIED>;
using InvalidHandleException = ExceptionKind<GenTL::GC_ERR_INVALID_HANDLE>;
using InvalidIdException = ExceptionKind<GenTL::GC_ERR_INVALID_ID>;
using NoDataException = ExceptionKind<GenTL::GC_ERR_NO_DATA>;
using InvalidParameterException = ExceptionKind<GenTL::GC_ERR_INVALID_PARAMETER>;
using IoException = ExceptionKind<GenTL::GC_ERR_IO>;
using TimeoutException = ExceptionKind<GenTL::GC_ERR_TIMEOUT>;
using AbortException = ExceptionKind<GenTL::GC_ERR_ABORT>;
using InvalidBufferException = ExceptionKind<GenTL::GC_ERR_INVALID_BUFFER>;
using NotAvailableException = ExceptionKind<GenTL::GC_ERR_NOT_AVAILABLE>;
// A module's port refuses an address where it has neither description nor register.
using InvalidAddressException = ExceptionKind<GenTL::GC_ERR_INVALID_ADDRESS>;
// A caller's list holds fewer entries than the answer needs.
using BufferTooSmallException = ExceptionKind<GenTL::GC_ERR_BUFFER_TOO_SMALL>;
// Only the port URL list reports an index past its end this way, as consumers expect.
using InvalidIndexException = ExceptionKind<GenTL::GC_ERR_INVALID_INDEX>;

// Formats a message printf-style; messages are cut at 255 characters.
std::string FormatMessage(const char* format, ...) __attribute__((format(printf, 1, 2)));

}  // namespace GenICam::Client

// Raises an exception kind with a printf-style description and the raising source position.
#define GENICAM_THROW(Kind, ...) \
    throw ::GenICam::Client::Kind(::GenICam::Client::FormatMessage(__VA_ARGS__), __FILE__, __LINE__)
