#pragma once

#include "CaptureParams.h"
#include "bc_ret.h"

#include <QImage>
#include <QSize>

#include <memory>

class FrameGrabber;

// Owner of one pre-allocated picture: the frame (32-bit BGRX, as X delivers
// pixels, so the encoder takes them without a conversion copy; the 24-bit
// layout a Windows DIB would have is not used) or the watermark (premultiplied ARGB).
class BitmapDeviceContext
{
public:
    virtual ~BitmapDeviceContext() = default;

    bc_ret create(const QSize &size);
    bc_ret createFromPicture(const QImage &picture);

    bool isNull() const { return m_image.isNull(); }
    int width() const { return m_image.isNull() ? -1 : m_image.width(); }
    int height() const { return m_image.isNull() ? -1 : m_image.height(); }
    QImage &image() { return m_image; }
    const QImage &image() const { return m_image; }

private:
    QImage m_image;
};

// Turns a target into fixed-size frames: the target's pixels centred (cut evenly
// when larger, black borders when smaller), the cursor, and the watermark at the
// bottom-right. init() runs on the GUI thread, shoot() on the video worker.
class WindowImageShooter
{
public:
    explicit WindowImageShooter(const VideoRecParamsSptr &params);
    virtual ~WindowImageShooter();

    bc_ret init();
    // Before init(): copy with plain GetImage even where MIT-SHM is there (measurements).
    void setSharedMemoryAllowed(bool allowed) { m_allowShm = allowed; }
    // The frame's pixels (frameSize(), stride() bytes per row), or null when the
    // copy failed (errors then says why). Valid until the next call.
    const uchar *shoot(bc_ret &errors);

    QSize frameSize() const { return QSize(m_width, m_height); }
    int stride() const { return m_frame.image().bytesPerLine(); }
    const QImage &watermark() const { return m_watermark.image(); }
    // The frame as a picture (shares the pixels).
    const QImage &frame() const { return m_frame.image(); }

    // Watermark size for a frame, by the 800 x 600 rule.
    static QImage scaledWatermark(const QImage &picture, const QSize &frame);

private:
    void drawCursor(int dx, int dy);
    // The frame with the watermark blended into its corner.
    const uchar *marked();

    VideoRecParams *m_params;
    VideoRecParamsSptr m_paramsHolder;
    int m_width;
    int m_height;
    CaptureSource m_source;
    BitmapDeviceContext m_frame;
    QRect m_clearRect;
    BitmapDeviceContext m_watermark;
    std::unique_ptr<FrameGrabber> m_grabber;
    bool m_allowShm = true;
};
