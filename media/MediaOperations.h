#pragma once

#include "app/bc_ret.h"
#include "media/AVHandles.h"

#include <QString>
#include <QStringList>

#include <limits>

class AsyncTask;

// Joining, cutting and multiplexing of single-stream AVI segment files by packet
// copy; only the first frame of a video cut is re-encoded, as a key frame. Each
// runs on the caller's thread, reports progress to its listener and stops early
// when the listener is aborted (the file is still finished).

enum class MediaKind { Video = 0, Audio = 1 };

// Once per process, before media work: the libraries report only errors (their
// per-frame warnings would flood the terminal). No lock manager is needed any more.
void initMediaLibraries();

// The first stream must be of the given kind; null otherwise (logged).
av::Input openInput(const QString &path, MediaKind kind);
// The container from the file name, the file open for writing; null on failure.
av::Output openOutput(const QString &path);

class MediaJoiner
{
public:
    explicit MediaJoiner(AsyncTask *listener)
        : m_listener(listener)
    {
    }
    // actualMs, when given, receives the length of the result. lengthsMs, when given for
    // every input, places each input that long after the previous one's start (a
    // segment's recorded length): video past it is left out, sound is cut or filled
    // with silence to exactly that length, so one short piece cannot move the rest.
    bc_ret join(const QString &outputFile, const QStringList &inputFiles, MediaKind kind, qint64 *actualMs = nullptr,
                const QList<qint64> &lengthsMs = {});

private:
    AsyncTask *m_listener;
};

class MediaCutter
{
public:
    static constexpr qint64 kToTheEnd = std::numeric_limits<qint64>::max();

    explicit MediaCutter(AsyncTask *listener)
        : m_listener(listener)
    {
    }
    // A video starts with the picture on screen at startMs; startedAtMs, when given,
    // receives where the cut really starts (a video's start in whole frames), which is
    // where the sound's cut must start to stay with it.
    bc_ret cut(const QString &inputFile, const QString &outputFile, MediaKind kind, qint64 startMs, qint64 endMs,
               qint64 *startedAtMs = nullptr);

private:
    AsyncTask *m_listener;
};

// A video cut off while its picture was still (by a crash, before the recorder wrote its
// last frame) ends at its last change: its last picture is written again so that it
// lasts lengthMs (in whole frames). extendedMs receives the length it now has.
bc_ret extendVideo(const QString &file, qint64 lengthMs, qint64 *extendedMs);

class MediaMuxer
{
public:
    explicit MediaMuxer(AsyncTask *listener)
        : m_listener(listener)
    {
    }
    bc_ret mux(const QString &videoFile, const QString &audioFile, const QString &outputFile);

private:
    AsyncTask *m_listener;
};
