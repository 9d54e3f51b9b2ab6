#include <gtest/gtest.h>

#include <string>

#include "common/GenICamException.h"
#include "interface/RegisterResult.h"

using namespace GenICam::Client;

namespace {
struct Outcome {
    GenTL::GC_ERROR code = GenTL::GC_ERR_SUCCESS;
    std::string text;
};

Outcome Check(Tevold::CamResult result, uint64_t address, RegisterAccess access) {
    try {
        CheckRegisterResult(result, address, access);
    } catch (const GenericException& exception) {
        return {exception.Code(), exception.GetDescription()};
    }
    return {};
}
}  // namespace

TEST(RegisterResult, EveryLibraryFailureHasItsKindAndText) {
    struct Row {
        Tevold::CamResult result;
        GenTL::GC_ERROR code;
        const char* readText;
        const char* writeText;
    };
    const Row rows[] = {
        {-1001, GenTL::GC_ERR_ERROR, "Unspecified runtime error.", "Unspecified runtime error."},
        {-1002, GenTL::GC_ERR_INVALID_HANDLE, "Not invalid.", "Not invalid."},
        {-1003, GenTL::GC_ERR_NOT_IMPLEMENTED, "Register 0xAB is not implemented",
         "Register 0xAB is not implemented"},
        {-1004, GenTL::GC_ERR_RESOURCE_IN_USE, "Resource in use.", "Resource in use."},
        {-1005, GenTL::GC_ERR_ACCESS_DENIED, "Register 0xAB is not readable.",
         "Register 0xAB is not writable."},
        {-1006, GenTL::GC_ERR_INVALID_HANDLE, "Not invalid handle.", "Not invalid handle."},
        {-1007, GenTL::GC_ERR_INVALID_ID, "Invalid id.", "Invalid id."},
        {-1008, GenTL::GC_ERR_NO_DATA, "No data.", "No data."},
        {-1009, GenTL::GC_ERR_INVALID_PARAMETER, "Invalid parameter", "Invalid parameter"},
        {-1010, GenTL::GC_ERR_IO, "Read register 0xAB is failed.",
         "Write register 0xAB is failed."},
        {-1011, GenTL::GC_ERR_TIMEOUT, "Timeout", "Timeout"},
        {-1012, GenTL::GC_ERR_ABORT, "Wait terminated.", "Wait terminated."},
        {-1013, GenTL::GC_ERR_INVALID_BUFFER, "Invalid Buffer", "Invalid Buffer"},
        {-1014, GenTL::GC_ERR_NOT_AVAILABLE, "Port is not available", "Port is not available"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.result);
        const Outcome read = Check(row.result, 0xab, RegisterAccess::Read);
        EXPECT_EQ(read.code, row.code);
        EXPECT_EQ(read.text, row.readText);
        const Outcome write = Check(row.result, 0xab, RegisterAccess::Write);
        EXPECT_EQ(write.code, row.code);
        EXPECT_EQ(write.text, row.writeText);
    }
}

TEST(RegisterResult, OtherResultsAreSuccess) {
    for (Tevold::CamResult result : {0, 1, -1000, -1015, -1016, -10000})
        EXPECT_EQ(Check(result, 0, RegisterAccess::Read).code, GenTL::GC_ERR_SUCCESS) << result;
}

TEST(RegisterResult, AddressIsPrintedInFullUpperCaseHex) {
    EXPECT_EQ(Check(-1005, 0x1000, RegisterAccess::Read).text, "Register 0x1000 is not readable.");
    EXPECT_EQ(Check(-1010, 0xFEDCBA9876543210, RegisterAccess::Write).text,
              "Write register 0xFEDCBA9876543210 is failed.");
}
