#include "app/Log.h"

#include <QCoreApplication>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <unistd.h>

namespace {

// One whole record: time, padded pid and tid, padded level tag, message, CR LF.
const QRegularExpression kRecord(QStringLiteral(
        R"(^(\d\d-\d\d-\d{4} \d\d:\d\d:\d\d\.\d{3}) \[pid:(\d+) *\] \[tid:(\d+) *\] (\[[A-Z]+\] *)(.*)$)"));

QStringList recordsOf(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QString text = QString::fromUtf8(file.readAll());
    if (text.isEmpty())
        return {};
    // Every record ends with CR LF, so the text splits into whole records and a last empty piece.
    QStringList lines = text.split(QStringLiteral("\r\n"));
    if (lines.last().isEmpty())
        lines.removeLast();
    else
        lines.append(QStringLiteral("<unterminated>"));
    return lines;
}

} // namespace

class TestLog : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void droppedBeforeOpen();
    void recordLayout();
    void thresholdBeforeStartup();
    void threadsWriteWholeLines();
    void secondOpenAppends();

private:
    QTemporaryDir m_dir;
    QString m_path;
};

void TestLog::initTestCase()
{
    QVERIFY(m_dir.isValid());
    m_path = m_dir.filePath(QStringLiteral("log.txt"));
}

void TestLog::droppedBeforeOpen()
{
    setLogLevel(0);
    logError(QStringLiteral("before open"));
    QCOMPARE(openLog(m_path), 0);
    logInfo(QStringLiteral("after open"));
    const QStringList records = recordsOf(m_path);
    QCOMPARE(records.size(), 1);
    QVERIFY(records.first().endsWith(QStringLiteral("after open")));

    QCOMPARE(openLog(m_dir.filePath(QStringLiteral("missing/dir/log.txt"))), -1);
}

void TestLog::recordLayout()
{
    QVERIFY(QFile::resize(m_path, 0));
    QCOMPARE(openLog(m_path), 0);
    setLogLevel(0);
    const QDateTime before = QDateTime::currentDateTime().addMSecs(-1);
    logDebug(QStringLiteral("d é"));
    logInfo(QStringLiteral("i"));
    logWarn(QStringLiteral("w"));
    logError(QStringLiteral("e"));
    const QDateTime after = QDateTime::currentDateTime().addMSecs(1);

    const QStringList records = recordsOf(m_path);
    QCOMPARE(records.size(), 4);
    const QString pid = QString::number(QCoreApplication::applicationPid());
    const QString tid = QString::number(gettid());
    const QString prefixTail = QStringLiteral(" [pid:%1] [tid:%2]").arg(pid.leftJustified(5), tid.leftJustified(5));
    const QStringList tags{QStringLiteral(" [DEBUG] "), QStringLiteral(" [INFO]  "), QStringLiteral(" [WARN]  "),
                           QStringLiteral(" [ERROR] ")};
    const QStringList messages{QStringLiteral("d é"), QStringLiteral("i"), QStringLiteral("w"), QStringLiteral("e")};
    for (int i = 0; i < 4; ++i) {
        const QString &line = records.at(i);
        const QRegularExpressionMatch m = kRecord.match(line);
        QVERIFY2(m.hasMatch(), qPrintable(line));
        const QDateTime stamp = QDateTime::fromString(m.captured(1), QStringLiteral("dd-MM-yyyy hh:mm:ss.zzz"));
        QVERIFY(stamp >= before && stamp <= after);
        QCOMPARE(line.mid(23, prefixTail.size()), prefixTail);
        QCOMPARE(line.mid(23 + prefixTail.size(), 9), tags.at(i));
        QCOMPARE(line.mid(23 + prefixTail.size() + 9), messages.at(i));
    }
}

void TestLog::thresholdBeforeStartup()
{
    QVERIFY(QFile::resize(m_path, 0));
    setLogLevel(1);
    logDebug(QStringLiteral("hidden"));
    logInfo(QStringLiteral("info"));
    logWarn(QStringLiteral("warn"));
    logError(QStringLiteral("error"));
    setLogLevel(3);
    logWarn(QStringLiteral("hidden too"));
    logError(QStringLiteral("error only"));
    setLogLevel(0);

    QStringList messages;
    for (const QString &line : recordsOf(m_path))
        messages << kRecord.match(line).captured(5);
    QCOMPARE(messages, (QStringList{QStringLiteral("info"), QStringLiteral("warn"), QStringLiteral("error"),
                                    QStringLiteral("error only")}));
}

void TestLog::threadsWriteWholeLines()
{
    QVERIFY(QFile::resize(m_path, 0));
    constexpr int kPerThread = 3000;
    const QString filler(200, QLatin1Char('x'));
    auto writer = [&](QChar name) {
        return QThread::create([=] {
            for (int i = 0; i < kPerThread; ++i)
                logInfo(QStringLiteral("%1-%2-%3").arg(name).arg(i).arg(filler));
        });
    };
    std::unique_ptr<QThread> a(writer(QLatin1Char('A')));
    std::unique_ptr<QThread> b(writer(QLatin1Char('B')));
    a->start();
    b->start();
    QVERIFY(a->wait(60000));
    QVERIFY(b->wait(60000));

    const QStringList records = recordsOf(m_path);
    QCOMPARE(records.size(), 2 * kPerThread);
    QHash<QString, int> nextIndex{{QStringLiteral("A"), 0}, {QStringLiteral("B"), 0}};
    QSet<QString> tids;
    const QRegularExpression message(QStringLiteral("^([AB])-(\\d+)-x{200}$"));
    for (const QString &line : records) {
        const QRegularExpressionMatch m = kRecord.match(line);
        QVERIFY2(m.hasMatch(), qPrintable(line.left(120)));
        const QRegularExpressionMatch mm = message.match(m.captured(5));
        QVERIFY2(mm.hasMatch(), qPrintable(line.left(120)));
        // Each thread's records arrive whole and in its own order.
        QCOMPARE(mm.captured(2).toInt(), nextIndex[mm.captured(1)]++);
        tids.insert(mm.captured(1) + m.captured(3));
    }
    QCOMPARE(tids.size(), 2);
}

void TestLog::secondOpenAppends()
{
    QVERIFY(QFile::resize(m_path, 0));
    logInfo(QStringLiteral("first run"));
    QCOMPARE(openLog(m_path), 0);
    logInfo(QStringLiteral("second run"));
    const QStringList records = recordsOf(m_path);
    QCOMPARE(records.size(), 2);
    QVERIFY(records.at(0).endsWith(QStringLiteral("first run")));
    QVERIFY(records.at(1).endsWith(QStringLiteral("second run")));
}

QTEST_GUILESS_MAIN(TestLog)
#include "tst_log.moc"
