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

// The same clock in microseconds, for sound, whose samples are 45 µs apart.
inline qint64 steadyMicroseconds()
{
    return std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now().time_since_epoch())
            .count();
}
