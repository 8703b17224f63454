#pragma once

#include <QtGlobal>

#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>

// One message between the audio threads: a kind, and a pointer or a number.
struct ThreadMessage
{
    int type = 0;
    void *pointer = nullptr;
    qint64 value = 0;
};

// A thread with a message queue of its own. Posting never blocks the poster and
// fails only when the thread is not running.
class NativeThread
{
public:
    NativeThread() = default;
    virtual ~NativeThread();
    NativeThread(const NativeThread &) = delete;
    NativeThread &operator=(const NativeThread &) = delete;

    // Returns once the thread runs and takes messages.
    bool start();
    bool post(const ThreadMessage &message);
    // Waits at most ms for the thread to end; false on time-out.
    bool wait(int ms);
    // Waits for the thread to end, however long it takes.
    void join();
    bool isRunning() const;

protected:
    // Handles one message; clearing keepRunning ends the thread.
    virtual void handle(const ThreadMessage &message, bool &keepRunning) = 0;
    // The thread's loop: by default, wait for messages and handle them.
    virtual void run();
    // On the thread, once it no longer takes messages (posting fails from then on).
    virtual void ended() {}
    // The next message, waiting at most timeoutMs (-1: without limit); false when none came.
    bool takeMessage(ThreadMessage &message, int timeoutMs);

private:
    void finish();

    std::thread m_thread;
    mutable std::mutex m_mutex;
    std::condition_variable m_changed;
    std::deque<ThreadMessage> m_queue;
    bool m_running = false;
    bool m_finished = false;
};
