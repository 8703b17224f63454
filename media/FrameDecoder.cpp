#include "media/FrameDecoder.h"

#include "app/Log.h"
#include "media/MediaOperations.h"

#include <QFileInfo>

extern "C" {
#include <libavutil/imgutils.h>
#include <libavutil/mathematics.h>
}

qint64 probeDuration(const QString &file, bc_ret &result)
{
    const av::Input input = openInput(file, MediaKind::Video);
    if (!input) {
        result.add(QString(), 0, QStringLiteral("Error open '%1'").arg(file));
        return -1;
    }
    const AVStream *stream = input->streams[0];
    const qint64 duration = stream->duration != AV_NOPTS_VALUE
                                    ? av_rescale(stream->duration, qint64(stream->time_base.num) * 1000, stream->time_base.den)
                                    : av_rescale(input->duration, 1000, AV_TIME_BASE);
    return duration;
}

FrameDecoder::~FrameDecoder()
{
    close();
}

void FrameDecoder::close()
{
    m_converter.reset();
    m_rgb.reset();
    m_frame.reset();
    m_held.reset();
    m_codec.reset();
    m_input.reset();
    m_stream = -1;
}

bc_ret FrameDecoder::open(const QString &file)
{
    close();
    // A FIFO or a device in a video's place would block the decoder for ever.
    if (!QFileInfo(file).isFile())
        return bc_ret(QStringLiteral("FrameDecoder::open"), -1, QStringLiteral("Not a regular file"));
    int opened = 0;
    m_input = av::openInput(file.toUtf8().constData(), opened);
    if (!m_input)
        return bc_ret(QStringLiteral("avformat_open_input"), opened, QStringLiteral("Error opening file"));
    if (avformat_find_stream_info(m_input.get(), nullptr) < 0)
        return bc_ret(QStringLiteral("avformat_find_stream_info"), -1, QStringLiteral("Stream information not found"));
    for (unsigned i = 0; i < m_input->nb_streams && m_stream < 0; ++i) {
        if (m_input->streams[i]->codecpar->codec_type == AVMEDIA_TYPE_VIDEO)
            m_stream = int(i);
    }
    if (m_stream < 0)
        return bc_ret(QStringLiteral("FrameDecoder::open"), -1, QStringLiteral("Video stream not found"));
    const AVCodecParameters *parameters = m_input->streams[m_stream]->codecpar;
    const AVCodec *decoder = avcodec_find_decoder(parameters->codec_id);
    if (!decoder)
        return bc_ret(QStringLiteral("avcodec_find_decoder"), -1,
                      QStringLiteral("codec (%1) not found").arg(int(parameters->codec_id)));
    m_codec = av::newCodec(decoder);
    if (!m_codec || avcodec_parameters_to_context(m_codec.get(), parameters) < 0
        || avcodec_open2(m_codec.get(), decoder, nullptr) < 0)
        return bc_ret(QStringLiteral("avcodec_open2"), -1, QStringLiteral("Error open codec (%1)").arg(int(parameters->codec_id)));
    // Some files store a frame rate where the time base belongs.
    const AVRational base = m_input->streams[m_stream]->time_base;
    m_timeBaseNum = base.num;
    m_timeBaseDen = base.num > 1000 && base.den == 1 ? 1000 : base.den;

    m_frame = av::newFrame();
    m_held = av::newFrame();
    m_rgb = av::newFrame();
    if (!m_frame || !m_held || !m_rgb || m_codec->width <= 0 || m_codec->height <= 0)
        return bc_ret(QStringLiteral("FrameDecoder::open"), -1, QStringLiteral("Error init frame"));
    // swscale's SIMD code writes whole vectors past the end of a row: the frame's own
    // buffer has the stride alignment and tail padding that needs (a tightly packed
    // image of an odd width does not).
    m_rgb->format = AV_PIX_FMT_RGB24;
    m_rgb->width = m_codec->width;
    m_rgb->height = m_codec->height;
    if (av_frame_get_buffer(m_rgb.get(), 0) < 0)
        return bc_ret(QStringLiteral("av_frame_get_buffer"), -1, QStringLiteral("Error init frame"));
    return bc_ret();
}

bc_ret FrameDecoder::decodeAt(qint64 ms, const QSize &size, QImage &image)
{
    if (!m_codec)
        return bc_ret(QStringLiteral("FrameDecoder::decodeAt"), -1, QStringLiteral("Error reading frame"));
    const qint64 target = av_rescale(ms, m_timeBaseDen, m_timeBaseNum) / 1000;
    // From the key frame at or before the time, else from the time itself.
    if (av_seek_frame(m_input.get(), m_stream, target, AVSEEK_FLAG_BACKWARD) < 0
        && av_seek_frame(m_input.get(), m_stream, target, 0) < 0)
        return bc_ret(QStringLiteral("av_seek_frame"), -1, QStringLiteral("Error seeking to nearest key frame"));
    avcodec_flush_buffers(m_codec.get());

    // Past the end nothing is on screen.
    const AVStream *stream = m_input->streams[m_stream];
    if (stream->duration != AV_NOPTS_VALUE && stream->duration > 0 && target >= stream->duration)
        return bc_ret(QStringLiteral("av_read_frame"), -1, QStringLiteral("Error reading frame"));

    const av::Packet packet = av::newPacket();
    av_frame_unref(m_held.get());
    bool held = false;
    bool delivered = false;
    bool ended = false;
    bc_ret result;
    while (!delivered && result.ok()) {
        if (!ended) {
            if (av_read_frame(m_input.get(), packet.get()) < 0) {
                ended = true;
                avcodec_send_packet(m_codec.get(), nullptr); // what the decoder still holds
            } else if (packet->stream_index != m_stream) {
                av_packet_unref(packet.get());
                continue;
            } else {
                avcodec_send_packet(m_codec.get(), packet.get());
                av_packet_unref(packet.get());
            }
        }
        while (!delivered && result.ok() && avcodec_receive_frame(m_codec.get(), m_frame.get()) >= 0) {
            const qint64 pts = m_frame->best_effort_timestamp;
            if (pts != AV_NOPTS_VALUE && pts > target) {
                // Past the time: the picture before is the one on screen, if there was one.
                result = deliver(held ? m_held.get() : m_frame.get(), size, image);
                delivered = true;
                break;
            }
            av_frame_unref(m_held.get());
            av_frame_move_ref(m_held.get(), m_frame.get());
            held = true;
        }
        if (ended && !delivered && result.ok()) {
            // The last picture lasts to the end of the file.
            result = held ? deliver(m_held.get(), size, image)
                          : bc_ret(QStringLiteral("av_read_frame"), -1, QStringLiteral("Error reading frame"));
            delivered = true;
        }
    }
    return result;
}

bc_ret FrameDecoder::deliver(const AVFrame *frame, const QSize &size, QImage &image)
{
    m_converter.reset(sws_getCachedContext(m_converter.release(), frame->width, frame->height, AVPixelFormat(frame->format),
                                       m_codec->width, m_codec->height, AV_PIX_FMT_RGB24, SWS_BICUBIC, nullptr, nullptr,
                                       nullptr));
    if (!m_converter)
        return bc_ret(QStringLiteral("sws_getCachedContext"), -1, QStringLiteral("Error conversion context"));
    sws_scale(m_converter.get(), frame->data, frame->linesize, 0, frame->height, m_rgb->data, m_rgb->linesize);
    const QImage picture(m_rgb->data[0], m_codec->width, m_codec->height, m_rgb->linesize[0], QImage::Format_RGB888);
    image = size.width() > 0 && size.height() > 0 ? picture.scaled(size, Qt::KeepAspectRatio, Qt::SmoothTransformation)
                                                  : picture.copy();
    return bc_ret();
}

QPixmap grabFrame(const QString &file, qint64 ms, const QSize &size, bc_ret &result)
{
    FrameDecoder decoder;
    bc_ret ret = decoder.open(file);
    QImage image;
    if (ret.ok())
        ret = decoder.decodeAt(ms, size, image);
    if (ret.failed()) {
        result += ret;
        return QPixmap();
    }
    return QPixmap::fromImage(image);
}

VideoInfoSptr createVideoInfo(const QString &videoFile, const QSize &size)
{
    const QFileInfo file(videoFile);
    if (!file.exists())
        return nullptr;
    auto info = std::make_shared<VideoInfo>();
    info->fileName = videoFile;
    bc_ret probed;
    info->duration = int(probeDuration(videoFile, probed));
    if (probed.failed())
        logWarn(probed.details(QStringLiteral(": ")));
    info->fileSize = file.size();
    bc_ret grabbed;
    info->thumbnail = grabFrame(videoFile, 0, size, grabbed);
    if (grabbed.failed())
        logWarn(grabbed.details(QStringLiteral(": ")));
    info->thumbnailFile = saveThumbnail(info->thumbnail);
    return info;
}
