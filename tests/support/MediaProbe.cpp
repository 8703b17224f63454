#include "tests/support/MediaProbe.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libswscale/swscale.h>
}

VideoProbe probeVideo(const QString &path, int maxFrames)
{
    VideoProbe probe;
    AVFormatContext *input = nullptr;
    if (avformat_open_input(&input, path.toUtf8().constData(), nullptr, nullptr) < 0)
        return probe;
    avformat_find_stream_info(input, nullptr);
    const int index = av_find_best_stream(input, AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0);
    if (index < 0) {
        avformat_close_input(&input);
        return probe;
    }
    const AVCodecParameters *parameters = input->streams[index]->codecpar;
    probe.container = QString::fromLatin1(input->iformat->name);
    probe.codec = QString::fromLatin1(avcodec_get_name(parameters->codec_id));
    probe.width = parameters->width;
    probe.height = parameters->height;

    const AVCodec *decoder = avcodec_find_decoder(parameters->codec_id);
    AVCodecContext *codec = avcodec_alloc_context3(decoder);
    avcodec_parameters_to_context(codec, parameters);
    avcodec_open2(codec, decoder, nullptr);
    AVPacket *packet = av_packet_alloc();
    AVFrame *frame = av_frame_alloc();
    SwsContext *toRgb = nullptr;
    auto takeFrames = [&] {
        while (avcodec_receive_frame(codec, frame) >= 0) {
            if (probe.frames.size() >= maxFrames)
                continue;
            QImage image(frame->width, frame->height, QImage::Format_RGB32);
            toRgb = sws_getCachedContext(toRgb, frame->width, frame->height, AVPixelFormat(frame->format), frame->width,
                                         frame->height, AV_PIX_FMT_BGR0, SWS_POINT, nullptr, nullptr, nullptr);
            uint8_t *planes[] = {image.bits()};
            const int strides[] = {int(image.bytesPerLine())};
            sws_scale(toRgb, frame->data, frame->linesize, 0, frame->height, planes, strides);
            probe.frames.append(image);
        }
    };
    while (av_read_frame(input, packet) >= 0) {
        if (packet->stream_index == index && packet->size > 0) {
            probe.pts.append(packet->pts);
            avcodec_send_packet(codec, packet);
            takeFrames();
        }
        av_packet_unref(packet);
    }
    avcodec_send_packet(codec, nullptr);
    takeFrames();
    sws_freeContext(toRgb);
    av_frame_free(&frame);
    av_packet_free(&packet);
    avcodec_free_context(&codec);
    avformat_close_input(&input);
    probe.ok = true;
    return probe;
}

AudioProbe probeAudio(const QString &path)
{
    AudioProbe probe;
    AVFormatContext *input = nullptr;
    if (avformat_open_input(&input, path.toUtf8().constData(), nullptr, nullptr) < 0)
        return probe;
    avformat_find_stream_info(input, nullptr);
    const int index = av_find_best_stream(input, AVMEDIA_TYPE_AUDIO, -1, -1, nullptr, 0);
    if (index >= 0) {
        const AVCodecParameters *parameters = input->streams[index]->codecpar;
        probe.container = QString::fromLatin1(input->iformat->name);
        probe.codec = QString::fromLatin1(avcodec_get_name(parameters->codec_id));
        probe.sampleRate = parameters->sample_rate;
        probe.channels = parameters->ch_layout.nb_channels;
        AVPacket *packet = av_packet_alloc();
        while (av_read_frame(input, packet) >= 0) {
            if (packet->stream_index == index)
                probe.samples.append(reinterpret_cast<const char *>(packet->data), packet->size);
            av_packet_unref(packet);
        }
        av_packet_free(&packet);
        probe.ok = true;
    }
    avformat_close_input(&input);
    return probe;
}
