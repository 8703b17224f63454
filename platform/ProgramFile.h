#pragma once

#include "app/bc_ret.h"

#include <QByteArray>
#include <QString>

namespace desktop {

// Puts newFile in the place of the program file. The running program keeps its own
// open copy, so this works while it runs. The old file is first renamed aside (to the
// program path followed by uuidText); the new contents are then copied beside it,
// given the old file's mode and renamed into place, and the old file is deleted. When
// the new file cannot be put in place the old one is renamed back. The new contents
// belong to whoever runs this, never to the owner of the downloaded file.
bc_ret replaceProgramFile(const QString &programPath, const QString &newFile, const QString &uuidText);

// True for a program this machine can run: a script ("#!") or an ELF file of the same
// class, byte order and machine as the running program.
bool runsOnThisMachine(const QByteArray &head);

// An absolute path to the program named by a command's first word (which a shell
// may have found on PATH), with symbolic links resolved; empty when not found.
QString absoluteProgramPath(const QString &firstArgument);

} // namespace desktop
