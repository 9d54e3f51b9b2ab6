// The other Aravis a consumer's process holds before it loads the producer.
#pragma once

#include <string>
#include <vector>

namespace aravis_tests {

// Uses it, so that its functions are bound and its GObject types registered; returns the type
// names it registered.
__attribute__((visibility("default"))) std::vector<std::string> UseForeignAravis();

}  // namespace aravis_tests
