#include "tool/RecorderWidget.h"

#include "app/Log.h"
#include "detection/Detection.h"
#include "library/FileNames.h"
#include "library/LibraryItems.h"
#include "library/User.h"
#include "library/WindowConfig.h"
#include "resources/Resources.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QMessageBox>

namespace {

QFrame *separator(const QString &name, QWidget *parent)
{
    auto *line = new QFrame(parent);
    line->setObjectName(name);
    line->setFrameShape(QFrame::VLine);
    line->setFrameShadow(QFrame::Sunken);
    return line;
}

} // namespace

RecorderWidget::RecorderWidget(const TargetSptr &target, const ConstDetectionSptr &detection, QWidget *parent)
    : QFrame(parent)
    , m_target(target)
    , m_detection(detection)
{
    setObjectName(QStringLiteral("RecorderWidget"));
    auto *layout = new QHBoxLayout(this);
    layout->setSpacing(0);
    layout->setContentsMargins(0, 0, 0, 0);

    m_frmTimeWatcher = new QFrame(this);
    m_frmTimeWatcher->setObjectName(QStringLiteral("frmTimeWatcher"));
    m_frmTimeWatcher->setFixedWidth(69);
    auto *stackedLayout = new QGridLayout(m_frmTimeWatcher);
    stackedLayout->setObjectName(QStringLiteral("stackedLayout"));
    stackedLayout->setContentsMargins(3, 3, 3, 3);
    m_lblTimeWatcher = new TimeWatcher(m_frmTimeWatcher);
    m_lblTimeWatcher->setObjectName(QStringLiteral("lblTimeWatcher"));
    m_lblTimeWatcher->setAlignment(Qt::AlignCenter);
    stackedLayout->addWidget(m_lblTimeWatcher);
    layout->addWidget(m_frmTimeWatcher);
    m_line = separator(QStringLiteral("line"), this);
    layout->addWidget(m_line);

    m_btnMic = new LevelBar(this);
    m_btnMic->setObjectName(QStringLiteral("btnMic"));
    m_btnMic->setCursor(Qt::PointingHandCursor);
    m_btnMic->setToolTip(tr("Microphone on or off"));
    layout->addWidget(m_btnMic);
    m_line2 = separator(QStringLiteral("line_2"), this);
    layout->addWidget(m_line2);

    m_stkButtons = new QStackedWidget(this);
    m_stkButtons->setObjectName(QStringLiteral("stkButtons"));
    m_btnRecord = new HoverEventButton(m_stkButtons);
    m_btnRecord->setObjectName(QStringLiteral("btnRecord"));
    m_btnRecord->setCursor(Qt::PointingHandCursor);
    m_btnRecord->setToolTip(tr("Record"));
    m_btnPause = new HoverEventButton(m_stkButtons);
    m_btnPause->setObjectName(QStringLiteral("btnPause"));
    m_btnPause->setCursor(Qt::PointingHandCursor);
    m_btnPause->setToolTip(tr("Pause"));
    m_stkButtons->addWidget(m_btnRecord);
    m_stkButtons->addWidget(m_btnPause);
    layout->addWidget(m_stkButtons);
    m_line3 = separator(QStringLiteral("line_3"), this);
    layout->addWidget(m_line3);

    m_btnSave = new QPushButton(this);
    m_btnSave->setObjectName(QStringLiteral("btnSave"));
    m_btnSave->setCursor(Qt::PointingHandCursor);
    m_btnSave->setToolTip(tr("Save the last recorded minutes"));
    layout->addWidget(m_btnSave);

    if (WindowConfig *settings = WindowConfig::instance()) {
        showTime(settings->showTimeWatcher());
        connect(settings, &WindowConfig::showTimeWatcherChanged, this, &RecorderWidget::showTime);
        m_btnMic->setChecked(!settings->recordAudio());
    }
    connect(m_btnRecord, &QAbstractButton::clicked, this, &RecorderWidget::start);
    for (HoverEventButton *button : {m_btnRecord, m_btnPause}) {
        connect(button, &HoverEventButton::entered, this, &RecorderWidget::highlight);
        connect(button, &HoverEventButton::left, this, &RecorderWidget::unhighlight);
    }
}

void RecorderWidget::showTime(bool show)
{
    m_frmTimeWatcher->setVisible(show);
    m_line->setVisible(show);
}

AssemblyCmdSptr RecorderWidget::assemblyCommand() const
{
    const User *user = User::current();
    const WindowConfig *settings = WindowConfig::instance();
    auto cmd = std::make_shared<AssemblyCmd>();
    if (user)
        cmd->outputFile = newSavedVideoPath(user->paths().recorded);
    cmd->maxDuration = settings ? settings->maxRecordedDuration() : WindowConfig::kMaxRecordedDuration;
    cmd->detection = m_detection;
    cmd->room = m_detection ? m_detection->recordingRoom() : Detection::kNoRoom;
    return cmd;
}

void RecorderWidget::start()
{
    if (m_session)
        return;
    const User *user = User::current();
    if (!user) {
        onStopped(bc_ret(QStringLiteral("RecorderWidget::start"), -1, tr("Nobody is logged in")));
        return;
    }
    const WindowConfig *settings = WindowConfig::instance();
    auto audio = std::make_shared<AudioRecParams>();
    audio->useDefaultDevice = settings ? settings->autoConfigAudio() : true;
    audio->deviceName = settings ? settings->waveInDeviceName() : QString();
    const QRect rect = m_target->captureRect();
    auto video = std::make_shared<VideoRecParams>();
    video->target = m_target;
    video->watermark = watermarkImage();
    video->format = std::make_shared<VideoFormat>(VideoFormat{rect.width(), rect.height(), 10, 100});
    auto recording = std::make_shared<AVRecParams>(
            AVRecParams{settings ? settings->maxRecordedDuration() : WindowConfig::kMaxRecordedDuration,
                        user->paths().tmp.absolutePath(), m_detection ? m_detection->recordingRoom() : Detection::kNoRoom});

    m_session = new AVRecorder(audio, video, recording, this);
    m_session->setMuted(m_btnMic->isChecked());
    connect(m_session, &AVRecorder::stopped, this, &RecorderWidget::onStopped);
    connect(m_session, &AVRecorder::volume, m_btnMic, &LevelBar::setLevel);
    connect(m_session, &AVRecorder::soundLost, this, &RecorderWidget::onSoundLost);
    connect(m_session, &AVRecorder::pictureBlack, this, &RecorderWidget::onPictureBlack);
    connect(m_btnPause, &QAbstractButton::toggled, m_session, &AVRecorder::setPaused);
    connect(m_btnPause, &QAbstractButton::toggled, m_lblTimeWatcher, &TimeWatcher::setPaused, Qt::UniqueConnection);
    connect(m_btnMic, &QAbstractButton::toggled, m_session, &AVRecorder::setMuted);
    connect(m_btnSave, &QAbstractButton::clicked, this, &RecorderWidget::save, Qt::UniqueConnection);

    const bc_ret ret = m_session->start();
    if (ret.ok()) {
        m_lblTimeWatcher->start();
        m_stkButtons->setCurrentWidget(m_btnPause);
    } else {
        onStopped(ret);
    }
}

void RecorderWidget::stop(bool save)
{
    if (!m_session) {
        emit stopped();
        return;
    }
    m_session->stop(bc_ret(), save ? assemblyCommand() : nullptr);
}

void RecorderWidget::abort()
{
    if (!m_session)
        return;
    m_session->abort();
    releaseSession();
    emit stopped();
}

void RecorderWidget::save()
{
    if (!m_session)
        return;
    bc_ret ret = m_session->save(assemblyCommand());
    if (ret.failed()) {
        ret.add(QString(), 0, tr("Error while saving video"));
        logWarn(ret.messages(QStringLiteral(": ")));
        showWarning(tr("Saving error"), ret.messages(QStringLiteral("\n")));
    }
}

void RecorderWidget::onSoundLost(const QString &text)
{
    // Once per run of the program: every table loses the same server at once.
    static bool told = false;
    if (std::exchange(told, true))
        return;
    showWarning(tr("Sound"), text);
}

void RecorderWidget::onPictureBlack(const QString &text)
{
    // Once per run of the program, as for the sound: the desktop is the same for all.
    static bool told = false;
    if (std::exchange(told, true))
        return;
    showWarning(tr("Picture"), text);
}

void RecorderWidget::onStopped(bc_ret res)
{
    if (res.failed()) {
        res.add(QString(), 0, tr("Error while recording"));
        logError(res.messages(QStringLiteral(": ")));
        showWarning(tr("Recording error"), res.messages(QStringLiteral("\n")));
    }
    m_lblTimeWatcher->setPaused(true);
    releaseSession();
    emit stopped();
}

// A stopped session lets go of what it records at once: the window it kept redirected,
// the shared memory of its frames, the microphone threads.
void RecorderWidget::releaseSession()
{
    if (!m_session)
        return;
    // Later: this may run inside the session's own stopped() signal.
    m_session->deleteLater();
    m_session = nullptr;
}

void RecorderWidget::showWarning(const QString &title, const QString &text)
{
    // Not modal: the other tables keep recording while the user reads it.
    // Without a parent: the floating recorder may be gone before the box is read.
    auto *box = new QMessageBox(QMessageBox::Warning, title, text, QMessageBox::Ok);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setModal(false);
    box->show();
}
