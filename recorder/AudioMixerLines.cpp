#include "recorder/AudioMixerLines.h"

#include "platform/AudioMixer.h"

AudioLine::AudioLine(const QString &sourceName, const QString &name, bool hasControls)
    : m_sourceName(sourceName)
    , m_name(name)
    , m_hasControls(hasControls)
{
}

bc_ret AudioLine::noControls() const
{
    return bc_ret(QStringLiteral("AudioLine"), -1, QStringLiteral("'%1' has no controls").arg(m_name));
}

bc_ret AudioLine::setMute(bool muted)
{
    return m_hasControls ? audiomixer::setSourceMute(m_sourceName, muted) : noControls();
}

bc_ret AudioLine::isMuted(bool &muted)
{
    if (!m_hasControls)
        return noControls();
    AudioSourceInfo info;
    const bc_ret ret = audiomixer::sourceInfo(m_sourceName, info);
    if (ret.ok())
        muted = info.muted;
    return ret;
}

bc_ret AudioLine::getVolume(quint32 &min, quint32 &max, quint32 &value)
{
    if (!m_hasControls)
        return noControls();
    AudioSourceInfo info;
    const bc_ret ret = audiomixer::sourceInfo(m_sourceName, info);
    if (ret.ok()) {
        min = audiomixer::mutedVolume();
        max = audiomixer::normalVolume();
        value = info.volume;
    }
    return ret;
}

bc_ret AudioLine::setVolume(quint32 value)
{
    return m_hasControls ? audiomixer::setSourceVolume(m_sourceName, value) : noControls();
}

bc_ret AudioLine::setVolumeToMaximum()
{
    return setVolume(audiomixer::normalVolume());
}

bc_ret AudioLine::autoConfigure()
{
    bc_ret ret = setMute(false);
    ret += setVolumeToMaximum();
    return ret;
}

QList<MixerDeviceSptr> MixerDevice::enumerate(bc_ret &errors)
{
    QList<MixerDeviceSptr> devices;
    QList<AudioSourceInfo> sources;
    errors = audiomixer::listSources(sources);
    for (const AudioSourceInfo &source : sources) {
        auto device = std::make_shared<MixerDevice>();
        device->name = source.description;
        device->sourceName = source.name;
        device->monitor = source.monitor;
        auto line = std::make_shared<AudioLine>(source.name, source.description, true);
        for (const QString &port : source.ports)
            line->children.append(std::make_shared<AudioLine>(source.name, port, false));
        device->lines.append(line);
        devices.append(device);
    }
    return devices;
}

bc_ret autoConfigureAllInputs()
{
    bc_ret errors;
    const QList<MixerDeviceSptr> devices = MixerDevice::enumerate(errors);
    for (const MixerDeviceSptr &device : devices) {
        for (const AudioLineSptr &line : device->lines) {
            if (line->hasControls())
                errors += line->autoConfigure();
        }
    }
    return errors;
}
