#include "media/MediaOperations.h"

#include "app/Log.h"
#include "media/TaskQueue.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cstdio>
#include <cstring>

extern "C" {
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

} // namespace

void initMediaLibraries()
{
    // FFmpeg's libraries are thread-safe on their own (since 4.0) and register
    // their codecs and formats themselves: unlike older generations, nothing else,
    // and no lock manager, has to be installed before media work starts.
    av_log_set_level(AV_LOG_ERROR);
}

av::Input openInput(const QString &path, MediaKind kind)
{
    // A FIFO or a device in a video's place would block the reader for ever.
    if (!QFileInfo(path).isFile()) {
        logInfo(QStringLiteral("Not a regular file: '%1'").arg(path));
        return nullptr;
    }
    int result = 0;
    av::Input input = av::openInput(path.toUtf8().constData(), result);
    if (!input) {
        logInfo(QStringLiteral("av_open_input_file error"));
        return nullptr;
    }
    result = avformat_find_stream_info(input.get(), nullptr);
    if (result < 0) {
        logInfo(QStringLiteral("av_find_stream_info (%1)").arg(result));
        return nullptr;
    }
    if (input->nb_streams < 1 || input->streams[0]->codecpar->codec_type != AVMediaType(int(kind)))
        return nullptr;
    return input;
}

av::Output openOutput(const QString &path)
{
    const QByteArray name = path.toUtf8();
    int result = 0;
    av::Output output = av::newOutput(nullptr, name.constData(), result);
    if (!output)
        return nullptr;
    if (!(output->oformat->flags & AVFMT_NOFILE) && avio_open(&output->pb, name.constData(), AVIO_FLAG_WRITE) < 0)
        return nullptr;
    return output;
}

namespace {

// Opens every input of a join, adding up their sizes for the progress.
bc_ret openInputs(const QStringList &files, MediaKind kind, std::vector<av::Input> &inputs, qint64 &totalBytes)
{
    totalBytes = 0;
    for (const QString &file : files) {
        av::Input input = openInput(file, kind);
        if (!input)
            return failure(QStringLiteral("Error opening '%1'").arg(file));
        inputs.push_back(std::move(input));
        totalBytes += fileSize(file);
    }
    return inputs.empty() ? failure(QStringLiteral("No file input")) : bc_ret();
}

// Copies packets into one output stream: each piece is moved to its place on the
// output's time line, the progress is reported by bytes read.
struct PacketCopy
{
    AVFormatContext *output;
    AVStream *stream;
    AsyncTask *listener;
    qint64 totalBytes;
    qint64 bytesDone = 0;
    bool writeFailed = false;

    bool stopped() const { return writeFailed || aborted(listener); }

    void write(AVPacket *packet, qint64 pts)
    {
        packet->pts = packet->dts = pts;
        packet->stream_index = 0;
        packet->pos = -1;
        // A full disk must not give a cut-off file that passes for whole.
        writeFailed = av_write_frame(output, packet) < 0 || writeFailed;
    }

    // Reads the next packet of stream 0 in the output's time base; false at the end.
    bool next(AVFormatContext *input, AVPacket *packet, qint64 &pts)
    {
        while (!stopped() && av_read_frame(input, packet) >= 0) {
            if (packet->stream_index == 0) {
                av_packet_rescale_ts(packet, input->streams[0]->time_base, stream->time_base);
                pts = packet->pts != AV_NOPTS_VALUE ? packet->pts : packet->dts;
                bytesDone += packet->size;
                report(listener, bytesDone, totalBytes);
                return true;
            }
            av_packet_unref(packet);
        }
        return false;
    }
};

// One piece of a join placed at offset; packets at or past limit (its length) are left
// out. Returns where its last packet ended.
qint64 copyPiece(PacketCopy &copy, AVFormatContext *input, qint64 offset, qint64 limit)
{
    const av::Packet packet = av::newPacket();
    qint64 pts = 0;
    qint64 lastEnd = 0;
    while (copy.next(input, packet.get(), pts)) {
        if (pts < limit) {
            lastEnd = qMax(lastEnd, pts + packet->duration);
            if (packet->size > 0)
                copy.write(packet.get(), pts + offset);
        }
        av_packet_unref(packet.get());
    }
    return lastEnd;
}

// One piece of sound of exactly `samples` samples from position `at`: what is longer
// is cut, what is shorter is filled with silence. Sound in an AVI file has no time
// stamps, only its order, so only this keeps the pieces after it in place.
// at and samples count samples.
void copySoundPiece(PacketCopy &copy, AVFormatContext *input, qint64 at, qint64 samples)
{
    const int sampleBytes = qMax(1, input->streams[0]->codecpar->block_align);
    const AVRational rate{1, qMax(1, input->streams[0]->codecpar->sample_rate)};
    const av::Packet packet = av::newPacket();
    qint64 pts = 0;
    qint64 done = 0;
    while (copy.next(input, packet.get(), pts)) {
        const qint64 take = qMin<qint64>(packet->size / sampleBytes, samples - done);
        if (take > 0) {
            av_shrink_packet(packet.get(), int(take * sampleBytes));
            copy.write(packet.get(), av_rescale_q(at + done, rate, copy.stream->time_base));
            done += take;
        }
        av_packet_unref(packet.get());
    }
    constexpr qint64 kSilenceChunk = 22050;
    while (!copy.stopped() && done < samples) {
        const qint64 n = qMin(kSilenceChunk, samples - done);
        if (av_new_packet(packet.get(), int(n * sampleBytes)) < 0) {
            copy.writeFailed = true;
            break;
        }
        std::memset(packet->data, 0, size_t(packet->size));
        packet->flags |= AV_PKT_FLAG_KEY;
        packet->duration = av_rescale_q(n, rate, copy.stream->time_base);
        copy.write(packet.get(), av_rescale_q(at + done, rate, copy.stream->time_base));
        av_packet_unref(packet.get());
        done += n;
    }
}

} // namespace

bc_ret MediaJoiner::join(const QString &outputFile, const QStringList &inputFiles, MediaKind kind, qint64 *actualMs,
                         const QList<qint64> &lengthsMs)
{
    av::Output output = openOutput(outputFile);
    if (!output)
        return failure(QStringLiteral("Error opening output '%1'").arg(outputFile));
    std::vector<av::Input> inputs;
    qint64 totalBytes = 0;
    bc_ret opened = openInputs(inputFiles, kind, inputs, totalBytes);
    if (opened.failed())
        return opened;
    bool copied = false;
    AVStream *stream = copyStream(output.get(), inputs.front()->streams[0], copied);
    if (!stream)
        return failure(QStringLiteral("Error allocating stream"));
    if (!copied)
        return failure(QStringLiteral("Error copy codec context"));
    if (avformat_write_header(output.get(), nullptr) < 0)
        return failure(QStringLiteral("Error writing '%1'").arg(outputFile));

    // With lengths, each piece starts where the sum of the ones before ends, whatever
    // its own content; without, where the previous one's last packet ended.
    const bool placed = lengthsMs.size() == qsizetype(inputs.size())
                        && std::all_of(lengthsMs.cbegin(), lengthsMs.cend(), [](qint64 ms) { return ms > 0; });
    const AVRational base = stream->time_base;
    const AVRational sampleBase{1, qMax(1, stream->codecpar->sample_rate)};
    const bool sound = kind == MediaKind::Audio && placed;
    auto at = [&](qint64 ms) { return av_rescale_q(ms, AVRational{1, 1000}, sound ? sampleBase : base); };
    PacketCopy copy{output.get(), stream, m_listener, totalBytes};
    qint64 offset = 0;
    qint64 elapsedMs = 0;
    for (size_t i = 0; i < inputs.size() && !copy.stopped(); ++i) {
        AVFormatContext *input = inputs[i].get();
        if (!placed) {
            offset += copyPiece(copy, input, offset, std::numeric_limits<qint64>::max());
            continue;
        }
        const qint64 from = at(elapsedMs);
        elapsedMs += lengthsMs[qsizetype(i)];
        if (sound)
            copySoundPiece(copy, input, from, at(elapsedMs) - from);
        else
            copyPiece(copy, input, from, at(elapsedMs) - from);
        offset = at(elapsedMs);
    }
    const bool writeFailed = av_write_trailer(output.get()) < 0 || copy.writeFailed;
    if (actualMs)
        *actualMs = placed ? elapsedMs : av_rescale(offset, qint64(base.num) * 1000, base.den);
    if (writeFailed)
        return failure(QStringLiteral("Error writing '%1'").arg(outputFile));
    return bc_ret();
}

namespace {

// What a cut decodes and encodes: a video's first kept picture is decoded and encoded
// again as a key frame, so that the cut file starts with a whole picture.
struct CutCodecs
{
    av::Codec decoder;
    av::Codec encoder;
    av::Frame frame = av::newFrame();
    av::Frame held = av::newFrame(); // the picture on screen at the start
    qint64 heldPts = AV_NOPTS_VALUE;
    qint64 heldEnd = AV_NOPTS_VALUE;

    bc_ret open(const AVStream *in, const AVFormatContext *output)
    {
        const int codecId = int(in->codecpar->codec_id);
        const AVCodec *decoderCodec = avcodec_find_decoder(in->codecpar->codec_id);
        if (!decoderCodec)
            return failure(QStringLiteral("Unknown decoder %1").arg(codecId));
        decoder = av::newCodec(decoderCodec);
        if (!decoder || avcodec_parameters_to_context(decoder.get(), in->codecpar) < 0
            || avcodec_open2(decoder.get(), decoderCodec, nullptr) < 0)
            return failure(QStringLiteral("Error open decoder"));
        if (!frame || !held)
            return failure(QStringLiteral("Error init frame"));
        const AVCodec *encoderCodec = avcodec_find_encoder(in->codecpar->codec_id);
        if (!encoderCodec)
            return failure(QStringLiteral("Unknown encoder %1").arg(codecId));
        encoder = av::newCodec(encoderCodec);
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
        if (!encoder || avcodec_open2(encoder.get(), encoderCodec, nullptr) < 0)
            return failure(QStringLiteral("Error open encoder"));
        return bc_ret();
    }

    // Decodes a packet; the last picture it gives is held. An empty one (a frame number
    // the recorder missed) repeats the picture before, and would end the decoder's input.
    void decode(const AVPacket *packet)
    {
        if (packet->size <= 0 || avcodec_send_packet(decoder.get(), packet) < 0)
            return;
        while (avcodec_receive_frame(decoder.get(), frame.get()) >= 0) {
            av_frame_unref(held.get());
            av_frame_move_ref(held.get(), frame.get());
            heldPts = held->best_effort_timestamp;
            heldEnd = heldPts + qMax<qint64>(1, packet->duration);
        }
    }

    bool hasHeld() const { return heldPts != AV_NOPTS_VALUE; }

    // The held picture as a key frame at pts (the input's time base, from the cut's start).
    bool writeHeld(AVFormatContext *output, const AVStream *in, const AVStream *out, qint64 pts = 0)
    {
        held->pts = pts;
        held->pict_type = AV_PICTURE_TYPE_I;
        const av::Packet encoded = av::newPacket();
        if (avcodec_send_frame(encoder.get(), held.get()) < 0 || avcodec_receive_packet(encoder.get(), encoded.get()) < 0)
            return false;
        encoded.get()->pts = encoded.get()->dts = pts;
        encoded.get()->flags |= AV_PKT_FLAG_KEY;
        encoded.get()->stream_index = 0;
        encoded.get()->duration = 1;
        av_packet_rescale_ts(encoded.get(), in->time_base, out->time_base);
        return av_write_frame(output, encoded.get()) >= 0;
    }
};

// The picture on screen at `start` (the last one at or before it) starts the cut as a
// key frame; the packet read after it is left in `pending`. Returns the cut's time
// origin in the input's time base, or -1 when nothing is on screen from there on.
qint64 writeFirstPicture(AVFormatContext *input, AVFormatContext *output, const AVStream *out, CutCodecs &codecs,
                         qint64 start, AVPacket *pending, bool &hasPending, const AsyncTask *listener, bc_ret &result)
{
    const AVStream *in = input->streams[0];
    hasPending = false;
    while (!aborted(listener) && av_read_frame(input, pending) >= 0) {
        if (pending->stream_index != 0) {
            av_packet_unref(pending);
            continue;
        }
        const qint64 pts = pending->pts != AV_NOPTS_VALUE ? pending->pts : pending->dts;
        if (pts > start) {
            hasPending = true;
            break;
        }
        codecs.decode(pending);
        av_packet_unref(pending);
    }
    qint64 origin = start;
    if (!codecs.hasHeld() && hasPending) {
        // The start lies before the first picture: the cut starts with that one.
        codecs.decode(pending);
        av_packet_unref(pending);
        hasPending = false;
        origin = codecs.heldPts;
    }
    if (!codecs.hasHeld() || aborted(listener) || (!hasPending && start >= codecs.heldEnd))
        return -1;
    if (!codecs.writeHeld(output, in, out)) {
        result = failure(QStringLiteral("Error write 1st frame"));
        return -1;
    }
    logDebug(QStringLiteral("Video offset expected %1; actual %2").arg(start).arg(origin));
    return origin;
}

// A cut that ends in a still stretch (frames the recorder left empty) would end at its
// last change: the picture on screen at its last frame is written there again.
// stop and origin in the input's time base.
bool writeLastPicture(AVFormatContext *input, AVFormatContext *output, const AVStream *out, CutCodecs &codecs,
                      qint64 stop, qint64 origin)
{
    const AVStream *in = input->streams[0];
    const qint64 last = stop - 1;
    if (av_seek_frame(input, 0, last, AVSEEK_FLAG_BACKWARD) < 0)
        return false;
    avcodec_flush_buffers(codecs.decoder.get());
    codecs.heldPts = AV_NOPTS_VALUE;
    const av::Packet packet = av::newPacket();
    while (av_read_frame(input, packet.get()) >= 0) {
        const qint64 pts = packet->pts != AV_NOPTS_VALUE ? packet->pts : packet->dts;
        const bool done = packet->stream_index == 0 && pts > last;
        if (packet->stream_index == 0 && !done)
            codecs.decode(packet.get());
        av_packet_unref(packet.get());
        if (done)
            break;
    }
    return codecs.hasHeld() && codecs.writeHeld(output, in, out, last - origin);
}

// Sound that began before the start loses its head, so the cut's sound starts exactly
// there. Sound in AVI has no time stamps: a packet written whole would start early.
bool trimSoundHead(AVPacket *packet, const AVStream *in, qint64 pts, qint64 start)
{
    if (pts >= start)
        return true;
    const int sampleBytes = qMax(1, in->codecpar->block_align);
    const qint64 skip = av_rescale_q(start - pts, in->time_base, AVRational{1, qMax(1, in->codecpar->sample_rate)}) * sampleBytes;
    if (skip >= packet->size)
        return false;
    if (av_packet_make_writable(packet) < 0)
        return false;
    std::memmove(packet->data, packet->data + skip, size_t(packet->size - skip));
    av_shrink_packet(packet, int(packet->size - skip));
    packet->pts = packet->dts = start;
    return true;
}

} // namespace

namespace {

// The output of a cut or a rewrite: the file with one stream like the input's, its
// header written, and for a video the codecs that make its first and last pictures.
bc_ret startCopy(const QString &outputFile, const AVStream *in, MediaKind kind, av::Output &output, AVStream *&out,
                 CutCodecs &codecs)
{
    output = openOutput(outputFile);
    if (!output)
        return failure(QStringLiteral("Error open output '%1'").arg(outputFile));
    if (kind == MediaKind::Video) {
        const bc_ret opened = codecs.open(in, output.get());
        if (opened.failed())
            return opened;
    }
    bool copied = false;
    out = copyStream(output.get(), in, copied);
    if (!out)
        return failure(QStringLiteral("Error create new stream"));
    if (!copied)
        return failure(QStringLiteral("Error copy codec context"));
    if (avformat_write_header(output.get(), nullptr) < 0)
        return failure(QStringLiteral("Error writing '%1'").arg(outputFile));
    return bc_ret();
}

} // namespace

bc_ret MediaCutter::cut(const QString &inputFile, const QString &outputFile, MediaKind kind, qint64 startMs, qint64 endMs,
                        qint64 *startedAtMs)
{
    const av::Input input = openInput(inputFile, kind);
    if (!input)
        return failure(QStringLiteral("Error open input '%1'").arg(inputFile));
    AVStream *in = input->streams[0];
    av::Output output;
    AVStream *out = nullptr;
    CutCodecs codecs;
    bc_ret result = startCopy(outputFile, in, kind, output, out, codecs);
    if (result.failed())
        return result;
    const qint64 start = toStreamTime(startMs, in->time_base);
    const qint64 end = toStreamTime(endMs, in->time_base);
    // Back to the key frame at or before the start, from which the start can be decoded.
    if (av_seek_frame(input.get(), 0, start, AVSEEK_FLAG_BACKWARD) < 0 && start > 0)
        return failure(kind == MediaKind::Video ? QStringLiteral("Error seek to closest key frame of frame %1").arg(start)
                                                : QStringLiteral("Error seek to frame %1").arg(start));

    const av::Packet packet = av::newPacket();
    bool hasPending = false;
    qint64 origin = start;
    if (kind == MediaKind::Video)
        origin = writeFirstPicture(input.get(), output.get(), out, codecs, start, packet.get(), hasPending, m_listener,
                                   result);
    if (startedAtMs)
        *startedAtMs = origin < 0 ? startMs : av_rescale_q(origin, in->time_base, AVRational{1, 1000});
    const qint64 limit = in->duration != AV_NOPTS_VALUE ? qMin(end, in->duration) : end;
    qint64 writtenEnd = origin >= 0 ? 1 : 0; // past the last picture written, from the origin
    while (result.ok() && origin >= 0 && !aborted(m_listener)
           && (hasPending || av_read_frame(input.get(), packet.get()) >= 0)) {
        hasPending = false;
        const qint64 pts = packet->pts != AV_NOPTS_VALUE ? packet->pts : packet->dts;
        if (packet->stream_index != 0 || (kind == MediaKind::Audio && !trimSoundHead(packet.get(), in, pts, start))) {
            av_packet_unref(packet.get());
            continue;
        }
        if (pts >= end)
            break;
        report(m_listener, pts - origin, limit - origin);
        if (packet->size > 0) {
            packet->pts = packet->dts = qMax<qint64>(0, qMax(pts, start) - origin);
            packet->pos = -1;
            writtenEnd = qMax(writtenEnd, packet->pts + qMax<qint64>(1, packet->duration));
            av_packet_rescale_ts(packet.get(), in->time_base, out->time_base);
            if (av_write_frame(output.get(), packet.get()) < 0)
                result = failure(QStringLiteral("Error write frame %1").arg(pts));
        }
        av_packet_unref(packet.get());
    }
    av_packet_unref(packet.get());
    if (kind == MediaKind::Video && result.ok() && origin >= 0 && !aborted(m_listener)
        && limit != std::numeric_limits<qint64>::max() && writtenEnd < limit - origin
        && !writeLastPicture(input.get(), output.get(), out, codecs, limit, origin))
        result = failure(QStringLiteral("Error write last frame"));
    if (av_write_trailer(output.get()) < 0 && result.ok())
        result = failure(QStringLiteral("Error writing '%1'").arg(outputFile));
    return result;
}

bc_ret extendVideo(const QString &file, qint64 lengthMs, qint64 *extendedMs)
{
    const QString longer = file + QStringLiteral(".longer.avi");
    av::Input input = openInput(file, MediaKind::Video);
    if (!input)
        return failure(QStringLiteral("Error open input '%1'").arg(file));
    av::Output output;
    AVStream *out = nullptr;
    CutCodecs codecs;
    bc_ret result = startCopy(longer, input->streams[0], MediaKind::Video, output, out, codecs);
    const AVRational base = input->streams[0]->time_base;
    const qint64 stop = toStreamTime(lengthMs, base);
    qint64 end = 0;
    const av::Packet packet = av::newPacket();
    while (result.ok() && av_read_frame(input.get(), packet.get()) >= 0) {
        if (packet->stream_index == 0 && packet->size > 0) {
            const qint64 pts = packet->pts != AV_NOPTS_VALUE ? packet->pts : packet->dts;
            end = qMax(end, pts + qMax<qint64>(1, packet->duration));
            packet->pos = -1;
            av_packet_rescale_ts(packet.get(), base, out->time_base);
            if (av_write_frame(output.get(), packet.get()) < 0)
                result = failure(QStringLiteral("Error writing '%1'").arg(longer));
        }
        av_packet_unref(packet.get());
    }
    if (result.ok() && end < stop && !writeLastPicture(input.get(), output.get(), out, codecs, stop, 0))
        result = failure(QStringLiteral("Error write last frame"));
    if (result.ok() && av_write_trailer(output.get()) < 0)
        result = failure(QStringLiteral("Error writing '%1'").arg(longer));
    // Closed before the file is put in place.
    output.reset();
    input.reset();
    // Put in place in one step: a crash now leaves the old file or the new one.
    if (result.ok() && std::rename(QFile::encodeName(longer).constData(), QFile::encodeName(file).constData()) != 0)
        result = failure(QStringLiteral("Error writing '%1'").arg(file));
    QFile::remove(longer);
    if (extendedMs && result.ok())
        *extendedMs = av_rescale(qMax(end, stop), qint64(base.num) * 1000, base.den);
    return result;
}

namespace {

// One input of a mux and its stream in the output.
bc_ret addInput(const QString &file, MediaKind kind, AVFormatContext *output, av::Input &input, AVStream *&out)
{
    const QString what = kind == MediaKind::Video ? QStringLiteral("video") : QStringLiteral("audio");
    input = openInput(file, kind);
    if (!input)
        return failure(QStringLiteral("Error opening '%1'").arg(file));
    bool copied = false;
    out = copyStream(output, input->streams[0], copied);
    if (!out)
        return failure(QStringLiteral("Error allocating %1 stream").arg(what));
    if (!copied)
        return failure(QStringLiteral("Error copy %1 codec context").arg(what));
    return bc_ret();
}

} // namespace

bc_ret MediaMuxer::mux(const QString &videoFile, const QString &audioFile, const QString &outputFile)
{
    av::Output output = openOutput(outputFile);
    if (!output)
        return failure(QStringLiteral("Error opening output '%1'").arg(outputFile));
    av::Input video;
    av::Input audio;
    AVStream *videoOut = nullptr;
    AVStream *audioOut = nullptr;
    bc_ret added = addInput(videoFile, MediaKind::Video, output.get(), video, videoOut);
    if (added.ok())
        added = addInput(audioFile, MediaKind::Audio, output.get(), audio, audioOut);
    if (added.failed())
        return added;
    if (avformat_write_header(output.get(), nullptr) < 0)
        return failure(QStringLiteral("Error writing '%1'").arg(outputFile));

    const qint64 totalBytes = fileSize(videoFile) + fileSize(audioFile);
    qint64 bytesDone = 0;
    double videoTime = 0, audioTime = 0;
    bool writeFailed = false;
    const av::Packet packet = av::newPacket();
    auto copy = [&](AVFormatContext *input, AVStream *out, double &time) {
        if (av_read_frame(input, packet.get()) < 0)
            return false;
        if (packet->stream_index == 0) {
            const AVRational base = input->streams[0]->time_base;
            const qint64 pts = packet->pts != AV_NOPTS_VALUE ? packet->pts : packet->dts;
            if (pts != AV_NOPTS_VALUE)
                time = double(pts + packet->duration) * av_q2d(base);
            // Counted first: the interleaving writer takes the packet's data.
            bytesDone += packet->size;
            if (packet->size > 0) {
                packet->stream_index = out->index;
                packet->pos = -1;
                av_packet_rescale_ts(packet.get(), base, out->time_base);
                writeFailed = av_interleaved_write_frame(output.get(), packet.get()) < 0 || writeFailed;
            }
            report(m_listener, bytesDone, totalBytes);
        }
        av_packet_unref(packet.get());
        return true;
    };
    // Interleaved by time while both last; then the rest of the video. Sound past
    // the end of the video is left out.
    bool videoLeft = true;
    bool audioLeft = true;
    while (!aborted(m_listener) && !writeFailed && videoLeft && audioLeft) {
        if (videoTime <= audioTime)
            videoLeft = copy(video.get(), videoOut, videoTime);
        else
            audioLeft = copy(audio.get(), audioOut, audioTime);
    }
    while (!aborted(m_listener) && !writeFailed && videoLeft)
        videoLeft = copy(video.get(), videoOut, videoTime);
    writeFailed = av_write_trailer(output.get()) < 0 || writeFailed;
    if (writeFailed)
        return failure(QStringLiteral("Error writing '%1'").arg(outputFile));
    return bc_ret();
}
