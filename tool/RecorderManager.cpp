#include "tool/RecorderManager.h"

#include "app/Log.h"
#include "library/WindowConfig.h"
#include "platform/DesktopWindows.h"
#include "ui/MyApplication.h"

#include <QGuiApplication>
#include <QHBoxLayout>
#include <QScreen>
#include <QVBoxLayout>

namespace {

QFrame *rule(const QString &name, QFrame::Shape shape, QWidget *parent)
{
    auto *line = new QFrame(parent);
    line->setObjectName(name);
    line->setFrameShape(shape);
    line->setFrameShadow(QFrame::Sunken);
    return line;
}

} // namespace

RecorderManager::RecorderManager(QWidget *parent)
    : QFrame(parent, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint
                             // A Wayland compositor would centre it wherever it asks to be.
                             | (desktop::isXWayland() ? Qt::BypassWindowManagerHint : Qt::WindowFlags()))
    , m_windowObserver(kFollowPeriod)
    , m_regionObserver(kFollowPeriod)
    , m_monitorObserver(kFollowPeriod)
{
    setObjectName(QStringLiteral("RecorderManager"));
    setAttribute(Qt::WA_AlwaysShowToolTips);
    m_videoWorker.start(VideoFormat{-1, -1, 10, 100});

    auto *outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    m_frmRecorderManager = new QFrame(this);
    m_frmRecorderManager->setObjectName(QStringLiteral("frmRecorderManager"));
    outer->addWidget(m_frmRecorderManager);
    auto *column = new QVBoxLayout(m_frmRecorderManager);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);

    m_frmTitle = new DraggableFrame(m_frmRecorderManager);
    m_frmTitle->setObjectName(QStringLiteral("frmTitle"));
    auto *title = new QHBoxLayout(m_frmTitle);
    title->setContentsMargins(2, 2, 2, 2);
    title->setSpacing(0);
    m_lblRecorderLogo = new QLabel(m_frmTitle);
    m_lblRecorderLogo->setObjectName(QStringLiteral("lblRecorderLogo"));
    m_lblRecorderLogo->setPixmap(QPixmap(QStringLiteral(":/RecorderGui/logo_tool.png")));
    title->addWidget(m_lblRecorderLogo);
    title->addStretch();
    m_btnDrag = new DraggableButton(m_frmTitle);
    m_btnDrag->setObjectName(QStringLiteral("btnDrag"));
    title->addWidget(m_btnDrag);
    m_btnMax = new QPushButton(m_frmTitle);
    m_btnMax->setObjectName(QStringLiteral("btnMax"));
    m_btnMax->setToolTip(tr("Open main window"));
    title->addWidget(m_btnMax);
    m_btnClose = new QPushButton(m_frmTitle);
    m_btnClose->setObjectName(QStringLiteral("btnClose"));
    m_btnClose->setToolTip(tr("Hide"));
    title->addWidget(m_btnClose);
    column->addWidget(m_frmTitle);
    column->addWidget(rule(QStringLiteral("hline_0"), QFrame::HLine, m_frmRecorderManager));

    m_frmSnipers = new QFrame(m_frmRecorderManager);
    m_frmSnipers->setObjectName(QStringLiteral("frmSnipers"));
    auto *snipers = new QHBoxLayout(m_frmSnipers);
    snipers->setContentsMargins(0, 0, 0, 0);
    snipers->setSpacing(0);
    snipers->addWidget(rule(QStringLiteral("vline_0"), QFrame::VLine, m_frmSnipers));
    m_btnWindowSniper = sniperButton(QStringLiteral("btnWindowSniper"), tr("Select a window"), m_frmSnipers);
    snipers->addWidget(m_btnWindowSniper);
    snipers->addWidget(rule(QStringLiteral("vline_1"), QFrame::VLine, m_frmSnipers));
    m_btnRegionSniper = sniperButton(QStringLiteral("btnRegionSniper"), tr("Select a region"), m_frmSnipers);
    snipers->addWidget(m_btnRegionSniper);
    snipers->addWidget(rule(QStringLiteral("vline_2"), QFrame::VLine, m_frmSnipers));
    m_btnMonitorSniper = sniperButton(QStringLiteral("btnMonitorSniper"), tr("Select a monitor"), m_frmSnipers);
    snipers->addWidget(m_btnMonitorSniper);
    snipers->addWidget(rule(QStringLiteral("vline_3"), QFrame::VLine, m_frmSnipers));
    column->addWidget(m_frmSnipers);
    column->addWidget(rule(QStringLiteral("hline_1"), QFrame::HLine, m_frmRecorderManager));

    connect(m_btnDrag, &DraggableButton::shift, this, &RecorderManager::shift);
    connect(m_frmTitle, &DraggableFrame::shift, this, &RecorderManager::shift);
    if (auto *app = qobject_cast<MyApplication *>(QCoreApplication::instance())) {
        connect(m_btnMax, &QAbstractButton::clicked, app, &MyApplication::mainWindow);
        connect(app, &MyApplication::displayChanged, this, &RecorderManager::goToTop);
    }
    connect(m_btnClose, &QAbstractButton::clicked, this, &QWidget::close);
    connect(m_btnWindowSniper, &QAbstractButton::clicked, this, &RecorderManager::runWindowSniper);
    connect(m_btnRegionSniper, &QAbstractButton::clicked, this, &RecorderManager::runRegionSniper);
    connect(&m_windowObserver, &WindowObserver::popup, this, &RecorderManager::goToTop);
    connect(m_btnMonitorSniper, &QAbstractButton::clicked, this, &RecorderManager::runMonitorSniper);
    if (WindowConfig *settings = WindowConfig::instance())
        connect(settings, &WindowConfig::autoDetectionChanged, this, &RecorderManager::goToTop);
}

RecorderManager::~RecorderManager()
{
    stopAll();
}

QPushButton *RecorderManager::sniperButton(const QString &name, const QString &toolTip, QWidget *parent)
{
    auto *button = new QPushButton(parent);
    button->setObjectName(name);
    button->setToolTip(toolTip);
    return button;
}

void RecorderManager::restorePosition()
{
    if (const WindowConfig *settings = WindowConfig::instance())
        move(settings->toolWindowPosition());
}

void RecorderManager::savePosition()
{
    if (WindowConfig *settings = WindowConfig::instance())
        settings->setToolWindowPosition(pos());
}

void RecorderManager::stopAll()
{
    // The recordings first: they hand their last frames to the worker and the queue.
    m_windowObserver.stopAll();
    m_regionObserver.stopAll();
    m_monitorObserver.stopAll();
    if (m_videoWorker.isRunning())
        m_videoWorker.stop();
    m_assembleQueue.shutdown();
}

void RecorderManager::raiseAll()
{
    raise();
    m_windowObserver.raiseAll();
    m_regionObserver.raiseAll();
    m_monitorObserver.raiseAll();
}

void RecorderManager::runWindowSniper()
{
    const WindowConfig *settings = WindowConfig::instance();
    if (settings && settings->selectWindowFromList())
        runSniper(new SubWindowSniper);
    else
        runSniper(new WindowSniper);
}

void RecorderManager::runRegionSniper()
{
    runSniper(new RegionSniper);
}

void RecorderManager::runMonitorSniper()
{
    runSniper(new MonitorSniper);
}

void RecorderManager::runSniper(AbstractSniper *sniper)
{
    connect(sniper, &AbstractSniper::result, this, &RecorderManager::onSniperResult);
    connect(sniper, &AbstractSniper::result, sniper, &QObject::deleteLater);
    emit sniperStarted(sniper);
    sniper->start();
}

void RecorderManager::onSniperResult(const TargetSptr &target)
{
    if (const auto window = std::dynamic_pointer_cast<WindowTarget>(target))
        m_windowObserver.follow(window->window(), true);
    else if (const auto region = std::dynamic_pointer_cast<RegionTarget>(target))
        m_regionObserver.follow(region->geometry());
    else if (const auto monitor = std::dynamic_pointer_cast<MonitorTarget>(target))
        m_monitorObserver.follow(monitor);
}

void RecorderManager::goToTop()
{
    const WindowConfig *settings = WindowConfig::instance();
    if (settings && settings->autoDetection()) {
        hide();
        raiseAll();
    } else {
        showOnScreen();
    }
}

void RecorderManager::showOnScreen()
{
    show();
    const QScreen *screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen();
    const QRect available = screen ? screen->availableGeometry() : QRect();
    // A position saved on a monitor that is gone, or half off the screen; a tool wider
    // than the margin still ends at the screen's right edge.
    if (!available.contains(frameGeometry()))
        move(available.right() - qMax(kRightMargin, frameGeometry().width() - 1), available.top() + kTopMargin);
    raiseAll();
}

void RecorderManager::shift(const QPoint &diff)
{
    move(pos() + diff);
}

