#include "media/TaskQueue.h"

#include "app/Log.h"

namespace {

QString address(const AsyncTaskSptr &task)
{
    return QString::number(quintptr(task.get()), 16).toUpper();
}

} // namespace

void AsyncTask::progress(qint64, qint64)
{
}

void TaskRunner::run(const AsyncTaskSptr &task)
{
    logDebug(QStringLiteral("TaskRunner::run(%1)").arg(address(task)));
    const bc_ret result = task->run();
    emit finished(task, result);
}

TaskQueue::TaskQueue(QObject *parent)
    : QObject(parent)
    , m_runner(new TaskRunner)
{
    qRegisterMetaType<AsyncTaskSptr>("AsyncTaskSptr");
    registerResultMetaType();
    m_thread.setObjectName(QStringLiteral("task queue"));
}

TaskQueue::~TaskQueue()
{
    if (m_thread.isRunning())
        stop();
    delete m_runner;
}

void TaskQueue::start()
{
    m_runner->moveToThread(&m_thread);
    connect(this, &TaskQueue::doRun, m_runner, &TaskRunner::run, Qt::QueuedConnection);
    connect(m_runner, &TaskRunner::finished, this, &TaskQueue::onFinished, Qt::QueuedConnection);
    m_thread.start(QThread::InheritPriority);
}

void TaskQueue::queue(const AsyncTaskSptr &task)
{
    logDebug(QStringLiteral("TaskQueue::queue(%1)").arg(address(task)));
    m_pending.append(task);
    startNext();
}

void TaskQueue::startNext()
{
    if (m_current || m_pending.isEmpty())
        return;
    m_current = m_pending.takeFirst();
    emit doRun(m_current);
}

void TaskQueue::onFinished(const AsyncTaskSptr &task, const bc_ret &result)
{
    logDebug(QStringLiteral("TaskQueue::onFinished(%1)").arg(address(task)));
    bc_ret reported = result;
    if (task->isAborted())
        reported.add(QString(), 0, QStringLiteral("Aborted!"));
    if (m_current == task)
        m_current.reset();
    emit dequeued(task, reported);
    startNext();
}

QList<AsyncTaskSptr> TaskQueue::stop()
{
    const AsyncTaskSptr running = m_current;
    if (running)
        running->abort();
    QList<AsyncTaskSptr> unfinished = std::move(m_pending);
    m_pending.clear();
    m_thread.quit();
    if (!m_thread.wait(5000)) {
        // The running task has not stopped yet: its files and the runner are still
        // in use, so nothing may be touched or deleted before it has.
        logWarn(QStringLiteral("A background task does not stop; waiting for it"));
        m_thread.wait();
    }
    // The runner's report for the aborted task can no longer be delivered.
    m_current.reset();
    if (running)
        unfinished.prepend(running);
    return unfinished;
}
