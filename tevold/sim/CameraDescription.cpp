#include "tevold/sim/CameraDescription.h"

#include "tevold/GenApiXmlWriter.h"
#include "tevold/SimRegisterMap.h"

#include <cstdio>

namespace Tevold::Sim {
namespace {

std::string BuildDescription() {
    using Access = RegisterAccess;
    GenApiXmlWriter writer({"TevoldSimCamera", "Tevold", "Simulated area-scan camera",
                            "8c2f4f2e-5d3a-4b7e-9a61-2f0c7e4b1d01",
                            "3b9e6c1a-7f24-4e8d-b5c2-9d1a0e6f7a02"});
    writer.AddCategory("Root", {"DeviceControl", "ImageFormatControl", "AcquisitionControl",
                                "TransportLayerControl"});
    writer.AddCategory("DeviceControl", {"DeviceVendorName", "DeviceModelName", "DeviceVersion",
                                         "DeviceSerialNumber", "DeviceID", "DeviceUserID"});
    writer.AddCategory("ImageFormatControl", {"Width", "Height", "PixelFormat", "TestPattern"});
    writer.AddCategory("AcquisitionControl", {"AcquisitionMode", "AcquisitionStart",
                                              "AcquisitionStop", "AcquisitionFrameRate"});
    writer.AddCategory("TransportLayerControl", {"PayloadSize", "TLParamsLocked"});

    const uint32_t text = CameraRegister::kTextLength;
    writer.AddString("DeviceVendorName", "Manufacturer of the camera", CameraRegister::kVendorName,
                     text, Access::ReadOnly);
    writer.AddString("DeviceModelName", "Model of the camera", CameraRegister::kModelName, text,
                     Access::ReadOnly);
    writer.AddString("DeviceVersion", "Version of the camera", CameraRegister::kDeviceVersion, text,
                     Access::ReadOnly);
    writer.AddString("DeviceSerialNumber", "Serial number of the camera",
                     CameraRegister::kSerialNumber, text, Access::ReadOnly);
    // The older name of the serial number, which some consumers still ask for.
    writer.AddString("DeviceID", "Serial number of the camera", CameraRegister::kSerialNumber, text,
                     Access::ReadOnly);
    writer.AddString("DeviceUserID", "Name the user gave the camera", CameraRegister::kUserId, text,
                     Access::ReadWrite);

    writer.AddInteger({"Width", "Image width in pixels", CameraRegister::kWidth, Access::ReadWrite,
                       kMinWidth, kMaxWidth, kWidthIncrement, "TLParamsLocked"});
    writer.AddInteger({"Height", "Image height in pixels", CameraRegister::kHeight,
                       Access::ReadWrite, kMinHeight, kMaxHeight, kHeightIncrement,
                       "TLParamsLocked"});
    writer.AddEnumeration({"PixelFormat",
                           "Format of the pixels",
                           CameraRegister::kPixelFormat,
                           {{"Mono8", PixelFormat::kMono8},
                            {"Mono16", PixelFormat::kMono16},
                            {"RGB8", PixelFormat::kRGB8}},
                           "TLParamsLocked"});
    writer.AddEnumeration({"TestPattern",
                           "Pattern the camera draws",
                           CameraRegister::kTestPattern,
                           {{"Black", TestPattern::kBlack},
                            {"GreyDiagonalRampMoving", TestPattern::kGreyDiagonalRampMoving},
                            {"GreyHorizontalRampMoving", TestPattern::kGreyHorizontalRampMoving}},
                           {}});
    writer.AddInteger({"PayloadSize",
                       "Bytes of one image",
                       CameraRegister::kPayloadSize,
                       Access::ReadOnly,
                       0,
                       int64_t{kMaxWidth} * kMaxHeight * 3,
                       1,
                       {},
                       true});
    writer.AddEnumeration({"AcquisitionMode",
                           "How many images an acquisition takes",
                           CameraRegister::kAcquisitionMode,
                           {{"Continuous", kAcquisitionModeContinuous}},
                           "TLParamsLocked"});
    writer.AddCommand("AcquisitionStart", "Starts the acquisition",
                      CameraRegister::kAcquisitionStart, kCommandValue);
    writer.AddCommand("AcquisitionStop", "Stops the acquisition", CameraRegister::kAcquisitionStop,
                      kCommandValue);
    writer.AddFloat({"AcquisitionFrameRate", "Images per second while acquiring",
                     CameraRegister::kAcquisitionFrameRate, kMinFrameRate, kMaxFrameRate, "Hz"});
    writer.AddInteger({"TLParamsLocked",
                       "Non-zero while the transport layer needs the image"
                       " format to stay as it is",
                       CameraRegister::kTLParamsLocked,
                       Access::ReadWrite,
                       0,
                       1,
                       1,
                       {}});
    return writer.Finish();
}

}  // namespace

const std::string& CameraDescription() {
    static const std::string description = BuildDescription();
    return description;
}

std::string CameraDescriptionUrl() {
    char url[128];
    std::snprintf(url, sizeof url, "Local:TevoldSimCamera.xml;%llx;%zx?SchemaVersion=1.1.0",
                  static_cast<unsigned long long>(CameraRegister::kDescription),
                  CameraDescription().size());
    return url;
}

}  // namespace Tevold::Sim
