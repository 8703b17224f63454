#include "media/AudioGraph.h"

#include "app/Log.h"
#include "media/AVHandles.h"

#include <QtMath>

extern "C" {
#include <libavutil/mathematics.h>
}

#include <cmath>

namespace {

constexpr int kDecodeBufferBytes = 384000;

bc_ret failure(const QString &text)
{
    return bc_ret(QStringLiteral("AudioReader::run"), -1, text);
}

// The length of the file's first video stream in milliseconds; -1 without one.
qint64 videoLengthMs(const AVFormatContext *input)
{
    for (unsigned i = 0; i < input->nb_streams; ++i) {
        const AVStream *stream = input->streams[i];
        if (stream->codecpar->codec_type == AVMEDIA_TYPE_VIDEO)
            return stream->duration == AV_NOPTS_VALUE ? -1 : av_rescale_q(stream->duration, stream->time_base, {1, 1000});
    }
    return -1;
}

} // namespace

struct AudioReader::Input
{
    av::Input format;
    av::Codec codec;
    int stream = -1;
    av::Packet packet = av::newPacket();
    av::Frame frame = av::newFrame();
    QByteArray buffer{kDecodeBufferBytes, Qt::Uninitialized};
};

bc_ret AudioReader::open(Input &input)
{
    int opened = 0;
    input.format = av::openInput(m_path.toUtf8().constData(), opened);
    if (!input.format)
        return failure(QStringLiteral("Error open %1").arg(m_path));
    if (!input.packet || !input.frame)
        return failure(QStringLiteral("Error init frame"));
    if (avformat_find_stream_info(input.format.get(), nullptr) < 0)
        return failure(QStringLiteral("Error find stream information"));
    for (unsigned i = 0; i < input.format->nb_streams && input.stream < 0; ++i) {
        if (input.format->streams[i]->codecpar->codec_type == AVMEDIA_TYPE_AUDIO)
            input.stream = int(i);
    }
    if (input.stream < 0)
        return failure(QStringLiteral("Did not find an audio stream"));
    const AVCodecParameters *parameters = input.format->streams[input.stream]->codecpar;
    const AVCodec *decoder = avcodec_find_decoder(parameters->codec_id);
    if (!decoder)
        return failure(QStringLiteral("Unsupported codec (%1)").arg(int(parameters->codec_id)));
    input.codec = av::newCodec(decoder);
    if (!input.codec || avcodec_parameters_to_context(input.codec.get(), parameters) < 0
        || avcodec_open2(input.codec.get(), decoder, nullptr) < 0)
        return failure(QStringLiteral("Error open codec"));
    return bc_ret();
}

bc_ret AudioReader::readSound(Input &input, qint64 &decodedMs)
{
    const AVStream *stream = input.format->streams[input.stream];
    const AVSampleFormat sampleFormat = input.codec->sample_fmt;
    const int channels = input.codec->ch_layout.nb_channels;
    const int sampleBytes = av_get_bytes_per_sample(sampleFormat);
    const bool planar = av_sample_fmt_is_planar(sampleFormat);
    bc_ret result;
    // Summed in the stream's own units: rounding each packet would lose time.
    qint64 decoded = 0;
    // Samples of all channels interleaved, as the level wants them.
    auto deliver = [&]() {
        while (result.ok() && avcodec_receive_frame(input.codec.get(), input.frame.get()) == 0) {
            const qint64 bytes = qint64(input.frame->nb_samples) * channels * sampleBytes;
            if (bytes > input.buffer.size())
                input.buffer.resize(bytes);
            char *out = input.buffer.data();
            if (!planar || channels == 1) {
                memcpy(out, input.frame->data[0], size_t(bytes));
            } else {
                for (int s = 0; s < input.frame->nb_samples; ++s)
                    for (int c = 0; c < channels; ++c)
                        memcpy(out + (qint64(s) * channels + c) * sampleBytes,
                               input.frame->extended_data[c] + qint64(s) * sampleBytes, size_t(sampleBytes));
            }
            if (bytes > 0)
                result = onData(out, bytes);
            av_frame_unref(input.frame.get());
        }
    };
    while (result.ok() && !isAborted() && av_read_frame(input.format.get(), input.packet.get()) >= 0) {
        if (input.packet->stream_index == input.stream) {
            decoded += input.packet->duration;
            const int size = input.packet->size;
            if (avcodec_send_packet(input.codec.get(), input.packet.get()) < 0)
                logWarn(QStringLiteral("AudioReader::run: a packet of %1 bytes could not be decoded").arg(size));
            deliver();
        }
        av_packet_unref(input.packet.get());
    }
    avcodec_send_packet(input.codec.get(), nullptr);
    deliver();
    decodedMs = av_rescale_q(decoded, stream->time_base, {1, 1000});
    return result;
}

bc_ret AudioReader::fillSilence(const AudioFormat &format, qint64 missingMs)
{
    const QByteArray second(format.bitRate / 8, '\0');
    bc_ret result;
    for (qint64 i = 0; i < missingMs / 1000 && result.ok(); ++i)
        result = onData(second.constData(), second.size());
    for (qint64 i = 0; i < (missingMs % 1000) / 100 && result.ok(); ++i)
        result = onData(second.constData(), second.size() / 10);
    return result;
}

bc_ret AudioReader::run()
{
    Input input;
    bc_ret result = open(input);
    if (result.failed())
        return result;
    auto format = std::make_shared<AudioFormat>();
    format->sampleRate = input.codec->sample_rate;
    format->channels = input.codec->ch_layout.nb_channels;
    format->bitsPerSample = av_get_bytes_per_sample(input.codec->sample_fmt) * 8;
    format->bitRate = format->channels * format->bitsPerSample * format->sampleRate;
    result = onFormat(format);
    if (result.failed())
        return result;
    qint64 decodedMs = 0;
    result = readSound(input, decodedMs);
    // The curve runs as long as the picture, even where the sound stopped early.
    const qint64 expectedMs = videoLengthMs(input.format.get());
    if (result.ok() && !isAborted() && decodedMs < expectedMs)
        result = fillSilence(*format, expectedMs - decodedMs);
    if (result.ok())
        result = onEnd();
    return result;
}

AudioGraphBuilder::AudioGraphBuilder(const QString &path)
    : AudioReader(path)
{
}

void AudioGraphBuilder::writeBlock(const uchar *data, int size, bc_ret &)
{
    m_values.append(level(data, size));
}

int AudioGraphBuilder::level(const uchar *samples, int bytes)
{
    const auto *s = reinterpret_cast<const qint16 *>(samples);
    const qint64 count = bytes / 2;
    if (count == 0)
        return kFloor;
    qint64 sum = 0;
    for (qint64 i = 0; i < count; ++i)
        sum += qint64(s[i]) * s[i];
    const double rms = std::sqrt(double(sum / count));
    return int(20 * std::log10(qMax(rms, 64.0) / 32767));
}

bc_ret AudioGraphBuilder::onFormat(const AudioFormatSptr &format)
{
    if (format->bitsPerSample != 16)
        return bc_ret(QStringLiteral("AudioGraphBuilder::onFormat"), -1,
                      QStringLiteral("Unsupported sample format (%1)").arg(format->bitsPerSample));
    if (format->sampleRate % 10 != 0)
        return bc_ret(QStringLiteral("AudioGraphBuilder::onFormat"), -1,
                      QStringLiteral("Unsupported sample rate (%1)").arg(format->sampleRate));
    m_format = format;
    // 100 ms of sound.
    m_chunkBytes = format->channels * format->sampleRate * 16 / 80;
    m_aligner = std::make_unique<DataAligner<AudioGraphBuilder>>(this, m_chunkBytes);
    return bc_ret();
}

bc_ret AudioGraphBuilder::onData(const char *bytes, qint64 length)
{
    bc_ret errors;
    // What is left over at the end, short of a chunk, gives no value.
    m_aligner->write(reinterpret_cast<const uchar *>(bytes), int(length), errors);
    return errors;
}
