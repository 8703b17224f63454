#pragma once

#include <QDir>
#include <QString>

// The names of the files recordings leave, in one place: the recorder, the assembler,
// the recovery and the clean-up at exit must agree on them, and files already on
// users' disks have them.

// A recording's segments: BASE_v.avi (picture) and BASE_a.avi (sound).
inline constexpr char kSegmentVideoSuffix[] = "_v.avi";
inline constexpr char kSegmentAudioSuffix[] = "_a.avi";
// What a recording's segments hold: BASE.segments.xml.
inline constexpr char kSegmentsDescriptionSuffix[] = ".segments.xml";
// A saved recording.
inline constexpr char kSavedVideoSuffix[] = ".avi";

// A new saved recording's file in folder, named like every new file of the library.
QString newSavedVideoPath(const QDir &folder);
