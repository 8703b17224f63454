#pragma once

// Test support: a private PulseAudio daemon (test-sound-server.pa) with a null sink
// (whose monitor source hears what is played into it), a 440 Hz sine source, and a
// default source that hears that tone the way a microphone delivers sound. This
// process's clients are pointed at it through PULSE_SERVER.

#include <QProcess>
#include <QString>
#include <QTemporaryDir>

#include <memory>

class PulseSession
{
public:
    ~PulseSession();
    // Starts the daemon (again, after kill(), on the same socket); on failure the
    // daemon's own output is printed as a warning.
    bool start();
    // Ends the daemon abruptly, as a crash would.
    void kill();

    static constexpr char kSineSource[] = "sine_input";
    static constexpr char kNullMonitor[] = "null.monitor";
    static constexpr char kMicrophone[] = "mic.monitor";

    // Plays a tone into the null sink in real time, in the background, for seconds.
    bool playTone(double frequency, double seconds, qint16 amplitude = 12000);

private:
    QString logFile() const;
    bool failed(const QString &what);

    QTemporaryDir m_runtime;
    std::unique_ptr<QProcess> m_daemon;
    std::unique_ptr<QProcess> m_player;
};
