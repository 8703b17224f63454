#include "platform/AudioWatcher.h"

#include "app/Log.h"

#include <QPointer>

#include <pulse/pulseaudio.h>

struct AudioWatcher::Private
{
    pa_threaded_mainloop *loop = nullptr;
    pa_context *context = nullptr;
    QPointer<AudioWatcher> owner;
    bool watching = false;

    static void onEvent(pa_context *, pa_subscription_event_type_t, uint32_t, void *data)
    {
        // On the audio thread: only a queued call reaches the owner.
        auto *self = static_cast<Private *>(data);
        QMetaObject::invokeMethod(self->owner.data(), &AudioWatcher::sourcesChanged, Qt::QueuedConnection);
    }

    static void onState(pa_context *context, void *data)
    {
        auto *self = static_cast<Private *>(data);
        if (pa_context_get_state(context) == PA_CONTEXT_READY) {
            pa_context_set_subscribe_callback(context, &Private::onEvent, self);
            pa_operation *operation = pa_context_subscribe(context, PA_SUBSCRIPTION_MASK_SOURCE, nullptr, nullptr);
            if (operation)
                pa_operation_unref(operation);
        }
        pa_threaded_mainloop_signal(self->loop, 0);
    }
};

AudioWatcher::AudioWatcher(QObject *parent)
    : QObject(parent)
    , d(std::make_unique<Private>())
{
    d->owner = this;
    d->loop = pa_threaded_mainloop_new();
    if (!d->loop)
        return;
    d->context = pa_context_new(pa_threaded_mainloop_get_api(d->loop), "Brindlecast options");
    if (!d->context)
        return;
    pa_context_set_state_callback(d->context, &Private::onState, d.get());
    pa_threaded_mainloop_lock(d->loop);
    bool started = pa_context_connect(d->context, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) >= 0
                   && pa_threaded_mainloop_start(d->loop) >= 0;
    // Waits until the connection is ready or has failed.
    while (started) {
        const pa_context_state_t state = pa_context_get_state(d->context);
        if (state == PA_CONTEXT_READY) {
            d->watching = true;
            break;
        }
        if (!PA_CONTEXT_IS_GOOD(state))
            break;
        pa_threaded_mainloop_wait(d->loop);
    }
    pa_threaded_mainloop_unlock(d->loop);
    if (!d->watching)
        logWarn(QStringLiteral("Audio device changes are not watched: %1").arg(QString::fromUtf8(pa_strerror(pa_context_errno(d->context)))));
}

AudioWatcher::~AudioWatcher()
{
    if (d->loop)
        pa_threaded_mainloop_stop(d->loop);
    if (d->context) {
        pa_context_disconnect(d->context);
        pa_context_unref(d->context);
    }
    if (d->loop)
        pa_threaded_mainloop_free(d->loop);
}

bool AudioWatcher::isWatching() const
{
    return d->watching;
}
