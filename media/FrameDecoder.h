#pragma once

#include "app/bc_ret.h"
#include "library/LibraryItems.h"
#include "media/AVHandles.h"

#include <QImage>
#include <QPixmap>
#include <QSize>
#include <QString>


// The length of a video file in milliseconds; -1 when it cannot be read.
qint64 probeDuration(const QString &file, bc_ret &result);

// Pictures from a video file at given times.
class FrameDecoder
{
public:
    FrameDecoder() = default;
    virtual ~FrameDecoder();
    FrameDecoder(const FrameDecoder &) = delete;
    FrameDecoder &operator=(const FrameDecoder &) = delete;

    bc_ret open(const QString &file);
    // The picture on screen at ms (the last one at or before it: frames a recording
    // left empty repeat the picture before; the first one when ms lies before it),
    // scaled to fit size keeping its aspect (its own size when size is empty).
    bc_ret decodeAt(qint64 ms, const QSize &size, QImage &image);
    void close();

private:
    bc_ret deliver(const AVFrame *frame, const QSize &size, QImage &image);

    av::Input m_input;
    int m_stream = -1;
    av::Codec m_codec;
    av::Frame m_frame;
    av::Frame m_held; // the last picture at or before the time asked for
    av::Frame m_rgb;
    av::Scaler m_converter;
    int m_timeBaseNum = 1;
    int m_timeBaseDen = 1;
};

// One picture of a video; null with the reasons in result on failure.
QPixmap grabFrame(const QString &file, qint64 ms, const QSize &size, bc_ret &result);

// Facts about a finished recording, with a thumbnail of its first picture saved
// for the lists; null when the file does not exist.
VideoInfoSptr createVideoInfo(const QString &videoFile, const QSize &size);
