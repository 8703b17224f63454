#include "ui/RecordedPage.h"

#include "app/Log.h"
#include "detection/Detection.h"
#include "library/ListFile.h"
#include "media/EncoderThread.h"
#include "media/FrameDecoder.h"
#include "ui/Notifiers.h"
#include "ui/Translated.h"

#include <QEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QStackedWidget>
#include <QTabWidget>
#include <QVBoxLayout>

RecordedItemWidget::RecordedItemWidget(const RecordedItemSptr &item, QWidget *parent)
    : CheckableItem(parent)
    , m_item(item)
{
    buildForm();
    showItem();
}

RecordedItemWidget::RecordedItemWidget(const AVAssemblerSptr &assembler, QWidget *parent)
    : CheckableItem(parent)
    , m_detection(assembler->command() ? assembler->command()->detection : nullptr)
    , m_room(assembler->command() ? assembler->command()->room : -1)
{
    buildForm();
    m_pictureStack->setCurrentIndex(1);
    m_lblTitle->setText(tr("Saving..."));
    m_btnEdit->setEnabled(false);
    connect(assembler.get(), &AVAssembler::buildProgress, this, &RecordedItemWidget::onBuildProgress);
    connect(assembler.get(), &AVAssembler::buildFinished, this, &RecordedItemWidget::onBuildFinished);
    if (NotifierQueue *queue = NotifierQueue::instance()) {
        static int saved = 0;
        auto *notifier = new NewVideoNotifier(++saved);
        connect(assembler.get(), &AVAssembler::buildProgress, notifier, &NewVideoNotifier::onBuildProgress);
        connect(assembler.get(), &AVAssembler::buildFinished, notifier, &NewVideoNotifier::onBuildFinished);
        connect(notifier, &NewVideoNotifier::videoTitleSet, this, &RecordedItemWidget::onVideoTitleSet);
        connect(this, &RecordedItemWidget::closeNotifier, notifier, &Notifier::reject);
        queue->add(notifier);
    }
}

void RecordedItemWidget::buildForm()
{
    setObjectName(QStringLiteral("RecordedItemWidget"));
    setFrameShape(QFrame::Box);
    auto *row = new QHBoxLayout(this);
    row->addWidget(m_chkSelect);
    m_pictureStack = new QStackedWidget(this);
    m_pictureStack->setFixedSize(kThumbnailSize);
    m_thumbnail = new QLabel(m_pictureStack);
    m_thumbnail->setObjectName(QStringLiteral("thumbnail"));
    m_thumbnail->setAlignment(Qt::AlignCenter);
    auto *pageSaveProgress = new QWidget(m_pictureStack);
    pageSaveProgress->setObjectName(QStringLiteral("pageSaveProgress"));
    auto *progressColumn = new QVBoxLayout(pageSaveProgress);
    m_progressBar = new QProgressBar(pageSaveProgress);
    m_progressBar->setObjectName(QStringLiteral("progressBar"));
    m_progressBar->setRange(0, 100);
    m_progressBar->setValue(0);
    progressColumn->addWidget(m_progressBar);
    m_pictureStack->addWidget(m_thumbnail);
    m_pictureStack->addWidget(pageSaveProgress);
    row->addWidget(m_pictureStack);
    auto *facts = new QGridLayout;
    m_lblTitle = new QLabel(this);
    m_lblTitle->setObjectName(QStringLiteral("lblTitle"));
    facts->addWidget(m_lblTitle, 0, 0, 1, 2);
    auto *added = new QLabel(this);
    setTranslatedText(added, "RecordedItemWidget", QT_TRANSLATE_NOOP("RecordedItemWidget", "Added:"));
    facts->addWidget(added, 1, 0);
    m_lblAdded = new QLabel(this);
    m_lblAdded->setObjectName(QStringLiteral("lblAdded"));
    facts->addWidget(m_lblAdded, 1, 1);
    auto *duration = new QLabel(this);
    setTranslatedText(duration, "RecordedItemWidget", QT_TRANSLATE_NOOP("RecordedItemWidget", "Duration:"));
    facts->addWidget(duration, 2, 0);
    m_lblDuration = new QLabel(this);
    m_lblDuration->setObjectName(QStringLiteral("lblDuration"));
    facts->addWidget(m_lblDuration, 2, 1);
    facts->setColumnStretch(1, 1);
    row->addLayout(facts, 1);
    m_btnEdit = new QPushButton(this);
    m_btnEdit->setObjectName(QStringLiteral("btnEdit"));
    setTranslatedText(m_btnEdit, "RecordedItemWidget", QT_TRANSLATE_NOOP("RecordedItemWidget", "Edit"));
    setTranslatedToolTip(m_btnEdit, "RecordedItemWidget",
                         QT_TRANSLATE_NOOP("RecordedItemWidget", "Edit and upload this video"));
    row->addWidget(m_btnEdit);
    connect(m_btnEdit, &QAbstractButton::clicked, this, [this] {
        if (m_item)
            emit edit(m_item);
    });
}

void RecordedItemWidget::showItem()
{
    m_pictureStack->setCurrentIndex(0);
    m_btnEdit->setEnabled(true);
    if (m_item->info && !m_item->info->thumbnail.isNull())
        m_thumbnail->setPixmap(m_item->info->thumbnail.scaled(kThumbnailSize, Qt::KeepAspectRatio, Qt::SmoothTransformation));
    m_lblTitle->setText(m_item->title());
    m_lblAdded->setText(dateText(m_item->date));
    m_lblDuration->setText(durationText(m_item->info ? m_item->info->duration : 0));
    connect(m_item.get(), &RecordedItem::statusChanged, this, &RecordedItemWidget::onStatusChanged, Qt::UniqueConnection);
    onStatusChanged();
}

void RecordedItemWidget::changeEvent(QEvent *event)
{
    // The date is written the new language's way.
    if (event->type() == QEvent::LanguageChange && m_item)
        m_lblAdded->setText(dateText(m_item->date));
    CheckableItem::changeEvent(event);
}

void RecordedItemWidget::onStatusChanged()
{
    const bool editing = m_item && m_item->status() == RecordedItemStatus::Editing;
    setStyleSheet(editing ? QStringLiteral("RecordedItemWidget {border-color: rgb(111, 41, 41);}")
                          : QStringLiteral("RecordedItemWidget {border-color: rgb(54, 54, 54);}"));
}

void RecordedItemWidget::onVideoTitleSet(const QString &title)
{
    if (!m_item) {
        // Named before it was saved: the name waits for the item.
        m_pendingTitle = title;
        return;
    }
    m_item->videoName = title;
    m_lblTitle->setText(m_item->title());
    emit changed();
}

void RecordedItemWidget::onBuildProgress(int percent)
{
    m_progressBar->setValue(percent);
}

void RecordedItemWidget::onBuildFinished(const bc_ret &result, const QString &file)
{
    if (result.failed()) {
        bc_ret error = result;
        error.add(QStringLiteral("RecordedItemWidget"), 0, tr("Error while assembling video %1").arg(file));
        logError(error.messages(QStringLiteral(": ")));
        QMessageBox::warning(window(), tr("Error assembling"), error.messages(QStringLiteral(": ")));
        emit failed(this);
        return;
    }
    auto item = std::make_shared<RecordedItem>();
    item->date = QDateTime::currentDateTime();
    // The table's program may have had its room confirmed since; a recovered recording
    // has only the room it was saved with.
    item->room = m_detection ? m_detection->room() : m_room;
    item->info = createVideoInfo(file, kThumbnailSize);
    item->videoName = m_pendingTitle;
    m_item = item;
    showItem();
    emit changed();
}

PendingPage::PendingPage(const QString &listFile, QWidget *parent)
    : CheckableExplorerTable(parent)
    , m_listFile(listFile)
{
    connect(this, &CheckableExplorerTable::doUpdateXml, this, &PendingPage::saveState);
}

void PendingPage::loadState()
{
    for (const RecordedItemSptr &item : loadList<RecordedItem>(m_listFile, &m_writable)) {
        auto *widget = new RecordedItemWidget(item);
        adopt(widget);
        addItem(widget);
    }
}

void PendingPage::saveState() const
{
    // A damaged list that could not be moved aside is never overwritten.
    if (!m_writable)
        return;
    QList<RecordedItemSptr> items;
    for (RecordedItemWidget *widget : widgets()) {
        if (widget->item())
            items.append(widget->item());
    }
    if (const bc_ret saved = saveList(m_listFile, items); saved.failed())
        logError(saved.details(QStringLiteral(": ")));
}

void PendingPage::adopt(RecordedItemWidget *widget)
{
    disconnect(widget, nullptr, this, nullptr);
    connect(widget, &RecordedItemWidget::edit, this, &PendingPage::edit);
    connect(widget, &RecordedItemWidget::archive, this, &PendingPage::archive);
    connect(widget, &RecordedItemWidget::changed, this, &CheckableExplorerTable::doUpdateXml);
}

QList<RecordedItemWidget *> PendingPage::widgets() const
{
    QList<RecordedItemWidget *> all;
    for (CheckableItem *item : items())
        all.append(static_cast<RecordedItemWidget *>(item));
    return all;
}

RecordedPage::RecordedPage(const QString &pendingList, const QString &archiveList, QWidget *parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("RecordedPage"));
    auto *column = new QVBoxLayout(this);
    m_tabs = new QTabWidget(this);
    m_pending = new PendingPage(pendingList, m_tabs);
    m_archive = new PendingPage(archiveList, m_tabs);
    m_tabs->addTab(m_pending, QString());
    m_tabs->addTab(m_archive, QString());
    column->addWidget(m_tabs, 1);

    m_actions = new QStackedWidget(this);
    auto *pendingBar = new QWidget(m_actions);
    auto *pendingRow = new QHBoxLayout(pendingBar);
    auto *chkAllPending = new CheckAllBox(pendingBar);
    chkAllPending->setObjectName(QStringLiteral("chkAllPending"));
    auto *btnArchive = new QPushButton(pendingBar);
    btnArchive->setObjectName(QStringLiteral("btnArchive"));
    auto *btnDeletePending = new QPushButton(pendingBar);
    btnDeletePending->setObjectName(QStringLiteral("btnDeletePending"));
    pendingRow->addWidget(chkAllPending);
    pendingRow->addStretch();
    pendingRow->addWidget(btnArchive);
    pendingRow->addWidget(btnDeletePending);
    auto *archiveBar = new QWidget(m_actions);
    auto *archiveRow = new QHBoxLayout(archiveBar);
    auto *chkAllArchive = new CheckAllBox(archiveBar);
    chkAllArchive->setObjectName(QStringLiteral("chkAllArchive"));
    auto *btnDeleteArchive = new QPushButton(archiveBar);
    btnDeleteArchive->setObjectName(QStringLiteral("btnDeleteArchive"));
    archiveRow->addWidget(chkAllArchive);
    archiveRow->addStretch();
    archiveRow->addWidget(btnDeleteArchive);
    m_actions->addWidget(pendingBar);
    m_actions->addWidget(archiveBar);
    column->addWidget(m_actions);

    m_pending->setCheckAllBox(chkAllPending);
    m_archive->setCheckAllBox(chkAllArchive);
    connect(m_tabs, &QTabWidget::currentChanged, m_actions, &QStackedWidget::setCurrentIndex);
    connect(btnArchive, &QAbstractButton::clicked, this, &RecordedPage::archiveChecked);
    connect(btnDeletePending, &QAbstractButton::clicked, this, &RecordedPage::deletePendingChecked);
    connect(btnDeleteArchive, &QAbstractButton::clicked, this, &RecordedPage::deleteArchiveChecked);
    for (PendingPage *page : {m_pending, m_archive}) {
        connect(page, &CheckableExplorerTable::itemCountChanged, this, &RecordedPage::onCountChanged);
        connect(page, &PendingPage::edit, this, &RecordedPage::edit);
    }
    connect(m_pending, &PendingPage::archive, this, &RecordedPage::doArchive);
    retranslate();
    onCountChanged();
}

void RecordedPage::retranslate()
{
    findChild<QPushButton *>(QStringLiteral("btnArchive"))->setText(tr("Move to archive"));
    findChild<QPushButton *>(QStringLiteral("btnDeletePending"))->setText(tr("Delete"));
    findChild<QPushButton *>(QStringLiteral("btnDeleteArchive"))->setText(tr("Delete"));
    refreshTabTexts();
}

void RecordedPage::refreshTabTexts()
{
    m_tabs->setTabText(0, tr("Pending videos (%1)").arg(m_pending->count()));
    m_tabs->setTabText(1, tr("Archived videos (%1)").arg(m_archive->count()));
}

int RecordedPage::count() const
{
    return m_pending->count() + m_archive->count();
}

void RecordedPage::loadState()
{
    m_pending->loadState();
    m_archive->loadState();
}

void RecordedPage::saveState() const
{
    m_pending->saveState();
    m_archive->saveState();
}

void RecordedPage::onCountChanged()
{
    refreshTabTexts();
    emit itemCountChanged(count());
}

void RecordedPage::doCreateDisplayHandler(const AVAssemblerSptr &assembler)
{
    auto *widget = new RecordedItemWidget(assembler);
    m_pending->adopt(widget);
    connect(widget, &RecordedItemWidget::failed, this, &RecordedPage::onSaveFailed);
    m_pending->addItem(widget);
}

void RecordedPage::onSaveFailed(RecordedItemWidget *widget)
{
    m_pending->removeItem(widget);
    m_pending->saveState();
}

void RecordedPage::moveToArchive(RecordedItemWidget *widget)
{
    widget->setChecked(false);
    m_pending->takeItem(widget);
    m_archive->adopt(widget);
    m_archive->addItem(widget);
}

void RecordedPage::doArchive(RecordedItemWidget *widget)
{
    if (!widget->item())
        return;
    moveToArchive(widget);
    saveState();
}

void RecordedPage::archiveChecked()
{
    bool moved = false;
    for (CheckableItem *item : m_pending->checkedItems()) {
        auto *widget = static_cast<RecordedItemWidget *>(item);
        // One still being saved has no entry to move yet.
        if (widget->item()) {
            moveToArchive(widget);
            moved = true;
        }
    }
    if (moved)
        saveState();
}

void RecordedPage::deleteChecked(PendingPage *page)
{
    bool deleted = false;
    int kept = 0;
    const EncoderThreadQueue *encoding = EncoderThreadQueue::instance();
    for (CheckableItem *item : page->checkedItems()) {
        auto *widget = static_cast<RecordedItemWidget *>(item);
        // Neither one being saved nor one being edited can go.
        if (!widget->item() || widget->item()->status() == RecordedItemStatus::Editing)
            continue;
        // Nor one whose edit waits or runs: the encoder reads its file.
        if (encoding && encoding->isEncoding(widget->item().get())) {
            ++kept;
            continue;
        }
        if (const bc_ret removed = deleteRecordedFiles(*widget->item()); removed.failed())
            logWarn(removed.details(QStringLiteral(": ")));
        page->removeItem(widget);
        deleted = true;
    }
    if (deleted)
        page->saveState();
    if (kept > 0)
        QMessageBox::information(window(), tr("Delete"),
                                 tr("%n of the videos chosen are being encoded or wait to be: they are kept. Delete them "
                                    "once their edits are done.",
                                    nullptr, kept));
}

void RecordedPage::deletePendingChecked()
{
    deleteChecked(m_pending);
}

void RecordedPage::deleteArchiveChecked()
{
    deleteChecked(m_archive);
}
