#include "Snipers.h"

#include "WindowConfig.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QScreen>

namespace {

// The rectangle with corners a and b, whichever way the mouse went from a to b.
QRect spanned(const QPoint &a, const QPoint &b)
{
    return QRect(QPoint(qMin(a.x(), b.x()), qMin(a.y(), b.y())), QPoint(qMax(a.x(), b.x()), qMax(a.y(), b.y())));
}

// Every screen together, in global coordinates.
QRect virtualDesktop()
{
    QRect all;
    for (const QScreen *screen : QGuiApplication::screens())
        all |= screen->geometry();
    return all;
}

} // namespace

MouselessFrame::MouselessFrame(QWidget *parent)
    : QFrame(parent)
{
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

void MouselessFrame::mousePressEvent(QMouseEvent *event)
{
    event->ignore();
}

AbstractSniper::AbstractSniper(QWidget *parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint)
{
    setObjectName(QStringLiteral("Sniper"));
    setWindowModality(Qt::ApplicationModal);
    setAttribute(Qt::WA_DeleteOnClose, false);
    m_coverageFrame = new MouselessFrame(this);
    m_coverageFrame->setObjectName(QStringLiteral("coverageFrame"));
    m_coverage = new MouselessFrame(m_coverageFrame);
    m_coverage->setObjectName(QStringLiteral("coverage"));
    m_coverageFrame->hide();
    // Dimmed desktop, lit selection.
    QPalette colours = palette();
    colours.setBrush(QPalette::Window, QColor(0, 0, 0, 110));
    colours.setBrush(QPalette::ButtonText, QColor(255, 255, 255, 30));
    setPalette(colours);
}

void AbstractSniper::start()
{
    const QRect desktop = virtualDesktop();
    QPixmap picture(desktop.size());
    picture.fill(Qt::black);
    {
        QPainter painter(&picture);
        for (QScreen *screen : QGuiApplication::screens()) {
            const QRect area = screen->geometry();
            painter.drawPixmap(area.topLeft() - desktop.topLeft(),
                               screen->grabWindow(0, area.x(), area.y(), area.width(), area.height()));
        }
    }
    m_desktop = picture;
    setGeometry(desktop);
    show();
    raise();
    activateWindow();
    setFocus();
}

void AbstractSniper::fire()
{
    m_shot = m_selection;
    close();
}

void AbstractSniper::setSelection(const TargetSptr &target)
{
    m_selection = target;
    const QRect rect = selectionRect();
    if (rect.isEmpty()) {
        m_coverageFrame->hide();
    } else {
        m_coverageFrame->setGeometry(rect.adjusted(-2, -2, 2, 2));
        m_coverage->setGeometry(QRect(QPoint(2, 2), rect.size()));
        m_coverageFrame->show();
    }
    update();
}

QRect AbstractSniper::selectionRect() const
{
    return m_selection ? m_selection->geometry().translated(-geometry().topLeft()) : QRect();
}

void AbstractSniper::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.drawPixmap(0, 0, m_desktop);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    const QRect lit = selectionRect();
    painter.fillRect(lit, palette().brush(QPalette::ButtonText));
    QPainterPath outside;
    outside.addRect(rect());
    QPainterPath inside;
    inside.addRect(lit);
    painter.setClipPath(outside.subtracted(inside));
    painter.fillRect(rect(), palette().brush(QPalette::Window));
}

void AbstractSniper::closeEvent(QCloseEvent *event)
{
    QWidget::closeEvent(event);
    if (!m_reported) {
        m_reported = true;
        emit result(m_shot);
    }
}

void AbstractSniper::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape) {
        close();
        return;
    }
    QWidget::keyPressEvent(event);
}

void AbstractSniper::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() == Qt::RightButton)
        close();
    else if (event->button() == Qt::LeftButton)
        fire();
    QWidget::mouseReleaseEvent(event);
}

FromDesktopSniper::FromDesktopSniper(QWidget *parent)
    : AbstractSniper(parent)
{
    setCursor(Qt::BlankCursor);
    setMouseTracking(true);
    m_hLine = new MouselessFrame(this);
    m_hLine->setObjectName(QStringLiteral("_h_line_"));
    m_vLine = new MouselessFrame(this);
    m_vLine->setObjectName(QStringLiteral("_v_line_"));
}

void FromDesktopSniper::mouseMoveEvent(QMouseEvent *event)
{
    const QPoint at = event->position().toPoint();
    m_hLine->setGeometry(0, at.y(), width(), 1);
    m_vLine->setGeometry(at.x(), 0, 1, height());
    AbstractSniper::mouseMoveEvent(event);
}

void RegionSniper::mousePressEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton) {
        m_dragging = true;
        m_anchor = event->globalPosition().toPoint();
        setSelection(std::make_shared<RegionTarget>(QRect(m_anchor, m_anchor)));
    }
    FromDesktopSniper::mousePressEvent(event);
}

void RegionSniper::mouseMoveEvent(QMouseEvent *event)
{
    if (m_dragging)
        setSelection(std::make_shared<RegionTarget>(spanned(m_anchor, event->globalPosition().toPoint())));
    FromDesktopSniper::mouseMoveEvent(event);
}

void RegionSniper::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton && m_dragging) {
        m_dragging = false;
        const QRect region = spanned(m_anchor, event->globalPosition().toPoint());
        // A click, or a slip of the mouse, is not a region anybody means to record.
        const bool meant = region.width() >= kMinimumSide && region.height() >= kMinimumSide;
        setSelection(meant ? std::make_shared<RegionTarget>(region) : nullptr);
    }
    FromDesktopSniper::mouseReleaseEvent(event);
}

MonitorSniper::MonitorSniper(QWidget *parent)
    : AbstractSniper(parent)
{
    setMouseTracking(true);
}

void MonitorSniper::start()
{
    AbstractSniper::start();
    selectAt(QCursor::pos());
}

void MonitorSniper::mouseMoveEvent(QMouseEvent *event)
{
    selectAt(event->globalPosition().toPoint());
    AbstractSniper::mouseMoveEvent(event);
}

void MonitorSniper::selectAt(const QPoint &global)
{
    const QScreen *screen = QGuiApplication::screenAt(global);
    if (!screen) {
        setSelection(nullptr);
        return;
    }
    const auto current = std::dynamic_pointer_cast<MonitorTarget>(selection());
    if (!current || current->name() != screen->name())
        setSelection(std::make_shared<MonitorTarget>(screen->name(), screen->geometry()));
}

void AbstractWindowSniper::start()
{
    m_candidates.clear();
    for (WindowId window : desktop::topLevelWindows()) {
        const WindowFacts facts = desktop::windowFacts(window);
        if (!facts.visible || facts.minimised || facts.owner != 0 || facts.ownProcess || facts.title.isEmpty()
            || facts.executablePath.isEmpty())
            continue;
        m_candidates.append(WindowCandidate{window, facts.frameRect, facts.title, facts.executablePath});
    }
    AbstractSniper::start();
}

TargetSptr AbstractWindowSniper::targetAt(const QPoint &global) const
{
    for (const WindowCandidate &candidate : m_candidates) {
        if (candidate.rect.contains(global)) {
            const WindowConfig *settings = WindowConfig::instance();
            return chooseWindowTarget(candidate.window, desktop::isCompositionEnabled(),
                                      settings && settings->recordOverlayWindows());
        }
    }
    return nullptr;
}

WindowSniper::WindowSniper(QWidget *parent)
    : AbstractWindowSniper(parent)
{
    setMouseTracking(true);
}

void WindowSniper::start()
{
    AbstractWindowSniper::start();
    setSelection(targetAt(QCursor::pos()));
}

void WindowSniper::mouseMoveEvent(QMouseEvent *event)
{
    const TargetSptr target = targetAt(event->globalPosition().toPoint());
    const auto now = std::dynamic_pointer_cast<WindowTarget>(target);
    const auto before = std::dynamic_pointer_cast<WindowTarget>(selection());
    if (!now || !before || now->window() != before->window())
        setSelection(target);
    AbstractWindowSniper::mouseMoveEvent(event);
}
