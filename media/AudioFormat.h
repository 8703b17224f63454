#pragma once

#include <memory>

// A sound track's format; the defaults are those of every recording: 22050 Hz,
// mono, 16-bit.
struct AudioFormat
{
    int sampleRate = 22050;
    int channels = 1;
    int bitsPerSample = 16;
    int bitRate = 352800; // bits per second

    int bytesPerSecond() const { return bitRate / 8; }
};
using AudioFormatSptr = std::shared_ptr<AudioFormat>;
