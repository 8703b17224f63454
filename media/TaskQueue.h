#pragma once

#include "app/bc_ret.h"
#include "app/SafeThread.h"

#include <QList>
#include <QObject>

#include <atomic>
#include <memory>

// A piece of long work run on a queue's worker thread.
class AsyncTask
{
public:
    virtual ~AsyncTask() = default;
    // The work, on the worker thread.
    virtual bc_ret run() = 0;
    // Called by the work as it goes; the base does nothing.
    virtual void progress(qint64 done, qint64 total);

    // Set by the owner from its thread; the work polls it between steps.
    void abort() { m_aborted.store(true); }
    bool isAborted() const { return m_aborted.load(); }

private:
    std::atomic<bool> m_aborted{false};
};
using AsyncTaskSptr = std::shared_ptr<AsyncTask>;
Q_DECLARE_METATYPE(AsyncTaskSptr)

// Runs tasks on the worker thread.
class TaskRunner : public QObject
{
    Q_OBJECT
signals:
    void finished(const AsyncTaskSptr &task, const bc_ret &result);

public slots:
    void run(const AsyncTaskSptr &task);
};

// One private worker thread running tasks strictly one after another, in queue
// order; each result comes back on the owner's thread through dequeued().
class TaskQueue : public QObject
{
    Q_OBJECT
public:
    explicit TaskQueue(QObject *parent = nullptr);
    ~TaskQueue() override;

    void start();
    bool isRunning() const { return m_thread.isRunning(); }
    void queue(const AsyncTaskSptr &task);
    template<class Receiver, class Slot>
    void connectDequeued(Receiver *receiver, Slot slot)
    {
        connect(this, &TaskQueue::dequeued, receiver, slot);
    }
    // Aborts the running task, ends the thread (at most 5 s) and returns what did
    // not run to completion, the running task first.
    QList<AsyncTaskSptr> stop();

signals:
    void dequeued(const AsyncTaskSptr &task, const bc_ret &result);
    void doRun(const AsyncTaskSptr &task);

private slots:
    void onFinished(const AsyncTaskSptr &task, const bc_ret &result);

private:
    void startNext();

    SafeThread m_thread;
    QList<AsyncTaskSptr> m_pending;
    TaskRunner *m_runner;
    AsyncTaskSptr m_current;
};
