#include <gtest/gtest.h>

#include <new>

#include "common/GenICamException.h"
#include "exports/ExportFrame.h"
#include "exports/LastError.h"

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
