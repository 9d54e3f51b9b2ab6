#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace Tevold {

enum class RegisterAccess { ReadOnly, WriteOnly, ReadWrite };

// Writes a GenICam register description (GenApi schema 1.1) whose registers all sit on one port
// named "Device", little-endian. Each value feature gets a register node named <feature>Reg.
class GenApiXmlWriter {
public:
    struct Header {
        std::string_view modelName;
        std::string_view vendorName;
        std::string_view toolTip;
        std::string_view productGuid;
        std::string_view versionGuid;
    };

    struct IntegerFeature {
        std::string_view name;
        std::string_view toolTip;
        uint64_t address = 0;
        RegisterAccess access = RegisterAccess::ReadWrite;
        int64_t min = 0;
        int64_t max = 0;
        int64_t inc = 1;
        std::string_view lockedBy;   // feature whose non-zero value locks this one, or empty
        bool volatileValue = false;  // the camera changes it by itself: never cache
    };

    struct EnumerationFeature {
        std::string_view name;
        std::string_view toolTip;
        uint64_t address = 0;
        std::vector<std::pair<std::string_view, uint32_t>> entries;
        std::string_view lockedBy;
    };

    struct FloatFeature {
        std::string_view name;
        std::string_view toolTip;
        uint64_t address = 0;
        double min = 0;
        double max = 0;
        std::string_view unit;
    };

    // A feature of any kind over one register, for descriptions built from a table.
    enum class Kind { Integer, Boolean, Enumeration, Command, Float, Text };
    struct Feature {
        Kind kind = Kind::Integer;
        std::string_view name;
        std::string_view toolTip;
        uint64_t address = 0;
        uint32_t length = 4;
        RegisterAccess access = RegisterAccess::ReadWrite;
        double min = 0;
        double max = 0;
        double inc = 0;         // integers: the step; floats: 0 for none
        std::string_view pMax;  // node that gives the maximum instead of max
        std::string_view unit;
        std::vector<std::pair<std::string_view, uint32_t>> entries;
        std::vector<std::string_view> selected;  // features this one selects
        std::string_view lockedBy;
        std::string_view port = "Device";
        bool bigEndian = false;
        bool volatileValue = false;
        bool invisible = false;  // only a register node named name, for another feature's pMax
    };
    // A port whose registers are the data of one chunk or one event.
    enum class PortKind { Chunk, Event };

    explicit GenApiXmlWriter(const Header& header);

    void AddFeature(const Feature& feature);
    void AddPort(std::string_view name, PortKind kind, uint32_t id);
    // A read-only integer that always has this value.
    void AddConstant(std::string_view name, std::string_view toolTip, int64_t value);

    void AddCategory(std::string_view name, const std::vector<std::string_view>& features);
    void AddString(std::string_view name, std::string_view toolTip, uint64_t address,
                   uint32_t length, RegisterAccess access);
    void AddInteger(const IntegerFeature& feature);
    void AddEnumeration(const EnumerationFeature& feature);
    void AddCommand(std::string_view name, std::string_view toolTip, uint64_t address,
                    uint32_t commandValue);
    void AddFloat(const FloatFeature& feature);
    // The description, complete with its port.
    std::string Finish();

private:
    // Features carry standard feature names; the register and port nodes behind them are ours.
    enum class NameSpace { Standard, Custom };

    void OpenNode(std::string_view type, std::string_view name, NameSpace nameSpace,
                  std::string_view toolTip = {}, std::string_view lockedBy = {});
    void CloseNode(std::string_view type);
    void AddRegisterNode(std::string_view type, std::string_view name, uint64_t address,
                         uint32_t length, RegisterAccess access, bool volatileValue,
                         std::string_view port = "Device", bool bigEndian = false);
    void Element(std::string_view tag, std::string_view value);

    std::string xml_;
};

}  // namespace Tevold
