#pragma once

#include "app/bc_ret.h"
#include "media/AVHandles.h"
#include "media/AudioFormat.h"
#include "media/DataAligner.h"

#include <QString>

#include <memory>
#include <vector>

// Writes an AVI file with one PCM signed 16-bit little-endian stream, one packet per block.
class AudioEncoder
{
public:
    AudioEncoder(const QString &fileName, const AudioFormatSptr &format);
    ~AudioEncoder();
    AudioEncoder(const AudioEncoder &) = delete;
    AudioEncoder &operator=(const AudioEncoder &) = delete;

    bc_ret open();
    void writeBlock(const uchar *data, int size, bc_ret &errors);
    void close();
    bool isOpen() const { return m_open; }

private:
    // The steps of open().
    bc_ret openCodec();
    bc_ret openFile();

    QString m_fileName;
    AudioFormatSptr m_format;
    av::Output m_container;
    AVStream *m_stream = nullptr; // the container's
    av::Codec m_codec;
    av::Packet m_packet;
    qint64 m_samples = 0;
    bool m_headerWritten = false;
    bool m_open = false;
};

// The sound level of each block, in decibels from -54 (silence) to 0 (full scale).
class VolumeReporter
{
public:
    explicit VolumeReporter(DataAligner<AudioEncoder> *next)
        : m_next(next)
    {
    }

    void writeBlock(const uchar *data, int size, bc_ret &errors);
    int level() const { return m_level; }

    // The level of 16-bit little-endian samples.
    static int levelOf(const uchar *data, int size);

private:
    DataAligner<AudioEncoder> *m_next;
    int m_level = 0;
};

// One audio segment file: sound is written through the level meter (a value per
// level period) into one-second blocks of the encoder.
class AudioStream
{
public:
    AudioStream(const QString &fileName, const AudioFormatSptr &format, int levelPeriod);

    QString fileName() const { return m_fileName; }
    bc_ret open();
    // Returns the current level.
    int write(const uchar *data, int size, bc_ret &errors);
    // Flushes the partial blocks (errors dropped) and closes the file.
    void close();

private:
    QString m_fileName;
    AudioEncoder m_encoder;
    DataAligner<AudioEncoder> m_encoderAligner;
    VolumeReporter m_reporter;
    DataAligner<VolumeReporter> m_levelAligner;
};
using AudioStreamSptr = std::shared_ptr<AudioStream>;
