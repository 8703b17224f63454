#pragma once

#include "library/LibraryItems.h"

#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QThread>

#include <atomic>
#include <memory>
#include <optional>

// The ffmpeg program: the one beside ours first, then the one on PATH; empty when
// there is none.
QString findEncoderProgram();

// One edit turned into an FLV file by the ffmpeg program. The program runs, and
// its console is read, on this job's own thread; the result arrives by signal.
class EncoderThread : public QThread
{
    Q_OBJECT
public:
    EncoderThread(const EditedItemSptr &editedItem, const QString &program);
    ~EncoderThread() override;

    EditedItemSptr editedItem() const { return m_editedItem; }
    // Empty until the job starts.
    QString outputFile() const { return m_outputFile; }

    // The encoder's options for an edit, output last.
    static QStringList encoderArguments(const EditedItem &edit, const QString &outputFile);
    // The same as one line, paths quoted, for the log.
    static QString commandLine(const EditedItem &edit, const QString &outputFile);
    // The whole seconds encoded so far according to one status line of the encoder
    // ("frame=... time=00:01:02.50 ..." or "time=62.5"); nothing when the line has none.
    static std::optional<quint64> progressSeconds(const QString &line);

    // Picks the output file and starts (GUI thread).
    void startJob();
    // Asks a running encoder to finish ("q"), ends it when it does not, and waits
    // for this thread; a partial output file is removed (GUI thread).
    void release();

signals:
    void encodeStarted();
    void encodeProgress(int progress);
    void encodeFinished(const EncodedItemSptr &encodedItem, const QString &msg);

protected:
    void run() override;

private:
    // The console output so far: every complete status line is looked at once.
    void readStatus(QByteArray &pending, const QByteArray &chunk, quint64 totalSeconds);

    EditedItemSptr m_editedItem;
    QString m_program;
    QString m_outputFile;
    std::atomic<bool> m_quitRequested{false};
    // The encoder's last messages other than status updates (job thread only).
    QStringList m_messages;
};
using EncoderThreadSptr = std::shared_ptr<EncoderThread>;
Q_DECLARE_METATYPE(EncoderThreadSptr)

// Encodes the edits handed to it one after the other.
class EncoderThreadQueue : public QObject
{
    Q_OBJECT
public:
    explicit EncoderThreadQueue(QObject *parent = nullptr);
    ~EncoderThreadQueue() override;
    // The one queue while it exists.
    static EncoderThreadQueue *instance();

    // The encoder program used for jobs enqueued from now on (tests pick another).
    void setProgram(const QString &program) { m_program = program; }
    QString program() const { return m_program; }
    int count() const { return int(m_jobs.size()); }
    bool isEnabled() const { return m_enabled; }

    void enqueue(const EditedItemSptr &editedItem, bool toUpload);
    // Whether an edit of this recording waits or runs: its file must stay until done.
    bool isEncoding(const RecordedItem *source) const;
    // Ends the running job and drops the waiting ones; nothing is accepted afterwards.
    void stop();

signals:
    // Before the job starts: whoever shows it connects to its signals here.
    void createDisplayHandler(const EncoderThreadSptr &encoder, bool toUpload);

public slots:
    void updateFromLastExec();

private:
    class QueuedEncoding;
    static EncoderThreadQueue *s_instance;
    QList<EncoderThreadSptr> m_jobs;
    bool m_enabled = true;
    QString m_program;
};
