// x_test_window TITLE X Y WIDTH HEIGHT RRGGBB [animate|deal|still]
// Shows a window of one colour, prints its id once the window manager shows it,
// and answers lines on standard input: "minimise", "restore", "title TEXT", "move X Y",
// "dialog" (opens a window owned by it and answers its id), "quit". With
// "animate" its picture changes ten times a second, like a table in play; with
// "deal" for 300 ms every 3 s (a card dealt, chips moved), still otherwise; "still"
// shows the same busy picture without ever changing it.
#include "tests/support/XSession.h"

#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

#include <poll.h>
#include <time.h>
#include <unistd.h>

int main(int argc, char **argv)
{
    if (argc != 7 && argc != 8)
        return 2;
    const std::string mode = argc == 8 ? argv[7] : "";
    const bool animate = mode == "animate" || mode == "deal";
    const bool deal = mode == "deal";
    TestWindow window(QString::fromLocal8Bit(argv[1]),
                      QRect(atoi(argv[2]), atoi(argv[3]), atoi(argv[4]), atoi(argv[5])),
                      quint32(strtoul(argv[6], nullptr, 16)));
    if (!window.waitShown())
        return 3;
    if (mode == "still" || deal)
        window.animate(0);
    std::printf("%u\n", window.id());
    std::fflush(stdout);

    std::unique_ptr<TestWindow> dialog;
    std::string line;
    int step = 0;
    timespec started{};
    clock_gettime(CLOCK_MONOTONIC, &started);
    for (;;) {
        pollfd input{STDIN_FILENO, POLLIN, 0};
        if (poll(&input, 1, animate ? 100 : -1) > 0) {
            char buffer[256];
            const ssize_t n = read(STDIN_FILENO, buffer, sizeof buffer);
            if (n <= 0)
                break;
            line.append(buffer, size_t(n));
            size_t end;
            bool quit = false;
            while ((end = line.find('\n')) != std::string::npos) {
                const std::string command = line.substr(0, end);
                line.erase(0, end + 1);
                if (command == "minimise")
                    window.minimise();
                else if (command == "restore")
                    window.restore();
                else if (command.rfind("move ", 0) == 0) {
                    int x = 0, y = 0;
                    if (std::sscanf(command.c_str() + 5, "%d %d", &x, &y) == 2)
                        window.move(x, y);
                } else if (command.rfind("title ", 0) == 0)
                    window.setTitle(QString::fromStdString(command.substr(6)));
                else if (command == "dialog") {
                    const QRect inside(atoi(argv[2]) + 20, atoi(argv[3]) + 20, 200, 100);
                    dialog = std::make_unique<TestWindow>(QStringLiteral("Dialog"), inside, 0xc0c0c0,
                                                          QStringLiteral("brindletest"), window.id());
                    std::printf("%u\n", dialog->waitShown() ? dialog->id() : 0u);
                    std::fflush(stdout);
                    continue;
                } else if (command == "quit")
                    quit = true;
                std::printf("done\n");
                std::fflush(stdout);
            }
            if (quit)
                break;
        }
        if (deal) {
            timespec now{};
            clock_gettime(CLOCK_MONOTONIC, &now);
            const long tenth = (now.tv_sec - started.tv_sec) * 10 + (now.tv_nsec - started.tv_nsec) / 100000000;
            if (tenth % 30 < 3)
                window.animate(++step);
        } else if (animate) {
            window.animate(step++);
        }
    }
    return 0;
}
