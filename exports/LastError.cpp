#include "exports/LastError.h"

#include <mutex>

namespace GenICam::Client {

namespace {
std::mutex& RecordMutex() {
    static std::mutex* const mutex = new std::mutex;
    return *mutex;
}

std::optional<CTLIError::Record>& StoredRecord() {
    static auto* const record = new std::optional<CTLIError::Record>;
    return *record;
}
}  // namespace

void CTLIError::StoreLastError(GenTL::GC_ERROR code, const std::string& text) {
    std::lock_guard lock(RecordMutex());
    StoredRecord() = Record{code, text};
}

std::optional<CTLIError::Record> CTLIError::Last() {
    std::lock_guard lock(RecordMutex());
    return StoredRecord();
}

}  // namespace GenICam::Client
