#include "tool/Follower.h"

#include "app/Log.h"
#include "library/WindowConfig.h"
#include "platform/DesktopWindows.h"
#include "platform/ScreenPixels.h"
#include "tool/RecorderWidget.h"
#include "ui/MyApplication.h"
#include "ui/RoomConfirmForm.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>
#include <QWindow>

namespace {

// A follower further than this from where it must go jumps there (another monitor).
constexpr int kJumpDistance = 2000;
constexpr qreal kTransparentOpacity = 0.35;
constexpr qreal kOpaqueOpacity = 0.95;

QFrame *separator(const QString &name, QFrame::Shape shape, QWidget *parent)
{
    auto *line = new QFrame(parent);
    line->setObjectName(name);
    line->setFrameShape(shape);
    // Drawn in the style sheet's colour, not the light and dark of a sunken line.
    line->setFrameShadow(QFrame::Plain);
    return line;
}

QPushButton *handButton(const QString &name, const QString &toolTip, QWidget *parent)
{
    auto *button = new QPushButton(parent);
    button->setObjectName(name);
    button->setToolTip(toolTip);
    button->setCursor(Qt::PointingHandCursor);
    return button;
}

bool transparentBySetting()
{
    const WindowConfig *settings = WindowConfig::instance();
    return settings && settings->transpareRecorder();
}

} // namespace

Recaller::Recaller(QWidget *parent)
    : QFrame(parent, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowDoesNotAcceptFocus)
{
    setObjectName(QStringLiteral("Recaller"));
    setAttribute(Qt::WA_TranslucentBackground);
    setAttribute(Qt::WA_ShowWithoutActivating);
    setAttribute(Qt::WA_TransparentForMouseEvents);
    auto *outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    m_coverageFrame = new QFrame(this);
    m_coverageFrame->setObjectName(QStringLiteral("coverageFrame"));
    outer->addWidget(m_coverageFrame);
    auto *inner = new QVBoxLayout(m_coverageFrame);
    inner->setContentsMargins(3, 3, 3, 3);
    m_coverage = new QFrame(m_coverageFrame);
    m_coverage->setObjectName(QStringLiteral("coverage"));
    inner->addWidget(m_coverage);
}

void Recaller::resizeEvent(QResizeEvent *event)
{
    QFrame::resizeEvent(event);
    constexpr int kBorder = 3;
    setMask(QRegion(rect()) - QRegion(rect().adjusted(kBorder, kBorder, -kBorder, -kBorder)));
}

QPoint followerPosition(const QRect &followee, const QSize &size, int xOffset, int yOffset, const QRect &available)
{
    int x = xOffset == Follower::kNotSet ? (followee.width() - size.width()) / 2 : xOffset;
    const int y = yOffset == Follower::kNotSet ? -size.height() : yOffset;
    x = qMax(0, qMin(x, followee.width() - size.width()));
    QPoint at(followee.left() + x, followee.top() + y);
    if (!available.isEmpty()) {
        at.setX(qMax(available.left(), qMin(at.x(), available.right() - size.width() + 1)));
        at.setY(qMax(available.top(), qMin(at.y(), available.bottom() - size.height() + 1)));
    }
    return at;
}

Qt::WindowFlags Follower::windowKind()
{
    // A Wayland compositor places the windows of its X11 clients itself (sway centres
    // them) and ignores where they ask to be: there a follower places itself, unmanaged.
    Qt::WindowFlags flags = Qt::Tool | Qt::FramelessWindowHint;
    if (desktop::isXWayland())
        flags |= Qt::BypassWindowManagerHint;
    return flags;
}

Follower::Follower(const TargetSptr &target, int period, QWidget *parent)
    : QFrame(parent, windowKind())
    , m_target(target)
    , m_recaller(new Recaller(this))
    , m_animation(this, "pos")
    , m_followee(target ? target->geometry() : QRect())
{
    setObjectName(QStringLiteral("Follower"));
    setAttribute(Qt::WA_AlwaysShowToolTips);
    m_animation.setDuration(period);
    m_animation.setEasingCurve(QEasingCurve::Linear);
    buildForm();

    connect(m_btnClose, &QAbstractButton::clicked, this, qOverload<>(&Follower::stop));
    if (auto *app = qobject_cast<MyApplication *>(QCoreApplication::instance()))
        connect(m_btnLogo, &QAbstractButton::clicked, app, &MyApplication::mainWindow);
    connect(m_btnDrag, &DraggableButton::shift, this, &Follower::shift);
    if (const WindowConfig *settings = WindowConfig::instance())
        m_chkDock->setChecked(settings->recorderDockedIn());
    connect(m_chkDock, &QAbstractButton::toggled, this, &Follower::dock);
}

Follower::~Follower() = default;

void Follower::buildForm()
{
    auto *outer = new QHBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    // Always as small as its content, whatever the content shows or hides.
    outer->setSizeConstraint(QLayout::SetFixedSize);
    m_frmFollower = new QFrame(this);
    m_frmFollower->setObjectName(QStringLiteral("frmFollower"));
    outer->addWidget(m_frmFollower);
    auto *row = new QHBoxLayout(m_frmFollower);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(0);
    m_btnLogo = handButton(QStringLiteral("btnLogo"), tr("Open main window"), m_frmFollower);
    row->addWidget(m_btnLogo);
    row->addWidget(separator(QStringLiteral("line"), QFrame::VLine, m_frmFollower));
    m_stkRecorder = new QStackedWidget(m_frmFollower);
    m_stkRecorder->setObjectName(QStringLiteral("stkRecorder"));
    row->addWidget(m_stkRecorder);
    row->addWidget(separator(QStringLiteral("line_1"), QFrame::VLine, m_frmFollower));
    auto *column = new QVBoxLayout;
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    m_btnClose = handButton(QStringLiteral("btnClose"), tr("Stop recording and close"), m_frmFollower);
    column->addWidget(m_btnClose);
    column->addWidget(separator(QStringLiteral("hline"), QFrame::HLine, m_frmFollower));
    m_chkDock = new QCheckBox(m_frmFollower);
    m_chkDock->setObjectName(QStringLiteral("chkDock"));
    m_chkDock->setCursor(Qt::PointingHandCursor);
    m_chkDock->setToolTip(tr("Inside or above what is recorded"));
    column->addWidget(m_chkDock);
    row->addLayout(column);
    row->addWidget(separator(QStringLiteral("line_2"), QFrame::VLine, m_frmFollower));
    m_btnDrag = new DraggableButton(m_frmFollower);
    m_btnDrag->setObjectName(QStringLiteral("btnDrag"));
    m_btnDrag->setCursor(Qt::PointingHandCursor);
    m_btnDrag->setToolTip(tr("Drag along the edge"));
    row->addWidget(m_btnDrag);
}

QPoint Follower::computedPosition() const
{
    // The available area of the screen where the follower would go; a place off every
    // screen (a table at the top edge) takes the followee's own screen.
    const QRect followee = followeeOnScreen();
    const QPoint candidate = followerPosition(followee, size(), m_xOffset, m_yOffset, QRect());
    const QScreen *screen = QGuiApplication::screenAt(candidate);
    if (!screen)
        screen = QGuiApplication::screenAt(followee.topLeft());
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    return followerPosition(followee, size(), m_xOffset, m_yOffset, screen ? screen->availableGeometry() : QRect());
}

QRect Follower::followeeOnScreen() const
{
    return desktop::toLogical(m_followee);
}

void Follower::moveToPlace()
{
    m_animation.stop();
    move(computedPosition());
}

bool Follower::hasContent() const
{
    return m_stkRecorder->count() > 0;
}

void Follower::showContent(QWidget *content)
{
    m_stkRecorder->addWidget(content);
    m_stkRecorder->setCurrentWidget(content);
    // The style sheet decides the sizes: polish before measuring.
    ensurePolished();
    adjustSize();
    m_yOffset = m_chkDock->isChecked() ? 0 : -height();
    if (WindowConfig *settings = WindowConfig::instance())
        settings->setRecorderDockedIn(m_chkDock->isChecked());
    moveToPlace();
    show();
}

void Follower::initRecorder(const ConstDetectionSptr &detection, bool autoStart)
{
    if (m_recorder)
        return;
    m_recorder = new RecorderWidget(m_target, detection, m_stkRecorder);
    connect(m_recorder, &RecorderWidget::stopped, this, qOverload<>(&Follower::unregister));
    connect(m_recorder, &RecorderWidget::highlight, this, &Follower::highlight);
    connect(m_recorder, &RecorderWidget::unhighlight, this, &Follower::unhighlight);
    showContent(m_recorder);
    transpare(transparentBySetting());
    if (WindowConfig *settings = WindowConfig::instance())
        connect(settings, &WindowConfig::transpareRecorderChanged, this, &Follower::transpare);
    if (autoStart)
        m_recorder->start();
}

void Follower::abort()
{
    if (m_recorder)
        m_recorder->abort();
}

void Follower::stop(bool save)
{
    if (m_recorder)
        m_recorder->stop(save);
    else
        unregister();
}

void Follower::stop()
{
    stop(false);
}

void Follower::follow()
{
    const QRect now = m_target->geometry();
    if (now == m_followee)
        return;
    m_followee = now;
    const QPoint to = computedPosition();
    m_animation.stop();
    if ((to - pos()).manhattanLength() < kJumpDistance) {
        m_animation.setStartValue(pos());
        m_animation.setEndValue(to);
        m_animation.start();
    } else {
        move(to);
    }
}

void Follower::shift(const QPoint &diff)
{
    // Only along the followee's top edge: the vertical part of a drag is dropped.
    m_xOffset = x() - followeeOnScreen().left() + diff.x();
    moveToPlace();
}

void Follower::dock(bool dockedInside)
{
    m_yOffset = dockedInside ? 0 : -height();
    moveToPlace();
    if (WindowConfig *settings = WindowConfig::instance())
        settings->setRecorderDockedIn(dockedInside);
}

void Follower::highlight()
{
    m_recaller->setGeometry(desktop::toLogical(m_target->geometry()));
    m_recaller->show();
    // Right behind the follower: the follower stays usable above the frame.
    raise();
}

void Follower::unhighlight()
{
    m_recaller->hide();
}

void Follower::onDisplayChanged()
{
    m_followee = m_target->geometry();
    moveToPlace();
}

void Follower::transpare(bool transparent)
{
    if (!m_recorder)
        return;
    const qreal opacity = transparent ? kTransparentOpacity : kOpaqueOpacity;
    if (!qFuzzyCompare(windowOpacity(), opacity))
        setWindowOpacity(opacity);
}

void Follower::enterEvent(QEnterEvent *event)
{
    if (m_recorder)
        setWindowOpacity(kOpaqueOpacity);
    QFrame::enterEvent(event);
}

void Follower::leaveEvent(QEvent *event)
{
    if (m_recorder)
        transpare(transparentBySetting());
    QFrame::leaveEvent(event);
}

void Follower::closeEvent(QCloseEvent *event)
{
    // The window menu must not close a recorder: Stop does that, in order.
    event->ignore();
}

WindowFollower::WindowFollower(WindowId window, const TargetSptr &target, int period, bool autoRecord, QWidget *parent)
    : Follower(target, period, parent)
    , m_window(window)
    , m_autoRecord(autoRecord)
{
}

WindowFollower::~WindowFollower()
{
    // Qt's stand-in for a window of another program: ours to delete.
    delete m_table;
}

void WindowFollower::attach(const ConstDetectionSptr &detection)
{
    const bool asksForRoom = detection && !detection->roomSettled();
    // A Wayland compositor gives the keyboard only to windows it manages (and centres
    // them): the follower is one while the room's name is typed, and places itself
    // again once it records.
    if (asksForRoom)
        setWindowFlag(Qt::BypassWindowManagerHint, false);
    makeOwned();
    if (asksForRoom) {
        auto *form = new RoomConfirmForm(detection, this);
        connect(form, &RoomConfirmForm::confirmed, this, qOverload<const ConstDetectionSptr &>(&WindowFollower::initRecorder));
        showContent(form);
    } else {
        initRecorder(detection);
    }
}

void WindowFollower::makeOwned()
{
    m_table = QWindow::fromWinId(WId(m_window));
    // Flags first: changing them later would make the native window anew, unowned.
    setWindowFlag(Qt::WindowStaysOnTopHint, !m_table || desktop::isWindowAbove(m_window));
    // Set before the follower is first shown: the window manager reads it at mapping.
    winId();
    if (m_table && windowHandle())
        windowHandle()->setTransientParent(m_table);
    else
        logDebug(QStringLiteral("WindowFollower::attach: the table window %1 cannot own its recorder").arg(m_window));
}

void WindowFollower::initRecorder(const ConstDetectionSptr &detection)
{
    if (windowKind().testFlag(Qt::BypassWindowManagerHint) && !windowFlags().testFlag(Qt::BypassWindowManagerHint)) {
        // The room is known: back to a window that places itself (made anew, owned again).
        setWindowFlag(Qt::BypassWindowManagerHint, true);
        makeOwned();
    }
    Follower::initRecorder(detection, m_autoRecord);
}

void WindowFollower::unregister()
{
    emit unregister(m_window);
}

void WindowFollower::follow()
{
    // A minimised or unmapped table takes its recorder out of sight with it.
    const bool tableShown = target()->isShowing();
    if (!tableShown && isVisible())
        hide();
    else if (tableShown && !isVisible() && hasContent())
        show();
    Follower::follow();
}

RegionFollower::RegionFollower(const std::shared_ptr<RegionTarget> &target, int period, QWidget *parent)
    : Follower(target, period, parent)
{
    setWindowFlag(Qt::WindowStaysOnTopHint);
}

void RegionFollower::unregister()
{
    emit unregister(this);
}

MonitorFollower::MonitorFollower(const std::shared_ptr<MonitorTarget> &target, int period, QWidget *parent)
    : Follower(target, period, parent)
    , m_monitor(target->name())
    , m_monitorTarget(target)
{
    setWindowFlag(Qt::WindowStaysOnTopHint);
}

void MonitorFollower::onDisplayChanged()
{
    for (const QScreen *screen : QGuiApplication::screens()) {
        if (screen->name() == m_monitor) {
            const QRect rect = desktop::nativeGeometry(screen);
            if (rect != m_monitorTarget->geometry()) {
                logInfo(QStringLiteral("Monitor %1 now at %2,%3 %4x%5")
                                .arg(m_monitor).arg(rect.x()).arg(rect.y()).arg(rect.width()).arg(rect.height()));
                m_monitorTarget->setGeometry(rect);
            }
        }
    }
    Follower::onDisplayChanged();
}

void MonitorFollower::unregister()
{
    emit unregister(m_monitor);
}
