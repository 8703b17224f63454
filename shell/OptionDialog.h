#pragma once

#include "detection/Detection.h"
#include "recorder/AudioMixerLines.h"
#include "ui/RoomConfirmForm.h"

#include <QFrame>
#include <QComboBox>
#include <QStyledItemDelegate>
#include <QTreeView>

class AudioWatcher;
class QCheckBox;
class QGroupBox;
class QLabel;
class QListWidget;
class QListWidgetItem;
class QModelIndex;
class QPushButton;
class QRadioButton;
class QSpinBox;
class QStackedWidget;
class QStandardItemModel;

// Page "General": the account, the language (switched at once) and the autostart.
class OptGeneral : public QFrame
{
    Q_OBJECT
public:
    explicit OptGeneral(QWidget *parent = nullptr);
    QComboBox *languageBox() const { return m_cmbLanguages; }

public slots:
    void retranslate();
    void save();
    void onLangItemChanged(int index);

private:
    QGroupBox *m_grpAccount;
    QLabel *m_lblUserName;
    QLabel *m_lblEditProfile;
    QGroupBox *m_grpLanguage;
    QComboBox *m_cmbLanguages;
    QCheckBox *m_chkAutoStart;
};

// Page "Recording": how tables are chosen and what a recording keeps.
class OptRecording : public QFrame
{
    Q_OBJECT
public:
    explicit OptRecording(QWidget *parent = nullptr);

public slots:
    void retranslate();
    void save();
    void onAutoModeToggled(bool automatic);
    void onAutoDetectionChanged(bool automatic);

private:
    void load();

    QGroupBox *m_grpMode;
    QRadioButton *m_rdAutoSelect;
    QRadioButton *m_rdManuSelect;
    QLabel *m_lblAutoExplain;
    QLabel *m_lblManuExplain;
    QFrame *m_frmAutoSelection;
    QFrame *m_frmManuSelection;
    QCheckBox *m_chkAutoRecord;
    QLabel *m_lblMaxTables;
    QSpinBox *m_spnMaxTables;
    QCheckBox *m_chkFromList;
    QCheckBox *m_chkAutoPopup;
    QGroupBox *m_grpRecording;
    QLabel *m_lblRecordLast;
    QSpinBox *m_spnMaxDuration;
    QLabel *m_lblMinutes;
    QCheckBox *m_chkRecordOverlay;
    QLabel *m_lblOverlayNote; // why the choice is not there, on a Wayland desktop
    QCheckBox *m_chkSaveOnClose;
    QGroupBox *m_grpDisplay;
    QCheckBox *m_chkTimeWatcher;
    QCheckBox *m_chkTranspareRecorder;
};

// The room chooser of the detection table: the room form's box, with its
// suggestions. Cleared, it means the room is not listed.
class PrivEditor : public RoomBox
{
    Q_OBJECT
public:
    explicit PrivEditor(QWidget *parent = nullptr);
};

// Edits the "Room" column with a PrivEditor; the room id is kept in the user role.
class PrivDelegate : public QStyledItemDelegate
{
    Q_OBJECT
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    QWidget *createEditor(QWidget *parent, const QStyleOptionViewItem &option, const QModelIndex &index) const override;
    void setEditorData(QWidget *editor, const QModelIndex &index) const override;
    void setModelData(QWidget *editor, QAbstractItemModel *model, const QModelIndex &index) const override;
};

// The table of the user's poker programs.
class PrivTreeView : public QTreeView
{
    Q_OBJECT
public:
    enum Column { ProcessColumn, PathColumn, RecordableColumn, RoomColumn };
    explicit PrivTreeView(QWidget *parent = nullptr);
};

// Page "Detection": which of the user's poker programs are followed, and their rooms.
class OptDetection : public QFrame
{
    Q_OBJECT
public:
    explicit OptDetection(QWidget *parent = nullptr);
    QStandardItemModel *model() const { return m_model; }

public slots:
    void retranslate();
    void save();
    void load();

private:
    QGroupBox *m_grpDetection;
    QLabel *m_lblExplain;
    PrivTreeView *m_list;
    QStandardItemModel *m_model;
};

// Page "Audio": whether sound is recorded and from which source.
class OptAudio : public QFrame
{
    Q_OBJECT
public:
    explicit OptAudio(QWidget *parent = nullptr);
    QListWidget *deviceList() const { return m_lstDevices; }
    QPushButton *quickSetButton() const { return m_btnQuickSet; }

public slots:
    void retranslate();
    void save();
    void refresh();
    void quickSetVolume();
    void onAutoConfigAudioToggled(bool automatic);
    void onDeviceChanged(QListWidgetItem *current, QListWidgetItem *previous);

private:
    QWidget *detailsPage(const MixerDeviceSptr &device);

    QGroupBox *m_grpAudio;
    QCheckBox *m_chkRecordAudio;
    QCheckBox *m_chkAutoConfigAudio;
    QGroupBox *m_grpDevices;
    QListWidget *m_lstDevices;
    QStackedWidget *m_stkDeviceDetails;
    QPushButton *m_btnQuickSet;
    QLabel *m_lblNote;
    AudioWatcher *m_watcher;
    QList<MixerDeviceSptr> m_devices;
};

// The options window: four pages chosen from a tree, OK, Apply and Cancel.
class OptionDialog : public QFrame
{
    Q_OBJECT
public:
    explicit OptionDialog(QWidget *parent = nullptr);
    QString currentHeader() const;
    QWidget *currentPage() const;
    QTreeView *tree() const { return m_tree; }
    OptGeneral *general() const { return m_general; }
    OptRecording *recording() const { return m_recording; }
    OptDetection *detection() const { return m_detection; }
    OptAudio *audio() const { return m_audio; }
    QPushButton *okButton() const { return m_btnOK; }
    QPushButton *applyButton() const { return m_btnApply; }
    QPushButton *cancelButton() const { return m_btnCancel; }

signals:
    void closed();

public slots:
    void onCurrentChanged(const QModelIndex &index);
    void retranslate();
    void saveAll();

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    QTreeView *m_tree;
    QStandardItemModel *m_model;
    QStackedWidget *m_stack;
    QLabel *m_lblOptionHeader;
    QPushButton *m_btnOK;
    QPushButton *m_btnCancel;
    QPushButton *m_btnApply;
    OptGeneral *m_general;
    OptRecording *m_recording;
    OptDetection *m_detection;
    OptAudio *m_audio;
};
