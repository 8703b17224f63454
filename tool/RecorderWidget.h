#pragma once

#include "capture/Target.h"
#include "recorder/AVRecorder.h"
#include "tool/RecorderControls.h"

#include <QFrame>
#include <QStackedWidget>

#include <memory>

// The controls of one floating recorder: record, pause, save the last minutes,
// microphone with level meter, elapsed time. Drives one recording session.
class RecorderWidget : public QFrame
{
    Q_OBJECT
public:
    RecorderWidget(const TargetSptr &target, const ConstDetectionSptr &detection, QWidget *parent = nullptr);

    TargetSptr target() const { return m_target; }
    AVRecorder *session() const { return m_session; }
    // Ends the recording, saving the kept minutes when save is true; stopped() follows.
    void stop(bool save);
    // At exit: ends at once, deleting the segments.
    void abort();

    LevelBar *micButton() const { return m_btnMic; }
    TimeWatcher *timeWatcher() const { return m_lblTimeWatcher; }
    HoverEventButton *pauseButton() const { return m_btnPause; }
    HoverEventButton *recordButton() const { return m_btnRecord; }
    QPushButton *saveButton() const { return m_btnSave; }

signals:
    void stopped();
    void highlight();
    void unhighlight();

public slots:
    void start();
    void save();
    void onSoundLost(const QString &text);
    void onPictureBlack(const QString &text);
    void onStopped(bc_ret res);
    void showTime(bool show);

private:
    AssemblyCmdSptr assemblyCommand() const;
    void showWarning(const QString &title, const QString &text);
    void releaseSession();

    TargetSptr m_target;
    ConstDetectionSptr m_detection;
    AVRecorder *m_session = nullptr;

    QFrame *m_frmTimeWatcher;
    TimeWatcher *m_lblTimeWatcher;
    QFrame *m_line;
    LevelBar *m_btnMic;
    QFrame *m_line2;
    QStackedWidget *m_stkButtons;
    HoverEventButton *m_btnRecord;
    HoverEventButton *m_btnPause;
    QFrame *m_line3;
    QPushButton *m_btnSave;
};
