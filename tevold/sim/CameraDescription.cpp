#include "tevold/sim/CameraDescription.h"

#include "tevold/GenApiXmlWriter.h"
#include "tevold/SimRegisterMap.h"
#include "tevold/sim/ChunkLayout.h"

#include <algorithm>
#include <cstdio>
#include <stdexcept>
#include <string>
#include <vector>

namespace Tevold::Sim {
namespace {

using Kind = GenApiXmlWriter::Kind;

const std::vector<std::string>& EventFeatureNames() {
    static const std::vector<std::string> names = [] {
        std::vector<std::string> all;
        for (const auto& entry : EventEntries()) {
            const std::string base = "Event" + std::string(entry.first);
            all.insert(all.end(), {base, base + "Timestamp", base + "FrameID"});
        }
        return all;
    }();
    return names;
}

const GenApiXmlWriter::Feature& TableFeature(std::string_view name) {
    for (const CameraFeature& feature : CameraFeatures()) {
        if (feature.node.name == name) {
            return feature.node;
        }
    }
    throw std::logic_error("no feature " + std::string(name));
}

// The chunk value features, each on the port of its chunk, in the camera's byte order.
void AddChunkFeatures(GenApiXmlWriter& writer, bool bigEndian, std::vector<std::string>& names) {
    for (const ChunkFeature& chunk : ChunkFeatures()) {
        const std::string port = std::string(chunk.name) + "Port";
        names.push_back(port);
        writer.AddPort(names.back(), GenApiXmlWriter::PortKind::Chunk,
                       ChunkLayout::ChunkId(chunk.chunk));
        GenApiXmlWriter::Feature feature;
        feature.kind = chunk.kind;
        feature.name = chunk.name;
        feature.toolTip = chunk.toolTip;
        feature.address = 0;
        feature.length = chunk.length;
        feature.access = RegisterAccess::ReadOnly;
        feature.port = names.back();
        feature.bigEndian = bigEndian;
        feature.volatileValue = true;
        feature.min = 0;
        feature.max = chunk.length == 8 ? 9.2e18 : 4294967295.0;
        if (chunk.kind == Kind::Enumeration) {
            feature.entries = TableFeature("PixelFormat").entries;
        }
        if (chunk.kind == Kind::Float) {
            feature.max = 1e9;
        }
        writer.AddFeature(feature);
    }
}

// The event data features, each on the port of its event: the remote-device event's value is
// the event's timestamp and then its frame ID, both little-endian.
void AddEventFeatures(GenApiXmlWriter& writer, std::vector<std::string>& names) {
    for (const auto& [event, selector] : EventEntries()) {
        const uint32_t eventId = Event::kEventIdBase + selector;
        const std::string base = "Event" + std::string(event);
        names.push_back(base + "Port");
        const std::string_view port = names.back();
        writer.AddPort(port, GenApiXmlWriter::PortKind::Event, eventId);
        names.push_back(base);
        writer.AddConstant(names.back(), "ID of the event", eventId);
        for (const auto& [suffix, offset] : {std::pair{"Timestamp", 0}, {"FrameID", 8}}) {
            names.push_back(base + suffix);
            GenApiXmlWriter::Feature feature;
            feature.name = names.back();
            feature.toolTip =
                offset == 0 ? "When the event happened, in ns" : "The frame the event belongs to";
            feature.address = offset;
            feature.length = 8;
            feature.access = RegisterAccess::ReadOnly;
            feature.max = 9.2e18;
            feature.port = port;
            feature.volatileValue = true;
            writer.AddFeature(feature);
        }
    }
}

std::string BuildDescription(Transport transport) {
    GenApiXmlWriter writer({"TevoldSimCamera", "Tevold", "Simulated area-scan camera",
                            "8c2f4f2e-5d3a-4b7e-9a61-2f0c7e4b1d01",
                            "3b9e6c1a-7f24-4e8d-b5c2-9d1a0e6f7a02"});
    const auto here = [&](const CameraFeature& feature) {
        return feature.transport == Transport::Any || feature.transport == transport;
    };
    // Categories in the order the table first names them.
    std::vector<std::string_view> categories;
    for (const CameraFeature& feature : CameraFeatures()) {
        if (std::find(categories.begin(), categories.end(), feature.category) == categories.end()) {
            categories.push_back(feature.category);
        }
    }
    writer.AddCategory("Root", categories);
    for (const std::string_view category : categories) {
        std::vector<std::string_view> members;
        for (const CameraFeature& feature : CameraFeatures()) {
            if (feature.category == category && here(feature) && !feature.node.invisible) {
                members.push_back(feature.node.name);
            }
        }
        if (category == "ChunkDataControl") {
            for (const ChunkFeature& chunk : ChunkFeatures()) {
                members.push_back(chunk.name);
            }
        }
        if (category == "EventControl") {
            for (const std::string& name : EventFeatureNames()) {
                members.push_back(name);
            }
        }
        writer.AddCategory(category, members);
    }
    for (const CameraFeature& feature : CameraFeatures()) {
        if (here(feature)) {
            writer.AddFeature(feature.node);
        }
    }
    std::vector<std::string> portNames;
    portNames.reserve(ChunkFeatures().size() + 4 * EventEntries().size());
    AddChunkFeatures(writer, transport == Transport::GigEVision, portNames);
    AddEventFeatures(writer, portNames);
    return writer.Finish();
}

}  // namespace

const std::string& CameraDescription(Transport transport) {
    static const std::string gev = BuildDescription(Transport::GigEVision);
    static const std::string u3v = BuildDescription(Transport::Usb3Vision);
    static const std::string other = BuildDescription(Transport::Any);
    switch (transport) {
        case Transport::GigEVision:
            return gev;
        case Transport::Usb3Vision:
            return u3v;
        default:
            return other;
    }
}

std::string CameraDescriptionUrl(Transport transport) {
    char url[128];
    std::snprintf(url, sizeof url, "Local:TevoldSimCamera.xml;%llx;%zx?SchemaVersion=1.1.0",
                  static_cast<unsigned long long>(CameraRegister::kDescription),
                  CameraDescription(transport).size());
    return url;
}

}  // namespace Tevold::Sim
