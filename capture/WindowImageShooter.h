#pragma once

#include "app/bc_ret.h"
#include "capture/CaptureParams.h"

#include <QImage>
#include <QSize>

#include <memory>

class FrameSource;
struct CursorImage;

// Owner of one pre-allocated picture: the frame (32-bit BGRX, as X delivers
// pixels, so the encoder takes them without a conversion copy; the 24-bit
// layout a Windows DIB would have is not used) or the watermark (premultiplied ARGB).
// Frames are read by swscale's vector code, which reads whole vectors past the end
// of the last row: every frame has this much zeroed memory after it.
inline constexpr qsizetype kFrameTailPadding = 64;
// A 32-bit frame of size, width * 4 bytes per row, with that padding after it.
QImage newFrameImage(const QSize &size);

class FrameImage
{
public:

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
// Two frames are kept: the one last kept (encoded) and the one being shot, so that
// a shot can be told equal to the kept picture without copying either.
class WindowImageShooter
{
public:
    explicit WindowImageShooter(const VideoRecParamsSptr &params);
    virtual ~WindowImageShooter();

    // Makes the frames and the desktop's frame source (see makeFrameSource()).
    bc_ret init();
    // Before init(): copy without shared memory even where the desktop has it (measurements).
    void setSharedMemoryAllowed(bool allowed) { m_allowShm = allowed; }
    // The frame's pixels (frameSize(), stride() bytes per row), or null when the
    // copy failed (errors then says why). Valid until the next shoot() after keep().
    const uchar *shoot(bc_ret &errors);
    // True when the last shot equals the kept frame pixel for pixel.
    bool sameAsKept() const { return m_sameAsKept; }
    // True when the target is shown but everything copied of it was black (before the
    // cursor and the watermark): a desktop that hides its pixels gives that.
    bool copiedBlack() const { return m_copiedBlack; }
    // The last shot becomes the kept frame (it was encoded); the next shot goes into
    // the other one.
    void keep();

    QSize frameSize() const { return QSize(m_width, m_height); }
    int stride() const { return m_frames[m_shot].image().bytesPerLine(); }
    const QImage &watermark() const { return m_watermark.image(); }
    // The last shot as a picture (shares the pixels).
    const QImage &frame() const { return m_frames[m_shotIsKept ? 1 - m_shot : m_shot].image(); }

    // Watermark size for a frame, by the 800 x 600 rule.
    static QImage scaledWatermark(const QImage &picture, const QSize &frame);

private:
    // What decides a frame besides the copied pixels.
    struct View
    {
        QRect rect;
        QRect visible;
        bool showing = false;
        bool cursorShown = false;
        QPoint cursorAt; // in the visible rectangle
        quint32 cursorSerial = 0;
        bool operator==(const View &) const = default;
    };
    View currentView(CursorImage &cursor) const;
    bool mayHaveChanged(const View &view);
    // The frame with the watermark blended into its corner, compared with the kept one.
    const uchar *marked(QImage &frame);

    VideoRecParams *m_params;
    VideoRecParamsSptr m_paramsHolder;
    int m_width;
    int m_height;
    CaptureSource m_from;
    FrameImage m_frames[2];
    int m_shot = 0;         // the frame shot into
    bool m_hasKept = false; // the other one holds a kept picture
    bool m_sameAsKept = false;
    bool m_shotIsKept = false; // the last shot gave the kept frame back
    bool m_copiedBlack = false; // of the last copy; a shot without one keeps it
    bool m_copyIsKept = false; // what the grabber copied last is the kept frame
    View m_shotView;
    View m_keptView;
    QRect m_clearRect;
    FrameImage m_watermark;
    std::unique_ptr<FrameSource> m_source;
    bool m_allowShm = true;
};
