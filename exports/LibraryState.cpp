#include "exports/LibraryState.h"

#include <algorithm>

#include "system/TL.h"

namespace GenICam::Client {

LibraryState& LibraryState::Instance() {
    // Destroyed when the library is unloaded (or the process ends), after the last export.
    static LibraryState state;
    return state;
}

LibraryState::~LibraryState() { CloseAllSystems(); }

CTL& LibraryState::OpenSystem() {
    auto system = std::make_unique<CTL>();
    std::lock_guard lock(systemsMutex_);
    systems_.push_back(std::move(system));
    return *systems_.back();
}

void LibraryState::CloseSystem(CTL& system) {
    std::unique_ptr<CTL> closing;
    {
        std::lock_guard lock(systemsMutex_);
        const auto found = std::find_if(systems_.begin(), systems_.end(),
                                        [&](const auto& open) { return open.get() == &system; });
        if (found == systems_.end()) return;
        closing = std::move(*found);
        systems_.erase(found);
        closingSystems_.Begin();
    }
    // Destroyed outside the lock: it waits for calls still inside its subtree.
    closing.reset();
    closingSystems_.End();
}

void LibraryState::CloseAllSystems() {
    std::vector<std::unique_ptr<CTL>> closing;
    {
        std::lock_guard lock(systemsMutex_);
        closing.swap(systems_);
        closingSystems_.Begin();
    }
    // Newest first, as an application closes what it opened.
    while (!closing.empty()) closing.pop_back();
    closingSystems_.End();
    closingSystems_.WaitForAll();
}

}  // namespace GenICam::Client
