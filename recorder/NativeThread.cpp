#include "recorder/NativeThread.h"

#include <chrono>

NativeThread::~NativeThread()
{
    // The owner has asked the thread to end; a blocking read ends within one block.
    if (m_thread.joinable())
        m_thread.join();
}

bool NativeThread::start()
{
    std::lock_guard lock(m_mutex);
    if (m_running || m_thread.joinable())
        return false;
    m_running = true;
    m_finished = false;
    // Messages may be posted at once: the queue exists before the thread does.
    m_thread = std::thread([this] {
        run();
        finish();
        ended();
    });
    return true;
}

void NativeThread::finish()
{
    std::lock_guard lock(m_mutex);
    m_running = false;
    m_finished = true;
    m_queue.clear();
    m_changed.notify_all();
}

bool NativeThread::post(const ThreadMessage &message)
{
    std::lock_guard lock(m_mutex);
    if (!m_running)
        return false;
    m_queue.push_back(message);
    m_changed.notify_all();
    return true;
}

bool NativeThread::wait(int ms)
{
    {
        std::unique_lock lock(m_mutex);
        if (!m_changed.wait_for(lock, std::chrono::milliseconds(ms), [this] { return m_finished || !m_thread.joinable(); }))
            return false;
    }
    if (m_thread.joinable())
        m_thread.join();
    return true;
}

void NativeThread::join()
{
    if (m_thread.joinable())
        m_thread.join();
}

bool NativeThread::isRunning() const
{
    std::lock_guard lock(m_mutex);
    return m_running;
}

bool NativeThread::takeMessage(ThreadMessage &message, int timeoutMs)
{
    std::unique_lock lock(m_mutex);
    auto ready = [this] { return !m_queue.empty(); };
    if (timeoutMs < 0)
        m_changed.wait(lock, ready);
    else if (!m_changed.wait_for(lock, std::chrono::milliseconds(timeoutMs), ready))
        return false;
    message = m_queue.front();
    m_queue.pop_front();
    return true;
}

void NativeThread::run()
{
    bool keepRunning = true;
    ThreadMessage message;
    while (keepRunning && takeMessage(message, -1))
        handle(message, keepRunning);
}
