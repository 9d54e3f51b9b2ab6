#include "common/ICommonBase.h"

#include "common/GenICamException.h"

namespace GenICam::Client {

ICommonBase::~ICommonBase() { RetireHandle(); }

void ICommonBase::Read(uint64_t, void*, size_t*) {}

void ICommonBase::Write(uint64_t, const void*, size_t*) {}

void ICommonBase::RegisterEvent(GenTL::EVENT_TYPE eventType, GenTL::EVENT_HANDLE*) {
    GENICAM_THROW(NotImplementedException, "Event ID %ld not implemented",
                  static_cast<long>(eventType));
}

void ICommonBase::UnregisterEvent(GenTL::EVENT_TYPE eventType) {
    GENICAM_THROW(NotImplementedException, "Event ID %ld not implemented",
                  static_cast<long>(eventType));
}

}  // namespace GenICam::Client
