#include "platform/TerminationWatcher.h"

#include <QSignalSpy>
#include <QTest>

#include <csignal>

class TestTerminationWatcher : public QObject
{
    Q_OBJECT
private slots:
    void signalsBecomeEvents_data();
    void signalsBecomeEvents();
};

void TestTerminationWatcher::signalsBecomeEvents_data()
{
    QTest::addColumn<int>("signalNumber");
    QTest::newRow("SIGTERM") << SIGTERM;
    QTest::newRow("SIGINT") << SIGINT;
    QTest::newRow("SIGHUP") << SIGHUP;
}

void TestTerminationWatcher::signalsBecomeEvents()
{
    QFETCH(int, signalNumber);
    TerminationWatcher watcher;
    QVERIFY(watcher.isActive());
    QSignalSpy spy(&watcher, &TerminationWatcher::terminationRequested);
    // The process survives the signal; the notification arrives on the event loop.
    QCOMPARE(::raise(signalNumber), 0);
    QCOMPARE(spy.size(), 0);
    QVERIFY(spy.wait(5000));
    QCOMPARE(spy.first().first().toInt(), signalNumber);
}

QTEST_GUILESS_MAIN(TestTerminationWatcher)
#include "tst_terminationwatcher.moc"
