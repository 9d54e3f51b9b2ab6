#include "tevold/aravis/ThreadKeyPartition.h"

#include <algorithm>

namespace Tevold::Aravis {
namespace {

// Creates keys with create until one is at or above limit (deleted again); returns the rest.
template <typename Create, typename Delete>
std::vector<pthread_key_t> TakeKeysBelow(pthread_key_t limit, Create create, Delete remove) {
    std::vector<pthread_key_t> taken;
    pthread_key_t key = 0;
    while (create(&key, nullptr) == 0) {
        if (key >= limit) {
            remove(key);
            break;
        }
        taken.push_back(key);
    }
    return taken;
}

}  // namespace

ThreadKeyPartition::ThreadKeyPartition(KeyCreate* secondCreate, KeyDelete* secondDelete)
    : held_(TakeKeysBelow(kKeysInDescriptor, pthread_key_create, pthread_key_delete)) {
    // The second library's table is fresh: it hands out every key below 32, and gives back the
    // ones held here for its own use.
    for (const pthread_key_t key : TakeKeysBelow(kKeysInDescriptor, secondCreate, secondDelete)) {
        if (std::find(held_.begin(), held_.end(), key) != held_.end()) {
            secondDelete(key);
        }
    }
}

}  // namespace Tevold::Aravis
