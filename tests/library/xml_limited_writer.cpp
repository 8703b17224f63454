// xml_limited_writer PATH crash|fail|small
// Writes a large document to PATH while the process may not write more than
// 4 KiB to any file. With "crash" the kernel kills the process at the limit
// (a crash in the middle of the write); with "fail" the write fails as on a
// full disk and the program prints the result and exits 0. With "small" a document
// small enough to stay in the file's buffer is written while no byte may reach the
// file: the disk being full shows only when the buffer is flushed.
#include "library/XmlElement.h"

#include <csignal>
#include <cstdio>
#include <cstring>

#include <sys/resource.h>

int main(int argc, char **argv)
{
    if (argc != 3)
        return 2;
    const bool crash = std::strcmp(argv[2], "crash") == 0;
    std::signal(SIGXFSZ, crash ? SIG_DFL : SIG_IGN);

    const bool small = std::strcmp(argv[2], "small") == 0;
    XmlRootElement root;
    for (int i = 0; i < (small ? 5 : 500); ++i)
        root.addChild(QStringLiteral("item"), QString()).addChild(QStringLiteral("title"), QStringLiteral("video %1").arg(i));

    const rlim_t bytes = small ? 0 : 4096;
    const rlimit limit{bytes, bytes};
    if (setrlimit(RLIMIT_FSIZE, &limit) != 0)
        return 3;
    const bc_ret ret = root.writeToFile(QString::fromLocal8Bit(argv[1]));
    std::printf("%s\n", qPrintable(ret.details(QStringLiteral(" | "))));
    return 0;
}
