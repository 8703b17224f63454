#pragma once

#include "app/bc_ret.h"

#include <QList>
#include <QString>

#include <memory>

class AudioLine;
using AudioLineSptr = std::shared_ptr<AudioLine>;

// One input with mute and volume controls (a source of the audio server), or,
// as a child without controls, one of its ports (shown, not set).
class AudioLine
{
public:
    AudioLine(const QString &sourceName, const QString &name, bool hasControls);

    QString sourceName() const { return m_sourceName; }
    QString name() const { return m_name; }
    bool hasControls() const { return m_hasControls; }
    QList<AudioLineSptr> children;

    bc_ret setMute(bool muted);
    bc_ret isMuted(bool &muted);
    // Volumes in the server's units: min is silence, max the source's normal level.
    bc_ret getVolume(quint32 &min, quint32 &max, quint32 &value);
    bc_ret setVolume(quint32 value);
    // 100 %: the server's larger values amplify and distort.
    bc_ret setVolumeToMaximum();
    // Unmutes and sets the full volume; both are tried, the errors of both kept.
    bc_ret autoConfigure();

private:
    bc_ret noControls() const;

    QString m_sourceName;
    QString m_name;
    bool m_hasControls;
};

// One recording device: a source of the audio server, monitors of outputs included.
class MixerDevice
{
public:
    QString name;       // what users are shown
    QString sourceName; // what the settings keep
    bool monitor = false;
    QList<AudioLineSptr> lines;

    static QList<std::shared_ptr<MixerDevice>> enumerate(bc_ret &errors);
};
using MixerDeviceSptr = std::shared_ptr<MixerDevice>;

// "Quick set volume": every input unmuted at full volume; errors do not stop the walk.
bc_ret autoConfigureAllInputs();
