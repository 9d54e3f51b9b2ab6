#pragma once

#include <arv.h>

#include <memory>

namespace Tevold::Aravis {

struct GObjectUnref {
    void operator()(void* object) const { g_object_unref(object); }
};
// One reference to a GObject, dropped with the owner.
template <typename Object>
using GObjectPtr = std::unique_ptr<Object, GObjectUnref>;

// Hands a GError** to an Aravis call and takes ownership of what it leaves there.
class ErrorSlot {
public:
    ErrorSlot() = default;
    ~ErrorSlot() { g_clear_error(&error_); }
    ErrorSlot(const ErrorSlot&) = delete;
    ErrorSlot& operator=(const ErrorSlot&) = delete;
    operator GError**() { return &error_; }
    const GError* Get() const { return error_; }
    bool IsSet() const { return error_ != nullptr; }

private:
    GError* error_ = nullptr;
};

}  // namespace Tevold::Aravis
