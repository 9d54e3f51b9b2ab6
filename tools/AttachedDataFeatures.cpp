#include "tools/AttachedDataFeatures.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <set>
#include <stdexcept>

namespace Kavrin::Tools {

namespace {

struct AttachedIds {
    std::set<uint64_t> chunks;
    std::set<uint64_t> events;
};

// The pointers along which a feature's value is read; availability, locks, selection and
// limits are left out, as they come from the camera's own registers.
bool ReadsThrough(ArvGcPropertyNodeType type) {
    switch (type) {
        case ARV_GC_PROPERTY_NODE_TYPE_P_VALUE:
        case ARV_GC_PROPERTY_NODE_TYPE_P_ADDRESS:
        case ARV_GC_PROPERTY_NODE_TYPE_P_INDEX:
        case ARV_GC_PROPERTY_NODE_TYPE_P_LENGTH:
        case ARV_GC_PROPERTY_NODE_TYPE_P_PORT:
        case ARV_GC_PROPERTY_NODE_TYPE_P_VARIABLE:
        case ARV_GC_PROPERTY_NODE_TYPE_P_VALUE_INDEXED:
        case ARV_GC_PROPERTY_NODE_TYPE_P_VALUE_DEFAULT:
            return true;
        default:
            return false;
    }
}

// A port's ChunkID and EventID, hexadecimal in the description.
void AddPortIds(ArvGcNode* port, AttachedIds& ids) {
    for (ArvDomNode* child = arv_dom_node_get_first_child(ARV_DOM_NODE(port)); child != nullptr;
         child = arv_dom_node_get_next_sibling(child)) {
        if (!ARV_IS_GC_PROPERTY_NODE(child)) continue;
        auto* property = ARV_GC_PROPERTY_NODE(child);
        const ArvGcPropertyNodeType type = arv_gc_property_node_get_node_type(property);
        if (type != ARV_GC_PROPERTY_NODE_TYPE_CHUNK_ID &&
            type != ARV_GC_PROPERTY_NODE_TYPE_EVENT_ID)
            continue;
        const char* text = arv_gc_property_node_get_string(property, nullptr);
        if (text == nullptr) continue;
        const uint64_t id = std::strtoull(text, nullptr, 16);
        (type == ARV_GC_PROPERTY_NODE_TYPE_CHUNK_ID ? ids.chunks : ids.events).insert(id);
    }
}

void CollectIds(ArvGcNode* node, std::set<ArvGcNode*>& visited, AttachedIds& ids) {
    if (node == nullptr || !visited.insert(node).second) return;
    if (ARV_IS_GC_PORT(node)) {
        AddPortIds(node, ids);
        return;
    }
    for (ArvDomNode* child = arv_dom_node_get_first_child(ARV_DOM_NODE(node)); child != nullptr;
         child = arv_dom_node_get_next_sibling(child)) {
        if (!ARV_IS_GC_PROPERTY_NODE(child)) continue;
        auto* property = ARV_GC_PROPERTY_NODE(child);
        if (ReadsThrough(arv_gc_property_node_get_node_type(property)))
            CollectIds(arv_gc_property_node_get_linked_node(property), visited, ids);
    }
}

// The description with every chunk and event port a plain port of the device.
std::string WithPlainPorts(std::string xml) {
    for (const std::string element : {"ChunkID", "EventID"}) {
        const std::string open = "<" + element + ">";
        const std::string close = "</" + element + ">";
        for (size_t start = xml.find(open); start != std::string::npos;
             start = xml.find(open, start)) {
            const size_t end = xml.find(close, start);
            if (end == std::string::npos) break;
            xml.erase(start, end + close.size() - start);
        }
    }
    return xml;
}

}  // namespace

AttachedDataFeatures::AttachedDataFeatures(const std::string& xml,
                                           const std::vector<std::string>& featureNames) {
    const auto refuse = [](uint64_t, void*, size_t) { return std::string("no register space"); };
    {
        ArvDevicePtr device = MakeGenApiPortDevice(refuse, refuse);
        ArvGcPtr original = ParseDescription(device.get(), xml);
        if (!original) throw std::runtime_error("the register description cannot be parsed");
        for (const auto& name : featureNames) {
            ArvGcNode* node = arv_gc_get_node(original.get(), name.c_str());
            if (!ARV_IS_GC_FEATURE_NODE(node) || ARV_IS_GC_CATEGORY(node)) continue;
            std::set<ArvGcNode*> visited;
            AttachedIds ids;
            CollectIds(node, visited, ids);
            for (uint64_t id : ids.chunks) chunks_[id].push_back(name);
            for (uint64_t id : ids.events) events_[id].push_back(name);
        }
    }
    device_ = MakeGenApiPortDevice(
        [this](uint64_t address, void* data, size_t size) {
            if (data_ == nullptr || address > size_ || size > size_ - address)
                return std::string("the data holds no bytes at " + std::to_string(address));
            std::memcpy(data, data_ + address, size);
            return std::string();
        },
        refuse);
    gc_ = ParseDescription(device_.get(), WithPlainPorts(xml));
    if (!gc_) throw std::runtime_error("the register description cannot be parsed");
    // Every read is of new data.
    arv_gc_set_register_cache_policy(gc_.get(), ARV_REGISTER_CACHE_POLICY_DISABLE);
}

std::vector<std::string> AttachedDataFeatures::ChunkFeatures(uint64_t chunkId) const {
    const auto found = chunks_.find(chunkId);
    return found == chunks_.end() ? std::vector<std::string>() : found->second;
}

std::vector<std::string> AttachedDataFeatures::EventFeatures(uint64_t eventId) const {
    const auto found = events_.find(eventId);
    return found == events_.end() ? std::vector<std::string>() : found->second;
}

std::string AttachedDataFeatures::Read(const std::string& name, const uint8_t* data, size_t size) {
    ArvGcNode* node = arv_gc_get_node(gc_.get(), name.c_str());
    if (!ARV_IS_GC_FEATURE_NODE(node)) return "<unknown feature>";
    data_ = data;
    size_ = size;
    GError* error = nullptr;
    const char* value = arv_gc_feature_node_get_value_as_string(ARV_GC_FEATURE_NODE(node), &error);
    data_ = nullptr;
    size_ = 0;
    if (error != nullptr) {
        const std::string text = std::string("<") + error->message + ">";
        g_error_free(error);
        return text;
    }
    return value != nullptr ? value : "";
}

}  // namespace Kavrin::Tools
