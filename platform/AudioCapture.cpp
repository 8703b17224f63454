#include "platform/AudioCapture.h"

#include <pulse/error.h>
#include <pulse/simple.h>

struct AudioCapture::Private
{
    pa_simple *stream = nullptr;
};

namespace {

bc_ret pulseError(const char *call, int error)
{
    return bc_ret(QLatin1String(call), error, QString::fromUtf8(pa_strerror(error)));
}

} // namespace

AudioCapture::AudioCapture()
    : d(std::make_unique<Private>())
{
}

AudioCapture::~AudioCapture()
{
    close();
}

bool AudioCapture::isOpen() const
{
    return d->stream != nullptr;
}

bc_ret AudioCapture::open(const QString &sourceName, int sampleRate, int channels, int fragmentBytes,
                          const QString &streamName)
{
    close();
    pa_sample_spec spec{PA_SAMPLE_S16LE, uint32_t(sampleRate), uint8_t(channels)};
    const uint32_t any = uint32_t(-1);
    const pa_buffer_attr buffering{any, any, any, any, uint32_t(fragmentBytes)};
    const QByteArray device = sourceName.toUtf8();
    const QByteArray name = streamName.toUtf8();
    int error = 0;
    if (!device.isEmpty()) {
        d->stream = pa_simple_new(nullptr, "Brindlecast", PA_STREAM_RECORD, device.constData(), name.constData(), &spec,
                                  nullptr, &buffering, &error);
        if (d->stream) {
            m_source = sourceName;
            return bc_ret();
        }
    }
    // The default source, also when the chosen one is not there (any more).
    d->stream = pa_simple_new(nullptr, "Brindlecast", PA_STREAM_RECORD, nullptr, name.constData(), &spec, nullptr,
                              &buffering, &error);
    m_source.clear();
    if (!d->stream)
        return pulseError("pa_simple_new", error);
    return bc_ret();
}

bc_ret AudioCapture::read(void *buffer, int size)
{
    if (!d->stream)
        return bc_ret(QStringLiteral("pa_simple_read"), -1, QStringLiteral("Not open"));
    int error = 0;
    if (pa_simple_read(d->stream, buffer, size_t(size), &error) < 0)
        return pulseError("pa_simple_read", error);
    return bc_ret();
}

qint64 AudioCapture::latencyUs()
{
    if (!d->stream)
        return -1;
    int error = 0;
    const pa_usec_t latency = pa_simple_get_latency(d->stream, &error);
    return latency == pa_usec_t(-1) ? -1 : qint64(latency);
}

void AudioCapture::close()
{
    if (d->stream) {
        pa_simple_free(d->stream);
        d->stream = nullptr;
    }
}
