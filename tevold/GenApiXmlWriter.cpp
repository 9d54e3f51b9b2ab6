#include "tevold/GenApiXmlWriter.h"

#include <algorithm>
#include <cstdio>

namespace Tevold {
namespace {

std::string Hex(uint64_t value) {
    char text[24];
    std::snprintf(text, sizeof text, "0x%llx", static_cast<unsigned long long>(value));
    return text;
}

std::string Number(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.17g", value);
    return text;
}

std::string_view AccessText(RegisterAccess access) {
    switch (access) {
        case RegisterAccess::ReadOnly:
            return "RO";
        case RegisterAccess::WriteOnly:
            return "WO";
        case RegisterAccess::ReadWrite:
            break;
    }
    return "RW";
}

std::string RegisterName(std::string_view feature) { return std::string(feature) + "Reg"; }

}  // namespace

GenApiXmlWriter::GenApiXmlWriter(const Header& header) {
    xml_ += "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n";
    xml_ += "<RegisterDescription ModelName=\"";
    xml_ += header.modelName;
    xml_ += "\" VendorName=\"";
    xml_ += header.vendorName;
    xml_ += "\" ToolTip=\"";
    xml_ += header.toolTip;
    xml_ +=
        "\" StandardNameSpace=\"None\""
        " SchemaMajorVersion=\"1\" SchemaMinorVersion=\"1\" SchemaSubMinorVersion=\"0\""
        " MajorVersion=\"1\" MinorVersion=\"0\" SubMinorVersion=\"0\" ProductGuid=\"";
    xml_ += header.productGuid;
    xml_ += "\" VersionGuid=\"";
    xml_ += header.versionGuid;
    xml_ +=
        "\"\n  xmlns=\"http://www.genicam.org/GenApi/Version_1_1\""
        "\n  xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\""
        "\n  xsi:schemaLocation=\"http://www.genicam.org/GenApi/Version_1_1"
        " http://www.genicam.org/GenApi/GenApiSchema_Version_1_1.xsd\">\n";
}

void GenApiXmlWriter::AddCategory(std::string_view name,
                                  const std::vector<std::string_view>& features) {
    OpenNode("Category", name, NameSpace::Standard);
    for (const auto feature : features) {
        Element("pFeature", feature);
    }
    CloseNode("Category");
}

void GenApiXmlWriter::AddString(std::string_view name, std::string_view toolTip, uint64_t address,
                                uint32_t length, RegisterAccess access) {
    OpenNode("StringReg", name, NameSpace::Standard, toolTip);
    Element("Address", Hex(address));
    Element("Length", std::to_string(length));
    Element("AccessMode", AccessText(access));
    Element("pPort", "Device");
    CloseNode("StringReg");
}

void GenApiXmlWriter::AddInteger(const IntegerFeature& feature) {
    OpenNode("Integer", feature.name, NameSpace::Standard, feature.toolTip, feature.lockedBy);
    Element("pValue", RegisterName(feature.name));
    Element("Min", std::to_string(feature.min));
    Element("Max", std::to_string(feature.max));
    Element("Inc", std::to_string(feature.inc));
    CloseNode("Integer");
    AddRegisterNode("IntReg", RegisterName(feature.name), feature.address, 4, feature.access,
                    feature.volatileValue);
}

void GenApiXmlWriter::AddEnumeration(const EnumerationFeature& feature) {
    OpenNode("Enumeration", feature.name, NameSpace::Standard, feature.toolTip, feature.lockedBy);
    for (const auto& [entryName, value] : feature.entries) {
        xml_ += "    <EnumEntry Name=\"";
        xml_ += entryName;
        xml_ += "\">\n      <Value>";
        xml_ += Hex(value);
        xml_ += "</Value>\n    </EnumEntry>\n";
    }
    Element("pValue", RegisterName(feature.name));
    CloseNode("Enumeration");
    AddRegisterNode("IntReg", RegisterName(feature.name), feature.address, 4,
                    RegisterAccess::ReadWrite, false);
}

void GenApiXmlWriter::AddCommand(std::string_view name, std::string_view toolTip, uint64_t address,
                                 uint32_t commandValue) {
    OpenNode("Command", name, NameSpace::Standard, toolTip);
    Element("pValue", RegisterName(name));
    Element("CommandValue", std::to_string(commandValue));
    CloseNode("Command");
    AddRegisterNode("IntReg", RegisterName(name), address, 4, RegisterAccess::WriteOnly, false);
}

void GenApiXmlWriter::AddFloat(const FloatFeature& feature) {
    OpenNode("Float", feature.name, NameSpace::Standard, feature.toolTip);
    Element("pValue", RegisterName(feature.name));
    Element("Min", Number(feature.min));
    Element("Max", Number(feature.max));
    Element("Unit", feature.unit);
    CloseNode("Float");
    AddRegisterNode("FloatReg", RegisterName(feature.name), feature.address, 8,
                    RegisterAccess::ReadWrite, false);
}

void GenApiXmlWriter::AddFeature(const Feature& feature) {
    const std::string reg = RegisterName(feature.name);
    const bool isFloat = feature.kind == Kind::Float;
    const auto addRegister = [&](std::string_view name) {
        AddRegisterNode(isFloat ? "FloatReg" : "IntReg", name, feature.address, feature.length,
                        feature.access, feature.volatileValue, feature.port, feature.bigEndian);
    };
    if (feature.invisible) {
        addRegister(feature.name);
        return;
    }
    switch (feature.kind) {
        case Kind::Text:
            OpenNode("StringReg", feature.name, NameSpace::Standard, feature.toolTip);
            Element("Address", Hex(feature.address));
            Element("Length", std::to_string(feature.length));
            Element("AccessMode", AccessText(feature.access));
            Element("pPort", feature.port);
            CloseNode("StringReg");
            return;
        case Kind::Command:
            OpenNode("Command", feature.name, NameSpace::Standard, feature.toolTip);
            Element("pValue", reg);
            Element("CommandValue", "1");
            CloseNode("Command");
            break;
        case Kind::Boolean:
            OpenNode("Boolean", feature.name, NameSpace::Standard, feature.toolTip,
                     feature.lockedBy);
            Element("pValue", reg);
            Element("OnValue", "1");
            Element("OffValue", "0");
            CloseNode("Boolean");
            break;
        case Kind::Enumeration:
            OpenNode("Enumeration", feature.name, NameSpace::Standard, feature.toolTip,
                     feature.lockedBy);
            for (const auto& [entryName, value] : feature.entries) {
                xml_ += "    <EnumEntry Name=\"";
                xml_ += entryName;
                xml_ += "\" NameSpace=\"Standard\">\n      <Value>";
                xml_ += std::to_string(value);
                xml_ += "</Value>\n    </EnumEntry>\n";
            }
            Element("pValue", reg);
            for (const auto selected : feature.selected) {
                Element("pSelected", selected);
            }
            CloseNode("Enumeration");
            break;
        case Kind::Integer:
        case Kind::Float: {
            const std::string_view type = isFloat ? "Float" : "Integer";
            OpenNode(type, feature.name, NameSpace::Standard, feature.toolTip, feature.lockedBy);
            Element("pValue", reg);
            const auto number = [&](double value) {
                return isFloat ? Number(value) : std::to_string(static_cast<int64_t>(value));
            };
            Element("Min", number(feature.min));
            if (feature.pMax.empty()) {
                Element("Max", number(feature.max));
            } else {
                Element("pMax", feature.pMax);
            }
            if (!isFloat || feature.inc > 0) {
                Element("Inc", number(isFloat ? feature.inc : std::max(feature.inc, 1.0)));
            }
            if (!feature.unit.empty()) {
                Element("Unit", feature.unit);
            }
            for (const auto selected : feature.selected) {
                Element("pSelected", selected);
            }
            CloseNode(type);
            break;
        }
    }
    addRegister(reg);
}

void GenApiXmlWriter::AddPort(std::string_view name, PortKind kind, uint32_t id) {
    OpenNode("Port", name, NameSpace::Custom);
    char text[16];
    std::snprintf(text, sizeof text, "%X", id);
    Element(kind == PortKind::Chunk ? "ChunkID" : "EventID", text);
    CloseNode("Port");
}

void GenApiXmlWriter::AddConstant(std::string_view name, std::string_view toolTip, int64_t value) {
    OpenNode("Integer", name, NameSpace::Standard, toolTip);
    Element("Value", std::to_string(value));
    CloseNode("Integer");
}

std::string GenApiXmlWriter::Finish() {
    OpenNode("Port", "Device", NameSpace::Custom, "The register space");
    CloseNode("Port");
    xml_ += "</RegisterDescription>\n";
    return std::move(xml_);
}

void GenApiXmlWriter::OpenNode(std::string_view type, std::string_view name, NameSpace nameSpace,
                               std::string_view toolTip, std::string_view lockedBy) {
    xml_ += "  <";
    xml_ += type;
    xml_ += " Name=\"";
    xml_ += name;
    xml_ += "\" NameSpace=\"";
    xml_ += nameSpace == NameSpace::Standard ? "Standard" : "Custom";
    xml_ += "\">\n";
    if (!toolTip.empty()) {
        Element("ToolTip", toolTip);
    }
    if (!lockedBy.empty()) {
        Element("pIsLocked", lockedBy);
    }
}

void GenApiXmlWriter::CloseNode(std::string_view type) {
    xml_ += "  </";
    xml_ += type;
    xml_ += ">\n";
}

void GenApiXmlWriter::AddRegisterNode(std::string_view type, std::string_view name,
                                      uint64_t address, uint32_t length, RegisterAccess access,
                                      bool volatileValue, std::string_view port, bool bigEndian) {
    OpenNode(type, name, NameSpace::Custom);
    Element("Visibility", "Invisible");
    Element("Address", Hex(address));
    Element("Length", std::to_string(length));
    Element("AccessMode", AccessText(access));
    Element("pPort", port);
    if (volatileValue) {
        Element("Cachable", "NoCache");
    }
    if (type == "IntReg") {
        Element("Sign", "Unsigned");
    }
    Element("Endianess", bigEndian ? "BigEndian" : "LittleEndian");
    CloseNode(type);
}

void GenApiXmlWriter::Element(std::string_view tag, std::string_view value) {
    xml_ += "    <";
    xml_ += tag;
    xml_ += ">";
    xml_ += value;
    xml_ += "</";
    xml_ += tag;
    xml_ += ">\n";
}

}  // namespace Tevold
