#include "tevold/sim/CameraFeatureTable.h"

#include "tevold/SimRegisterMap.h"

#include <map>
#include <string>

namespace Tevold::Sim {
namespace {

namespace Reg = CameraRegister;
using Kind = GenApiXmlWriter::Kind;
using Entries = std::vector<std::pair<std::string_view, uint32_t>>;

// Builds one row of the table.
class Row {
public:
    Row(Kind kind, std::string_view category, std::string_view name, std::string_view toolTip,
        uint64_t address) {
        row_.node.kind = kind;
        row_.node.name = name;
        row_.node.toolTip = toolTip;
        row_.node.address = address;
        row_.node.length = kind == Kind::Float ? 8 : kind == Kind::Text ? Reg::kTextLength : 4;
        row_.node.access =
            kind == Kind::Command ? RegisterAccess::WriteOnly : RegisterAccess::ReadWrite;
        if (kind == Kind::Boolean) {
            row_.node.max = 1;
        }
        row_.category = category;
    }
    Row& Range(double min, double max, double inc = 0) {
        row_.node.min = min;
        row_.node.max = max;
        row_.node.inc = inc;
        return *this;
    }
    Row& Default(double value) {
        row_.defaultValue = value;
        return *this;
    }
    Row& With(Entries entries) {
        row_.node.entries = std::move(entries);
        return *this;
    }
    Row& Unit(std::string_view unit) {
        row_.node.unit = unit;
        return *this;
    }
    Row& ReadOnly() {
        row_.node.access = RegisterAccess::ReadOnly;
        return *this;
    }
    Row& Wide() {
        row_.node.length = 8;
        return *this;
    }
    Row& SelectedBy(std::string_view selector, uint32_t count) {
        row_.selector = selector;
        row_.selectorCount = count;
        // The value shown changes with the selector.
        row_.node.volatileValue = true;
        return *this;
    }
    Row& FormatLocked() {
        row_.formatLocked = true;
        row_.node.lockedBy = "TLParamsLocked";
        return *this;
    }
    Row& ChangesImage() {
        row_.changesImage = true;
        return *this;
    }
    Row& Saved() {
        row_.inUserSet = true;
        return *this;
    }
    Row& Computed() {
        row_.computed = true;
        row_.node.volatileValue = true;
        return *this;
    }
    Row& Only(Transport transport) {
        row_.transport = transport;
        return *this;
    }
    Row& MaxFrom(std::string_view node) {
        row_.node.pMax = node;
        return *this;
    }
    Row& Hidden() {
        row_.node.invisible = true;
        return *this;
    }
    operator CameraFeature() const { return row_; }

private:
    CameraFeature row_;
};

Row Text(std::string_view category, std::string_view name, std::string_view toolTip,
         uint64_t address) {
    return Row(Kind::Text, category, name, toolTip, address).ReadOnly();
}
Row Integer(std::string_view category, std::string_view name, std::string_view toolTip,
            uint64_t address, double min, double max, double inc, double value) {
    return Row(Kind::Integer, category, name, toolTip, address).Range(min, max, inc).Default(value);
}
Row Float(std::string_view category, std::string_view name, std::string_view toolTip,
          uint64_t address, double min, double max, std::string_view unit, double value) {
    return Row(Kind::Float, category, name, toolTip, address)
        .Range(min, max)
        .Unit(unit)
        .Default(value);
}
Row Enumeration(std::string_view category, std::string_view name, std::string_view toolTip,
                uint64_t address, Entries entries, uint32_t value = 0) {
    return Row(Kind::Enumeration, category, name, toolTip, address)
        .With(std::move(entries))
        .Default(value);
}
Row Boolean(std::string_view category, std::string_view name, std::string_view toolTip,
            uint64_t address, bool value) {
    return Row(Kind::Boolean, category, name, toolTip, address).Default(value ? 1 : 0);
}
Row Command(std::string_view category, std::string_view name, std::string_view toolTip,
            uint64_t address) {
    return Row(Kind::Command, category, name, toolTip, address);
}

Entries PixelFormatEntries() {
    return {{"Mono8", PixelFormat::kMono8},
            {"Mono10", PixelFormat::kMono10},
            {"Mono12", PixelFormat::kMono12},
            {"Mono16", PixelFormat::kMono16},
            {"BayerRG8", PixelFormat::kBayerRG8},
            {"BayerGB8", PixelFormat::kBayerGB8},
            {"BayerGR8", PixelFormat::kBayerGR8},
            {"BayerBG8", PixelFormat::kBayerBG8},
            {"RGB8", PixelFormat::kRGB8},
            {"BGR8", PixelFormat::kBGR8},
            {"YCbCr422_8", PixelFormat::kYCbCr422_8}};
}

Entries AutoEntries() {
    return {{"Off", kAutoOff}, {"Once", kAutoOnce}, {"Continuous", kAutoContinuous}};
}

Entries UserSetEntries() {
    return {{"Default", UserSet::kDefault},
            {"UserSet1", UserSet::kUserSet1},
            {"UserSet2", UserSet::kUserSet2}};
}

std::vector<CameraFeature> BuildTable() {
    constexpr std::string_view kDevice = "DeviceControl";
    constexpr std::string_view kFormat = "ImageFormatControl";
    constexpr std::string_view kAcquisition = "AcquisitionControl";
    constexpr std::string_view kAnalog = "AnalogControl";
    constexpr std::string_view kChunks = "ChunkDataControl";
    constexpr std::string_view kEvents = "EventControl";
    constexpr std::string_view kUserSets = "UserSetControl";
    constexpr std::string_view kTransport = "TransportLayerControl";
    constexpr auto gev = Transport::GigEVision;
    const double sensorWidth = kSensorWidth;
    const double sensorHeight = kSensorHeight;
    std::vector<CameraFeature> table = {
        Text(kDevice, "DeviceVendorName", "Manufacturer of the camera", Reg::kVendorName),
        Text(kDevice, "DeviceModelName", "Model of the camera", Reg::kModelName),
        Text(kDevice, "DeviceVersion", "Version of the camera", Reg::kDeviceVersion),
        Text(kDevice, "DeviceSerialNumber", "Serial number of the camera", Reg::kSerialNumber),
        // The older name of the serial number, which some consumers still ask for.
        Text(kDevice, "DeviceID", "Serial number of the camera", Reg::kSerialNumber),
        Row(Kind::Text, kDevice, "DeviceUserID", "Name the user gave the camera", Reg::kUserId),
        Float(kDevice, "DeviceTemperature", "Temperature of the sensor board",
              Reg::kDeviceTemperature, -40, 150, "C", 0)
            .ReadOnly()
            .Computed(),
        Command(kDevice, "TimestampLatch", "Copies the current timestamp to TimestampLatchValue",
                Reg::kTimestampLatch),
        Integer(kDevice, "TimestampLatchValue", "Timestamp latched by TimestampLatch, in ns",
                Reg::kTimestampLatchValue, 0, 9.2e18, 1, 0)
            .ReadOnly()
            .Wide()
            .Computed(),
        Command(kDevice, "TimestampReset", "Restarts the timestamp counter at 0",
                Reg::kTimestampReset),
        Command(kDevice, "DeviceReset", "Restarts the camera, which is lost until it is back",
                Reg::kDeviceReset),

        Integer(kFormat, "SensorWidth", "Pixels in a sensor row", Reg::kSensorWidth, sensorWidth,
                sensorWidth, 1, sensorWidth)
            .ReadOnly(),
        Integer(kFormat, "SensorHeight", "Rows of the sensor", Reg::kSensorHeight, sensorHeight,
                sensorHeight, 1, sensorHeight)
            .ReadOnly(),
        Integer(kFormat, "WidthMax", "Widest image with the current binning", Reg::kWidthMax, 0,
                sensorWidth, 1, 0)
            .ReadOnly()
            .Computed(),
        Integer(kFormat, "HeightMax", "Highest image with the current binning", Reg::kHeightMax, 0,
                sensorHeight, 1, 0)
            .ReadOnly()
            .Computed(),
        Integer(kFormat, "Width", "Image width in pixels", Reg::kWidth, kMinWidth, kMaxWidth,
                kWidthIncrement, kDefaultWidth)
            .MaxFrom("WidthLimit")
            .FormatLocked()
            .ChangesImage()
            .Saved(),
        Integer(kFormat, "Height", "Image height in pixels", Reg::kHeight, kMinHeight, kMaxHeight,
                kHeightIncrement, kDefaultHeight)
            .MaxFrom("HeightLimit")
            .FormatLocked()
            .ChangesImage()
            .Saved(),
        Integer(kFormat, "OffsetX", "Left edge of the image on the binned sensor", Reg::kOffsetX, 0,
                kMaxWidth - kMinWidth, kWidthIncrement, 0)
            .MaxFrom("OffsetXLimit")
            .ChangesImage()
            .Saved(),
        Integer(kFormat, "OffsetY", "Top edge of the image on the binned sensor", Reg::kOffsetY, 0,
                kMaxHeight - kMinHeight, kHeightIncrement, 0)
            .MaxFrom("OffsetYLimit")
            .ChangesImage()
            .Saved(),
        Integer(kFormat, "WidthLimit", "", Reg::kWidthLimit, 0, sensorWidth, 1, 0)
            .ReadOnly()
            .Computed()
            .Hidden(),
        Integer(kFormat, "HeightLimit", "", Reg::kHeightLimit, 0, sensorHeight, 1, 0)
            .ReadOnly()
            .Computed()
            .Hidden(),
        Integer(kFormat, "OffsetXLimit", "", Reg::kOffsetXLimit, 0, sensorWidth, 1, 0)
            .ReadOnly()
            .Computed()
            .Hidden(),
        Integer(kFormat, "OffsetYLimit", "", Reg::kOffsetYLimit, 0, sensorHeight, 1, 0)
            .ReadOnly()
            .Computed()
            .Hidden(),
        Integer(kFormat, "BinningHorizontal", "Sensor columns averaged into one pixel: 1, 2 or 4",
                Reg::kBinningHorizontal, 1, 4, 1, 1)
            .FormatLocked()
            .ChangesImage()
            .Saved(),
        Integer(kFormat, "BinningVertical", "Sensor rows averaged into one pixel: 1, 2 or 4",
                Reg::kBinningVertical, 1, 4, 1, 1)
            .FormatLocked()
            .ChangesImage()
            .Saved(),
        Boolean(kFormat, "ReverseX", "Mirrors the image left to right", Reg::kReverseX, false)
            .ChangesImage()
            .Saved(),
        Boolean(kFormat, "ReverseY", "Mirrors the image top to bottom", Reg::kReverseY, false)
            .ChangesImage()
            .Saved(),
        Enumeration(kFormat, "PixelFormat", "Format of the pixels", Reg::kPixelFormat,
                    PixelFormatEntries(), PixelFormat::kMono8)
            .FormatLocked()
            .ChangesImage()
            .Saved(),
        Enumeration(kFormat, "TestPattern", "Pattern the camera draws", Reg::kTestPattern,
                    {{"Black", TestPattern::kBlack},
                     {"GreyDiagonalRampMoving", TestPattern::kGreyDiagonalRampMoving},
                     {"GreyHorizontalRampMoving", TestPattern::kGreyHorizontalRampMoving}},
                    TestPattern::kGreyDiagonalRampMoving)
            .ChangesImage()
            .Saved(),

        Enumeration(kAcquisition, "AcquisitionMode", "How many images an acquisition takes",
                    Reg::kAcquisitionMode,
                    {{"Continuous", kAcquisitionModeContinuous},
                     {"SingleFrame", kAcquisitionModeSingleFrame},
                     {"MultiFrame", kAcquisitionModeMultiFrame}})
            .FormatLocked()
            .Saved(),
        Command(kAcquisition, "AcquisitionStart", "Starts the acquisition", Reg::kAcquisitionStart),
        Command(kAcquisition, "AcquisitionStop", "Stops the acquisition", Reg::kAcquisitionStop),
        Integer(kAcquisition, "AcquisitionFrameCount", "Images of a MultiFrame acquisition",
                Reg::kAcquisitionFrameCount, 1, kMaxFrameCount, 1, 1)
            .Saved(),
        Float(kAcquisition, "AcquisitionFrameRate", "Images per second while acquiring",
              Reg::kAcquisitionFrameRate, kMinFrameRate, kMaxFrameRate, "Hz", kDefaultFrameRate)
            .Saved(),
        // The older name, for consumers that look it up.
        Float(kAcquisition, "AcquisitionFrameRateAbs", "Images per second while acquiring",
              Reg::kAcquisitionFrameRate, kMinFrameRate, kMaxFrameRate, "Hz", kDefaultFrameRate),
        Boolean(kAcquisition, "AcquisitionFrameRateEnable",
                "Whether AcquisitionFrameRate paces the images; else the exposure does",
                Reg::kAcquisitionFrameRateEnable, true)
            .Saved(),
        Enumeration(kAcquisition, "TriggerSelector", "Which trigger the trigger features set",
                    Reg::kTriggerSelector,
                    {{"FrameStart", Trigger::kFrameStart},
                     {"AcquisitionStart", Trigger::kAcquisitionStart}}),
        Enumeration(kAcquisition, "TriggerMode", "Whether the selected trigger is used",
                    Reg::kTriggerMode, {{"Off", 0}, {"On", 1}})
            .SelectedBy("TriggerSelector", Trigger::kCount)
            .Saved(),
        Enumeration(kAcquisition, "TriggerSource", "What fires the selected trigger",
                    Reg::kTriggerSource,
                    {{"Software", Trigger::kSourceSoftware},
                     {"Line0", Trigger::kSourceLine0},
                     {"Line1", Trigger::kSourceLine1}})
            .SelectedBy("TriggerSelector", Trigger::kCount)
            .Saved(),
        Enumeration(kAcquisition, "TriggerActivation", "Which edge of a line fires the trigger",
                    Reg::kTriggerActivation,
                    {{"RisingEdge", Trigger::kRisingEdge},
                     {"FallingEdge", Trigger::kFallingEdge},
                     {"AnyEdge", Trigger::kAnyEdge}})
            .SelectedBy("TriggerSelector", Trigger::kCount)
            .Saved(),
        Command(kAcquisition, "TriggerSoftware", "Fires the selected trigger",
                Reg::kTriggerSoftware)
            .SelectedBy("TriggerSelector", Trigger::kCount),
        Float(kAcquisition, "TriggerDelay", "Time from the trigger to what it starts",
              Reg::kTriggerDelay, 0, Trigger::kMaxDelay, "us", 0)
            .SelectedBy("TriggerSelector", Trigger::kCount)
            .Saved(),
        Enumeration(kAcquisition, "ExposureMode", "How the exposure is timed", Reg::kExposureMode,
                    {{"Timed", 0}}),
        Float(kAcquisition, "ExposureTime", "Exposure of each image; it limits the frame rate",
              Reg::kExposureTime, kMinExposureTime, kMaxExposureTime, "us", kDefaultExposureTime)
            .ChangesImage()
            .Saved(),
        Float(kAcquisition, "ExposureTimeAbs", "Exposure of each image; it limits the frame rate",
              Reg::kExposureTime, kMinExposureTime, kMaxExposureTime, "us", kDefaultExposureTime),
        Enumeration(kAcquisition, "ExposureAuto", "Whether the camera sets the exposure itself",
                    Reg::kExposureAuto, AutoEntries())
            .Saved(),

        Enumeration(kAnalog, "GainSelector", "Which gain Gain sets", Reg::kGainSelector,
                    {{"All", Gain::kAll},
                     {"Red", Gain::kRed},
                     {"Green", Gain::kGreen},
                     {"Blue", Gain::kBlue}}),
        Float(kAnalog, "Gain", "Amplification of the selected gain", Reg::kGain, 0, Gain::kMax,
              "dB", 0)
            .SelectedBy("GainSelector", Gain::kCount)
            .ChangesImage()
            .Saved(),
        Integer(kAnalog, "GainRaw", "The selected gain in tenths of a dB", Reg::kGainRaw, 0,
                Gain::kMax * 10, 1, 0)
            .SelectedBy("GainSelector", Gain::kCount)
            .Computed(),
        Enumeration(kAnalog, "GainAuto", "Whether the camera sets the gain itself", Reg::kGainAuto,
                    AutoEntries())
            .Saved(),
        Float(kAnalog, "BlackLevel", "Grey level added to every pixel, in 8-bit levels",
              Reg::kBlackLevel, 0, kMaxBlackLevel, "DN", 0)
            .ChangesImage()
            .Saved(),
        Float(kAnalog, "Gamma", "Exponent applied to the pixel intensities", Reg::kGamma, kMinGamma,
              kMaxGamma, "", 1)
            .ChangesImage()
            .Saved(),

        Boolean(kChunks, "ChunkModeActive", "Whether payloads carry chunks", Reg::kChunkModeActive,
                false)
            .FormatLocked()
            .Saved(),
        Enumeration(kChunks, "ChunkSelector", "Which chunk ChunkEnable switches",
                    Reg::kChunkSelector,
                    {{"Image", Chunk::kImage},
                     {"Timestamp", Chunk::kTimestamp},
                     {"FrameID", Chunk::kFrameID},
                     {"ExposureTime", Chunk::kExposureTime},
                     {"Gain", Chunk::kGain},
                     {"Width", Chunk::kWidth},
                     {"Height", Chunk::kHeight},
                     {"OffsetX", Chunk::kOffsetX},
                     {"OffsetY", Chunk::kOffsetY},
                     {"PixelFormat", Chunk::kPixelFormat}}),
        Boolean(kChunks, "ChunkEnable", "Whether the selected chunk is sent", Reg::kChunkEnable,
                false)
            .SelectedBy("ChunkSelector", Chunk::kCount)
            .FormatLocked()
            .Saved(),

        Enumeration(kEvents, "EventSelector", "Which event EventNotification switches",
                    Reg::kEventSelector, EventEntries()),
        Enumeration(kEvents, "EventNotification", "Whether the selected event is sent",
                    Reg::kEventNotification, {{"Off", 0}, {"On", 1}})
            .SelectedBy("EventSelector", Event::kCount),

        Enumeration(kUserSets, "UserSetSelector", "Which user set UserSetLoad and UserSetSave use",
                    Reg::kUserSetSelector, UserSetEntries()),
        Command(kUserSets, "UserSetLoad", "Loads the selected user set", Reg::kUserSetLoad),
        Command(kUserSets, "UserSetSave", "Saves the settings into the selected user set",
                Reg::kUserSetSave),
        Enumeration(kUserSets, "UserSetDefault", "The user set the camera starts with",
                    Reg::kUserSetDefault, UserSetEntries()),

        Integer(kTransport, "PayloadSize", "Bytes of one payload", Reg::kPayloadSize, 0, 0xFFFFFFFF,
                1, 0)
            .ReadOnly()
            .Computed(),
        Integer(kTransport, "TLParamsLocked",
                "Non-zero while the transport layer needs the image format to stay as it is",
                Reg::kTLParamsLocked, 0, 1, 1, 0),
        Integer(kTransport, "GevSCPSPacketSize", "Bytes of a stream packet",
                Reg::kGevSCPSPacketSize, kMinPacketSize, kMaxPacketSize, 4, kDefaultPacketSize)
            .Only(gev)
            .Saved(),
        Integer(kTransport, "GevTimestampTickFrequency", "Timestamp ticks per second",
                Reg::kGevTimestampTickFrequency, 1e9, 1e9, 1, 1e9)
            .ReadOnly()
            .Wide()
            .Only(gev),
        Integer(kTransport, "GevCurrentIPAddress", "IP address of the camera",
                Reg::kGevCurrentIPAddress, 0, 0xFFFFFFFF, 1, 0)
            .ReadOnly()
            .Computed()
            .Only(gev),
        Integer(kTransport, "DeviceLinkThroughputLimit", "Most bytes per second the camera sends",
                Reg::kDeviceLinkThroughputLimit, kMinThroughput, kMaxThroughput, 1, kMaxThroughput)
            .Only(Transport::Usb3Vision)
            .Saved(),
    };
    // A selector names what it selects, so that a GenApi engine reads them again after a change.
    std::map<std::string_view, CameraFeature*> byName;
    for (CameraFeature& feature : table) {
        byName.emplace(feature.node.name, &feature);
    }
    for (const CameraFeature& feature : table) {
        if (!feature.selector.empty()) {
            byName.at(feature.selector)->node.selected.push_back(feature.node.name);
        }
    }
    return table;
}

}  // namespace

const std::vector<CameraFeature>& CameraFeatures() {
    static const std::vector<CameraFeature> table = BuildTable();
    return table;
}

const CameraFeature* FindCameraFeature(uint64_t address, Transport transport) {
    for (const CameraFeature& feature : CameraFeatures()) {
        const bool here = feature.transport == Transport::Any || feature.transport == transport;
        if (here && feature.node.address == address) {
            return &feature;
        }
    }
    return nullptr;
}

const std::vector<ChunkFeature>& ChunkFeatures() {
    static const std::vector<ChunkFeature> chunks = {
        {"ChunkTimestamp", "Timestamp of the image, in ns", Chunk::kTimestamp, 8, Kind::Integer},
        {"ChunkFrameID", "Frame ID of the image", Chunk::kFrameID, 8, Kind::Integer},
        {"ChunkExposureTime", "Exposure of the image, in us", Chunk::kExposureTime, 8, Kind::Float},
        {"ChunkGain", "Gain (All) of the image, in dB", Chunk::kGain, 8, Kind::Float},
        {"ChunkWidth", "Width of the image", Chunk::kWidth, 4, Kind::Integer},
        {"ChunkHeight", "Height of the image", Chunk::kHeight, 4, Kind::Integer},
        {"ChunkOffsetX", "OffsetX of the image", Chunk::kOffsetX, 4, Kind::Integer},
        {"ChunkOffsetY", "OffsetY of the image", Chunk::kOffsetY, 4, Kind::Integer},
        {"ChunkPixelFormat", "Pixel format of the image", Chunk::kPixelFormat, 4,
         Kind::Enumeration},
    };
    return chunks;
}

const std::vector<std::pair<std::string_view, uint32_t>>& EventEntries() {
    static const Entries entries = {{"ExposureEnd", Event::kExposureEnd},
                                    {"FrameStart", Event::kFrameStart},
                                    {"AcquisitionEnd", Event::kAcquisitionEnd}};
    return entries;
}

Transport TransportOf(std::string_view tlType) {
    if (tlType == "GEV") {
        return Transport::GigEVision;
    }
    return tlType == "U3V" ? Transport::Usb3Vision : Transport::Any;
}

}  // namespace Tevold::Sim
