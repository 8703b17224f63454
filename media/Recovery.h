#pragma once

#include "app/bc_ret.h"
#include "media/AVAssembler.h"
#include "media/SegmentManifest.h"

#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>

#include <functional>

// A recording left in a segment directory by a crash, a stop at exit or a failed save.
struct Recoverable
{
    // Its description; for segments found without one, where one is written should
    // their save fail, so that they are a described recording from then on.
    QString manifestFile;
    SegmentManifest manifest; // as described, or as found
    AVUnitList units;         // ready to assemble; empty when nothing can be read
    bool described = true;
};

// Everything to be saved in a segment directory, oldest first: each readable
// description, then the segment files that no readable description names, grouped
// into recordings by when they start (their names) and how long they last (their
// contents). Descriptions that cannot be read are moved aside: they never decide
// what happens to segment files.
QList<Recoverable> findRecoverable(const QString &directory);

// Deletes the files and descriptions of what was found (the user chose so).
void discardRecoverable(const QList<Recoverable> &found);

// Saves each recording found, once, through the assembling queue. A recording saved
// loses its description at once, and its segments as soon as no other recording
// still to be saved shares them: a stop part-way never offers again what was saved.
// One that fails keeps its segments and a description, for the next try.
class RecoveryRun : public QObject
{
    Q_OBJECT
public:
    using OutputNamer = std::function<QString(const Recoverable &recording, int index)>;

    RecoveryRun(AVAssembleQueue &queue, const QList<Recoverable> &found, OutputNamer outputFor,
                QObject *parent = nullptr);
    void start();

signals:
    void saved(const QString &file);
    void failed(const bc_ret &result);
    void finished(int saved, int failed);

private:
    enum class State { Waiting, Saved, Failed };
    void onBuilt(int index, const bc_ret &result, const QString &file);
    void deleteSavedSegments();
    void finishIfDone();

    AVAssembleQueue &m_queue;
    QList<Recoverable> m_found;
    QList<State> m_states;
    OutputNamer m_outputFor;
    int m_saved = 0;
    int m_failed = 0;
    bool m_finished = false;
};
