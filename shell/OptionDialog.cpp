#include "shell/OptionDialog.h"

#include "app/Paths.h"
#include "library/TranslatorManager.h"
#include "library/User.h"
#include "library/WindowConfig.h"
#include "platform/DesktopWindows.h"
#include "ui/LanguageDialog.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QStackedWidget>
#include <QStandardItemModel>
#include <QVBoxLayout>

namespace {

constexpr int kPageRole = Qt::UserRole;
constexpr int kHeaderRole = Qt::UserRole + 1;
constexpr int kMinuteMs = 60000;

} // namespace

OptGeneral::OptGeneral(QWidget *parent)
    : QFrame(parent)
{
    setObjectName(QStringLiteral("OptGeneral"));
    auto *layout = new QVBoxLayout(this);
    m_grpAccount = new QGroupBox(this);
    auto *account = new QHBoxLayout(m_grpAccount);
    m_lblUserName = new QLabel(m_grpAccount);
    m_lblUserName->setObjectName(QStringLiteral("lblUserName"));
    m_lblEditProfile = new QLabel(m_grpAccount);
    m_lblEditProfile->setObjectName(QStringLiteral("lblEditProfile"));
    m_lblEditProfile->setOpenExternalLinks(true);
    account->addWidget(m_lblUserName, 1);
    account->addWidget(m_lblEditProfile);
    m_grpLanguage = new QGroupBox(this);
    auto *language = new QHBoxLayout(m_grpLanguage);
    m_cmbLanguages = new QComboBox(m_grpLanguage);
    m_cmbLanguages->setObjectName(QStringLiteral("cmbLanguages"));
    language->addWidget(m_cmbLanguages);
    language->addStretch(1);
    m_chkAutoStart = new QCheckBox(this);
    m_chkAutoStart->setObjectName(QStringLiteral("chkAutoStart"));
    layout->addWidget(m_grpAccount);
    layout->addWidget(m_grpLanguage);
    layout->addWidget(m_chkAutoStart);
    layout->addStretch(1);

    LanguageDialog::fillLanguages(m_cmbLanguages);
    if (const WindowConfig *settings = WindowConfig::instance())
        m_chkAutoStart->setChecked(settings->autoStart());
    if (const User *user = User::current())
        m_lblUserName->setText(user->info()->username);
    connect(m_cmbLanguages, &QComboBox::currentIndexChanged, this, &OptGeneral::onLangItemChanged);
    retranslate();
}

void OptGeneral::retranslate()
{
    m_grpAccount->setTitle(tr("My account"));
    m_grpLanguage->setTitle(tr("Language"));
    m_chkAutoStart->setText(tr("Automatic startup and login"));
    m_lblEditProfile->setText(QStringLiteral("<a href=\"%1\" style=\"color:#DF0925;text-decoration:none;\">%2</a>")
                                      .arg(serviceUrl(QStringLiteral("/account/info")).toHtmlEscaped(), tr("Edit profile")));
}

void OptGeneral::onLangItemChanged(int index)
{
    setLanguage(m_cmbLanguages->itemData(index).toString());
}

void OptGeneral::save()
{
    if (WindowConfig *settings = WindowConfig::instance())
        settings->setAutoStart(m_chkAutoStart->isChecked());
}

OptRecording::OptRecording(QWidget *parent)
    : QFrame(parent)
{
    setObjectName(QStringLiteral("OptRecording"));
    const auto check = [](const char *name, QWidget *in) {
        auto *box = new QCheckBox(in);
        box->setObjectName(QString::fromLatin1(name));
        return box;
    };
    auto *layout = new QVBoxLayout(this);
    m_grpMode = new QGroupBox(this);
    auto *mode = new QGridLayout(m_grpMode);
    m_rdAutoSelect = new QRadioButton(m_grpMode);
    m_rdAutoSelect->setObjectName(QStringLiteral("rdAutoSelect"));
    m_rdManuSelect = new QRadioButton(m_grpMode);
    m_rdManuSelect->setObjectName(QStringLiteral("rdManuSelect"));
    m_lblAutoExplain = new QLabel(m_grpMode);
    m_lblManuExplain = new QLabel(m_grpMode);
    m_frmAutoSelection = new QFrame(m_grpMode);
    m_frmAutoSelection->setObjectName(QStringLiteral("frmAutoSelection"));
    auto *automatic = new QGridLayout(m_frmAutoSelection);
    m_chkAutoRecord = check("chkAutoRecord", m_frmAutoSelection);
    m_lblMaxTables = new QLabel(m_frmAutoSelection);
    m_spnMaxTables = new QSpinBox(m_frmAutoSelection);
    m_spnMaxTables->setObjectName(QStringLiteral("spnMaxTables"));
    m_spnMaxTables->setRange(WindowConfig::kMinTables, WindowConfig::kMaxTables);
    automatic->addWidget(m_chkAutoRecord, 0, 0, 1, 2);
    automatic->addWidget(m_lblMaxTables, 1, 0);
    automatic->addWidget(m_spnMaxTables, 1, 1);
    m_frmManuSelection = new QFrame(m_grpMode);
    m_frmManuSelection->setObjectName(QStringLiteral("frmManuSelection"));
    auto *manual = new QVBoxLayout(m_frmManuSelection);
    m_chkFromList = check("chkFromList", m_frmManuSelection);
    m_chkAutoPopup = check("chkAutoPopup", m_frmManuSelection);
    manual->addWidget(m_chkFromList);
    manual->addWidget(m_chkAutoPopup);
    mode->addWidget(m_rdAutoSelect, 0, 0);
    mode->addWidget(m_lblAutoExplain, 0, 1);
    mode->addWidget(m_frmAutoSelection, 1, 0, 1, 2);
    mode->addWidget(m_rdManuSelect, 2, 0);
    mode->addWidget(m_lblManuExplain, 2, 1);
    mode->addWidget(m_frmManuSelection, 3, 0, 1, 2);

    m_grpRecording = new QGroupBox(this);
    auto *recording = new QGridLayout(m_grpRecording);
    m_lblRecordLast = new QLabel(m_grpRecording);
    m_spnMaxDuration = new QSpinBox(m_grpRecording);
    m_spnMaxDuration->setObjectName(QStringLiteral("spnMaxDuration"));
    m_spnMaxDuration->setRange(1, WindowConfig::kMaxRecordedDuration / kMinuteMs);
    m_lblMinutes = new QLabel(m_grpRecording);
    m_chkRecordOverlay = check("chkRecordOverlay", m_grpRecording);
    m_chkSaveOnClose = check("chkSaveOnClose", m_grpRecording);
    m_lblOverlayNote = new QLabel(m_grpRecording);
    m_lblOverlayNote->setObjectName(QStringLiteral("lblOverlayNote"));
    m_lblOverlayNote->setWordWrap(true);
    // XWayland's screen holds no pictures: tables can only be read from their own content.
    const bool xwayland = desktop::isXWayland();
    m_chkRecordOverlay->setEnabled(!xwayland);
    m_lblOverlayNote->setVisible(xwayland);
    recording->addWidget(m_lblRecordLast, 0, 0);
    recording->addWidget(m_spnMaxDuration, 0, 1);
    recording->addWidget(m_lblMinutes, 0, 2);
    recording->setColumnStretch(3, 1);
    recording->addWidget(m_chkRecordOverlay, 1, 0, 1, 4);
    recording->addWidget(m_lblOverlayNote, 2, 0, 1, 4);
    recording->addWidget(m_chkSaveOnClose, 3, 0, 1, 4);

    m_grpDisplay = new QGroupBox(this);
    auto *display = new QVBoxLayout(m_grpDisplay);
    m_chkTimeWatcher = check("chkTimeWatcher", m_grpDisplay);
    m_chkTranspareRecorder = check("chkTranspareRecorder", m_grpDisplay);
    display->addWidget(m_chkTimeWatcher);
    display->addWidget(m_chkTranspareRecorder);
    layout->addWidget(m_grpMode);
    layout->addWidget(m_grpRecording);
    layout->addWidget(m_grpDisplay);
    layout->addStretch(1);

    connect(m_rdAutoSelect, &QRadioButton::toggled, this, &OptRecording::onAutoModeToggled);
    if (const WindowConfig *settings = WindowConfig::instance())
        connect(settings, &WindowConfig::autoDetectionChanged, this, &OptRecording::onAutoDetectionChanged);
    load();
    retranslate();
}

void OptRecording::load()
{
    const WindowConfig *settings = WindowConfig::instance();
    if (!settings)
        return;
    (settings->autoDetection() ? m_rdAutoSelect : m_rdManuSelect)->setChecked(true);
    onAutoModeToggled(settings->autoDetection());
    m_chkAutoRecord->setChecked(settings->autoRecord());
    m_spnMaxTables->setValue(settings->maxTables());
    m_chkFromList->setChecked(settings->selectWindowFromList());
    m_chkAutoPopup->setChecked(settings->popupSelectionTool());
    m_spnMaxDuration->setValue(settings->maxRecordedDuration() / kMinuteMs);
    m_chkRecordOverlay->setChecked(settings->recordOverlayWindows());
    m_chkSaveOnClose->setChecked(settings->saveOnClose());
    m_chkTimeWatcher->setChecked(settings->showTimeWatcher());
    m_chkTranspareRecorder->setChecked(settings->transpareRecorder());
}

void OptRecording::retranslate()
{
    m_grpMode->setTitle(tr("Table selection mode"));
    m_rdAutoSelect->setText(tr("Automatic"));
    m_rdManuSelect->setText(tr("Manual"));
    m_lblAutoExplain->setText(tr("The easy way to record hands"));
    m_lblManuExplain->setText(tr("Useful for Hand Histories or full screen recordings"));
    m_chkAutoRecord->setText(tr("Automatically start the recording"));
    m_lblMaxTables->setText(tr("Maximum number of tables at the same time"));
    m_chkFromList->setText(tr("Select table from a list"));
    m_chkAutoPopup->setText(tr("Pop-up the selection tool whenever a new table is opened"));
    m_grpRecording->setTitle(tr("Recording options"));
    m_lblRecordLast->setText(tr("Record the last"));
    m_lblMinutes->setText(tr("minute(s)"));
    m_chkRecordOverlay->setText(tr("Record what is drawn over the table, such as a tracker's display (when a compositing manager is running)"));
    m_lblOverlayNote->setText(tr("On this Wayland desktop a table is always recorded from its own picture: "
                                 "windows lying over it are not recorded."));
    m_chkSaveOnClose->setText(tr("Automatically save a video on close of the table"));
    m_grpDisplay->setTitle(tr("Recorder display options"));
    m_chkTimeWatcher->setText(tr("Display stopwatch"));
    m_chkTranspareRecorder->setText(tr("Make the whole recorder transparent"));
}

void OptRecording::onAutoModeToggled(bool automatic)
{
    m_frmAutoSelection->setEnabled(automatic);
    m_frmManuSelection->setEnabled(!automatic);
}

void OptRecording::onAutoDetectionChanged(bool automatic)
{
    QRadioButton *matching = automatic ? m_rdAutoSelect : m_rdManuSelect;
    if (!matching->isChecked())
        matching->setChecked(true);
}

void OptRecording::save()
{
    WindowConfig *settings = WindowConfig::instance();
    if (!settings)
        return;
    settings->setAutoDetection(m_rdAutoSelect->isChecked());
    settings->setAutoRecord(m_chkAutoRecord->isChecked());
    settings->setMaxTables(m_spnMaxTables->value());
    settings->setSelectWindowFromList(m_chkFromList->isChecked());
    settings->setPopupSelectionTool(m_chkAutoPopup->isChecked());
    settings->setMaxRecordedDuration(m_spnMaxDuration->value() * kMinuteMs);
    settings->setRecordOverlayWindows(m_chkRecordOverlay->isChecked());
    settings->setSaveOnClose(m_chkSaveOnClose->isChecked());
    settings->setShowTimeWatcher(m_chkTimeWatcher->isChecked());
    settings->setTranspareRecorder(m_chkTranspareRecorder->isChecked());
}

OptionDialog::OptionDialog(QWidget *parent)
    // In the recorder tool's layer: opened from it or beside it, it comes out on top.
    : QFrame(parent, Qt::Window | Qt::WindowStaysOnTopHint)
{
    setObjectName(QStringLiteral("OptionDialog"));
    setAttribute(Qt::WA_QuitOnClose, false);
    auto *layout = new QGridLayout(this);
    m_tree = new QTreeView(this);
    m_tree->setObjectName(QStringLiteral("tree"));
    m_tree->setHeaderHidden(true);
    m_tree->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_tree->setMaximumWidth(160);
    m_model = new QStandardItemModel(this);
    m_tree->setModel(m_model);
    m_lblOptionHeader = new QLabel(this);
    m_lblOptionHeader->setObjectName(QStringLiteral("lblOptionHeader"));
    m_stack = new QStackedWidget(this);
    m_stack->setObjectName(QStringLiteral("stack"));
    m_btnOK = new QPushButton(this);
    m_btnOK->setObjectName(QStringLiteral("btnOK"));
    m_btnCancel = new QPushButton(this);
    m_btnCancel->setObjectName(QStringLiteral("btnCancel"));
    m_btnApply = new QPushButton(this);
    m_btnApply->setObjectName(QStringLiteral("btnApply"));
    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(m_btnOK);
    buttons->addWidget(m_btnCancel);
    buttons->addWidget(m_btnApply);
    layout->addWidget(m_tree, 0, 0, 2, 1);
    layout->addWidget(m_lblOptionHeader, 0, 1);
    layout->addWidget(m_stack, 1, 1);
    layout->addLayout(buttons, 2, 0, 1, 2);
    layout->setColumnStretch(1, 1);

    m_general = new OptGeneral(this);
    m_recording = new OptRecording(this);
    m_detection = new OptDetection(this);
    m_audio = new OptAudio(this);
    for (QWidget *page : {static_cast<QWidget *>(m_general), static_cast<QWidget *>(m_recording),
                          static_cast<QWidget *>(m_detection), static_cast<QWidget *>(m_audio)}) {
        page->hide();
        auto *item = new QStandardItem;
        item->setData(QVariant::fromValue(page), kPageRole);
        m_model->appendRow(item);
    }
    connectLangChanged(this, &OptionDialog::retranslate);
    connectLangChanged(m_general, &OptGeneral::retranslate);
    connectLangChanged(m_recording, &OptRecording::retranslate);
    connectLangChanged(m_detection, &OptDetection::retranslate);
    connectLangChanged(m_audio, &OptAudio::retranslate);
    retranslate();
    m_tree->expandAll();
    connect(m_tree->selectionModel(), &QItemSelectionModel::currentChanged, this, &OptionDialog::onCurrentChanged);
    m_tree->setCurrentIndex(m_model->index(1, 0));

    connect(m_btnOK, &QAbstractButton::clicked, this, &OptionDialog::saveAll);
    connect(m_btnOK, &QAbstractButton::clicked, this, &QWidget::close);
    connect(m_btnApply, &QAbstractButton::clicked, this, &OptionDialog::saveAll);
    connect(m_btnCancel, &QAbstractButton::clicked, this, &QWidget::close);
    resize(760, 560);
}

void OptionDialog::retranslate()
{
    setWindowTitle(tr("Options"));
    m_btnOK->setText(tr("OK"));
    m_btnCancel->setText(tr("Cancel"));
    m_btnApply->setText(tr("Apply"));
    const QList<QPair<QString, QString>> texts{{tr("General"), tr("General Settings")},
                                               {tr("Recording"), tr("Recording Options")},
                                               {tr("Detection"), tr("Table Detection")},
                                               {tr("Audio"), tr("Audio Configuration")}};
    for (int row = 0; row < texts.size(); ++row) {
        QStandardItem *item = m_model->item(row);
        item->setText(texts.at(row).first);
        item->setData(texts.at(row).second, kHeaderRole);
    }
    m_lblOptionHeader->setText(m_model->data(m_tree->currentIndex(), kHeaderRole).toString());
}

void OptionDialog::onCurrentChanged(const QModelIndex &index)
{
    auto *page = m_model->data(index, kPageRole).value<QWidget *>();
    if (!page)
        return;
    if (m_stack->indexOf(page) < 0)
        m_stack->addWidget(page);
    m_stack->setCurrentWidget(page);
    m_lblOptionHeader->setText(m_model->data(index, kHeaderRole).toString());
}

QString OptionDialog::currentHeader() const
{
    return m_lblOptionHeader->text();
}

QWidget *OptionDialog::currentPage() const
{
    return m_stack->currentWidget();
}

void OptionDialog::saveAll()
{
    m_general->save();
    m_recording->save();
    m_detection->save();
    m_audio->save();
    if (WindowConfig *settings = WindowConfig::instance())
        settings->delaySave();
}

void OptionDialog::closeEvent(QCloseEvent *event)
{
    QFrame::closeEvent(event);
    emit closed();
}
