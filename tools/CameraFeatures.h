// A camera's features by name, through Aravis's GenApi engine evaluating the camera's register
// description over the GenTL remote device port.
#pragma once

#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

#include "tools/GenApiPortDevice.h"
#include "tools/GenTLProducer.h"
#include "tools/JsonWriter.h"

namespace Kavrin::Tools {

class CameraFeatures {
public:
    // The port must stay open while this object lives.
    CameraFeatures(GenTLProducer& gentl, GenTL::PORT_HANDLE port, const std::string& xml);

    // Every feature reachable from the Root category, indented by category.
    void PrintTree(std::ostream& out) const;
    // The named features with their valid values; throws std::runtime_error for an unknown name.
    void PrintNamed(std::ostream& out, const std::vector<std::string>& names) const;

    // The same as JSON: an array of objects with name, type, access, value (and valid values,
    // and for the tree the category).
    void WriteTree(JsonWriter& json) const;
    void WriteNamed(JsonWriter& json, const std::vector<std::string>& names) const;

    // "Name=Value". Throws std::runtime_error saying which part is wrong and listing the valid
    // feature names or values.
    void Apply(const std::string& setting);

    // Whether the description defines the feature at all; Has also needs it implemented and
    // available now.
    bool Knows(const std::string& name) const { return Feature(name) != nullptr; }
    bool Has(const std::string& name) const;
    // What reading the feature gives after a setting: its value, or why there is none.
    std::string ReadBack(const std::string& name) const;
    // Every feature of the category tree, in the description's order.
    std::vector<std::string> Names() const;
    // The settings that restore the camera's state, as "Name=Value" in the order they have to be
    // applied: the features the description marks streamable, or without such marks every
    // readable and writable one, each selector followed by the features it selects, for each
    // of its values.
    std::vector<std::string> SavedSettings();
    // The feature's value as text, e.g. "Mono16"; throws when it cannot be read.
    std::string Value(const std::string& name) const;
    int64_t Integer(const std::string& name) const;
    // The values an enumeration offers now; throws for a feature that is no enumeration.
    std::vector<std::string> Entries(const std::string& name) const;
    void SetInteger(const std::string& name, int64_t value);
    void Execute(const std::string& name);

private:
    ArvGcFeatureNode* Feature(const std::string& name) const;
    void PrintCategory(std::ostream& out, const std::string& name, int depth,
                       std::vector<std::string>& visited) const;
    void PrintFeature(std::ostream& out, ArvGcFeatureNode* feature, int depth) const;
    std::vector<std::string> SettableFeatures() const;
    void WriteFeature(JsonWriter& json, ArvGcFeatureNode* feature, const std::string& category,
                      bool withValid) const;
    void Walk(const std::string& category, std::vector<std::string>& visited,
              std::vector<std::pair<std::string, std::string>>& found) const;

    ArvDevicePtr device_;
    ArvGcPtr gc_;
};

}  // namespace Kavrin::Tools
