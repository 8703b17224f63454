#pragma once

// FFmpeg objects that free themselves: each handle owns one object and frees it the
// way FFmpeg wants when it goes out of scope, so an early return frees nothing by hand.

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libswscale/swscale.h>
}

#include <memory>

namespace av {

struct InputDeleter
{
    void operator()(AVFormatContext *context) const { avformat_close_input(&context); }
};
struct OutputDeleter
{
    // The file is closed with the context; writing the trailer is the writer's business.
    void operator()(AVFormatContext *context) const
    {
        if (context && context->pb && !(context->oformat->flags & AVFMT_NOFILE))
            avio_closep(&context->pb);
        avformat_free_context(context);
    }
};
struct CodecDeleter
{
    void operator()(AVCodecContext *context) const { avcodec_free_context(&context); }
};
struct FrameDeleter
{
    void operator()(AVFrame *frame) const { av_frame_free(&frame); }
};
struct PacketDeleter
{
    void operator()(AVPacket *packet) const { av_packet_free(&packet); }
};
struct ScalerDeleter
{
    void operator()(SwsContext *context) const { sws_freeContext(context); }
};

// A file opened for reading (avformat_open_input).
using Input = std::unique_ptr<AVFormatContext, InputDeleter>;
// A file being written (avformat_alloc_output_context2, then avio_open).
using Output = std::unique_ptr<AVFormatContext, OutputDeleter>;
using Codec = std::unique_ptr<AVCodecContext, CodecDeleter>;
using Frame = std::unique_ptr<AVFrame, FrameDeleter>;
using Packet = std::unique_ptr<AVPacket, PacketDeleter>;
using Scaler = std::unique_ptr<SwsContext, ScalerDeleter>;

// Opens a file for reading; null with the FFmpeg error code in result.
inline Input openInput(const char *url, int &result)
{
    AVFormatContext *context = nullptr;
    result = avformat_open_input(&context, url, nullptr, nullptr);
    return Input(result < 0 ? nullptr : context);
}

// A context for writing a file of that format (the file is not opened yet); null
// with the FFmpeg error code in result.
inline Output newOutput(const AVOutputFormat *format, const char *url, int &result)
{
    AVFormatContext *context = nullptr;
    result = avformat_alloc_output_context2(&context, format, nullptr, url);
    if (result >= 0 && !context)
        result = AVERROR(ENOMEM);
    return Output(result < 0 ? nullptr : context);
}

inline Frame newFrame() { return Frame(av_frame_alloc()); }
inline Packet newPacket() { return Packet(av_packet_alloc()); }
inline Codec newCodec(const AVCodec *codec) { return Codec(avcodec_alloc_context3(codec)); }

} // namespace av
