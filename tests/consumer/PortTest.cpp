// The remote device port and the register-description URLs: what a GenApi consumer needs to
// find, download and connect each module's XML, and to reach the camera's registers.
#include <libxml/parser.h>

#include <cctype>

#include "ConsumerFixture.h"

namespace consumer {
namespace {

using ConsumerPort = ConsumerTest;
namespace Reg = Sim::CameraRegister;

// "Local:name;ADDR;LEN[?query]" with hexadecimal address and length.
struct LocalUrl {
    std::string fileName;
    uint64_t address = 0;
    uint64_t length = 0;
};

LocalUrl ParseLocalUrl(const std::string& url) {
    LocalUrl parsed;
    const std::string scheme = "Local:";
    EXPECT_EQ(url.rfind(scheme, 0), 0u) << url;
    const size_t first = url.find(';');
    const size_t second = url.find(';', first + 1);
    EXPECT_NE(second, std::string::npos) << url;
    if (second == std::string::npos) return parsed;
    parsed.fileName = url.substr(scheme.size(), first - scheme.size());
    parsed.address = std::stoull(url.substr(first + 1, second - first - 1), nullptr, 16);
    parsed.length = std::stoull(url.substr(second + 1), nullptr, 16);
    return parsed;
}

// Why a text is not a well-formed XML document, or "" when it is, as libxml2 sees it.
std::string XmlProblem(const std::string& xml) {
    xmlDocPtr document = xmlReadMemory(xml.data(), static_cast<int>(xml.size()), "description.xml", nullptr,
                                       XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING);
    if (document == nullptr) {
        const xmlError* error = xmlGetLastError();
        return error != nullptr && error->message != nullptr ? error->message : "not well-formed";
    }
    xmlFreeDoc(document);
    return "";
}

// Downloads a module's description the way GenApi consumers do: one read of the whole file.
std::string DownloadDescription(PORT_HANDLE port) {
    const LocalUrl url = ParseLocalUrl(PortUrl(port));
    EXPECT_GT(url.length, 0u);
    std::string xml(url.length, '\0');
    size_t size = xml.size();
    EXPECT_EQ(Gentl().GCReadPort(port, url.address, xml.data(), &size), GC_ERR_SUCCESS) << LastErrorText();
    EXPECT_EQ(size, xml.size());
    while (!xml.empty() && (xml.back() == '\0' || std::isspace(static_cast<unsigned char>(xml.back())))) xml.pop_back();
    return xml;
}

TEST_F(ConsumerPort, CameraRegistersThroughTheRemotePort) {
    const Camera cam = OpenCamera();
    ASSERT_TRUE(cam);
    EXPECT_EQ(ReadRegister<uint32_t>(cam.port, Reg::kWidth), Sim::kDefaultWidth);
    EXPECT_EQ(ReadRegister<uint32_t>(cam.port, Reg::kHeight), Sim::kDefaultHeight);
    EXPECT_EQ(ReadRegister<uint32_t>(cam.port, Reg::kPixelFormat), Sim::PixelFormat::kMono8);
    EXPECT_EQ(ReadRegister<uint32_t>(cam.port, Reg::kPayloadSize), Sim::kDefaultWidth * Sim::kDefaultHeight);
    char vendor[Reg::kTextLength] = {};
    size_t size = sizeof vendor;
    ASSERT_EQ(gentl.GCReadPort(cam.port, Reg::kVendorName, vendor, &size), GC_ERR_SUCCESS);
    EXPECT_STREQ(vendor, "Kavrin");

    WriteRegister<uint32_t>(cam.port, Reg::kWidth, 320);
    EXPECT_EQ(ReadRegister<uint32_t>(cam.port, Reg::kWidth), 320u);
    EXPECT_EQ(ReadRegister<uint32_t>(cam.port, Reg::kPayloadSize), 320u * Sim::kDefaultHeight);

    uint32_t value = 1;
    size = sizeof value;
    EXPECT_EQ(Failure(gentl.GCWritePort(cam.port, Reg::kPayloadSize, &value, &size)),
              Failed(GC_ERR_ACCESS_DENIED, "Register 0x10C is not writable."));
    EXPECT_EQ(Failure(gentl.GCReadPort(cam.port, Reg::kAcquisitionStart, &value, &size)),
              Failed(GC_ERR_ACCESS_DENIED, "Register 0x204 is not readable."));

    Sim::InjectFault({Sim::Operation::DeviceReadRegister, -1010, 1, kCam1001});
    EXPECT_EQ(Failure(gentl.GCReadPort(cam.port, Reg::kWidth, &value, &size)),
              Failed(GC_ERR_IO, "Read register 0x100 is failed."));
    Sim::InjectFault({Sim::Operation::DeviceWriteRegister, -1010, 1, kCam1001});
    EXPECT_EQ(Failure(gentl.GCWritePort(cam.port, Reg::kWidth, &value, &size)),
              Failed(GC_ERR_IO, "Write register 0x100 is failed."));
    Sim::InjectFault({Sim::Operation::DeviceReadRegister, -1002, 1, kCam1001});
    EXPECT_EQ(Failure(gentl.GCReadPort(cam.port, Reg::kWidth, &value, &size)),
              Failed(GC_ERR_INVALID_HANDLE, "Not invalid."));
    Sim::InjectFault({Sim::Operation::DeviceReadRegister, -1011, 1, kCam1001});
    EXPECT_EQ(Failure(gentl.GCReadPort(cam.port, Reg::kWidth, &value, &size)), Failed(GC_ERR_TIMEOUT, "Timeout"));

    // A camera that vanished answers with I/O errors, not a crash.
    Sim::RemoveCamera(kCam1001);
    EXPECT_EQ(gentl.GCReadPort(cam.port, Reg::kWidth, &value, &size), GC_ERR_IO);
}

TEST_F(ConsumerPort, RemotePortInformation) {
    const Camera cam = OpenCamera(kCam1002);
    ASSERT_TRUE(cam);
    EXPECT_EQ(Text(PortInfo(cam.port, PORT_INFO_ID)), kCam1002);
    EXPECT_EQ(Text(PortInfo(cam.port, PORT_INFO_VENDOR)), "KAVRIN");
    EXPECT_EQ(Text(PortInfo(cam.port, PORT_INFO_MODEL)), "KavrinTL");
    EXPECT_EQ(Text(PortInfo(cam.port, PORT_INFO_TLTYPE)), "Mixed");
    EXPECT_EQ(Text(PortInfo(cam.port, PORT_INFO_MODULE)), "Device");
    EXPECT_EQ(Text(PortInfo(cam.port, PORT_INFO_VERSION)), "1.2");
    EXPECT_EQ(Text(PortInfo(cam.port, PORT_INFO_PORTNAME)), "Device");
    EXPECT_TRUE(Flag(PortInfo(cam.port, PORT_INFO_LITTLE_ENDIAN)));
    EXPECT_FALSE(Flag(PortInfo(cam.port, PORT_INFO_BIG_ENDIAN)));
    EXPECT_TRUE(Flag(PortInfo(cam.port, PORT_INFO_ACCESS_READ)));
    EXPECT_TRUE(Flag(PortInfo(cam.port, PORT_INFO_ACCESS_WRITE)));
    EXPECT_FALSE(Flag(PortInfo(cam.port, PORT_INFO_ACCESS_NA)));
    EXPECT_EQ(Failure(PortInfo(cam.port, 1000).result),
              Failed(GC_ERR_INVALID_PARAMETER, "Invalid port info command 1000"));

    size_t size = 0;
    EXPECT_EQ(Failure(gentl.GCGetPortURL(cam.port, nullptr, &size)),
              Failed(GC_ERR_INVALID_PARAMETER, "Invalid buffer"));
    Sim::InjectFault({Sim::Operation::QueryDescriptionUrl, -1001, 1, kCam1002});
    char url[256];
    size = sizeof url;
    EXPECT_EQ(Failure(gentl.GCGetPortURL(cam.port, url, &size)), Failed(GC_ERR_INVALID_PARAMETER, "Buffer too small"));
}

TEST_F(ConsumerPort, NumberOfUrlsPerModule) {
    const Camera cam = OpenCamera();
    ASSERT_TRUE(cam);
    const DS_HANDLE ds = OpenStream(cam.dev);
    const auto buffers = AllocAndQueue(ds, 1, 64);
    auto urls = [&](PORT_HANDLE port) {
        uint32_t count = 99;
        EXPECT_EQ(gentl.GCGetNumPortURLs(port, &count), GC_ERR_SUCCESS) << LastErrorText();
        return count;
    };
    EXPECT_EQ(urls(cam.iface), 1u);
    EXPECT_EQ(urls(cam.port), 1u);
    EXPECT_EQ(urls(cam.tl), 0u);
    EXPECT_EQ(urls(cam.dev), 0u);
    EXPECT_EQ(urls(ds), 0u);
    EXPECT_EQ(urls(buffers[0]), 0u);

    uint32_t count = 0;
    EXPECT_EQ(Failure(gentl.GCGetNumPortURLs(nullptr, &count)), NullHandleRefused());
    EXPECT_EQ(gentl.GCGetNumPortURLs(cam.port, nullptr), GC_ERR_INVALID_PARAMETER);
    EXPECT_EQ(gentl.GCGetNumPortURLs(reinterpret_cast<void*>(0x1234), &count), GC_ERR_INVALID_HANDLE);

    size_t size = 4;
    EXPECT_EQ(Failure(gentl.GCReadPort(nullptr, 0, &count, &size)), NullHandleRefused());

    PORT_REGISTER_STACK_ENTRY entry{Reg::kWidth, &count, sizeof count};
    size_t entries = 1;
    EXPECT_EQ(gentl.GCReadPortStacked(cam.port, &entry, &entries), GC_ERR_NOT_IMPLEMENTED);
    EXPECT_EQ(gentl.GCWritePortStacked(cam.port, &entry, &entries), GC_ERR_NOT_IMPLEMENTED);
}

TEST_F(ConsumerPort, UrlInformationOfTheRemotePort) {
    const Camera cam = OpenCamera();
    ASSERT_TRUE(cam);
    const std::string url = PortUrl(cam.port);
    const LocalUrl parsed = ParseLocalUrl(url);
    EXPECT_EQ(parsed.fileName, "TevoldSimCamera.xml");
    EXPECT_EQ(parsed.address, Reg::kDescription);
    EXPECT_NE(url.find("?SchemaVersion=1.1.0"), std::string::npos) << url;

    EXPECT_EQ(Text(UrlInfo(cam.port, 0, URL_INFO_URL)), url);
    EXPECT_EQ(Value<int32_t>(UrlInfo(cam.port, 0, URL_INFO_SCHEME), INFO_DATATYPE_INT32), URL_SCHEME_LOCAL);
    EXPECT_EQ(Text(UrlInfo(cam.port, 0, URL_INFO_FILENAME)), "TevoldSimCamera.xml");
    EXPECT_EQ(Value<uint64_t>(UrlInfo(cam.port, 0, URL_INFO_FILE_REGISTER_ADDRESS), INFO_DATATYPE_UINT64),
              parsed.address);
    EXPECT_EQ(Value<uint64_t>(UrlInfo(cam.port, 0, URL_INFO_FILE_SIZE), INFO_DATATYPE_UINT64), parsed.length);
    EXPECT_EQ(Value<int32_t>(UrlInfo(cam.port, 0, URL_INFO_SCHEMA_VER_MAJOR), INFO_DATATYPE_INT32), 1);
    EXPECT_EQ(Value<int32_t>(UrlInfo(cam.port, 0, URL_INFO_SCHEMA_VER_MINOR), INFO_DATATYPE_INT32), 1);
    EXPECT_EQ(UrlInfo(cam.port, 0, URL_INFO_FILE_VER_MAJOR).result, GC_ERR_NOT_AVAILABLE);
    EXPECT_EQ(UrlInfo(cam.port, 0, URL_INFO_FILE_SHA1_HASH).result, GC_ERR_NOT_AVAILABLE);
    EXPECT_EQ(UrlInfo(cam.port, 1, URL_INFO_URL).result, GC_ERR_INVALID_INDEX);
    EXPECT_EQ(UrlInfo(cam.port, 0, 999).result, GC_ERR_INVALID_PARAMETER);
    EXPECT_EQ(UrlInfo(cam.dev, 0, URL_INFO_URL).result, GC_ERR_INVALID_INDEX);

    // The interface port names its description the same way.
    const LocalUrl iface = ParseLocalUrl(Text(UrlInfo(cam.iface, 0, URL_INFO_URL)));
    EXPECT_EQ(iface.fileName, "TevoldSimInterface.xml");
    EXPECT_EQ(Value<uint64_t>(UrlInfo(cam.iface, 0, URL_INFO_FILE_SIZE), INFO_DATATYPE_UINT64), iface.length);
}

TEST_F(ConsumerPort, CameraDescriptionDownloadsInOneRead) {
    const Camera cam = OpenCamera();
    ASSERT_TRUE(cam);
    const std::string xml = DownloadDescription(cam.port);
    EXPECT_EQ(XmlProblem(xml), "");
    EXPECT_NE(xml.find("<RegisterDescription"), std::string::npos);
    const std::string portName = Text(PortInfo(cam.port, PORT_INFO_PORTNAME));
    EXPECT_NE(xml.find("<Port Name=\"" + portName + "\""), std::string::npos)
        << "GenApi connects the port by the name " << portName;
    const std::string end = "</RegisterDescription>";
    ASSERT_GE(xml.size(), end.size());
    EXPECT_EQ(xml.substr(xml.size() - end.size()), end);
    // What GenApi consumers rely on being there.
    for (const char* node : {"\"PayloadSize\"", "\"AcquisitionStart\"", "\"AcquisitionStop\"", "\"TLParamsLocked\"",
                             "\"Width\"", "\"PixelFormat\""}) {
        EXPECT_NE(xml.find(node), std::string::npos) << node;
    }

    const std::string ifaceXml = DownloadDescription(cam.iface);
    EXPECT_EQ(XmlProblem(ifaceXml), "");
    EXPECT_NE(ifaceXml.find("<RegisterDescription"), std::string::npos);
}

}  // namespace
}  // namespace consumer
