#pragma once

// Test inputs made the way recordings are made: video segments by the recorder's
// FrameEncoder, audio segments by its AudioStream.

#include "media/AudioStream.h"
#include "media/FrameEncoder.h"

#include <QImage>
#include <QList>
#include <QString>

#include <cmath>

// The colour of frame i, different for every frame of a minute.
inline QRgb frameColour(int i)
{
    return qRgb((i % 30) * 8, 100, (i / 30) * 12);
}

// 10 fps, 160 x 120, `frames` frames numbered from 0 (but those `missing`, as for
// ticks the recorder missed); key frames every 200.
inline bool makeVideo(const QString &path, int frames, int width = 160, int height = 120, const QList<int> &missing = {})
{
    auto format = std::make_shared<VideoFormat>(VideoFormat{width, height, 10, 100});
    FrameEncoder encoder(path, format);
    if (encoder.open().failed())
        return false;
    QImage image(width, height, QImage::Format_RGB32);
    bc_ret errors;
    for (int i = 0; i < frames && errors.ok(); ++i) {
        if (missing.contains(i))
            continue;
        image.fill(frameColour(i));
        encoder.encode(image.constBits(), i, errors);
    }
    return encoder.close() == frames * 100 && errors.ok();
}

// 22050 Hz mono 16-bit, a tone of `frequency` for `ms`.
inline bool makeAudio(const QString &path, int ms, double frequency = 440)
{
    auto format = std::make_shared<AudioFormat>();
    AudioStream stream(path, format, 2);
    if (stream.open().failed())
        return false;
    const int samples = int(qint64(ms) * 22050 / 1000);
    QByteArray data(samples * 2, Qt::Uninitialized);
    auto *s = reinterpret_cast<qint16 *>(data.data());
    for (int i = 0; i < samples; ++i)
        s[i] = qint16(8000 * std::sin(2 * M_PI * frequency * i / 22050));
    bc_ret errors;
    stream.write(reinterpret_cast<const uchar *>(data.constData()), int(data.size()), errors);
    stream.close();
    return errors.ok();
}

inline bool closeTo(QRgb a, QRgb b, int tolerance = 10)
{
    return qAbs(qRed(a) - qRed(b)) <= tolerance && qAbs(qGreen(a) - qGreen(b)) <= tolerance
           && qAbs(qBlue(a) - qBlue(b)) <= tolerance;
}
