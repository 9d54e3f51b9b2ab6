// Ports and register descriptions: what every module's port says of itself and how its
// description downloads the way GenApi consumers do it, and the camera's registers behind the
// remote port.
#include <libxml/parser.h>

#include <cctype>

#include "ConsumerFixture.h"

namespace consumer {
namespace {

using ConsumerPort = ConsumerTest;

// Why a text is not a well-formed XML document, or "" when it is, as libxml2 sees it.
std::string XmlProblem(const std::string& xml) {
    xmlDocPtr document =
        xmlReadMemory(xml.data(), static_cast<int>(xml.size()), "description.xml", nullptr,
                      XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING);
    if (document == nullptr) {
        const xmlError* error = xmlGetLastError();
        return error != nullptr && error->message != nullptr ? error->message : "not well-formed";
    }
    xmlFreeDoc(document);
    return "";
}

// What a GenApi consumer does with a port's first URL: its information agrees with its text, and
// the whole description comes in one GCReadPort, well-formed and connecting the port by its name.
void ExpectDescriptionDownloads(PORT_HANDLE port, const std::string& url) {
    EXPECT_EQ(Text(UrlInfo(port, 0, URL_INFO_URL)), url);
    char name[128] = {};
    unsigned long long address = 0;
    unsigned long long length = 0;
    ASSERT_EQ(std::sscanf(url.c_str(), "Local:%127[^;];%llx;%llx", name, &address, &length), 3)
        << url;
    EXPECT_EQ(Value<int32_t>(UrlInfo(port, 0, URL_INFO_SCHEME), INFO_DATATYPE_INT32),
              URL_SCHEME_LOCAL);
    EXPECT_EQ(Text(UrlInfo(port, 0, URL_INFO_FILENAME)), name);
    EXPECT_EQ(
        Value<uint64_t>(UrlInfo(port, 0, URL_INFO_FILE_REGISTER_ADDRESS), INFO_DATATYPE_UINT64),
        address);
    EXPECT_EQ(Value<uint64_t>(UrlInfo(port, 0, URL_INFO_FILE_SIZE), INFO_DATATYPE_UINT64), length);

    std::string xml(length, '\0');
    size_t size = xml.size();
    ASSERT_EQ(Gentl().GCReadPort(port, address, xml.data(), &size), GC_ERR_SUCCESS)
        << LastErrorText();
    EXPECT_EQ(size, xml.size());
    while (!xml.empty() &&
           (xml.back() == '\0' || std::isspace(static_cast<unsigned char>(xml.back())))) {
        xml.pop_back();
    }
    EXPECT_EQ(XmlProblem(xml), "");
    EXPECT_EQ(xml.rfind("</RegisterDescription>"),
              xml.size() - std::strlen("</RegisterDescription>"));
    const std::string portName = Text(PortInfo(port, PORT_INFO_PORTNAME));
    EXPECT_NE(xml.find("<Port Name=\"" + portName + "\""), std::string::npos) << portName;
}

TEST_F(ConsumerPort, EveryModulePortDescribesItself) {
    const Camera cam = OpenCamera();
    ASSERT_TRUE(cam);
    const DS_HANDLE ds = OpenStream(cam.dev);
    const BUFFER_HANDLE buffer = AllocAndQueue(ds, 1, 64)[0];
    struct Row {
        void* port;
        const char *id, *module, *portName, *version, *tlType, *url;
        uint32_t urls;  // every module but the buffer has a description of its own
    };
    const Row rows[] = {
        {cam.tl, "TL0", "TLSystem", "TLPort", "1.0.0.0", "Mixed", "Local:TLRegs.xml;940;", 1},
        {cam.iface, kGevInterface, "TLInterface", "InterfacePort", "1.0.0.0", "GEV",
         "Local:TLInterfaceRegs.xml;100000;", 1},
        {cam.dev, "TLDEV::KVR-GEV-1001", "TLDevice", "DevicePort", "1.0.0.0", "Mixed",
         "Local:TLDevRegs.xml;500;", 1},
        {cam.port, kCam1001, "Device", "Device", "1.2", "Mixed", "Local:TevoldSimCamera.xml;", 1},
        {ds, "DS0", "TLDataStream", "StreamPort", "1.0.0.0", "Mixed",
         "Local:TLDataStreamRegs.xml;200;", 1},
        {buffer, "Buffer0", "TLBuffer", "BufferPort", "1.0", "Mixed",
         "Local:TLBufferRegs.xml;100;0", 0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.module);
        // The stream's ID carries a spare NUL after its own.
        const Info id = PortInfo(row.port, PORT_INFO_ID);
        EXPECT_STREQ(reinterpret_cast<const char*>(id.bytes.data()), row.id);
        EXPECT_EQ(id.size, std::strlen(row.id) + (row.port == ds ? 2 : 1));
        EXPECT_EQ(Text(PortInfo(row.port, PORT_INFO_VENDOR)), "KAVRIN");
        EXPECT_EQ(Text(PortInfo(row.port, PORT_INFO_MODEL)), "KavrinTL");
        EXPECT_EQ(Text(PortInfo(row.port, PORT_INFO_MODULE)), row.module);
        EXPECT_EQ(Text(PortInfo(row.port, PORT_INFO_PORTNAME)), row.portName);
        EXPECT_EQ(Text(PortInfo(row.port, PORT_INFO_VERSION)), row.version);
        EXPECT_EQ(Text(PortInfo(row.port, PORT_INFO_TLTYPE)), row.tlType);
        for (const auto& [command, expected] : {std::pair{PORT_INFO_LITTLE_ENDIAN, true},
                                                {PORT_INFO_BIG_ENDIAN, false},
                                                {PORT_INFO_ACCESS_READ, true},
                                                {PORT_INFO_ACCESS_WRITE, true},
                                                {PORT_INFO_ACCESS_NA, false},
                                                {PORT_INFO_ACCESS_NI, false}}) {
            EXPECT_EQ(Flag(PortInfo(row.port, command)), expected) << command;
        }
        EXPECT_EQ(Failure(PortInfo(row.port, 13).result),
                  Failed(GC_ERR_INVALID_PARAMETER, "Invalid port info command 13"));
        const std::string url = PortUrl(row.port);
        EXPECT_EQ(url.rfind(row.url, 0), 0u) << url;
        uint32_t count = 99;
        EXPECT_EQ(gentl.GCGetNumPortURLs(row.port, &count), GC_ERR_SUCCESS) << LastErrorText();
        EXPECT_EQ(count, row.urls);
        EXPECT_EQ(UrlInfo(row.port, row.urls, URL_INFO_URL).result, GC_ERR_INVALID_INDEX);
        if (row.urls == 1) ExpectDescriptionDownloads(row.port, url);
        // The system, device module and stream URLs have a size query (the system's and the
        // device module's count a spare byte); their ports hold only their node maps, so an
        // address outside it is refused with nothing read. The buffer has no registers: a read
        // succeeds and changes nothing. The interface's and the camera's URLs have no size query.
        uint32_t value = 0x5A5A5A5A;
        size_t size = 0;
        if (row.port != cam.iface && row.port != cam.port) {
            EXPECT_EQ(gentl.GCGetPortURL(row.port, nullptr, &size), GC_ERR_SUCCESS);
            EXPECT_EQ(size, url.size() + (row.port == cam.tl || row.port == cam.dev ? 2 : 1));
            size = sizeof value;
            EXPECT_EQ(gentl.GCReadPort(row.port, Reg::kWidth, &value, &size),
                      row.urls == 0 ? GC_ERR_SUCCESS : GC_ERR_INVALID_ADDRESS);
            EXPECT_EQ(value, 0x5A5A5A5Au);
            EXPECT_EQ(size, sizeof value);
        } else {
            EXPECT_EQ(Failure(gentl.GCGetPortURL(row.port, nullptr, &size)),
                      Failed(GC_ERR_INVALID_PARAMETER, "Invalid buffer"));
        }
    }
    // The camera's description: where the simulator keeps it, in the schema version it names.
    EXPECT_EQ(
        Value<uint64_t>(UrlInfo(cam.port, 0, URL_INFO_FILE_REGISTER_ADDRESS), INFO_DATATYPE_UINT64),
        Reg::kDescription);
    EXPECT_NE(PortUrl(cam.port).find("?SchemaVersion=1.1.0"), std::string::npos);
    EXPECT_EQ(Value<int32_t>(UrlInfo(cam.port, 0, URL_INFO_SCHEMA_VER_MAJOR), INFO_DATATYPE_INT32),
              1);
    EXPECT_EQ(Value<int32_t>(UrlInfo(cam.port, 0, URL_INFO_SCHEMA_VER_MINOR), INFO_DATATYPE_INT32),
              1);
    EXPECT_EQ(UrlInfo(cam.port, 0, URL_INFO_FILE_VER_MAJOR).result, GC_ERR_NOT_AVAILABLE);
    EXPECT_EQ(UrlInfo(cam.port, 0, URL_INFO_FILE_SHA1_HASH).result, GC_ERR_NOT_AVAILABLE);
    EXPECT_EQ(UrlInfo(cam.port, 0, 999).result, GC_ERR_INVALID_PARAMETER);

    // A write to the device module's port does not reach the camera behind it.
    uint32_t value = 1;
    size_t size = sizeof value;
    EXPECT_EQ(Failure(gentl.GCWritePort(cam.dev, Reg::kWidth, &value, &size)),
              Failed(GC_ERR_INVALID_ADDRESS, "Register 0x100 is not implemented"));
    EXPECT_EQ(ReadRegister<uint32_t>(cam.port, Reg::kWidth), Sim::kDefaultWidth);
    EXPECT_EQ(gentl.GCGetNumPortURLs(cam.port, nullptr), GC_ERR_INVALID_PARAMETER);
    Sim::InjectFault({Sim::Operation::QueryDescriptionUrl, -1001, 1, kCam1001});
    char url[256] = {};
    size = sizeof url;
    EXPECT_EQ(Failure(gentl.GCGetPortURL(cam.port, url, &size)),
              Failed(GC_ERR_INVALID_PARAMETER, "Buffer too small"));
}

// The interface's URL comes whole with its terminator into any buffer that holds both, and
// not at all into a smaller one.
TEST_F(ConsumerPort, InterfaceUrlFitsOrIsRefused) {
    const IF_HANDLE iface = OpenInterface(OpenSystem());
    const std::string url = PortUrl(iface);
    ASSERT_EQ(url.rfind("Local:TLInterfaceRegs.xml;", 0), 0u) << url;
    for (const size_t tooSmall : {size_t{1}, url.size()}) {
        std::vector<char> text(tooSmall, 'x');
        size_t size = text.size();
        EXPECT_EQ(Failure(gentl.GCGetPortURL(iface, text.data(), &size)),
                  Failed(GC_ERR_INVALID_PARAMETER, "Buffer too small"))
            << tooSmall;
    }
    for (const size_t enough : {url.size() + 1, size_t{5806}, size_t{65536}}) {
        std::vector<char> text(enough, 'x');
        size_t size = text.size();
        ASSERT_EQ(gentl.GCGetPortURL(iface, text.data(), &size), GC_ERR_SUCCESS)
            << enough << ": " << LastErrorText();
        EXPECT_EQ(size, url.size() + 1);
        EXPECT_EQ(std::string(text.data()), url);
    }
}

// Every camera-library result is mapped by a unit-tested table; these show reads, writes and
// faults of both ports reach the C interface with their codes and texts.
TEST_F(ConsumerPort, RegistersBehindTheRemoteAndInterfacePorts) {
    const Camera cam = OpenCamera();
    ASSERT_TRUE(cam);
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
    Sim::InjectFault({Sim::Operation::DeviceWriteRegister, -1010, 1, kCam1001});
    EXPECT_EQ(Failure(gentl.GCWritePort(cam.port, Reg::kWidth, &value, &size)),
              Failed(GC_ERR_IO, "Write register 0x100 is failed."));

    // The interface's registers pass through to the camera library in the same way.
    char text[32] = {};
    size = sizeof text;
    ASSERT_EQ(gentl.GCReadPort(cam.iface, Tevold::InterfaceRegister::kInterfaceId, text, &size),
              GC_ERR_SUCCESS);
    EXPECT_STREQ(text, "SimGEV0");
    Sim::InjectFault({Sim::Operation::InterfaceReadRegister, -1010, 1, "SimGEV0"});
    EXPECT_EQ(Failure(gentl.GCReadPort(cam.iface, 0xab, text, &size)),
              Failed(GC_ERR_IO, "Read register 0xAB is failed."));

    // A camera that vanished answers with I/O errors, not a crash.
    Sim::RemoveCamera(kCam1001);
    EXPECT_EQ(gentl.GCReadPort(cam.port, Reg::kWidth, &value, &size), GC_ERR_IO);
}

}  // namespace
}  // namespace consumer
