#include "MediaOperations.h"

#include "Log.h"
#include "TaskQueue.h"

#include <QFileInfo>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/log.h>
#include <libavutil/mathematics.h>
}

namespace {

bc_ret failure(const QString &text)
{
    return bc_ret(QString(), 0, text);
}

bool aborted(const AsyncTask *listener)
{
    return listener && listener->isAborted();
}

void report(AsyncTask *listener, qint64 done, qint64 total)
{
    if (listener)
        listener->progress(done, total);
}

// A new stream on output with the codec parameters of input's stream 0.
AVStream *copyStream(AVFormatContext *output, const AVStream *input, bool &copied)
{
    AVStream *stream = avformat_new_stream(output, nullptr);
    copied = false;
    if (!stream)
        return nullptr;
    stream->id = int(output->nb_streams) - 1;
    copied = avcodec_parameters_copy(stream->codecpar, input->codecpar) >= 0;
    stream->time_base = input->time_base;
    return stream;
}

// Milliseconds to a stream's time stamps; the largest value stays the largest.
qint64 toStreamTime(qint64 ms, AVRational timeBase)
{
    if (ms == std::numeric_limits<qint64>::max())
        return ms;
    return av_rescale(ms, timeBase.den, timeBase.num) / 1000;
}

qint64 fileSize(const QString &path)
{
    return QFileInfo(path).size();
}

struct Packet
{
    AVPacket *p = av_packet_alloc();
    ~Packet() { av_packet_free(&p); }
};

} // namespace

void initMediaLibraries()
{
    // FFmpeg's libraries are thread-safe on their own (since 4.0) and register
    // their codecs and formats themselves: unlike older generations, nothing else,
    // and no lock manager, has to be installed before media work starts.
    av_log_set_level(AV_LOG_ERROR);
}

AVFormatContext *openInput(const QString &path, MediaKind kind)
{
    AVFormatContext *input = nullptr;
    if (avformat_open_input(&input, path.toUtf8().constData(), nullptr, nullptr) < 0) {
        logInfo(QStringLiteral("av_open_input_file error"));
        return nullptr;
    }
    const int result = avformat_find_stream_info(input, nullptr);
    if (result < 0) {
        logInfo(QStringLiteral("av_find_stream_info (%1)").arg(result));
        avformat_close_input(&input);
        return nullptr;
    }
    if (input->nb_streams < 1 || input->streams[0]->codecpar->codec_type != AVMediaType(int(kind))) {
        avformat_close_input(&input);
        return nullptr;
    }
    return input;
}

AVFormatContext *openOutput(const QString &path)
{
    AVFormatContext *output = nullptr;
    const QByteArray name = path.toUtf8();
    if (avformat_alloc_output_context2(&output, nullptr, nullptr, name.constData()) < 0 || !output)
        return nullptr;
    if (!(output->oformat->flags & AVFMT_NOFILE) && avio_open(&output->pb, name.constData(), AVIO_FLAG_WRITE) < 0) {
        avformat_free_context(output);
        return nullptr;
    }
    return output;
}

void closeInput(AVFormatContext *&input)
{
    avformat_close_input(&input);
}

void closeOutput(AVFormatContext *&output)
{
    if (!output)
        return;
    if (output->pb)
        avio_closep(&output->pb);
    avformat_free_context(output);
    output = nullptr;
}

bc_ret MediaJoiner::join(const QString &outputFile, const QStringList &inputFiles, MediaKind kind, qint64 *actualMs)
{
    AVFormatContext *output = openOutput(outputFile);
    if (!output)
        return failure(QStringLiteral("Error opening output '%1'").arg(outputFile));
    QList<AVFormatContext *> inputs;
    auto closeAll = [&] {
        for (AVFormatContext *&input : inputs)
            closeInput(input);
        closeOutput(output);
    };
    qint64 totalBytes = 0;
    for (const QString &file : inputFiles) {
        AVFormatContext *input = openInput(file, kind);
        if (!input) {
            closeAll();
            return failure(QStringLiteral("Error opening '%1'").arg(file));
        }
        inputs.append(input);
        totalBytes += fileSize(file);
    }
    if (inputs.isEmpty()) {
        closeAll();
        return failure(QStringLiteral("No file input"));
    }
    bool copied = false;
    AVStream *stream = copyStream(output, inputs.first()->streams[0], copied);
    if (!stream) {
        closeAll();
        return failure(QStringLiteral("Error allocating stream"));
    }
    if (!copied) {
        closeAll();
        return failure(QStringLiteral("Error copy codec context"));
    }
    if (avformat_write_header(output, nullptr) < 0) {
        closeAll();
        return failure(QStringLiteral("Error copy codec context"));
    }

    // Each input goes on where the previous one's last packet ended.
    qint64 offset = 0;
    qint64 bytesDone = 0;
    bool writeFailed = false;
    Packet packet;
    for (AVFormatContext *input : inputs) {
        if (aborted(m_listener) || writeFailed)
            break;
        const AVRational inputBase = input->streams[0]->time_base;
        qint64 lastEnd = 0;
        while (!aborted(m_listener) && !writeFailed && av_read_frame(input, packet.p) >= 0) {
            if (packet.p->stream_index == 0) {
                av_packet_rescale_ts(packet.p, inputBase, stream->time_base);
                const qint64 pts = packet.p->pts != AV_NOPTS_VALUE ? packet.p->pts : packet.p->dts;
                lastEnd = qMax(lastEnd, pts + packet.p->duration);
                bytesDone += packet.p->size;
                if (packet.p->size > 0) {
                    if (packet.p->pts != AV_NOPTS_VALUE)
                        packet.p->pts += offset;
                    if (packet.p->dts != AV_NOPTS_VALUE)
                        packet.p->dts += offset;
                    packet.p->stream_index = 0;
                    packet.p->pos = -1;
                    // A full disk must not give a cut-off file that passes for whole.
                    writeFailed = av_write_frame(output, packet.p) < 0;
                }
                report(m_listener, bytesDone, totalBytes);
            }
            av_packet_unref(packet.p);
        }
        offset += lastEnd;
    }
    writeFailed = av_write_trailer(output) < 0 || writeFailed;
    if (actualMs)
        *actualMs = av_rescale(offset, qint64(stream->time_base.num) * 1000, stream->time_base.den);
    closeAll();
    if (writeFailed)
        return failure(QStringLiteral("Error writing '%1'").arg(outputFile));
    return bc_ret();
}

bc_ret MediaCutter::cut(const QString &inputFile, const QString &outputFile, MediaKind kind, qint64 startMs, qint64 endMs)
{
    AVFormatContext *input = openInput(inputFile, kind);
    if (!input)
        return failure(QStringLiteral("Error open input '%1'").arg(inputFile));
    AVStream *in = input->streams[0];
    AVFormatContext *output = nullptr;
    AVCodecContext *decoder = nullptr;
    AVCodecContext *encoder = nullptr;
    AVFrame *frame = nullptr;
    auto closeAll = [&] {
        av_frame_free(&frame);
        avcodec_free_context(&decoder);
        avcodec_free_context(&encoder);
        closeOutput(output);
        closeInput(input);
    };

    const AVCodec *decoderCodec = avcodec_find_decoder(in->codecpar->codec_id);
    const int codecId = int(in->codecpar->codec_id); // the stream goes with the input
    if (!decoderCodec) {
        closeAll();
        return failure(QStringLiteral("Unknown decoder %1").arg(codecId));
    }
    decoder = avcodec_alloc_context3(decoderCodec);
    if (!decoder || avcodec_parameters_to_context(decoder, in->codecpar) < 0
        || avcodec_open2(decoder, decoderCodec, nullptr) < 0) {
        closeAll();
        return failure(QStringLiteral("Error open decoder"));
    }
    frame = av_frame_alloc();
    if (!frame) {
        closeAll();
        return failure(QStringLiteral("Error init frame"));
    }

    output = openOutput(outputFile);
    if (!output) {
        closeAll();
        return failure(QStringLiteral("Error open output '%1'").arg(outputFile));
    }
    bool copied = false;
    AVStream *out = copyStream(output, in, copied);
    if (!out) {
        closeAll();
        return failure(QStringLiteral("Error create new stream"));
    }
    if (!copied) {
        closeAll();
        return failure(QStringLiteral("Error copy codec context"));
    }
    if (kind == MediaKind::Video) {
        // The first frame kept is re-encoded with the same codec, as a key frame.
        const AVCodec *encoderCodec = avcodec_find_encoder(in->codecpar->codec_id);
        if (!encoderCodec) {
            closeAll();
            return failure(QStringLiteral("Unknown encoder %1").arg(codecId));
        }
        encoder = avcodec_alloc_context3(encoderCodec);
        if (encoder) {
            encoder->width = decoder->width;
            encoder->height = decoder->height;
            encoder->pix_fmt = decoder->pix_fmt == AV_PIX_FMT_NONE ? AV_PIX_FMT_YUV420P : decoder->pix_fmt;
            encoder->time_base = in->time_base;
            encoder->bit_rate = in->codecpar->bit_rate > 0 ? in->codecpar->bit_rate : 4000000;
            encoder->gop_size = 200;
            if (output->oformat->flags & AVFMT_GLOBALHEADER)
                encoder->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
        }
        if (!encoder || avcodec_open2(encoder, encoderCodec, nullptr) < 0) {
            closeAll();
            return failure(QStringLiteral("Error open encoder"));
        }
    }
    if (avformat_write_header(output, nullptr) < 0) {
        closeAll();
        return failure(QStringLiteral("Error copy codec context"));
    }

    const qint64 start = toStreamTime(startMs, in->time_base);
    const qint64 end = toStreamTime(endMs, in->time_base);
    // Back to the key frame at or before the start, from which the start can be decoded.
    if (av_seek_frame(input, 0, start, AVSEEK_FLAG_BACKWARD) < 0 && start > 0) {
        const bc_ret ret = failure(kind == MediaKind::Video
                                           ? QStringLiteral("Error seek to closest key frame of frame %1").arg(start)
                                           : QStringLiteral("Error seek to frame %1").arg(start));
        closeAll();
        return ret;
    }

    Packet packet;
    qint64 offset = 0;
    if (kind == MediaKind::Video) {
        bool firstWritten = false;
        while (!aborted(m_listener) && !firstWritten && av_read_frame(input, packet.p) >= 0) {
            if (packet.p->stream_index == 0 && avcodec_send_packet(decoder, packet.p) >= 0) {
                while (!firstWritten && avcodec_receive_frame(decoder, frame) >= 0) {
                    const qint64 pts = frame->best_effort_timestamp;
                    if (pts < start)
                        continue;
                    frame->pts = 0;
                    frame->pict_type = AV_PICTURE_TYPE_I;
                    Packet encoded;
                    if (avcodec_send_frame(encoder, frame) < 0 || avcodec_receive_packet(encoder, encoded.p) < 0) {
                        av_packet_unref(packet.p);
                        closeAll();
                        return failure(QStringLiteral("Error write 1st frame"));
                    }
                    encoded.p->pts = encoded.p->dts = 0;
                    encoded.p->flags |= AV_PKT_FLAG_KEY;
                    encoded.p->stream_index = 0;
                    encoded.p->duration = 1;
                    av_packet_rescale_ts(encoded.p, in->time_base, out->time_base);
                    if (av_write_frame(output, encoded.p) < 0) {
                        av_packet_unref(packet.p);
                        closeAll();
                        return failure(QStringLiteral("Error write 1st frame"));
                    }
                    offset = pts;
                    firstWritten = true;
                }
            }
            av_packet_unref(packet.p);
        }
        logDebug(QStringLiteral("Video offset expected %1; actual %2").arg(start).arg(offset));
    } else {
        offset = start;
    }

    const qint64 limit = in->duration != AV_NOPTS_VALUE ? qMin(end, in->duration) : end;
    qint64 current = offset;
    while (!aborted(m_listener) && current < end && av_read_frame(input, packet.p) >= 0) {
        if (packet.p->stream_index == 0) {
            const qint64 pts = packet.p->pts != AV_NOPTS_VALUE ? packet.p->pts : packet.p->dts;
            current = pts;
            // Sound that begins before the start is left out.
            if (kind == MediaKind::Audio && pts + packet.p->duration <= start) {
                av_packet_unref(packet.p);
                continue;
            }
            report(m_listener, pts - offset, limit - offset);
            if (packet.p->size > 0) {
                if (packet.p->pts != AV_NOPTS_VALUE)
                    packet.p->pts = qMax<qint64>(0, packet.p->pts - offset);
                if (packet.p->dts != AV_NOPTS_VALUE)
                    packet.p->dts = qMax<qint64>(0, packet.p->dts - offset);
                packet.p->pos = -1;
                av_packet_rescale_ts(packet.p, in->time_base, out->time_base);
                if (av_write_frame(output, packet.p) < 0) {
                    av_packet_unref(packet.p);
                    closeAll();
                    return failure(QStringLiteral("Error write frame %1").arg(pts));
                }
            }
        }
        av_packet_unref(packet.p);
    }
    const bool trailerFailed = av_write_trailer(output) < 0;
    closeAll();
    if (trailerFailed)
        return failure(QStringLiteral("Error writing '%1'").arg(outputFile));
    return bc_ret();
}

bc_ret MediaMuxer::mux(const QString &videoFile, const QString &audioFile, const QString &outputFile)
{
    AVFormatContext *output = openOutput(outputFile);
    if (!output)
        return failure(QStringLiteral("Error opening output '%1'").arg(outputFile));
    AVFormatContext *video = nullptr;
    AVFormatContext *audio = nullptr;
    auto closeAll = [&] {
        closeInput(video);
        closeInput(audio);
        closeOutput(output);
    };
    video = openInput(videoFile, MediaKind::Video);
    if (!video) {
        closeAll();
        return failure(QStringLiteral("Error opening '%1'").arg(videoFile));
    }
    bool copied = false;
    AVStream *videoOut = copyStream(output, video->streams[0], copied);
    if (!videoOut) {
        closeAll();
        return failure(QStringLiteral("Error allocating video stream"));
    }
    if (!copied) {
        closeAll();
        return failure(QStringLiteral("Error copy video codec context"));
    }
    audio = openInput(audioFile, MediaKind::Audio);
    if (!audio) {
        closeAll();
        return failure(QStringLiteral("Error opening '%1'").arg(audioFile));
    }
    AVStream *audioOut = copyStream(output, audio->streams[0], copied);
    if (!audioOut) {
        closeAll();
        return failure(QStringLiteral("Error allocating audio stream"));
    }
    if (!copied) {
        closeAll();
        return failure(QStringLiteral("Error copy audio codec context"));
    }
    if (avformat_write_header(output, nullptr) < 0) {
        closeAll();
        return failure(QStringLiteral("Error copy audio codec context"));
    }

    const qint64 totalBytes = fileSize(videoFile) + fileSize(audioFile);
    qint64 bytesDone = 0;
    double videoTime = 0, audioTime = 0;
    bool writeFailed = false;
    Packet packet;
    auto copy = [&](AVFormatContext *input, AVStream *out, double &time) {
        if (av_read_frame(input, packet.p) < 0)
            return false;
        if (packet.p->stream_index == 0) {
            const AVRational base = input->streams[0]->time_base;
            const qint64 pts = packet.p->pts != AV_NOPTS_VALUE ? packet.p->pts : packet.p->dts;
            if (pts != AV_NOPTS_VALUE)
                time = double(pts + packet.p->duration) * av_q2d(base);
            // Counted first: the interleaving writer takes the packet's data.
            bytesDone += packet.p->size;
            if (packet.p->size > 0) {
                packet.p->stream_index = out->index;
                packet.p->pos = -1;
                av_packet_rescale_ts(packet.p, base, out->time_base);
                writeFailed = av_interleaved_write_frame(output, packet.p) < 0 || writeFailed;
            }
            report(m_listener, bytesDone, totalBytes);
        }
        av_packet_unref(packet.p);
        return true;
    };
    // Interleaved by time while both last; then the rest of the video. Sound past
    // the end of the video is left out.
    bool videoLeft = true;
    bool audioLeft = true;
    while (!aborted(m_listener) && !writeFailed && videoLeft && audioLeft) {
        if (videoTime <= audioTime)
            videoLeft = copy(video, videoOut, videoTime);
        else
            audioLeft = copy(audio, audioOut, audioTime);
    }
    while (!aborted(m_listener) && !writeFailed && videoLeft)
        videoLeft = copy(video, videoOut, videoTime);
    writeFailed = av_write_trailer(output) < 0 || writeFailed;
    closeAll();
    if (writeFailed)
        return failure(QStringLiteral("Error writing '%1'").arg(outputFile));
    return bc_ret();
}
