#include "platform/wayland/PipeWireStream.h"

#include "app/Log.h"

#include <pipewire/pipewire.h>
#include <spa/buffer/meta.h>
#include <spa/param/video/format-utils.h>
#include <spa/pod/builder.h>

#include <chrono>
#include <memory>
#include <mutex>

#include <unistd.h>

namespace {

std::once_flag pipeWireStarted;

bool formatOf(uint32_t videoFormat, StreamFormat &format)
{
    switch (videoFormat) {
    case SPA_VIDEO_FORMAT_BGRx: format = StreamFormat::BGRx; return true;
    case SPA_VIDEO_FORMAT_BGRA: format = StreamFormat::BGRA; return true;
    case SPA_VIDEO_FORMAT_RGBx: format = StreamFormat::RGBx; return true;
    case SPA_VIDEO_FORMAT_RGBA: format = StreamFormat::RGBA; return true;
    default: return false;
    }
}

// What we take: raw 32-bit pixels of any size and rate, in memory we can read.
const spa_pod *formatsWanted(spa_pod_builder &b)
{
    spa_pod_frame object, choice;
    spa_pod_builder_push_object(&b, &object, SPA_TYPE_OBJECT_Format, SPA_PARAM_EnumFormat);
    spa_pod_builder_prop(&b, SPA_FORMAT_mediaType, 0);
    spa_pod_builder_id(&b, SPA_MEDIA_TYPE_video);
    spa_pod_builder_prop(&b, SPA_FORMAT_mediaSubtype, 0);
    spa_pod_builder_id(&b, SPA_MEDIA_SUBTYPE_raw);
    spa_pod_builder_prop(&b, SPA_FORMAT_VIDEO_format, 0);
    // An enumeration's first value is the preferred one: the frames' own layout.
    spa_pod_builder_push_choice(&b, &choice, SPA_CHOICE_Enum, 0);
    for (uint32_t f : {SPA_VIDEO_FORMAT_BGRx, SPA_VIDEO_FORMAT_BGRx, SPA_VIDEO_FORMAT_BGRA, SPA_VIDEO_FORMAT_RGBx, SPA_VIDEO_FORMAT_RGBA})
        spa_pod_builder_id(&b, f);
    spa_pod_builder_pop(&b, &choice);
    spa_pod_builder_prop(&b, SPA_FORMAT_VIDEO_size, 0);
    spa_pod_builder_push_choice(&b, &choice, SPA_CHOICE_Range, 0);
    spa_pod_builder_rectangle(&b, 1920, 1080);
    spa_pod_builder_rectangle(&b, 1, 1);
    spa_pod_builder_rectangle(&b, 16384, 16384);
    spa_pod_builder_pop(&b, &choice);
    spa_pod_builder_prop(&b, SPA_FORMAT_VIDEO_framerate, 0);
    spa_pod_builder_push_choice(&b, &choice, SPA_CHOICE_Range, 0);
    spa_pod_builder_fraction(&b, 10, 1);
    spa_pod_builder_fraction(&b, 0, 1);
    spa_pod_builder_fraction(&b, 1000, 1);
    spa_pod_builder_pop(&b, &choice);
    return static_cast<const spa_pod *>(spa_pod_builder_pop(&b, &object));
}

// Shared memory only (our copies read the pixels), and room to hold one buffer back.
const spa_pod *buffersWanted(spa_pod_builder &b)
{
    spa_pod_frame object, choice;
    spa_pod_builder_push_object(&b, &object, SPA_TYPE_OBJECT_ParamBuffers, SPA_PARAM_Buffers);
    spa_pod_builder_prop(&b, SPA_PARAM_BUFFERS_buffers, 0);
    spa_pod_builder_push_choice(&b, &choice, SPA_CHOICE_Range, 0);
    spa_pod_builder_int(&b, 4);
    spa_pod_builder_int(&b, 2);
    spa_pod_builder_int(&b, 16);
    spa_pod_builder_pop(&b, &choice);
    spa_pod_builder_prop(&b, SPA_PARAM_BUFFERS_dataType, 0);
    spa_pod_builder_push_choice(&b, &choice, SPA_CHOICE_Flags, 0);
    spa_pod_builder_int(&b, (1 << SPA_DATA_MemFd) | (1 << SPA_DATA_MemPtr));
    spa_pod_builder_pop(&b, &choice);
    return static_cast<const spa_pod *>(spa_pod_builder_pop(&b, &object));
}

// The part of each picture that shows the screen, when the compositor says so.
const spa_pod *cropWanted(spa_pod_builder &b)
{
    spa_pod_frame object;
    spa_pod_builder_push_object(&b, &object, SPA_TYPE_OBJECT_ParamMeta, SPA_PARAM_Meta);
    spa_pod_builder_prop(&b, SPA_PARAM_META_type, 0);
    spa_pod_builder_id(&b, SPA_META_VideoCrop);
    spa_pod_builder_prop(&b, SPA_PARAM_META_size, 0);
    spa_pod_builder_int(&b, int(sizeof(spa_meta_region)));
    return static_cast<const spa_pod *>(spa_pod_builder_pop(&b, &object));
}

} // namespace

struct PipeWireEvents
{
    static void paramChanged(void *data, uint32_t id, const spa_pod *param)
    {
        if (param && id == SPA_PARAM_Format)
            static_cast<PipeWireStream *>(data)->negotiated(param);
    }
    static void process(void *data) { static_cast<PipeWireStream *>(data)->received(); }
    static void removeBuffer(void *data, pw_buffer *buffer) { static_cast<PipeWireStream *>(data)->removed(buffer); }
    static void stateChanged(void *data, pw_stream_state old, pw_stream_state state, const char *error)
    {
        logDebug(QStringLiteral("Shared screen stream: %1 -> %2").arg(QLatin1String(pw_stream_state_as_string(old)),
                                                                        QLatin1String(pw_stream_state_as_string(state))));
        auto *stream = static_cast<PipeWireStream *>(data);
        if (state == PW_STREAM_STATE_ERROR)
            stream->ended(QString::fromUtf8(error ? error : "unknown error"));
        else if (state == PW_STREAM_STATE_UNCONNECTED)
            stream->ended(QStringLiteral("the desktop stopped sharing the screen"));
    }
    static const pw_stream_events &table()
    {
        static const pw_stream_events events = [] {
            pw_stream_events e{};
            e.version = PW_VERSION_STREAM_EVENTS;
            e.state_changed = stateChanged;
            e.param_changed = paramChanged;
            e.process = process;
            e.remove_buffer = removeBuffer;
            return e;
        }();
        return events;
    }
};

PipeWireStream::~PipeWireStream()
{
    close();
}

bc_ret PipeWireStream::open(int fd, quint32 node)
{
    std::call_once(pipeWireStarted, [] { pw_init(nullptr, nullptr); });
    m_loop = pw_thread_loop_new("brindlecast-screen", nullptr);
    if (!m_loop) {
        ::close(fd);
        return bc_ret(QStringLiteral("pw_thread_loop_new"), -1, QStringLiteral("The shared screen could not be received"));
    }
    m_context = pw_context_new(pw_thread_loop_get_loop(m_loop), nullptr, 0);
    if (!m_context || pw_thread_loop_start(m_loop) < 0) {
        ::close(fd);
        return bc_ret(QStringLiteral("pw_context_new"), -1, QStringLiteral("The shared screen could not be received"));
    }
    pw_thread_loop_lock(m_loop);
    m_core = pw_context_connect_fd(m_context, fd, nullptr, 0);
    if (!m_core) {
        pw_thread_loop_unlock(m_loop);
        return bc_ret(QStringLiteral("pw_context_connect_fd"), -errno, QStringLiteral("The shared screen could not be received"));
    }
    m_stream = pw_stream_new(m_core, "Brindlecast",
                             pw_properties_new(PW_KEY_MEDIA_TYPE, "Video", PW_KEY_MEDIA_CATEGORY, "Capture",
                                               PW_KEY_MEDIA_ROLE, "Screen", nullptr));
    auto *listener = new spa_hook{};
    m_listener = listener;
    if (m_stream)
        pw_stream_add_listener(m_stream, listener, &PipeWireEvents::table(), this);
    uint8_t storage[1024];
    spa_pod_builder builder = SPA_POD_BUILDER_INIT(storage, sizeof storage);
    const spa_pod *params[] = {formatsWanted(builder)};
    const int connected = m_stream ? pw_stream_connect(m_stream, PW_DIRECTION_INPUT, node,
                                                       pw_stream_flags(PW_STREAM_FLAG_AUTOCONNECT | PW_STREAM_FLAG_MAP_BUFFERS),
                                                       params, 1)
                                   : -1;
    pw_thread_loop_unlock(m_loop);
    if (connected < 0)
        return bc_ret(QStringLiteral("pw_stream_connect"), connected, QStringLiteral("The shared screen could not be received"));
    return bc_ret();
}

void PipeWireStream::negotiated(const spa_pod *format)
{
    spa_video_info_raw info{};
    StreamFormat pixels;
    if (spa_format_video_raw_parse(format, &info) < 0 || !formatOf(info.format, pixels)) {
        pw_stream_set_error(m_stream, -EINVAL, "unsupported pixel format");
        return;
    }
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_width = int(info.size.width);
        m_height = int(info.size.height);
        m_format = pixels;
    }
    uint8_t storage[1024];
    spa_pod_builder builder = SPA_POD_BUILDER_INIT(storage, sizeof storage);
    const spa_pod *params[] = {buffersWanted(builder), cropWanted(builder)};
    pw_stream_update_params(m_stream, params, 2);
}

void PipeWireStream::received()
{
    // Only the newest picture matters: older ones go straight back.
    pw_buffer *newest = nullptr;
    while (pw_buffer *b = pw_stream_dequeue_buffer(m_stream)) {
        if (newest)
            pw_stream_queue_buffer(m_stream, newest);
        newest = b;
    }
    if (!newest)
        return;
    spa_buffer *buffer = newest->buffer;
    const spa_data &data = buffer->datas[0];
    const bool hasPicture = buffer->n_datas > 0 && data.data && data.chunk && data.chunk->size > 0
                            && !(data.chunk->flags & SPA_CHUNK_FLAG_CORRUPTED);
    if (!hasPicture) {
        // A cursor-only or empty update: the held picture still shows the screen.
        pw_stream_queue_buffer(m_stream, newest);
        return;
    }
    pw_buffer *previous = nullptr;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        previous = m_held;
        m_held = newest;
        m_picture.bits = static_cast<const uchar *>(data.data) + data.chunk->offset;
        m_picture.width = m_width;
        m_picture.height = m_height;
        m_picture.stride = data.chunk->stride > 0 ? data.chunk->stride : m_width * 4;
        m_picture.format = m_format;
        m_picture.crop = QRect();
        auto *crop = static_cast<spa_meta_region *>(spa_buffer_find_meta_data(buffer, SPA_META_VideoCrop, sizeof(spa_meta_region)));
        if (crop && spa_meta_region_is_valid(crop))
            m_picture.crop = QRect(crop->region.position.x, crop->region.position.y, int(crop->region.size.width),
                                   int(crop->region.size.height));
        // A picture that would read past its buffer is not shown.
        if (qsizetype(m_picture.stride) * m_picture.height > qsizetype(data.maxsize) - qsizetype(data.chunk->offset)
            || m_picture.stride < m_picture.width * 4)
            m_picture.bits = nullptr;
        ++m_serial;
    }
    if (previous)
        pw_stream_queue_buffer(m_stream, previous);
    m_arrived.notify_all();
}

void PipeWireStream::removed(pw_buffer *buffer)
{
    // Its memory goes away with it (the stream changes size, or the desktop's side of it
    // ends): no picture until the next.
    std::lock_guard<std::mutex> lock(m_mutex);
    if (buffer != m_held)
        return;
    m_held = nullptr;
    m_picture.bits = nullptr;
    // What a copy gives has changed: nothing now.
    ++m_serial;
}

void PipeWireStream::ended(const QString &reason)
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (m_ended.isEmpty())
            m_ended = reason;
    }
    m_arrived.notify_all();
}

bool PipeWireStream::waitForPicture(int ms)
{
    std::unique_lock<std::mutex> lock(m_mutex);
    return m_arrived.wait_for(lock, std::chrono::milliseconds(ms), [this] { return m_held || !m_ended.isEmpty(); }) && m_held;
}

bool PipeWireStream::copy(const QRect &screen, const QRect &rect, FrameBuffer &dest, QPoint destPos)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    if (!m_held || !m_picture.bits)
        return false;
    copyStreamRect(m_picture, screen, rect, dest, destPos);
    return true;
}

QSize PipeWireStream::pictureSize() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return QSize(m_width, m_height);
}

QString PipeWireStream::endReason() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_ended;
}

void PipeWireStream::close()
{
    if (m_loop)
        pw_thread_loop_stop(m_loop);
    // The loop no longer runs: nothing calls back from here on.
    if (m_stream) {
        if (m_held)
            pw_stream_queue_buffer(m_stream, m_held);
        m_held = nullptr;
        pw_stream_destroy(m_stream);
    }
    delete static_cast<spa_hook *>(m_listener);
    if (m_core)
        pw_core_disconnect(m_core);
    if (m_context)
        pw_context_destroy(m_context);
    if (m_loop)
        pw_thread_loop_destroy(m_loop);
    m_stream = nullptr;
    m_listener = nullptr;
    m_core = nullptr;
    m_context = nullptr;
    m_loop = nullptr;
}
