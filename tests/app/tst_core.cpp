#include "app/bc_ret.h"
#include "app/Counter.h"
#include "app/Paths.h"

#include <QSignalSpy>
#include <QTest>

#include <cerrno>
#include <cstring>

class ResultEmitter : public QObject
{
    Q_OBJECT
signals:
    void finished(bc_ret result);
};

class TestCore : public QObject
{
    Q_OBJECT
private slots:
    void resultTexts();
    void resultAppendLeavesCopiesAlone();
    void resultFromErrno();
    void resultTravelsThroughQueuedSignal();
    void counterCountsAndSignals();
    void counterWithoutInstance();
    void serviceUrlOverride();
};

void TestCore::resultTexts()
{
    bc_ret r(QStringLiteral("A"), 5, QStringLiteral("x"));
    r.add(QStringLiteral("B"), 7, QStringLiteral("y"));
    QCOMPARE(r.messages(QStringLiteral(": ")), QStringLiteral("y: x"));
    QCOMPARE(r.details(QStringLiteral(":<br>")), QStringLiteral("{B; 7; y}:<br>{A; 5; x}"));

    // An entry without text is left out of the user text but kept in the details.
    r.add(QStringLiteral("C"), -1);
    QCOMPARE(r.messages(QStringLiteral(": ")), QStringLiteral("y: x"));
    QCOMPARE(r.details(QStringLiteral("|")), QStringLiteral("{C; -1; }|{B; 7; y}|{A; 5; x}"));

    // Leading entries without text must not produce a leading separator.
    bc_ret onlyInner(QStringLiteral("inner"), 1, QStringLiteral("root cause"));
    onlyInner.add(QStringLiteral("outer"), 2);
    QCOMPARE(onlyInner.messages(QStringLiteral(": ")), QStringLiteral("root cause"));

    QVERIFY(bc_ret().ok());
    QCOMPARE(bc_ret().messages(QStringLiteral(": ")), QString());
    QCOMPARE(bc_ret().details(QStringLiteral(": ")), QString());
}

void TestCore::resultAppendLeavesCopiesAlone()
{
    bc_ret inner(QStringLiteral("read"), 2, QStringLiteral("inner"));
    bc_ret outer;
    outer += inner;
    QCOMPARE(outer, inner);
    outer.add(QStringLiteral("outer text"));
    outer += bc_ret(QStringLiteral("x"), 3);
    QCOMPARE(outer.entries().size(), 3);
    QCOMPARE(outer.entries().last().context, QStringLiteral("x"));
    // The copy taken before appending is unchanged.
    QCOMPARE(inner.entries().size(), 1);
}

void TestCore::resultFromErrno()
{
    errno = ENOENT;
    const bc_ret r = bc_ret::fromLastError(QStringLiteral("open"));
    QCOMPARE(r.entries().size(), 1);
    QCOMPARE(r.entries().first().context, QStringLiteral("open"));
    QCOMPARE(r.entries().first().code, qint64(ENOENT));
    // The system's own text in the user's language, so not compared to English.
    QCOMPARE(r.entries().first().text, QString::fromLocal8Bit(strerror(ENOENT)));
}

void TestCore::resultTravelsThroughQueuedSignal()
{
    registerResultMetaType();
    QCOMPARE(QMetaType::fromName("bc_ret"), QMetaType::fromType<bc_ret>());
    ResultEmitter emitter;
    bc_ret received;
    connect(&emitter, &ResultEmitter::finished, this, [&](bc_ret r) { received = r; }, Qt::QueuedConnection);
    emit emitter.finished(bc_ret(QStringLiteral("c"), 9, QStringLiteral("queued")));
    QTRY_VERIFY(received.failed());
    QCOMPARE(received.messages(QString()), QStringLiteral("queued"));
}

void TestCore::counterCountsAndSignals()
{
    Counter counter;
    QCOMPARE(Counter::instance(), &counter);
    QSignalSpy spy(&counter, &Counter::countChanged);
    Counter::increment();
    Counter::increment();
    Counter::decrement();
    QCOMPARE(Counter::count(), 1);
    QCOMPARE(spy.size(), 3);
    QCOMPARE(spy.at(0).at(0).toInt(), 1);
    QCOMPARE(spy.at(1).at(0).toInt(), 2);
    QCOMPARE(spy.at(2).at(0).toInt(), 1);
}

void TestCore::counterWithoutInstance()
{
    QCOMPARE(Counter::instance(), nullptr);
    Counter::increment();
    QCOMPARE(Counter::count(), 0);
    {
        Counter counter;
        QCOMPARE(Counter::count(), 0);
    }
    QCOMPARE(Counter::instance(), nullptr);
}

void TestCore::serviceUrlOverride()
{
    qunsetenv("BRINDLECAST_SERVICE_URL");
    const QString builtIn = serviceUrl();
    QVERIFY(builtIn.startsWith(QStringLiteral("http")));
    QVERIFY(!builtIn.endsWith(QLatin1Char('/')));

    qputenv("BRINDLECAST_SERVICE_URL", "http://127.0.0.1:9999/");
    QCOMPARE(serviceUrl(), QStringLiteral("http://127.0.0.1:9999"));
    QCOMPARE(serviceUrl(QStringLiteral("/auth/login")), QStringLiteral("http://127.0.0.1:9999/auth/login"));
    qunsetenv("BRINDLECAST_SERVICE_URL");
    QCOMPARE(serviceUrl(), builtIn);
}

QTEST_GUILESS_MAIN(TestCore)
#include "tst_core.moc"
