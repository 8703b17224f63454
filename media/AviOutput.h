#pragma once

#include "app/bc_ret.h"
#include "media/AVHandles.h"

#include <QString>

// A new AVI file's context (the file is not opened yet) with its one stream, whatever
// the file is called; what failed otherwise.
bc_ret newAviOutput(const QString &fileName, av::Output &container, AVStream *&stream);
