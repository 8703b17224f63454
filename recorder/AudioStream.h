#pragma once

#include "AudioFormat.h"
#include "bc_ret.h"

#include <QString>

#include <memory>
#include <vector>

struct AVFormatContext;
struct AVStream;
struct AVCodecContext;
struct AVPacket;

// Gathers bytes into whole blocks for its target, which gets `writeBlock(data,
// size, errors)` calls of exactly the block size, and a shorter one at flush().
template<class T>
class DataAligner
{
public:
    DataAligner(T *target, int blockSize)
        : m_target(target)
        , m_block(size_t(qMax(1, blockSize)))
    {
    }

    void write(const uchar *data, int size, bc_ret &errors)
    {
        while (errors.ok() && size > 0) {
            const int room = int(m_block.size()) - m_fill;
            const int n = qMin(room, size);
            std::copy(data, data + n, m_block.data() + m_fill);
            m_fill += n;
            data += n;
            size -= n;
            if (m_fill == int(m_block.size())) {
                m_target->writeBlock(m_block.data(), m_fill, errors);
                m_fill = 0;
            }
        }
    }

    // Hands on what is left of a block.
    void flush(bc_ret &errors)
    {
        if (m_fill == 0)
            return;
        m_target->writeBlock(m_block.data(), m_fill, errors);
        m_fill = 0;
    }

    int blockSize() const { return int(m_block.size()); }
    int fill() const { return m_fill; }

private:
    T *m_target;
    std::vector<uchar> m_block;
    int m_fill = 0;
};

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
    QString m_fileName;
    AudioFormatSptr m_format;
    AVFormatContext *m_container = nullptr;
    AVStream *m_stream = nullptr;
    AVCodecContext *m_codec = nullptr;
    AVPacket *m_packet = nullptr;
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
// level period) into 30-second blocks of the encoder.
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
