#pragma once

#include "library/FileNames.h"
#include "media/AVAssembler.h"

#include <QDateTime>
#include <QString>

// What a recording's segment files make, written beside them in "tmp": the segments
// (files, lengths), the kept duration, whether there is sound, and for a save that
// failed, the file it was to make. A recording keeps its own manifest up to date
// while it runs and deletes it when it ends cleanly; a failed save writes one for the
// segments it leaves behind. What a manifest is found for at start-up was lost by a
// crash or a failed save and can be saved again.
struct SegmentManifest
{
    AVUnitList units;
    // The last segment was still being written: its length is read from its files.
    bool lastUnfinished = false;
    QString outputFile; // the failed save's file; empty for an interrupted recording
    int room = -1;

    bc_ret write(const QString &path) const;
    static bc_ret read(const QString &path, SegmentManifest &manifest);
    // The manifests left in a directory, oldest first.
    static QStringList findIn(const QString &directory);

    // Ready to assemble: the unfinished segment measured (its length set in units; left
    // out when nothing of it can be read) and segments whose files are gone left out;
    // empty when nothing is left. Once saved, every file of units can go.
    AVUnitList recoverableUnits() const;
};

// A new segment's BASE: the time it starts, then a unique part, so that segments found
// without a description still tell when they were recorded.
QString newSegmentBase();
// The start time a segment's file name carries; invalid when it carries none.
QDateTime segmentNameTime(const QString &fileName);

// The length in milliseconds of what can be read of a segment file (one cut off by a
// crash included); 0 when nothing can.
qint64 readableLength(const QString &path, MediaKind kind);
