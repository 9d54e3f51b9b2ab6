// The process-wide last-error record: one for all threads, overwritten by every failure and
// never cleared by success. A mutex keeps concurrent failures from tearing it.
#pragma once

#include <mutex>
#include <optional>
#include <string>

#include "GenTL.h"

namespace GenICam::Client {

class CTLIError {
public:
    struct Record {
        GenTL::GC_ERROR code = GenTL::GC_ERR_SUCCESS;
        std::string text;
    };

    static void StoreLastError(GenTL::GC_ERROR code, const std::string& text);
    // None until the first failure.
    static std::optional<Record> Last();
};

// Where the record lives: a part of the library's process-wide state.
class LastErrorStore {
public:
    void Store(CTLIError::Record record);
    std::optional<CTLIError::Record> Get() const;

private:
    mutable std::mutex mutex_;
    std::optional<CTLIError::Record> record_;
};

}  // namespace GenICam::Client
