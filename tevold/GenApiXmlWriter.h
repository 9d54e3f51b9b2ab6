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

    explicit GenApiXmlWriter(const Header& header);

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
                         uint32_t length, RegisterAccess access, bool volatileValue);
    void Element(std::string_view tag, std::string_view value);

    std::string xml_;
};

}  // namespace Tevold
