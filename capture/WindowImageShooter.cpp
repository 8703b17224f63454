#include "capture/WindowImageShooter.h"

#include "platform/FrameSource.h"

#include <cstdlib>
#include <cstring>

namespace {

// Premultiplied ARGB source over an opaque frame, clipped to the frame.
void blend(QImage &frame, QPoint at, const quint32 *src, QSize srcSize, int srcStride)
{
    const QRect area = QRect(at, srcSize) & frame.rect();
    for (int y = area.top(); y <= area.bottom(); ++y) {
        auto *out = reinterpret_cast<quint32 *>(frame.scanLine(y));
        const quint32 *in = src + qsizetype(y - at.y()) * srcStride;
        for (int x = area.left(); x <= area.right(); ++x) {
            const quint32 s = in[x - at.x()];
            const quint32 alpha = s >> 24;
            if (alpha == 0)
                continue;
            if (alpha == 255) {
                out[x] = s;
                continue;
            }
            const quint32 d = out[x];
            const quint32 keep = 255 - alpha;
            quint32 result = 0xff000000;
            for (int shift = 0; shift < 24; shift += 8) {
                const quint32 channel = ((s >> shift) & 0xff) + (((d >> shift) & 0xff) * keep + 127) / 255;
                result |= qMin<quint32>(channel, 255) << shift;
            }
            out[x] = result;
        }
    }
}

// True when no pixel of the area has any colour (the fourth byte is not colour).
bool allBlack(const QImage &frame, const QRect &area)
{
    const QRect inside = area & frame.rect();
    for (int y = inside.top(); y <= inside.bottom(); ++y) {
        const auto *row = reinterpret_cast<const quint32 *>(frame.constScanLine(y));
        for (int x = inside.left(); x <= inside.right(); ++x) {
            if (row[x] & 0x00ffffffu)
                return false;
        }
    }
    return true;
}

} // namespace

QImage newFrameImage(const QSize &size)
{
    if (size.width() <= 0 || size.height() <= 0)
        return QImage();
    const qsizetype stride = qsizetype(size.width()) * 4;
    const qsizetype bytes = stride * size.height() + kFrameTailPadding;
    // Zeroed, so that what is read past the last row is defined.
    auto *data = static_cast<uchar *>(std::calloc(size_t(bytes), 1));
    if (!data)
        return QImage();
    return QImage(data, size.width(), size.height(), stride, QImage::Format_RGB32, [](void *p) { std::free(p); }, data);
}

bc_ret FrameImage::create(const QSize &size)
{
    m_image = newFrameImage(size);
    if (m_image.isNull())
        return bc_ret(QStringLiteral("FrameImage::create"), -1, QStringLiteral("Error creating bitmap from screen DC"));
    return bc_ret();
}

bc_ret FrameImage::createFromPicture(const QImage &picture)
{
    m_image = picture.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    if (m_image.isNull())
        return bc_ret(QStringLiteral("FrameImage::createFromPicture"), -1,
                      QStringLiteral("Error creating bitmap from pixmap"));
    return bc_ret();
}

WindowImageShooter::WindowImageShooter(const VideoRecParamsSptr &params)
    : m_params(params.get())
    , m_paramsHolder(params)
    , m_width(params && params->format ? params->format->width : 0)
    , m_height(params && params->format ? params->format->height : 0)
{
}

WindowImageShooter::~WindowImageShooter() = default;

QImage WindowImageShooter::scaledWatermark(const QImage &picture, const QSize &frame)
{
    if (picture.isNull())
        return QImage();
    // Sized as if the frame were 800 x 600 scaled by the larger of the two factors.
    const double fx = frame.width() / 800.0;
    const double fy = frame.height() / 600.0;
    if (fy < fx)
        return picture.scaledToWidth(picture.width() * frame.width() / 800, Qt::SmoothTransformation);
    return picture.scaledToHeight(picture.height() * frame.height() / 600, Qt::SmoothTransformation);
}

bc_ret WindowImageShooter::init()
{
    if (!m_params || !m_params->target)
        return bc_ret(QStringLiteral("WindowImageShooter::init"), -1, QStringLiteral("Error creating screen DC"));
    m_from = m_params->target->captureSource();
    if (!m_from.isValid())
        return bc_ret(QStringLiteral("WindowImageShooter::init"), -1, QStringLiteral("Error creating screen DC"));

    bc_ret ret = m_width > 0 && m_height > 0 ? m_frames[0].create(QSize(m_width, m_height))
                                             : bc_ret(QStringLiteral("FrameImage::create"), -1,
                                                      QStringLiteral("Error creating bitmap from screen DC"));
    if (ret.ok())
        ret = m_frames[1].create(QSize(m_width, m_height));
    m_shot = 0;
    m_hasKept = false;
    if (ret.failed())
        return ret.add(QStringLiteral("WindowImageShooter::init"), -1, QStringLiteral("Error creating DC for the window image"));
    m_clearRect = QRect(0, 0, m_width, m_height);

    // Without a watermark the recording simply goes on without one.
    const QImage scaled = scaledWatermark(m_params->watermark, QSize(m_width, m_height));
    if (!scaled.isNull())
        m_watermark.createFromPicture(scaled);

    bc_ret sourceErrors;
    m_source = makeFrameSource(FrameSourceOptions{QSize(m_width, m_height), m_allowShm, m_from.kind == CaptureSource::Screen},
                               sourceErrors);
    if (!m_source)
        return sourceErrors.add(QStringLiteral("WindowImageShooter::init"), -1, QStringLiteral("Nothing can be recorded on this desktop"));
    return bc_ret();
}

WindowImageShooter::View WindowImageShooter::currentView(CursorImage &cursor) const
{
    View view;
    const TargetView where = m_params->target->view();
    view.rect = where.captureRect;
    // A closed window has an empty rectangle and a minimised one shows nothing.
    view.showing = !view.rect.isEmpty() && where.showing;
    if (!view.showing)
        return view;
    view.visible = where.visibleRect;
    if (m_source->cursor(cursor) && view.visible.contains(cursor.position)) {
        view.cursorShown = true;
        view.cursorAt = cursor.position - view.visible.topLeft();
        view.cursorSerial = cursor.serial;
    }
    return view;
}

bool WindowImageShooter::mayHaveChanged(const View &view)
{
    // Asked even when the answer is known: it also takes in the server's reports.
    bool drawn = false;
    if (view.showing)
        drawn = m_from.kind == CaptureSource::Screen ? m_source->rectMayHaveChanged(view.rect)
                                                       : m_source->windowMayHaveChanged(m_from.window);
    return drawn || !m_copyIsKept || !(view == m_keptView);
}

const uchar *WindowImageShooter::shoot(bc_ret &errors)
{
    if (!m_source) {
        errors.add(QStringLiteral("WindowImageShooter::shoot"), -1, QStringLiteral("Bitmap transfer failed (-1)"));
        return nullptr;
    }
    m_sameAsKept = false;
    m_shotIsKept = false;
    CursorImage cursor;
    const View view = currentView(cursor);
    if (!mayHaveChanged(view)) {
        // Nothing drawn, moved or pointed at since the kept frame was copied.
        m_sameAsKept = m_shotIsKept = true;
        return m_frames[1 - m_shot].image().constBits();
    }
    m_shotView = view;
    m_copyIsKept = false;
    QImage &frame = m_frames[m_shot].image();
    std::memset(frame.bits(), 0, size_t(frame.sizeInBytes()));
    // The frame stays black (marked like every other) while nothing is shown, and the
    // recording goes on.
    m_copiedBlack = false;
    if (!view.showing)
        return marked(frame);

    const QRect &rect = view.rect;
    const int dx = (m_width - rect.width()) / 2;
    const int dy = (m_height - rect.height()) / 2;
    FrameBuffer buffer{frame.bits(), m_width, m_height, int(frame.bytesPerLine())};
    bc_ret copyErrors;
    const FrameSource::Result result = m_from.kind == CaptureSource::Screen
                                                ? m_source->copyRect(rect, buffer, QPoint(dx, dy), copyErrors)
                                                : m_source->copyWindow(m_from.window, rect, buffer, QPoint(dx, dy), copyErrors);
    if (result == FrameSource::Result::Unavailable)
        return marked(frame);
    if (result == FrameSource::Result::Failed) {
        const qint64 code = copyErrors.entries().isEmpty() ? -1 : copyErrors.entries().last().code;
        errors += copyErrors;
        errors.add(QStringLiteral("WindowImageShooter::shoot"), code, QStringLiteral("Bitmap transfer failed (%1)").arg(code));
        return nullptr;
    }
    // Usually ends at the first pixel; the whole copy is read only when it is all black.
    m_copiedBlack = allBlack(frame, QRect(QPoint(dx, dy), rect.size()));
    if (view.cursorShown) {
        const QPoint at = view.cursorAt + QPoint(dx, dy) - cursor.hotSpot;
        blend(frame, at, cursor.pixels, cursor.size, cursor.size.width());
    }
    return marked(frame);
}

void WindowImageShooter::keep()
{
    if (m_frames[m_shot].isNull() || m_shotIsKept)
        return;
    m_shot = 1 - m_shot;
    m_hasKept = true;
    m_keptView = m_shotView;
    m_copyIsKept = true;
}

const uchar *WindowImageShooter::marked(QImage &frame)
{
    if (!m_watermark.isNull()) {
        const QImage &mark = m_watermark.image();
        blend(frame, QPoint(m_width - mark.width(), m_height - mark.height()),
              reinterpret_cast<const quint32 *>(mark.constBits()), mark.size(), int(mark.bytesPerLine() / 4));
    }
    // Both frames have the same size and stride.
    m_sameAsKept = m_hasKept
                   && std::memcmp(frame.constBits(), m_frames[1 - m_shot].image().constBits(), size_t(frame.sizeInBytes())) == 0;
    if (m_sameAsKept) {
        // The kept frame shows what is there now, as it would be shown from here on.
        m_keptView = m_shotView;
        m_copyIsKept = true;
    }
    return frame.constBits();
}
