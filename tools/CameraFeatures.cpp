#include "tools/CameraFeatures.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <functional>
#include <iomanip>
#include <memory>
#include <sstream>
#include <stdexcept>

#include "tools/GenTLError.h"

namespace Kavrin::Tools {

using namespace GenTL;

namespace {

struct ErrorFree {
    void operator()(GError* error) const { g_error_free(error); }
};
using ErrorPtr = std::unique_ptr<GError, ErrorFree>;

// Runs one engine call and turns a reported error into an exception that says what was asked.
template <typename Call>
auto Checked(const std::string& what, Call call) {
    GError* raw = nullptr;
    if constexpr (std::is_void_v<decltype(call(&raw))>) {
        call(&raw);
        if (ErrorPtr error{raw}) throw std::runtime_error(what + ": " + error->message);
    } else {
        auto result = call(&raw);
        if (ErrorPtr error{raw}) throw std::runtime_error(what + ": " + error->message);
        return result;
    }
}

std::string TypeName(ArvGcFeatureNode* feature) {
    if (ARV_IS_GC_CATEGORY(feature)) return "Category";
    if (ARV_IS_GC_ENUMERATION(feature)) return "Enumeration";
    if (ARV_IS_GC_BOOLEAN(feature)) return "Boolean";
    if (ARV_IS_GC_COMMAND(feature)) return "Command";
    if (ARV_IS_GC_STRING(feature)) return "String";
    if (ARV_IS_GC_FLOAT(feature)) return "Float";
    if (ARV_IS_GC_INTEGER(feature)) return "Integer";
    if (ARV_IS_GC_REGISTER(feature)) return "Register";
    return "Node";
}

// The access the feature offers now: none while it is not implemented or not available.
ArvGcAccessMode ActualAccess(ArvGcFeatureNode* feature) {
    if (!arv_gc_feature_node_is_implemented(feature, nullptr) ||
        !arv_gc_feature_node_is_available(feature, nullptr))
        return ARV_GC_ACCESS_MODE_UNDEFINED;
    return arv_gc_feature_node_get_actual_access_mode(feature);
}

std::string AccessName(ArvGcFeatureNode* feature) {
    if (!arv_gc_feature_node_is_implemented(feature, nullptr)) return "NI";
    if (!arv_gc_feature_node_is_available(feature, nullptr)) return "NA";
    switch (ActualAccess(feature)) {
        case ARV_GC_ACCESS_MODE_RO:
            return "RO";
        case ARV_GC_ACCESS_MODE_WO:
            return "WO";
        case ARV_GC_ACCESS_MODE_RW:
            return "RW";
        default:
            return "--";
    }
}

// Commands, categories and raw registers (those with no integer, float or string face) have no
// value to show.
bool HasValue(ArvGcFeatureNode* feature) {
    if (ARV_IS_GC_CATEGORY(feature) || ARV_IS_GC_COMMAND(feature)) return false;
    return !ARV_IS_GC_REGISTER(feature) || ARV_IS_GC_STRING(feature) || ARV_IS_GC_FLOAT(feature) ||
           ARV_IS_GC_INTEGER(feature);
}

bool Readable(ArvGcFeatureNode* feature) {
    const ArvGcAccessMode access = ActualAccess(feature);
    return (access == ARV_GC_ACCESS_MODE_RO || access == ARV_GC_ACCESS_MODE_RW) &&
           HasValue(feature);
}

bool Writable(ArvGcFeatureNode* feature) {
    const ArvGcAccessMode access = ActualAccess(feature);
    return (access == ARV_GC_ACCESS_MODE_WO || access == ARV_GC_ACCESS_MODE_RW) &&
           !ARV_IS_GC_CATEGORY(feature);
}

std::string CurrentValue(ArvGcFeatureNode* feature) {
    if (!Readable(feature)) return "";
    GError* raw = nullptr;
    // String registers answer only through their own interface.
    const char* value = ARV_IS_GC_STRING(feature) && !ARV_IS_GC_ENUMERATION(feature)
                            ? arv_gc_string_get_value(ARV_GC_STRING(feature), &raw)
                            : arv_gc_feature_node_get_value_as_string(feature, &raw);
    if (ErrorPtr error{raw}) return std::string("<") + error->message + ">";
    return value != nullptr ? value : "";
}

std::vector<std::string> EnumerationEntries(ArvGcEnumeration* enumeration) {
    guint count = 0;
    std::unique_ptr<const char*, void (*)(gpointer)> values(
        arv_gc_enumeration_dup_available_string_values(enumeration, &count, nullptr), g_free);
    return std::vector<std::string>(values.get(), values.get() + (values ? count : 0));
}

std::string Joined(const std::vector<std::string>& items) {
    std::string text;
    for (const auto& item : items) text += (text.empty() ? "" : ", ") + item;
    return text;
}

// What a feature accepts, e.g. "16..4096 in steps of 16" or "Mono8, Mono16"; empty if free text.
std::string ValidValues(ArvGcFeatureNode* feature) {
    std::ostringstream text;
    if (ARV_IS_GC_ENUMERATION(feature)) {
        text << Joined(EnumerationEntries(ARV_GC_ENUMERATION(feature)));
    } else if (ARV_IS_GC_BOOLEAN(feature)) {
        text << "true, false";
    } else if (ARV_IS_GC_COMMAND(feature)) {
        text << "execute";
    } else if (ARV_IS_GC_FLOAT(feature)) {
        auto* node = ARV_GC_FLOAT(feature);
        text << arv_gc_float_get_min(node, nullptr) << ".." << arv_gc_float_get_max(node, nullptr);
        if (const char* unit = arv_gc_float_get_unit(node); unit != nullptr && *unit != '\0')
            text << ' ' << unit;
    } else if (ARV_IS_GC_INTEGER(feature) && !ARV_IS_GC_STRING(feature)) {
        auto* node = ARV_GC_INTEGER(feature);
        text << arv_gc_integer_get_min(node, nullptr) << ".."
             << arv_gc_integer_get_max(node, nullptr);
        const int64_t increment = arv_gc_integer_get_inc(node, nullptr);
        if (increment > 1) text << " in steps of " << increment;
    }
    return text.str();
}

int64_t ParseInteger(const std::string& text, const std::string& setting) {
    errno = 0;
    char* end = nullptr;
    const long long value = std::strtoll(text.c_str(), &end, 0);
    if (text.empty() || *end != '\0' || errno == ERANGE) {
        throw std::runtime_error(setting + ": \"" + text + "\" is not an integer");
    }
    return value;
}

double ParseFloat(const std::string& text, const std::string& setting) {
    char* end = nullptr;
    const double value = std::strtod(text.c_str(), &end);
    if (text.empty() || *end != '\0' || !std::isfinite(value)) {
        throw std::runtime_error(setting + ": \"" + text + "\" is not a number");
    }
    return value;
}

bool ParseBoolean(std::string text, const std::string& setting) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return std::tolower(c); });
    if (text == "true" || text == "1" || text == "on") return true;
    if (text == "false" || text == "0" || text == "off") return false;
    throw std::runtime_error(setting + ": \"" + text +
                             "\" is not a boolean; valid values: true, false");
}

// The description's Streamable mark of a feature, if it has one.
ArvGcStreamable StreamableMark(ArvGcFeatureNode* feature) {
    for (ArvDomNode* child = arv_dom_node_get_first_child(ARV_DOM_NODE(feature)); child != nullptr;
         child = arv_dom_node_get_next_sibling(child)) {
        if (ARV_IS_GC_PROPERTY_NODE(child) &&
            arv_gc_property_node_get_node_type(ARV_GC_PROPERTY_NODE(child)) ==
                ARV_GC_PROPERTY_NODE_TYPE_STREAMABLE)
            return arv_gc_property_node_get_streamable(ARV_GC_PROPERTY_NODE(child),
                                                       ARV_GC_STREAMABLE_UNDEFINED);
    }
    return ARV_GC_STREAMABLE_UNDEFINED;
}

bool Selects(ArvGcFeatureNode* feature) {
    return ARV_IS_GC_SELECTOR(feature) && arv_gc_selector_is_selector(ARV_GC_SELECTOR(feature));
}

}  // namespace

CameraFeatures::CameraFeatures(GenTLProducer& gentl, PORT_HANDLE port, const std::string& xml) {
    const auto access = [&gentl, port](auto function, const char* call) {
        return [&gentl, port, function, call](uint64_t address, void* data, size_t size) {
            try {
                CheckGenTL(gentl, (gentl.*function)(port, address, data, &size), call);
                return std::string();
            } catch (const GenTLError& error) {
                return std::string(error.what());
            }
        };
    };
    device_ = MakeGenApiPortDevice(access(&GenTLProducer::GCReadPort, "GCReadPort"),
                                   access(&GenTLProducer::GCWritePort, "GCWritePort"));
    gc_ = ParseDescription(device_.get(), xml);
    if (!gc_ || !ARV_IS_GC_CATEGORY(arv_gc_get_node(gc_.get(), "Root"))) {
        throw std::runtime_error("the register description cannot be parsed");
    }
    arv_gc_set_range_check_policy(gc_.get(), ARV_RANGE_CHECK_POLICY_ENABLE);
    arv_gc_set_access_check_policy(gc_.get(), ARV_ACCESS_CHECK_POLICY_ENABLE);
}

ArvGcFeatureNode* CameraFeatures::Feature(const std::string& name) const {
    ArvGcNode* node = arv_gc_get_node(gc_.get(), name.c_str());
    return ARV_IS_GC_FEATURE_NODE(node) ? ARV_GC_FEATURE_NODE(node) : nullptr;
}

bool CameraFeatures::Has(const std::string& name) const {
    ArvGcFeatureNode* feature = Feature(name);
    return feature != nullptr && arv_gc_feature_node_is_implemented(feature, nullptr) &&
           arv_gc_feature_node_is_available(feature, nullptr);
}

void CameraFeatures::PrintTree(std::ostream& out) const {
    std::vector<std::string> visited;
    PrintCategory(out, "Root", 0, visited);
}

void CameraFeatures::PrintCategory(std::ostream& out, const std::string& name, int depth,
                                   std::vector<std::string>& visited) const {
    // A description may list a category under two parents; each is shown once.
    if (std::find(visited.begin(), visited.end(), name) != visited.end()) return;
    visited.push_back(name);
    ArvGcFeatureNode* category = Feature(name);
    if (depth > 0) out << std::string(2 * (depth - 1), ' ') << name << '\n';
    for (const GSList* item = arv_gc_category_get_features(ARV_GC_CATEGORY(category));
         item != nullptr; item = item->next) {
        const std::string child = static_cast<const char*>(item->data);
        ArvGcFeatureNode* feature = Feature(child);
        if (feature == nullptr) continue;
        if (ARV_IS_GC_CATEGORY(feature)) {
            PrintCategory(out, child, depth + 1, visited);
        } else {
            PrintFeature(out, feature, depth);
        }
    }
}

void CameraFeatures::PrintFeature(std::ostream& out, ArvGcFeatureNode* feature, int depth) const {
    out << std::string(2 * depth, ' ') << std::left << std::setw(std::max(1, 32 - 2 * depth))
        << arv_gc_feature_node_get_name(feature) << ' ' << std::setw(12) << TypeName(feature) << ' '
        << std::setw(3) << AccessName(feature) << ' ' << CurrentValue(feature) << '\n';
}

void CameraFeatures::PrintNamed(std::ostream& out, const std::vector<std::string>& names) const {
    for (const auto& name : names) {
        ArvGcFeatureNode* feature = Feature(name);
        if (feature == nullptr) throw std::runtime_error("unknown feature \"" + name + "\"");
        PrintFeature(out, feature, 0);
        if (const std::string valid = ValidValues(feature); !valid.empty()) {
            out << "    valid: " << valid << '\n';
        }
    }
}

void CameraFeatures::Walk(const std::string& category, std::vector<std::string>& visited,
                          std::vector<std::pair<std::string, std::string>>& found) const {
    if (std::find(visited.begin(), visited.end(), category) != visited.end()) return;
    visited.push_back(category);
    for (const GSList* item = arv_gc_category_get_features(ARV_GC_CATEGORY(Feature(category)));
         item != nullptr; item = item->next) {
        const std::string child = static_cast<const char*>(item->data);
        ArvGcFeatureNode* feature = Feature(child);
        if (feature == nullptr) continue;
        if (ARV_IS_GC_CATEGORY(feature)) {
            Walk(child, visited, found);
        } else {
            found.emplace_back(category, child);
        }
    }
}

std::vector<std::string> CameraFeatures::Names() const {
    std::vector<std::string> visited;
    std::vector<std::pair<std::string, std::string>> found;
    Walk("Root", visited, found);
    std::vector<std::string> names;
    for (const auto& [category, name] : found) {
        if (std::find(names.begin(), names.end(), name) == names.end()) names.push_back(name);
    }
    return names;
}

std::string CameraFeatures::ReadBack(const std::string& name) const {
    ArvGcFeatureNode* feature = Feature(name);
    if (feature == nullptr) throw std::runtime_error("unknown feature \"" + name + "\"");
    if (ARV_IS_GC_COMMAND(feature)) return "(executed)";
    if (!Readable(feature)) return "(not readable, access " + AccessName(feature) + ")";
    return CurrentValue(feature);
}

std::vector<std::string> CameraFeatures::SavedSettings() {
    const std::vector<std::string> names = Names();
    const bool marked = std::any_of(names.begin(), names.end(), [&](const std::string& name) {
        return StreamableMark(Feature(name)) == ARV_GC_STREAMABLE_YES;
    });
    const auto saved = [&](ArvGcFeatureNode* feature) {
        // The transport layer's lock is the grab's to take, not part of the camera's state.
        if (!Readable(feature) || !Writable(feature) || ARV_IS_GC_COMMAND(feature) ||
            std::string(arv_gc_feature_node_get_name(feature)) == "TLParamsLocked")
            return false;
        const ArvGcStreamable mark = StreamableMark(feature);
        return marked ? mark == ARV_GC_STREAMABLE_YES : mark != ARV_GC_STREAMABLE_NO;
    };
    // Features a selector selects are saved under each of its values, not on their own.
    std::vector<std::string> selected;
    for (const auto& name : names) {
        ArvGcFeatureNode* feature = Feature(name);
        if (!Selects(feature)) continue;
        for (const GSList* item = arv_gc_selector_get_selected_features(ARV_GC_SELECTOR(feature));
             item != nullptr; item = item->next)
            selected.push_back(arv_gc_feature_node_get_name(ARV_GC_FEATURE_NODE(item->data)));
    }
    std::vector<std::string> settings;
    for (const auto& name : names) {
        ArvGcFeatureNode* feature = Feature(name);
        if (std::find(selected.begin(), selected.end(), name) != selected.end()) continue;
        if (!Selects(feature) || !ARV_IS_GC_ENUMERATION(feature)) {
            if (saved(feature)) settings.push_back(name + "=" + CurrentValue(feature));
            continue;
        }
        const std::string current = CurrentValue(feature);
        for (const auto& entry : EnumerationEntries(ARV_GC_ENUMERATION(feature))) {
            Apply(name + "=" + entry);
            settings.push_back(name + "=" + entry);
            for (const GSList* item =
                     arv_gc_selector_get_selected_features(ARV_GC_SELECTOR(feature));
                 item != nullptr; item = item->next) {
                auto* target = ARV_GC_FEATURE_NODE(item->data);
                if (saved(target))
                    settings.push_back(std::string(arv_gc_feature_node_get_name(target)) + "=" +
                                       CurrentValue(target));
            }
        }
        Apply(name + "=" + current);
        settings.push_back(name + "=" + current);
    }
    return settings;
}

void CameraFeatures::WriteFeature(JsonWriter& json, ArvGcFeatureNode* feature,
                                  const std::string& category, bool withValid) const {
    json.BeginObject()
        .Member("name", std::string(arv_gc_feature_node_get_name(feature)))
        .Member("type", TypeName(feature))
        .Member("access", AccessName(feature));
    if (!category.empty()) json.Member("category", category);
    if (Readable(feature)) json.Member("value", CurrentValue(feature));
    if (withValid) {
        if (const std::string valid = ValidValues(feature); !valid.empty())
            json.Member("valid", valid);
    }
    json.EndObject();
}

void CameraFeatures::WriteTree(JsonWriter& json) const {
    std::vector<std::string> visited;
    std::vector<std::pair<std::string, std::string>> found;
    Walk("Root", visited, found);
    json.BeginArray();
    for (const auto& [category, name] : found) WriteFeature(json, Feature(name), category, false);
    json.EndArray();
}

void CameraFeatures::WriteNamed(JsonWriter& json, const std::vector<std::string>& names) const {
    for (const auto& name : names) {
        if (Feature(name) == nullptr) throw std::runtime_error("unknown feature \"" + name + "\"");
    }
    json.BeginArray();
    for (const auto& name : names) WriteFeature(json, Feature(name), "", true);
    json.EndArray();
}

std::vector<std::string> CameraFeatures::SettableFeatures() const {
    std::vector<std::string> names;
    std::vector<std::string> pending{"Root"};
    std::vector<std::string> seen;
    while (!pending.empty()) {
        const std::string name = pending.back();
        pending.pop_back();
        if (std::find(seen.begin(), seen.end(), name) != seen.end()) continue;
        seen.push_back(name);
        ArvGcFeatureNode* feature = Feature(name);
        if (feature == nullptr) continue;
        if (ARV_IS_GC_CATEGORY(feature)) {
            for (const GSList* item = arv_gc_category_get_features(ARV_GC_CATEGORY(feature));
                 item != nullptr; item = item->next) {
                pending.push_back(static_cast<const char*>(item->data));
            }
        } else if (Writable(feature)) {
            names.push_back(name);
        }
    }
    std::sort(names.begin(), names.end());
    return names;
}

void CameraFeatures::Apply(const std::string& setting) {
    const size_t equals = setting.find('=');
    if (equals == std::string::npos || equals == 0) {
        throw std::runtime_error("\"" + setting + "\" is not a Feature=Value setting");
    }
    const std::string name = setting.substr(0, equals);
    const std::string value = setting.substr(equals + 1);
    ArvGcFeatureNode* feature = Feature(name);
    if (feature == nullptr || ARV_IS_GC_CATEGORY(feature)) {
        throw std::runtime_error("unknown feature \"" + name +
                                 "\"; settable features: " + Joined(SettableFeatures()));
    }
    if (!Writable(feature)) {
        throw std::runtime_error(name + " cannot be set (access " + AccessName(feature) + ")");
    }
    try {
        Checked(setting, [&](GError** error) {
            if (ARV_IS_GC_ENUMERATION(feature)) {
                const auto entries = EnumerationEntries(ARV_GC_ENUMERATION(feature));
                if (std::find(entries.begin(), entries.end(), value) == entries.end()) {
                    throw std::runtime_error(name + " has no value \"" + value + "\"");
                }
                arv_gc_enumeration_set_string_value(ARV_GC_ENUMERATION(feature), value.c_str(),
                                                    error);
            } else if (ARV_IS_GC_BOOLEAN(feature)) {
                arv_gc_boolean_set_value(ARV_GC_BOOLEAN(feature), ParseBoolean(value, setting),
                                         error);
            } else if (ARV_IS_GC_COMMAND(feature)) {
                arv_gc_command_execute(ARV_GC_COMMAND(feature), error);
            } else if (ARV_IS_GC_STRING(feature)) {
                arv_gc_string_set_value(ARV_GC_STRING(feature), value.c_str(), error);
            } else if (ARV_IS_GC_FLOAT(feature)) {
                arv_gc_float_set_value(ARV_GC_FLOAT(feature), ParseFloat(value, setting), error);
            } else if (ARV_IS_GC_INTEGER(feature)) {
                arv_gc_integer_set_value(ARV_GC_INTEGER(feature), ParseInteger(value, setting),
                                         error);
            } else {
                arv_gc_feature_node_set_value_from_string(feature, value.c_str(), error);
            }
        });
    } catch (const std::runtime_error& error) {
        const std::string valid = ValidValues(feature);
        throw std::runtime_error(std::string(error.what()) +
                                 (valid.empty() ? "" : "; valid values: " + valid));
    }
}

std::string CameraFeatures::Value(const std::string& name) const {
    ArvGcFeatureNode* feature = Feature(name);
    if (feature == nullptr) throw std::runtime_error("unknown feature \"" + name + "\"");
    const char* value = Checked("reading " + name, [&](GError** error) {
        return arv_gc_feature_node_get_value_as_string(feature, error);
    });
    return value != nullptr ? value : "";
}

int64_t CameraFeatures::Integer(const std::string& name) const {
    ArvGcFeatureNode* feature = Feature(name);
    if (!ARV_IS_GC_INTEGER(feature)) throw std::runtime_error(name + " is not an integer feature");
    return Checked("reading " + name, [&](GError** error) {
        return arv_gc_integer_get_value(ARV_GC_INTEGER(feature), error);
    });
}

std::vector<std::string> CameraFeatures::Entries(const std::string& name) const {
    ArvGcFeatureNode* feature = Feature(name);
    if (!ARV_IS_GC_ENUMERATION(feature))
        throw std::runtime_error(name + " is not an enumeration feature");
    return EnumerationEntries(ARV_GC_ENUMERATION(feature));
}

void CameraFeatures::SetInteger(const std::string& name, int64_t value) {
    ArvGcFeatureNode* feature = Feature(name);
    if (!ARV_IS_GC_INTEGER(feature)) throw std::runtime_error(name + " is not an integer feature");
    Checked("setting " + name, [&](GError** error) {
        arv_gc_integer_set_value(ARV_GC_INTEGER(feature), value, error);
    });
}

void CameraFeatures::Execute(const std::string& name) {
    ArvGcFeatureNode* feature = Feature(name);
    if (!ARV_IS_GC_COMMAND(feature)) throw std::runtime_error(name + " is not a command");
    Checked("executing " + name,
            [&](GError** error) { arv_gc_command_execute(ARV_GC_COMMAND(feature), error); });
}

}  // namespace Kavrin::Tools
