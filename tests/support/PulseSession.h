#pragma once

// Test support: a private PulseAudio daemon with a null sink (whose monitor
// source hears what is played into it) and a 440 Hz sine source (the default
// source). This process's clients are pointed at it through PULSE_SERVER.

#include <QProcess>
#include <QString>
#include <QTemporaryDir>

#include <memory>

class PulseSession
{
public:
    ~PulseSession();
    bool start();
    // Ends the daemon abruptly, as a crash would.
    void kill();

    static constexpr char kSineSource[] = "sine_input";
    static constexpr char kNullMonitor[] = "null.monitor";

    // Plays a tone into the null sink in real time, in the background, for seconds.
    bool playTone(double frequency, double seconds, qint16 amplitude = 12000);

private:
    QTemporaryDir m_runtime;
    std::unique_ptr<QProcess> m_daemon;
    std::unique_ptr<QProcess> m_player;
};
