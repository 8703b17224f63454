// Milliseconds per frame of an 800 x 600 window target, with MIT-SHM and with
// plain GetImage, against a memcpy of the same bytes measured in the same run
// (the floor any copy of the pixels costs). Runs its own X server.
#include "capture/Target.h"
#include "capture/WindowImageShooter.h"
#include "resources/Resources.h"
#include "tests/support/XSession.h"

#include <QElapsedTimer>
#include <QGuiApplication>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

namespace {

constexpr int kRounds = 300;

template<class F>
double medianMs(F &&work)
{
    std::vector<double> times;
    times.reserve(kRounds);
    for (int i = 0; i < kRounds; ++i) {
        QElapsedTimer timer;
        timer.start();
        work();
        times.push_back(double(timer.nsecsElapsed()) / 1e6);
    }
    std::nth_element(times.begin(), times.begin() + kRounds / 2, times.end());
    return times[kRounds / 2];
}

double shootMs(const TargetSptr &target, bool shm)
{
    auto params = std::make_shared<VideoRecParams>();
    params->target = target;
    params->watermark = watermarkImage();
    params->format = std::make_shared<VideoFormat>(VideoFormat{800, 600, 10, 100});
    WindowImageShooter shooter(params);
    shooter.setSharedMemoryAllowed(shm);
    if (shooter.init().failed())
        return -1;
    bc_ret errors;
    const double ms = medianMs([&] { shooter.shoot(errors); });
    return errors.ok() ? ms : -1;
}

} // namespace

int main(int argc, char **argv)
{
    XSession session;
    if (!session.start(true)) {
        std::fprintf(stderr, "cannot start a private X server\n");
        return 1;
    }
    qputenv("QT_QPA_PLATFORM", "xcb");
    QGuiApplication app(argc, argv);
    TestWindow window(QStringLiteral("bench"), QRect(100, 100, 800, 600), 0x336699);
    if (!window.waitShown())
        return 1;
    movePointer(1270, 1015);

    const QRect client = desktop::windowClientRect(window.id());
    std::vector<uchar> from(800 * 600 * 4, 1), to(800 * 600 * 4);
    const double copyMs = medianMs([&] {
        std::memcpy(to.data(), from.data(), from.size());
        asm volatile("" : : "r"(to.data()) : "memory");
    });
    const auto screen = std::make_shared<RegionTarget>(client);
    const auto own = std::make_shared<ClientTarget>(window.id());
    struct Row
    {
        const char *name;
        double ms;
    } rows[] = {
        {"screen rectangle, MIT-SHM", shootMs(screen, true)},
        {"screen rectangle, GetImage", shootMs(screen, false)},
        {"own window content, MIT-SHM", shootMs(own, true)},
        {"own window content, GetImage", shootMs(own, false)},
    };
    std::printf("800 x 600 frame, median of %d shots\n", kRounds);
    std::printf("%-32s %8.3f ms\n", "memcpy of the frame (floor)", copyMs);
    for (const Row &row : rows)
        std::printf("%-32s %8.3f ms  %6.1f x memcpy\n", row.name, row.ms, row.ms / copyMs);
    return 0;
}
