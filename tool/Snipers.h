#pragma once

#include "capture/Target.h"

class DraggableFrame;
class QLabel;
class QListWidget;
class QListWidgetItem;
class QPushButton;

#include <QFontMetrics>
#include <QFrame>
#include <QPixmap>
#include <QWidget>

// A frame drawn over the desktop that lets mouse presses through to the sniper.
class MouselessFrame : public QFrame
{
    Q_OBJECT
public:
    explicit MouselessFrame(QWidget *parent = nullptr);

protected:
    void mousePressEvent(QMouseEvent *event) override;
};

// Lets the user point at what to record: covers the whole desktop with a dimmed
// picture of it, highlights the selection, and reports the choice once, when it
// closes (an empty target when the user cancelled: right click or Escape).
class AbstractSniper : public QWidget
{
    Q_OBJECT
public:
    explicit AbstractSniper(QWidget *parent = nullptr);
    // Covers the desktop and begins.
    virtual void start();
    TargetSptr selection() const { return m_selection; }

signals:
    void result(const TargetSptr &shot);

public slots:
    void fire();

protected:
    void setSelection(const TargetSptr &target);
    // The selection's rectangle in this widget's coordinates.
    QRect selectionRect() const;
    void paintEvent(QPaintEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    TargetSptr m_selection;
    TargetSptr m_shot;
    bool m_reported = false;
    // What the desktop showed when the sniper started: drawn beneath the dimming, so
    // that the choice is made on the real picture with or without a compositor. None
    // where the window is see-through instead.
    QPixmap m_desktop;
    bool m_seeThrough = false;
    MouselessFrame *m_coverageFrame;
    MouselessFrame *m_coverage;
};

// A sniper with a cross-hair at the mouse in place of the cursor.
class FromDesktopSniper : public AbstractSniper
{
    Q_OBJECT
public:
    explicit FromDesktopSniper(QWidget *parent = nullptr);
    void start() override;
    QLabel *hint() const { return m_lblHint; }

protected:
    void mouseMoveEvent(QMouseEvent *event) override;
    // What to do, shown at the top of the screen the mouse is on.
    void setHint(const QString &text);

private:
    // The cross-hair through a point of this window.
    void placeCrossHair(const QPoint &at);

    MouselessFrame *m_hLine;
    MouselessFrame *m_vLine;
    QLabel *m_lblHint;
};

// The rectangle dragged with the left button, whichever way it is dragged.
class RegionSniper : public FromDesktopSniper
{
    Q_OBJECT
public:
    // Smaller regions are taken for a click: nothing is chosen.
    static constexpr int kMinimumSide = 16;
    explicit RegionSniper(QWidget *parent = nullptr);

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    bool m_dragging = false;
    QPoint m_anchor;
};

// The monitor under the mouse; a left click takes it.
class MonitorSniper : public AbstractSniper
{
    Q_OBJECT
public:
    explicit MonitorSniper(QWidget *parent = nullptr);
    void start() override;

protected:
    void mouseMoveEvent(QMouseEvent *event) override;

private:
    void selectAt(const QPoint &global);
};

// A top-level window the user may pick.
struct WindowCandidate
{
    WindowId window = 0;
    QRect rect;
    QString title;
    QString programPath;
};

// Picks one of the windows on the desktop: visible, not minimised, not owned by
// another window, not ours, with a title and a known program; collected at start,
// topmost first.
class AbstractWindowSniper : public AbstractSniper
{
    Q_OBJECT
public:
    using AbstractSniper::AbstractSniper;
    void start() override;
    const QList<WindowCandidate> &candidates() const { return m_candidates; }

protected:
    // The topmost candidate at a point of the screen: its index, -1 when none.
    int candidateAt(const QPoint &global) const;
    // As a target; null when none.
    TargetSptr targetAt(const QPoint &global) const;
    // The kind of target the settings and the desktop call for.
    static TargetSptr windowTarget(WindowId window);

private:
    QList<WindowCandidate> m_candidates;
};

// The window under the mouse; a left click takes it.
class WindowSniper : public AbstractWindowSniper
{
    Q_OBJECT
public:
    explicit WindowSniper(QWidget *parent = nullptr);
    void start() override;

protected:
    void mouseMoveEvent(QMouseEvent *event) override;
};

// The candidate windows as a list, by title and program, for those who would rather
// choose by name; clicking a window on the desktop selects it too. "Record" (or
// Return) takes the selection, "Cancel" (or Escape) gives up.
class SubWindowSniper : public AbstractWindowSniper
{
    Q_OBJECT
public:
    explicit SubWindowSniper(QWidget *parent = nullptr);
    void start() override;

    // "title [program]" with both shortened at the right so that the whole fits width.
    static QString entryText(const QString &title, const QString &programPath, const QFontMetrics &metrics, int width);

public slots:
    void shiftWindowList(const QPoint &diff);
    void onSelectedFromList(QListWidgetItem *current, QListWidgetItem *previous);

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    void buildForm();
    void fillList();
    void selectCandidate(int index);

    QFrame *m_frmWindowList;
    QFrame *m_frmWindowListInt;
    DraggableFrame *m_frmTitle;
    QLabel *m_lblSniperTitle;
    QListWidget *m_lstWindows;
    QFrame *m_frmButtons;
    QPushButton *m_btnRecord;
    QPushButton *m_btnCancel;
};
