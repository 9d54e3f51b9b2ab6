// kavrin-fake-camera: Aravis's GigE Vision fake camera on one network interface, so that the real
// camera backend can be tried on a machine without a camera. It answers discovery, control and
// streaming (GVCP and GVSP over UDP) until Ctrl-C or SIGTERM.
//
// Aravis's fake camera trusts what it is sent: some requests (a memory read far past its
// registers, for one) end its process. So the camera runs in a child process that this one
// watches: a camera that dies of a request is started again, and the tool itself never goes
// down with it. A consumer connected at the time loses the camera, as with a real one that
// resets.
#include <arv.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

constexpr const char* kUsage =
    "usage: kavrin-fake-camera [INTERFACE [SERIAL_NUMBER]]\n"
    "Runs Aravis's fake GigE Vision camera on INTERFACE (default lo) until Ctrl-C.\n"
    "Its device ID is Aravis-Fake-SERIAL_NUMBER (default Aravis-Fake-KF0001).\n";

// The camera process's exit status when the camera cannot start; any other end but a stop is
// a death (a signal, or a sanitizer's report of the crash), after which the camera starts again.
constexpr int kCannotStart = 3;

// The camera's own process: runs it until SIGTERM. The signals are blocked, as in the watcher.
int RunCamera(const char* networkInterface, const char* serialNumber, const sigset_t& stop) {
    ArvGvFakeCamera* camera = arv_gv_fake_camera_new(networkInterface, serialNumber);
    if (camera == nullptr || !arv_gv_fake_camera_is_running(camera)) {
        std::fprintf(stderr,
                     "kavrin-fake-camera: cannot run a camera on \"%s\" (does the interface exist "
                     "and have an IPv4 address?)\n",
                     networkInterface);
        if (camera != nullptr) g_object_unref(camera);
        return kCannotStart;
    }
    std::printf("Aravis-Fake-%s runs on %s; Ctrl-C stops it\n", serialNumber, networkInterface);
    std::fflush(stdout);
    int signal = 0;
    sigwait(&stop, &signal);
    g_object_unref(camera);
    return EXIT_SUCCESS;
}

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

    // Blocked before any thread or child exists, so that the camera's threads inherit the mask
    // and the signals reach the sigwaits. SIGCHLD tells the watcher that the camera ended.
    sigset_t stop;
    sigemptyset(&stop);
    sigaddset(&stop, SIGINT);
    sigaddset(&stop, SIGTERM);
    sigset_t watched = stop;
    sigaddset(&watched, SIGCHLD);
    pthread_sigmask(SIG_BLOCK, &watched, nullptr);

    for (;;) {
        std::fflush(stdout);
        const pid_t camera = fork();
        if (camera < 0) {
            std::perror("kavrin-fake-camera: fork");
            return EXIT_FAILURE;
        }
        if (camera == 0) _exit(RunCamera(networkInterface, serialNumber, stop));

        int signal = 0;
        sigwait(&watched, &signal);
        if (signal != SIGCHLD) {
            // Ctrl-C or SIGTERM: the camera stops, and so does the watcher.
            kill(camera, SIGTERM);
        }
        int status = 0;
        while (waitpid(camera, &status, 0) < 0) {
        }
        if (signal != SIGCHLD) return EXIT_SUCCESS;
        if (WIFEXITED(status) && WEXITSTATUS(status) == kCannotStart) return EXIT_FAILURE;
        if (WIFSIGNALED(status)) {
            std::fprintf(stderr,
                         "kavrin-fake-camera: the camera died of a request it could not handle "
                         "(signal %d); starting it again\n",
                         WTERMSIG(status));
        } else {
            std::fprintf(stderr,
                         "kavrin-fake-camera: the camera died of a request it could not handle "
                         "(exit status %d); starting it again\n",
                         WEXITSTATUS(status));
        }
        std::fflush(stderr);
    }
}
