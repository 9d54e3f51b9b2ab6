// Merges a fresh discovery into a known list of records, so that lists stay stable across
// updates: records whose ID was known come first, in the order of the discovery, then the new
// ones; records no longer discovered are dropped.
#pragma once

#include <algorithm>
#include <memory>
#include <vector>

namespace GenICam::Client {

// Returns whether the list changed: a record appeared or vanished, or recordChanged(old, fresh)
// says a known one changed.
template <class Record, class RecordChanged>
bool MergeDiscovery(std::vector<std::shared_ptr<const Record>>& known,
                    std::vector<std::shared_ptr<const Record>> fresh,
                    RecordChanged&& recordChanged) {
    std::vector<std::shared_ptr<const Record>> vanished = std::move(known);
    known.clear();
    bool changed = false;
    for (auto record = fresh.begin(); record != fresh.end();) {
        const auto old = std::find_if(vanished.begin(), vanished.end(), [&](const auto& candidate) {
            return candidate->GetID() == (*record)->GetID();
        });
        if (old == vanished.end()) {
            ++record;
            continue;
        }
        changed |= recordChanged(**old, **record);
        vanished.erase(old);
        known.push_back(std::move(*record));
        record = fresh.erase(record);
    }
    changed |= !fresh.empty() || !vanished.empty();
    known.insert(known.end(), fresh.begin(), fresh.end());
    return changed;
}

}  // namespace GenICam::Client
