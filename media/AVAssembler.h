#pragma once

#include "app/bc_ret.h"
#include "media/MediaOperations.h"
#include "media/TaskQueue.h"

#include <QList>
#include <QObject>
#include <QString>

#include <atomic>
#include <memory>

// One recorded segment: a video-only and an audio-only AVI file.
struct AVUnit
{
    QString audioFile;
    QString videoFile;
    // Its recorded length on the recording's clock (ms): the next segment starts that
    // long after this one, whatever its files hold.
    int duration = 0;
    // Kept on disk by a save that failed, for the next try: cleaners leave it alone.
    // Only read and written by the assembling queue's tasks.
    bool retained = false;
};
using AVUnitSptr = std::shared_ptr<AVUnit>;

// A recording's segments, oldest first. Copies share the units.
class AVUnitList
{
public:
    AVUnitList(int keptDuration = 0, bool videoOnly = false, const QList<AVUnitSptr> &units = {});

    int keptDuration() const { return m_keptDuration; }
    bool isVideoOnly() const { return m_videoOnly; }
    int count() const { return int(m_units.size()); }
    bool isEmpty() const { return m_units.isEmpty(); }
    AVUnitSptr takeFirst() { return m_units.takeFirst(); }
    void append(const AVUnitSptr &unit) { m_units.append(unit); }
    const QList<AVUnitSptr> &units() const { return m_units; }
    int totalDuration() const;

    // Removes from the front the segments no longer needed for the kept duration
    // (at least one segment always stays).
    AVUnitList takeExpired();
    // Deletes the files of every unit and empties the list.
    void cleanFiles();

private:
    int m_keptDuration;
    bool m_videoOnly;
    QList<AVUnitSptr> m_units;
};

// The poker-room program record of a detected table (defined with table detection).
class Detection;
using ConstDetectionSptr = std::shared_ptr<const Detection>;

// What to make of a saved recording: the finished file and how much to keep; the
// detection tells the recorded page the video's room (empty for targets chosen by hand).
struct AssemblyCmd
{
    QString outputFile;
    int maxDuration = 0; // milliseconds
    ConstDetectionSptr detection = nullptr;
    // Where the segments are described when the save fails; empty: beside them.
    QString manifestFile = QString();
    // The poker room of the table recorded, -1 when none: kept with the segments.
    int room = -1;
};
using AssemblyCmdSptr = std::shared_ptr<AssemblyCmd>;

// Queued work on a recording's segment files.
class AVTask : public AsyncTask
{
public:
    explicit AVTask(const AVUnitList &units)
        : m_units(units)
    {
    }
    void cleanFiles() { m_units.cleanFiles(); }

protected:
    AVUnitList m_units;
};

// Deletes segment files no longer needed.
class AVCleaner : public AVTask
{
public:
    using AVTask::AVTask;
    bc_ret run() override;
};

// Joins a recording's segments, keeps its last maxDuration milliseconds and
// multiplexes video and sound into the output file.
class AVAssembler : public QObject, public AVTask
{
    Q_OBJECT
public:
    AVAssembler(const AVUnitList &units, const AssemblyCmdSptr &cmd);

    bc_ret run() override;
    void progress(qint64 done, qint64 total) override;

    AssemblyCmdSptr command() const { return m_cmd; }
    // Leaves the segments for a later save: described beside them (or where the
    // command says) and marked so that no cleaner deletes them. False when there are none.
    bool keepForLater();
    bool hasStarted() const { return m_started; }
    int stage() const { return m_stage; }
    int stageCount() const { return m_stageCount; }
    bc_ret result() const { return m_result; }

signals:
    void buildStarted();
    void buildProgress(int percent);
    void buildFinished(const bc_ret &result, const QString &outputFile);

private:
    bc_ret assembleAudioVideo(const QString &outputFile);
    bc_ret assembleVideoOnly(const QString &outputFile);
    QString temporaryBase() const;
    void keepForRetry(bc_ret &result);

    AssemblyCmdSptr m_cmd;
    // The segments as given: assembling takes them off m_units one by one.
    AVUnitList m_given;
    int m_stage = 0;
    int m_stageCount = 0;
    int m_lastPercent = -1;
    MediaJoiner m_joiner{this};
    MediaCutter m_cutter{this};
    MediaMuxer m_muxer{this};
    bc_ret m_result;
    std::atomic<bool> m_started{false};
};
using AVAssemblerSptr = std::shared_ptr<AVAssembler>;
Q_DECLARE_METATYPE(AVAssemblerSptr)

// The one queue that assembles saved recordings and deletes segment files, one
// task at a time, so deleting never races with assembling.
class AVAssembleQueue : public QObject
{
    Q_OBJECT
public:
    explicit AVAssembleQueue(QObject *parent = nullptr);
    ~AVAssembleQueue() override;

    static AVAssembleQueue *instance();

    void assemble(const AVUnitList &units, const AssemblyCmdSptr &cmd);
    void clean(const AVUnitList &units);
    // Stops the queue: saves that did not run keep their segments for the next start;
    // segments only waiting to be deleted are deleted.
    void shutdown();

signals:
    // Before the assembler is queued, so that its signals can be connected.
    void createDisplayHandler(const AVAssemblerSptr &assembler);

private:
    void enqueue(const std::shared_ptr<AVTask> &task);

    TaskQueue m_queue;
    static AVAssembleQueue *s_instance;
};
