// How failures become codes: the export frame turns each exception kind into its code and keeps
// its text, and the camera library's register results become exceptions of their kinds.
#include <gtest/gtest.h>

#include <new>
#include <string>

#include "common/GenICamException.h"
#include "exports/ExportFrame.h"
#include "exports/LastError.h"
#include "interface/RegisterResult.h"

using namespace GenICam::Client;

namespace {
template <class Kind>
void ExpectLadderRow(GenTL::GC_ERROR expectedCode) {
    const GenTL::GC_ERROR result =
        Export::Guarded([] { throw Kind(FormatMessage("text %d", 42), __FILE__, __LINE__); });
    EXPECT_EQ(result, expectedCode);
    const auto last = CTLIError::Last();
    ASSERT_TRUE(last.has_value());
    EXPECT_EQ(last->code, expectedCode);
    EXPECT_EQ(last->text, "text 42");
}

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

TEST(ExportFrame, EachExceptionKindBecomesItsCodeWithItsText) {
    ExpectLadderRow<RuntimeException>(GenTL::GC_ERR_ERROR);
    ExpectLadderRow<NotImplementedException>(GenTL::GC_ERR_NOT_IMPLEMENTED);
    ExpectLadderRow<ResourceInUseException>(GenTL::GC_ERR_RESOURCE_IN_USE);
    ExpectLadderRow<AccessDeniedException>(GenTL::GC_ERR_ACCESS_DENIED);
    ExpectLadderRow<InvalidHandleException>(GenTL::GC_ERR_INVALID_HANDLE);
    ExpectLadderRow<InvalidIdException>(GenTL::GC_ERR_INVALID_ID);
    ExpectLadderRow<NoDataException>(GenTL::GC_ERR_NO_DATA);
    ExpectLadderRow<InvalidParameterException>(GenTL::GC_ERR_INVALID_PARAMETER);
    ExpectLadderRow<IoException>(GenTL::GC_ERR_IO);
    ExpectLadderRow<TimeoutException>(GenTL::GC_ERR_TIMEOUT);
    ExpectLadderRow<AbortException>(GenTL::GC_ERR_ABORT);
    ExpectLadderRow<InvalidBufferException>(GenTL::GC_ERR_INVALID_BUFFER);
    ExpectLadderRow<NotAvailableException>(GenTL::GC_ERR_NOT_AVAILABLE);
}

TEST(ExportFrame, AnythingElseIsAnUnspecifiedRuntimeError) {
    EXPECT_EQ(Export::Guarded([] { throw GenericException("generic", "Test", 1); }),
              GenTL::GC_ERR_ERROR);
    EXPECT_EQ(CTLIError::Last()->text, "Unspecified runtime error.");

    Export::Fail(GenTL::GC_ERR_IO, "before");
    EXPECT_EQ(Export::Guarded([] { throw std::bad_alloc(); }), GenTL::GC_ERR_ERROR);
    EXPECT_EQ(CTLIError::Last()->text, "Unspecified runtime error.");
    EXPECT_EQ(Export::Guarded([] { throw 7; }), GenTL::GC_ERR_ERROR);
}

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
