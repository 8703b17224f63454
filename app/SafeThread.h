#pragma once

#include <QThread>

// A thread that runs an event loop and, when destroyed while still running,
// ends the loop and waits for it instead of aborting the process.
class SafeThread : public QThread
{
    Q_OBJECT
public:
    using QThread::QThread;
    ~SafeThread() override
    {
        quit();
        wait();
    }
};
