#include "ui/EditedPage.h"

#include "app/Log.h"
#include "library/ListFile.h"
#include "media/FrameDecoder.h"
#include "net/HttpConnection.h"
#include "net/VideoUpload.h"
#include "ui/Translated.h"

#include <QDesktopServices>
#include <QEvent>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QStackedWidget>
#include <QUrl>
#include <QVBoxLayout>

namespace {

constexpr QSize kThumbnailSize{120, 90};
// Network failures are tried again, further and further apart (a quarter of an hour in all);
// a refusal is shown at once.
constexpr int kUploadRetries = 20;

enum Page { PageStatus = 0, PageButton = 1, PageProgress = 2, PageActivate = 3 };

QLabel *factLabel(const QString &name, QWidget *parent)
{
    auto *label = new QLabel(parent);
    label->setObjectName(name);
    return label;
}

// The edit's own entry, before its file exists: what it is and where it came from.
StoredItemSptr storedItemFor(const EditedItem &edit)
{
    auto item = std::make_shared<StoredItem>();
    item->uploadParams = edit.params;
    item->addedDate = edit.source ? edit.source->date : QDateTime::currentDateTime();
    item->editedDate = edit.editedDate.isValid() ? edit.editedDate : QDateTime::currentDateTime();
    item->duration = edit.endMs - edit.startMs;
    if (edit.source && edit.source->info) {
        bc_ret ignored;
        item->thumbnail = grabFrame(edit.source->info->fileName, edit.startMs, kThumbnailSize, ignored);
        if (!item->thumbnail.isNull())
            item->thumbnailFile = saveThumbnail(item->thumbnail);
    }
    return item;
}

} // namespace

EditedItemWidget::EditedItemWidget(const StoredItemSptr &item, QWidget *parent)
    : CheckableItem(parent)
    , m_item(item)
{
    buildForm();
    showFacts();
    setState(item->status == StoredItem::Uploaded ? State::Uploaded : State::Encoded);
}

EditedItemWidget::EditedItemWidget(const EncoderThreadSptr &encoder, bool toUpload, QWidget *parent)
    : CheckableItem(parent)
    , m_item(storedItemFor(*encoder->editedItem()))
    , m_encoder(encoder)
    , m_uploadWhenEncoded(toUpload)
{
    buildForm();
    showFacts();
    setState(State::Queued);
    connect(encoder.get(), &EncoderThread::encodeStarted, this, &EditedItemWidget::onEncodeStarted);
    connect(encoder.get(), &EncoderThread::encodeProgress, this, &EditedItemWidget::onEncodeProgress);
    connect(encoder.get(), &EncoderThread::encodeFinished, this, &EditedItemWidget::onEncodeFinished);
}

void EditedItemWidget::buildForm()
{
    setObjectName(QStringLiteral("EditedItemWidget"));
    setFrameShape(QFrame::Box);
    auto *row = new QHBoxLayout(this);
    row->addWidget(m_chkSelect);
    m_thumbnail = factLabel(QStringLiteral("thumbnail"), this);
    m_thumbnail->setFixedSize(kThumbnailSize);
    m_thumbnail->setAlignment(Qt::AlignCenter);
    row->addWidget(m_thumbnail);
    auto *facts = new QGridLayout;
    m_lblTitle = factLabel(QStringLiteral("lblTitle"), this);
    facts->addWidget(m_lblTitle, 0, 0, 1, 2);
    const QList<QPair<const char *, QLabel **>> rows{{QT_TRANSLATE_NOOP("EditedItemWidget", "Added:"), &m_lblAdded},
                                                    {QT_TRANSLATE_NOOP("EditedItemWidget", "Edited:"), &m_lblEdited},
                                                    {QT_TRANSLATE_NOOP("EditedItemWidget", "Duration:"), &m_lblDuration},
                                                    {QT_TRANSLATE_NOOP("EditedItemWidget", "File size:"), &m_lblFileSize},
                                                    {QT_TRANSLATE_NOOP("EditedItemWidget", "Links:"), &m_lblLinks}};
    const QStringList names{QStringLiteral("lblAdded"), QStringLiteral("lblEdited"), QStringLiteral("lblDuration"),
                            QStringLiteral("lblFileSize"), QStringLiteral("lblLinks")};
    for (int i = 0; i < rows.size(); ++i) {
        auto *name = new QLabel(this);
        setTranslatedText(name, "EditedItemWidget", rows.at(i).first);
        facts->addWidget(name, i + 1, 0);
        *rows.at(i).second = factLabel(names.at(i), this);
        facts->addWidget(*rows.at(i).second, i + 1, 1);
    }
    m_lblLinks->setTextFormat(Qt::RichText);
    m_lblLinks->setOpenExternalLinks(true);
    m_lblUploadError = factLabel(QStringLiteral("lblUploadError"), this);
    m_lblUploadError->setWordWrap(true);
    m_lblUploadError->setTextFormat(Qt::PlainText);
    m_lblUploadError->setStyleSheet(QStringLiteral("color: #E05050;"));
    m_lblUploadError->hide();
    facts->addWidget(m_lblUploadError, rows.size() + 1, 0, 1, 2);
    facts->setColumnStretch(1, 1);
    row->addLayout(facts, 1);

    auto *side = new QVBoxLayout;
    auto *statusRow = new QHBoxLayout;
    m_lblStatusIcon = factLabel(QStringLiteral("lblStatusIcon"), this);
    m_lblStatus = factLabel(QStringLiteral("lblStatus"), this);
    statusRow->addWidget(m_lblStatusIcon);
    statusRow->addWidget(m_lblStatus, 1);
    side->addLayout(statusRow);
    m_stack = new QStackedWidget(this);
    m_stack->setFixedWidth(170);
    m_lblPageStatus = factLabel(QStringLiteral("pageStatus"), m_stack);
    m_btnUpload = new QPushButton(m_stack);
    m_btnUpload->setObjectName(QStringLiteral("btnUpload"));
    m_lblUploadButton = new QLabel(m_btnUpload);
    auto *uploadLayout = new QVBoxLayout(m_btnUpload);
    uploadLayout->addWidget(m_lblUploadButton);
    m_lblUploadButton->setAttribute(Qt::WA_TransparentForMouseEvents);
    m_btnUpload->setMinimumHeight(48);
    m_prgEncodeUpload = new QProgressBar(m_stack);
    m_prgEncodeUpload->setObjectName(QStringLiteral("prgEncodeUpload"));
    m_prgEncodeUpload->setRange(0, 100);
    m_btnActivate = new QPushButton(m_stack);
    m_btnActivate->setObjectName(QStringLiteral("btnActivate"));
    m_lblActivate = new QLabel(m_btnActivate);
    auto *activateLabel = m_lblActivate;
    activateLabel->setAttribute(Qt::WA_TransparentForMouseEvents);
    auto *activateLayout = new QVBoxLayout(m_btnActivate);
    activateLayout->addWidget(activateLabel);
    m_btnActivate->setMinimumHeight(40);
    m_stack->addWidget(m_lblPageStatus);
    m_stack->addWidget(m_btnUpload);
    m_stack->addWidget(m_prgEncodeUpload);
    m_stack->addWidget(m_btnActivate);
    side->addWidget(m_stack);
    row->addLayout(side);
    connect(m_btnUpload, &QAbstractButton::clicked, this, &EditedItemWidget::doUpload);
    connect(m_btnActivate, &QAbstractButton::clicked, this, &EditedItemWidget::onActivate);
}

void EditedItemWidget::showFacts()
{
    if (!m_item->thumbnail.isNull())
        m_thumbnail->setPixmap(m_item->thumbnail.scaled(kThumbnailSize, Qt::KeepAspectRatio, Qt::SmoothTransformation));
    m_lblTitle->setText(m_item->uploadParams ? m_item->uploadParams->videoTitle : QString());
    m_lblAdded->setText(dateText(m_item->addedDate));
    m_lblEdited->setText(dateText(m_item->editedDate));
    m_lblDuration->setText(durationText(m_item->duration));
    const QString file = m_item->encodedItem ? m_item->encodedItem->fileName : QString();
    m_lblFileSize->setText(file.isEmpty() ? QString() : fileSizeText(QFileInfo(file).size()));
    if (m_item->status == StoredItem::Uploaded && !m_item->uploadKey.isEmpty()) {
        // Link blue on the list's light grey: plainly links, and readable.
        const QString style = QStringLiteral("style=\"color:%1;\"").arg(QLatin1String(kLinkColour));
        m_lblLinks->setText(
                QStringLiteral("<span style=\"color:#555555\"><a %1 href=\"%2\">%3</a> - <a %1 href=\"%4\">%5</a></span>")
                        .arg(style, videoPageUrl(m_item->uploadKey).toHtmlEscaped(), tr("Public page"),
                             videoEditUrl(m_item->uploadKey).toHtmlEscaped(), tr("Edit page")));
    } else {
        m_lblLinks->clear();
    }
}

QString EditedItemWidget::statusText() const
{
    return m_lblStatus->text();
}

void EditedItemWidget::setState(State state)
{
    m_state = state;
    m_lblStatusIcon->clear();
    const bool failed = state == State::UploadFailed;
    const QString action = failed ? tr("Try again") : tr("Upload now");
    m_lblUploadButton->setText(QStringLiteral("<center>%1<div style=\"font:12pt;font-weight:900;\">%2</div></center>")
                                       .arg(tr("Not uploaded"), action));
    m_lblActivate->setText(QStringLiteral("<center><span style=\"font:12pt;font-weight:900;\">%1</span></center>")
                                   .arg(tr("Activate now")));
    // The words are a picture of a label: said to screen readers by name.
    m_btnUpload->setAccessibleName(action);
    m_lblUploadError->setVisible(failed);
    m_lblUploadError->setText(failed ? tr("The upload failed: %1").arg(m_uploadError) : QString());
    switch (state) {
    case State::Queued:
        m_lblStatus->setText(tr("Queued"));
        m_lblPageStatus->setText(tr("Queued"));
        m_stack->setCurrentIndex(PageStatus);
        break;
    case State::Encoding:
        m_lblStatus->setText(tr("Encoding"));
        m_prgEncodeUpload->setFormat(tr("Encoding %p%"));
        m_stack->setCurrentIndex(PageProgress);
        break;
    case State::EncodeFailed:
        m_lblStatus->setText(tr("Encode failed"));
        m_lblPageStatus->setText(tr("Encode failed"));
        m_stack->setCurrentIndex(PageStatus);
        break;
    case State::Encoded:
        m_lblStatus->setText(tr("Encoded"));
        m_stack->setCurrentIndex(PageButton);
        break;
    case State::Uploading:
        m_lblStatus->setText(tr("Uploading"));
        m_prgEncodeUpload->setFormat(tr("Uploading %p%"));
        m_stack->setCurrentIndex(PageProgress);
        break;
    case State::UploadFailed:
        m_lblStatus->setText(tr("Upload failed"));
        m_stack->setCurrentIndex(PageButton);
        break;
    case State::Uploaded:
        m_lblStatus->setText(tr("Uploaded"));
        m_lblStatusIcon->setPixmap(QPixmap(QStringLiteral(":/images/check.png")));
        m_stack->setCurrentIndex(PageActivate);
        break;
    }
    showFacts();
}

void EditedItemWidget::setProgress(int percent)
{
    m_progress = percent;
    if (percent >= 0)
        m_prgEncodeUpload->setValue(percent);
    emit progressChanged();
}

void EditedItemWidget::onEncodeStarted()
{
    setState(State::Encoding);
    setProgress(0);
}

void EditedItemWidget::onEncodeProgress(int percent)
{
    setProgress(percent);
}

void EditedItemWidget::onEncodeFinished(const EncodedItemSptr &encodedItem, const QString &msg)
{
    m_encoder.reset();
    if (!encodedItem) {
        logError(QStringLiteral("Encoding failed: %1").arg(msg));
        setState(State::EncodeFailed);
        setProgress(-1);
        return;
    }
    m_prgEncodeUpload->setValue(100);
    m_item->encodedItem = encodedItem;
    m_item->status = StoredItem::Encoded;
    setState(State::Encoded);
    setProgress(-1);
    emit changed();
    if (m_uploadWhenEncoded)
        doUpload();
}

void EditedItemWidget::doUpload()
{
    if (!canUpload() || !m_item->encodedItem)
        return;
    m_uploadError.clear();
    auto *request = new VideoUploadRequest(m_item->encodedItem);
    connect(request, &HttpPostRequest::uploadProgress, this, &EditedItemWidget::onUploadProgress);
    connect(request, &VideoUploadRequest::uploadFinished, this, &EditedItemWidget::onUploadFinished);
    setState(State::Uploading);
    setProgress(0);
    HttpConnection::post(request, kUploadRetries, 0, RetryDelays::Growing);
}

void EditedItemWidget::onUploadProgress(qint64 sent, qint64 total)
{
    if (total > 0)
        setProgress(int(sent * 100 / total));
}

void EditedItemWidget::onUploadFinished(const bc_ret &ret, const QString &uploadKey)
{
    if (ret.failed()) {
        logError(QStringLiteral("Upload error: %1").arg(ret.details(QStringLiteral(": "))));
        m_uploadError = ret.messages(QStringLiteral(": "));
        setState(State::UploadFailed);
        setProgress(-1);
        return;
    }
    m_item->status = StoredItem::Uploaded;
    m_item->uploadKey = uploadKey;
    setState(State::Uploaded);
    setProgress(-1);
    emit changed();
}

void EditedItemWidget::onActivate()
{
    if (m_item->uploadKey.isEmpty())
        return;
    const QString address = videoEditUrl(m_item->uploadKey);
    if (QDesktopServices::openUrl(QUrl(address)))
        return;
    // No browser here: the address, to be copied into one.
    auto *box = new QMessageBox(QMessageBox::Information, tr("Activate now"),
                                tr("No web browser could be opened. Open this address in your browser to activate "
                                   "your video:") + QStringLiteral("\n\n") + address,
                                QMessageBox::Ok, window());
    box->setObjectName(QStringLiteral("activateAddressBox"));
    box->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->open();
}

void EditedItemWidget::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::LanguageChange)
        setState(m_state);
    CheckableItem::changeEvent(event);
}

EditedPage::EditedPage(const QString &editedList, QWidget *parent)
    : QWidget(parent)
    , m_listFile(editedList)
{
    setObjectName(QStringLiteral("EditedPage"));
    auto *column = new QVBoxLayout(this);
    m_lblHeader = new QLabel(this);
    column->addWidget(m_lblHeader);
    m_table = new CheckableExplorerTable(this);
    column->addWidget(m_table, 1);
    auto *bar = new QHBoxLayout;
    auto *chkAll = new CheckAllBox(this);
    chkAll->setObjectName(QStringLiteral("chkAll"));
    auto *btnUploadSelect = new QPushButton(this);
    btnUploadSelect->setObjectName(QStringLiteral("btnUploadSelect"));
    auto *btnDelete = new QPushButton(this);
    btnDelete->setObjectName(QStringLiteral("btnDelete"));
    bar->addWidget(chkAll);
    bar->addStretch();
    bar->addWidget(btnUploadSelect);
    bar->addWidget(btnDelete);
    column->addLayout(bar);
    m_table->setCheckAllBox(chkAll);
    connect(btnUploadSelect, &QAbstractButton::clicked, this, &EditedPage::uploadChecked);
    connect(btnDelete, &QAbstractButton::clicked, this, &EditedPage::deleteChecked);
    connect(m_table, &CheckableExplorerTable::doUpdateXml, this, &EditedPage::saveState);
    connect(m_table, &CheckableExplorerTable::itemCountChanged, this, [this](int n) {
        m_lblHeader->setText(tr("Edited videos (%1)").arg(n));
        emit itemCountChanged(n);
    });
    retranslate();
}

void EditedPage::retranslate()
{
    findChild<QPushButton *>(QStringLiteral("btnUploadSelect"))->setText(tr("Upload"));
    findChild<QPushButton *>(QStringLiteral("btnDelete"))->setText(tr("Delete"));
    m_lblHeader->setText(tr("Edited videos (%1)").arg(m_table->count()));
}

QList<EditedItemWidget *> EditedPage::widgets() const
{
    QList<EditedItemWidget *> all;
    for (CheckableItem *item : m_table->items())
        all.append(static_cast<EditedItemWidget *>(item));
    return all;
}

void EditedPage::adopt(EditedItemWidget *widget)
{
    connect(widget, &EditedItemWidget::changed, m_table, &CheckableExplorerTable::doUpdateXml);
    connect(widget, &EditedItemWidget::progressChanged, this, &EditedPage::updateTotalProgress);
    m_table->addItem(widget);
}

void EditedPage::loadState()
{
    for (const StoredItemSptr &item : loadList<StoredItem>(m_listFile, &m_writable))
        adopt(new EditedItemWidget(item));
}

void EditedPage::saveState() const
{
    // A damaged list that could not be moved aside is never overwritten.
    if (!m_writable)
        return;
    QList<StoredItemSptr> items;
    for (EditedItemWidget *widget : widgets())
        items.append(widget->item());
    // Entries still encoding write nothing: they are not kept.
    if (const bc_ret saved = saveList(m_listFile, items); saved.failed())
        logError(saved.details(QStringLiteral(": ")));
}

void EditedPage::doCreateDisplayHandler(const EncoderThreadSptr &encoder, bool toUpload)
{
    adopt(new EditedItemWidget(encoder, toUpload));
}

void EditedPage::uploadChecked()
{
    for (EditedItemWidget *widget : widgets()) {
        if (widget->isChecked() && widget->canUpload())
            widget->doUpload();
    }
}

void EditedPage::deleteChecked()
{
    bool deleted = false;
    for (EditedItemWidget *widget : widgets()) {
        // One still encoding or uploading has its file in use.
        if (!widget->isChecked() || widget->progress() >= 0 || widget->state() == EditedItemWidget::State::Queued)
            continue;
        if (const bc_ret removed = deleteStoredFiles(*widget->item()); removed.failed())
            logWarn(removed.details(QStringLiteral(": ")));
        m_table->removeItem(widget);
        deleted = true;
    }
    if (deleted)
        saveState();
    updateTotalProgress();
}

void EditedPage::updateTotalProgress()
{
    int done = 0;
    int running = 0;
    for (EditedItemWidget *widget : widgets()) {
        if (widget->progress() >= 0) {
            done += widget->progress();
            ++running;
        }
    }
    emit totalProgress(done, running * 100);
}
