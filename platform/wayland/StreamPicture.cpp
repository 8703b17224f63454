#include "platform/wayland/StreamPicture.h"

#include <cstring>

namespace {

bool swapsRedAndBlue(StreamFormat format)
{
    return format == StreamFormat::RGBx || format == StreamFormat::RGBA;
}

// One destination row from a source row; source columns are picked per pixel when
// the scales differ.
void copyRow(const uchar *from, uchar *to, int count, int sourceX0, double step, bool sameScale, bool swap)
{
    const auto *source = reinterpret_cast<const quint32 *>(from);
    auto *target = reinterpret_cast<quint32 *>(to);
    if (sameScale && !swap) {
        std::memcpy(target, source + sourceX0, size_t(count) * 4);
        return;
    }
    for (int i = 0; i < count; ++i) {
        const quint32 pixel = source[sameScale ? sourceX0 + i : sourceX0 + int(i * step)];
        target[i] = swap ? (pixel & 0xff00ff00u) | ((pixel & 0xffu) << 16) | ((pixel >> 16) & 0xffu) : pixel;
    }
}

} // namespace

void copyStreamRect(const StreamPicture &picture, const QRect &screen, const QRect &rect, FrameBuffer &dest, QPoint destPos)
{
    const QRect shown = picture.crop.isEmpty() ? QRect(0, 0, picture.width, picture.height)
                                               : picture.crop & QRect(0, 0, picture.width, picture.height);
    if (!picture.bits || shown.isEmpty() || screen.isEmpty())
        return;
    // The part of rect that is both on the shared screen and inside dest, in desktop coordinates.
    const QPoint toDest = destPos - rect.topLeft();
    const QRect part = (rect & screen) & QRect(0, 0, dest.width, dest.height).translated(-toDest);
    if (part.isEmpty())
        return;
    const double stepX = double(shown.width()) / screen.width();
    const double stepY = double(shown.height()) / screen.height();
    const bool sameScale = shown.size() == screen.size();
    const int sourceX0 = shown.x() + int((part.x() - screen.x()) * stepX);
    const bool swap = swapsRedAndBlue(picture.format);
    for (int y = part.top(); y <= part.bottom(); ++y) {
        const int sourceY = qMin(shown.bottom(), shown.y() + int((y - screen.y()) * stepY));
        const uchar *from = picture.bits + qsizetype(sourceY) * picture.stride;
        uchar *to = dest.bits + qsizetype(y + toDest.y()) * dest.stride + qsizetype(part.x() + toDest.x()) * 4;
        copyRow(from, to, part.width(), sourceX0, stepX, sameScale, swap);
    }
}
