#include "tools/ProgressDisplay.h"

#include <unistd.h>

#include <string>

namespace Kavrin::Tools {

namespace {

constexpr int kBarWidth = 40;
constexpr std::chrono::milliseconds kTerminalInterval{100};
constexpr std::chrono::seconds kLineInterval{1};

}  // namespace

ProgressDisplay::ProgressDisplay(std::FILE* out, uint64_t total)
    : out_(out),
      total_(total),
      terminal_(isatty(fileno(out)) != 0),
      lastDraw_(std::chrono::steady_clock::now()) {}

void ProgressDisplay::Update(uint64_t done, double framesPerSecond) {
    const auto now = std::chrono::steady_clock::now();
    const auto interval = terminal_ ? std::chrono::steady_clock::duration(kTerminalInterval)
                                    : std::chrono::steady_clock::duration(kLineInterval);
    if (done < total_ && now - lastDraw_ < interval) return;
    lastDraw_ = now;
    Draw(done, framesPerSecond);
}

void ProgressDisplay::Draw(uint64_t done, double framesPerSecond) {
    const auto frames = static_cast<unsigned long long>(done);
    const auto total = static_cast<unsigned long long>(total_);
    if (terminal_) {
        const int filled = total_ == 0 ? kBarWidth : static_cast<int>(kBarWidth * done / total_);
        std::fprintf(out_, "\r[%s%s] %llu/%llu frames, %.1f fps", std::string(filled, '#').c_str(),
                     std::string(kBarWidth - filled, '.').c_str(), frames, total, framesPerSecond);
    } else {
        std::fprintf(out_, "%llu/%llu frames, %.1f fps\n", frames, total, framesPerSecond);
    }
    std::fflush(out_);
    drawn_ = true;
}

void ProgressDisplay::Finish() {
    if (terminal_ && drawn_) std::fputc('\n', out_);
    std::fflush(out_);
}

}  // namespace Kavrin::Tools
