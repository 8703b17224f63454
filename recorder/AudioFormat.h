#pragma once

#include <QString>

#include <memory>

// The sound of every recording: 22050 Hz, mono, 16-bit.
struct AudioFormat
{
    int sampleRate = 22050;
    int channels = 1;
    int bitsPerSample = 16;
    int bitRate = 352800; // bits per second

    int bytesPerSecond() const { return bitRate / 8; }
};
using AudioFormatSptr = std::shared_ptr<AudioFormat>;

// What one recording's microphone capture uses. The device is a source of the
// audio server, named as the server names it.
struct AudioRecParams
{
    bool useDefaultDevice = true;
    QString deviceName;
    AudioFormatSptr format = std::make_shared<AudioFormat>();
    int levelPeriod = 2; // tenths of a second per level value
};
using AudioRecParamsSptr = std::shared_ptr<AudioRecParams>;
