#include "app/Log.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QFile>
#include <QMutex>
#include <QMutexLocker>
#include <QTextStream>

#include <atomic>
#include <memory>

#include <unistd.h>

namespace {

struct LogState
{
    QMutex mutex;
    std::unique_ptr<QFile> file;
    QTextStream stream;
    QString processText;
    std::atomic<int> threshold{1};
};

LogState &state()
{
    static LogState s;
    return s;
}

const char *levelTag(LogLevel level)
{
    switch (level) {
    case LogLevel::Debug:
        return "[DEBUG]";
    case LogLevel::Info:
        return "[INFO]";
    case LogLevel::Warning:
        return "[WARN]";
    case LogLevel::Error:
        return "[ERROR]";
    }
    return "[?]";
}

// Decimal id left-aligned in five characters; longer ids are written in full.
QString paddedId(qint64 id)
{
    return QStringLiteral("%1").arg(id, -5, 10, QLatin1Char(' '));
}

} // namespace

void setLogLevel(int value)
{
    state().threshold.store(value, std::memory_order_relaxed);
}

int openLog(const QString &path)
{
    LogState &s = state();
    QMutexLocker lock(&s.mutex);
    auto file = std::make_unique<QFile>(path);
    if (!file->open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Text))
        return -1;
    s.processText = QStringLiteral(" [pid:%1]").arg(paddedId(QCoreApplication::applicationPid()));
    s.stream.setDevice(file.get());
    s.stream.setEncoding(QStringConverter::Utf8);
    s.file = std::move(file);
    return 0;
}

void logMessage(LogLevel level, const QString &text)
{
    LogState &s = state();
    if (!(s.threshold.load(std::memory_order_relaxed) < static_cast<int>(level) + 1))
        return;
    const QString threadText = QStringLiteral(" [tid:%1]").arg(paddedId(gettid()));
    const QString tag = QString::asprintf(" %-8s", levelTag(level));

    QMutexLocker lock(&s.mutex);
    if (!s.stream.device())
        return;
    // Time taken under the lock so that records stay in time order in the file.
    s.stream << QDateTime::currentDateTime().toString(QStringLiteral("dd-MM-yyyy hh:mm:ss.zzz")) << s.processText << threadText << tag << text << "\r\n";
    s.stream.flush();
}

void logDebug(const QString &text)
{
    logMessage(LogLevel::Debug, text);
}

void logInfo(const QString &text)
{
    logMessage(LogLevel::Info, text);
}

void logWarn(const QString &text)
{
    logMessage(LogLevel::Warning, text);
}

void logError(const QString &text)
{
    logMessage(LogLevel::Error, text);
}
