// A connected simulated camera reached the way a GenICam consumer reaches it: its register
// description evaluated by aravis's GenApi engine over the camera's registers, and its stream.
#pragma once

#include "AravisPortDevice.h"
#include "SimTestSupport.h"
#include "tests/common/GenApiFeatureAccess.h"

#include <cstdint>
#include <string>
#include <vector>

namespace Tevold::Testing {

using Image = std::vector<uint8_t>;

struct Frame {
    Image payload;
    CamImageInfo info;
};

class SimCameraTest : public CameraTest, protected ::Testing::GenApiFeatureAccess {
protected:
    ArvGc* Engine() override { return gc_.get(); }

    void SetUp() override { SetUpCamera(kGevInterface, kGevCamera); }

    void SetUpCamera(const std::string& interfaceName, const std::string& deviceId) {
        ASSERT_NO_FATAL_FAILURE(ConnectCamera(interfaceName, deviceId));
        Sim::SetPacing(false);
        const auto [address, length] = ParseLocalUrl(QueryText(*device_, kItemDescriptionUrl));
        xml_ = ReadBytes(*device_, address, length);
        port_ = MakeAravisPortDevice(*device_);
        gc_ = ParseDescription(port_.get(), xml_);
        ASSERT_NE(nullptr, gc_);
        CamStream* stream = nullptr;
        ASSERT_EQ(Result::kSuccess, device_->OpenStream("DS0", &stream));
        stream_.reset(stream);
    }

    uint64_t PayloadSize() {
        uint64_t size = 0;
        size_t bytes = sizeof size;
        EXPECT_EQ(Result::kSuccess, stream_->GetParameter(kParamPayloadSize, &size, &bytes));
        return size;
    }

    // One image of a running acquisition.
    Frame Grab(uint32_t timeoutMs = 1000) {
        Frame frame;
        frame.payload.assign(PayloadSize(), 0);
        EXPECT_EQ(kGrabOk, stream_->GrabImage(frame.payload.data(), frame.payload.size(), timeoutMs,
                                              &frame.info));
        return frame;
    }

    // One image of an acquisition of its own.
    Frame GrabOne() {
        EXPECT_EQ(Result::kSuccess, stream_->StartGrab(0, -1));
        Frame frame = Grab();
        EXPECT_EQ(Result::kSuccess, stream_->StopGrab(0));
        return frame;
    }

    std::string xml_;
    ArvDevicePtr port_;
    ArvGcPtr gc_;
    StreamPtr stream_;
};

}  // namespace Tevold::Testing
