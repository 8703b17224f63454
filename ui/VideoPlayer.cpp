#include "ui/VideoPlayer.h"

#include "app/Log.h"

#include <QDeadlineTimer>
#include <QPainter>
#include <QPlatformSurfaceEvent>
#include <QWindow>

#include <mpv/client.h>

#include <clocale>

namespace {

// Opening ends when the first picture is on screen, or fails; only a hang waits this long.
constexpr int kOpenPatienceMs = 15000;
// The rate every recording is made at.
constexpr int kRecordingFps = 10;
constexpr quint64 kWatchVideoOutput = 1;

bc_ret mpvFailure(const char *context, int code, const QString &text)
{
    return bc_ret(QString::fromLatin1(context), code, text);
}

QByteArray secondsText(qint64 ms)
{
    return QByteArray::number(double(ms) / 1000.0, 'f', 3);
}

} // namespace

VideoPlayer::VideoPlayer(VideoPlayerWindow *window)
    : QObject(window)
    , m_window(window)
{
}

MpvPlayer::MpvPlayer(VideoPlayerWindow *window, const QString &videoOutput, const QString &audioOutput)
    : VideoPlayer(window)
    , m_videoOutput(videoOutput)
    , m_audioOutput(audioOutput)
{
}

MpvPlayer::~MpvPlayer()
{
    close();
}

QString MpvPlayer::name() const
{
    return QStringLiteral("MpvPlayer (%1)").arg(m_videoOutput);
}

bc_ret MpvPlayer::create()
{
    // libmpv refuses to start unless numbers are written the C way.
    std::setlocale(LC_NUMERIC, "C");
    m_mpv = mpv_create();
    if (!m_mpv)
        return mpvFailure("mpv_create", -1, QStringLiteral("The player could not be created"));
    const auto set = [this](const char *option, const QString &value) {
        mpv_set_option_string(m_mpv, option, value.toUtf8().constData());
    };
    set("wid", QString::number(m_window->nativeWindow()));
    set("vo", m_videoOutput);
    if (m_videoOutput == QLatin1String("gpu"))
        set("hwdec", QStringLiteral("auto-safe"));
    if (!m_audioOutput.isEmpty())
        set("ao", m_audioOutput);
    // Opened paused on the first picture; at the end it stays on the last one.
    set("pause", QStringLiteral("yes"));
    set("keep-open", QStringLiteral("yes"));
    set("idle", QStringLiteral("yes"));
    set("hr-seek", QStringLiteral("yes"));
    // A table's still stretches are stored as empty frames: the picture is repeated at
    // the recording's rate, so that time moves through them and a seek there shows
    // the picture of that moment, not the next change.
    set("vf", QStringLiteral("lavfi=[fps=fps=%1]").arg(kRecordingFps));
    // The editor's own controls drive it: no keys, mouse, overlay or messages of its own.
    set("terminal", QStringLiteral("no"));
    set("input-default-bindings", QStringLiteral("no"));
    set("input-vo-keyboard", QStringLiteral("no"));
    set("input-cursor", QStringLiteral("no"));
    set("cursor-autohide", QStringLiteral("no"));
    set("osc", QStringLiteral("no"));
    set("osd-level", QStringLiteral("0"));
    const int started = mpv_initialize(m_mpv);
    if (started < 0)
        return mpvFailure("mpv_initialize", started, QString::fromUtf8(mpv_error_string(started)));
    mpv_observe_property(m_mpv, 0, "eof-reached", MPV_FORMAT_FLAG);
    mpv_observe_property(m_mpv, kWatchVideoOutput, "vo-configured", MPV_FORMAT_FLAG);
    return bc_ret();
}

bool MpvPlayer::waitUntilShown(QString &why)
{
    const QDeadlineTimer deadline(kOpenPatienceMs);
    bool loaded = false;
    bool shown = false;
    while (!deadline.hasExpired() && !(loaded && shown)) {
        const mpv_event *event = mpv_wait_event(m_mpv, 0.1);
        if (event->event_id == MPV_EVENT_FILE_LOADED) {
            loaded = true;
        } else if (event->event_id == MPV_EVENT_END_FILE) {
            const auto *end = static_cast<const mpv_event_end_file *>(event->data);
            why = QString::fromUtf8(mpv_error_string(end->error));
            return false;
        } else if (event->event_id == MPV_EVENT_PROPERTY_CHANGE && event->reply_userdata == kWatchVideoOutput) {
            const auto *property = static_cast<const mpv_event_property *>(event->data);
            shown = property->format == MPV_FORMAT_FLAG && *static_cast<const int *>(property->data);
        }
    }
    if (loaded && shown)
        return true;
    why = loaded ? QStringLiteral("No picture was shown") : QStringLiteral("The file did not load in time");
    return false;
}

bc_ret MpvPlayer::open(const QString &file)
{
    close();
    bc_ret result = create();
    if (result.ok()) {
        const QByteArray path = file.toUtf8();
        const char *command[] = {"loadfile", path.constData(), nullptr};
        const int loading = mpv_command(m_mpv, command);
        QString why;
        if (loading < 0)
            result.add(QStringLiteral("loadfile"), loading, QString::fromUtf8(mpv_error_string(loading)));
        else if (!waitUntilShown(why))
            result.add(QStringLiteral("loadfile"), -1, why);
    }
    if (result.ok()) {
        double seconds = 0;
        int seekable = 0;
        if (mpv_get_property(m_mpv, "duration", MPV_FORMAT_DOUBLE, &seconds) < 0)
            result.add(QStringLiteral("GetDuration"), -1, QStringLiteral("Can not get duration"));
        else if (seconds <= 0)
            result.add(QStringLiteral("GetDuration"), -1, QStringLiteral("Unknown error while getting duration"));
        else if (mpv_get_property(m_mpv, "seekable", MPV_FORMAT_FLAG, &seekable) < 0 || !seekable)
            result.add(QStringLiteral("CheckCapabilities"), -1, QStringLiteral("Video not seekable"));
        m_duration = qint64(seconds * 1000 + 0.5);
    }
    if (result.failed()) {
        result.add(QStringLiteral("VideoPlayer::open"), 0, QStringLiteral("Error opening file '%1'").arg(file));
        close();
        return result;
    }
    m_fileName = file;
    m_lastPosition = 0;
    mpv_set_wakeup_callback(
            m_mpv, [](void *player) { QMetaObject::invokeMethod(static_cast<MpvPlayer *>(player), "onEvents", Qt::QueuedConnection); },
            this);
    return result;
}

void MpvPlayer::close()
{
    if (m_mpv) {
        mpv_set_wakeup_callback(m_mpv, nullptr, nullptr);
        mpv_terminate_destroy(m_mpv);
        m_mpv = nullptr;
    }
    m_duration = 0;
    m_fileName.clear();
}

void MpvPlayer::onEvents()
{
    while (m_mpv) {
        const mpv_event *event = mpv_wait_event(m_mpv, 0);
        if (event->event_id == MPV_EVENT_NONE)
            break;
        if (event->event_id == MPV_EVENT_PROPERTY_CHANGE) {
            const auto *property = static_cast<const mpv_event_property *>(event->data);
            if (qstrcmp(property->name, "eof-reached") == 0 && property->format == MPV_FORMAT_FLAG
                && *static_cast<const int *>(property->data))
                emit stopped();
        } else if (event->event_id == MPV_EVENT_END_FILE) {
            emit stopped();
        }
    }
}

bc_ret MpvPlayer::setPaused(bool paused, const char *context)
{
    if (!m_mpv)
        return mpvFailure(context, -1, QStringLiteral("No video is open"));
    int flag = paused ? 1 : 0;
    const int done = mpv_set_property(m_mpv, "pause", MPV_FORMAT_FLAG, &flag);
    if (done < 0)
        return mpvFailure(context, done, QString::fromUtf8(mpv_error_string(done)));
    return bc_ret();
}

bc_ret MpvPlayer::run()
{
    const bc_ret result = setPaused(false, "MpvPlayer::run");
    if (result.ok())
        emit running();
    return result;
}

bc_ret MpvPlayer::pause()
{
    const bc_ret result = setPaused(true, "MpvPlayer::pause");
    if (result.ok())
        emit paused();
    return result;
}

bc_ret MpvPlayer::stop()
{
    const bc_ret result = setPaused(true, "MpvPlayer::stop");
    if (result.ok())
        seek(0);
    return result;
}

qint64 MpvPlayer::position() const
{
    double seconds = 0;
    if (m_mpv && mpv_get_property(m_mpv, "time-pos", MPV_FORMAT_DOUBLE, &seconds) >= 0)
        m_lastPosition = qint64(seconds * 1000 + 0.5);
    return m_lastPosition;
}

void MpvPlayer::seek(qint64 ms)
{
    if (!m_mpv)
        return;
    // Exactly there, not at the nearest key frame; without waiting for it.
    const QByteArray seconds = secondsText(qBound<qint64>(0, ms, m_duration));
    const char *command[] = {"seek", seconds.constData(), "absolute+exact", nullptr};
    mpv_command_async(m_mpv, 0, command);
    m_lastPosition = ms;
}

void MpvPlayer::setVolume(int percent)
{
    if (!m_mpv)
        return;
    double volume = qBound(0, percent, 100);
    mpv_set_property_async(m_mpv, 0, "volume", MPV_FORMAT_DOUBLE, &volume);
}

int MpvPlayer::volume() const
{
    double volume = 0;
    if (!m_mpv || mpv_get_property(m_mpv, "volume", MPV_FORMAT_DOUBLE, &volume) < 0)
        return 0;
    return int(volume + 0.5);
}

VideoPlayerWindow::VideoPlayerWindow(QWidget *parent)
    : QWidget(parent)
    , m_videoOutputs({QStringLiteral("gpu"), QStringLiteral("x11")})
{
    setObjectName(QStringLiteral("player"));
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMinimumSize(320, 240);
}

VideoPlayerWindow::~VideoPlayerWindow()
{
    closePlayer();
}

void VideoPlayerWindow::setOutputs(const QStringList &videoOutputs, const QString &audioOutput)
{
    m_videoOutputs = videoOutputs;
    m_audioOutput = audioOutput;
}

VideoPlayer *VideoPlayerWindow::open(const QString &file, bc_ret &errors)
{
    closePlayer();
    for (const QString &output : std::as_const(m_videoOutputs)) {
        auto *candidate = new MpvPlayer(this, output, m_audioOutput);
        const bc_ret result = candidate->open(file);
        if (result.ok()) {
            m_player = candidate;
            setMessage(QString());
            return m_player;
        }
        errors += result;
        errors.add(QStringLiteral("VideoPlayerWindow::open"), 0, QStringLiteral("Error trying %1").arg(candidate->name()));
        delete candidate;
    }
    return nullptr;
}

void VideoPlayerWindow::closePlayer()
{
    delete m_player;
    m_player = nullptr;
    update();
}

void VideoPlayerWindow::ensureSurface()
{
    if (m_surface)
        return;
    m_surface = new QWindow;
    // The player's own window lives inside this one: it must be gone before this one goes.
    m_surface->installEventFilter(this);
    m_container = QWidget::createWindowContainer(m_surface, this);
    m_container->setGeometry(rect());
    m_container->setVisible(m_message.isEmpty());
}

WId VideoPlayerWindow::nativeWindow()
{
    ensureSurface();
    return m_surface->winId();
}

void VideoPlayerWindow::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    if (m_container)
        m_container->setGeometry(rect());
}

bool VideoPlayerWindow::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::PlatformSurface
        && static_cast<QPlatformSurfaceEvent *>(event)->surfaceEventType() == QPlatformSurfaceEvent::SurfaceAboutToBeDestroyed)
        closePlayer();
    return QWidget::eventFilter(watched, event);
}

void VideoPlayerWindow::setMessage(const QString &text)
{
    m_message = text;
    // The message is drawn where the picture would be.
    if (m_container)
        m_container->setVisible(text.isEmpty());
    update();
}

void VideoPlayerWindow::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.fillRect(rect(), Qt::black);
    if (!m_message.isEmpty()) {
        painter.setPen(Qt::white);
        painter.drawText(rect().adjusted(10, 10, -10, -10), Qt::AlignCenter | Qt::TextWordWrap, m_message);
    }
}
