// Told, under the input queue's lock, of every buffer that enters the input queue, and, without
// the queue locks, of every flush that takes queued buffers out of it, so that the camera may
// receive images into queued buffers before the grab that names them and never into a buffer
// that has left the queue. Ending the watch withdraws everything too.
#pragma once

namespace GenICam::Client {

class CBufferInfo;

class InputQueueWatcher {
public:
    virtual void Entered(CBufferInfo& buffer) = 0;
    // The buffers it was told of are no longer its own: queued buffers left the input queue
    // other than by a fill, or the watch ended.
    virtual void Withdrawn() = 0;

protected:
    ~InputQueueWatcher() = default;
};

}  // namespace GenICam::Client
