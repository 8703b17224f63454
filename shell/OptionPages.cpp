// The "Detection" and "Audio" pages of the options.
#include "app/Log.h"
#include "detection/Rooms.h"
#include "library/WindowConfig.h"
#include "platform/AudioWatcher.h"
#include "shell/OptionDialog.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QStackedWidget>
#include <QStandardItemModel>
#include <QVBoxLayout>

namespace {

constexpr int kRoomRole = Qt::UserRole;
constexpr int kPathRole = Qt::UserRole + 1;
constexpr int kSourceRole = Qt::UserRole;

RoomMgmt *roomList()
{
    const DetectionManager *manager = DetectionManager::instance();
    return manager ? manager->rooms() : nullptr;
}

QString roomName(int id)
{
    if (id == Detection::kUnlistedRoom)
        return QCoreApplication::translate("OptDetection", "Not listed");
    const RoomSptr room = roomList() ? roomList()->roomById(id) : nullptr;
    return room ? room->name : QString();
}

} // namespace

PrivEditor::PrivEditor(QWidget *parent)
    : RoomBox(roomList(), parent)
{
    setObjectName(QStringLiteral("PrivEditor"));
    // A cell is narrower than the longest room name.
    setMinimumWidth(0);
    setAutoFillBackground(true);
}

QWidget *PrivDelegate::createEditor(QWidget *parent, const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    if (index.column() != PrivTreeView::RoomColumn)
        return QStyledItemDelegate::createEditor(parent, option, index);
    return new PrivEditor(parent);
}

void PrivDelegate::setEditorData(QWidget *editor, const QModelIndex &index) const
{
    if (auto *rooms = qobject_cast<PrivEditor *>(editor)) {
        const int id = index.data(kRoomRole).toInt();
        rooms->setText(id > 0 ? roomName(id) : QString());
    } else
        QStyledItemDelegate::setEditorData(editor, index);
}

void PrivDelegate::setModelData(QWidget *editor, QAbstractItemModel *model, const QModelIndex &index) const
{
    if (auto *rooms = qobject_cast<PrivEditor *>(editor)) {
        // Text that is no room changes nothing; no text at all means "not listed".
        const RoomSptr room = roomList() ? roomList()->roomByName(rooms->matchedText()) : nullptr;
        if (!room && !rooms->text().trimmed().isEmpty())
            return;
        const int id = room ? room->id : Detection::kUnlistedRoom;
        model->setData(index, roomName(id), Qt::DisplayRole);
        model->setData(index, id, kRoomRole);
    } else {
        QStyledItemDelegate::setModelData(editor, model, index);
    }
}

PrivTreeView::PrivTreeView(QWidget *parent)
    : QTreeView(parent)
{
    setObjectName(QStringLiteral("list"));
    setRootIsDecorated(false);
    setItemDelegate(new PrivDelegate(this));
    setEditTriggers(QAbstractItemView::AllEditTriggers);
}

OptDetection::OptDetection(QWidget *parent)
    : QFrame(parent)
{
    setObjectName(QStringLiteral("OptDetection"));
    auto *layout = new QVBoxLayout(this);
    m_grpDetection = new QGroupBox(this);
    auto *group = new QVBoxLayout(m_grpDetection);
    m_lblExplain = new QLabel(m_grpDetection);
    m_lblExplain->setWordWrap(true);
    m_list = new PrivTreeView(m_grpDetection);
    m_model = new QStandardItemModel(0, 4, this);
    m_list->setModel(m_model);
    group->addWidget(m_lblExplain);
    group->addWidget(m_list, 1);
    layout->addWidget(m_grpDetection);
    if (const DetectionManager *manager = DetectionManager::instance())
        connect(manager, &DetectionManager::updated, this, &OptDetection::load);
    load();
    retranslate();
}

void OptDetection::retranslate()
{
    m_grpDetection->setTitle(tr("Manage automatic detection"));
    m_lblExplain->setText(tr("Brindlecast builds a personnal list of programs detected as Poker rooms. If you don't want a "
                             "specific program to be automatically selected, you can uncheck it here."));
    m_model->setHorizontalHeaderLabels({tr("Process"), tr("Path"), tr("Recordable"), tr("Room")});
}

void OptDetection::load()
{
    m_model->removeRows(0, m_model->rowCount());
    const DetectionManager *manager = DetectionManager::instance();
    if (!manager)
        return;
    for (const DetectionSptr &detection : manager->detections()) {
        auto *process = new QStandardItem(detection->exeName());
        process->setEditable(false);
        process->setData(detection->exePath(), kPathRole);
        auto *path = new QStandardItem(detection->exePath());
        path->setEditable(false);
        auto *recordable = new QStandardItem;
        recordable->setCheckable(true);
        recordable->setEditable(false);
        recordable->setCheckState(detection->recordable() ? Qt::Checked : Qt::Unchecked);
        auto *room = new QStandardItem(roomName(detection->room()));
        room->setData(detection->room(), kRoomRole);
        m_model->appendRow({process, path, recordable, room});
    }
    m_list->resizeColumnToContents(PrivTreeView::ProcessColumn);
}

void OptDetection::save()
{
    DetectionManager *manager = DetectionManager::instance();
    if (!manager)
        return;
    // Reading the rows first: a change reported by the manager reloads them.
    QList<std::tuple<DetectionSptr, bool, int>> rows;
    for (int row = 0; row < m_model->rowCount(); ++row) {
        const DetectionSptr detection = manager->lookup(m_model->item(row, PrivTreeView::ProcessColumn)->data(kPathRole).toString());
        if (!detection)
            continue;
        rows.append({detection, m_model->item(row, PrivTreeView::RecordableColumn)->checkState() == Qt::Checked,
                     m_model->item(row, PrivTreeView::RoomColumn)->data(kRoomRole).toInt()});
    }
    for (const auto &[detection, recordable, room] : rows) {
        detection->setRecordable(recordable);
        detection->setRoom(room);
    }
}

OptAudio::OptAudio(QWidget *parent)
    : QFrame(parent)
{
    setObjectName(QStringLiteral("OptAudio"));
    auto *layout = new QVBoxLayout(this);
    m_grpAudio = new QGroupBox(this);
    auto *audio = new QVBoxLayout(m_grpAudio);
    m_chkRecordAudio = new QCheckBox(m_grpAudio);
    m_chkRecordAudio->setObjectName(QStringLiteral("chkRecordAudio"));
    m_chkAutoConfigAudio = new QCheckBox(m_grpAudio);
    m_chkAutoConfigAudio->setObjectName(QStringLiteral("chkAutoConfigAudio"));
    m_grpDevices = new QGroupBox(m_grpAudio);
    auto *devices = new QHBoxLayout(m_grpDevices);
    m_lstDevices = new QListWidget(m_grpDevices);
    m_lstDevices->setObjectName(QStringLiteral("lstDevices"));
    m_stkDeviceDetails = new QStackedWidget(m_grpDevices);
    m_stkDeviceDetails->setObjectName(QStringLiteral("stkDeviceDetails"));
    devices->addWidget(m_lstDevices, 1);
    devices->addWidget(m_stkDeviceDetails, 1);
    m_btnQuickSet = new QPushButton(m_grpAudio);
    m_btnQuickSet->setObjectName(QStringLiteral("btnQuickSet"));
    m_lblNote = new QLabel(m_grpAudio);
    m_lblNote->setWordWrap(true);
    audio->addWidget(m_chkRecordAudio);
    audio->addWidget(m_chkAutoConfigAudio);
    audio->addWidget(m_grpDevices, 1);
    audio->addWidget(m_btnQuickSet, 0, Qt::AlignLeft);
    audio->addWidget(m_lblNote);
    layout->addWidget(m_grpAudio);

    if (const WindowConfig *settings = WindowConfig::instance()) {
        m_chkRecordAudio->setChecked(settings->recordAudio());
        m_chkAutoConfigAudio->setChecked(settings->autoConfigAudio());
    }
    onAutoConfigAudioToggled(m_chkAutoConfigAudio->isChecked());
    connect(m_chkAutoConfigAudio, &QCheckBox::toggled, this, &OptAudio::onAutoConfigAudioToggled);
    connect(m_lstDevices, &QListWidget::currentItemChanged, this, &OptAudio::onDeviceChanged);
    connect(m_btnQuickSet, &QAbstractButton::clicked, this, &OptAudio::quickSetVolume);
    m_watcher = new AudioWatcher(this);
    connect(m_watcher, &AudioWatcher::sourcesChanged, this, &OptAudio::refresh);
    refresh();
    retranslate();
}

void OptAudio::retranslate()
{
    m_grpAudio->setTitle(tr("Audio recording options"));
    m_chkRecordAudio->setText(tr("Record audio"));
    m_chkAutoConfigAudio->setText(tr("Use system configuration of audio recording devices"));
    m_grpDevices->setTitle(tr("Select your recording device:"));
    m_btnQuickSet->setText(tr("Quick set volume"));
    m_lblNote->setText(tr("Note: \"stereo mix\" is a device recording audio from all sources of your system."));
    refresh();
}

QWidget *OptAudio::detailsPage(const MixerDeviceSptr &device)
{
    auto *page = new QWidget(m_stkDeviceDetails);
    auto *column = new QVBoxLayout(page);
    for (const AudioLineSptr &line : device->lines) {
        bool muted = false;
        quint32 min = 0;
        quint32 max = 0;
        quint32 value = 0;
        const bool known = line->isMuted(muted).ok() && line->getVolume(min, max, value).ok() && max > min;
        const int percent = known ? int((qint64(value) - min) * 100 / (max - min)) : 0;
        column->addWidget(new QLabel(known ? tr("%1: volume %2 %, %3").arg(line->name()).arg(percent).arg(muted ? tr("muted") : tr("on"))
                                           : line->name(),
                                     page));
        for (const AudioLineSptr &port : line->children)
            column->addWidget(new QLabel(QStringLiteral("  ") + port->name(), page));
    }
    column->addStretch(1);
    return page;
}

void OptAudio::refresh()
{
    const QString selected = m_lstDevices->currentItem() ? m_lstDevices->currentItem()->data(kSourceRole).toString()
                                                         : (WindowConfig::instance() ? WindowConfig::instance()->waveInDeviceName()
                                                                                     : QString());
    bc_ret errors;
    m_devices = MixerDevice::enumerate(errors);
    if (errors.failed())
        logWarn(QStringLiteral("Audio devices not listed: %1").arg(errors.details(QStringLiteral(": "))));
    const QSignalBlocker quiet(m_lstDevices);
    m_lstDevices->clear();
    while (m_stkDeviceDetails->count() > 0) {
        QWidget *page = m_stkDeviceDetails->widget(0);
        m_stkDeviceDetails->removeWidget(page);
        page->deleteLater();
    }
    for (const MixerDeviceSptr &device : m_devices) {
        auto *item = new QListWidgetItem(device->name, m_lstDevices);
        item->setData(kSourceRole, device->sourceName);
        m_stkDeviceDetails->addWidget(detailsPage(device));
        if (device->sourceName == selected)
            m_lstDevices->setCurrentItem(item);
    }
    if (!m_lstDevices->currentItem() && m_lstDevices->count() > 0)
        m_lstDevices->setCurrentRow(0);
    m_stkDeviceDetails->setCurrentIndex(m_lstDevices->currentRow());
}

void OptAudio::onDeviceChanged(QListWidgetItem *current, QListWidgetItem *)
{
    m_stkDeviceDetails->setCurrentIndex(current ? m_lstDevices->row(current) : -1);
}

void OptAudio::onAutoConfigAudioToggled(bool automatic)
{
    m_grpDevices->setEnabled(!automatic);
}

void OptAudio::quickSetVolume()
{
    if (const bc_ret errors = autoConfigureAllInputs(); errors.failed())
        logWarn(QStringLiteral("Error setting audio configuration: %1").arg(errors.messages(QStringLiteral(": "))));
    refresh();
}

void OptAudio::save()
{
    WindowConfig *settings = WindowConfig::instance();
    if (!settings)
        return;
    settings->setRecordAudio(m_chkRecordAudio->isChecked());
    settings->setAutoConfigAudio(m_chkAutoConfigAudio->isChecked());
    if (!m_chkAutoConfigAudio->isChecked() && m_lstDevices->currentItem())
        settings->setWaveInDeviceName(m_lstDevices->currentItem()->data(kSourceRole).toString());
}
