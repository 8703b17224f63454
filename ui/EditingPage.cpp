#include "ui/EditingPage.h"

#include "app/Log.h"
#include "library/WindowConfig.h"
#include "media/EncoderThread.h"
#include "ui/AudioVisualizer.h"
#include "ui/Timeline.h"
#include "ui/Translated.h"
#include "ui/VideoPlayer.h"

#include <QDateTime>
#include <QFileInfo>
#include <QEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

constexpr int kTickMs = 100;

QString clockText(qint64 ms)
{
    const qint64 seconds = qMax<qint64>(0, ms) / 1000;
    return QString::asprintf("%02lld:%02lld:%02lld", seconds / 3600, (seconds / 60) % 60, seconds % 60);
}

} // namespace

EditingPage::EditingPage(QWidget *parent)
    : QFrame(parent)
{
    setObjectName(QStringLiteral("EditingPage"));
    buildForm();
    m_timer.setInterval(kTickMs);
    connect(&m_timer, &QTimer::timeout, this, &EditingPage::updateSeekSlider);
    connect(this, &EditingPage::run, this, &EditingPage::onRun);
    connect(this, &EditingPage::pause, this, &EditingPage::onPause);
    connect(this, &EditingPage::stop, this, &EditingPage::onStop);
    connect(this, &EditingPage::replay, this, &EditingPage::onReplay);
    connect(this, &EditingPage::playFromBeginMark, this, &EditingPage::onPlayFromBeginMark);
    connect(this, &EditingPage::resetEditData, this, &EditingPage::onResetEditData);
    connect(m_timeline, &Timeline::beginSliderMoved, this, &EditingPage::onBeginMoved);
    connect(m_timeline, &Timeline::endSliderMoved, this, &EditingPage::onEndMoved);
    connect(m_timeline, &Timeline::seekSliderMoved, this, &EditingPage::onSeekMoved);
    connect(m_timeline, &Timeline::seekSliderStartMoving, this, &EditingPage::onSeekStartMoving);
    connect(m_timeline, &Timeline::seekSliderStopMoving, this, &EditingPage::onSeekStopMoving);
    connect(m_sldVolume, &PlayerSlider::reallyMoved, this, &EditingPage::onVolumeMoved);
}

EditingPage::~EditingPage() = default;

void EditingPage::buildForm()
{
    auto *grid = new QGridLayout(this);
    m_player = new VideoPlayerWindow(this);
    grid->addWidget(m_player, 0, 0);
    m_sldVolume = new VPlayerSlider(this);
    m_sldVolume->setObjectName(QStringLiteral("sldVolume"));
    m_sldVolume->setRange(0, 100);
    // The volume the user last chose.
    const WindowConfig *settings = WindowConfig::instance();
    const int remembered = qBound(0, settings ? settings->volumeLevel() : 100, 100);
    m_sldVolume->setValue(remembered);
    setTranslatedToolTip(m_sldVolume, "EditingPage", QT_TRANSLATE_NOOP("EditingPage", "Volume"));
    m_lblVolume = new QLabel(QStringLiteral("%1%").arg(remembered), this);
    m_lblVolume->setObjectName(QStringLiteral("lblVolume"));
    auto *volume = new QVBoxLayout;
    volume->addWidget(m_sldVolume, 1, Qt::AlignHCenter);
    volume->addWidget(m_lblVolume, 0, Qt::AlignHCenter);
    grid->addLayout(volume, 0, 1, 3, 1);
    m_timeline = new Timeline(this);
    m_timeline->setObjectName(QStringLiteral("timeline"));
    grid->addWidget(m_timeline, 1, 0);
    m_audioVisualizer = new AudioVisualizer(this);
    grid->addWidget(m_audioVisualizer, 2, 0);
    m_lblElapsedTime = new QLabel(QStringLiteral("00:00"), this);
    m_lblElapsedTime->setObjectName(QStringLiteral("lblElapsedTime"));
    grid->addWidget(m_lblElapsedTime, 3, 0, Qt::AlignRight);
    grid->setRowStretch(0, 1);
    grid->setColumnStretch(0, 1);
}

VideoPlayer *EditingPage::player() const
{
    return m_player->player();
}

QString EditingPage::elapsedText() const
{
    return m_lblElapsedTime->text();
}

bc_ret EditingPage::doEditVideo(const RecordedItemSptr &item)
{
    resetPage();
    if (!item || !item->info)
        return bc_ret(QStringLiteral("EditingPage::doEditVideo"), -1, QStringLiteral("Nothing to edit"));
    const QString file = item->info->fileName;
    // Only a regular file is opened: a FIFO or a device in its place would block the player.
    if (!QFileInfo(file).isFile()) {
        m_player->setMessage(tr("This video cannot be played."));
        return bc_ret(QStringLiteral("EditingPage::doEditVideo"), -1, tr("'%1' is not a video file.").arg(file));
    }
    bc_ret errors;
    VideoPlayer *opened = m_player->open(file, errors);
    if (!opened) {
        logError(QStringLiteral("EditingPage::doEditVideo: %1").arg(errors.details(QStringLiteral("; "))));
        m_player->setMessage(tr("This video cannot be played."));
        return errors;
    }
    logDebug(QStringLiteral("Using %1").arg(opened->name()));
    if (errors.failed()) {
        errors.add(QStringLiteral("EditingPage::doEditVideo"), 0, QStringLiteral("Using non-preferred player"));
        logWarn(errors.details(QStringLiteral("; ")));
    }
    connect(opened, &VideoPlayer::stopped, this, &EditingPage::onPlayerStopped);
    m_audioVisualizer->load(file);
    m_timeline->setDuration(opened->duration());
    m_item = item;
    opened->setVolume(m_sldVolume->value());
    emit newEditDuration(m_timeline->markedDuration());
    onRun();
    item->setStatus(RecordedItemStatus::Editing);
    // A non-preferred player still plays: that is no failure.
    return bc_ret();
}

void EditingPage::resetPage()
{
    onStop();
    m_item.reset();
    m_timeline->setDuration(0);
    m_audioVisualizer->reset();
    m_player->closePlayer();
    m_player->setMessage(QString());
    m_lblElapsedTime->setText(QStringLiteral("00:00"));
}

void EditingPage::showTime(qint64 ms)
{
    m_lblElapsedTime->setText(clockText(ms));
    m_audioVisualizer->setPosition(ms, player() ? player()->duration() : 0);
}

void EditingPage::seekAndShow(qint64 ms)
{
    if (!player())
        return;
    player()->seek(ms);
    m_timeline->setSeekTime(ms);
    showTime(ms);
}

void EditingPage::updateSeekSlider()
{
    if (!player())
        return;
    const qint64 now = player()->position();
    m_timeline->setSeekTime(now);
    showTime(now);
}

void EditingPage::onRun()
{
    if (!player() || player()->run().failed())
        return;
    m_playing = true;
    m_timer.start();
}

void EditingPage::onPause()
{
    if (player())
        player()->pause();
    m_playing = false;
}

void EditingPage::onStop()
{
    m_timer.stop();
    m_playing = false;
    if (player()) {
        player()->stop();
        m_timeline->setSeekTime(0);
        showTime(0);
    }
}

void EditingPage::onReplay()
{
    seekAndShow(0);
    onRun();
}

void EditingPage::onPlayFromBeginMark()
{
    if (m_timeline->markedDuration() <= 0)
        return;
    seekAndShow(m_timeline->beginTime());
    onRun();
}

void EditingPage::onResetEditData()
{
    m_timeline->resetMarkers();
    emit newEditDuration(m_timeline->markedDuration());
}

void EditingPage::onBeginMoved(qint64 ms)
{
    onPause();
    seekAndShow(ms);
    emit newEditDuration(m_timeline->markedDuration());
}

void EditingPage::onEndMoved(qint64 ms)
{
    if (m_timeline->markedDuration() < 0)
        return;
    onPause();
    seekAndShow(ms);
    emit newEditDuration(m_timeline->markedDuration());
}

void EditingPage::onSeekMoved(qint64 ms)
{
    seekAndShow(ms);
}

void EditingPage::onSeekStartMoving()
{
    // While the user drags, the player's position must not pull the handle back.
    m_timer.stop();
}

void EditingPage::onSeekStopMoving()
{
    if (m_playing)
        m_timer.start();
}

void EditingPage::onVolumeMoved(int percent)
{
    m_lblVolume->setText(QStringLiteral("%1%").arg(percent));
    if (player())
        player()->setVolume(percent);
    if (WindowConfig *settings = WindowConfig::instance()) {
        settings->setVolumeLevel(percent);
        settings->delaySave();
    }
}

void EditingPage::onPlayerStopped()
{
    // At the end: the last picture stays, the handle goes to the end.
    m_playing = false;
    m_timer.stop();
    updateSeekSlider();
}

void EditingPage::doEncode(const UploadParamsSptr &params, bool toUpload)
{
    EncoderThreadQueue *queue = EncoderThreadQueue::instance();
    if (!m_item || !queue) {
        logError(QStringLiteral("EditingPage::doEncode: %1").arg(m_item ? "no encoding queue" : "nothing is being edited"));
        return;
    }
    auto edit = std::make_shared<EditedItem>();
    edit->source = m_item;
    edit->startMs = m_timeline->beginTime();
    edit->endMs = m_timeline->endTime();
    edit->params = params;
    edit->editedDate = QDateTime::currentDateTime();
    edit->volume = m_sldVolume->value();
    queue->enqueue(edit, toUpload);
}

EditControlPage::EditControlPage(QWidget *parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("EditControlPage"));
    buildForm();
    connect(m_btnPlayFromBeginMark, &QAbstractButton::clicked, this, &EditControlPage::playFromBeginMark);
    connect(m_btnRun, &QAbstractButton::clicked, this, &EditControlPage::run);
    connect(m_btnPause, &QAbstractButton::clicked, this, &EditControlPage::pause);
    connect(m_btnReplay, &QAbstractButton::clicked, this, &EditControlPage::replay);
    connect(m_btnReset, &QAbstractButton::clicked, this, &EditControlPage::resetEditData);
    connect(m_btnStop, &QAbstractButton::clicked, this, &EditControlPage::stop);
    connect(m_btnEncodeUpload, &QAbstractButton::clicked, this, &EditControlPage::onBtnEncodeUploadClicked);
    connect(m_btnEncodeStore, &QAbstractButton::clicked, this, &EditControlPage::onBtnEncodeStoreClicked);
}

QPushButton *EditControlPage::button(const QString &name, const char *source, QWidget *parent)
{
    auto *b = new QPushButton(parent);
    b->setObjectName(name);
    setTranslatedText(b, "EditControlPage", source);
    return b;
}

void EditControlPage::changeEvent(QEvent *event)
{
    // The date is written the new language's way.
    if (event->type() == QEvent::LanguageChange && m_item)
        m_lblDate->setText(dateText(m_item->date));
    QWidget::changeEvent(event);
}

void EditControlPage::buildForm()
{
    auto *column = new QVBoxLayout(this);
    auto *grpInfo = new QGroupBox(this);
    setTranslatedText(grpInfo, "EditControlPage", QT_TRANSLATE_NOOP("EditControlPage", "Video"));
    grpInfo->setObjectName(QStringLiteral("grpInfo"));
    auto *facts = new QVBoxLayout(grpInfo);
    m_lblName = new QLabel(grpInfo);
    m_lblDuration = new QLabel(grpInfo);
    m_lblFileSize = new QLabel(grpInfo);
    m_lblDate = new QLabel(grpInfo);
    const QList<QPair<QLabel *, const char *>> labels{
            {m_lblName, "lblName"}, {m_lblDuration, "lblDuration"}, {m_lblFileSize, "lblFileSize"}, {m_lblDate, "lblDate"}};
    for (const auto &[label, name] : labels) {
        label->setObjectName(QString::fromLatin1(name));
        facts->addWidget(label);
    }
    column->addWidget(grpInfo);

    auto *grpControls = new QGroupBox(this);
    setTranslatedText(grpControls, "EditControlPage", QT_TRANSLATE_NOOP("EditControlPage", "Play"));
    grpControls->setObjectName(QStringLiteral("grpControls"));
    auto *controls = new QGridLayout(grpControls);
    m_btnPlayFromBeginMark = button(QStringLiteral("btnPlayFromBeginMark"), QT_TRANSLATE_NOOP("EditControlPage", "Play your hand"), grpControls);
    m_btnRun = button(QStringLiteral("btnRun"), QT_TRANSLATE_NOOP("EditControlPage", "Play"), grpControls);
    m_btnPause = button(QStringLiteral("btnPause"), QT_TRANSLATE_NOOP("EditControlPage", "Pause"), grpControls);
    m_btnReplay = button(QStringLiteral("btnReplay"), QT_TRANSLATE_NOOP("EditControlPage", "Replay"), grpControls);
    m_btnReset = button(QStringLiteral("btnReset"), QT_TRANSLATE_NOOP("EditControlPage", "Reset marks"), grpControls);
    m_btnStop = button(QStringLiteral("btnStop"), QT_TRANSLATE_NOOP("EditControlPage", "Stop"), grpControls);
    controls->addWidget(m_btnPlayFromBeginMark, 0, 0, 1, 2);
    controls->addWidget(m_btnRun, 1, 0);
    controls->addWidget(m_btnPause, 1, 1);
    controls->addWidget(m_btnReplay, 2, 0);
    controls->addWidget(m_btnStop, 2, 1);
    controls->addWidget(m_btnReset, 3, 0, 1, 2);
    column->addWidget(grpControls);

    auto *grpFinish = new QGroupBox(this);
    setTranslatedText(grpFinish, "EditControlPage", QT_TRANSLATE_NOOP("EditControlPage", "Your hand"));
    grpFinish->setObjectName(QStringLiteral("grpFinish"));
    auto *finish = new QVBoxLayout(grpFinish);
    auto *title = new QLabel(grpFinish);
    setTranslatedText(title, "EditControlPage", QT_TRANSLATE_NOOP("EditControlPage", "Title:"));
    finish->addWidget(title);
    m_txtUploadName = new QLineEdit(grpFinish);
    m_txtUploadName->setObjectName(QStringLiteral("txtUploadName"));
    finish->addWidget(m_txtUploadName);
    m_btnEncodeUpload = button(QStringLiteral("btnEncodeUpload"), QT_TRANSLATE_NOOP("EditControlPage", "Save and upload"), grpFinish);
    m_btnEncodeStore = button(QStringLiteral("btnEncodeStore"), QT_TRANSLATE_NOOP("EditControlPage", "Save"), grpFinish);
    finish->addWidget(m_btnEncodeUpload);
    finish->addWidget(m_btnEncodeStore);
    column->addWidget(grpFinish);
    column->addStretch();
}

void EditControlPage::setItem(const RecordedItemSptr &item)
{
    m_item = item;
    const VideoInfoSptr info = item ? item->info : nullptr;
    m_lblName->setText(item ? item->title() : QString());
    m_lblDuration->setText(info ? durationText(info->duration) : QString());
    m_lblFileSize->setText(info ? fileSizeText(info->fileSize) : QString());
    m_lblDate->setText(item ? dateText(item->date) : QString());
    m_txtUploadName->setText(item ? item->title() : QString());
}

void EditControlPage::onNewEditDuration(qlonglong ms)
{
    m_lblDuration->setText(durationText(ms));
}

void EditControlPage::resetEditData()
{
    emit doResetEditData();
}

void EditControlPage::onBtnEncodeUploadClicked()
{
    finish(true);
}

void EditControlPage::onBtnEncodeStoreClicked()
{
    finish(false);
}

void EditControlPage::finish(bool toUpload)
{
    const QString title = m_txtUploadName->text();
    if (title.size() < kMinimumTitle) {
        QMessageBox::information(this, tr("Video title not provided correctly"),
                                 tr("You have to provide at least 3 characters for the title of your video."));
        return;
    }
    auto params = std::make_shared<UploadParams>();
    params->videoTitle = title;
    params->room = m_item ? m_item->room : -1;
    emit encode(params, toUpload);
}

void connectEditing(EditControlPage *panel, EditingPage *page)
{
    QObject::connect(panel, &EditControlPage::run, page, &EditingPage::run);
    QObject::connect(panel, &EditControlPage::pause, page, &EditingPage::pause);
    QObject::connect(panel, &EditControlPage::stop, page, &EditingPage::stop);
    QObject::connect(panel, &EditControlPage::replay, page, &EditingPage::replay);
    QObject::connect(panel, &EditControlPage::playFromBeginMark, page, &EditingPage::playFromBeginMark);
    QObject::connect(panel, &EditControlPage::doResetEditData, page, &EditingPage::resetEditData);
    QObject::connect(panel, &EditControlPage::encode, page, &EditingPage::doEncode);
    QObject::connect(page, &EditingPage::newEditDuration, panel, &EditControlPage::onNewEditDuration);
}

EditingItemWidget::EditingItemWidget(QWidget *parent)
    : QFrame(parent)
    , m_page(new EditingPage(this))
    , m_panel(new EditControlPage(this))
{
    setObjectName(QStringLiteral("EditingItemWidget"));
    // Shown wherever the main page puts it.
    m_panel->hide();
    auto *column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->addWidget(m_page);
    connectEditing(m_panel, m_page);
    // The panel asks; this widget hands the edit on and ends the editing.
    disconnect(m_panel, &EditControlPage::encode, m_page, &EditingPage::doEncode);
    connect(m_panel, &EditControlPage::encode, this, &EditingItemWidget::doEncode);
}

void EditingItemWidget::doEditVideo(const RecordedItemSptr &item)
{
    if (!item)
        return;
    finish();
    // A video that cannot be played cannot be edited: the Editing tab stays closed.
    if (const bc_ret opened = m_page->doEditVideo(item); opened.failed()) {
        m_page->resetPage();
        QMessageBox::warning(window(), tr("Editing"), tr("This video cannot be played: %1").arg(opened.messages(QStringLiteral(": "))));
        return;
    }
    m_panel->setItem(item);
    emit newEditingItem();
}

void EditingItemWidget::doEncode(const UploadParamsSptr &params, bool toUpload)
{
    if (!m_page->item())
        return;
    m_page->doEncode(params, toUpload);
    finish();
    emit newEditedItem();
}

void EditingItemWidget::finish()
{
    const RecordedItemSptr item = m_page->item();
    if (!item)
        return;
    m_page->resetPage();
    item->setStatus(RecordedItemStatus::Idle);
    m_panel->setItem(nullptr);
    emit finishEditingItem();
}
