#include "platform/AudioMixer.h"

#include <pulse/pulseaudio.h>

#include <QDeadlineTimer>

namespace {

constexpr int kTimeoutMs = 5000;

// A connection to the server for one request, driven by its own main loop.
class PulseConnection
{
public:
    PulseConnection()
        : m_loop(pa_mainloop_new())
        , m_context(pa_context_new(pa_mainloop_get_api(m_loop), "Brindlecast mixer"))
    {
    }
    ~PulseConnection()
    {
        pa_context_disconnect(m_context);
        pa_context_unref(m_context);
        pa_mainloop_free(m_loop);
    }

    bc_ret connect()
    {
        if (pa_context_connect(m_context, nullptr, PA_CONTEXT_NOFLAGS, nullptr) < 0)
            return error("pa_context_connect");
        QDeadlineTimer deadline(kTimeoutMs);
        for (;;) {
            const pa_context_state_t state = pa_context_get_state(m_context);
            if (state == PA_CONTEXT_READY)
                return bc_ret();
            if (!PA_CONTEXT_IS_GOOD(state) || deadline.hasExpired())
                return error("pa_context_connect");
            pa_mainloop_iterate(m_loop, 1, nullptr);
        }
    }

    // Runs the operation to its end; an error when the server does not answer in time.
    bc_ret wait(pa_operation *operation, const char *call)
    {
        if (!operation)
            return error(call);
        QDeadlineTimer deadline(kTimeoutMs);
        while (pa_operation_get_state(operation) == PA_OPERATION_RUNNING && !deadline.hasExpired())
            pa_mainloop_iterate(m_loop, 1, nullptr);
        const bool done = pa_operation_get_state(operation) == PA_OPERATION_DONE;
        pa_operation_unref(operation);
        if (!done)
            return bc_ret(QLatin1String(call), -1, QStringLiteral("No answer from the audio server"));
        return bc_ret();
    }

    bc_ret error(const char *call) const
    {
        const int code = pa_context_errno(m_context);
        return bc_ret(QLatin1String(call), code, QString::fromUtf8(pa_strerror(code)));
    }

    pa_context *context() const { return m_context; }

private:
    pa_mainloop *m_loop;
    pa_context *m_context;
};

struct Listing
{
    QList<AudioSourceInfo> sources;
};

void onSource(pa_context *, const pa_source_info *info, int eol, void *userdata)
{
    if (eol || !info)
        return;
    AudioSourceInfo source;
    source.name = QString::fromUtf8(info->name);
    source.description = QString::fromUtf8(info->description);
    source.monitor = info->monitor_of_sink != PA_INVALID_INDEX;
    for (uint32_t i = 0; i < info->n_ports; ++i)
        source.ports.append(QString::fromUtf8(info->ports[i]->description));
    source.muted = info->mute;
    source.volume = pa_cvolume_avg(&info->volume);
    static_cast<Listing *>(userdata)->sources.append(source);
}

struct Success
{
    bool ok = false;
};

void onSuccess(pa_context *, int success, void *userdata)
{
    static_cast<Success *>(userdata)->ok = success != 0;
}

struct VolumeQuery
{
    bool found = false;
    pa_cvolume volume{};
};

void onSourceVolume(pa_context *, const pa_source_info *info, int eol, void *userdata)
{
    if (eol || !info)
        return;
    auto *query = static_cast<VolumeQuery *>(userdata);
    query->found = true;
    query->volume = info->volume;
}

} // namespace

namespace audiomixer {

quint32 normalVolume()
{
    return PA_VOLUME_NORM;
}

quint32 mutedVolume()
{
    return PA_VOLUME_MUTED;
}

bc_ret listSources(QList<AudioSourceInfo> &sources)
{
    PulseConnection pulse;
    bc_ret ret = pulse.connect();
    if (ret.failed())
        return ret;
    Listing listing;
    ret = pulse.wait(pa_context_get_source_info_list(pulse.context(), onSource, &listing), "pa_context_get_source_info_list");
    sources = listing.sources;
    return ret;
}

bc_ret sourceInfo(const QString &name, AudioSourceInfo &info)
{
    PulseConnection pulse;
    bc_ret ret = pulse.connect();
    if (ret.failed())
        return ret;
    Listing listing;
    ret = pulse.wait(pa_context_get_source_info_by_name(pulse.context(), name.toUtf8().constData(), onSource, &listing),
                     "pa_context_get_source_info_by_name");
    if (ret.ok() && listing.sources.isEmpty())
        ret = bc_ret(QStringLiteral("pa_context_get_source_info_by_name"), PA_ERR_NOENTITY,
                     QString::fromUtf8(pa_strerror(PA_ERR_NOENTITY)));
    if (ret.ok())
        info = listing.sources.first();
    return ret;
}

bc_ret setSourceMute(const QString &name, bool muted)
{
    PulseConnection pulse;
    bc_ret ret = pulse.connect();
    if (ret.failed())
        return ret;
    Success success;
    ret = pulse.wait(pa_context_set_source_mute_by_name(pulse.context(), name.toUtf8().constData(), muted, onSuccess, &success),
                     "pa_context_set_source_mute_by_name");
    if (ret.ok() && !success.ok)
        ret = pulse.error("pa_context_set_source_mute_by_name");
    return ret;
}

bc_ret setSourceVolume(const QString &name, quint32 volume)
{
    PulseConnection pulse;
    bc_ret ret = pulse.connect();
    if (ret.failed())
        return ret;
    // Keep the source's channel count: read it first.
    const QByteArray source = name.toUtf8();
    VolumeQuery query;
    ret = pulse.wait(pa_context_get_source_info_by_name(pulse.context(), source.constData(), onSourceVolume, &query),
                     "pa_context_get_source_info_by_name");
    if (ret.failed())
        return ret;
    if (!query.found)
        return bc_ret(QStringLiteral("pa_context_get_source_info_by_name"), PA_ERR_NOENTITY,
                      QString::fromUtf8(pa_strerror(PA_ERR_NOENTITY)));
    pa_cvolume levels = query.volume;
    pa_cvolume_set(&levels, levels.channels, pa_volume_t(volume));
    Success success;
    ret = pulse.wait(pa_context_set_source_volume_by_name(pulse.context(), source.constData(), &levels, onSuccess, &success),
                     "pa_context_set_source_volume_by_name");
    if (ret.ok() && !success.ok)
        ret = pulse.error("pa_context_set_source_volume_by_name");
    return ret;
}

} // namespace audiomixer
