#include "media/FrameEncoder.h"

#include "media/AviOutput.h"

#include <cstring>

extern "C" {
#include <libavutil/opt.h>
}

namespace {

constexpr AVCodecID kCodec = AV_CODEC_ID_MSMPEG4V2;

QString ffmpegError(int code)
{
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(code, text, sizeof text);
    return QString::fromLocal8Bit(text);
}

} // namespace

FrameEncoder::FrameEncoder(const QString &fileName, const VideoFormatSptr &format)
    : m_fileName(fileName)
    , m_format(format)
{
}

FrameEncoder::~FrameEncoder()
{
    close();
}

bc_ret FrameEncoder::open()
{
    close();
    const int sourceWidth = m_format ? m_format->width : 0;
    const int sourceHeight = m_format ? m_format->height : 0;
    // The encoder wants an even height of at least 2 (an odd height loses its last row),
    // and at least 2 columns: a smaller picture is stretched to that.
    m_width = sourceWidth > 0 ? qMax(2, sourceWidth) : 0;
    m_height = sourceHeight > 0 ? qMax(2, sourceHeight & ~1) : 0;
    m_sourceWidth = sourceWidth;
    m_sourceRows = qMin(sourceHeight, m_height);
    m_sourceStride = sourceWidth * 4;
    const int frameRate = m_format && m_format->frameRate > 0 ? m_format->frameRate : 10;
    m_keyFrameDistance = 20 * frameRate;
    m_lastWritten = -1;
    m_lastKeyFrame = -1;

    bc_ret ret = newAviOutput(m_fileName, m_container, m_stream);
    if (ret.failed())
        return ret;
    ret = openCodec(frameRate);
    if (ret.ok())
        ret = makePictureAndConverter();
    if (ret.ok())
        ret = openFile();
    if (ret.failed())
        close();
    return ret;
}

bc_ret FrameEncoder::openCodec(int frameRate)
{
    const AVCodec *codec = avcodec_find_encoder(kCodec);
    if (!codec)
        return bc_ret(QStringLiteral("avcodec_find_encoder"), -1, QStringLiteral("codec (%1) not found").arg(int(kCodec)));
    m_codec = av::newCodec(codec);
    if (!m_codec || m_width <= 0 || m_height <= 0)
        return bc_ret(QStringLiteral("avcodec_alloc_context3"), -1, QStringLiteral("Invalid output format parameters"));
    m_codec->bit_rate = 4000000;
    m_codec->codec_id = kCodec;
    m_codec->codec_type = AVMEDIA_TYPE_VIDEO;
    m_codec->width = m_width;
    m_codec->height = m_height;
    m_codec->time_base = AVRational{1, frameRate};
    m_codec->framerate = AVRational{frameRate, 1};
    m_codec->gop_size = 200;
    m_codec->pix_fmt = AV_PIX_FMT_YUV420P;
    // Present only in older libavcodec builds; absent now, which is fine.
    av_opt_set_double(m_codec.get(), "qsquish", 1.0, AV_OPT_SEARCH_CHILDREN);
    if (m_container->oformat->flags & AVFMT_GLOBALHEADER)
        m_codec->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;

    int result = avcodec_open2(m_codec.get(), codec, nullptr);
    if (result < 0)
        return bc_ret(QStringLiteral("avcodec_open2"), result, QStringLiteral("Error open codec (%1)").arg(int(kCodec)));
    m_stream->time_base = m_codec->time_base;
    result = avcodec_parameters_from_context(m_stream->codecpar, m_codec.get());
    if (result < 0)
        return bc_ret(QStringLiteral("avcodec_parameters_from_context"), result,
                      QStringLiteral("Invalid output format parameters"));
    return bc_ret();
}

bc_ret FrameEncoder::makePictureAndConverter()
{
    m_packet = av::newPacket();
    if (!m_packet)
        return bc_ret(QStringLiteral("av_packet_alloc"), -1, QStringLiteral("Error allocate memory for output bitstream"));
    m_picture = av::newFrame();
    if (m_picture) {
        m_picture->format = m_codec->pix_fmt;
        m_picture->width = m_width;
        m_picture->height = m_height;
    }
    if (!m_picture || av_frame_get_buffer(m_picture.get(), 0) < 0)
        return bc_ret(QStringLiteral("av_frame_get_buffer"), -1, QStringLiteral("Error init frame"));
    // Equal sizes but for the tiniest pictures: only the colour conversion is needed,
    // so the cheapest scaler.
    m_converter.reset(sws_getContext(m_sourceWidth, m_sourceRows, AV_PIX_FMT_BGR0, m_width, m_height, m_codec->pix_fmt,
                                     SWS_POINT, nullptr, nullptr, nullptr));
    if (!m_converter)
        return bc_ret(QStringLiteral("sws_getContext"), -1, QStringLiteral("Error conversion context"));
    return bc_ret();
}

bc_ret FrameEncoder::openFile()
{
    const QByteArray path = m_fileName.toUtf8();
    int result = avio_open(&m_container->pb, path.constData(), AVIO_FLAG_WRITE);
    if (result < 0)
        return bc_ret(QStringLiteral("avio_open"), result, ffmpegError(result))
                .add(QStringLiteral("FrameEncoder::open"), -1, QStringLiteral("Error open '%1'").arg(m_fileName));
    result = avformat_write_header(m_container.get(), nullptr);
    if (result < 0)
        return bc_ret(QStringLiteral("avformat_write_header"), result, ffmpegError(result))
                .add(QStringLiteral("FrameEncoder::open"), -1, QStringLiteral("Error open '%1'").arg(m_fileName));
    m_headerWritten = true;
    // On disk from the start: a file cut off by a crash is then still a file of its kind.
    avio_flush(m_container->pb);
    m_open = true;
    return bc_ret();
}

bool FrameEncoder::writablePicture(const char *context, bc_ret &errors)
{
    if (!m_open) {
        errors.add(QLatin1String(context), -1, QStringLiteral("Error av_write_frame (-1)"));
        return false;
    }
    // The encoder may still hold the last picture; then it gets a fresh buffer, with
    // the picture's contents copied into it.
    const int result = av_frame_make_writable(m_picture.get());
    if (result < 0) {
        errors.add(QStringLiteral("av_frame_make_writable"), result, QStringLiteral("Error init frame"));
        return false;
    }
    return true;
}

void FrameEncoder::encode(const uchar *bits, qint64 frameNumber, bc_ret &errors)
{
    if (!writablePicture("FrameEncoder::encode", errors))
        return;
    const uint8_t *source[] = {bits};
    const int strides[] = {m_sourceStride};
    // With an odd source height the last row is left out.
    sws_scale(m_converter.get(), source, strides, 0, m_sourceRows, m_picture->data, m_picture->linesize);
    m_hasPicture = true;
    send(frameNumber, errors);
}

void FrameEncoder::repeat(qint64 frameNumber, bc_ret &errors)
{
    if (!writablePicture("FrameEncoder::repeat", errors))
        return;
    if (!m_hasPicture) {
        // Black, in the video range of the encoder's YUV.
        std::memset(m_picture->data[0], 16, size_t(m_picture->linesize[0]) * size_t(m_height));
        std::memset(m_picture->data[1], 128, size_t(m_picture->linesize[1]) * size_t((m_height + 1) / 2));
        std::memset(m_picture->data[2], 128, size_t(m_picture->linesize[2]) * size_t((m_height + 1) / 2));
        m_hasPicture = true;
    }
    send(frameNumber, errors);
}

bool FrameEncoder::mustEncode(qint64 frameNumber) const
{
    return m_lastWritten < 0 || frameNumber - m_lastKeyFrame >= m_keyFrameDistance;
}

void FrameEncoder::finish(qint64 lastFrame, bc_ret &errors)
{
    if (m_open && lastFrame > m_lastWritten)
        repeat(lastFrame, errors);
}

void FrameEncoder::send(qint64 frameNumber, bc_ret &errors)
{
    m_picture->pts = frameNumber;
    // The encoder counts only the frames it is given: after a still stretch the key
    // frame is forced by time.
    const bool keyDue = frameNumber - m_lastKeyFrame >= m_keyFrameDistance;
    m_picture->pict_type = keyDue ? AV_PICTURE_TYPE_I : AV_PICTURE_TYPE_NONE;
    const int result = avcodec_send_frame(m_codec.get(), m_picture.get());
    if (result < 0) {
        errors.add(QStringLiteral("avcodec_send_frame"), result, QStringLiteral("Error avcodec_encode_video (%1)").arg(result));
        return;
    }
    const bc_ret written = writePackets();
    if (written.failed()) {
        errors += written;
        return;
    }
    m_duration = int((frameNumber + 1) * m_codec->time_base.num * 1000 / m_codec->time_base.den);
    m_lastWritten = frameNumber;
}

bc_ret FrameEncoder::writePackets()
{
    for (;;) {
        int result = avcodec_receive_packet(m_codec.get(), m_packet.get());
        if (result == AVERROR(EAGAIN) || result == AVERROR_EOF)
            return bc_ret();
        if (result < 0)
            return bc_ret(QStringLiteral("avcodec_receive_packet"), result,
                          QStringLiteral("Error avcodec_encode_video (%1)").arg(result));
        m_packet->stream_index = m_stream->index;
        if (m_packet->flags & AV_PKT_FLAG_KEY)
            m_lastKeyFrame = m_packet->pts;
        const qint64 second = av_rescale_q(m_packet->pts, m_codec->time_base, AVRational{1, 1});
        // The muxer may have chosen its own stream time base.
        av_packet_rescale_ts(m_packet.get(), m_codec->time_base, m_stream->time_base);
        result = av_write_frame(m_container.get(), m_packet.get());
        av_packet_unref(m_packet.get());
        if (result < 0)
            return bc_ret(QStringLiteral("av_write_frame"), result, QStringLiteral("Error av_write_frame (%1)").arg(result));
        // Into the file once a second of picture: a crash then loses at most that.
        if (second != m_flushedSecond) {
            avio_flush(m_container->pb);
            m_flushedSecond = second;
        }
    }
}

int FrameEncoder::close()
{
    const int duration = m_duration;
    m_duration = 0;
    if (m_open) {
        // Anything the encoder still holds goes into the file before the trailer.
        if (avcodec_send_frame(m_codec.get(), nullptr) >= 0)
            writePackets();
    }
    if (m_headerWritten)
        av_write_trailer(m_container.get());
    m_container.reset();
    m_codec.reset();
    m_picture.reset();
    m_packet.reset();
    m_converter.reset();
    m_stream = nullptr;
    m_headerWritten = false;
    m_open = false;
    m_hasPicture = false;
    return duration;
}
