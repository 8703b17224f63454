#include "tests/support/SyncMeasure.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libswscale/swscale.h>
}

#include <algorithm>
#include <functional>
#include <numeric>
#include <vector>

namespace {

constexpr qint64 kMaxPairDistanceMs = 400;
constexpr double kDark = 0.25;
constexpr double kBright = 0.75;
constexpr qint64 kBeepLevel = 32768 / 4;

// One stream of a file, opened for decoding.
struct Decoding
{
    AVFormatContext *input = nullptr;
    AVCodecContext *codec = nullptr;
    int stream = -1;

    ~Decoding()
    {
        avcodec_free_context(&codec);
        avformat_close_input(&input);
    }
    AVRational timeBase() const { return input->streams[stream]->time_base; }
    qint64 toMs(int64_t timestamp) const { return av_rescale_q(timestamp, timeBase(), AVRational{1, 1000}); }
};

QString open(Decoding &d, const QString &file, AVMediaType type)
{
    if (avformat_open_input(&d.input, file.toUtf8().constData(), nullptr, nullptr) < 0
        || avformat_find_stream_info(d.input, nullptr) < 0)
        return QStringLiteral("cannot read %1").arg(file);
    d.stream = av_find_best_stream(d.input, type, -1, -1, nullptr, 0);
    if (d.stream < 0)
        return QStringLiteral("no %1 stream in %2").arg(QLatin1String(av_get_media_type_string(type)), file);
    const AVCodecParameters *parameters = d.input->streams[d.stream]->codecpar;
    const AVCodec *decoder = avcodec_find_decoder(parameters->codec_id);
    d.codec = decoder ? avcodec_alloc_context3(decoder) : nullptr;
    if (!d.codec || avcodec_parameters_to_context(d.codec, parameters) < 0 || avcodec_open2(d.codec, decoder, nullptr) < 0)
        return QStringLiteral("cannot decode %1").arg(QLatin1String(avcodec_get_name(parameters->codec_id)));
    return {};
}

// Decodes the whole stream, handing on each frame; false when a packet cannot be decoded.
bool decodeAll(Decoding &d, const std::function<void(const AVFrame *)> &take)
{
    AVPacket *packet = av_packet_alloc();
    AVFrame *frame = av_frame_alloc();
    const auto takeDecoded = [&] {
        while (avcodec_receive_frame(d.codec, frame) >= 0) {
            take(frame);
            av_frame_unref(frame);
        }
    };
    bool ok = true;
    while (ok && av_read_frame(d.input, packet) >= 0) {
        // An empty chunk stands for a repeated picture; sent on, it would end the decoding.
        if (packet->stream_index == d.stream && packet->size > 0) {
            ok = avcodec_send_packet(d.codec, packet) >= 0;
            takeDecoded();
        }
        av_packet_unref(packet);
    }
    avcodec_send_packet(d.codec, nullptr);
    takeDecoded();
    av_frame_free(&frame);
    av_packet_free(&packet);
    return ok;
}

// Mean brightness of a region of a frame, from 0 to 1.
double brightness(const AVFrame *frame, const QRect &region, SwsContext *&toGray, std::vector<uint8_t> &gray)
{
    toGray = sws_getCachedContext(toGray, frame->width, frame->height, AVPixelFormat(frame->format), frame->width,
                                  frame->height, AV_PIX_FMT_GRAY8, SWS_POINT, nullptr, nullptr, nullptr);
    gray.resize(size_t(frame->width) * size_t(frame->height));
    uint8_t *planes[] = {gray.data()};
    const int strides[] = {frame->width};
    sws_scale(toGray, frame->data, frame->linesize, 0, frame->height, planes, strides);
    qint64 sum = 0;
    for (int y = region.top(); y <= region.bottom(); ++y) {
        const uint8_t *row = gray.data() + size_t(y) * size_t(frame->width);
        sum += std::accumulate(row + region.left(), row + region.right() + 1, qint64(0));
    }
    return double(sum) / (255.0 * double(region.width()) * double(region.height()));
}

QString readFlashes(const QString &file, const QRect &area, QList<qint64> &onsets)
{
    Decoding d;
    if (QString error = open(d, file, AVMEDIA_TYPE_VIDEO); !error.isEmpty())
        return error;
    SwsContext *toGray = nullptr;
    std::vector<uint8_t> gray;
    QString error;
    // Unknown until the first dark frame, so a recording that starts bright has no onset there.
    enum { Unknown, Dark, Bright } state = Unknown;
    const bool decoded = decodeAll(d, [&](const AVFrame *frame) {
        const QRect whole(0, 0, frame->width, frame->height);
        const QRect region = area.isNull() ? whole : area & whole;
        if (region.isEmpty() || frame->best_effort_timestamp == AV_NOPTS_VALUE) {
            error = region.isEmpty() ? QStringLiteral("the area is outside the picture") : QStringLiteral("a picture has no time");
            return;
        }
        const double level = brightness(frame, region, toGray, gray);
        if (level > kBright) {
            // Frame times, not frame counts: a skipped frame repeats the one before.
            if (state == Dark)
                onsets.append(d.toMs(frame->best_effort_timestamp));
            state = Bright;
        } else if (level < kDark) {
            state = Dark;
        }
    });
    sws_freeContext(toGray);
    if (!decoded && error.isEmpty())
        error = QStringLiteral("the picture of %1 cannot be decoded").arg(file);
    return error;
}

// The level over a 2 ms window centred on a sample, rising above a quarter of full
// scale after at least 100 ms below it: a beep starts there. Centred, the window
// does not put onsets late by half its length.
class BeepWatch
{
public:
    explicit BeepWatch(int rate) : m_squares(size_t(std::max(1, rate / 500))), m_quietNeeded(rate / 10) {}

    // Takes the next sample; true when the sample at the centre of the window starts a beep.
    bool add(qint16 sample)
    {
        const size_t slot = size_t(m_count++ % qint64(m_squares.size()));
        m_sum += qint64(sample) * sample - m_squares[slot];
        m_squares[slot] = qint64(sample) * sample;
        const qint64 window = qint64(m_squares.size());
        const bool loud = m_count >= window && m_sum > kBeepLevel * kBeepLevel * window;
        const bool onset = loud && m_quietFor >= m_quietNeeded;
        m_quietFor = loud ? 0 : m_quietFor + 1;
        return onset;
    }
    qint64 centre() const { return m_count - qint64(m_squares.size() + 1) / 2; }

private:
    std::vector<qint64> m_squares;
    qint64 m_sum = 0;
    qint64 m_count = 0;
    qint64 m_quietFor = 0;
    const qint64 m_quietNeeded;
};

QString readBeeps(const QString &file, QList<qint64> &onsets)
{
    Decoding d;
    if (QString error = open(d, file, AVMEDIA_TYPE_AUDIO); !error.isEmpty())
        return error;
    const int rate = d.codec->sample_rate;
    const AVSampleFormat format = d.codec->sample_fmt;
    if (rate <= 0 || (format != AV_SAMPLE_FMT_S16 && format != AV_SAMPLE_FMT_S16P))
        return QStringLiteral("the sound is not 16-bit samples");
    BeepWatch watch(rate);
    double startMs = -1;
    const bool decoded = decodeAll(d, [&](const AVFrame *frame) {
        if (startMs < 0) {
            const int64_t start = frame->best_effort_timestamp == AV_NOPTS_VALUE ? 0 : frame->best_effort_timestamp;
            startMs = double(start) * av_q2d(d.timeBase()) * 1000;
        }
        // The first channel: the recording's sound is mono.
        const int step = format == AV_SAMPLE_FMT_S16 ? frame->ch_layout.nb_channels : 1;
        const auto *samples = reinterpret_cast<const qint16 *>(frame->data[0]);
        for (int i = 0; i < frame->nb_samples; ++i) {
            if (watch.add(samples[size_t(i) * size_t(step)]))
                onsets.append(qRound64(startMs + double(watch.centre()) * 1000 / rate));
        }
    });
    return decoded ? QString() : QStringLiteral("the sound of %1 cannot be decoded").arg(file);
}

void pairUp(AvSync &sync, qint64 ideal)
{
    for (const qint64 flash : std::as_const(sync.flashesMs)) {
        const auto nearest = std::min_element(sync.beepsMs.cbegin(), sync.beepsMs.cend(), [flash](qint64 a, qint64 b) {
            return qAbs(a - flash) < qAbs(b - flash);
        });
        if (nearest != sync.beepsMs.cend() && qAbs(*nearest - flash) <= kMaxPairDistanceMs)
            sync.offsetsMs.append(*nearest - flash);
    }
    if (sync.offsetsMs.isEmpty())
        return;
    QList<qint64> sorted = sync.offsetsMs;
    std::sort(sorted.begin(), sorted.end());
    const qsizetype middle = sorted.size() / 2;
    sync.median = sorted.size() % 2 ? sorted[middle] : (sorted[middle - 1] + sorted[middle]) / 2;
    sync.worst = *std::max_element(sync.offsetsMs.cbegin(), sync.offsetsMs.cend(), [ideal](qint64 a, qint64 b) {
        return qAbs(a - ideal) < qAbs(b - ideal);
    });
}

} // namespace

AvSync measureAvSync(const QString &file, qint64 ideal, const QRect &area)
{
    AvSync sync;
    sync.error = readFlashes(file, area, sync.flashesMs);
    if (sync.error.isEmpty())
        sync.error = readBeeps(file, sync.beepsMs);
    sync.ok = sync.error.isEmpty();
    if (sync.ok)
        pairUp(sync, ideal);
    return sync;
}
