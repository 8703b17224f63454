#include "media/EncoderThread.h"

#include "app/Log.h"
#include "library/User.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>

namespace {

constexpr int kStartMs = 10000;
constexpr int kPollMs = 100;
// How long an encoder told to quit may take to close its file before it is killed.
constexpr int kQuitGraceMs = 1000;
constexpr int kReleaseWaitMs = 5000;
// Lines of the encoder's own messages kept for the log when it fails.
constexpr int kKeptLines = 8;

// Seconds as the encoder's options want them: at most six significant digits,
// no exponent for the lengths of a recording (12500 ms is "12.5").
QString secondsText(qint64 ms)
{
    return QString::number(double(ms) / 1000.0, 'g', 6);
}

// Status updates end in a carriage return, messages in a line feed; -1 while the
// text holds no whole line.
qsizetype lineEnd(const QByteArray &text)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text.at(i) == '\r' || text.at(i) == '\n')
            return i;
    }
    return -1;
}

QString quoted(const QString &path)
{
    return QLatin1Char('"') + path + QLatin1Char('"');
}

} // namespace

QString findEncoderProgram()
{
    const QString beside = QStandardPaths::findExecutable(QStringLiteral("ffmpeg"), {QCoreApplication::applicationDirPath()});
    return beside.isEmpty() ? QStandardPaths::findExecutable(QStringLiteral("ffmpeg")) : beside;
}

EncoderThread::EncoderThread(const EditedItemSptr &editedItem, const QString &program)
    : m_editedItem(editedItem)
    , m_program(program)
{
    qRegisterMetaType<EncodedItemSptr>();
}

EncoderThread::~EncoderThread()
{
    if (isRunning())
        release();
}

QStringList EncoderThread::encoderArguments(const EditedItem &edit, const QString &outputFile)
{
    const QString input = edit.source && edit.source->info ? edit.source->info->fileName : QString();
    QStringList arguments{QStringLiteral("-i"), input,
                          QStringLiteral("-ss"), secondsText(edit.startMs),
                          QStringLiteral("-t"), secondsText(edit.endMs - edit.startMs),
                          QStringLiteral("-g"), QStringLiteral("200"),
                          QStringLiteral("-qscale"), QStringLiteral("4"),
                          // A recording repeats a still picture by leaving frames empty; at
                          // its own frame rate, the FLV shows it as long, from any start.
                          QStringLiteral("-vf"), QStringLiteral("fps=source_fps")};
    if (edit.volume >= 100)
        arguments << QStringLiteral("-vol") << QStringLiteral("256");
    else if (edit.volume > 0)
        arguments << QStringLiteral("-vol") << QString::number(edit.volume * 256 / 100);
    else
        arguments << QStringLiteral("-an");
    arguments << QStringLiteral("-f") << QStringLiteral("flv") << QStringLiteral("-y") << outputFile;
    return arguments;
}

QString EncoderThread::commandLine(const EditedItem &edit, const QString &outputFile)
{
    QStringList arguments = encoderArguments(edit, outputFile);
    arguments[1] = quoted(arguments[1]);
    arguments.last() = quoted(arguments.last());
    return QStringLiteral("ffmpeg ") + arguments.join(QLatin1Char(' '));
}

std::optional<quint64> EncoderThread::progressSeconds(const QString &line)
{
    // "time=" carries hours, minutes and seconds today, plain seconds in old builds.
    static const QRegularExpression status(
            QStringLiteral(R"(frame=.*time=\s*(?:(\d+):(\d{1,2}):(\d{1,2})(?:\.\d*)?|(\d+)(?:\.\d*)?)(?:\s|$))"));
    const QRegularExpressionMatch match = status.match(line);
    if (!match.hasMatch())
        return std::nullopt;
    if (match.hasCaptured(4))
        return match.captured(4).toULongLong();
    return match.captured(1).toULongLong() * 3600 + match.captured(2).toULongLong() * 60 + match.captured(3).toULongLong();
}

void EncoderThread::startJob()
{
    emit encodeStarted();
    const User *user = User::current();
    const QDir edited = user ? user->paths().edited : QDir(QDir::tempPath());
    m_outputFile = edited.filePath(newFileName() + QStringLiteral(".flv"));
    logInfo(QStringLiteral("Encoding: %1").arg(commandLine(*m_editedItem, m_outputFile)));
    start();
}

void EncoderThread::release()
{
    m_quitRequested = true;
    if (!wait(kReleaseWaitMs)) {
        logWarn(QStringLiteral("EncoderThread::release: the encoder of %1 has not ended yet").arg(m_outputFile));
        wait();
    }
}

void EncoderThread::readStatus(QByteArray &pending, const QByteArray &chunk, quint64 totalSeconds)
{
    pending.append(chunk);
    qsizetype end;
    while ((end = lineEnd(pending)) >= 0) {
        const QString line = QString::fromLatin1(pending.left(end)).trimmed();
        pending.remove(0, end + 1);
        const std::optional<quint64> seconds = progressSeconds(line);
        if (seconds) {
            if (*seconds > 0 && *seconds < totalSeconds)
                emit encodeProgress(int(*seconds * 100 / totalSeconds));
        } else if (!line.isEmpty()) {
            m_messages.append(line);
            if (m_messages.size() > kKeptLines)
                m_messages.removeFirst();
        }
    }
}

void EncoderThread::run()
{
    const quint64 totalSeconds = quint64(qMax<qint64>(0, (m_editedItem->endMs - m_editedItem->startMs) / 1000));
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    if (!m_program.isEmpty())
        process.start(m_program, encoderArguments(*m_editedItem, m_outputFile));
    if (m_program.isEmpty() || !process.waitForStarted(kStartMs)) {
        logError(QStringLiteral("EncoderThread: cannot start \"%1\": %2")
                         .arg(m_program, m_program.isEmpty() ? QStringLiteral("no ffmpeg program found") : process.errorString()));
        emit encodeFinished(nullptr, QStringLiteral("Can not start encoding process"));
        return;
    }
    QByteArray pending;
    m_messages.clear();
    bool asked = false;
    QDeadlineTimer grace(QDeadlineTimer::Forever);
    while (process.state() != QProcess::NotRunning) {
        if (m_quitRequested && !asked) {
            process.write("q");
            process.closeWriteChannel();
            asked = true;
            grace.setRemainingTime(kQuitGraceMs);
        }
        if (asked && grace.hasExpired()) {
            process.kill();
            break;
        }
        process.waitForReadyRead(kPollMs);
        readStatus(pending, process.readAll(), totalSeconds);
    }
    process.waitForFinished(kStartMs);
    readStatus(pending, process.readAll() + '\n', totalSeconds);

    const bool encoded = !asked && process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
    if (encoded) {
        auto item = std::make_shared<EncodedItem>();
        item->fileName = m_outputFile;
        item->params = m_editedItem->params;
        emit encodeFinished(item, QString());
        return;
    }
    if (asked)
        logInfo(QStringLiteral("EncoderThread: encoding of %1 stopped").arg(m_outputFile));
    else
        logError(QStringLiteral("EncoderThread: the encoder ended with code %1: %2")
                         .arg(process.exitCode())
                         .arg(m_messages.join(QStringLiteral(" | "))));
    // Half a file is of no use to anybody: the recording it came from is still there.
    QFile::remove(m_outputFile);
    emit encodeFinished(nullptr, tr("Error while encoding video"));
}

class EncoderThreadQueue::QueuedEncoding : public EncoderThread
{
public:
    using EncoderThread::EncoderThread;
};

EncoderThreadQueue *EncoderThreadQueue::s_instance = nullptr;

EncoderThreadQueue::EncoderThreadQueue(QObject *parent)
    : QObject(parent)
    , m_program(findEncoderProgram())
{
    qRegisterMetaType<EncoderThreadSptr>();
    s_instance = this;
}

EncoderThreadQueue::~EncoderThreadQueue()
{
    stop();
    if (s_instance == this)
        s_instance = nullptr;
}

EncoderThreadQueue *EncoderThreadQueue::instance()
{
    return s_instance;
}

bool EncoderThreadQueue::isEncoding(const RecordedItem *source) const
{
    for (const EncoderThreadSptr &job : m_jobs) {
        if (job->editedItem() && job->editedItem()->source.get() == source)
            return true;
    }
    return false;
}

void EncoderThreadQueue::enqueue(const EditedItemSptr &editedItem, bool toUpload)
{
    if (!m_enabled || !editedItem)
        return;
    const EncoderThreadSptr job = std::make_shared<QueuedEncoding>(editedItem, m_program);
    emit createDisplayHandler(job, toUpload);
    connect(job.get(), &QThread::finished, this, &EncoderThreadQueue::updateFromLastExec);
    m_jobs.append(job);
    if (m_jobs.size() == 1)
        job->startJob();
}

void EncoderThreadQueue::updateFromLastExec()
{
    if (!m_enabled || m_jobs.isEmpty())
        return;
    const EncoderThreadSptr done = m_jobs.takeFirst();
    done->release();
    if (!m_jobs.isEmpty())
        m_jobs.first()->startJob();
}

void EncoderThreadQueue::stop()
{
    m_enabled = false;
    if (!m_jobs.isEmpty()) {
        const EncoderThreadSptr running = m_jobs.takeFirst();
        running->release();
    }
    m_jobs.clear();
}
