#pragma once

#include "app/bc_ret.h"

#include <QList>
#include <QString>
#include <QStringList>

// The audio server's sound sources (microphones, line inputs and the monitors of
// outputs, which are what other systems call "stereo mix"), with their mute and
// volume controls. Each call opens a short connection to the server.

struct AudioSourceInfo
{
    QString name;        // the server's name, kept in the settings
    QString description; // what users are shown
    bool monitor = false;
    QStringList ports;
    bool muted = false;
    quint32 volume = 0;  // average over the channels, server volume units
};

namespace audiomixer {

// 100 %: the source's own level, without amplification.
quint32 normalVolume();
quint32 mutedVolume();

bc_ret listSources(QList<AudioSourceInfo> &sources);
bc_ret sourceInfo(const QString &name, AudioSourceInfo &info);
bc_ret setSourceMute(const QString &name, bool muted);
// Sets every channel of the source to volume.
bc_ret setSourceVolume(const QString &name, quint32 volume);

} // namespace audiomixer
