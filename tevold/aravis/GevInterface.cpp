#include "tevold/aravis/GevInterface.h"

#include "tevold/CamResults.h"
#include "tevold/InfoOnlyDevice.h"
#include "tevold/TextOutput.h"
#include "tevold/aravis/AravisCamera.h"
#include "tevold/aravis/GLibOwnership.h"

#include <algorithm>
#include <memory>
#include <system_error>

namespace Tevold::Aravis {
namespace {

// Cameras answer a discovery within a second; the consumer's timeout may only shorten the wait.
constexpr uint32_t kMaxDiscoveryWaitMs = 1000;
constexpr uint32_t kMinDiscoveryWaitMs = 20;
// How long opening a camera that is not listed yet looks for it.
constexpr uint32_t kOpenDiscoveryWaitMs = 500;
constexpr auto kAccessQueryWait = std::chrono::milliseconds(200);
// Exclusive access and control access in the control channel privilege register.
constexpr uint32_t kPrivilegeControlBits = 0x3;

// A camera some application controls is busy; one that does not answer is of unknown status.
uint32_t AccessStatusOf(const in_addr& local, const in_addr& camera) {
    try {
        const auto privilege =
            GvcpClient(local).ReadRegister(camera, kControlChannelPrivilege, kAccessQueryWait);
        if (!privilege) {
            return kAccessUnknown;
        }
        return *privilege == 0 ? kAccessReadWrite : kAccessBusy;
    } catch (const std::system_error&) {
        return kAccessUnknown;
    }
}

}  // namespace

GevInterface::GevInterface(NetworkInterface nic, std::shared_ptr<DeferredRelease> release)
    : RealCameraInterface(nic.name, "gev", "GEV"),
      nic_(std::move(nic)),
      release_(std::move(release)) {}

CamResult GevInterface::Discover(uint32_t timeoutMs) {
    const auto wait =
        std::chrono::milliseconds(std::clamp(timeoutMs, kMinDiscoveryWaitMs, kMaxDiscoveryWaitMs));
    std::vector<GevCameraRecord> found;
    try {
        found = GvcpClient(nic_.address).Discover(nic_.discoveryTarget, wait);
    } catch (const std::system_error&) {
        return Result::kIo;
    }
    std::lock_guard lock(mutex_);
    cameras_ = std::move(found);
    return Result::kSuccess;
}

CamResult GevInterface::CountDevices(uint32_t* count, uint32_t timeoutMs) {
    if (count == nullptr) {
        return Result::kInvalidParameter;
    }
    if (const CamResult result = Discover(timeoutMs); result != Result::kSuccess) {
        return result;
    }
    std::lock_guard lock(mutex_);
    *count = static_cast<uint32_t>(cameras_.size());
    return Result::kSuccess;
}

CamResult GevInterface::GetDeviceName(uint32_t index, char* buffer, size_t* size) {
    std::lock_guard lock(mutex_);
    if (index >= cameras_.size()) {
        return Result::kInvalidParameter;
    }
    const GevCameraRecord& camera = cameras_[index];
    return WriteText(MakeDeviceId(camera.vendor, camera.model, camera.serialNumber), buffer, size);
}

std::optional<GevCameraRecord> GevInterface::Listed(const std::string& deviceId) {
    std::lock_guard lock(mutex_);
    for (const GevCameraRecord& camera : cameras_) {
        if (MakeDeviceId(camera.vendor, camera.model, camera.serialNumber) == deviceId) {
            return camera;
        }
    }
    return std::nullopt;
}

CameraRecord GevInterface::Describe(const GevCameraRecord& camera) const {
    return {MakeDeviceId(camera.vendor, camera.model, camera.serialNumber),
            nic_.name,
            "GEV",
            camera.vendor,
            camera.model,
            camera.version,
            camera.serialNumber,
            camera.userName,
            "gev://" + FormatAddress(camera.address)};
}

CamResult GevInterface::FindDevice(const char* name, CamDevice** device) {
    if (name == nullptr || device == nullptr) {
        return Result::kInvalidParameter;
    }
    const auto camera = Listed(name);
    if (!camera) {
        return Result::kInvalidId;
    }
    *device =
        new InfoOnlyDevice([record = Describe(*camera), local = nic_.address,
                            remote = camera->address](int32_t item, void* buffer, size_t* size) {
            const uint32_t status =
                item == kItemAccessStatus ? AccessStatusOf(local, remote) : kAccessUnknown;
            return QueryCameraInfo(record, status, {}, item, buffer, size);
        });
    return Result::kSuccess;
}

CameraWatch::Probe GevInterface::ControlProbe(const in_addr& camera) const {
    std::shared_ptr<GvcpClient> client;
    try {
        client = std::make_shared<GvcpClient>(nic_.address);
    } catch (const std::system_error&) {
        // Without a socket of its own the camera is watched by Aravis's heartbeat alone.
        return {};
    }
    // Reading a register is open to every application; the privilege register says whether
    // some application, which can only be this one, still controls the camera.
    return [client, camera](std::chrono::milliseconds wait) {
        const auto privilege = client->ReadRegister(camera, kControlChannelPrivilege, wait);
        if (!privilege) {
            return CameraWatch::Answer::Silent;
        }
        return (*privilege & kPrivilegeControlBits) != 0 ? CameraWatch::Answer::Controlled
                                                         : CameraWatch::Answer::NotControlled;
    };
}

CamResult GevInterface::ConnectDevice(const char* name, CamDevice** device) {
    if (name == nullptr || device == nullptr) {
        return Result::kInvalidParameter;
    }
    auto camera = Listed(name);
    if (!camera && Discover(kOpenDiscoveryWaitMs) == Result::kSuccess) {
        camera = Listed(name);
    }
    if (!camera) {
        return Result::kError;
    }
    const GObjectPtr<GInetAddress> local(g_inet_address_new_from_bytes(
        reinterpret_cast<const guint8*>(&nic_.address), G_SOCKET_FAMILY_IPV4));
    const GObjectPtr<GInetAddress> remote(g_inet_address_new_from_bytes(
        reinterpret_cast<const guint8*>(&camera->address), G_SOCKET_FAMILY_IPV4));
    ErrorSlot error;
    GObjectPtr<ArvDevice> opened(arv_gv_device_new(local.get(), remote.get(), error));
    if (opened == nullptr) {
        return Result::kError;
    }
    // Aravis opens a camera another application controls for reading only; we want control.
    if (!arv_gv_device_is_controller(ARV_GV_DEVICE(opened.get()))) {
        return Result::kAccessDenied;
    }
    *device = new AravisCamera(opened.release(), Describe(*camera), ControlProbe(camera->address),
                               CameraWatch::SilenceLimitFromEnvironment(), release_);
    return Result::kSuccess;
}

}  // namespace Tevold::Aravis
