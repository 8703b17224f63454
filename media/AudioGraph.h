#pragma once

#include "app/bc_ret.h"
#include "media/AudioFormat.h"
#include "media/DataAligner.h"
#include "media/TaskQueue.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <memory>

// Decodes the sound track of a media file and hands the samples on in blocks,
// then silence for any part of the video the sound does not cover.
class AudioReader : public AsyncTask
{
public:
    explicit AudioReader(const QString &path)
        : m_path(path)
    {
    }
    bc_ret run() override;

protected:
    virtual bc_ret onFormat(const AudioFormatSptr &format) = 0;
    virtual bc_ret onData(const char *bytes, qint64 length) = 0;
    virtual bc_ret onEnd() = 0;

private:
    struct Input;
    bc_ret open(Input &input);
    bc_ret readSound(Input &input, qint64 &decodedMs);
    bc_ret fillSilence(const AudioFormat &format, qint64 missingMs);

    QString m_path;
};

// The loudness of a sound track: one value in decibels per 100 ms, from -54
// (silence) to 0 (full scale).
class AudioGraphBuilder : public AudioReader
{
public:
    static constexpr int kFloor = -54;

    explicit AudioGraphBuilder(const QString &path);
    const QList<int> &values() const { return m_values; }
    // The level of 16-bit samples: the root mean square against full scale.
    static int level(const uchar *samples, int bytes);
    // A whole chunk of 100 ms.
    void writeBlock(const uchar *data, int size, bc_ret &errors);

protected:
    bc_ret onFormat(const AudioFormatSptr &format) override;
    bc_ret onData(const char *bytes, qint64 length) override;
    bc_ret onEnd() override { return bc_ret(); }

private:
    AudioFormatSptr m_format;
    int m_chunkBytes = 0;
    std::unique_ptr<DataAligner<AudioGraphBuilder>> m_aligner;
    QList<int> m_values;
};
