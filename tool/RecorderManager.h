#pragma once

#include "capture/Target.h"
#include "media/AVAssembler.h"
#include "recorder/VideoRecorder.h"
#include "tool/Observers.h"
#include "tool/RecorderControls.h"
#include "tool/Snipers.h"

#include <QFrame>
#include <QLabel>
#include <QPushButton>

// The small always-on-top tool window from which the user picks something to
// record by hand and reopens the main window. It owns the long-lived pieces of
// recording: the assembling queue and the video worker.
class RecorderManager : public QFrame
{
    Q_OBJECT
public:
    static constexpr int kRightMargin = 179;
    static constexpr int kTopMargin = 100;
    // How often followers look where their window went, and how long they glide.
    static constexpr int kFollowPeriod = 400;

    explicit RecorderManager(QWidget *parent = nullptr);
    ~RecorderManager() override;

    // Moves to the setting toolWindowPosition / stores pos() into it.
    void restorePosition();
    void savePosition();
    // At exit: the video worker and the assembling queue stop.
    void stopAll();
    void raiseAll();
    // Shows the tool whatever the mode, back on the screen when it was saved off it.
    void showOnScreen();

    AVAssembleQueue &assembleQueue() { return m_assembleQueue; }
    VideoRecorderWorker &videoWorker() { return m_videoWorker; }
    WindowObserver &windowObserver() { return m_windowObserver; }
    RegionObserver &regionObserver() { return m_regionObserver; }
    MonitorObserver &monitorObserver() { return m_monitorObserver; }

signals:
    // A sniper was started (tests drive it).
    void sniperStarted(AbstractSniper *sniper);

public slots:
    void goToTop();
    void shift(const QPoint &diff);
    void runWindowSniper();
    void runRegionSniper();
    void runMonitorSniper();
    void onSniperResult(const TargetSptr &target);

private:
    QPushButton *sniperButton(const QString &name, const QString &toolTip, QWidget *parent);
    void runSniper(AbstractSniper *sniper);

    AVAssembleQueue m_assembleQueue;
    VideoRecorderWorker m_videoWorker;
    QFrame *m_frmRecorderManager;
    DraggableFrame *m_frmTitle;
    QLabel *m_lblRecorderLogo;
    DraggableButton *m_btnDrag;
    QPushButton *m_btnMax;
    QPushButton *m_btnClose;
    QFrame *m_frmSnipers;
    QPushButton *m_btnWindowSniper;
    QPushButton *m_btnRegionSniper;
    QPushButton *m_btnMonitorSniper;
    WindowObserver m_windowObserver;
    RegionObserver m_regionObserver;
    MonitorObserver m_monitorObserver;
};
