#pragma once

// Test support: how far apart sound and picture are in a saved recording of beeps
// and flashes (x_beep_flash): when the picture turns white, when each beep starts.

#include <QList>
#include <QRect>
#include <QString>

struct AvSync
{
    bool ok = false;          // the file could be read
    QString error;            // why not, when !ok
    QList<qint64> flashesMs;  // flash onsets in the picture (presentation time of the first bright frame)
    QList<qint64> beepsMs;    // beep onsets in the sound
    QList<qint64> offsetsMs;  // per matched pair: beep onset − flash onset
    qint64 median = 0;        // of offsetsMs
    qint64 worst = 0;         // the offset farthest from `ideal` passed below
};

// Pairs each flash with the nearest beep (when within 400 ms). Brightness is taken
// within area (frame pixels) when one is given, over the whole frame otherwise.
AvSync measureAvSync(const QString &file, qint64 ideal = -50, const QRect &area = QRect());
