// A camera's features by name, through Aravis's GenApi engine evaluating the camera's register
// description over the GenTL remote device port.
#pragma once

#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

#include "tools/GenApiPortDevice.h"
#include "tools/GenTLProducer.h"

namespace Kavrin::Tools {

class CameraFeatures {
public:
    // The port must stay open while this object lives.
    CameraFeatures(GenTLProducer& gentl, GenTL::PORT_HANDLE port, const std::string& xml);

    // Every feature reachable from the Root category, indented by category.
    void PrintTree(std::ostream& out) const;
    // The named features with their valid values; throws std::runtime_error for an unknown name.
    void PrintNamed(std::ostream& out, const std::vector<std::string>& names) const;

    // "Name=Value". Throws std::runtime_error saying which part is wrong and listing the valid
    // feature names or values.
    void Apply(const std::string& setting);

    bool Has(const std::string& name) const;
    // The feature's value as text, e.g. "Mono16"; throws when it cannot be read.
    std::string Value(const std::string& name) const;
    int64_t Integer(const std::string& name) const;
    void SetInteger(const std::string& name, int64_t value);
    void Execute(const std::string& name);

private:
    ArvGcFeatureNode* Feature(const std::string& name) const;
    void PrintCategory(std::ostream& out, const std::string& name, int depth,
                       std::vector<std::string>& visited) const;
    void PrintFeature(std::ostream& out, ArvGcFeatureNode* feature, int depth) const;
    std::vector<std::string> SettableFeatures() const;

    ArvDevicePtr device_;
    ArvGcPtr gc_;
};

}  // namespace Kavrin::Tools
