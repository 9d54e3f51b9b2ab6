#include "common/NodeMap.h"

#include <algorithm>
#include <cstring>

#include "common/GenICamException.h"
#include "common/Helper.h"
#include "common/NodeMapXmlWriter.h"

namespace GenICam::Client {

namespace {
constexpr uint32_t kNumberLength = 8;

std::string RegisterName(const std::string& feature) { return feature + "Reg"; }
std::string MaximumRegisterName(const std::string& feature) { return feature + "MaxReg"; }

uint32_t Aligned(uint32_t length) { return (length + 7) / 8 * 8; }

unsigned long long Printable(uint64_t address) { return static_cast<unsigned long long>(address); }
}  // namespace

NodeMapFeature NodeMapFeature::Text(std::string category, std::string name, std::string toolTip,
                                    std::function<std::string()> read) {
    NodeMapFeature feature;
    feature.kind = Kind::String;
    feature.category = std::move(category);
    feature.name = std::move(name);
    feature.toolTip = std::move(toolTip);
    feature.readText = std::move(read);
    return feature;
}

NodeMapFeature NodeMapFeature::Number(std::string category, std::string name, std::string toolTip,
                                      std::function<int64_t()> read) {
    NodeMapFeature feature;
    feature.kind = Kind::Integer;
    feature.category = std::move(category);
    feature.name = std::move(name);
    feature.toolTip = std::move(toolTip);
    feature.readNumber = std::move(read);
    return feature;
}

NodeMapFeature NodeMapFeature::Flag(std::string category, std::string name, std::string toolTip,
                                    std::function<bool()> read) {
    NodeMapFeature feature = Number(std::move(category), std::move(name), std::move(toolTip),
                                    [read = std::move(read)] { return read() ? 1 : 0; });
    feature.kind = Kind::Boolean;
    return feature;
}

NodeMapFeature NodeMapFeature::Choice(std::string category, std::string name, std::string toolTip,
                                      Entries entries, std::function<int64_t()> read) {
    NodeMapFeature feature =
        Number(std::move(category), std::move(name), std::move(toolTip), std::move(read));
    feature.kind = Kind::Enumeration;
    feature.entries = std::move(entries);
    return feature;
}

NodeMapFeature NodeMapFeature::Action(std::string category, std::string name, std::string toolTip,
                                      std::function<void()> execute) {
    // A command reads as done at once: it runs to its end within the write.
    NodeMapFeature feature =
        Number(std::move(category), std::move(name), std::move(toolTip), [] { return 0; });
    feature.kind = Kind::Command;
    feature.write = [execute = std::move(execute)](int64_t value) {
        if (value != 0) execute();
    };
    return feature;
}

NodeMapFeature NodeMapFeature::Sized(uint32_t length) && {
    textLength = length;
    return std::move(*this);
}

NodeMapFeature NodeMapFeature::Writable(std::function<void(int64_t)> change) && {
    write = std::move(change);
    return std::move(*this);
}

NodeMapFeature NodeMapFeature::LockedBy(std::string feature) && {
    lockedBy = std::move(feature);
    return std::move(*this);
}

NodeMapFeature NodeMapFeature::Selector(std::string category, std::string name, std::string toolTip,
                                        std::vector<std::string> selected,
                                        std::function<int64_t()> read,
                                        std::function<void(int64_t)> write,
                                        std::function<int64_t()> count) {
    NodeMapFeature feature =
        Number(std::move(category), std::move(name), std::move(toolTip), std::move(read));
    feature.write = std::move(write);
    feature.selected = std::move(selected);
    // An empty list still has the index 0, which then selects nothing.
    feature.readMaximum = [count = std::move(count)] { return std::max<int64_t>(count() - 1, 0); };
    return feature;
}

NodeMap::NodeMap(const Layout& layout, std::vector<NodeMapFeature> features)
    : fileName_(layout.fileName),
      descriptionAddress_(layout.descriptionAddress),
      features_(std::move(features)) {
    uint64_t next = layout.registerBase;
    for (const NodeMapFeature& feature : features_) {
        const uint32_t length =
            feature.kind == NodeMapFeature::Kind::String ? feature.textLength : kNumberLength;
        registers_.push_back({next, length, &feature, false});
        next += Aligned(length);
        if (feature.readMaximum) {
            registers_.push_back({next, kNumberLength, &feature, true});
            next += kNumberLength;
        }
    }
    BuildXml(layout);
    const uint64_t descriptionEnd = descriptionAddress_ + xml_.size();
    if (descriptionAddress_ < next && layout.registerBase < descriptionEnd)
        GENICAM_THROW(RuntimeException, "The %s registers overlap their description",
                      layout.moduleName.c_str());
}

void NodeMap::BuildXml(const Layout& layout) {
    NodeMapXmlWriter writer({layout.moduleName, VendorName(),
                             layout.moduleName + " module of the " + ModelName() + " producer",
                             layout.productGuid, layout.versionGuid},
                            layout.portName);
    std::vector<std::string> categories;
    for (const NodeMapFeature& feature : features_)
        if (std::find(categories.begin(), categories.end(), feature.category) == categories.end())
            categories.push_back(feature.category);
    writer.Category("Root", categories);
    for (const std::string& category : categories) {
        std::vector<std::string> names;
        for (const NodeMapFeature& feature : features_)
            if (feature.category == category) names.push_back(feature.name);
        writer.Category(category, names);
    }
    for (const Register& reg : registers_) {
        const NodeMapFeature& feature = *reg.feature;
        const bool writable = feature.write != nullptr && !reg.maximum;
        if (feature.kind == NodeMapFeature::Kind::String) {
            writer.StringRegister(feature.name, feature.toolTip, reg.address, reg.length, false);
            continue;
        }
        writer.IntegerRegister(
            reg.maximum ? MaximumRegisterName(feature.name) : RegisterName(feature.name),
            reg.address, writable);
        if (reg.maximum) continue;
        const NodeMapXmlWriter::Links links{
            feature.toolTip, feature.lockedBy.empty() ? "" : RegisterName(feature.lockedBy),
            feature.selected};
        const std::string value = RegisterName(feature.name);
        switch (feature.kind) {
            case NodeMapFeature::Kind::Integer:
                writer.Integer(feature.name, links, value, feature.minimum, feature.maximum,
                               feature.readMaximum ? MaximumRegisterName(feature.name) : "");
                break;
            case NodeMapFeature::Kind::Boolean:
                writer.Boolean(feature.name, links, value);
                break;
            case NodeMapFeature::Kind::Enumeration:
                writer.Enumeration(feature.name, links, feature.entries, value);
                break;
            case NodeMapFeature::Kind::Command:
                writer.Command(feature.name, links, value);
                break;
            case NodeMapFeature::Kind::String:
                break;
        }
    }
    xml_ = writer.Finish();
}

std::string NodeMap::Url() const {
    return ModuleUrl(fileName_.c_str(), static_cast<uint32_t>(descriptionAddress_),
                     static_cast<uint32_t>(xml_.size()));
}

bool NodeMap::Contains(uint64_t address) const {
    return (address >= descriptionAddress_ && address - descriptionAddress_ < xml_.size()) ||
           RegisterAt(address, 1) != nullptr;
}

const NodeMap::Register* NodeMap::RegisterAt(uint64_t address, size_t size) const {
    for (const Register& reg : registers_)
        if (address >= reg.address && address - reg.address < reg.length &&
            size <= reg.length - (address - reg.address))
            return &reg;
    return nullptr;
}

std::string NodeMap::RegisterBytes(const Register& reg) const {
    std::string bytes(reg.length, '\0');
    const NodeMapFeature& feature = *reg.feature;
    if (feature.kind == NodeMapFeature::Kind::String) {
        const std::string text = feature.readText();
        std::memcpy(bytes.data(), text.data(), std::min<size_t>(text.size(), reg.length - 1));
        return bytes;
    }
    const auto value =
        static_cast<uint64_t>(reg.maximum ? feature.readMaximum() : feature.readNumber());
    for (uint32_t i = 0; i < kNumberLength; ++i)
        bytes[i] = static_cast<char>(value >> (8 * i) & 0xFF);
    return bytes;
}

void NodeMap::Read(uint64_t address, void* buffer, size_t* size) const {
    if (size == nullptr) GENICAM_THROW(InvalidParameterException, "Invalid Size");
    if (buffer == nullptr && *size != 0) GENICAM_THROW(InvalidParameterException, "Invalid Buffer");
    if (address >= descriptionAddress_ && address - descriptionAddress_ <= xml_.size() &&
        *size <= xml_.size() - (address - descriptionAddress_)) {
        if (*size != 0) std::memcpy(buffer, xml_.data() + (address - descriptionAddress_), *size);
        return;
    }
    const Register* reg = RegisterAt(address, *size);
    if (reg == nullptr)
        GENICAM_THROW(InvalidAddressException, "Register 0x%llX is not implemented",
                      Printable(address));
    const std::string bytes = RegisterBytes(*reg);
    if (*size != 0) std::memcpy(buffer, bytes.data() + (address - reg->address), *size);
}

void NodeMap::Write(uint64_t address, const void* buffer, size_t* size) const {
    if (size == nullptr) GENICAM_THROW(InvalidParameterException, "Invalid Size");
    if (buffer == nullptr) GENICAM_THROW(InvalidParameterException, "Invalid Buffer");
    const Register* reg = RegisterAt(address, *size);
    if (reg == nullptr) {
        if (Contains(address))
            GENICAM_THROW(AccessDeniedException, "Register 0x%llX is not writable.",
                          Printable(address));
        GENICAM_THROW(InvalidAddressException, "Register 0x%llX is not implemented",
                      Printable(address));
    }
    const NodeMapFeature& feature = *reg->feature;
    if (feature.write == nullptr || reg->maximum || address != reg->address || *size == 0)
        GENICAM_THROW(AccessDeniedException, "Register 0x%llX is not writable.",
                      Printable(address));
    uint64_t raw = 0;
    const auto* bytes = static_cast<const unsigned char*>(buffer);
    for (size_t i = 0; i < *size; ++i) raw |= uint64_t{bytes[i]} << (8 * i);
    const auto value = static_cast<int64_t>(raw);
    switch (feature.kind) {
        case NodeMapFeature::Kind::Enumeration:
            if (std::none_of(feature.entries.begin(), feature.entries.end(),
                             [&](const auto& entry) { return entry.second == value; }))
                GENICAM_THROW(InvalidParameterException, "%s has no entry of value %lld",
                              feature.name.c_str(), static_cast<long long>(value));
            break;
        case NodeMapFeature::Kind::Integer: {
            const int64_t maximum = feature.readMaximum ? feature.readMaximum() : feature.maximum;
            if (value < feature.minimum || value > maximum)
                GENICAM_THROW(InvalidParameterException, "%s takes %lld to %lld, not %lld",
                              feature.name.c_str(), static_cast<long long>(feature.minimum),
                              static_cast<long long>(maximum), static_cast<long long>(value));
            break;
        }
        default:
            break;
    }
    feature.write(value);
}

NodeMapFeature::Entries TLTypeEntries() {
    return {{"GEV", 1}, {"CL", 2},       {"IIDC", 3}, {"UVC", 4},    {"CXP", 5},    {"CLHS", 6},
            {"U3V", 7}, {"Ethernet", 8}, {"PCI", 9},  {"Mixed", 10}, {"Custom", 11}};
}

int64_t TLTypeEntry(const std::string& tlType) {
    const auto entries = TLTypeEntries();
    const auto found = std::find_if(entries.begin(), entries.end(),
                                    [&](const auto& entry) { return entry.first == tlType; });
    return found != entries.end() ? found->second : entries.back().second;
}

NodeMapFeature::Entries AccessStatusEntries() {
    return {{"Unknown", GenTL::DEVICE_ACCESS_STATUS_UNKNOWN},
            {"ReadWrite", GenTL::DEVICE_ACCESS_STATUS_READWRITE},
            {"ReadOnly", GenTL::DEVICE_ACCESS_STATUS_READONLY},
            {"NoAccess", GenTL::DEVICE_ACCESS_STATUS_NOACCESS},
            {"Busy", GenTL::DEVICE_ACCESS_STATUS_BUSY},
            {"OpenReadWrite", GenTL::DEVICE_ACCESS_STATUS_OPEN_READWRITE},
            {"OpenReadOnly", GenTL::DEVICE_ACCESS_STATUS_OPEN_READONLY}};
}

std::string InfoText(const InfoQuery& query) {
    constexpr size_t kCapacity = 1024;
    return ReadLibraryText(kCapacity, [&](char* text, size_t* size) {
        GenTL::INFO_DATATYPE type = GenTL::INFO_DATATYPE_UNKNOWN;
        query(&type, text, size);
    });
}

int64_t InfoNumber(const InfoQuery& query) {
    unsigned char bytes[8] = {};
    size_t size = sizeof bytes;
    GenTL::INFO_DATATYPE type = GenTL::INFO_DATATYPE_UNKNOWN;
    query(&type, bytes, &size);
    switch (type) {
        case GenTL::INFO_DATATYPE_INT32: {
            int32_t value = 0;
            std::memcpy(&value, bytes, sizeof value);
            return value;
        }
        case GenTL::INFO_DATATYPE_UINT32: {
            uint32_t value = 0;
            std::memcpy(&value, bytes, sizeof value);
            return value;
        }
        case GenTL::INFO_DATATYPE_BOOL8:
            return bytes[0] != 0 ? 1 : 0;
        default: {
            uint64_t value = 0;
            std::memcpy(&value, bytes, std::min(size, sizeof value));
            return static_cast<int64_t>(value);
        }
    }
}

}  // namespace GenICam::Client
