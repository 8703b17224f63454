#include "media/TaskQueue.h"

#include <QMutex>
#include <QSignalSpy>
#include <QTest>
#include <QThread>

#include <atomic>

namespace {

// Records what happens, from any thread.
struct Journal
{
    QMutex mutex;
    QStringList events;
    void add(const QString &event)
    {
        QMutexLocker lock(&mutex);
        events.append(event);
    }
    QStringList all()
    {
        QMutexLocker lock(&mutex);
        return events;
    }
};

class NamedTask : public AsyncTask
{
public:
    NamedTask(QString name, Journal *journal, bool untilAborted = false)
        : m_name(std::move(name))
        , m_journal(journal)
        , m_untilAborted(untilAborted)
    {
    }
    bc_ret run() override
    {
        m_journal->add(QStringLiteral("run ") + m_name);
        started.store(true);
        if (m_untilAborted) {
            while (!isAborted())
                QThread::msleep(5);
        } else {
            QThread::msleep(50);
        }
        m_journal->add(QStringLiteral("end ") + m_name);
        return bc_ret(QStringLiteral("task"), 1, m_name);
    }
    QString name() const { return m_name; }
    std::atomic<bool> started{false};

private:
    QString m_name;
    Journal *m_journal;
    bool m_untilAborted;
};

} // namespace

class TestTaskQueue : public QObject
{
    Q_OBJECT
private slots:
    void runsInOrderOneAtATime();
    void abortedTaskIsReported();
    void stopReturnsUnfinishedTasks();
};

void TestTaskQueue::runsInOrderOneAtATime()
{
    Journal journal;
    TaskQueue queue;
    queue.start();
    QVERIFY(queue.isRunning());
    queue.connectDequeued(this, [&journal](const AsyncTaskSptr &task, const bc_ret &result) {
        QVERIFY(QThread::currentThread() == QCoreApplication::instance()->thread());
        journal.add(QStringLiteral("dequeued ") + static_cast<NamedTask *>(task.get())->name() + QLatin1Char('/')
                    + result.messages(QString()));
    });
    queue.queue(std::make_shared<NamedTask>(QStringLiteral("first"), &journal));
    queue.queue(std::make_shared<NamedTask>(QStringLiteral("second"), &journal));
    QTRY_COMPARE(journal.all().size(), 6);
    QCOMPARE(journal.all(), (QStringList{QStringLiteral("run first"), QStringLiteral("end first"),
                                         QStringLiteral("dequeued first/first"), QStringLiteral("run second"),
                                         QStringLiteral("end second"), QStringLiteral("dequeued second/second")}));
}

void TestTaskQueue::abortedTaskIsReported()
{
    Journal journal;
    TaskQueue queue;
    queue.start();
    QSignalSpy dequeued(&queue, &TaskQueue::dequeued);
    auto task = std::make_shared<NamedTask>(QStringLiteral("long"), &journal, true);
    queue.queue(task);
    QTRY_VERIFY(task->started.load());
    task->abort();
    QVERIFY(dequeued.wait(5000));
    const bc_ret result = dequeued.first().at(1).value<bc_ret>();
    QCOMPARE(result.entries().size(), 2);
    QCOMPARE(result.entries().last(), (bc_ret::Entry{QString(), 0, QStringLiteral("Aborted!")}));
}

void TestTaskQueue::stopReturnsUnfinishedTasks()
{
    Journal journal;
    TaskQueue queue;
    queue.start();
    auto running = std::make_shared<NamedTask>(QStringLiteral("running"), &journal, true);
    auto second = std::make_shared<NamedTask>(QStringLiteral("second"), &journal);
    auto third = std::make_shared<NamedTask>(QStringLiteral("third"), &journal);
    queue.queue(running);
    queue.queue(second);
    queue.queue(third);
    QTRY_VERIFY(running->started.load());
    const QList<AsyncTaskSptr> unfinished = queue.stop();
    QCOMPARE(unfinished, (QList<AsyncTaskSptr>{running, second, third}));
    QVERIFY(running->isAborted());
    QVERIFY(!queue.isRunning());
    QVERIFY(!journal.all().contains(QStringLiteral("run second")));
}

QTEST_GUILESS_MAIN(TestTaskQueue)
#include "tst_taskqueue.moc"
