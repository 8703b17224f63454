#pragma once

#include <QStringList>

class MyApplication;

// The start-up stages in their order, the event loop and the work after it.
// Returns 0 on every path; a pending exit command is run by the caller.
int runStartup(MyApplication &app, const QStringList &arguments);
