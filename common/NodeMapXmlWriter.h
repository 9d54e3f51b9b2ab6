// Writes the GenApi register description (schema 1.1) of a module's node map: categories,
// features and the hidden little-endian registers behind them, all on one port.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace GenICam::Client {

class NodeMapXmlWriter {
public:
    struct Header {
        std::string modelName;
        std::string vendorName;
        std::string toolTip;
        std::string productGuid;
        std::string versionGuid;
    };

    // What a feature node refers to besides its value register.
    struct Links {
        std::string toolTip;
        std::string lockedBy;               // a register whose non-zero value locks the feature
        std::vector<std::string> selected;  // the features a selector indexes
    };

    NodeMapXmlWriter(const Header& header, std::string portName);

    void Category(const std::string& name, const std::vector<std::string>& features);
    void StringRegister(const std::string& name, const std::string& toolTip, uint64_t address,
                        uint32_t length, bool writable);
    // An Integer over its register; maximumRegister, when not empty, gives the live maximum.
    void Integer(const std::string& name, const Links& links, const std::string& valueRegister,
                 int64_t minimum, int64_t maximum, const std::string& maximumRegister);
    void Boolean(const std::string& name, const Links& links, const std::string& valueRegister);
    void Enumeration(const std::string& name, const Links& links,
                     const std::vector<std::pair<std::string, int64_t>>& entries,
                     const std::string& valueRegister);
    void Command(const std::string& name, const Links& links, const std::string& valueRegister);
    // A hidden 8-byte unsigned register that is read afresh on every access.
    void IntegerRegister(const std::string& name, uint64_t address, bool writable);
    // The description, closed with its port.
    std::string Finish();

private:
    void Open(const std::string& type, const std::string& name, bool standard);
    void Close(const std::string& type);
    void Element(const std::string& tag, const std::string& value);
    void Common(const Links& links);

    std::string xml_;
    std::string portName_;
};

// The text with &, <, > and " written as XML entities.
std::string XmlEscaped(const std::string& text);

}  // namespace GenICam::Client
