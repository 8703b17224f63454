#pragma once

#include "app/bc_ret.h"
#include "library/VideoFormat.h"
#include "media/AVHandles.h"

#include <QString>

#include <memory>

// Writes one video-only AVI segment (Microsoft MPEG-4 v2, 4 Mbit/s, a key frame
// every 200 encoded frames and at least every 20 s) from 32-bit BGRX frames as the
// shooter makes them. Each frame carries its number as presentation time, in units
// of 1 / frame rate. Frame numbers never given are left out: the AVI muxer writes
// empty chunks for them, which every reader takes as the picture before going on.
// Nothing is allocated per frame: picture, packet and converter are made by open().
class FrameEncoder
{
public:
    FrameEncoder(const QString &fileName, const VideoFormatSptr &format);
    virtual ~FrameEncoder();
    FrameEncoder(const FrameEncoder &) = delete;
    FrameEncoder &operator=(const FrameEncoder &) = delete;

    bc_ret open();
    // bits: a frame of the format's size, width * 4 bytes per row.
    void encode(const uchar *bits, qint64 frameNumber, bc_ret &errors);
    // Encodes the last picture again as frameNumber (black when there was none), for a
    // frame that could not be grabbed: the video keeps the length of its segment.
    void repeat(qint64 frameNumber, bc_ret &errors);
    // True when frameNumber must be encoded even if its picture is the last one: the
    // first frame, or a key frame due (a still stretch must not make seeking slow).
    bool mustEncode(qint64 frameNumber) const;
    // Encodes the last picture as lastFrame unless that frame is written already:
    // a file ending in a still stretch would otherwise end at its last change.
    void finish(qint64 lastFrame, bc_ret &errors);
    // Flushes, writes the trailer and frees everything; the length of video written
    // in ms (0 when nothing was written or nothing was open). Safe when not open.
    int close();

    QString fileName() const { return m_fileName; }
    bool isOpen() const { return m_open; }
    // The size actually encoded: an odd height loses its last row; a picture smaller
    // than 2 x 2 is stretched to that.
    int width() const { return m_width; }
    int height() const { return m_height; }

private:
    // The steps of open().
    bc_ret openCodec(int frameRate);
    bc_ret makePictureAndConverter();
    bc_ret openFile();
    bool writablePicture(const char *context, bc_ret &errors);
    void send(qint64 frameNumber, bc_ret &errors);
    bc_ret writePackets();

    QString m_fileName;
    VideoFormatSptr m_format;
    int m_duration = 0;
    av::Output m_container;
    qint64 m_flushedSecond = -1;
    av::Codec m_codec;
    AVStream *m_stream = nullptr; // the container's
    av::Frame m_picture;
    av::Packet m_packet;
    av::Scaler m_converter;
    int m_width = 0;
    int m_height = 0;
    int m_sourceWidth = 0;
    int m_sourceRows = 0; // rows of the source converted
    int m_sourceStride = 0;
    bool m_headerWritten = false;
    bool m_open = false;
    bool m_hasPicture = false;
    qint64 m_lastWritten = -1;
    qint64 m_lastKeyFrame = -1;
    qint64 m_keyFrameDistance = 200; // frames in 20 s
};
using FrameEncoderSptr = std::shared_ptr<FrameEncoder>;
