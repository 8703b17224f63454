#pragma once

#include "capture/Target.h"
#include "media/AVAssembler.h"
#include "tool/RecorderControls.h"

#include <QFrame>
#include <QPropertyAnimation>
#include <QStackedWidget>

class QCheckBox;
class QWindow;
class QPushButton;
class RecorderWidget;

// The frame drawn over what a follower records while the mouse is on its record or
// pause button, so the user sees which table the button belongs to.
class Recaller : public QFrame
{
    Q_OBJECT
public:
    explicit Recaller(QWidget *parent = nullptr);

protected:
    // Only the border is part of the window: without a compositor a translucent
    // inside would be drawn black over the table.
    void resizeEvent(QResizeEvent *event) override;

private:
    QFrame *m_coverageFrame;
    QFrame *m_coverage;
};

// Where a follower of size `size` goes for a followee at `followee`: at the offsets
// from its top-left corner (kNotSet: centred, just above the top edge), never beyond
// the followee's left and right edges, and inside `available` (the screen's area
// without task bars).
QPoint followerPosition(const QRect &followee, const QSize &size, int xOffset, int yOffset, const QRect &available);

// The small floating window that carries a recorder and stays glued to what it
// records: a table window, a screen region or a monitor.
class Follower : public QFrame
{
    Q_OBJECT
public:
    // The kind of window a follower is on this desktop.
    static Qt::WindowFlags windowKind();
    // An offset that has not been set.
    static constexpr int kNotSet = 2147483647;

    Follower(const TargetSptr &target, int period, QWidget *parent = nullptr);
    ~Follower() override;

    TargetSptr target() const { return m_target; }
    RecorderWidget *recorder() const { return m_recorder; }
    // Puts content into the follower and shows it at its place.
    void showContent(QWidget *content);
    bool hasContent() const;
    // Makes the recorder (once) and starts recording when autoStart is set.
    void initRecorder(const ConstDetectionSptr &detection, bool autoStart);
    // At exit: ends the recording at once, without saving.
    void abort();
    // Where the follower goes now, from the followee's last rectangle.
    QPoint computedPosition() const;
    bool isGliding() const { return m_animation.state() == QAbstractAnimation::Running; }

public slots:
    void stop(bool save);
    void stop();
    virtual void follow();
    // Each kind tells its observer to drop it.
    virtual void unregister() = 0;
    void shift(const QPoint &diff);
    void dock(bool dockedInside);
    void highlight();
    void unhighlight();
    virtual void onDisplayChanged();
    void transpare(bool transparent);

protected:
    void enterEvent(QEnterEvent *event) override;
    void leaveEvent(QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void buildForm();
    void moveToPlace();
    // Where the followee is, in the widget coordinates followers are placed in.
    QRect followeeOnScreen() const;

    TargetSptr m_target;
    QFrame *m_frmFollower;
    QPushButton *m_btnLogo;
    QStackedWidget *m_stkRecorder;
    QPushButton *m_btnClose;
    QCheckBox *m_chkDock;
    DraggableButton *m_btnDrag;
    Recaller *m_recaller;
    QPropertyAnimation m_animation;
    // In device pixels, as the target gives it.
    QRect m_followee;
    int m_xOffset = kNotSet;
    int m_yOffset = kNotSet;
    RecorderWidget *m_recorder = nullptr;
};

// Follows a region chosen by hand; kept above other windows.
class RegionFollower : public Follower
{
    Q_OBJECT
public:
    RegionFollower(const std::shared_ptr<RegionTarget> &target, int period, QWidget *parent = nullptr);

signals:
    void unregister(RegionFollower *follower);

public slots:
    void unregister() override;
};

// Follows a table window: glides after it, and is owned by it (transient for it), so
// that it rises, hides and minimises with the table.
class WindowFollower : public Follower
{
    Q_OBJECT
public:
    WindowFollower(WindowId window, const TargetSptr &target, int period, bool autoRecord, QWidget *parent = nullptr);
    ~WindowFollower() override;

    WindowId window() const { return m_window; }
    // Shows the room form when the program's room is not confirmed yet, else the
    // recorder; and makes the table window the follower's owner.
    void attach(const ConstDetectionSptr &detection);
    using Follower::initRecorder;

signals:
    void unregister(WindowId followee);

public slots:
    void initRecorder(const ConstDetectionSptr &detection);
    void unregister() override;
    void follow() override;

private:
    void makeOwned();

    WindowId m_window;
    bool m_autoRecord;
    // The table as a window of Qt's, to be the follower's transient parent.
    QWindow *m_table = nullptr;
};

// A monitor's id: the name the desktop gives the screen.
using MId = QString;

// Follows a monitor chosen by hand; kept above other windows.
class MonitorFollower : public Follower
{
    Q_OBJECT
public:
    MonitorFollower(const std::shared_ptr<MonitorTarget> &target, int period, QWidget *parent = nullptr);
    MId monitor() const { return m_monitor; }

signals:
    void unregister(const MId &mid);

public slots:
    void unregister() override;
    // The monitor's new place and size are recorded from now on.
    void onDisplayChanged() override;

private:
    MId m_monitor;
    std::shared_ptr<MonitorTarget> m_monitorTarget;
};
