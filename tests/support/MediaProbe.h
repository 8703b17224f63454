#pragma once

// Test support: what FFmpeg reads back from a media file.

#include <QImage>
#include <QList>
#include <QString>

struct VideoProbe
{
    bool ok = false;
    QString container;  // e.g. "avi"
    QString codec;      // e.g. "msmpeg4v2"
    int width = 0;
    int height = 0;
    QList<qint64> pts;  // of the packets that carry a picture, in stream time base units
    QList<QImage> frames; // decoded pictures, in order (at most maxFrames)
};

VideoProbe probeVideo(const QString &path, int maxFrames = 8);

struct AudioProbe
{
    bool ok = false;
    QString container;
    QString codec;      // e.g. "pcm_s16le"
    int sampleRate = 0;
    int channels = 0;
    QByteArray samples; // the decoded sound, as stored
};

AudioProbe probeAudio(const QString &path);
