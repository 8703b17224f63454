#include "tool/Snipers.h"

#include "library/WindowConfig.h"
#include "platform/DesktopWindows.h"
#include "platform/ProcessInfo.h"
#include "platform/ScreenPixels.h"
#include "tool/RecorderControls.h"

#include <QGuiApplication>
#include <QHBoxLayout>
#include <QCursor>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QScreen>

namespace {

// How far below the top of the screen the hint stands.
constexpr int kHintTop = 60;

// The rectangle the mouse went over from a to b, whichever way: a drag of 800 pixels
// across and 600 down is an 800 x 600 region.
QRect spanned(const QPoint &a, const QPoint &b)
{
    return QRect(QPoint(qMin(a.x(), b.x()), qMin(a.y(), b.y())), QSize(qAbs(b.x() - a.x()), qAbs(b.y() - a.y())));
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
    // A Wayland compositor shows the desktop through a translucent window, and XWayland's
    // screen holds no picture to draw beneath.
    m_seeThrough = desktop::isXWayland();
    if (m_seeThrough)
        setAttribute(Qt::WA_TranslucentBackground);
}

void AbstractSniper::start()
{
    const QRect desktop = virtualDesktop();
    if (!m_seeThrough) {
        QPixmap picture(desktop.size());
        picture.fill(Qt::black);
        QPainter painter(&picture);
        for (QScreen *screen : QGuiApplication::screens()) {
            const QRect area = screen->geometry();
            painter.drawPixmap(area.topLeft() - desktop.topLeft(),
                               screen->grabWindow(0, area.x(), area.y(), area.width(), area.height()));
        }
        painter.end();
        m_desktop = picture;
    }
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
    return m_selection ? desktop::toLogical(m_selection->geometry()).translated(-geometry().topLeft()) : QRect();
}

void AbstractSniper::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    if (!m_desktop.isNull())
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
        // Told once the overlay is off the screen: a recording started at once must
        // not catch it in its first picture.
        hide();
        desktop::syncWithDisplay();
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
    m_lblHint = new QLabel(this);
    m_lblHint->setObjectName(QStringLiteral("lblSniperHint"));
    m_lblHint->setAttribute(Qt::WA_TransparentForMouseEvents);
    m_lblHint->hide();
}

void FromDesktopSniper::start()
{
    AbstractSniper::start();
    // Where the mouse is from the first picture on, not at the window's corner.
    placeCrossHair(mapFromGlobal(QCursor::pos()));
    if (m_lblHint->text().isEmpty())
        return;
    const QScreen *screen = QGuiApplication::screenAt(QCursor::pos());
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    const QRect area = screen ? QRect(mapFromGlobal(screen->geometry().topLeft()), screen->geometry().size()) : rect();
    m_lblHint->adjustSize();
    m_lblHint->move(area.left() + (area.width() - m_lblHint->width()) / 2, area.top() + kHintTop);
    m_lblHint->show();
    m_lblHint->raise();
}

void FromDesktopSniper::setHint(const QString &text)
{
    m_lblHint->setText(text);
}

void FromDesktopSniper::placeCrossHair(const QPoint &at)
{
    m_hLine->setGeometry(0, at.y(), width(), 1);
    m_vLine->setGeometry(at.x(), 0, 1, height());
}

void FromDesktopSniper::mouseMoveEvent(QMouseEvent *event)
{
    placeCrossHair(event->position().toPoint());
    AbstractSniper::mouseMoveEvent(event);
}

RegionSniper::RegionSniper(QWidget *parent)
    : FromDesktopSniper(parent)
{
    setHint(tr("Drag over the area to record. Escape or a right click cancels."));
}

void RegionSniper::mousePressEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton) {
        m_dragging = true;
        m_anchor = event->globalPosition().toPoint();
        setSelection(std::make_shared<RegionTarget>(desktop::toNative(QRect(m_anchor, m_anchor))));
    }
    FromDesktopSniper::mousePressEvent(event);
}

void RegionSniper::mouseMoveEvent(QMouseEvent *event)
{
    if (m_dragging)
        setSelection(std::make_shared<RegionTarget>(desktop::toNative(spanned(m_anchor, event->globalPosition().toPoint()))));
    FromDesktopSniper::mouseMoveEvent(event);
}

void RegionSniper::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton && m_dragging) {
        m_dragging = false;
        const QRect region = spanned(m_anchor, event->globalPosition().toPoint());
        // A click, or a slip of the mouse, is not a region anybody means to record.
        const bool meant = region.width() >= kMinimumSide && region.height() >= kMinimumSide;
        setSelection(meant ? std::make_shared<RegionTarget>(desktop::toNative(region)) : nullptr);
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
        setSelection(std::make_shared<MonitorTarget>(screen->name(), desktop::nativeGeometry(screen)));
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

int AbstractWindowSniper::candidateAt(const QPoint &global) const
{
    const QPoint at = desktop::toNative(global);
    for (int i = 0; i < m_candidates.size(); ++i) {
        if (m_candidates.at(i).rect.contains(at))
            return i;
    }
    return -1;
}

TargetSptr AbstractWindowSniper::windowTarget(WindowId window)
{
    const WindowConfig *settings = WindowConfig::instance();
    return chooseWindowTarget(window, settings && settings->recordOverlayWindows());
}

TargetSptr AbstractWindowSniper::targetAt(const QPoint &global) const
{
    const int index = candidateAt(global);
    return index < 0 ? nullptr : windowTarget(m_candidates.at(index).window);
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

SubWindowSniper::SubWindowSniper(QWidget *parent)
    : AbstractWindowSniper(parent)
{
    buildForm();
    connect(m_frmTitle, &DraggableFrame::shift, this, &SubWindowSniper::shiftWindowList);
    connect(m_lstWindows, &QListWidget::currentItemChanged, this, &SubWindowSniper::onSelectedFromList);
    connect(m_lstWindows, &QListWidget::itemDoubleClicked, this, &AbstractSniper::fire);
    connect(m_btnRecord, &QAbstractButton::clicked, this, &AbstractSniper::fire);
    connect(m_btnCancel, &QAbstractButton::clicked, this, &QWidget::close);
}

void SubWindowSniper::buildForm()
{
    m_frmWindowList = new QFrame(this);
    m_frmWindowList->setObjectName(QStringLiteral("frmWindowList"));
    // The form is drawn as a form, not dimmed like the desktop beneath it.
    QPalette form = QGuiApplication::palette();
    form.setBrush(QPalette::Window, form.window());
    form.setBrush(QPalette::ButtonText, form.buttonText());
    m_frmWindowList->setPalette(form);
    auto *outer = new QVBoxLayout(m_frmWindowList);
    outer->setContentsMargins(0, 0, 0, 0);
    m_frmWindowListInt = new QFrame(m_frmWindowList);
    m_frmWindowListInt->setObjectName(QStringLiteral("frmWindowListInt"));
    outer->addWidget(m_frmWindowListInt);
    auto *column = new QVBoxLayout(m_frmWindowListInt);
    // The title bar moves the list out of the way of what it covers.
    m_frmTitle = new DraggableFrame(m_frmWindowListInt);
    m_frmTitle->setObjectName(QStringLiteral("frmSniperTitle"));
    m_frmTitle->setCursor(Qt::SizeAllCursor);
    auto *titleRow = new QHBoxLayout(m_frmTitle);
    titleRow->setContentsMargins(0, 0, 0, 0);
    m_lblSniperTitle = new QLabel(tr("Select the window to record"), m_frmTitle);
    m_lblSniperTitle->setObjectName(QStringLiteral("lblSniperTitle"));
    titleRow->addWidget(m_lblSniperTitle);
    column->addWidget(m_frmTitle);
    auto *hLine = new QFrame(m_frmWindowListInt);
    hLine->setObjectName(QStringLiteral("hLine_0"));
    hLine->setFrameShape(QFrame::HLine);
    column->addWidget(hLine);
    m_lstWindows = new QListWidget(m_frmWindowListInt);
    m_lstWindows->setObjectName(QStringLiteral("lstWindows"));
    m_lstWindows->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_lstWindows->setMinimumSize(360, 160);
    column->addWidget(m_lstWindows);
    m_frmButtons = new QFrame(m_frmWindowListInt);
    m_frmButtons->setObjectName(QStringLiteral("frmButtons"));
    auto *buttons = new QHBoxLayout(m_frmButtons);
    buttons->setContentsMargins(0, 0, 0, 0);
    buttons->addStretch();
    m_btnRecord = new QPushButton(tr("Record"), m_frmButtons);
    m_btnRecord->setObjectName(QStringLiteral("btnRecord"));
    m_btnRecord->setEnabled(false);
    buttons->addWidget(m_btnRecord);
    auto *vLine = new QFrame(m_frmButtons);
    vLine->setObjectName(QStringLiteral("vLine_0"));
    vLine->setFrameShape(QFrame::VLine);
    buttons->addWidget(vLine);
    m_btnCancel = new QPushButton(tr("Cancel"), m_frmButtons);
    m_btnCancel->setObjectName(QStringLiteral("btnCancel"));
    buttons->addWidget(m_btnCancel);
    column->addWidget(m_frmButtons);
}

void SubWindowSniper::start()
{
    AbstractWindowSniper::start();
    m_frmWindowList->adjustSize();
    fillList();
    // In the middle of the screen the mouse is on.
    const QScreen *screen = QGuiApplication::screenAt(QCursor::pos());
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    const QRect area = screen ? screen->availableGeometry() : rect();
    QRect place(QPoint(), m_frmWindowList->size());
    place.moveCenter(area.center());
    m_frmWindowList->move(place.topLeft() - geometry().topLeft());
    m_frmWindowList->raise();
    m_lstWindows->setFocus();
}

void SubWindowSniper::fillList()
{
    m_lstWindows->clear();
    const int width = m_lstWindows->viewport()->width() - 2 * m_lstWindows->spacing() - 8;
    for (const WindowCandidate &candidate : candidates()) {
        auto *item = new QListWidgetItem(entryText(candidate.title, candidate.programPath, m_lstWindows->fontMetrics(), width));
        item->setToolTip(QStringLiteral("%1\n%2").arg(candidate.title, candidate.programPath));
        m_lstWindows->addItem(item);
    }
}

QString SubWindowSniper::entryText(const QString &title, const QString &programPath, const QFontMetrics &metrics, int width)
{
    const QString program = programFileName(programPath);
    const QString whole = QStringLiteral("%1 [%2]").arg(title, program);
    if (metrics.horizontalAdvance(whole) <= width)
        return whole;
    // The title says which table; the program gets at most a third of the room.
    const QString shortProgram = metrics.elidedText(program, Qt::ElideRight, width / 3);
    const int left = width - metrics.horizontalAdvance(QStringLiteral(" [%1]").arg(shortProgram));
    return QStringLiteral("%1 [%2]").arg(metrics.elidedText(title, Qt::ElideRight, qMax(0, left)), shortProgram);
}

void SubWindowSniper::shiftWindowList(const QPoint &diff)
{
    QRect place = m_frmWindowList->geometry().translated(diff);
    // Never dragged out of reach.
    place.moveLeft(qBound(0, place.left(), qMax(0, width() - place.width())));
    place.moveTop(qBound(0, place.top(), qMax(0, height() - place.height())));
    m_frmWindowList->move(place.topLeft());
}

void SubWindowSniper::onSelectedFromList(QListWidgetItem *current, QListWidgetItem *)
{
    selectCandidate(current ? m_lstWindows->row(current) : -1);
}

void SubWindowSniper::selectCandidate(int index)
{
    const bool valid = index >= 0 && index < candidates().size();
    setSelection(valid ? windowTarget(candidates().at(index).window) : nullptr);
    m_btnRecord->setEnabled(selection() != nullptr);
}

void SubWindowSniper::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        // A focused button does what it says; anywhere else Return records.
        if (auto *button = qobject_cast<QPushButton *>(focusWidget()))
            button->click();
        else if (selection())
            fire();
        return;
    }
    AbstractWindowSniper::keyPressEvent(event);
}

void SubWindowSniper::mousePressEvent(QMouseEvent *event)
{
    // Pointing at a window on the desktop chooses it in the list as well.
    if (event->button() == Qt::LeftButton && !m_frmWindowList->geometry().contains(event->position().toPoint())) {
        const int index = candidateAt(event->globalPosition().toPoint());
        if (index >= 0)
            m_lstWindows->setCurrentRow(index);
    }
    AbstractWindowSniper::mousePressEvent(event);
}

void SubWindowSniper::mouseReleaseEvent(QMouseEvent *event)
{
    // Only the list's own buttons take the choice; a right click still gives up.
    if (event->button() == Qt::RightButton)
        close();
    QWidget::mouseReleaseEvent(event);
}
