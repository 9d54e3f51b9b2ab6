#pragma once

#include <pthread.h>

#include <vector>

namespace Tevold::Aravis {

// Keeps the per-thread data keys (pthread keys) of a second C library (one loaded into a link-map
// namespace of its own) apart from this process's own.
//
// Every C library copy numbers its pthread keys from 0 in a table of its own, but the values
// live in the thread's descriptor, which all copies share: a GLib in the second namespace would
// take key 0 again and read the first GLib's per-thread data as its own (GLib crashes while it
// loads). The first 32 keys sit in the descriptor itself; keys from 32 up need blocks that the
// C library allocating them frees when the thread ends, so the second copy must stay below 32.
// Hence: this process takes every key below 32 it has not used yet and holds it for good; the
// second copy holds every key this process had used before, so its own keys come from the ones
// this process holds, and the two never meet.
class ThreadKeyPartition {
public:
    using KeyCreate = int(pthread_key_t*, void (*)(void*));
    using KeyDelete = int(pthread_key_t);

    // secondCreate and secondDelete are the second C library's pthread_key_create and
    // pthread_key_delete; call before anything else runs there.
    ThreadKeyPartition(KeyCreate* secondCreate, KeyDelete* secondDelete);
    ThreadKeyPartition(const ThreadKeyPartition&) = delete;
    ThreadKeyPartition& operator=(const ThreadKeyPartition&) = delete;

    // How many keys the second C library may create before it would leave the shared block.
    size_t SecondKeyCount() const { return held_.size(); }

private:
    static constexpr pthread_key_t kKeysInDescriptor = 32;

    // Held here for the process's lifetime, like the second namespace itself.
    std::vector<pthread_key_t> held_;
};

}  // namespace Tevold::Aravis
