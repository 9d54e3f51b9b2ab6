#include "events/EventObj.h"

#include "exports/HandleRegistry.h"

namespace GenICam::Client {

CEventObj::CEventObj() { HandleRegistry::Instance().AddEvent(this); }

// Derived events retire while their Kill still works; this only catches one that did not.
CEventObj::~CEventObj() { HandleRegistry::Instance().Retire(this, {}); }

void CEventObj::RetireHandle() {
    HandleRegistry::Instance().Retire(this, [this] { Kill(); });
}

}  // namespace GenICam::Client
