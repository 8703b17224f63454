#include "media/AudioStream.h"

#include "app/Log.h"
#include "media/AviOutput.h"

#include <cmath>
#include <cstring>

AudioEncoder::AudioEncoder(const QString &fileName, const AudioFormatSptr &format)
    : m_fileName(fileName)
    , m_format(format)
{
}

AudioEncoder::~AudioEncoder()
{
    close();
}

bc_ret AudioEncoder::open()
{
    close();
    bc_ret ret = newAviOutput(m_fileName, m_container, m_stream);
    if (ret.failed())
        return ret;
    m_stream->id = 0;
    ret = openCodec();
    if (ret.ok())
        ret = openFile();
    if (ret.failed())
        close();
    return ret;
}

bc_ret AudioEncoder::openCodec()
{
    const AVCodecID codecId = m_format->bitsPerSample == 16 ? AV_CODEC_ID_PCM_S16LE : AV_CODEC_ID_PCM_U8;
    const AVCodec *codec = avcodec_find_encoder(codecId);
    if (!codec)
        return bc_ret(QStringLiteral("avcodec_find_encoder"), -1, QStringLiteral("codec (%1) not found").arg(int(codecId)));
    m_codec = av::newCodec(codec);
    if (!m_codec)
        return bc_ret(QStringLiteral("avcodec_alloc_context3"), -1, QStringLiteral("Error allocate codec context"));
    m_codec->codec_type = AVMEDIA_TYPE_AUDIO;
    m_codec->codec_id = codecId;
    m_codec->sample_fmt = m_format->bitsPerSample == 16 ? AV_SAMPLE_FMT_S16 : AV_SAMPLE_FMT_U8;
    m_codec->sample_rate = m_format->sampleRate;
    av_channel_layout_default(&m_codec->ch_layout, m_format->channels);
    m_codec->time_base = AVRational{1, m_format->sampleRate};
    if (m_container->oformat->flags & AVFMT_GLOBALHEADER)
        m_codec->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    const int result = avcodec_open2(m_codec.get(), codec, nullptr);
    if (result < 0)
        return bc_ret(QStringLiteral("avcodec_open2"), result, QStringLiteral("Error open codec (%1)").arg(int(codecId)));
    m_stream->time_base = m_codec->time_base;
    if (avcodec_parameters_from_context(m_stream->codecpar, m_codec.get()) < 0)
        return bc_ret(QStringLiteral("avcodec_parameters_from_context"), -1,
                      QStringLiteral("Invalid output format parameters"));
    m_packet = av::newPacket();
    if (!m_packet)
        return bc_ret(QStringLiteral("av_packet_alloc"), -1, QStringLiteral("Error allocate memory for the packet"));
    return bc_ret();
}

bc_ret AudioEncoder::openFile()
{
    const QByteArray path = m_fileName.toUtf8();
    int result = avio_open(&m_container->pb, path.constData(), AVIO_FLAG_WRITE);
    if (result < 0)
        return bc_ret(QStringLiteral("avio_open"), result, QStringLiteral("Error open audio file %1").arg(m_fileName));
    result = avformat_write_header(m_container.get(), nullptr);
    if (result < 0)
        return bc_ret(QStringLiteral("avformat_write_header"), result, QStringLiteral("Error open audio file %1").arg(m_fileName));
    m_headerWritten = true;
    // On disk from the start: a file cut off by a crash is then still a file of its kind.
    avio_flush(m_container->pb);
    m_samples = 0;
    m_open = true;
    return bc_ret();
}

void AudioEncoder::writeBlock(const uchar *data, int size, bc_ret &errors)
{
    if (!m_open) {
        errors.add(QStringLiteral("AudioEncoder::writeBlock"), -1, QStringLiteral("av_write_frame (-1)"));
        return;
    }
    int result = av_new_packet(m_packet.get(), size);
    if (result < 0) {
        errors.add(QStringLiteral("av_new_packet"), result, QStringLiteral("av_write_frame (%1)").arg(result));
        return;
    }
    std::memcpy(m_packet->data, data, size_t(size));
    m_packet->flags |= AV_PKT_FLAG_KEY;
    m_packet->stream_index = m_stream->index;
    // Time stamps from the sample count; they change nothing in the file's layout.
    const qint64 samples = size / (m_format->bitsPerSample / 8 * m_format->channels);
    m_packet->pts = m_packet->dts = av_rescale_q(m_samples, m_codec->time_base, m_stream->time_base);
    m_packet->duration = av_rescale_q(samples, m_codec->time_base, m_stream->time_base);
    m_samples += samples;
    result = av_write_frame(m_container.get(), m_packet.get());
    av_packet_unref(m_packet.get());
    if (result < 0)
        errors.add(QStringLiteral("av_write_frame"), result, QStringLiteral("av_write_frame (%1)").arg(result));
    // Blocks are a second long: each goes into the file at once, so a crash loses at most that.
    avio_flush(m_container->pb);
}

void AudioEncoder::close()
{
    if (m_headerWritten)
        av_write_trailer(m_container.get());
    m_container.reset();
    m_codec.reset();
    m_packet.reset();
    m_stream = nullptr;
    m_headerWritten = false;
    m_open = false;
}

int VolumeReporter::levelOf(const uchar *data, int size)
{
    const int n = size / 2;
    if (n <= 0)
        return -54;
    qint64 sum = 0;
    for (int i = 0; i < n; ++i) {
        const qint16 sample = qint16(quint16(data[2 * i]) | quint16(data[2 * i + 1]) << 8);
        sum += qint64(sample) * sample;
    }
    const double rms = std::sqrt(double(sum / n));
    return int(20.0 * std::log10(std::max(rms, 64.0) / 32767.0));
}

void VolumeReporter::writeBlock(const uchar *data, int size, bc_ret &errors)
{
    m_level = levelOf(data, size);
    m_next->write(data, size, errors);
}

AudioStream::AudioStream(const QString &fileName, const AudioFormatSptr &format, int levelPeriod)
    : m_fileName(fileName)
    , m_encoder(fileName, format)
    , m_encoderAligner(&m_encoder, format->bitRate / 8)
    , m_reporter(&m_encoderAligner)
    , m_levelAligner(&m_reporter, format->bitRate * levelPeriod / 80)
{
}

bc_ret AudioStream::open()
{
    return m_encoder.open();
}

int AudioStream::write(const uchar *data, int size, bc_ret &errors)
{
    m_levelAligner.write(data, size, errors);
    return m_reporter.level();
}

void AudioStream::close()
{
    bc_ret dropped;
    m_levelAligner.flush(dropped);
    m_encoderAligner.flush(dropped);
    if (dropped.failed())
        logWarn(QStringLiteral("Closing audio file %1: %2").arg(m_fileName, dropped.details(QStringLiteral(": "))));
    m_encoder.close();
}
