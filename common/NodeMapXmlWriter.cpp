#include "common/NodeMapXmlWriter.h"

#include "common/GenICamException.h"

namespace GenICam::Client {

namespace {
std::string Hex(uint64_t value) {
    return FormatMessage("0x%llx", static_cast<unsigned long long>(value));
}
}  // namespace

std::string XmlEscaped(const std::string& text) {
    std::string escaped;
    escaped.reserve(text.size());
    for (const char c : text) {
        switch (c) {
            case '&':
                escaped += "&amp;";
                break;
            case '<':
                escaped += "&lt;";
                break;
            case '>':
                escaped += "&gt;";
                break;
            case '"':
                escaped += "&quot;";
                break;
            default:
                escaped += c;
        }
    }
    return escaped;
}

NodeMapXmlWriter::NodeMapXmlWriter(const Header& header, std::string portName)
    : portName_(std::move(portName)) {
    xml_ += "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n";
    xml_ += "<RegisterDescription ModelName=\"" + XmlEscaped(header.modelName) +
            "\" VendorName=\"" + XmlEscaped(header.vendorName) + "\" ToolTip=\"" +
            XmlEscaped(header.toolTip) +
            "\" StandardNameSpace=\"None\""
            " SchemaMajorVersion=\"1\" SchemaMinorVersion=\"1\" SchemaSubMinorVersion=\"0\""
            " MajorVersion=\"1\" MinorVersion=\"0\" SubMinorVersion=\"0\" ProductGuid=\"" +
            header.productGuid + "\" VersionGuid=\"" + header.versionGuid +
            "\"\n  xmlns=\"http://www.genicam.org/GenApi/Version_1_1\""
            "\n  xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\""
            "\n  xsi:schemaLocation=\"http://www.genicam.org/GenApi/Version_1_1"
            " http://www.genicam.org/GenApi/GenApiSchema_Version_1_1.xsd\">\n";
}

void NodeMapXmlWriter::Category(const std::string& name, const std::vector<std::string>& features) {
    Open("Category", name, true);
    for (const auto& feature : features) Element("pFeature", feature);
    Close("Category");
}

void NodeMapXmlWriter::StringRegister(const std::string& name, const std::string& toolTip,
                                      uint64_t address, uint32_t length, bool writable) {
    Open("StringReg", name, true);
    if (!toolTip.empty()) Element("ToolTip", toolTip);
    Element("Address", Hex(address));
    Element("Length", std::to_string(length));
    Element("AccessMode", writable ? "RW" : "RO");
    Element("pPort", portName_);
    Element("Cachable", "NoCache");
    Close("StringReg");
}

void NodeMapXmlWriter::Common(const Links& links) {
    if (!links.toolTip.empty()) Element("ToolTip", links.toolTip);
    if (!links.lockedBy.empty()) Element("pIsLocked", links.lockedBy);
}

void NodeMapXmlWriter::Integer(const std::string& name, const Links& links,
                               const std::string& valueRegister, int64_t minimum, int64_t maximum,
                               const std::string& maximumRegister) {
    Open("Integer", name, true);
    Common(links);
    for (const auto& selected : links.selected) Element("pSelected", selected);
    Element("pValue", valueRegister);
    Element("Min", std::to_string(minimum));
    if (maximumRegister.empty()) {
        Element("Max", std::to_string(maximum));
    } else {
        Element("pMax", maximumRegister);
    }
    Element("Inc", "1");
    Close("Integer");
}

void NodeMapXmlWriter::Boolean(const std::string& name, const Links& links,
                               const std::string& valueRegister) {
    Open("Boolean", name, true);
    Common(links);
    Element("pValue", valueRegister);
    Element("OnValue", "1");
    Element("OffValue", "0");
    Close("Boolean");
}

void NodeMapXmlWriter::Enumeration(const std::string& name, const Links& links,
                                   const std::vector<std::pair<std::string, int64_t>>& entries,
                                   const std::string& valueRegister) {
    Open("Enumeration", name, true);
    Common(links);
    for (const auto& [entry, value] : entries) {
        xml_ += "    <EnumEntry Name=\"" + XmlEscaped(entry) + "\" NameSpace=\"Standard\">\n";
        xml_ += "      <Value>" + std::to_string(value) + "</Value>\n";
        xml_ += "    </EnumEntry>\n";
    }
    Element("pValue", valueRegister);
    Close("Enumeration");
}

void NodeMapXmlWriter::Command(const std::string& name, const Links& links,
                               const std::string& valueRegister) {
    Open("Command", name, true);
    Common(links);
    Element("pValue", valueRegister);
    Element("CommandValue", "1");
    Close("Command");
}

void NodeMapXmlWriter::IntegerRegister(const std::string& name, uint64_t address, bool writable) {
    Open("IntReg", name, false);
    Element("Visibility", "Invisible");
    Element("Address", Hex(address));
    Element("Length", "8");
    Element("AccessMode", writable ? "RW" : "RO");
    Element("pPort", portName_);
    Element("Cachable", "NoCache");
    Element("Sign", "Unsigned");
    Element("Endianess", "LittleEndian");
    Close("IntReg");
}

std::string NodeMapXmlWriter::Finish() {
    Open("Port", portName_, false);
    Element("ToolTip", "The module's own registers");
    Close("Port");
    xml_ += "</RegisterDescription>\n";
    return std::move(xml_);
}

void NodeMapXmlWriter::Open(const std::string& type, const std::string& name, bool standard) {
    xml_ += "  <" + type + " Name=\"" + XmlEscaped(name) + "\" NameSpace=\"" +
            (standard ? "Standard" : "Custom") + "\">\n";
}

void NodeMapXmlWriter::Close(const std::string& type) { xml_ += "  </" + type + ">\n"; }

void NodeMapXmlWriter::Element(const std::string& tag, const std::string& value) {
    xml_ += "    <" + tag + ">" + XmlEscaped(value) + "</" + tag + ">\n";
}

}  // namespace GenICam::Client
