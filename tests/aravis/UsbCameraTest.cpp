// The parts of the USB3 Vision path that need no camera: how a camera Aravis's USB discovery
// reports is listed and answered, and the description window every opened camera serves.
#include <gtest/gtest.h>

#include <string>

#include "tevold/CamResults.h"
#include "tevold/aravis/DescriptionWindow.h"
#include "tevold/aravis/UsbCameraRecord.h"

namespace aravis_tests {
namespace {

using Tevold::Aravis::CameraRecord;
using Tevold::Aravis::DescriptionWindow;
using Tevold::Aravis::UsbCameraRecord;

std::string InfoText(const CameraRecord& camera, int32_t item) {
    char text[128] = {};
    size_t size = sizeof text;
    EXPECT_EQ(Tevold::Aravis::QueryCameraInfo(camera, Tevold::Aravis::kAccessUnknown, {}, item,
                                              text, &size),
              Tevold::Result::kSuccess)
        << item;
    return text;
}

TEST(UsbCamera, DiscoveryTextsBecomeTheListedDeviceAndItsInformation) {
    const CameraRecord camera =
        UsbCameraRecord::FromDiscovery("Acme", "Cam 5", "S123", "2e5a-0001-S123");
    EXPECT_EQ(camera.deviceId, "Acme-Cam 5-S123");
    EXPECT_EQ(InfoText(camera, Tevold::kItemLibraryId), "Acme-Cam 5-S123");
    EXPECT_EQ(InfoText(camera, Tevold::kItemInterfaceName), "USB");
    EXPECT_EQ(InfoText(camera, Tevold::kItemTLType), "U3V");
    EXPECT_EQ(InfoText(camera, Tevold::kItemVendor), "Acme");
    EXPECT_EQ(InfoText(camera, Tevold::kItemModel), "Cam 5");
    EXPECT_EQ(InfoText(camera, Tevold::kItemSerialNumber), "S123");
    EXPECT_EQ(InfoText(camera, Tevold::kItemLocation), "u3v://2e5a-0001-S123");
    // Read from the camera once it is opened; unknown before.
    EXPECT_EQ(InfoText(camera, Tevold::kItemVersion), "");
    EXPECT_EQ(InfoText(camera, Tevold::kItemUserName), "");
    uint32_t status = 99;
    size_t size = sizeof status;
    EXPECT_EQ(Tevold::Aravis::QueryCameraInfo(camera, Tevold::Aravis::kAccessUnknown, {},
                                              Tevold::kItemAccessStatus, &status, &size),
              Tevold::Result::kSuccess);
    EXPECT_EQ(status, Tevold::Aravis::kAccessUnknown);
    // A discovered camera serves no description.
    char url[64];
    size = sizeof url;
    EXPECT_EQ(Tevold::Aravis::QueryCameraInfo(camera, Tevold::Aravis::kAccessUnknown, {},
                                              Tevold::kItemDescriptionUrl, url, &size),
              Tevold::Result::kNotAvailable);

    EXPECT_EQ(UsbCameraRecord::AravisId(camera), "2e5a-0001-S123");
}

TEST(UsbCamera, MissingDiscoveryTextsAreEmpty) {
    const CameraRecord camera = UsbCameraRecord::FromDiscovery(nullptr, nullptr, nullptr, nullptr);
    EXPECT_EQ(camera.deviceId, "--");
    EXPECT_EQ(camera.vendor, "");
    EXPECT_EQ(camera.location, "u3v://");
    EXPECT_EQ(UsbCameraRecord::AravisId(camera), "");
}

TEST(UsbCamera, DescriptionWindowServesExactlyTheDescriptionAboveEveryRegister) {
    const std::string xml = "<RegisterDescription/>";
    const DescriptionWindow window(xml, "Cam 5/x");
    EXPECT_EQ(window.Url(), "Local:Cam_5_x.xml;f000000000000000;16");
    EXPECT_FALSE(window.Covers(0xFFFF'FFFFULL));
    EXPECT_FALSE(window.Covers(DescriptionWindow::kAddress - 1));
    EXPECT_TRUE(window.Covers(DescriptionWindow::kAddress));

    std::string read(xml.size(), '\0');
    EXPECT_EQ(window.Read(DescriptionWindow::kAddress, read.data(), read.size()),
              Tevold::Result::kSuccess);
    EXPECT_EQ(read, xml);
    char tail[4] = {};
    EXPECT_EQ(window.Read(DescriptionWindow::kAddress + xml.size() - 3, tail, 3),
              Tevold::Result::kSuccess);
    EXPECT_STREQ(tail, "n/>");
    EXPECT_EQ(window.Read(DescriptionWindow::kAddress + xml.size(), tail, 0),
              Tevold::Result::kSuccess);
    EXPECT_EQ(window.Read(DescriptionWindow::kAddress + xml.size() - 2, tail, 3),
              Tevold::Result::kInvalidParameter);
    EXPECT_EQ(window.Read(DescriptionWindow::kAddress + xml.size() + 1, tail, 0),
              Tevold::Result::kInvalidParameter);
    EXPECT_EQ(window.Read(~0ULL, tail, 1), Tevold::Result::kInvalidParameter);
    EXPECT_EQ(DescriptionWindow("", "").Url(), "Local:Camera.xml;f000000000000000;0");
}

}  // namespace
}  // namespace aravis_tests
