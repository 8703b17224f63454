#pragma once

#include <QtGlobal>

#include <chrono>
#include <functional>

// A monotonic millisecond clock; recorders take it as a function so tests can drive time.
using MillisecondClock = std::function<qint64()>;

inline qint64 steadyMilliseconds()
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
            .count();
}
