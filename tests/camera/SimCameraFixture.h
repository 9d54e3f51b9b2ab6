// A connected simulated camera reached the way a GenICam consumer reaches it: its register
// description evaluated by aravis's GenApi engine over the camera's registers, and its stream.
#pragma once

#include "AravisPortDevice.h"
#include "SimTestSupport.h"

#include <cstdint>
#include <string>
#include <vector>

namespace Tevold::Testing {

using Image = std::vector<uint8_t>;

struct Frame {
    Image payload;
    CamImageInfo info;
};

class SimCameraTest : public SimTest {
protected:
    void SetUp() override { SetUpCamera(kGevInterface, kGevCamera); }

    void SetUpCamera(const std::string& interfaceName, const std::string& deviceId) {
        SimTest::SetUp();
        Sim::SetPacing(false);
        deviceId_ = deviceId;
        system_ = OpenSystem();
        interface_ = ConnectInterface(*system_, interfaceName);
        device_ = ConnectDevice(*interface_, deviceId);
        ASSERT_NE(nullptr, device_);
        const auto [address, length] = ParseLocalUrl(QueryText(*device_, kItemDescriptionUrl));
        xml_ = ReadBytes(*device_, address, length);
        port_ = MakeAravisPortDevice(*device_);
        gc_ = ParseDescription(port_.get(), xml_);
        ASSERT_NE(nullptr, gc_);
        CamStream* stream = nullptr;
        ASSERT_EQ(Result::kSuccess, device_->OpenStream("DS0", &stream));
        stream_.reset(stream);
    }

    ArvGcNode* Node(const char* name) {
        ArvGcNode* node = arv_gc_get_node(gc_.get(), name);
        EXPECT_NE(nullptr, node) << name;
        return node;
    }

    // Each setter fails the test when the engine or the camera refuses the value.
    void SetInteger(const char* name, int64_t value) {
        GError* error = nullptr;
        arv_gc_integer_set_value(ARV_GC_INTEGER(Node(name)), value, &error);
        Check(error, name);
    }
    void SetFloat(const char* name, double value) {
        GError* error = nullptr;
        arv_gc_float_set_value(ARV_GC_FLOAT(Node(name)), value, &error);
        Check(error, name);
    }
    void SetEntry(const char* name, const char* entry) {
        GError* error = nullptr;
        arv_gc_enumeration_set_string_value(ARV_GC_ENUMERATION(Node(name)), entry, &error);
        Check(error, name);
    }
    void SetBoolean(const char* name, bool value) {
        GError* error = nullptr;
        arv_gc_boolean_set_value(ARV_GC_BOOLEAN(Node(name)), value, &error);
        Check(error, name);
    }
    void Execute(const char* name) {
        GError* error = nullptr;
        arv_gc_command_execute(ARV_GC_COMMAND(Node(name)), &error);
        Check(error, name);
    }
    int64_t Integer(const char* name) {
        return arv_gc_integer_get_value(ARV_GC_INTEGER(Node(name)), nullptr);
    }
    double Float(const char* name) {
        return arv_gc_float_get_value(ARV_GC_FLOAT(Node(name)), nullptr);
    }
    std::string Entry(const char* name) {
        const char* entry =
            arv_gc_enumeration_get_string_value(ARV_GC_ENUMERATION(Node(name)), nullptr);
        return entry != nullptr ? entry : "";
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

    std::string deviceId_;
    SystemPtr system_;
    InterfacePtr interface_;
    DevicePtr device_;
    std::string xml_;
    ArvDevicePtr port_;
    ArvGcPtr gc_;
    StreamPtr stream_;

private:
    static void Check(GError* error, const char* name) {
        if (error != nullptr) {
            ADD_FAILURE() << name << ": " << error->message;
            g_error_free(error);
        }
    }
};

}  // namespace Tevold::Testing
