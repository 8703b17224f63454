#pragma once

#include "app/bc_ret.h"

#include <QString>

#include <memory>

// Records 16-bit little-endian PCM from a sound source of the audio server
// (PulseAudio). Blocking: read() returns once the buffer is full. One thread at a time.
class AudioCapture
{
public:
    AudioCapture();
    ~AudioCapture();
    AudioCapture(const AudioCapture &) = delete;
    AudioCapture &operator=(const AudioCapture &) = delete;

    // sourceName empty: the server's default source. A name that is not present
    // falls back to the default source. The server delivers sound in pieces of
    // fragmentBytes; without it, it may hold back seconds of sound.
    bc_ret open(const QString &sourceName, int sampleRate, int channels, int fragmentBytes, const QString &streamName);
    bc_ret read(void *buffer, int size);
    // How long ago the last sample read was captured (µs), as the server reports it
    // for the stream; -1 when it cannot tell.
    qint64 latencyUs();
    void close();
    bool isOpen() const;
    // The source actually recorded from (empty for the default).
    QString sourceName() const { return m_source; }

private:
    struct Private;
    std::unique_ptr<Private> d;
    QString m_source;
};
