#include "events/EventObj.h"

namespace GenICam::Client {

// Derived events retire while their Kill still works; this only catches one that did not.
CEventObj::~CEventObj() { handle_.Retire({}); }

void CEventObj::RetireHandle() {
    handle_.Retire([this] { Kill(); });
}

}  // namespace GenICam::Client
