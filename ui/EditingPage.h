#pragma once

#include "library/LibraryItems.h"

#include <QFrame>
#include <QTimer>
#include <QWidget>

class AudioVisualizer;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class Timeline;
class VideoPlayer;
class VideoPlayerWindow;
class VPlayerSlider;

// The editor: the video playing, the time line with the hand's two markers, the
// sound's loudness under it and the volume. What is marked goes to encoding.
class EditingPage : public QFrame
{
    Q_OBJECT
public:
    explicit EditingPage(QWidget *parent = nullptr);
    ~EditingPage() override;

    RecordedItemSptr item() const { return m_item; }
    VideoPlayerWindow *playerWindow() const { return m_player; }
    Timeline *timeline() const { return m_timeline; }
    AudioVisualizer *audioVisualizer() const { return m_audioVisualizer; }
    VPlayerSlider *volumeSlider() const { return m_sldVolume; }
    QString elapsedText() const;

    // Opens the item's video, plays it and marks it as being edited; the reasons
    // when no player could open it.
    bc_ret doEditVideo(const RecordedItemSptr &item);
    // Editing is over: everything stops and is forgotten.
    void resetPage();

signals:
    void newEditDuration(qlonglong ms);
    void run();
    void pause();
    void stop();
    void replay();
    void playFromBeginMark();
    void resetEditData();

public slots:
    void doEncode(const UploadParamsSptr &params, bool toUpload);

private slots:
    void updateSeekSlider();
    void onRun();
    void onPause();
    void onStop();
    void onReplay();
    void onPlayFromBeginMark();
    void onResetEditData();
    void onBeginMoved(qint64 ms);
    void onEndMoved(qint64 ms);
    void onSeekMoved(qint64 ms);
    void onSeekStartMoving();
    void onSeekStopMoving();
    void onVolumeMoved(int percent);
    void onPlayerStopped();

private:
    void buildForm();
    VideoPlayer *player() const;
    void showTime(qint64 ms);
    void seekAndShow(qint64 ms);

    RecordedItemSptr m_item;
    VideoPlayerWindow *m_player;
    Timeline *m_timeline;
    QLabel *m_lblElapsedTime;
    QLabel *m_lblVolume;
    AudioVisualizer *m_audioVisualizer;
    VPlayerSlider *m_sldVolume;
    QTimer m_timer;
    bool m_playing = false;
};

// Beside the editor: what the video is, the play buttons, and the title with the
// two ways to finish (keep it, or keep and upload it).
class EditControlPage : public QWidget
{
    Q_OBJECT
public:
    static constexpr int kMinimumTitle = 3;

    explicit EditControlPage(QWidget *parent = nullptr);

    void setItem(const RecordedItemSptr &item);
    RecordedItemSptr item() const { return m_item; }

signals:
    void run();
    void pause();
    void stop();
    void replay();
    void playFromBeginMark();
    void encode(const UploadParamsSptr &params, bool toUpload);
    void doResetEditData();

public slots:
    void onBtnEncodeUploadClicked();
    void onBtnEncodeStoreClicked();
    void onNewEditDuration(qlonglong ms);
    void resetEditData();

protected:
    void changeEvent(QEvent *event) override;

private:
    void buildForm();
    // A button whose text (an English source of this class) follows the language.
    QPushButton *button(const QString &name, const char *source, QWidget *parent);
    void finish(bool toUpload);

    RecordedItemSptr m_item;
    QLabel *m_lblName;
    QLabel *m_lblDuration;
    QLabel *m_lblFileSize;
    QLabel *m_lblDate;
    QPushButton *m_btnPlayFromBeginMark;
    QPushButton *m_btnRun;
    QPushButton *m_btnPause;
    QPushButton *m_btnReplay;
    QPushButton *m_btnReset;
    QPushButton *m_btnStop;
    QLineEdit *m_txtUploadName;
    QPushButton *m_btnEncodeUpload;
    QPushButton *m_btnEncodeStore;
};

// The panel's buttons drive the editor, the editor tells the panel how long the hand is.
void connectEditing(EditControlPage *panel, EditingPage *page);

// The "Editing" tab's video: the editor, its panel, and the item being edited.
class EditingItemWidget : public QFrame
{
    Q_OBJECT
public:
    explicit EditingItemWidget(QWidget *parent = nullptr);

    EditingPage *editingPage() const { return m_page; }
    // Shown beside the tabs while the editing tab is open.
    EditControlPage *editControl() const { return m_panel; }
    RecordedItemSptr item() const { return m_page->item(); }

signals:
    void newEditingItem();
    void finishEditingItem();
    void newEditedItem();
    void uninitialize();

public slots:
    void doEditVideo(const RecordedItemSptr &item);
    void doEncode(const UploadParamsSptr &params, bool toUpload);
    // Editing ends: the player stops, the item is no longer being edited.
    void finish();

private:
    EditingPage *m_page;
    EditControlPage *m_panel;
};
