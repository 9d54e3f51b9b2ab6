#include "exports/LibraryState.h"

#include "system/TL.h"

namespace GenICam::Client {

LibraryState& LibraryState::Instance() {
    // Destroyed when the library is unloaded (or the process ends), after the last export.
    static LibraryState state;
    return state;
}

// Declared beside the registry, defined here: the registry every handle of the process lives in
// is the one the process-wide library state owns.
HandleRegistry& HandleRegistry::Instance() { return LibraryState::Instance().Handles(); }

LibraryState::~LibraryState() { CloseAllSystems(); }

void* LibraryState::OpenSystem() {
    auto system = std::make_unique<CTL>();
    void* handle = system->Handle();
    systems_.Add(std::move(system));
    return handle;
}

void LibraryState::CloseSystem(CTL& system) { systems_.Close(&system); }

void LibraryState::CloseAllSystems() { systems_.CloseAll(); }

}  // namespace GenICam::Client
