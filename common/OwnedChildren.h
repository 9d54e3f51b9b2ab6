// The children a module owns: interfaces of a system, devices of a system, streams of a device,
// systems of the library. A child is destroyed outside the list's lock, because it first waits
// for the calls still inside it, which may need that lock; a parent going away takes all its
// children at once and waits for the closes that other threads are running.
#pragma once

#include <algorithm>
#include <iterator>
#include <memory>
#include <mutex>
#include <utility>
#include <vector>

#include "common/PendingCloses.h"

namespace GenICam::Client {

template <class Child>
class OwnedChildren {
public:
    using List = std::vector<std::unique_ptr<Child>>;

    Child& Add(std::unique_ptr<Child> child) {
        std::lock_guard lock(mutex_);
        children_.push_back(std::move(child));
        return *children_.back();
    }

    // Runs use on the first child that matches, under the list's lock, so the child cannot be
    // closed meanwhile; false when none matches.
    template <class Matches, class Use>
    bool UseFirst(Matches&& matches, Use&& use) {
        std::lock_guard lock(mutex_);
        const auto found = std::find_if(children_.begin(), children_.end(),
                                        [&](const auto& child) { return matches(*child); });
        if (found == children_.end()) return false;
        use(**found);
        return true;
    }

    // The first child that matches, or a new one from make; either way use runs on it under
    // the list's lock, so two threads never make the same child twice.
    template <class Matches, class Make, class Use>
    void UseFirstOrAdd(Matches&& matches, Make&& make, Use&& use) {
        std::lock_guard lock(mutex_);
        auto found = std::find_if(children_.begin(), children_.end(),
                                  [&](const auto& child) { return matches(*child); });
        if (found == children_.end()) {
            children_.push_back(make());
            found = std::prev(children_.end());
        }
        use(**found);
    }

    // Destroys the child; false when it is not in the list (its parent is destroying it).
    bool Close(const Child* child) {
        std::unique_ptr<Child> closing;
        {
            std::lock_guard lock(mutex_);
            const auto found = std::find_if(children_.begin(), children_.end(),
                                            [&](const auto& open) { return open.get() == child; });
            if (found == children_.end()) return false;
            closing = std::move(*found);
            children_.erase(found);
            closing_.Begin();
        }
        closing.reset();
        closing_.End();
        return true;
    }

    // Every child, for a parent that goes away; later closes of them find nothing.
    List TakeAll() {
        std::lock_guard lock(mutex_);
        return std::exchange(children_, List{});
    }

    // Destroys taken children newest first, then waits for closes running on other threads.
    void Destroy(List taken) {
        while (!taken.empty()) taken.pop_back();
        closing_.WaitForAll();
    }

    void CloseAll() { Destroy(TakeAll()); }

private:
    std::mutex mutex_;
    List children_;
    PendingCloses closing_;
};

}  // namespace GenICam::Client
