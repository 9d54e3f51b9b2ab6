// A module's node map: one table of features, each with the function that reads its live value
// (and, if writable, the one that changes it). From the table come, once, the register layout
// and the GenApi register description that the module's port serves; reads and writes of the
// port's registers then run those functions, so a consumer's GenApi engine sees the module as it
// is at that moment.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "GenTL.h"

namespace GenICam::Client {

struct NodeMapFeature {
    enum class Kind { String, Integer, Boolean, Enumeration, Command };
    using Entries = std::vector<std::pair<std::string, int64_t>>;

    Kind kind = Kind::Integer;
    std::string category;
    std::string name;
    std::string toolTip;
    std::function<std::string()> readText;  // String
    std::function<int64_t()> readNumber;    // Integer, Boolean, Enumeration
    // Writable features: the new value; a Command is executed with 1.
    std::function<void(int64_t)> write;
    Entries entries;                       // Enumeration
    int64_t minimum = 0;                   // Integer
    int64_t maximum = INT64_MAX;           // Integer, unless readMaximum gives it
    std::function<int64_t()> readMaximum;  // a selector's live upper end
    std::vector<std::string> selected;     // a selector: the features it indexes
    std::string lockedBy;                  // a feature whose non-zero value locks this one
    uint32_t textLength = 256;             // bytes of a String's register, its NUL included

    static NodeMapFeature Text(std::string category, std::string name, std::string toolTip,
                               std::function<std::string()> read);
    static NodeMapFeature Number(std::string category, std::string name, std::string toolTip,
                                 std::function<int64_t()> read);
    static NodeMapFeature Flag(std::string category, std::string name, std::string toolTip,
                               std::function<bool()> read);
    static NodeMapFeature Choice(std::string category, std::string name, std::string toolTip,
                                 Entries entries, std::function<int64_t()> read);
    static NodeMapFeature Action(std::string category, std::string name, std::string toolTip,
                                 std::function<void()> execute);
    // The same feature with a longer text register, writable, or locked by another feature.
    NodeMapFeature Sized(uint32_t length) &&;
    NodeMapFeature Writable(std::function<void(int64_t)> change) &&;
    NodeMapFeature LockedBy(std::string feature) &&;

    // An index into a list of count() entries; the features it selects show that entry.
    static NodeMapFeature Selector(std::string category, std::string name, std::string toolTip,
                                   std::vector<std::string> selected, std::function<int64_t()> read,
                                   std::function<void(int64_t)> write,
                                   std::function<int64_t()> count);
};

class NodeMap {
public:
    // Where the port keeps the description and its registers; the registers follow one another
    // from registerBase and must not reach into the description.
    struct Layout {
        std::string fileName;  // of the description, in the port's URL
        std::string portName;  // the Port node, as the port reports PORT_INFO_PORTNAME
        std::string moduleName;
        std::string productGuid;
        std::string versionGuid;
        uint64_t descriptionAddress = 0;
        uint64_t registerBase = 0;
    };

    NodeMap(const Layout& layout, std::vector<NodeMapFeature> features);
    // The registers point into the feature table: moving keeps it, copying would not.
    NodeMap(NodeMap&&) = default;
    NodeMap(const NodeMap&) = delete;
    NodeMap& operator=(const NodeMap&) = delete;

    const std::string& Xml() const { return xml_; }
    // "Local:<file>;<address>;<length>", both numbers in lower-case hex.
    std::string Url() const;
    // Whether the address lies in the description or one of the registers.
    bool Contains(uint64_t address) const;
    // Reads within the description or within one register; InvalidAddressException elsewhere.
    void Read(uint64_t address, void* buffer, size_t* size) const;
    // Writes one writable register from its start; AccessDeniedException for the others.
    void Write(uint64_t address, const void* buffer, size_t* size) const;

private:
    struct Register {
        uint64_t address = 0;
        uint32_t length = 0;
        const NodeMapFeature* feature = nullptr;
        bool maximum = false;  // the selector's upper end, not its value
    };

    const Register* RegisterAt(uint64_t address, size_t size) const;
    std::string RegisterBytes(const Register& reg) const;
    void BuildXml(const Layout& layout);

    std::string fileName_;
    uint64_t descriptionAddress_;
    std::vector<NodeMapFeature> features_;
    std::vector<Register> registers_;
    std::string xml_;
};

// The GenTL transport-layer type names, as the TLType, InterfaceType, DeviceType and StreamType
// enumerations list them, and the entry of one such name (Custom for a name not listed).
NodeMapFeature::Entries TLTypeEntries();
int64_t TLTypeEntry(const std::string& tlType);

// DeviceAccessStatus: the DEVICE_ACCESS_STATUS values by their names.
NodeMapFeature::Entries AccessStatusEntries();

// The text or the number an information query gives, read as a consumer would.
using InfoQuery = std::function<void(GenTL::INFO_DATATYPE*, void*, size_t*)>;
std::string InfoText(const InfoQuery& query);
int64_t InfoNumber(const InfoQuery& query);

}  // namespace GenICam::Client
