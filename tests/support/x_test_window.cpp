// x_test_window TITLE X Y WIDTH HEIGHT RRGGBB
// Shows a window of one colour, prints its id once the window manager shows it,
// and answers lines on standard input: "minimise", "restore", "quit".
#include "XSession.h"

#include <QTextStream>

#include <cstdio>
#include <iostream>
#include <string>

int main(int argc, char **argv)
{
    if (argc != 7)
        return 2;
    TestWindow window(QString::fromLocal8Bit(argv[1]),
                      QRect(atoi(argv[2]), atoi(argv[3]), atoi(argv[4]), atoi(argv[5])),
                      quint32(strtoul(argv[6], nullptr, 16)));
    if (!window.waitShown())
        return 3;
    std::printf("%u\n", window.id());
    std::fflush(stdout);
    std::string line;
    while (std::getline(std::cin, line)) {
        if (line == "minimise")
            window.minimise();
        else if (line == "restore")
            window.restore();
        else if (line == "quit")
            break;
        std::printf("done\n");
        std::fflush(stdout);
    }
    return 0;
}
