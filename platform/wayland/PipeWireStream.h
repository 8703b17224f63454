#pragma once

#include "app/bc_ret.h"
#include "platform/wayland/StreamPicture.h"

#include <QString>

#include <atomic>
#include <condition_variable>
#include <mutex>

struct pw_buffer;
struct pw_context;
struct pw_core;
struct pw_stream;
struct pw_thread_loop;

// Receives one video node of a PipeWire remote (a shared screen) in shared memory and
// keeps the newest picture: the buffer itself is held until a newer one arrives, so a
// still screen costs nothing and is copied straight from the compositor's memory.
// Pictures arrive on PipeWire's own thread; copies are made on the caller's.
class PipeWireStream
{
public:
    PipeWireStream() = default;
    ~PipeWireStream();
    PipeWireStream(const PipeWireStream &) = delete;
    PipeWireStream &operator=(const PipeWireStream &) = delete;

    // Connects to node on the remote whose socket is fd (taken over, closed on failure).
    bc_ret open(int fd, quint32 node);
    // Waits up to ms for the first picture (or the end); false when none came.
    bool waitForPicture(int ms);
    // Copies rect (desktop coordinates) of the newest picture, shown at screen on the
    // desktop, to dest at destPos (see copyStreamRect()). False when no picture came yet.
    bool copy(const QRect &screen, const QRect &rect, FrameBuffer &dest, QPoint destPos);
    // The pictures' size, as agreed with the compositor.
    QSize pictureSize() const;
    // Counts the pictures received and lost.
    quint64 serial() const { return m_serial.load(); }
    // Why the stream ended, empty while it runs.
    QString endReason() const;

private:
    friend struct PipeWireEvents;
    void negotiated(const struct spa_pod *format);
    void received();
    void removed(pw_buffer *buffer);
    void ended(const QString &reason);
    void close();

    pw_thread_loop *m_loop = nullptr;
    pw_context *m_context = nullptr;
    pw_core *m_core = nullptr;
    pw_stream *m_stream = nullptr;
    void *m_listener = nullptr; // spa_hook

    mutable std::mutex m_mutex;
    std::condition_variable m_arrived;
    pw_buffer *m_held = nullptr; // the newest picture's buffer, kept from the compositor
    StreamPicture m_picture;
    int m_width = 0;
    int m_height = 0;
    StreamFormat m_format = StreamFormat::BGRx;
    std::atomic<quint64> m_serial{0};
    QString m_ended;
};
