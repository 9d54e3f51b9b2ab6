#include "exports/LastError.h"

#include "exports/LibraryState.h"

namespace GenICam::Client {

void CTLIError::StoreLastError(GenTL::GC_ERROR code, const std::string& text) {
    LibraryState::Instance().LastError().Store(Record{code, text});
}

std::optional<CTLIError::Record> CTLIError::Last() {
    return LibraryState::Instance().LastError().Get();
}

void LastErrorStore::Store(CTLIError::Record record) {
    std::lock_guard lock(mutex_);
    record_ = std::move(record);
}

std::optional<CTLIError::Record> LastErrorStore::Get() const {
    std::lock_guard lock(mutex_);
    return record_;
}

}  // namespace GenICam::Client
