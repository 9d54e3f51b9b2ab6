// kavrin-fake-camera: Aravis's GigE Vision fake camera on one network interface, so that the real
// camera backend can be tried on a machine without a camera. It answers discovery, control and
// streaming (GVCP and GVSP over UDP) until Ctrl-C or SIGTERM.
#include <arv.h>
#include <signal.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

constexpr const char* kUsage =
    "usage: kavrin-fake-camera [INTERFACE [SERIAL_NUMBER]]\n"
    "Runs Aravis's fake GigE Vision camera on INTERFACE (default lo) until Ctrl-C.\n"
    "Its device ID is Aravis-Fake-SERIAL_NUMBER (default Aravis-Fake-KF0001).\n";

}  // namespace

int main(int argc, char** argv) {
    if (argc > 1 && (std::strcmp(argv[1], "-h") == 0 || std::strcmp(argv[1], "--help") == 0)) {
        std::fputs(kUsage, stdout);
        return EXIT_SUCCESS;
    }
    if (argc > 3) {
        std::fputs(kUsage, stderr);
        return EXIT_FAILURE;
    }
    const char* networkInterface = argc > 1 ? argv[1] : "lo";
    const char* serialNumber = argc > 2 ? argv[2] : "KF0001";

    // Blocked before Aravis starts its threads, so that they inherit the mask and the signals
    // reach the sigwait below.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);

    ArvGvFakeCamera* camera = arv_gv_fake_camera_new(networkInterface, serialNumber);
    if (camera == nullptr || !arv_gv_fake_camera_is_running(camera)) {
        std::fprintf(stderr,
                     "kavrin-fake-camera: cannot run a camera on \"%s\" (does the interface exist "
                     "and have an IPv4 address?)\n",
                     networkInterface);
        if (camera != nullptr) g_object_unref(camera);
        return EXIT_FAILURE;
    }
    std::printf("Aravis-Fake-%s runs on %s; Ctrl-C stops it\n", serialNumber, networkInterface);
    std::fflush(stdout);

    int signal = 0;
    sigwait(&stopSignals, &signal);
    g_object_unref(camera);
    return EXIT_SUCCESS;
}
