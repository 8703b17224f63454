#pragma once

#include <QByteArray>
#include <QString>

// The program a process runs. For a Wine process (the executable's file name
// starts with "wine") it is the Windows program from the first command-line
// field, e.g. "C:\Program Files\PokerStars\PokerStars.exe". Empty when the
// process cannot be read or has ended (a zombie).
QString processExecutablePath(qint64 pid);

// The same decision on given facts: the executable's path and the raw
// NUL-separated command line.
QString programPathFrom(const QString &executable, const QByteArray &cmdline);

// The file name of a program path written with either separator:
// "C:\Games\PokerStars.exe" and "/opt/x/PokerStars.exe" both give "PokerStars.exe".
QString programFileName(const QString &path);
