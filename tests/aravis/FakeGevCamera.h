// Aravis's own GigE Vision fake camera, run in this process on loopback: real GVCP and GVSP over
// UDP on 127.0.0.1.
#pragma once

#include <arv.h>

#include <cstdint>
#include <string>

namespace aravis_tests {

class FakeGevCamera {
public:
    static constexpr const char* kSerialNumber = "KT0001";
    // The device ID the camera library gives it: vendor, model, serial number.
    static constexpr const char* kDeviceId = "Aravis-Fake-KT0001";

    FakeGevCamera() : camera_(arv_gv_fake_camera_new("lo", kSerialNumber)) {}
    ~FakeGevCamera() { PowerOff(); }
    FakeGevCamera(const FakeGevCamera&) = delete;
    FakeGevCamera& operator=(const FakeGevCamera&) = delete;

    bool IsRunning() const { return camera_ != nullptr && arv_gv_fake_camera_is_running(camera_); }

    // The frame period, so a test's images come quickly.
    void SetFrameRate(uint32_t framesPerSecond) {
        arv_fake_camera_write_register(Registers(),
                                       ARV_FAKE_CAMERA_REGISTER_ACQUISITION_FRAME_PERIOD_US,
                                       1000000 / framesPerSecond);
    }

    // The share of stream packets (0 to 1) the camera leaves unsent.
    void SetPacketLoss(double ratio) { g_object_set(camera_, "gvsp-lost-ratio", ratio, nullptr); }

    // The camera says it resends packets (the packet resend bit of its GVCP capability
    // register), so Aravis asks it for the ones that went missing. Aravis 0.8's fake camera
    // ignores the requests: nothing is resent. Takes effect for a camera opened afterwards.
    void AdvertisePacketResend() {
        ArvFakeCamera* registers = Registers();
        guint32 capability = 0;
        arv_fake_camera_read_register(registers, kGvcpCapabilityRegister, &capability);
        arv_fake_camera_write_register(registers, kGvcpCapabilityRegister,
                                       capability | kPacketResendCapability);
    }

    // The camera waits for a software trigger that never comes: it answers control but sends no
    // image of its own, so that another sender can stream in its name.
    void SendNoImages() {
        ArvFakeCamera* registers = Registers();
        arv_fake_camera_write_register(registers, ARV_FAKE_CAMERA_REGISTER_TRIGGER_MODE, 1);
        arv_fake_camera_write_register(registers, ARV_FAKE_CAMERA_REGISTER_TRIGGER_SOURCE,
                                       kSoftwareSource);
    }

    ArvFakeCamera* Registers() const { return arv_gv_fake_camera_get_fake_camera(camera_); }

    // The camera stops answering and sending, as one whose cable was pulled.
    void PowerOff() {
        if (camera_ != nullptr) {
            g_object_unref(camera_);
            camera_ = nullptr;
        }
    }

private:
    static constexpr guint32 kGvcpCapabilityRegister = 0x0934;
    static constexpr guint32 kPacketResendCapability = 1u << 2;
    static constexpr guint32 kSoftwareSource = 1;

    ArvGvFakeCamera* camera_;
};

}  // namespace aravis_tests
